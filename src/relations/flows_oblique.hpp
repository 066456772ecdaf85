// The oblique shock: a plane shock at the wave angle beta to a uniform stream of Mach number
// Ma, turning it through the deflection theta. Angles are in degrees.
//
// The normal component Mn1 = Ma sin(beta) crosses a normal shock; the tangential one is kept:
//   tan(theta) = 2 cot(beta) (Mn1^2 - 1)/(Ma^2 (ga + cos(2 beta)) + 2),
//   Ma2 = Mn2/sin(beta - theta), Mn2 the normal shock's downstream Mach number at Mn1,
// and the static and stagnation ratios are the normal shock's at Mn1.
//
// The relations of (Ma, beta) take 1 <= Ma < inf and the Mach angle <= beta <= 90 (beta below
// the Mach angle by no more than the rounding of Ma sin(beta) counts as the Mach angle); NaN
// elsewhere.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "relations/flows_common.hpp"
#include "relations/flows_isentropic.hpp"
#include "relations/flows_normal_shock.hpp"
#include "relations/normal_shock.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

inline constexpr double radians_per_degree = 0.017453292519943295769237;  // pi/180
inline constexpr double degrees_per_radian_low = -1.9878495670576283e-15;   // 180/pi - its double

template <class T>
inline T sin(T x) {
    return per_lane([](double v) { return std::sin(v); }, x);
}

template <class T>
inline T tan(T x) {
    return per_lane([](double v) { return std::tan(v); }, x);
}

template <class T>
inline T atan2(T y, T x) {
    if constexpr (math::is_lanes<T>) {
        T r{};
        for (int i = 0; i < math::width<T>; ++i) r[i] = std::atan2(y[i], x[i]);
        return r;
    } else {
        return std::atan2(y, x);
    }
}

// What the oblique-shock relations share: the wave angle's sine and cosine, the normal
// component and the deflection.
struct ObliqueShock {
    // Mn1 below 1 by at most this much is rounding of Ma sin(beta) at the Mach angle.
    static constexpr double sonic_slack = 0x1p-50;
    double ga;
    explicit ObliqueShock(double ga) : ga(ga) {}

    // sin(beta) and cos(beta) from one library call: the sine of the smaller of beta and
    // 90 - beta (exact for beta above 45), the other as sqrt((1 - y)(1 + y)) of it, which does
    // not cancel while y <= sin(45). Near 90 this keeps cos(beta) from inheriting the rounding
    // of beta in radians.
    template <class T>
    struct SinCos {
        T s;
        T c;
    };
    template <class T>
    SinCos<T> sin_cos(T beta) const {
        const auto steep = beta > 45.0;
        const T y = sin(pick(steep, 90.0 - beta, beta) * radians_per_degree);
        const T z = math::sqrt((1.0 - y) * (1.0 + y));
        return {pick(steep, z, y), pick(steep, y, z)};
    }

    // The lanes where (Ma, beta) is a shock: 1 <= Ma < inf, 0 <= beta <= 90, Mn1 >= 1 - slack.
    template <class T>
    auto inside(T ma, T beta, T mn) const {
        return (ma >= 1.0) & (ma < inf) & (beta >= 0.0) & (beta <= 90.0) &
               (mn >= 1.0 - sonic_slack);
    }

    // Mn1 = Ma sin(beta), raised to 1 where rounding put it just below.
    template <class T>
    T normal(T ma, T s) const {
        const T mn = ma * s;
        return pick(mn < 1.0, math::splat<T>(1.0), mn);
    }

    // The deflection in degrees from Ma, sin(beta), cos(beta) and Mn1:
    // theta = atan2(2 c (Mn1^2 - 1), s (Ma^2 (ga + (c - s)(c + s)) + 2)), with Mn1^2 - 1 as
    // (Mn1 - 1)(Mn1 + 1).
    template <class T>
    T deflection(T ma, T s, T c, T mn) const {
        const T d = (mn - 1.0) * (mn + 1.0);
        const T cos2 = (c - s) * (c + s);
        const T num = (c + c) * d;
        const T den = s * ((ma * ma) * (ga + cos2) + 2.0);
        return atan2(num, den) * degrees_per_radian;
    }
};

