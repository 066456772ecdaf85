// The toolkit's isentropic relations beyond the core's: the Mach angle, the Prandtl-Meyer angle
// and its inverse, and the inversions that answer on the requested side of Ma = 1 for every
// input of their domain (area ratio, mass flow on Po, impulse function) or in closed form
// (mass flow on P).
//
// Angles are in degrees. Every inversion gives NaN outside its domain and the limit at its ends.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"
#include "relations/flows/common.hpp"
#include "relations/isentropic.hpp"
#include "relations/newton_inversions.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

// sqrt(Ma^2 - 1), with Ma^2 - 1 taken as (Ma - 1)(Ma + 1): near Ma = 1 the subtraction is
// exact, where Ma*Ma - 1 would keep only the rounding of the square.
template <class T>
inline T cot_mach_angle(T ma) {
    const T d = (ma - 1.0) * (ma + 1.0);
    return math::sqrt(d);
}

// Mach angle mu = asin(1/Ma), taken as atan(1/sqrt(Ma^2 - 1)), which keeps its accuracy
// near Ma = 1 where asin's slope is unbounded (t = 0 gives atan(inf) = 90 degrees).
// Degrees; Ma >= 1.
struct MuFromMa {
    explicit MuFromMa(double) {}
    template <class T>
    T operator()(T ma) const {
        const T t = cot_mach_angle(ma);
        const T r = atan(1.0 / t);
        return r * degrees_per_radian;
    }
};

// Prandtl-Meyer angle nu = a atan(t/a) - atan(t), t = sqrt(Ma^2 - 1), a = sqrt((ga+1)/(ga-1)).
// The two terms cancel near Ma = 1, where nu ~ t^3; there (t < 0.15) it is summed as
//   nu = sum_k (-1)^(k+1) (1 - b^k) t^(2k+1) / (2k+1),  b = 1/a^2 = (ga-1)/(ga+1),
// from the series of atan, whose terms fall by t^2 < 0.0225 each: twelve reach 1e-19.
struct NuFromMa {
    static constexpr int terms = 12;
    static constexpr double series_below = 0.15;
    double a;                 // sqrt((ga + 1)/(ga - 1))
    double coef[terms];       // (-1)^(k+1) (1 - b^k)/(2k + 1), k = 1..terms
    double max_deg;           // nu at Ma = inf, (a - 1) 90 degrees

    explicit NuFromMa(double ga) {
        const double b = (ga - 1.0) / (ga + 1.0);
        a = std::sqrt((ga + 1.0) / (ga - 1.0));
        double bk = 1.0;
        for (int k = 1; k <= terms; ++k) {
            bk *= b;
            const double c = (1.0 - bk) / (2.0 * k + 1.0);
            coef[k - 1] = (k % 2 == 1) ? c : -c;
        }
        max_deg = (a - 1.0) * 90.0;
    }

    // nu in radians from t = sqrt(Ma^2 - 1).
    template <class T>
    T radians(T t) const {
        const T s = t * t;
        T p = math::splat<T>(coef[terms - 1]);
        for (int k = terms - 2; k >= 0; --k) p = p * s + coef[k];
        const T series = (t * s) * p;
        // The library's atan only where the series does not serve.
        const auto near = t < series_below;
        T plain = series;
        if constexpr (math::is_lanes<T>) {
            for (int i = 0; i < math::width<T>; ++i) {
                if (near[i] == 0) plain[i] = a * std::atan(t[i] / a) - std::atan(t[i]);
            }
            return plain;
        } else {
            return near ? series : a * std::atan(t / a) - std::atan(t);
        }
    }

    template <class T>
    T operator()(T ma) const {
        const T t = cot_mach_angle(ma);
        return radians(t) * degrees_per_radian;
    }
};

// Where the area ratio A/A* near Ma = 1 and far from it is approximated, for start values:
//   ln(A/A*) ~ 2/(ga + 1) (Ma - 1)^2 near 1, A/A* ~ (2/(ga + 1))^e / Ma as Ma -> 0 and
//   A/A* ~ ((ga - 1)/(ga + 1))^e Ma^(2/(ga - 1)) as Ma -> inf, e = (ga + 1)/(2 (ga - 1)).
struct AreaRatioEstimate {
    double b;      // (ga + 1)/2
    double k_sub;  // (2/(ga + 1))^e
    double k_sup;  // ((ga - 1)/(ga + 1))^e
    double p_sup;  // (ga - 1)/2
    explicit AreaRatioEstimate(double ga) {
        b = (ga + 1.0) * 0.5;
        const double e = (ga + 1.0) / (2.0 * (ga - 1.0));
        k_sub = std::pow(2.0 / (ga + 1.0), e);
        k_sup = std::pow((ga - 1.0) / (ga + 1.0), e);
        p_sup = (ga - 1.0) * 0.5;
    }
    // The Mach number on the requested branch for an area ratio y >= 1.
    template <class T>
    T operator()(T y, bool sup) const {
        const T u = math::sqrt(b * log(y));
        if (sup) {
            const T far = math::pow(y / k_sup, p_sup);
            const T near = 1.0 + u;
            return pick(near < far, near, far);
        }
        const T far = k_sub / y;
        const T near = 1.0 - u;
        return pick(near > far, near, far);
    }
};

