// Powers with the C library's bits: pow(x, y) of a double is the library's `pow`; for lanes,
// every lane gets exactly what the library returns for that lane's arguments.
//
// For four or more lanes with fused multiply-add, a vector kernel computes x^y to about 2^-62
// and answers for a lane only where it has proven that its answer is the library's; the other
// lanes call the library, or, inside an element loop, are recomputed by the loop's scalar path
// after a block (see CollectRefused).
//
// Why the kernel's answer can be the library's. glibc's `pow` (2.28 and later) is within
// 0.511 ULP + |y ln x| * 1.5 * 2^-68 * 2^53 ULP of the exact x^y (the figures of its build
// without FMA, the larger ones): 0.011 ULP beyond half an ULP from its final exponential, and
// |y ln x| * 1.5 * 2^-15 ULP from its logarithm's relative error 1.5 * 2^-68. So where x^y lies
// farther than that excess from every midpoint between two doubles, glibc returns the correctly
// rounded x^y. The kernel computes x^y as an unevaluated sum f_hi + f_lo with relative error
// delta (bounded below), f_hi = RN(f_hi + f_lo). If
//     |f_lo| <= (0.5 - mu) ulp(f_hi),  mu = glibc's excess + 2^53 delta,
// and f_hi is not a power of two (where the ulp below is half the ulp above), then x^y is within
// (0.5 - glibc's excess) ulp of f_hi: f_hi is the correctly rounded power and glibc returns it.
// (|x^y - (f_hi + f_lo)| <= delta x^y <= 2^53 delta ulp(f_hi), as x^y < 2 * 2^exponent(f_hi).)
//
// The margin used, in ULP of the result, per lane:
//     mu = (0.02 + 2.75 * 2^-10) + |y| 2^-13 + |yh| (1.5 * 2^-15 + 2^-50)
// with yh = RN(y b_hi), within 2^-16.6 |y| + 2^-52 |yh| of t = y ln x. Of it, 0.02 covers
// glibc's 0.011 from its exponential with 0.009 to spare and |t| 1.5 * 2^-15 is glibc's
// logarithm: both are glibc's authors' published analysis, which we rely on and do not prove.
// The rest, 2.75 * 2^-10 + |y| 2^-13 + |yh| 2^-50, covers 2^53 delta of this kernel on its own
// (and the part of glibc's term that |t| - |yh| makes), as tools/prove_pow.sh checks (below).
// About 2 mu of all lanes (4.5 % on the relations' inputs) are refused.
//
// The kernel's error delta (absolute in t = y ln x, hence relative in e^t). Every bound below is
// machine-checked by tools/prove_pow.sh. The kernel's steps (`logarithm` and `power`, the
// certificate and the margin among them) are written once, in tools/proof/pow_kernel.py: it
// generates math/pow_kernel.hpp, and the proof evaluates the same steps, so a change of the
// kernel is a change of what the proof checks (prove_pow.sh also fails if the header is not what
// the description gives). The proof reads the tables and coefficients from math/pow_tables.hpp,
// bounds the polynomials' approximation errors with Sollya (supnorm, over the whole interval)
// and every rounding by exact interval arithmetic over pieces of the reduced arguments, checks
// the preconditions of the exact steps and the bit-level steps, and fails if the margin above is
// smaller than what it proves. Fused multiply-adds round once; an exact product or two-sum is
// exact. Tables have 16 entries, so that eight lanes look them up by a permute of two registers
// instead of a gather.
//  log x = k ln2 + log(1/c) + log1p(r), x = 2^k z, z in [0x1.68p-1, 0x1.68p0), -1022 <= k <= 1024,
//   c = 1/centre of z's interval of 16 (c = 1 around z = 1, a table column), r = z c - 1
//   exactly as rh + rl (exact product, Sterbenz subtraction; |rl| <= 2^-53, 0 where c = 1),
//   |r| <= 2^-5. k ln2_hi + log(1/c)_hi (both on the grid of 2^-42, below 2^10) is exact, and
//   so is rh - rh^2/2 = h_hi + h_lo: h_hi = RN(rh + rh m) with m = -rh/2, and its rounding
//   error, a multiple of 2^-107 below 2^-58, is a double that one more fused multiply-add
//   returns exactly. Their fast two-sum into b_hi + b_lo is exact (the tables make
//   |log(1/c)_hi| > |r| (1 + 2^-5) where c != 1). Absolute error of log x = b_hi + lo:
//     polynomial (degree 11), |P(r) - log1p(r)| (Sollya)                 2^-70.2
//     rh^3 P: P by Estrin to 2^-53.4, times |rh^3| <= 2^-15, and rh^3 = sq rh with two
//       roundings (sq's and the product's), times |P| < 0.35                 2^-67.9
//     lo's last rounding, |lo| <= 2^-16.6                                    2^-70
//     the sum of the low parts' roundings (k ln2_lo's up to |k| = 1024)      2^-86
//     rl / (1 + rh) taken to rl (1 - rh + rh^2), ln2 to 2^-102 (times |k|), the table
//       to 2^-97, with the polynomial above                                  2^-67.9
//   in all below 2^-66.81 (evaluation 2^-67.59), for every k.
//  t = y log x = yh + ye + y lo: y b_hi is an exact product yh + ye (|ye| <= 2^-53 |yh|), and
//   y lo is left to the reduction. So the error of t is |y| 2^-66.81 (+ 2^-1070 where products
//   underflow).
//  e^t = 2^(n/16) e^v with n = round(yh 16/ln2), taken from yh so that the reduction need not
//   wait for lo, and v = t - n ln2/16 = u_hi + w2 with u_hi = yh - n (ln2/16)_hi exact and
//   w2 = RN(y lo + RN(ye - n (ln2/16)_lo)), lo coming last. Their fast two-sum v_hi + v_lo is
//   exact where |u_hi| >= |w2|, else within 2^-53 |w2|; with the two roundings in w2,
//   |y| 2^-68.6 + |yh| 2^-104.4 + 2^-80.3 in all, |w2| being below |y| 2^-16.6 + 2^-53 |yh| +
//   2^-29.9. The kernel refuses |v_hi| > v_max = 0x1.8p-6 (above ln2/32 by the room w2 needs
//   for |y| up to about 180). Relative errors: polynomial (degree 7 on |v| <= v_max, Sollya)
//   2^-63.40; v_hi^2 rounded, 2^-64, times E ~ 1/2; E by Estrin to 3 * 2^-54 (three roundings
//   at ulp 2^-52 for E >= 1/2), times v_hi^2 <= 2^-10.83; q = v_hi^2 E + v_lo (1 + v_hi),
//   |q| < 2^-11.8, in all to 2^-62.57; r_lo = s_hi q + ..., its roundings and the term s_lo q
//   it leaves out (below 2^-64.8); 2^(j/16) to 2^-107. Below 2^-61.59 in all, besides the
//   terms per |y| and per |yh| above.
// Hence 2^53 delta <= 2^53 2^-61.59 (2.655 * 2^-10) + |y| 2^-13.4 + |yh| 2^-51.4 (the products
// of the relative errors, and the roundings of mu and of 1/2 - mu, fit in the roundings up),
// within the kernel's terms of mu above.
//
// Special operands never reach that argument: x <= 0, subnormal, infinite or NaN x, and
// |yh| > 704 (which takes in infinite or NaN y, and results near or beyond overflow and the
// subnormal range: e^704 < 2^1016) go to the library, as does every result the kernel rounds to
// a power of two (1 for y = 0 or x = 1, among them). For |yh| <= 704, f_hi 2^m is a normal
// double, so the kernel scales f_hi by adding m to its exponent field.
//
// Tables and coefficients: math/pow_tables.hpp, written by tools/gen_pow_tables.py.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "math/lanes.hpp"
#include "math/libc_pow.hpp"
#include "math/pow_tables.hpp"