// The relations of (Ma, beta) are written as one struct each; `operator()(ma, beta)`.
struct ThetaFromMaBeta : ObliqueShock {
    using ObliqueShock::ObliqueShock;
    template <class T>
    T operator()(T ma, T beta) const {
        const auto [s, c] = sin_cos(beta);
        const T mn = normal(ma, s);
        return pick(inside(ma, beta, ma * s), deflection(ma, s, c, mn), nan);
    }
};

struct Mn1FromMaBeta : ObliqueShock {
    using ObliqueShock::ObliqueShock;
    template <class T>
    T operator()(T ma, T beta) const {
        const T s = sin_cos(beta).s;
        return pick(inside(ma, beta, ma * s), normal(ma, s), nan);
    }
};

// Ma2 = Mn2/sin(beta - theta).
struct Ma2FromMaBeta : ObliqueShock {
    MashFromMa downstream;
    explicit Ma2FromMaBeta(double ga) : ObliqueShock(ga), downstream(ga) {}
    template <class T>
    T operator()(T ma, T beta) const {
        const auto [s, c] = sin_cos(beta);
        const T mn = normal(ma, s);
        const T theta = deflection(ma, s, c, mn);
        const T r = downstream(mn) / sin_cos(beta - theta).s;
        return pick(inside(ma, beta, ma * s), r, nan);
    }
};

// A normal-shock relation of Mn1 as a relation of (Ma, beta).
template <class Normal>
struct AcrossNormal : ObliqueShock {
    Normal relation;
    explicit AcrossNormal(double ga) : ObliqueShock(ga), relation(ga) {}
    template <class T>
    T operator()(T ma, T beta) const {
        const T s = sin_cos(beta).s;
        const T mn = normal(ma, s);
        return pick(inside(ma, beta, ma * s), relation(mn), nan);
    }
};

using P2P1FromMaBeta = AcrossNormal<P2P1FromMa>;
using T2T1FromMaBeta = AcrossNormal<T2T1FromMa>;
using Rho2Rho1FromMaBeta = AcrossNormal<Rho2Rho1FromMa>;
using Po2Po1FromMaBeta = AcrossNormal<PoshPoFromMa>;

// The wave angle of the largest deflection, in closed form: with A = (3 ga - 1) Ma^2 + 4 and
// B = sqrt((ga + 1)((ga + 1) Ma^4 + 8 (ga - 1) Ma^2 + 16)),
//   sin^2(beta*) = ((ga + 1) Ma^2 - 4 + B)/(4 ga Ma^2),
//   cos^2(beta*) = 2 (Ma^2 - 1)((ga - 1) Ma^2 + 2)/(Ma^2 (A + B)),
// the cosine rationalised from 1 - sin^2, which cancels as Ma -> 1 (beta* -> 90).
struct ThetaMaxPoint : ObliqueShock {
    using ObliqueShock::ObliqueShock;
    template <class T>
    struct Point {
        T s;
        T c;
    };
    template <class T>
    Point<T> at(T ma) const {
        const T m2 = ma * ma;
        const T d = (ma - 1.0) * (ma + 1.0);
        const T gp1 = math::splat<T>(ga + 1.0);
        const T big = math::sqrt(gp1 * ((gp1 * (m2 * m2) + (8.0 * (ga - 1.0)) * m2) + 16.0));
        const T a = ((3.0 * ga - 1.0) * m2) + 4.0;
        const T s2 = ((gp1 * m2 - 4.0) + big) / ((4.0 * ga) * m2);
        const T c2 = (2.0 * d * ((ga - 1.0) * m2 + 2.0)) / (m2 * (a + big));
        return {math::sqrt(s2), math::sqrt(c2)};
    }
    template <class T>
    auto domain(T ma) const {
        return (ma >= 1.0) & (ma < inf);
    }
};

struct BetaAtThetaMaxFromMa : ThetaMaxPoint {
    using ThetaMaxPoint::ThetaMaxPoint;
    template <class T>
    T operator()(T ma) const {
        const auto p = at(ma);
        return pick(domain(ma), atan2(p.s, p.c) * degrees_per_radian, nan);
    }
};

struct ThetaMaxFromMa : ThetaMaxPoint {
    using ThetaMaxPoint::ThetaMaxPoint;
    template <class T>
    T operator()(T ma) const {
        const auto p = at(ma);
        const T mn = normal(ma, p.s);
        return pick(domain(ma), deflection(ma, p.s, p.c, mn), nan);
    }
};

