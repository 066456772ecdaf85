// Fanno flow: adiabatic flow in a duct of constant area with wall friction, referred to the
// sonic (starred) state the duct would reach if it were long enough. The friction length is
// f L*/D with f the Darcy friction factor, which is 4 f L*/D with f the Fanning factor.
//
// With q = 2 + (ga - 1) Ma^2 (twice the isentropic To/T):
//   T/T* = (ga + 1)/q,  P/P* = sqrt((ga + 1)/q)/Ma,  rho/rho* = sqrt(q/(ga + 1))/Ma,
//   V/V* = Ma sqrt((ga + 1)/q),  Po/Po* = A/A* of isentropic flow at the same Ma,
//   4 f L*/D = (1 - Ma^2)/(ga Ma^2) + (ga + 1)/(2 ga) ln((ga + 1) Ma^2 / q).
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "relations/flows/common.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

// atanh(s) - s, |s| < 1: its series s^3 (1/3 + s^2/5 + s^4/7 + ...) below |s| = 0.1, where the
// subtraction would cancel (eleven terms reach 1e-22 of the first), else
// log((1 + s)/(1 - s))/2 - s, whose cancellation costs at most ten times the rounding of s (the
// quotient is at least 0.1 away from 1, so log loses nothing against log1p there). The library
// is called only for the lanes that need it.
template <class T>
inline T atanh_minus_identity(T s) {
    constexpr int terms = 11;
    const T s2 = s * s;
    T p = math::splat<T>(1.0 / (2.0 * terms + 1.0));
    for (int k = terms - 2; k >= 0; --k) p = p * s2 + 1.0 / (2.0 * k + 3.0);
    const T series = (s * s2) * p;
    const T ratio = (1.0 + s) / (1.0 - s);
    const auto near = math::abs(s) < 0.1;
    if constexpr (math::is_lanes<T>) {
        T r = series;
        for (int i = 0; i < math::width<T>; ++i) {
            if (!(near[i])) r[i] = std::log(ratio[i]) * 0.5 - s[i];
        }
        return r;
    } else {
        return near ? series : std::log(ratio) * 0.5 - s;
    }
}

// 4 f L*/D. The two terms of the textbook form are each of order Ma - 1 and cancel to order
// (Ma - 1)^2 near Ma = 1. With d = Ma^2 - 1 and p = 1 + ga Ma^2, the logarithm is
// 2 atanh(s), s = d/p, and the first-order parts combine exactly:
//   4 f L*/D = d^2/(ga Ma^2 p) + (ga + 1)/ga (atanh(s) - s),
// whose two terms never cancel (the second is of order s^3 near Ma = 1 and smaller than the
// first elsewhere). d is taken as (Ma - 1)(Ma + 1), exact near Ma = 1.
struct FLstarDFromMa {
    double ga;
    double k;  // (ga + 1)/ga
    explicit FLstarDFromMa(double ga) : ga(ga), k((ga + 1.0) / ga) {}
    template <class T>
    T operator()(T ma) const {
        const T m2 = ma * ma;
        const T d = (ma - 1.0) * (ma + 1.0);
        const T p = 1.0 + ga * m2;
        const T s = d / p;
        const T first = (d * d) / ((ga * m2) * p);
        const T r = first + k * atanh_minus_identity(s);
        return pick(ma == 0.0, inf, r);  // where atanh(-1) + 1 and 1/0 meet
    }
    // d(4 f L*/D)/dMa = 4 (Ma^2 - 1)/(ga Ma^3 q).
    template <class T>
    T slope(T ma) const {
        const T m2 = ma * ma;
        const T d = (ma - 1.0) * (ma + 1.0);
        const T q = 2.0 + (ga - 1.0) * m2;
        return (4.0 * d) / (((ga * m2) * ma) * q);
    }
};

// T/T* = (ga + 1)/q.
struct FannoTTstarFromMa {
    double gp1;
    double gm1;
    explicit FannoTTstarFromMa(double ga) : gp1(ga + 1.0), gm1(ga - 1.0) {}
    template <class T>
    T operator()(T ma) const {
        const T q = 2.0 + gm1 * (ma * ma);
        return gp1 / q;
    }
};

