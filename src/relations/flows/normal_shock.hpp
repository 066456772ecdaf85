// The toolkit's normal-shock relations beyond the core's: the static pressure, temperature and
// density ratios, the pitot ratio Po2/P1, and the upstream Mach number from each of them and
// from the core's Mash and Posh/Po. Every one is defined for an upstream Ma >= 1 (NaN below).
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"
#include "relations/flows/common.hpp"
#include "relations/newton_inversions.hpp"
#include "relations/normal_shock.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

// P2/P1 = 1 + 2 ga/(ga + 1) (Ma^2 - 1), with Ma^2 - 1 as (Ma - 1)(Ma + 1).
struct P2P1FromMa {
    double k;  // 2 ga / (ga + 1)
    explicit P2P1FromMa(double ga) : k((ga + ga) / (ga + 1.0)) {}
    template <class T>
    T operator()(T ma) const {
        const T d = (ma - 1.0) * (ma + 1.0);
        return 1.0 + k * d;
    }
};

// rho2/rho1 = (ga + 1) Ma^2 / ((ga - 1) Ma^2 + 2), taken as (ga + 1)/((ga - 1) + 2/Ma^2),
// which reaches its limit (ga + 1)/(ga - 1) at Ma = inf.
struct Rho2Rho1FromMa {
    double gp1;
    double gm1;
    explicit Rho2Rho1FromMa(double ga) : gp1(ga + 1.0), gm1(ga - 1.0) {}
    template <class T>
    T operator()(T ma) const {
        const T s = ma * ma;
        return gp1 / (gm1 + 2.0 / s);
    }
};

// T2/T1 = (P2/P1) / (rho2/rho1).
struct T2T1FromMa {
    P2P1FromMa pressure;
    Rho2Rho1FromMa density;
    explicit T2T1FromMa(double ga) : pressure(ga), density(ga) {}
    template <class T>
    T operator()(T ma) const { return pressure(ma) / density(ma); }
};

// Pitot ratio Po2/P1 = A^(ga/(ga-1)) B^(1/(ga-1)), A = (ga + 1)/2 Ma^2,
// B = (ga + 1)/(2 ga Ma^2 - (ga - 1)); taken as A (A B)^(1/(ga - 1)), whose power has a
// bounded base (A B -> (ga + 1)^2/(4 ga)), so no factor overflows before the product does.
struct Po2P1FromMa {
    double b;   // (ga + 1)/2
    double n;   // (ga + 1)^2 / 2
    double g2;  // 2 ga
    double gm1;
    double e;   // 1/(ga - 1)
    explicit Po2P1FromMa(double ga) {
        b = (ga + 1.0) * 0.5;
        n = b * (ga + 1.0);
        g2 = ga + ga;
        gm1 = ga - 1.0;
        e = 1.0 / gm1;
    }
    template <class T>
    T operator()(T ma) const {
        const T s = ma * ma;
        const T a = b * s;
        const T ab = (n * s) / (g2 * s - gm1);
        return a * math::pow(ab, e);
    }
};

// Ma from P2/P1 >= 1: Ma = sqrt(1 + (P2/P1 - 1)(ga + 1)/(2 ga)).
struct MaFromP2P1 {
    double k;  // (ga + 1)/(2 ga)
    explicit MaFromP2P1(double ga) : k((ga + 1.0) / (ga + ga)) {}
    template <class T>
    T operator()(T x) const {
        const T r = math::sqrt(1.0 + (x - 1.0) * k);
        return pick(x >= 1.0, r, nan);
    }
};

// Ma from Mash: the relation is its own inverse, Ma = sqrt((1 + h Mash^2)/(ga Mash^2 - h)),
// h = (ga - 1)/2, for sqrt(h/ga) <= Mash <= 1; the lower end (and any Mash whose denominator
// rounds to zero or below there) gives +inf.
struct MaFromMashClosed {
    double ga;
    double h;
    double lowest;  // sqrt(h/ga)
    explicit MaFromMashClosed(double ga) : ga(ga), h((ga - 1.0) * 0.5) {
        lowest = std::sqrt(h / ga);
    }
    template <class T>
    T operator()(T x) const {
        const T s = x * x;
        const T num = 1.0 + h * s;
        const T den = ga * s - h;
        const T r = pick(den > 0.0, math::sqrt(num / den), math::splat<T>(inf));
        return pick((x >= lowest) & (x <= 1.0), r, nan);
    }
};

