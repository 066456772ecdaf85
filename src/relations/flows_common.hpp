// What the toolkit's relations share: lane-wise choice and library calls, the guard that gives
// NaN outside a relation's domain, and the bracketed Newton iteration of its inversions.
//
// Everything here is written once over the lane type T (double or math::Lanes<W>), so every
// width performs each lane's operations in the scalar order and gives the scalar bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "math/lanes.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();
inline constexpr double eps = 0x1p-53;  // half the spacing of doubles just above 1
inline constexpr double degrees_per_radian = 57.295779513082320876798;  // 180/pi

// The result type of comparing two T: bool for a double, a lane mask otherwise.
template <class T>
using MaskOf = decltype(T{} < T{});

// Lane by lane, a where the mask holds, else b; either may be a double for every lane.
inline double pick(bool m, double a, double b) { return m ? a : b; }

template <class T>
    requires math::is_lanes<T>
inline T pick(MaskOf<T> m, T a, T b) {
    return m ? a : b;
}

template <class T>
    requires math::is_lanes<T>
inline T pick(MaskOf<T> m, double a, T b) {
    return pick(m, math::splat<T>(a), b);
}

template <class T>
    requires math::is_lanes<T>
inline T pick(MaskOf<T> m, T a, double b) {
    return pick(m, a, math::splat<T>(b));
}

// The lanes where a mask does not hold.
template <class M>
inline auto no(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return !m;  // bool, or the int that & and | make of bools
    } else {
        return ~m;
    }
}

template <class M>
inline bool any_lane(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return m;
    } else {
        return math::lane_bits(m) != 0;
    }
}

template <class M>
inline bool all_lanes(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return m;
    } else {
        return math::all(m);
    }
}

// A C-library function of one argument, called per lane.
template <class T, class F>
inline T per_lane(F f, T x) {
    if constexpr (math::is_lanes<T>) {
        T r{};
        for (int i = 0; i < math::width<T>; ++i) r[i] = f(x[i]);
        return r;
    } else {
        return f(x);
    }
}

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

// M (1/ratio)^(1/k) in the lanes of `far`, with the C library's log and exp; M elsewhere.
template <class T>
inline T power_step(MaskOf<T> far, T m, T ratio, T k) {
    const auto one = [](double mi, double ri, double ki) { return mi * std::exp(-std::log(ri) / ki); };
    if constexpr (math::is_lanes<T>) {
        T r = m;
        for (int i = 0; i < math::width<T>; ++i) {
            if (far[i] != 0) r[i] = one(m[i], ratio[i], k[i]);
        }
        return r;
    } else {
        return far ? one(m, ratio, k) : m;
    }
}

// The start of an inversion for one or more targets: an estimate of the root, a bracket
// [lo, hi] that holds it on the requested branch, and the lanes whose answer is already known
// (outside the domain, the domain's ends), with that answer.
template <class T>
struct Start {
    T m;
    T lo;
    T hi;
    MaskOf<T> settled;
    T answer;
};

// Bracketed Newton: from the estimate, Newton steps on relation(m) - target; each residual's
// sign narrows the bracket, and a step that would leave the bracket is replaced by halving it
// (geometrically where it spans more than a factor of four; doubling while its top is
// infinite). It ends when a step is at most `rel_tol` of the iterate, the bracket is two
// neighbouring doubles, or after `limit` steps, and returns the last iterate, which is on the
// branch by construction.
//
// The inversion supplies start(x), residual(m, x) (relation(m) - x, its sign showing whether
// the root is above: `rising` says whether the relation grows with m) and slope(m).
inline constexpr int newton_limit = 200;
inline constexpr double rel_tol = 0x1p-51;

template <class Inversion, class T>
T solve_bracketed(const Inversion& inv, T x) {
    Start<T> s = inv.template start<T>(x);
    T lo = s.lo;
    T hi = s.hi;
    // An estimate that is not strictly inside the bracket (or NaN) is replaced by its middle.
    const T middle = pick(hi == inf, lo * 2.0 + 1.0, lo + (hi - lo) * 0.5);
    T m = pick((s.m > lo) & (s.m < hi), s.m, middle);
    T f_lo = math::splat<T>(inf);  // |residual| at the bracket's ends, where evaluated
    T f_hi = math::splat<T>(inf);
    auto done = s.settled;
    for (int step = 0; step < newton_limit && !all_lanes(done); ++step) {
        const T f = inv.residual(m, x);
        const T d = inv.slope(m);
        // The root lies above m where the relation is below the target on a rising branch
        // (or above it on a falling one).
        const auto root_above = inv.rising ? (f < 0.0) : (f > 0.0);
        const auto exact = (f == 0.0);
        const auto to_lo = root_above & no(done);
        const auto to_hi = no(root_above) & no(exact) & no(done);
        lo = pick(to_lo, m, lo);
        f_lo = pick(to_lo, math::abs(f), f_lo);
        hi = pick(to_hi, m, hi);
        f_hi = pick(to_hi, math::abs(f), f_hi);
        T next = m - f / d;
        // Far from the root (the relation off the target by more than a factor of two) the
        // step is taken on the logarithms, M <- M (x/R)^(1/k) with k = dlnR/dlnM, which is
        // exact for a power law: plain Newton creeps along the steep power laws of these
        // relations at large and small Mach numbers.
        const T ratio = (f + x) / x;
        const auto far = ((ratio > 2.0) | (ratio < 0.5)) & (ratio > 0.0) & no(done);
        if (any_lane(far)) {
            const T k = (m * d) / (f + x);
            next = pick(far, power_step(far, m, ratio, k), next);
        }
        const auto inside = (next >= lo) & (next <= hi);  // a bracket end is a tried point
        // Halving the bracket: by its geometric mean when it is wide and positive, by doubling
        // while the top is unbounded.
        const T arith = lo + (hi - lo) * 0.5;
        const auto wide = (lo > 0.0) & (hi > lo * 4.0);
        const T geo = math::sqrt(lo) * math::sqrt(hi);
        T half = pick(wide, geo, arith);
        half = pick(hi == inf, pick(lo > 1.0, lo * 4.0, math::splat<T>(4.0)), half);
        next = pick(inside, next, half);
        const T size = math::abs(next - m);
        const auto small = size <= math::abs(next) * rel_tol;
        const auto tight = no(half > lo) | no(half < hi);  // no double strictly inside
        // A step back to a bracket end, already evaluated, would only repeat itself (the
        // residual's rounding can make Newton alternate between two close iterates): the
        // iteration ends on whichever of the two has the smaller residual.
        const auto back = (next == lo) | (next == hi);
        const T f_back = pick(next == lo, f_lo, f_hi);
        next = pick(back & (math::abs(f) <= f_back), m, next);
        const auto ends = exact | small | tight | back | (f != f);
        m = pick(done | exact, m, next);
        done = done | ends;
    }
    return pick(s.settled, s.answer, m);
}

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
