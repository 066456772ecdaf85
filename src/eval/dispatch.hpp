// Run-time choice of the instruction set the element loops use, made once per process.
//
// The loops exist for plain scalar code, the x86-64 baseline (two lanes), AVX2 (four lanes) and
// AVX-512 (eight lanes). The widest the processor supports is used, unless the environment
// variable VORTALIX2_SIMD names another level (scalar, sse2, avx2, avx512) at start-up; a level
// the processor lacks falls back to the widest it has. With VORTALIX2_SIMD_REPORT set, the
// choice is written to standard error when it is made. Every level gives the same bits. On
// aarch64 the levels are scalar and the two lanes of NEON, named `neon` there (Level::sse2 in
// the code).
#pragma once

#include <array>
#include <cstddef>

#include "eval/walk.hpp"

namespace vortalix2::eval {

enum class Level { scalar, sse2, avx2, avx512 };

inline constexpr std::size_t relation_count = 19;
using KernelTable = std::array<RunFn, relation_count>;

// The code a level has (a loop table, a span of powers), chosen from the four levels' code;
// null where this build lacks the level. The one place a level is turned into its code, for
// the core's tables and the toolkit's alike.
template <class T>
const T* at_level(Level level, const T* scalar, const T* sse2, const T* avx2, const T* avx512) {
    switch (level) {
        case Level::scalar: return scalar;
        case Level::sse2: return sse2;
        case Level::avx2: return avx2;
        case Level::avx512: return avx512;
    }
    return nullptr;
}

// The four levels' objects named `<level>_<name>`, the wider two only where this build makes
// them (null otherwise): the arguments at_level takes after the level.
#if defined(VORTALIX2_HAVE_AVX2)
#define VORTALIX2_AVX2_OR_NULL(object) (&(object))
#else
#define VORTALIX2_AVX2_OR_NULL(object) nullptr
#endif
#if defined(VORTALIX2_HAVE_AVX512)
#define VORTALIX2_AVX512_OR_NULL(object) (&(object))
#else
#define VORTALIX2_AVX512_OR_NULL(object) nullptr
#endif
#define VORTALIX2_LEVELS_OF(name) \
    &scalar_##name, &sse2_##name, VORTALIX2_AVX2_OR_NULL(avx2_##name), VORTALIX2_AVX512_OR_NULL(avx512_##name)

// x^y for n pairs (out[k] = pow(x[k], y[k])) with the powers of one level, adding to
// `library_calls` the number of pairs it handed to the C library's pow: every pair at the
// scalar level, the lanes the vector pow could not vouch for at the others.
using PowSpanFn = void (*)(const double* x, const double* y, double* out, std::size_t n,
                           std::size_t* library_calls);

// The powers of a level; null for a level this build does not compile.
PowSpanFn pow_span(Level level);

// x^y1 and x^y2 for n elements (out1[k] = pow(x[k], y1), out2[k] = pow(x[k], y2)) with the
// paired powers of one level, which share each element's logarithm; counts as pow_span does.
using PowPairSpanFn = void (*)(const double* x, double y1, double y2, double* out1,
                               double* out2, std::size_t n, std::size_t* library_calls);
PowPairSpanFn pow_pair_span(Level level);

// Whether this processor (and this build) can run the loops of a level.
bool supported(Level level);

// The level chosen for this process.
Level level();

const char* name(Level level);

// The loop of the relation at position `relation` of the function table, at `level`.
RunFn kernel(Level level, std::size_t relation);

}  // namespace vortalix2::eval
