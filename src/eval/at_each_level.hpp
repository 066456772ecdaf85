// The instruction-set levels a translation unit builds code for, as VORTALIX2_AT_LEVEL(level,
// T) once per level with its lane type; the including file defines VORTALIX2_AT_LEVEL to make
// that level's objects (loop tables, spans of powers), named after the level. The baseline
// build (VORTALIX2_LANES unset) makes the scalar and two-lane levels, the wider builds AVX2
// (4 lanes) and AVX-512 (8). Without lane types the two-lane level is the scalar code (and is
// never chosen).
//
// No include guard: every includer expands the levels its own way.
#if !defined(VORTALIX2_LANES)
VORTALIX2_AT_LEVEL(scalar, double)
#if defined(VORTALIX2_NO_VECTOR)
VORTALIX2_AT_LEVEL(sse2, double)
#else
VORTALIX2_AT_LEVEL(sse2, math::Lanes<2>)
#endif
#elif VORTALIX2_LANES == 4
VORTALIX2_AT_LEVEL(avx2, math::Lanes<4>)
#elif VORTALIX2_LANES == 8
VORTALIX2_AT_LEVEL(avx512, math::Lanes<8>)
#endif