// Ma from A/A* on the requested branch. A/A* >= 1; 1 gives 1, +inf gives 0 or +inf.
struct MaFromAAcritBranch {
    AAcritFromMa relation;
    AreaRatioEstimate estimate;
    double c;  // (ga - 1)/2
    bool sup;
    bool rising;
    double e_lo;  // what the relation's rounded exponent misses
    MaFromAAcritBranch(double ga, bool sup)
        : relation(ga), estimate(ga), c((ga - 1.0) * 0.5), sup(sup), rising(sup) {
        double hi, lo;
        ga_plus_one(ga, hi, lo);
        e_lo = exponent_low(hi * 0.5, lo * 0.5, ga - 1.0, relation.e);
    }

    template <class T>
    Start<T> start(T x) const {
        // Within 32 ULP below 1, where the forward relation's own rounding puts some
        // Mach numbers next to 1, the answer is 1; below that, outside the domain.
        const auto outside = no(x >= 1.0 - 32 * eps);
        const auto sonic = (x <= 1.0) & no(outside);
        const auto infinite = x == inf;
        const auto settled = outside | sonic | infinite;
        T answer = pick(sonic, 1.0, math::splat<T>(nan));
        answer = pick(infinite, sup ? inf : 0.0, answer);
        const T y = pick(settled, 2.0, x);
        const T m = estimate(y, sup);
        return {m, math::splat<T>(sup ? 1.0 : 0.0), math::splat<T>(sup ? inf : 1.0), MaskOf<T>(settled),
                answer};
    }
    // A/A* - x, with the relation's power corrected for the rounding of its exponent, which
    // at large Ma (ln(A/A*) of tens) would otherwise put tens of ULP into the residual.
    template <class T>
    T residual(T m, T x) const {
        const T r = relation(m);
        const T w = temperature_ratio(c, m) / relation.b;
        return (r - x) + r * (e_lo * rough_log(w));
    }
    // d(A/A*)/dMa = A/A* (Ma^2 - 1)/(Ma q).
    template <class T>
    T slope(T m) const {
        const T q = temperature_ratio(c, m);
        const T d = (m - 1.0) * (m + 1.0);
        return relation(m) * (d / (m * q));
    }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};

// Ma from mdot sqrt(cp To)/(A Po) on the requested branch: 0 <= x <= the choking value; the
// choking value gives 1, 0 gives 0 or +inf. The start value comes from the area ratio, which
// is the choking value over x.
struct MaFromMcpToAPoBranch {
    McpToAPoFromMa relation;
    AreaRatioEstimate estimate;
    double c;      // (ga - 1)/2
    double choke;  // the mass flow at Ma = 1, as the relation gives it
    bool sup;
    bool rising;
    double e_lo;   // what the relation's rounded exponent misses
    MaFromMcpToAPoBranch(double ga, bool sup)
        : relation(ga), estimate(ga), c((ga - 1.0) * 0.5), sup(sup), rising(!sup) {
        choke = relation(1.0);
        double hi, lo;
        ga_plus_one(ga, hi, lo);
        e_lo = exponent_low(hi * -0.5, lo * -0.5, ga - 1.0, relation.e);
    }
    template <class T>
    Start<T> start(T x) const {
        // Within 32 ULP above the choking value as computed, 1 (see MaFromAAcritBranch).
        const auto outside = no((x >= 0.0) & (x <= choke * (1.0 + 32 * eps)));
        const auto sonic = (x >= choke) & no(outside);
        const auto zero = x == 0.0;
        const auto settled = outside | sonic | zero;
        T answer = pick(sonic, 1.0, math::splat<T>(nan));
        answer = pick(zero, sup ? inf : 0.0, answer);
        const T y = pick(settled, 2.0, choke / x);
        T m = estimate(pick(y >= 1.0, y, math::splat<T>(1.0)), sup);
        return {m, math::splat<T>(sup ? 1.0 : 0.0), math::splat<T>(sup ? inf : 1.0), MaskOf<T>(settled),
                answer};
    }
    // The mass flow minus x, its power corrected for the rounding of the exponent.
    template <class T>
    T residual(T m, T x) const {
        const T r = relation(m);
        const T q = temperature_ratio(c, m);
        return (r - x) + r * (e_lo * rough_log(q));
    }
    // d/dMa = f (1 - Ma^2)/(Ma q).
    template <class T>
    T slope(T m) const {
        const T q = temperature_ratio(c, m);
        const T d = (1.0 - m) * (1.0 + m);
        return relation(m) * (d / (m * q));
    }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};