namespace vortalix2::inline VORTALIX2_ISA::math {

inline double pow(double x, double y) { return std::pow(x, y); }

namespace pow_kernel {

template <class T>
using Int = Mask<width<T>>;

// Where the kernel is used: four or more lanes with fused multiply-add. On two lanes without
// it (the x86-64 baseline) exact products cost so much that the kernel would be slower than
// the library's pow, which those lanes call instead.
#if defined(__FMA__)
template <class T>
inline constexpr bool kernel_used = width<T> >= 4;
#else
template <class T>
inline constexpr bool kernel_used = false;
#endif

template <class T>
inline T from_bits(Int<T> b) {
    return reinterpret_cast<T>(b);
}

template <class T>
inline Int<T> to_bits(T x) {
    return reinterpret_cast<Int<T>>(x);
}

// a - b on bit patterns, wrapping modulo 2^64 as the vector instructions do. The lanes of
// negative inputs, whose attempts are never used, go past the most negative integer, which
// signed lanes do not allow.
#if !defined(VORTALIX2_NO_VECTOR)
template <class I>
inline I wrapping_sub(I a, I b) {
    typedef std::uint64_t U __attribute__((vector_size(sizeof(I))));
    return reinterpret_cast<I>(reinterpret_cast<U>(a) - reinterpret_cast<U>(b));
}

template <class I>
inline I wrapping_add(I a, I b) {
    typedef std::uint64_t U __attribute__((vector_size(sizeof(I))));
    return reinterpret_cast<I>(reinterpret_cast<U>(a) + reinterpret_cast<U>(b));
}

template <class I>
inline I wrapping_sub(I a, std::int64_t b) {
    typedef std::uint64_t U __attribute__((vector_size(sizeof(I))));
    return reinterpret_cast<I>(reinterpret_cast<U>(a) - static_cast<std::uint64_t>(b));
}
#endif

template <class T>
struct Attempt {
    T value;          // x^y, correctly rounded, where `proven`
    unsigned proven;  // bit i set where lane i's `value` is certainly the library's pow(x, y)
};

#if defined(__FMA__)
// s + e = a + b exactly, s = RN(a + b).
template <class T>
inline void two_sum(T a, T b, T& s, T& e) {
    s = a + b;
    const T bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

// The same where |a| >= |b| (or a is zero).
template <class T>
inline void fast_two_sum(T a, T b, T& s, T& e) {
    s = a + b;
    e = b - (s - a);
}

// p + e = a * b exactly, p = RN(a * b) (no overflow, no underflow).
template <class T>
inline void two_product(T a, T b, T& p, T& e) {
    p = a * b;
    e = fused_multiply_add(a, b, -p);
}

// v as lanes: itself, or every lane set to it.
template <class T, class V>
inline T as_lanes(V v) {
    if constexpr (std::is_same_v<V, double>) {
        return splat<T>(v);
    } else {
        return v;
    }
}

// a * b + c rounded once (the error bound below counts two roundings all the same).
template <class T, class B, class C>
inline T mul_add(T a, B b, C c) {
    return fused_multiply_add(a, as_lanes<T>(b), as_lanes<T>(c));
}

// Lanes as integers -> doubles, for |k| < 2^51.
template <class T>
inline T small_int_to_double(Int<T> k) {
#if defined(__AVX512DQ__)
    if constexpr (width<T> == 8) return _mm512_cvtepi64_pd(reinterpret_cast<__m512i>(k));
#endif
    constexpr std::int64_t magic = 0x4338000000000000;  // 0x1.8p52
    return from_bits<T>(k + magic) - 0x1.8p52;
}

// Lane i in bit i where a <= b (false where either is NaN).
template <class T>
inline unsigned at_most(T a, T b) {
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ);
#endif
    return lane_bits(a <= b);
}

// Lane i in bit i where a < b as unsigned 64-bit integers.
template <class T>
inline unsigned below_unsigned(Int<T> a, std::uint64_t b) {
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) {
        return _mm512_cmplt_epu64_mask(reinterpret_cast<__m512i>(a),
                                       _mm512_set1_epi64(static_cast<long long>(b)));
    }
#endif
    constexpr std::int64_t flip = INT64_MIN;  // unsigned order as signed order
    return lane_bits((a ^ flip) < static_cast<std::int64_t>(b ^ std::uint64_t{1} << 63));
}

// Lane i in bit i where a & b is not zero.
template <class T>
inline unsigned any_bits(Int<T> a, std::int64_t b) {
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) {
        return _mm512_test_epi64_mask(reinterpret_cast<__m512i>(a), _mm512_set1_epi64(b));
    }
#endif
    return lane_bits((a & b) != 0);
}

