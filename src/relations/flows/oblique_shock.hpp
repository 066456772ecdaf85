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
#include "relations/flows/common.hpp"
#include "relations/flows/isentropic.hpp"
#include "relations/flows/normal_shock.hpp"
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

// Double-double arithmetic for the last step of beta_from_Ma_theta: exact sums and products
// (Knuth's two-sum, Dekker's product with Veltkamp's split; plain IEEE operations, no fused
// multiply-add, so every width gives the scalar bits). Dekker's product needs |a|, |b| below
// 2^996 and no underflow in its low part.
template <class T>
inline void exact_sum(T a, T b, T& s, T& e) {
    s = a + b;
    const T bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

template <class T>
inline void exact_product(T a, T b, T& p, T& e) {
    constexpr double split = 134217729.0;  // 2^27 + 1
    const T ta = a * split;
    const T ah = ta - (ta - a);
    const T al = a - ah;
    const T tb = b * split;
    const T bh = tb - (tb - b);
    const T bl = b - bh;
    p = a * b;
    e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

// atan(k/16), k = 0..16, each as the double-double hi + lo nearest to it (mpmath, 300 bits).
inline constexpr double atan_sixteenths[17][2] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};
inline constexpr double half_pi_hi = 0x1.921fb54442d18p+0;
inline constexpr double half_pi_lo = 0x1.1a62633145c07p-54;

// The angle in degrees whose tangent is the double-double t + dt (t >= 0), rounded once:
// to about 2^-60 of itself before that rounding, where the library's atan and a conversion
// to degrees in double would add up to an ULP each. With x = t, or 1/t above 1 (the angle
// then 90 degrees less atan(x)), and x_k = k/16 the nearest sixteenth,
//   atan(x) = atan(x_k) + atan(u),  u = (x - x_k)/(1 + x x_k),  |u| <= 1/32,
// atan(x_k) from the table and atan(u) = u - u^3/3 + ... to u^13/13 (the rest is below
// 2^-70 u), u to double-double, the series' tail in double.
template <class T>
inline T degrees_of_tangent(T t, T dt) {
    const auto steep = t > 1.0;
    // 1/t as v + v_lo: v_lo = (1 - t v - dt v)/t, with t v exact.
    const T v = 1.0 / t;
    T tv, tv_lo;
    exact_product(t, v, tv, tv_lo);
    const T v_lo = pick(t < 0x1p500, (((1.0 - tv) - tv_lo) - dt * v) * v, math::splat<T>(0.0));
    const T x = pick(steep, v, t);
    const T x_lo = pick(steep, v_lo, dt);

    const T k = (x * 16.0 + 0x1p52) - 0x1p52;  // the nearest integer to 16 x, 0 to 16
    const T xk = k * 0.0625;
    T c_hi = math::splat<T>(0.0);
    T c_lo = math::splat<T>(0.0);
    const auto row = [](double kd) { return (kd >= 0.0 && kd <= 16.0) ? static_cast<int>(kd) : 0; };
    if constexpr (math::is_lanes<T>) {
        for (int i = 0; i < math::width<T>; ++i) {
            c_hi[i] = atan_sixteenths[row(k[i])][0];
            c_lo[i] = atan_sixteenths[row(k[i])][1];
        }
    } else {
        c_hi = atan_sixteenths[row(k)][0];
        c_lo = atan_sixteenths[row(k)][1];
    }

    // u = (x - x_k)/(1 + x x_k); x - x_k is exact (x_k is within a factor of two of x).
    const T num = x - xk;
    T xxk, xxk_lo, den, den_e;
    exact_product(x, xk, xxk, xxk_lo);
    exact_sum(math::splat<T>(1.0), xxk, den, den_e);
    const T den_lo = den_e + (xxk_lo + x_lo * xk);
    const T u = num / den;
    T uden, uden_lo;
    exact_product(u, den, uden, uden_lo);
    const T u_lo = ((((num - uden) - uden_lo) + x_lo) - u * den_lo) / den;
    const T w = u * u;
    const T inner = 1.0 / 9.0 + w * (-1.0 / 11.0 + w * (1.0 / 13.0));
    const T series = -1.0 / 3.0 + w * (1.0 / 5.0 + w * (-1.0 / 7.0 + w * inner));
    const T tail = u * (w * series);

    T a, a_e;
    exact_sum(c_hi, u, a, a_e);
    const T a_lo = a_e + (c_lo + (u_lo + tail));
    T s, s_e;
    exact_sum(math::splat<T>(half_pi_hi), -a, s, s_e);
    const T s_lo = s_e + (half_pi_lo - a_lo);
    const T r = pick(steep, s, a);
    const T r_lo = pick(steep, s_lo, a_lo);

    T d, d_lo;
    exact_product(r, math::splat<T>(degrees_per_radian), d, d_lo);
    return d + (d_lo + (r * degrees_per_radian_low + r_lo * degrees_per_radian));
}

// beta from (Ma, theta) on the weak (below beta*) or strong (above it) branch. In t = tan(beta)
// tan(theta) is rational: with a = (ga + 1) Ma^2 + 2 and b = (ga - 1) Ma^2 + 2,
//   tan(theta) = g(t) = 2 ((Ma^2 - 1) t^2 - 1)/(t (a + b t^2)).
// The weak root of g(t) = tan(theta) lies in [tan(mu), tan(beta*)], where g rises, the strong
// one in [tan(beta*), inf), where it falls; bracketed Newton on g finds it without a
// trigonometric call per step; a last step in double-double and the angle of the tangent in
// double-double put beta within about half an ULP of the root. theta = 0 gives the Mach angle
// (weak) or 90 (strong), theta = theta_max gives beta* on both branches; NaN above theta_max.
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
        // A strong start beyond 2^60 puts tan(beta) beyond 2^59, where beta is 90 to within a
        // fraction of its ULP (and further out g's denominator overflows).
        auto done = settled;
        if (strong) {
            const auto flat = no(settled) & (m > 0x1p60);
            answer = pick(flat, 90.0, answer);
            done = done | flat;
        }
        const T lo = strong ? t_top : t_mu;
        const T hi = strong ? math::splat<T>(inf) : t_top;
        const TanDeflection<T> g{m1, a, b, {m, lo, hi, MaskOf<T>(done), answer}, !strong};
        const T t = solve_bracketed(g, tt);

        // One more Newton step on P(t) = 2 ((Ma^2 - 1) t^2 - 1) - tan(theta) t (a + b t^2),
        // whose root is g's, with (Ma^2 - 1) t^2 - 1 in double-double: near the Mach angle it
        // cancels, and its rounding in double moves the root by ULPs of beta. The other term
        // is rounded as tan(theta) is, which moves theta by a few ULPs of itself only. The
        // step dt is the low part of tan(beta) = t + dt.
        T m2h, m2l, m1h, m1e, r2, r2l, q, ql, c, ce;
        exact_product(ma, ma, m2h, m2l);
        exact_sum(m2h, math::splat<T>(-1.0), m1h, m1e);
        const T m1l = m1e + m2l;
        exact_product(t, t, r2, r2l);
        exact_product(m1h, r2, q, ql);
        const T q_lo = ql + (m1h * r2l + m1l * r2);
        exact_sum(q, math::splat<T>(-1.0), c, ce);
        const T p_t = (c * 2.0 - tt * (t * (a + b * r2))) + (ce + q_lo) * 2.0;
        const T dp = (m1h * t) * 4.0 - tt * (a + (b * r2) * 3.0);
        const T step = -p_t / dp;
        // Only for moderate t and Ma (Dekker's products neither overflow nor underflow), and
        // only as a correction of a few ULPs.
        const auto fits = (t > 0x1p-450) & (t < 0x1p150) & (ma < 0x1p300) &
                          (math::abs(step) <= t * 0x1p-40);
        const T dt = pick(fits, step, math::splat<T>(0.0));
        T beta = degrees_of_tangent(t, dt);
        // The last rounding may not carry beta past beta* onto the other branch, nor past 90.
        if (strong) {
            beta = pick(beta < beta_max, beta_max, pick(beta > 90.0, math::splat<T>(90.0), beta));
        } else {
            beta = pick(beta > beta_max, beta_max, beta);
        }
        return pick(done, answer, beta);
    }
};


// The wave angle from the normal component: beta = asin(Mn1/Ma) in degrees, taken as
// atan2(Mn1, sqrt((Ma - Mn1)(Ma + Mn1))), which keeps its accuracy near 90 degrees where asin's
// slope is unbounded. 1 <= Mn1 <= Ma < inf; NaN elsewhere.
struct BetaFromMaMn1 : ObliqueShock {
    using ObliqueShock::ObliqueShock;
    template <class T>
    T operator()(T ma, T mn) const {
        const T c = math::sqrt((ma - mn) * (ma + mn));
        const T r = atan2(mn, c) * degrees_per_radian;
        return pick((ma < inf) & (mn >= 1.0) & (mn <= ma), r, nan);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