// P/P* = sqrt((ga + 1)/q)/Ma.
struct FannoPPstarFromMa {
    FannoTTstarFromMa temperature;
    explicit FannoPPstarFromMa(double ga) : temperature(ga) {}
    template <class T>
    T operator()(T ma) const { return math::sqrt(temperature(ma)) / ma; }
};

// rho/rho* = sqrt(q/(ga + 1))/Ma.
struct FannoRhoRhostarFromMa {
    double gp1;
    double gm1;
    explicit FannoRhoRhostarFromMa(double ga) : gp1(ga + 1.0), gm1(ga - 1.0) {}
    template <class T>
    T operator()(T ma) const {
        const T q = 2.0 + gm1 * (ma * ma);
        return math::sqrt(q / gp1) / ma;
    }
};

// V/V* = Ma sqrt((ga + 1)/q).
struct FannoVVstarFromMa {
    FannoTTstarFromMa temperature;
    explicit FannoVVstarFromMa(double ga) : temperature(ga) {}
    template <class T>
    T operator()(T ma) const { return ma * math::sqrt(temperature(ma)); }
};

// Ma from T/T*, which falls from (ga + 1)/2 at Ma = 0 towards 0 as Ma -> inf:
// Ma^2 = (ga + 1 - 2 T/T*)/((ga - 1) T/T*). 0 gives +inf; NaN outside [0, (ga + 1)/2].
struct FannoMaFromTTstar {
    double gp1;
    double gm1;
    double top;  // (ga + 1)/2
    explicit FannoMaFromTTstar(double ga) : gp1(ga + 1.0), gm1(ga - 1.0), top((ga + 1.0) * 0.5) {}
    template <class T>
    T operator()(T x) const {
        const T r = math::sqrt((gp1 - (x + x)) / (gm1 * x));
        return pick((x >= 0.0) & (x <= top), r, nan);
    }
};

// Ma from P/P*, which falls from +inf at Ma = 0 to 0 as Ma -> inf: the root of
// (ga - 1) Ma^4 + 2 Ma^2 - (ga + 1)/x^2 = 0 without cancellation,
//   Ma^2 = (ga + 1)/(x (x + sqrt(x^2 + ga^2 - 1))),
// taken as sqrt((ga + 1)/(1 + sqrt(1 + (ga^2 - 1)/x^2)))/x above x = 1, where x^2 could
// overflow. 0 gives +inf and +inf gives 0; NaN below 0.
struct FannoMaFromPPstar {
    double gp1;
    double c;  // ga^2 - 1
    explicit FannoMaFromPPstar(double ga) : gp1(ga + 1.0), c((ga - 1.0) * (ga + 1.0)) {}
    template <class T>
    T operator()(T x) const {
        const T small = math::sqrt(gp1 / (x * (x + math::sqrt(x * x + c))));
        const T v = 1.0 / x;
        const T large = math::sqrt(gp1 / (1.0 + math::sqrt(1.0 + c * (v * v)))) / x;
        const T r = pick(x < 1.0, small, large);
        return pick(x >= 0.0, r, nan);
    }
};

