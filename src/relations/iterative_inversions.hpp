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

#include "relations/area_ratio_bisection.hpp"
#include "relations/isentropic.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// The value an iterative inversion gives when it rejects its input or does not converge: the
// default quiet NaN (0x7FF8000000000000), whatever NaN the arithmetic may have produced.
inline constexpr double no_mach = std::numeric_limits<double>::quiet_NaN();

namespace detail {

inline constexpr double newton_tolerance = 1e-6;
inline constexpr int newton_step_limit = 100;

// Newton iteration from m: accepts the new iterate of the first step smaller than the
// tolerance; a step of exactly the tolerance or a NaN step ends it without a root, and so do
// 100 steps without acceptance. `next` maps an iterate to the next one.
template <class Next>
double newton(double m, const Next& next, int* steps) {
    for (int step = 1; step <= newton_step_limit; ++step) {
        const double mn = next(m);
        const double d = std::fabs(mn - m);
        if (d < newton_tolerance) {
            if (steps) *steps = step;
            return mn;
        }
        if (!(d > newton_tolerance)) {
            if (steps) *steps = step;
            return no_mach;
        }
        m = mn;
    }
    if (steps) *steps = newton_step_limit;
    return no_mach;
}

}  // namespace detail

// Ma from mdot sqrt(cp To)/(A Po) by Newton's method on
//   f(M) = ga/sqrt(ga - 1) M q^e,  e = -(ga + 1)/(2 (ga - 1)),  q = 1 + (ga - 1)/2 M^2,
//   f'(M) = f (1 - (ga + 1)/2 M^2/q) / M.
// The step needs q and M^2 besides f, so f is formed here rather than by McpToAPoFromMa; the
// exponent is grouped as ((ga + 1)/(ga - 1)) (-0.5).
struct MaFromMcpToAPo {
    double c;              // (ga - 1) * 0.5
    double e;              // (ga + 1)/(ga - 1) * (-0.5)
    double k;              // ga / sqrt(ga - 1)
    double b;              // (ga + 1) * 0.5
    double choking_limit;  // the mass flow at Ma = 1, the most any Mach number passes
    double m0;             // start: 1.5 on the supersonic branch, else 0.5

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
        m0 = sup ? 1.5 : 0.5;
    }

    double operator()(double x) const { return solve(x, nullptr); }

    // `steps` receives the Newton steps made (0 when x is above the choking limit).
    double solve(double x, int* steps) const {
        if (x > choking_limit) {  // NaN input is not rejected here; it fails in the iteration
            if (steps) *steps = 0;
            return no_mach;
        }
        const auto next = [this, x](double m) {
            const double s = m * m;
            const double q = 1.0 + c * s;
            const double p = std::pow(q, e);
            const double f = (k * m) * p;
            const double u = (b * s) / q;
            const double d1 = (f * (1.0 - u)) / m;
            return m - (f - x) / d1;
        };
        return detail::newton(m0, next, steps);
    }
};

// Ma from mdot sqrt(cp To)/(A P) by Newton's method on
//   f(M) = ga/sqrt(ga - 1) M sqrt(q),  f'(M) = ga/sqrt(ga - 1) (sqrt(q) + (ga - 1)/2 M^2/sqrt(q)).
// The per-call constants are those of McpToAPFromMa; the step keeps (ga - 1)/2 M^2 and
// sqrt(q), which the derivative shares with f.
struct MaFromMcpToAP {
    McpToAPFromMa flow;

    explicit MaFromMcpToAP(double ga) : flow(ga) {}

    double operator()(double x) const { return solve(x, nullptr); }

    // `steps` receives the Newton steps made.
    double solve(double x, int* steps) const {
        const double k = flow.k;
        const double c = flow.c;
        const auto next = [k, c, x](double m) {
            const double p = c * (m * m);
            const double q = p + 1.0;
            const double r = std::sqrt(q);
            const double f = (k * m) * r;  // McpToAPFromMa at m
            const double t = p / r;
            const double d1 = k * (r + t);
            return m - (f - x) / d1;
        };
        return detail::newton(0.5, next, steps);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
