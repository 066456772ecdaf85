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


// Ma from T2/T1 >= 1. With s = Ma^2, T2/T1 = (2 ga s - (ga - 1))((ga - 1) s + 2)/((ga + 1)^2 s)
// gives a s^2 - B s - 2 (ga - 1) = 0, a = 2 ga (ga - 1), whose positive root is
//   s = (B + sqrt(B^2 + 16 ga (ga - 1)^2))/(2 a),  B = 2 (ga - 1)^2 + (T2/T1 - 1)(ga + 1)^2 > 0,
// a sum of positive terms (B written around T2/T1 = 1, where the textbook coefficient cancels).
// The root is taken as B (1 + sqrt(1 + c/B^2))/(2 a), which does not overflow for large B.
struct MaFromT2T1 {
    double g2;   // 2 (ga - 1)^2
    double gp2;  // (ga + 1)^2
    double c;    // 16 ga (ga - 1)^2
    double a2;   // 4 ga (ga - 1)
    explicit MaFromT2T1(double ga) {
        const double gm1 = ga - 1.0;
        g2 = 2.0 * (gm1 * gm1);
        gp2 = (ga + 1.0) * (ga + 1.0);
        c = 16.0 * ga * (gm1 * gm1);
        a2 = 4.0 * ga * gm1;
    }
    template <class T>
    T operator()(T x) const {
        const T b = g2 + (x - 1.0) * gp2;
        const T w = c / (b * b);
        const T s = (b * (1.0 + math::sqrt(1.0 + w))) / a2;
        const T m = math::sqrt(s);
        // Never below 1, where the rounding of the root could put T2/T1 = 1 or just above.
        return pick(x >= 1.0, pick(m < 1.0, math::splat<T>(1.0), m), nan);
    }
};

// Ma from rho2/rho1: Ma^2 = 2 x/(2 - (ga - 1)(x - 1)), written around x = 1 so that 1 gives 1
// exactly. 1 <= x <= (ga + 1)/(ga - 1), the limit at Ma = inf, which (with every x whose
// denominator rounds to zero or below) gives +inf; NaN elsewhere.
struct MaFromRho2Rho1 {
    double gm1;
    double top;  // (ga + 1)/(ga - 1), as the forward relation's limit
    explicit MaFromRho2Rho1(double ga) : gm1(ga - 1.0), top((ga + 1.0) / (ga - 1.0)) {}
    template <class T>
    T operator()(T x) const {
        const T den = 2.0 - gm1 * (x - 1.0);
        const T r = pick(den > 0.0, math::sqrt((x + x) / den), math::splat<T>(inf));
        return pick((x >= 1.0) & (x <= top), r, nan);
    }
};

// The entropy rise across the shock, (s2 - s1)/R = (ln(P2/P1) - ga ln(rho2/rho1))/(ga - 1).
// With y = P2/P1 and s = (y - 1)/(y + 1), ln(P2/P1) = 2 atanh(s) and ln(rho2/rho1) =
// 2 atanh(s/ga), so the first-order terms cancel exactly and
//   (s2 - s1)/R = 2/(ga - 1) ((atanh(s) - s) - ga (atanh(s/ga) - s/ga))
//               = 2/(ga - 1) sum_k (1 - ga^(-2k)) s^(2k+1)/(2k + 1),  k >= 1,
// a series of positive terms, summed below s = 1/2 (thirty terms fall below 1e-18 of the
// first); its coefficients are -expm1(-2k log1p(ga - 1)), exact to rounding for ga near 1.
// Above, the two brackets, which differ by more than a factor of two: atanh(s) - s as
// ln(y)/2 - s (ln of y itself, not of (1 + s)/(1 - s), which would inherit the rounding of
// 1 - s as Ma grows; ln(y) as ln(k) + 2 ln(Ma) past Ma = 1e100, where y would overflow), and
// atanh(u) - u, u = s/ga, by its own series below u = 1/2, else as ln((1 + u)/(1 - u))/2 - u.
// Near Ma = 1 the entropy rise (of order (Ma - 1)^3) keeps its relative accuracy.
struct DsRFromMa {
    static constexpr int terms = 30;
    P2P1FromMa pressure;
    double ga;
    double two_over_gm1;
    double log_k;             // ln(2 ga/(ga + 1))
    double coef[terms];       // (1 - ga^(-2k))/(2k + 1), k = 1..terms
    explicit DsRFromMa(double ga)
        : pressure(ga), ga(ga), two_over_gm1(2.0 / (ga - 1.0)), log_k(std::log(pressure.k)) {
        const double lg = std::log1p(ga - 1.0);
        for (int k = 1; k <= terms; ++k) {
            coef[k - 1] = -std::expm1(-2.0 * k * lg) / (2.0 * k + 1.0);
        }
    }
    // sum_k c_k v^(2k+1), k >= 1, by Horner's rule in v^2.
    template <class T>
    static T odd_series(const double* c, T v) {
        const T v2 = v * v;
        T p = math::splat<T>(c[terms - 1]);
        for (int k = terms - 2; k >= 0; --k) p = p * v2 + c[k];
        return (v * v2) * p;
    }
    template <class T>
    static T atanh_less_u(T u) {
        static constexpr auto plain = [] {
            struct C { double c[terms]; } r{};
            for (int k = 1; k <= terms; ++k) r.c[k - 1] = 1.0 / (2.0 * k + 1.0);
            return r;
        }();
        const T series = odd_series(plain.c, u);
        const T wide = log((1.0 + u) / (1.0 - u)) * 0.5 - u;
        return pick(u < 0.5, series, wide);
    }
    template <class T>
    T operator()(T ma) const {
        const T d = (ma - 1.0) * (ma + 1.0);
        const T kd = pressure.k * d;  // P2/P1 - 1
        const T s = pick(kd == inf, math::splat<T>(1.0), kd / (2.0 + kd));
        const T near = odd_series(coef, s);
        const T ln_y = pick(ma < 1e100, log(1.0 + kd), log_k + 2.0 * log(ma));
        const T far = (ln_y * 0.5 - s) - ga * atanh_less_u(s / ga);
        return two_over_gm1 * pick(s < 0.5, near, far);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
