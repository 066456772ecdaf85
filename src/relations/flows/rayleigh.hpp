// Rayleigh flow: frictionless flow in a duct of constant area with heat added or removed,
// referred to the sonic (starred) state that heat addition would reach.
//
// With p = 1 + ga Ma^2 and q = 2 + (ga - 1) Ma^2:
//   P/P* = (ga + 1)/p,  T/T* = (Ma (ga + 1)/p)^2,  V/V* = (ga + 1) Ma^2/p = 1/(rho/rho*),
//   To/To* = (ga + 1) Ma^2 q/p^2,  Po/Po* = ((ga + 1)/p) (q/(ga + 1))^(ga/(ga - 1)).
// Every factor is a sum of positive terms, so none of these cancels.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"
#include "relations/flows/common.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

// The quantities every Rayleigh relation starts from.
struct RayleighBase {
    double ga;
    double gp1;
    double gm1;
    explicit RayleighBase(double ga) : ga(ga), gp1(ga + 1.0), gm1(ga - 1.0) {}
    template <class T>
    T p(T m2) const { return 1.0 + ga * m2; }
    template <class T>
    T q(T m2) const { return 2.0 + gm1 * m2; }
};

// P/P* = (ga + 1)/p.
struct RayleighPPstarFromMa : RayleighBase {
    using RayleighBase::RayleighBase;
    template <class T>
    T operator()(T ma) const { return gp1 / p(ma * ma); }
};

// T/T* = (Ma (ga + 1)/p)^2, largest, (ga + 1)^2/(4 ga), at Ma = 1/sqrt(ga).
struct RayleighTTstarFromMa : RayleighBase {
    double highest;  // (ga + 1)^2/(4 ga), as the inversion takes it
    explicit RayleighTTstarFromMa(double ga)
        : RayleighBase(ga), highest((gp1 * gp1) / (4.0 * ga)) {}
    // Never above the maximum, which the rounding of r^2 could otherwise pass.
    template <class T>
    T operator()(T ma) const {
        const T r = (ma * gp1) / p(ma * ma);
        const T t = r * r;
        return pick(t > highest, math::splat<T>(highest), t);
    }
};

// V/V* = (ga + 1) Ma^2/p.
struct RayleighVVstarFromMa : RayleighBase {
    using RayleighBase::RayleighBase;
    template <class T>
    T operator()(T ma) const {
        const T m2 = ma * ma;
        return (gp1 * m2) / p(m2);
    }
};

// rho/rho* = p/((ga + 1) Ma^2).
struct RayleighRhoRhostarFromMa : RayleighBase {
    using RayleighBase::RayleighBase;
    template <class T>
    T operator()(T ma) const {
        const T m2 = ma * ma;
        return p(m2) / (gp1 * m2);
    }
};

// To/To* = (ga + 1) Ma^2 q/p^2, largest, 1, at Ma = 1; there, where the rounding of the
// product could carry it above 1, it is taken as 1 - s^2, s = (Ma^2 - 1)/p (the same value:
// p^2 - (ga + 1) Ma^2 q = (Ma^2 - 1)^2), which does not cancel while s^2 < 1/2.
struct RayleighToTostarFromMa : RayleighBase {
    using RayleighBase::RayleighBase;
    template <class T>
    T operator()(T ma) const {
        const T m2 = ma * ma;
        const T pp = p(m2);
        const T product = ((gp1 * m2) * q(m2)) / (pp * pp);
        const T s = ((ma - 1.0) * (ma + 1.0)) / pp;
        const T near = 1.0 - s * s;
        return pick(s * s < 0.5, near, product);
    }
};

// Po/Po* = ((ga + 1)/p) (q/(ga + 1))^(ga/(ga - 1)), smallest, 1, at Ma = 1.
struct RayleighPoPostarFromMa : RayleighBase {
    double e;  // ga/(ga - 1)
    explicit RayleighPoPostarFromMa(double ga) : RayleighBase(ga), e(ga / (ga - 1.0)) {}
    // Never below its minimum 1, which the rounding of the product could otherwise pass.
    template <class T>
    T operator()(T ma) const {
        const T m2 = ma * ma;
        const T r = (gp1 / p(m2)) * math::pow(q(m2) / gp1, e);
        return pick(r < 1.0, math::splat<T>(1.0), r);
    }
    // d(Po/Po*)/dMa = Po/Po* 2 ga Ma (Ma^2 - 1)/(p q).
    template <class T>
    T slope(T ma) const {
        const T m2 = ma * ma;
        const T d = (ma - 1.0) * (ma + 1.0);
        return (*this)(ma) * (((2.0 * ga) * ma * d) / (p(m2) * q(m2)));
    }
};