// Ma from the impulse function F/(mdot sqrt(cp To)) on the requested branch. It falls from
// +inf at Ma = 0 to its minimum at Ma = 1 and rises towards sqrt(2) as Ma -> inf: the subsonic
// branch takes x >= the minimum (+inf gives 0), the supersonic one the minimum <= x < sqrt(2).
// Start values: F ~ k/Ma as Ma -> 0, F - F(1) ~ k/(1 + h)^(3/2) (Ma - 1)^2 near 1, and
// sqrt(2) - F ~ sqrt(2)/(ga (ga - 1) Ma^2) as Ma -> inf.
struct MaFromFMcpToBranch {
    FMcpToFromMa relation;
    MaFromFMcpTo derivative;  // its slope
    double minimum;           // F at Ma = 1
    double curvature;         // k / (1 + h)^(3/2)
    double far_sup;           // sqrt(2)/(ga (ga - 1))
    bool sup;
    bool rising;
    static constexpr double root2 = 1.4142135623730951;  // just above sqrt(2)
    MaFromFMcpToBranch(double ga, bool sup)
        : relation(ga), derivative(ga, sup), sup(sup), rising(sup) {
        minimum = relation(1.0);
        const double h1 = 1.0 + relation.h;
        curvature = relation.k / (h1 * std::sqrt(h1));
        far_sup = root2 / (ga * (ga - 1.0));
    }
    template <class T>
    Start<T> start(T x) const {
        // Within 32 ULP below the minimum as computed, 1 (see MaFromAAcritBranch).
        const double floor = minimum * (1.0 - 32 * eps);
        const auto outside = sup ? no((x >= floor) & (x < root2)) : no(x >= floor);
        const auto sonic = (x <= minimum) & no(outside);
        const auto infinite = x == inf;
        const auto settled = outside | sonic | infinite;
        T answer = pick(sonic, 1.0, math::splat<T>(nan));
        if (!sup) answer = pick(infinite, 0.0, answer);
        const T y = pick(settled, minimum * 1.01, x);
        const T u = math::sqrt((y - minimum) / curvature);
        T m;
        if (sup) {
            const T far = math::sqrt(far_sup / (root2 - y));
            const T near = 1.0 + u;
            m = pick(near < far, near, far);
        } else {
            const T far = relation.k / y;
            const T near = 1.0 - u;
            m = pick(near > far, near, far);
        }
        return {m, math::splat<T>(sup ? 1.0 : 0.0), math::splat<T>(sup ? inf : 1.0), MaskOf<T>(settled),
                answer};
    }
    template <class T>
    T residual(T m, T x) const { return relation(m) - x; }
    template <class T>
    T slope(T m) const { return derivative.slope(m); }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};

// Ma from mdot sqrt(cp To)/(A P) = k Ma sqrt(1 + h Ma^2), which rises monotonically from 0:
// with u = x/k, Ma^2 = 2 u^2 / (1 + sqrt(1 + 4 h u^2)) (the root of h Ma^4 + Ma^2 - u^2 = 0
// without cancellation), taken as u sqrt(2/(1 + sqrt(1 + 4 h u^2))), a chain of additions of
// positive terms; where u^2 could overflow (u >= 1e150) as sqrt(2 u/(1/u + sqrt(1/u^2 + 4 h))).
struct MaFromMcpToAPClosed {
    double k_inv;  // sqrt(ga - 1) / ga
    double h4;     // 4 (ga - 1)/2
    explicit MaFromMcpToAPClosed(double ga) {
        const double g = ga - 1.0;
        k_inv = std::sqrt(g) / ga;
        h4 = 4.0 * (g * 0.5);
    }
    template <class T>
    T operator()(T x) const {
        const T u = x * k_inv;
        const T small = u * math::sqrt(2.0 / (1.0 + math::sqrt(1.0 + h4 * (u * u))));
        const auto far = no(u < 1e150);  // and +inf, NaN
        T r = small;
        if (any_lane(far)) {  // the second form only where some lane needs it
            const T v = 1.0 / u;
            const T large = math::sqrt((u + u) / (v + math::sqrt(v * v + h4)));
            r = pick(far, large, small);
        }
        return pick(x >= 0.0, r, nan);
    }
};