// Ma from 4 f L*/D on the requested branch: the subsonic branch takes every x >= 0 (0 gives 1,
// +inf gives 0), the supersonic one 0 <= x <= the limit at Ma = inf,
//   (ga + 1)/(2 ga) ln((ga + 1)/(ga - 1)) - 1/ga,
// which gives +inf. Start values: 4 f L*/D ~ 4/(ga (ga + 1)) (Ma - 1)^2 near Ma = 1,
// ~ 1/(ga Ma^2) as Ma -> 0 and ~ limit - 2/(ga (ga - 1) Ma^2) as Ma -> inf.
struct FannoMaFromFLstarD {
    FLstarDFromMa relation;
    double near_k;   // ga (ga + 1)/4
    double ga;
    double far_sup;  // 2/(ga (ga - 1))
    double limit;
    bool sup;
    bool rising;
    FannoMaFromFLstarD(double ga, bool sup)
        : relation(ga), near_k(ga * (ga + 1.0) * 0.25), ga(ga), far_sup(2.0 / (ga * (ga - 1.0))),
          sup(sup), rising(sup) {
        limit = relation.k * 0.5 * std::log((ga + 1.0) / (ga - 1.0)) - 1.0 / ga;
    }
    template <class T>
    Start<T> start(T x) const {
        const auto outside = sup ? no((x >= 0.0) & (x <= limit)) : no(x >= 0.0);
        const auto sonic = x == 0.0;
        const auto end = sup ? (x == limit) : (x == inf);
        const auto settled = outside | sonic | end;
        T answer = pick(sonic, 1.0, math::splat<T>(nan));
        answer = pick(end, sup ? inf : 0.0, answer);
        const T y = pick(settled, sup ? limit * 0.5 : 1.0, x);
        const T u = math::sqrt(y * near_k);
        T m;
        if (sup) {
            const T far = math::sqrt(far_sup / (limit - y));
            const T near = 1.0 + u;
            m = pick(near < far, near, far);
        } else {
            const T far = 1.0 / math::sqrt(ga * y);
            const T near = 1.0 - u;
            m = pick(near > far, near, far);
        }
        return {m, math::splat<T>(sup ? 1.0 : 0.0), math::splat<T>(sup ? inf : 1.0),
                MaskOf<T>(settled), answer};
    }
    template <class T>
    T residual(T m, T x) const { return relation(m) - x; }
    template <class T>
    T slope(T m) const { return relation.slope(m); }
    template <class T>
    T operator()(T x) const { return solve_bracketed(*this, x); }
};


// Ma from rho/rho*, which falls from +inf at Ma = 0 to sqrt((ga - 1)/(ga + 1)) as Ma -> inf:
// Ma^2 = 2/((ga + 1) x^2 - (ga - 1)), taken as v sqrt(2/((ga + 1) - (ga - 1) v^2)), v = 1/x,
// above x = 1, where x^2 could overflow. The lower end (and every x whose denominator rounds to
// zero or below there) gives +inf, +inf gives 0; NaN below the lower end.
struct FannoMaFromRhoRhostar {
    double gp1;
    double gm1;
    double lowest;  // sqrt((ga - 1)/(ga + 1)), as the forward relation's limit
    explicit FannoMaFromRhoRhostar(double ga)
        : gp1(ga + 1.0), gm1(ga - 1.0), lowest(std::sqrt((ga - 1.0) / (ga + 1.0))) {}
    template <class T>
    T operator()(T x) const {
        const T den = gp1 * (x * x) - gm1;
        const T small = pick(den > 0.0, math::sqrt(2.0 / den), math::splat<T>(inf));
        const T v = 1.0 / x;
        const T large = math::sqrt(2.0 / (gp1 - gm1 * (v * v))) * v;
        const T r = pick(x <= 1.0, small, large);
        return pick(x >= lowest, r, nan);
    }
};

// Ma from V/V*, which rises from 0 at Ma = 0 to sqrt((ga + 1)/(ga - 1)) as Ma -> inf:
// Ma = x sqrt(2/((ga + 1) - (ga - 1) x^2)). The upper end (and every x whose denominator
// rounds to zero or below there) gives +inf; NaN outside [0, the upper end].
struct FannoMaFromVVstar {
    double gp1;
    double gm1;
    double highest;  // sqrt((ga + 1)/(ga - 1)), as the forward relation's limit
    explicit FannoMaFromVVstar(double ga)
        : gp1(ga + 1.0), gm1(ga - 1.0), highest(std::sqrt((ga + 1.0) / (ga - 1.0))) {}
    template <class T>
    T operator()(T x) const {
        const T den = gp1 - gm1 * (x * x);
        const T r = pick(den > 0.0, x * math::sqrt(2.0 / den), math::splat<T>(inf));
        return pick((x >= 0.0) & (x <= highest), r, nan);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
