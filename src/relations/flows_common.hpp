// What the toolkit's relations share: lane-wise choice and library calls, the guard that gives
// NaN outside a relation's domain, and the bracketed Newton iteration of its inversions.
//
// Everything here is written once over the lane type T (double or math::Lanes<W>), so every
// width performs each lane's operations in the scalar order and gives the scalar bits.
#pragma once

#include <cmath>
#include <limits>
#include <type_traits>

#include "math/lanes.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();
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
inline M no(M m) {
    if constexpr (std::is_same_v<M, bool>) {
        return !m;
    } else {
        return ~m;
    }
}

template <class M>
inline bool any_lane(M m) {
    if constexpr (std::is_same_v<M, bool>) {
        return m;
    } else {
        return math::lane_bits(m) != 0;
    }
}

template <class M>
inline bool all_lanes(M m) {
    if constexpr (std::is_same_v<M, bool>) {
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
inline T atan2_one(T x) {  // atan2(1, x): the angle whose cotangent is x
    return per_lane([](double v) { return std::atan2(1.0, v); }, x);
}

template <class T>
inline T cbrt(T x) {
    return per_lane([](double v) { return std::cbrt(v); }, x);
}

template <class T>
inline T log(T x) {
    return per_lane([](double v) { return std::log(v); }, x);
}

// A relation made total: NaN outside [lo, hi] (or [lo, hi) when `hi_open`), NaN input stays
// NaN, and at x = +inf the relation's limit where the formula itself cannot give it.
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
    T operator()(T x) const {
        const T r = relation(x);
        const auto below_hi = hi_open ? (x < hi) : (x <= hi);
        const auto inside = (x >= lo) & below_hi;
        T out = pick(inside, r, nan);
        if (fix_inf) out = pick(x == inf, at_inf, out);
        return out;
    }
    double operator()(double x) const {
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
    auto done = s.settled;
    for (int step = 0; step < newton_limit && !all_lanes(done); ++step) {
        const T f = inv.residual(m, x);
        const T d = inv.slope(m);
        // The root lies above m where the relation is below the target on a rising branch
        // (or above it on a falling one).
        const auto root_above = inv.rising ? (f < 0.0) : (f > 0.0);
        const auto exact = (f == 0.0);
        lo = pick(root_above & no(done), m, lo);
        hi = pick(no(root_above) & no(exact) & no(done), m, hi);
        T next = m - f / d;
        const auto inside = (next > lo) & (next < hi);
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
        const auto ends = exact | small | tight | (f != f);
        m = pick(done | exact, m, next);
        done = done | ends;
    }
    return pick(s.settled, s.answer, m);
}

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