// beta from (Ma, theta) on the weak (below beta*) or strong (above it) branch. In t = tan(beta)
// tan(theta) is rational: with a = (ga + 1) Ma^2 + 2 and b = (ga - 1) Ma^2 + 2,
//   tan(theta) = g(t) = 2 ((Ma^2 - 1) t^2 - 1)/(t (a + b t^2)).
// The weak root of g(t) = tan(theta) lies in [tan(mu), tan(beta*)], where g rises, the strong
// one in [tan(beta*), inf), where it falls; bracketed Newton on g finds it without a
// trigonometric call per step. theta = 0 gives the Mach angle (weak) or 90
// (strong), theta = theta_max gives beta* on both branches; NaN above theta_max.
struct BetaFromMaTheta : ThetaMaxPoint {
    MuFromMa mach_angle;
    bool strong;
    BetaFromMaTheta(double ga, bool strong) : ThetaMaxPoint(ga), mach_angle(ga), strong(strong) {}

    // tan(theta) as a function of t = tan(beta) for one vector of Mach numbers, in the form
    // the bracketed solver takes: g(t) = 2 ((Ma^2 - 1) t^2 - 1)/(t (a + b t^2)).
    template <class T>
    struct TanDeflection {
        T m1;  // Ma^2 - 1
        T a;
        T b;
        Start<T> s;
        bool rising;
        template <class U>
        Start<U> start(U) const { return s; }
        template <class U>
        U relation(U t) const {
            const U t2 = t * t;
            return ((m1 * t2 - 1.0) * 2.0) / (t * (a + b * t2));
        }
        template <class U>
        U residual(U t, U x) const { return relation(t) - x; }
        // g'(t) = (4 (Ma^2 - 1) t^2 (a + b t^2) - 2 ((Ma^2 - 1) t^2 - 1)(a + 3 b t^2))/(t (a + b t^2))^2.
        template <class U>
        U slope(U t) const {
            const U t2 = t * t;
            const U w = a + b * t2;
            const U den = t * w;
            const U num = ((m1 * t2) * 4.0) * w - ((m1 * t2 - 1.0) * 2.0) * (a + (b * t2) * 3.0);
            return num / (den * den);
        }
    };

    template <class T>
    T operator()(T ma, T theta) const {
        const auto p = at(ma);
        const T mn = normal(ma, p.s);
        const T theta_max = deflection(ma, p.s, p.c, mn);
        const T beta_max = atan2(p.s, p.c) * degrees_per_radian;
        const T m2 = ma * ma;
        const T m1 = (ma - 1.0) * (ma + 1.0);
        const auto valid = domain(ma) & (theta >= 0.0) & (theta <= theta_max);
        const auto top = theta == theta_max;
        const auto zero = theta == 0.0;
        const auto settled = no(valid) | top | zero;
        T answer = pick(zero, strong ? math::splat<T>(90.0) : mach_angle(ma), math::splat<T>(nan));
        answer = pick(top, beta_max, answer);
        answer = pick(valid, answer, nan);

        const T tt = tan(pick(settled, math::splat<T>(1.0), theta) * radians_per_degree);
        const T a = (ga + 1.0) * m2 + 2.0;
        const T b = (ga - 1.0) * m2 + 2.0;
        const T t_top = p.s / p.c;
        const T t_mu = 1.0 / math::sqrt(m1);
        // Start values from small deflections: the weak root leaves tan(mu) with slope
        // (a + b tan(mu)^2)/(4 (Ma^2 - 1)) per unit tan(theta); the strong one falls from
        // infinity as 2 (Ma^2 - 1)/(b tan(theta)).
        T m;
        if (strong) {
            m = (m1 + m1) / (b * tt);
        } else {
            m = t_mu + tt * ((a + b * (t_mu * t_mu)) / (4.0 * m1));
        }
        const T lo = strong ? t_top : t_mu;
        const T hi = strong ? math::splat<T>(inf) : t_top;
        const TanDeflection<T> g{m1, a, b, {m, lo, hi, MaskOf<T>(settled), answer}, !strong};
        const T t = solve_bracketed(g, tt);
        // Degrees with 180/pi split in two, so that the conversion adds only its final rounding.
        const T r = atan(t);
        const T beta = r * degrees_per_radian + r * degrees_per_radian_low;
        return pick(settled, answer, beta);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
