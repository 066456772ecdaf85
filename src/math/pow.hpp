// Powers with the C library's bits: pow(x, y) of a double is the library's `pow`; for lanes,
// every lane gets exactly what the library returns for that lane's arguments.
//
// For four or more lanes with fused multiply-add, a vector kernel computes x^y to about 2^-64
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
//     mu = (0.02 + 2^-11) + |t| (1.5 * 2^-15 + 2^-47) + |y| 1.0078 * 2^-19
// with t = y ln x. The 0.02 covers glibc's 0.011 from its exponential with 0.009 to spare and
// is the floor of the margin; |t| 1.5 * 2^-15 is glibc's logarithm in full; the rest is
// 2^53 delta of this kernel. About 2 mu of all lanes (4 % on the relations' inputs) are refused.
//
// The kernel's error delta (absolute in t = y ln x, hence relative in e^t). Fused
// multiply-adds are used where the instruction set has them; the bounds count the unfused
// operation's two roundings.
//  log x = k ln2 + log(1/c) + log1p(r), x = 2^k z, z in [0x1.69p-1, 0x1.69p0), |k| <= 1024,
//   c = 1/centre of z's interval of 128 (c = 1 around z = 1), r = z c - 1 exactly as rh + rl
//   (exact product, Sterbenz subtraction; |rl| <= 2^-53, 0 where c = 1), |r| <= 2^-8.
//   k ln2_hi + log(1/c)_hi and rh - rh^2/2 (rh^2 exact as sq + sq_lo) are exact or exact
//   two-sums (the tables make |log(1/c)| > |r| where c != 1), collected in b_hi + b_lo.
//   Absolute error of log x = b_hi + lo:
//     polynomial (degree 8, measured by the generator)            2^-75.1
//     its evaluation, |rh^3 P| <= 2^-25.6 at relative 2^-50.5      2^-76.1
//     dropped -rh^3 rl and rl^2 terms                               2^-77
//     sum of the low parts, 6 roundings, |lo| <= 2^-25.5 + |k| 2^-43  2^-77 + |k| 2^-95
//     ln2 to 2^-97 and k * ln2_lo rounded; the table to 2^-96       |k| 2^-96 + 2^-96
//   in all below 2^-74 + |k| 2^-94.
//  t = y log x: y b_hi is an exact product, y lo + its error rounds to within |y| 2^-77.5 +
//   |t| 2^-106, and |lo| < 2^-14 |b_hi| keeps the final two-sum exact. So the error of t is
//   below |y| (2^-72 + |k| 2^-90) + |t| 2^-100 <= |y| 1.0078 * 2^-72 + |t| 2^-100.
//  e^t = 2^(n/128) e^v, v = t - n ln2/128 exactly as v_hi + v_lo, |v| <= 2^-8.529: reduction
//   2^-79 (n ln2/128's low part rounded), polynomial (degree 6, measured) 2^-72.0, its
//   evaluation 2^-69, dropped v_lo v_hi and s_lo q 2^-70 each, reconstruction with
//   2^(j/128) to 2^-106 in 3 roundings 2^-68; below 2^-67 in all, taken as 2^-64.
// Hence 2^53 delta <= 2^-11 + |y| 1.0078 * 2^-19 + |t| 2^-47, the terms of mu above.
//
// Special operands never reach that argument: x <= 0, subnormal, infinite or NaN x, and
// |t| > 708 (which takes in infinite or NaN y, and results near or beyond overflow and the
// subnormal range: e^708 < 2^1022, e^-708 > 2^-1022) go to the library, as does every result
// the kernel rounds to a power of two (1 for y = 0 or x = 1, among them).
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

// The margin, in ULP of the result: mu = mu_floor + |t| mu_per_t + |y| mu_per_y.
inline constexpr double mu_floor = 0.02 + 0x1p-11;
inline constexpr double mu_per_t = 1.5 * 0x1p-15 + 0x1p-47;
inline constexpr double mu_per_y = 0x1.02p-19;

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
template <class I>
inline I wrapping_sub(I a, I b) {
    typedef std::uint64_t U __attribute__((vector_size(sizeof(I))));
    return reinterpret_cast<I>(reinterpret_cast<U>(a) - reinterpret_cast<U>(b));
}

template <class I>
inline I wrapping_sub(I a, std::int64_t b) {
    typedef std::uint64_t U __attribute__((vector_size(sizeof(I))));
    return reinterpret_cast<I>(reinterpret_cast<U>(a) - static_cast<std::uint64_t>(b));
}

template <class T>
struct Attempt {
    T value;        // x^y, correctly rounded, where `proven`
    Int<T> proven;  // all ones where `value` is certainly the library's pow(x, y)
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
    constexpr std::int64_t magic = 0x4338000000000000;  // 0x1.8p52
    return from_bits<T>(k + magic) - 0x1.8p52;
}