// Ma from P/P*, which falls from ga + 1 at Ma = 0 towards 0: Ma^2 = (ga + 1 - x)/(ga x).
// 0 gives +inf; NaN outside [0, ga + 1].
struct RayleighMaFromPPstar : RayleighBase {
    using RayleighBase::RayleighBase;
    template <class T>
    T operator()(T x) const {
        const T r = math::sqrt((gp1 - x) / (ga * x));
        return pick((x >= 0.0) & (x <= gp1), r, nan);
    }
};

// Ma from To/To* on the requested side of Ma = 1. To/To* = 1 - s^2 with s = (Ma^2 - 1)/p, so
// s = -+sqrt(1 - x) and Ma^2 = (1 + s)/(1 - ga s); on the subsonic side 1 + s is taken as
// x/(1 + sqrt(1 - x)), which does not cancel as Ma -> 0. The subsonic side takes 0 <= x <= 1,
// the supersonic side (ga^2 - 1)/ga^2 <= x <= 1 (the lower end, the limit at Ma = inf, gives
// +inf); NaN elsewhere.
struct RayleighMaFromToTostar : RayleighBase {
    bool sup;
    double lowest;  // (ga^2 - 1)/ga^2 on the supersonic side, 0 on the subsonic one
    RayleighMaFromToTostar(double ga, bool sup) : RayleighBase(ga), sup(sup) {
        lowest = sup ? (gm1 * gp1) / (ga * ga) : 0.0;
    }
    template <class T>
    T operator()(T x) const {
        const T r = math::sqrt(1.0 - x);
        T m2;
        if (sup) {
            m2 = (1.0 + r) / (1.0 - ga * r);
        } else {
            m2 = x / ((1.0 + r) * (1.0 + ga * r));
        }
        T m = math::sqrt(m2);
        if (sup) m = pick(x == lowest, inf, m);
        return pick((x >= lowest) & (x <= 1.0), m, nan);
    }
};

// Ma from T/T* on the requested side of its maximum at Ma = 1/sqrt(ga). With r = sqrt(T/T*),
// ga r Ma^2 - (ga + 1) Ma + r = 0, whose roots are
//   Ma = 2 r/((ga + 1) + sqrt(D)) below the maximum, ((ga + 1) + sqrt(D))/(2 ga r) above it,
// D = (ga + 1)^2 - 4 ga x, each without cancellation. Both sides take
// 0 <= x <= (ga + 1)^2/(4 ga); 0 gives 0 below and +inf above; NaN elsewhere.
struct RayleighMaFromTTstar : RayleighBase {
    bool sup;
    double g4;       // 4 ga
    double gp1_2;    // (ga + 1)^2
    double highest;  // (ga + 1)^2/(4 ga)
    double at_max;   // 1/sqrt(ga)
    RayleighMaFromTTstar(double ga, bool sup)
        : RayleighBase(ga), sup(sup), g4(4.0 * ga), gp1_2(gp1 * gp1), highest(gp1_2 / g4),
          at_max(1.0 / std::sqrt(ga)) {}
    // The maximum itself gives 1/sqrt(ga), and no root crosses it by rounding.
    template <class T>
    T operator()(T x) const {
        const T r = math::sqrt(x);
        const T dd = gp1_2 - g4 * x;
        const T sd = math::sqrt(pick(dd > 0.0, dd, math::splat<T>(0.0)));
        T m;
        if (sup) {
            m = (gp1 + sd) / ((2.0 * ga) * r);
            m = pick(m < at_max, math::splat<T>(at_max), m);
        } else {
            m = (r + r) / (gp1 + sd);
            m = pick(m > at_max, math::splat<T>(at_max), m);
        }
        m = pick(x == highest, math::splat<T>(at_max), m);
        return pick((x >= 0.0) & (x <= highest), m, nan);
    }
};