// Ma from the Prandtl-Meyer angle in degrees, 0 <= nu <= its value at Ma = inf (which gives
// +inf). Start values from nu ~ (1 - b) t^3/3 for small t and nu ~ nu_max - (a^2 - 1)/t for
// large t; Newton on the accurate residual of NuFromMa, so the cancellation near Ma = 1
// does not reach the root.
struct MaFromNu {
    NuFromMa relation;
    double c;          // (ga - 1)/2
    double small_k;    // 3 / (1 - b), radians
    double large_k;    // a^2 - 1, radians
    double max_rad;
    bool rising = true;
    explicit MaFromNu(double ga) : relation(ga), c((ga - 1.0) * 0.5) {
        const double b = (ga - 1.0) / (ga + 1.0);
        small_k = 3.0 / (1.0 - b);
        large_k = relation.a * relation.a - 1.0;
        max_rad = (relation.a - 1.0) * 1.5707963267948966;
    }
    template <class T>
    Start<T> start(T x) const {
        const auto outside = no((x >= 0.0) & (x <= relation.max_deg));
        const auto top = x == relation.max_deg;
        const auto zero = x == 0.0;
        const auto settled = outside | top | zero;
        T answer = pick(top, inf, math::splat<T>(nan));
        answer = pick(zero, 1.0, answer);
        const T r = pick(settled, 1.0, x) * (1.0 / degrees_per_radian);
        const T t_small = cbrt(r * small_k);
        const T t_large = large_k / (max_rad - r);
        const T t = pick(r < max_rad * 0.5, t_small, t_large);
        const T m = math::sqrt(1.0 + t * t);
        return {m, math::splat<T>(1.0), math::splat<T>(inf), MaskOf<T>(settled), answer};
    }
    template <class T>
    T residual(T m, T x) const { return relation(m) - x; }
    // dnu/dMa = sqrt(Ma^2 - 1)/(Ma q), in degrees.
    template <class T>
    T slope(T m) const {
        const T q = temperature_ratio(c, m);
        const T t = cot_mach_angle(m);
        return (t / (m * q)) * degrees_per_radian;
    }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};


// Ma = 1/sin(mu) from the Mach angle mu in degrees, 0 <= mu <= 90 (0 gives +inf); NaN outside.
// Near 90 degrees the answer is near 1, where it depends on mu only to second order.
struct MaFromMu {
    explicit MaFromMu(double) {}
    template <class T>
    T operator()(T mu) const {
        const T s = per_lane([](double v) { return std::sin(v * 0.017453292519943295); }, mu);
        return pick((mu >= 0.0) & (mu <= 90.0), 1.0 / s, nan);
    }
};

// The static ratios over their values at the sonic state of the same stagnation state:
// T/T* = (ga + 1)/q, q = 2 + (ga - 1) Ma^2 (the Fanno T/T*), P/P* = (T/T*)^(ga/(ga - 1)) and
// rho/rho* = (T/T*)^(1/(ga - 1)).
struct IsentropicStarRatio {
    double gp1;
    double gm1;
    double e;
    IsentropicStarRatio(double ga, double e) : gp1(ga + 1.0), gm1(ga - 1.0), e(e) {}
    template <class T>
    T operator()(T ma) const {
        const T q = 2.0 + gm1 * (ma * ma);
        return math::pow(gp1 / q, e);
    }
};

inline IsentropicStarRatio isentropic_p_pstar(double ga) { return {ga, ga / (ga - 1.0)}; }
inline IsentropicStarRatio isentropic_rho_rhostar(double ga) { return {ga, 1.0 / (ga - 1.0)}; }

// Ma = sqrt(2/(ga - 1) (x^e - 1)) from a stagnation-to-static ratio x >= 1, x^e = To/T
// (e = (ga - 1)/ga for pressure, ga - 1 for density), without the cancellation of x^e - 1 near
// x = 1: there (e ln x < 0.7) x^e - 1 is expm1(e log1p(x - 1)), x - 1 exact near 1; above it,
// where that form would carry the rounding of the logarithm into the power, pow(x, e) - 1,
// which no longer cancels. Each lane calls the same library functions as the scalar path.
struct MaFromStagnationRatio {
    double e;
    double c;  // 2/(ga - 1)
    MaFromStagnationRatio(double e, double ga) : e(e), c(2.0 / (ga - 1.0)) {}
    double excess(double x) const {
        const double z = e * std::log1p(x - 1.0);
        return z < 0.7 ? std::expm1(z) : std::pow(x, e) - 1.0;
    }
    template <class T>
    T operator()(T x) const {
        const T t = per_lane([this](double v) { return excess(v); }, x);
        return math::sqrt(c * t);
    }
};

inline MaFromStagnationRatio ma_from_po_p(double ga) { return {(ga - 1.0) / ga, ga}; }
inline MaFromStagnationRatio ma_from_rhoo_rho(double ga) { return {ga - 1.0, ga}; }

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
