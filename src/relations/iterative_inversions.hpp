// Inversions by iteration: the Mach number from the area ratio A/A* (bisection) and from the
// two non-dimensional mass flows mdot sqrt(cp To)/(A Po) and mdot sqrt(cp To)/(A P) (Newton).
//
// A/A* and the mass flow on Po take every value but their extreme twice, once on each side of
// Ma = 1; `sup` selects the supersonic root. The mass flow on P rises monotonically.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "math/lanes.hpp"
#include "math/pow.hpp"
#include "relations/area_ratio_bisection.hpp"
#include "relations/isentropic.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// The value an iterative inversion gives when it rejects its input or does not converge: the
// default quiet NaN (0x7FF8000000000000), whatever NaN the arithmetic may have produced.
inline constexpr double no_mach = std::numeric_limits<double>::quiet_NaN();

// The Newton iterations written into the mass-flow inversions: accept the new iterate of the
// first step smaller than the tolerance; a step of exactly the tolerance or a NaN step ends the
// iteration without a root, and so do 100 steps without acceptance.
struct InlineNewton {
    static constexpr double tolerance = 1e-6;
    static constexpr int step_limit = 100;

    // One step from m towards the target x: the new iterate and the size of the step.
    template <class Inversion, class T>
    static math::Step<T> advance(const Inversion& inv, T x, T m) {
        const T mn = inv.next(x, m);
        return {mn, math::abs(mn - m)};
    }

    // Whether step number `step`, to mn and of size d, ends the iteration, and with what result.
    static bool finished(double mn, double d, int step, double& result) {
        if (d < tolerance) {
            result = mn;
            return true;
        }
        if (!(d > tolerance) || step == step_limit) {
            result = no_mach;
            return true;
        }
        return false;
    }

    // The whole iteration for one target; `steps` receives the steps made.
    template <class Inversion>
    static double run(const Inversion& inv, double x, int* steps) {
        double m = inv.start;
        for (int step = 1;; ++step) {
            const math::Step<double> s = advance(inv, x, m);
            double result;
            if (finished(s.next, s.size, step, result)) {
                if (steps) *steps = step;
                return result;
            }
            m = s.next;
        }
    }
};

// Ma from mdot sqrt(cp To)/(A Po) by Newton's method on
//   f(M) = ga/sqrt(ga - 1) M q^e,  e = -(ga + 1)/(2 (ga - 1)),  q = 1 + (ga - 1)/2 M^2,
//   f'(M) = f (1 - (ga + 1)/2 M^2/q) / M.
// The step needs q and M^2 besides f, so f is formed here rather than by McpToAPoFromMa; the
// exponent is grouped as ((ga + 1)/(ga - 1)) (-0.5).
struct MaFromMcpToAPo {
    using Iteration = InlineNewton;

    double c;              // (ga - 1) * 0.5
    double e;              // (ga + 1)/(ga - 1) * (-0.5)
    double k;              // ga / sqrt(ga - 1)
    double b;              // (ga + 1) * 0.5
    double choking_limit;  // the mass flow at Ma = 1, the most any Mach number passes
    double start;          // 1.5 on the supersonic branch, else 0.5

    MaFromMcpToAPo(double ga, bool sup) {
        const double g = ga - 1.0;
        const double n = ga + 1.0;
        const double r = n / g;
        e = r * -0.5;
        c = g * 0.5;
        const double l0 = std::pow(c + 1.0, e);
        k = ga / std::sqrt(g);
        choking_limit = k * l0;
        b = n * 0.5;
        start = sup ? 1.5 : 0.5;
    }

    // Input above the choking limit has no Mach number; NaN input is not rejected here, it
    // fails in the iteration.
    bool settled(double x, double& result) const {
        result = no_mach;
        return x > choking_limit;
    }

    // The Newton step from m towards the target x.
    template <class T>
    T next(T x, T m) const {
        const T s = m * m;
        const T q = 1.0 + c * s;
        const T p = math::pow(q, e);
        const T f = (k * m) * p;
        const T u = (b * s) / q;
        const T d1 = (f * (1.0 - u)) / m;
        return m - (f - x) / d1;
    }

    double operator()(double x) const { return solve(x, nullptr); }

    // `steps` receives the Newton steps made (0 when x is above the choking limit).
    double solve(double x, int* steps) const {
        double result;
        if (settled(x, result)) {
            if (steps) *steps = 0;
            return result;
        }
        return Iteration::run(*this, x, steps);
    }
};

// Ma from mdot sqrt(cp To)/(A P) by Newton's method on
//   f(M) = ga/sqrt(ga - 1) M sqrt(q),  f'(M) = ga/sqrt(ga - 1) (sqrt(q) + (ga - 1)/2 M^2/sqrt(q)).
// The per-call constants are those of McpToAPFromMa; the step keeps (ga - 1)/2 M^2 and
// sqrt(q), which the derivative shares with f.
struct MaFromMcpToAP {
    using Iteration = InlineNewton;
    static constexpr double start = 0.5;

    McpToAPFromMa flow;

    explicit MaFromMcpToAP(double ga) : flow(ga) {}

    // Every input iterates.
    bool settled(double, double&) const { return false; }

    template <class T>
    T next(T x, T m) const {
        const T p = flow.c * (m * m);
        const T q = p + 1.0;
        const T r = math::sqrt(q);
        const T f = (flow.k * m) * r;  // McpToAPFromMa at m
        const T t = p / r;
        const T d1 = flow.k * (r + t);
        return m - (f - x) / d1;
    }

    double operator()(double x) const { return solve(x, nullptr); }

    // `steps` receives the Newton steps made.
    double solve(double x, int* steps) const { return Iteration::run(*this, x, steps); }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