// Ma from Po/Po* on the requested side of its minimum, 1 at Ma = 1. The subsonic side takes
// 1 <= x <= the value at Ma = 0, (ga + 1) (2/(ga + 1))^(ga/(ga - 1)) (which gives 0), the
// supersonic side every x >= 1 (+inf gives +inf). Start values:
// ln(Po/Po*) ~ 2 ga/(ga + 1)^2 (Ma - 1)^2 near Ma = 1, Po/Po* ~ K Ma^(2/(ga - 1)) as
// Ma -> inf, K = (ga + 1)/ga ((ga - 1)/(ga + 1))^(ga/(ga - 1)).
struct RayleighMaFromPoPostar {
    RayleighPoPostarFromMa relation;
    double near_k;  // (ga + 1)^2/(2 ga)
    double far_k;   // 1/K
    double far_p;   // (ga - 1)/2
    double at_zero;
    bool sup;
    bool rising;
    RayleighMaFromPoPostar(double ga, bool sup) : relation(ga), sup(sup), rising(sup) {
        const double gp1 = ga + 1.0;
        near_k = gp1 * gp1 / (2.0 * ga);
        far_k = 1.0 / (gp1 / ga * std::pow((ga - 1.0) / gp1, ga / (ga - 1.0)));
        far_p = (ga - 1.0) * 0.5;
        at_zero = relation(0.0);
    }
    template <class T>
    Start<T> start(T x) const {
        const auto outside = sup ? no(x >= 1.0) : no((x >= 1.0) & (x <= at_zero));
        const auto sonic = x == 1.0;
        const auto end = sup ? (x == inf) : (x == at_zero);
        const auto settled = outside | sonic | end;
        T answer = pick(sonic, 1.0, math::splat<T>(nan));
        answer = pick(end, sup ? inf : 0.0, answer);
        const T y = pick(settled, 1.1, x);
        const T u = math::sqrt(log(y) * near_k);
        T m;
        if (sup) {
            const T far = math::pow(y * far_k, far_p);
            const T near = 1.0 + u;
            m = pick(near < far, near, far);
        } else {
            m = 1.0 - u;
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


// Ma from V/V*, which rises from 0 at Ma = 0 to (ga + 1)/ga as Ma -> inf:
// Ma^2 = x/((ga + 1) - ga x). The upper end (and every x whose denominator rounds to zero or
// below there) gives +inf; NaN outside [0, the upper end].
struct RayleighMaFromVVstar : RayleighBase {
    double highest;  // (ga + 1)/ga, as the forward relation's limit
    explicit RayleighMaFromVVstar(double ga) : RayleighBase(ga), highest(gp1 / ga) {}
    template <class T>
    T operator()(T x) const {
        const T den = gp1 - ga * x;
        const T r = pick(den > 0.0, math::sqrt(x / den), math::splat<T>(inf));
        return pick((x >= 0.0) & (x <= highest), r, nan);
    }
};

// Ma from rho/rho* = 1/(V/V*), which falls from +inf at Ma = 0 to ga/(ga + 1) as Ma -> inf:
// Ma^2 = 1/((ga + 1) x - ga), taken as v/((ga + 1) - ga v), v = 1/x, above x = 1, where the
// product could overflow. The lower end (and every x whose denominator rounds to zero or below
// there) gives +inf, +inf gives 0; NaN below the lower end.
struct RayleighMaFromRhoRhostar : RayleighBase {
    double lowest;  // ga/(ga + 1), as the forward relation's limit
    explicit RayleighMaFromRhoRhostar(double ga) : RayleighBase(ga), lowest(ga / gp1) {}
    template <class T>
    T operator()(T x) const {
        const T den = gp1 * x - ga;
        const T small = pick(den > 0.0, math::sqrt(1.0 / den), math::splat<T>(inf));
        const T v = 1.0 / x;
        const T large = math::sqrt(v / (gp1 - ga * v));
        const T r = pick(x <= 1.0, small, large);
        return pick(x >= lowest, r, nan);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
