// What the toolkit's relations share: the constants, the library calls per lane, the guard that
// gives NaN outside a relation's domain; with the lane choice (math/lane_choice.hpp) and the
// bracketed Newton iteration of the inversions (solve/bracketed_newton.hpp) brought in.
//
// Everything here is written once over the lane type T (double or math::Lanes<W>), so every
// width performs each lane's operations in the scalar order and gives the scalar bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "math/lane_choice.hpp"
#include "math/lanes.hpp"
#include "solve/bracketed_newton.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();
inline constexpr double eps = 0x1p-53;  // half the spacing of doubles just above 1
inline constexpr double degrees_per_radian = 57.295779513082320876798;  // 180/pi

using math::all_lanes;
using math::any_lane;
using math::MaskOf;
using math::no;
using math::per_lane;
using math::pick;
using solve::newton_limit;
using solve::rel_tol;
using solve::solve_bracketed;
using solve::Start;

template <class T>
inline T atan(T x) {
    return per_lane([](double v) { return std::atan(v); }, x);
}

template <class T>
inline T cbrt(T x) {
    return per_lane([](double v) { return std::cbrt(v); }, x);
}

template <class T>
inline T log(T x) {
    return per_lane([](double v) { return std::log(v); }, x);
}

// ln x to about 1% of |ln x| + 0.06 for positive normal x, from its bit pattern alone
// (exponent plus mantissa as a fraction, times ln 2). Enough for a correction term.
template <class T>
inline T rough_log(T x) {
    constexpr double scale = 0x1p-52 * 0.6931471805599453;
    if constexpr (math::is_lanes<T>) {
        using M = math::Mask<math::width<T>>;
        const auto bits = reinterpret_cast<M>(x);
        return __builtin_convertvector(bits, T) * scale - 1023.0 * 0.6931471805599453;
    } else {
        std::int64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        return static_cast<double>(bits) * scale - 1023.0 * 0.6931471805599453;
    }
}

// The part of the exponent n/d that its rounded quotient e = RN(n/d) misses, with n the
// exact sum n_hi + n_lo: (n - e d)/d, e d taken exactly (Dekker's product, no fused
// multiply-add). x^(n/d) = x^e (1 + e_lo ln x) to far below an ULP, which lets an inversion
// measure its residual without the error the exponent's rounding puts into x^e.
inline double exponent_low(double n_hi, double n_lo, double d, double e) {
    constexpr double split = 134217729.0;  // 2^27 + 1
    const auto halves = [](double a, double& hi, double& lo) {
        const double t = split * a;
        hi = t - (t - a);
        lo = a - hi;
    };
    double eh, el, dh, dl;
    halves(e, eh, el);
    halves(d, dh, dl);
    const double p = e * d;
    const double perr = ((eh * dh - p) + eh * dl + el * dh) + el * dl;
    return (((n_hi - p) - perr) + n_lo) / d;
}

// ga + 1 as an exact sum hi + lo.
inline void ga_plus_one(double ga, double& hi, double& lo) {
    hi = ga + 1.0;
    const double back = hi - 1.0;
    lo = (ga - back) + (1.0 - (hi - back));
}

// A relation made total: NaN outside [lo, hi] (or [lo, hi) when `hi_open`), NaN input stays
// NaN, -0 counts as +0, and at x = +inf the relation's limit where the formula itself cannot
// give it.
// Inside the domain the wrapped relation's value is returned untouched, bit for bit.
template <class Relation>
struct Guarded {
    Relation relation;
    double lo;
    double hi;
    bool hi_open;
    bool fix_inf;      // whether +inf input gives `at_inf` rather than the formula's value
    double at_inf;

    template <class T>
    T operator()(T x0) const {
        const T x = x0 + 0.0;  // -0 is Ma = 0 too: +0, which gives the limit's sign
        const T r = relation(x);
        const auto below_hi = hi_open ? (x < hi) : (x <= hi);
        const auto inside = (x >= lo) & below_hi;
        T out = pick(inside, r, nan);
        if (fix_inf) out = pick(x == inf, at_inf, out);
        return out;
    }
    double operator()(double x0) const {
        const double x = x0 + 0.0;
        const double r = relation(x);
        const bool inside = x >= lo && (hi_open ? x < hi : x <= hi);
        if (fix_inf && x == inf) return at_inf;
        return inside ? r : nan;
    }
};

template <class Relation>
Guarded<Relation> guarded(Relation r, double lo, double hi = inf, bool hi_open = false) {
    return {r, lo, hi, hi_open, false, 0.0};
}

template <class Relation>
Guarded<Relation> guarded_with_limit(Relation r, double lo, double at_inf) {
    return {r, lo, inf, false, true, at_inf};
}

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