template <class T>
inline Attempt<T> attempt(T x, T y) {
    namespace tb = pow_tables;
    using I = Int<T>;

    // log x = k ln2 + log(1/c) + log1p(r), r = z c - 1.
    const I ix = to_bits(x);
    const I shifted = wrapping_sub(ix, std::int64_t{tb::z_offset});
    const I k = shifted >> 52;
    const I i = (shifted >> (52 - tb::log_bits)) & ((1 << tb::log_bits) - 1);
    const T z = from_bits<T>(wrapping_sub(ix, I(k << 52)));
    const T kd = small_int_to_double<T>(k);
    // c = 1/centre of z's interval (one IEEE division, as the generator computes it).
    const T c = 1.0 / from_bits<T>((tb::z_offset + (std::int64_t{1} << (51 - tb::log_bits))) +
                                   (i << (52 - tb::log_bits)));
    const I row = i << 1;
    const T log_c_hi = gather<T>(tb::log_table, row);
    const T log_c_lo = gather<T>(tb::log_table + 1, row);

    T zc, rl;
    two_product(z, c, zc, rl);
    const T rh = zc - 1.0;  // exact: zc is within 2^-7 of 1
    T sq, sq_lo;
    two_product(rh, rh, sq, sq_lo);
    const T a_hi = kd * tb::ln2_hi + log_c_hi;  // exact: both on the grid of 2^-42, below 2^10
    T h_hi, h_lo;
    fast_two_sum(rh, sq * -0.5, h_hi, h_lo);
    T b_hi, b_lo;
    fast_two_sum(a_hi, h_hi, b_hi, b_lo);  // |a_hi| >= |h_hi| or a_hi = 0 (see the tables)
    const T p = mul_add(sq, mul_add(sq, mul_add(rh, tb::l8, tb::l7), mul_add(rh, tb::l6, tb::l5)),
                        mul_add(rh, tb::l4, tb::l3));
    const T rl_part = mul_add(rl, sq - rh, mul_add(sq_lo, -0.5, rl));
    const T lo = (((mul_add(kd, tb::ln2_lo, log_c_lo) + b_lo) + h_lo) + rl_part) + (sq * rh) * p;

    // t = y log x as th + tl; |lo| < 2^-14 |b_hi|.
    T yh, ye;
    two_product(y, b_hi, yh, ye);
    T th, tl;
    fast_two_sum(yh, mul_add(y, lo, ye), th, tl);

    // e^t = 2^m 2^(j/128) e^v with n = 128 m + j = round(t 128/ln2), v = t - n ln2/128.
    const T round_shift = mul_add(th, tb::inv_step, 0x1.8p52);
    const I n = wrapping_sub(to_bits(round_shift), std::int64_t{0x4338000000000000});
    const T nd = round_shift - 0x1.8p52;
    // Exact: nd * step_hi is, and both terms lie on a grid of 2^-61 or finer with a difference
    // below 2^-7 (ulp(th) < 2^-61 only for |th| < 2^-8, where nd is 0 or +-1).
    const T u_hi = mul_add(-nd, tb::step_hi, th);
    T v_hi, v_lo;
    two_sum(u_hi, mul_add(-nd, tb::step_lo, tl), v_hi, v_lo);
    const I j2 = (n & ((1 << tb::exp_bits) - 1)) << 1;
    const I m = n >> tb::exp_bits;
    const T s_hi = gather<T>(tb::exp_table, j2);
    const T s_lo = gather<T>(tb::exp_table + 1, j2);

    const T v2 = v_hi * v_hi;
    const T q = mul_add(v2,
                        mul_add(v2, mul_add(v2, tb::e6, mul_add(v_hi, tb::e5, tb::e4)),
                                mul_add(v_hi, tb::e3, tb::e2)),
                        v_lo);
    T sv_hi, sv_lo;
    two_product(s_hi, v_hi, sv_hi, sv_lo);
    T r_hi, r_e;
    fast_two_sum(s_hi, sv_hi, r_hi, r_e);
    const T r_lo = mul_add(s_hi, q, (r_e + sv_lo) + mul_add(s_lo, v_hi, s_lo));
    T f_hi, f_lo;
    fast_two_sum(r_hi, r_lo, f_hi, f_lo);

    // The certificate (see the top of this file for mu).
    const I f_bits = to_bits(f_hi);
    const I exponent = f_bits & 0x7FF0000000000000;
    const T ulp = from_bits<T>(exponent - (std::int64_t{52} << 52));
    const T half_ulp = from_bits<T>(exponent - (std::int64_t{53} << 52));
    const T mu = mul_add(abs(th), mu_per_t, mul_add(abs(y), mu_per_y, mu_floor));
    const I fine = (x >= 0x1p-1022) & (x <= 0x1.fffffffffffffp1023) & (abs(th) <= 708.0) &
                   ((f_bits & 0x000FFFFFFFFFFFFF) != 0) &
                   (abs(f_lo) <= mul_add(-mu, ulp, half_ulp));

    const T scale = from_bits<T>((m + 1023) << 52);
    return {f_hi * scale, fine};
}
#else
template <class T>
Attempt<T> attempt(T x, T y);  // not used without fused multiply-add (see kernel_used)
#endif

// The library's pow for the lanes not `proven`; out of line, so that the common path keeps its
// registers.
template <class T>
[[gnu::noinline, gnu::cold]] T library(T x, T y, T value, Int<T> proven,
                                       std::size_t& library_calls) {
    for (int i = 0; i < width<T>; ++i) {
        if (proven[i] == 0) {
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
// linker per access, which in a loaded module would cost as much as the kernel saves.
[[gnu::tls_model("initial-exec")]] inline thread_local Refused refused;

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
inline T pow(T x, T y, std::size_t& library_calls) {
    if constexpr (pow_kernel::kernel_used<T>) {
        if (libc::pow_error_bounded) {
            const pow_kernel::Attempt<T> a = pow_kernel::attempt(x, y);
            if (pow_kernel::refused.collecting) {
                pow_kernel::refused.lanes |= ~lane_bits(a.proven) & ((1u << width<T>) - 1);
                return a.value;
            }
            if (all(a.proven)) [[likely]] return a.value;
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
inline T pow(T x, T y) {
    std::size_t unused = 0;
    return pow(x, y, unused);
}

template <class T>
    requires is_lanes<T>
inline T pow(T x, double y) {
    return pow(x, splat<T>(y));
}

}  // namespace vortalix2::inline VORTALIX2_ISA::math