// Ma from the stagnation-pressure ratio Posh/Po across the shock, 0 <= x <= 1 (1 gives 1,
// 0 gives +inf). Start values: -ln(Posh/Po) ~ 16 ga/(3 (ga + 1)^2) (Ma - 1)^3 near 1, and
// Posh/Po ~ 1/(K Ma^(2/(ga - 1))) for large Ma, K = (2 ga/(ga + 1))^(1/(ga - 1))
// ((ga - 1)/(ga + 1))^(ga/(ga - 1)).
struct MaFromPoshPoBranch {
    MaFromPoshPo core;  // the relation and its slope
    double near_k;      // 3 (ga + 1)^2 / (16 ga)
    double far_k;       // 1/K
    double far_p;       // (ga - 1)/2
    bool rising = false;
    explicit MaFromPoshPoBranch(double ga) : core(ga) {
        const double gp1 = ga + 1.0;
        near_k = 3.0 * gp1 * gp1 / (16.0 * ga);
        const double kk = std::pow(2.0 * ga / gp1, 1.0 / (ga - 1.0)) *
                          std::pow((ga - 1.0) / gp1, ga / (ga - 1.0));
        far_k = 1.0 / kk;
        far_p = (ga - 1.0) * 0.5;
    }
    template <class T>
    Start<T> start(T x) const {
        // Within 32 ULP above 1, where the forward relation's rounding puts some Mach
        // numbers next to 1, the answer is 1.
        const auto outside = no((x >= 0.0) & (x <= 1.0 + 32 * eps));
        const auto one = (x >= 1.0) & no(outside);
        const auto zero = x == 0.0;
        const auto settled = outside | one | zero;
        T answer = pick(one, 1.0, math::splat<T>(nan));
        answer = pick(zero, inf, answer);
        const T y = pick(settled, 0.5, x);
        const T near = 1.0 + cbrt(-log(y) * near_k);
        const T far = math::pow(far_k / y, far_p);
        const T m = pick(y > 0.3, near, far);
        return {m, math::splat<T>(1.0), math::splat<T>(inf), MaskOf<T>(settled), answer};
    }
    template <class T>
    T residual(T m, T x) const { return core.relation(m) - x; }
    template <class T>
    T slope(T m) const { return core.slope(m); }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};

// Ma from the pitot ratio Po2/P1, which rises from its value at Ma = 1 (the isentropic Po/P
// there) as about K Ma^2, K = (ga + 1)/2 ((ga + 1)^2/(4 ga))^(1/(ga - 1)).
struct MaFromPo2P1 {
    Po2P1FromMa relation;
    double lowest;  // the relation at Ma = 1
    double far_k;   // 1/K
    bool rising = true;
    explicit MaFromPo2P1(double ga) : relation(ga) {
        lowest = relation(1.0);
        const double gp1 = ga + 1.0;
        far_k = 1.0 / (gp1 * 0.5 * std::pow(gp1 * gp1 / (4.0 * ga), 1.0 / (ga - 1.0)));
    }
    template <class T>
    Start<T> start(T x) const {
        // Within 32 ULP below the value at Ma = 1 as computed, 1.
        const auto outside = no(x >= lowest * (1.0 - 32 * eps));
        const auto one = (x <= lowest) & no(outside);
        const auto infinite = x == inf;
        const auto settled = outside | one | infinite;
        T answer = pick(one, 1.0, math::splat<T>(nan));
        answer = pick(infinite, inf, answer);
        const T y = pick(settled, lowest * 2.0, x);
        const T far = math::sqrt(y * far_k);
        const T m = pick(far > 1.0, far, math::splat<T>(1.0));
        return {m, math::splat<T>(1.0), math::splat<T>(inf), MaskOf<T>(settled), answer};
    }
    template <class T>
    T residual(T m, T x) const { return relation(m) - x; }
    // dR/dMa = R 2 ga (2 Ma^2 - 1)/(Ma (2 ga Ma^2 - (ga - 1))).
    template <class T>
    T slope(T m) const {
        const T s = m * m;
        const T d = relation.g2 * s - relation.gm1;
        const T w = (relation.g2 * ((s + s) - 1.0)) / (m * d);
        return relation(m) * w;
    }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