#if defined(__AVX512F__)
// Lane i is column[index[i] & 15], column being 16 doubles aligned to 64 bytes: a permute of
// two registers, far cheaper than a gather's loads.
inline __m512d lookup16(const double* column, __m512i index) {
    return _mm512_permutex2var_pd(_mm512_load_pd(column), index, _mm512_load_pd(column + 8));
}
#endif

// The table entries of the lanes: c, -log(c) as hi + lo for interval i, and 2^(j/16) as
// hi + lo for j, from the low 4 bits of i and j in each lane.
template <class T>
inline void log_entries(Int<T> i, T& c, T& log_hi, T& log_lo) {
    namespace tb = pow_tables;
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) {
        const auto ii = reinterpret_cast<__m512i>(i);
        c = lookup16(tb::log_c, ii);
        log_hi = lookup16(tb::log_hi, ii);
        log_lo = lookup16(tb::log_lo, ii);
        return;
    }
#endif
    if constexpr (width<T> == 4) {
        // A row per lane, transposed: gathers of four lanes cost more than these eleven
        // instructions together.
        const __m256d ra = _mm256_load_pd(tb::log_rows + 4 * (i[0] & 15));
        const __m256d rb = _mm256_load_pd(tb::log_rows + 4 * (i[1] & 15));
        const __m256d rc = _mm256_load_pd(tb::log_rows + 4 * (i[2] & 15));
        const __m256d rd = _mm256_load_pd(tb::log_rows + 4 * (i[3] & 15));
        const __m256d ab0 = _mm256_unpacklo_pd(ra, rb), ab1 = _mm256_unpackhi_pd(ra, rb);
        const __m256d cd0 = _mm256_unpacklo_pd(rc, rd), cd1 = _mm256_unpackhi_pd(rc, rd);
        c = _mm256_permute2f128_pd(ab0, cd0, 0x20);
        log_hi = _mm256_permute2f128_pd(ab1, cd1, 0x20);
        log_lo = _mm256_permute2f128_pd(ab0, cd0, 0x31);
    } else {
        for (int l = 0; l < width<T>; ++l) {
            const double* row = tb::log_rows + 4 * (i[l] & 15);
            c[l] = row[0];
            log_hi[l] = row[1];
            log_lo[l] = row[2];
        }
    }
}

