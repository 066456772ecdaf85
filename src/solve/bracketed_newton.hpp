// The bracketed Newton iteration of the toolkit's inversions, in lanes: each lane keeps a bracket
// that holds its root on the requested branch and steps as the scalar iteration does, so every
// width gives the scalar bits. The core's own iterations are in newton.hpp and its relations.
#pragma once

#include <cmath>
#include <limits>

#include "math/lane_choice.hpp"
#include "math/lanes.hpp"

namespace vortalix2::inline VORTALIX2_ISA::solve {

using math::all_lanes;
using math::any_lane;
using math::MaskOf;
using math::no;
using math::pick;

inline constexpr double inf = std::numeric_limits<double>::infinity();

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

}  // namespace vortalix2::inline VORTALIX2_ISA::solve
