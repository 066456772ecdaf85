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

}  // namespace newton_inversion

// Upstream Mach number of a normal shock from the downstream one. Mash never exceeds 1 on the
// supersonic branch, so larger targets are rejected before iterating.
struct MaFromMash {
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
    double slope(double x) const {
        const double x2 = x * x;
        const double u = (x2 + x2) - 1.0;
        const double l = std::sqrt(1.0 + ga * u);
        const double m = std::sqrt(1.0 + h * x2);
        const double p = ((q * x) * -0.7071067811865476) * (1.0 / m);  // -1/sqrt(2)
        const double l3 = l * (l * l);
        return p * (1.0 / l3);
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

    double operator()(double target) const {
        if (target > 1.0) return std::numeric_limits<double>::quiet_NaN();  // NaN goes on
        return newton_inversion::root_or_nan(newton(target).solve(start));
    }
};

// Upstream Mach number of a normal shock from the stagnation-pressure ratio across it.
struct MaFromPoshPo {
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
    double slope(double x) const {
        const double x2 = x * x;
        const double s = x2 - 1.0;
        const double w = -(s * s);
        const double t = 1.0 + h * x2;
        double a = ((ga * x) * w) / (t * t);
        const double c = std::pow(((gp1 * x2) / t) * 0.5, relation.e1);
        a = a * c;
        const double e = std::pow(relation.c3 * x2 - relation.c1, en);
        return e * a;
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

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
    double operator()(double ma) const {
        const double x2 = ma * ma;
        const double m = std::sqrt(1.0 + h * x2);
        const double n = k * (1.0 + ga * x2);
        return (n / ma) * (1.0 / m);
    }
};

// Mach number from the impulse function; `sup` starts the iteration on the supersonic side.
struct MaFromFMcpTo {
    FMcpToFromMa relation;
    double start;  // 1.5 if sup, else 0.5

    MaFromFMcpTo(double ga, bool sup) : relation(ga), start(sup ? 1.5 : 0.5) {}

    // dF_mcpTo/dMa = sqrt(ga - 1)/ga (Ma^2 - 1) / (Ma^2 (1 + (ga - 1)/2 Ma^2)^(3/2)).
    double slope(double x) const {
        const double x2 = x * x;
        const double m = std::sqrt(1.0 + relation.h * x2);
        const double m3 = m * (m * m);
        const double n = relation.k * (x2 - 1.0);
        return (n / x2) * (1.0 / m3);
    }

    auto newton(double target) const { return newton_inversion::solver(*this, target); }

    double operator()(double target) const {
        return newton_inversion::root_or_nan(newton(target).solve(start));
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