template <class T>
inline void exp_entries(Int<T> j, T& hi, T& lo) {
    namespace tb = pow_tables;
#if defined(__AVX512F__)
    if constexpr (width<T> == 8) {
        const auto jj = reinterpret_cast<__m512i>(j);
        hi = lookup16(tb::exp_hi, jj);
        lo = lookup16(tb::exp_lo, jj);
        return;
    }
#endif
    if constexpr (width<T> == 4) {
        const __m256d ac = _mm256_insertf128_pd(
            _mm256_castpd128_pd256(_mm_load_pd(tb::exp_rows + 2 * (j[0] & 15))),
            _mm_load_pd(tb::exp_rows + 2 * (j[2] & 15)), 1);
        const __m256d bd = _mm256_insertf128_pd(
            _mm256_castpd128_pd256(_mm_load_pd(tb::exp_rows + 2 * (j[1] & 15))),
            _mm_load_pd(tb::exp_rows + 2 * (j[3] & 15)), 1);
        hi = _mm256_unpacklo_pd(ac, bd);
        lo = _mm256_unpackhi_pd(ac, bd);
    } else {
        for (int l = 0; l < width<T>; ++l) {
            hi[l] = tb::exp_rows[2 * (j[l] & 15)];
            lo[l] = tb::exp_rows[2 * (j[l] & 15) + 1];
        }
    }
}

// log x as b_hi + lo, and which lanes hold an x the kernel takes (normal, positive, finite).
template <class T>
struct Logarithm {
    T b_hi, lo;
    unsigned usable;
};

#include "math/pow_kernel.hpp"

template <class T>
[[gnu::always_inline]] inline Attempt<T> attempt(T x, T y) {
    return power(logarithm(x), y);
}
#else
template <class T>
Attempt<T> attempt(T x, T y);  // not used without fused multiply-add (see kernel_used)
template <class T>
struct Logarithm {};
template <class T>
Logarithm<T> logarithm(T x);
template <class T>
Attempt<T> power(const Logarithm<T>& log_x, T y);
#endif

// The library's pow for the lanes not `proven`; out of line, so that the common path keeps its
// registers.
template <class T>
[[gnu::noinline, gnu::cold]] T library(T x, T y, T value, unsigned proven,
                                       std::size_t& library_calls) {
    for (int i = 0; i < width<T>; ++i) {
        if (((proven >> i) & 1u) == 0) {
            value[i] = std::pow(x[i], y[i]);
            ++library_calls;
        }
    }
    return value;
}

// The lanes refused while an element loop collects them (lane i in bit i, since the loop last
// took them). Refused lanes are few but come every third vector or so, each at the end of a
// long computation; sending them to the library at once costs a lone call's full latency
// each time. A loop instead recomputes its refused elements together, after a block.
struct Refused {
    bool collecting = false;
    unsigned lanes = 0;
};
// Initial-exec: reached from the segment register directly, not through a call to the dynamic
// linker per access, which in a loaded module would cost as much as the kernel saves. The model
// is ELF's; other object formats reach thread-locals their own way.
#if defined(__ELF__)
[[gnu::tls_model("initial-exec")]] inline thread_local Refused refused;
#else
inline thread_local Refused refused;
#endif

}  // namespace pow_kernel

