// Mach number from a quantity with no closed-form inverse, by Newton's method on
// relation(Ma) - target from a fixed start value.
//
// Each inversion's `newton(target)` builds the solver for one element: the residual is the
// forward relation minus the target, the slope is the relation's derivative, both reading the
// constants that depend on ga alone, computed once per call. A failed solve, or a rejected
// target, gives the default quiet NaN; a root is returned as found, without a range test.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

#include "math/lanes.hpp"
#include "math/pow.hpp"
#include "relations/normal_shock.hpp"
#include "solve/newton.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

namespace newton_inversion {

inline constexpr double tolerance = 1e-6;
inline constexpr std::size_t limit = 100;

inline double root_or_nan(solve::NewtonResult r) {
    // Written explicitly: the NaN an iterate ends on may carry any payload or sign.
    return r.is_root() ? r.root : std::numeric_limits<double>::quiet_NaN();
}

// The solver for one target of an inversion: residual relation(x) - target, slope the
// inversion's derivative of the relation.
template <class Inversion>
auto solver(const Inversion& inversion, double target) {
    auto residual = [&inversion, target](double x) { return inversion.relation(x) - target; };
    auto slope = [&inversion](double x) { return inversion.slope(x); };
    return solve::Newton<decltype(residual), decltype(slope)>{residual, slope, tolerance, limit};
}

// The same iteration for several targets at once, one lane each: a step of the solver, and
// the solver's decision after it (the counter stands at step + 1 after `step` steps).
struct SolverNewton {
    static constexpr double tolerance = newton_inversion::tolerance;
    static constexpr int step_limit = static_cast<int>(limit);

    template <class Inversion, class T>
    static math::Step<T> advance(const Inversion& inv, T target, T x) {
        const T f = inv.relation(x) - target;
        const T d = inv.slope(x);
        const T dx = f / d;
        return {x - dx, math::abs(dx)};
    }

    static bool finished(double x, double size, int step, double& result) {
        const auto i = static_cast<std::size_t>(step) + 1;
        if (solve::continues(size, i, tolerance, limit)) return false;
        result = root_or_nan(solve::outcome(x, i, limit));
        return true;
    }
};

}  // namespace newton_inversion

// Upstream Mach number of a normal shock from the downstream one. Mash never exceeds 1 on the
// supersonic branch, so larger targets are rejected before iterating.
struct MaFromMash {
    using Iteration = newton_inversion::SolverNewton;
    static constexpr double start = 0.5;

    MashFromMa relation;
    double ga;
    double h;  // (ga - 1) * 0.5
    double q;  // (ga + 1)^2

    explicit MaFromMash(double ga) : relation(ga), ga(ga), h((ga - 1.0) * 0.5) {
        const double gp1 = ga + 1.0;
        q = gp1 * gp1;
    }

    // dMash/dMa = -(ga + 1)^2 Ma / (sqrt(2) sqrt(1 + (ga - 1)/2 Ma^2) (1 + ga (2 Ma^2 - 1))^(3/2)).
    template <class T>
    T slope(T x) const {
        const T x2 = x * x;
        const T u = (x2 + x2) - 1.0;
        const T l = math::sqrt(1.0 + ga * u);
        const T m = math::sqrt(1.0 + h * x2);
        const T p = ((q * x) * -0.7071067811865476) * (1.0 / m);  // -1/sqrt(2)
        const T l3 = l * (l * l);
        return p * (1.0 / l3);
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

    bool settled(double target, double& result) const {
        result = std::numeric_limits<double>::quiet_NaN();
        return target > 1.0;  // NaN goes on
    }

    double operator()(double target) const {
        double result;
        if (settled(target, result)) return result;
        return newton_inversion::root_or_nan(newton(target).solve(start));
    }
};

// Upstream Mach number of a normal shock from the stagnation-pressure ratio across it.
struct MaFromPoshPo {
    using Iteration = newton_inversion::SolverNewton;
    static constexpr double start = 1.5;

    PoshPoFromMa relation;  // its c1, c3 and e1 are also the slope's constants
    double ga;
    double gp1;  // ga + 1
    double en;   // -ga / (ga - 1)
    double h;    // (ga - 1) * 0.5

    explicit MaFromPoshPo(double ga) : relation(ga), ga(ga) {
        const double gm1 = ga - 1.0;
        gp1 = ga + 1.0;
        en = (-ga) / gm1;
        h = gm1 * 0.5;
    }

    // dPosh_Po/dMa = -ga Ma (Ma^2 - 1)^2 / (1 + (ga - 1)/2 Ma^2)^2
    //              * [(ga + 1) Ma^2 / (2 + (ga - 1) Ma^2)]^(1/(ga - 1))
    //              * [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-ga/(ga - 1)),
    // zero at Ma = 1, where the relation touches 1.
    template <class T>
    T slope(T x) const {
        const T x2 = x * x;
        const T s = x2 - 1.0;
        const T w = -(s * s);
        const T t = 1.0 + h * x2;
        T a = ((ga * x) * w) / (t * t);
        const T c = math::pow(((gp1 * x2) / t) * 0.5, relation.e1);
        a = a * c;
        const T e = math::pow(relation.c3 * x2 - relation.c1, en);
        return e * a;
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

    bool settled(double, double&) const { return false; }  // every target iterates

    double operator()(double target) const {
        return newton_inversion::root_or_nan(newton(target).solve(start));
    }
};

// Impulse function over mdot sqrt(cp To),
//   F_mcpTo = sqrt(ga - 1)/ga (1 + ga Ma^2) / (Ma sqrt(1 + (ga - 1)/2 Ma^2)).
// Falls to its minimum at Ma = 1 and rises towards sqrt(2); used only as a residual.
struct FMcpToFromMa {
    double ga;
    double k;  // sqrt(ga - 1) / ga
    double h;  // (ga - 1) * 0.5
    explicit FMcpToFromMa(double ga) : ga(ga) {
        const double gm1 = ga - 1.0;
        k = std::sqrt(gm1) / ga;
        h = gm1 * 0.5;
    }
    template <class T>
    T operator()(T ma) const {
        const T x2 = ma * ma;
        const T m = math::sqrt(1.0 + h * x2);
        const T n = k * (1.0 + ga * x2);
        return (n / ma) * (1.0 / m);
    }
};

// Mach number from the impulse function; `sup` starts the iteration on the supersonic side.
struct MaFromFMcpTo {
    using Iteration = newton_inversion::SolverNewton;

    FMcpToFromMa relation;
    double start;  // 1.5 if sup, else 0.5

    MaFromFMcpTo(double ga, bool sup) : relation(ga), start(sup ? 1.5 : 0.5) {}

    // dF_mcpTo/dMa = sqrt(ga - 1)/ga (Ma^2 - 1) / (Ma^2 (1 + (ga - 1)/2 Ma^2)^(3/2)).
    template <class T>
    T slope(T x) const {
        const T x2 = x * x;
        const T m = math::sqrt(1.0 + relation.h * x2);
        const T m3 = m * (m * m);
        const T n = relation.k * (x2 - 1.0);
        return (n / x2) * (1.0 / m3);
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

    bool settled(double, double&) const { return false; }  // every target iterates

    double operator()(double target) const {
        return newton_inversion::root_or_nan(newton(target).solve(start));
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
