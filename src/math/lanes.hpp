// Lane types: W doubles operated on together, each lane by the same IEEE operation as a lone
// double (add, subtract, multiply, divide and square root are exact per lane), so a formula
// written once over T gives the same bits for T = double and for every width.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "math/isa.hpp"

namespace vortalix2::inline VORTALIX2_ISA::math {

template <int W>
struct lanes_of;
#if !defined(VORTALIX2_NO_VECTOR)
template <>
struct lanes_of<2> {
    typedef double type __attribute__((vector_size(16)));
    typedef std::int64_t mask __attribute__((vector_size(16)));
};
template <>
struct lanes_of<4> {
    typedef double type __attribute__((vector_size(32)));
    typedef std::int64_t mask __attribute__((vector_size(32)));
};
template <>
struct lanes_of<8> {
    typedef double type __attribute__((vector_size(64)));
    typedef std::int64_t mask __attribute__((vector_size(64)));
};
#endif

// W doubles; comparisons give a Mask of W lanes, all ones where true.
template <int W>
using Lanes = typename lanes_of<W>::type;
template <int W>
using Mask = typename lanes_of<W>::mask;

template <class T>
inline constexpr int width = 1;
#if !defined(VORTALIX2_NO_VECTOR)
template <>
inline constexpr int width<Lanes<2>> = 2;
template <>
inline constexpr int width<Lanes<4>> = 4;
template <>
inline constexpr int width<Lanes<8>> = 8;
#endif

template <class T>
inline constexpr bool is_lanes = width<T> > 1;

// Every lane set to x, bit for bit (not by adding x to zeros, which turns -0 into +0).
template <class T>
inline T splat(double x) {
    if constexpr (is_lanes<T>) {
        T r{};
        for (int i = 0; i < width<T>; ++i) r[i] = x;
        return r;
    } else {
        return x;
    }
}

// The IEEE square root of every lane.
inline double sqrt(double x) { return std::sqrt(x); }

template <class T>
    requires is_lanes<T>
inline T sqrt(T x) {
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) return _mm512_sqrt_pd(x);
#endif
#if defined(__AVX__)
    if constexpr (width<T> == 4) return _mm256_sqrt_pd(x);
#endif
#if defined(__SSE2__)
    if constexpr (width<T> == 2) return _mm_sqrt_pd(x);
#endif
    T r;
    for (int i = 0; i < width<T>; ++i) r[i] = std::sqrt(x[i]);
    return r;
}

// |x|: the sign bit cleared, NaN payloads kept.
inline double abs(double x) { return std::fabs(x); }

template <class T>
    requires is_lanes<T>
inline T abs(T x) {
    using M = Mask<width<T>>;
    return reinterpret_cast<T>(reinterpret_cast<M>(x) & (M{} + INT64_MAX));
}

// The lanes of a comparison (each all ones or all zeros) as bits, lane i in bit i; taken from
// the sign bits, one instruction where the instruction set has it.
template <class M>
    requires(!std::is_same_v<M, bool>)
inline unsigned lane_bits(M m) {
    constexpr std::size_t w = sizeof(M) / 8;
#if defined(__AVX512DQ__)
    if constexpr (w == 8) return _mm512_movepi64_mask(reinterpret_cast<__m512i>(m));
#endif
#if defined(__AVX__)
    if constexpr (w == 4) return static_cast<unsigned>(_mm256_movemask_pd(reinterpret_cast<__m256d>(m)));
#endif
#if defined(__SSE2__)
    if constexpr (w == 2) return static_cast<unsigned>(_mm_movemask_pd(reinterpret_cast<__m128d>(m)));
#endif
    unsigned bits = 0;
    for (std::size_t i = 0; i < w; ++i) bits |= (m[i] < 0 ? 1u : 0u) << i;
    return bits;
}

// Whether every lane of a comparison holds.
template <class M>
    requires(!std::is_same_v<M, bool>)
inline bool all(M m) {
    return lane_bits(m) == (1u << (sizeof(M) / 8)) - 1;
}

// a*b + c rounded once, where the instruction set has fused multiply-add. Only for exact
// products inside a kernel whose error bound covers it (the vector pow); never in a relation.
#if defined(__FMA__)
template <class T>
    requires is_lanes<T>
inline T fused_multiply_add(T a, T b, T c) {
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) return _mm512_fmadd_pd(a, b, c);
#endif
    if constexpr (width<T> == 4) return _mm256_fmadd_pd(a, b, c);
    if constexpr (width<T> == 2) return _mm_fmadd_pd(a, b, c);
}
#endif

// One step of an iteration, lane by lane: the new iterate and the size of the step.
template <class T>
struct Step {
    T next;
    T size;
};

// Lanes from consecutive doubles at any alignment, and back.
template <class T>
inline T load(const std::byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
inline void store(double* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

}  // namespace vortalix2::inline VORTALIX2_ISA::math