// While one lives, the vector pow of this thread gives its own value for the lanes of type T it
// cannot vouch for and records them for the caller to take, who must replace those lanes'
// results. Where the kernel is not used, nothing is ever refused.
template <class T>
class CollectRefused {
public:
    CollectRefused() : outer_(pow_kernel::refused) {
        if constexpr (pow_kernel::kernel_used<T>) pow_kernel::refused = {true, 0};
    }
    ~CollectRefused() {
        if constexpr (pow_kernel::kernel_used<T>) pow_kernel::refused = outer_;
    }
    CollectRefused(const CollectRefused&) = delete;
    CollectRefused& operator=(const CollectRefused&) = delete;

    // The lanes refused since the last call.
    unsigned take() {
        if constexpr (!pow_kernel::kernel_used<T>) return 0;
        const unsigned lanes = pow_kernel::refused.lanes;
        pow_kernel::refused.lanes = 0;
        return lanes;
    }

private:
    pow_kernel::Refused outer_;
};

// x^y lane by lane, adding to `library_calls` the number of lanes the library answered.
template <class T>
    requires is_lanes<T>
[[gnu::always_inline]] inline T pow(T x, T y, std::size_t& library_calls) {
    if constexpr (pow_kernel::kernel_used<T>) {
        if (libc::pow_error_bounded) {
            const pow_kernel::Attempt<T> a = pow_kernel::attempt(x, y);
            if (pow_kernel::refused.collecting) {
                pow_kernel::refused.lanes |= ~a.proven & ((1u << width<T>) - 1);
                return a.value;
            }
            if (a.proven == (1u << width<T>) - 1) [[likely]] return a.value;
            return pow_kernel::library(x, y, a.value, a.proven, library_calls);
        }
    }
    T r;
    for (int i = 0; i < width<T>; ++i) r[i] = std::pow(x[i], y[i]);
    library_calls += width<T>;
    return r;
}

template <class T>
    requires is_lanes<T>
[[gnu::always_inline]] inline T pow(T x, T y) {
    std::size_t unused = 0;
    return pow(x, y, unused);
}

template <class T>
    requires is_lanes<T>
[[gnu::always_inline]] inline T pow(T x, double y) {
    return pow(x, splat<T>(y));
}

// x^y1 and x^y2 from one logarithm of x: each power is the library's, lane by lane, as from
// two calls of pow. The vector pow certifies each power on its own; where it cannot vouch for
// one, that one comes from the library. While refused lanes are collected, a lane refused for
// either power is recorded once (its caller recomputes both).
inline void pow_pair(double x, double y1, double y2, double& p1, double& p2) {
    p1 = std::pow(x, y1);
    p2 = std::pow(x, y2);
}

template <class T>
    requires is_lanes<T>
[[gnu::always_inline]] inline void pow_pair(T x, T y1, T y2, T& p1, T& p2,
                                            std::size_t& library_calls) {
    if constexpr (pow_kernel::kernel_used<T>) {
        if (libc::pow_error_bounded) {
            const pow_kernel::Logarithm<T> log_x = pow_kernel::logarithm(x);
            const pow_kernel::Attempt<T> a = pow_kernel::power(log_x, y1);
            const pow_kernel::Attempt<T> b = pow_kernel::power(log_x, y2);
            constexpr unsigned every = (1u << width<T>) - 1;
            p1 = a.value;
            p2 = b.value;
            if (pow_kernel::refused.collecting) {
                pow_kernel::refused.lanes |= ~(a.proven & b.proven) & every;
                return;
            }
            if (a.proven != every) {
                p1 = pow_kernel::library(x, y1, a.value, a.proven, library_calls);
            }
            if (b.proven != every) {
                p2 = pow_kernel::library(x, y2, b.value, b.proven, library_calls);
            }
            return;
        }
    }
    for (int i = 0; i < width<T>; ++i) {
        p1[i] = std::pow(x[i], y1[i]);
        p2[i] = std::pow(x[i], y2[i]);
    }
    library_calls += 2 * width<T>;
}

template <class T>
    requires is_lanes<T>
[[gnu::always_inline]] inline void pow_pair(T x, double y1, double y2, T& p1, T& p2) {
    std::size_t unused = 0;
    pow_pair(x, splat<T>(y1), splat<T>(y2), p1, p2, unused);
}

}  // namespace vortalix2::inline VORTALIX2_ISA::math
