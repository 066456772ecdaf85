// Closed-form inversions of the isentropic relations: the Mach number from To/T, Po/P,
// rhoo/rho and V/sqrt(cp To).
//
// Each inverts its forward relation through Ma = sqrt(2/(ga - 1) (To/T - 1)), with To/T
// recovered from the given ratio. No relation branches: out-of-range input becomes a negative
// radicand (NaN), an infinity or a zero as the arithmetic makes it.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// Ma = sqrt(2/(ga - 1) (To/T - 1)).
struct MaFromToT {
    double c;  // 2 / (ga - 1)
    explicit MaFromToT(double ga) {
        const double g = ga - 1.0;
        c = 2.0 / g;
    }
    template <class T>
    T operator()(T x) const {
        const T r = 1.0 / x;  // T/To
        const T q = 1.0 / r;  // To/T again, which need not be x itself
        const T t = q - 1.0;
        const T u = c * t;
        return math::sqrt(u);
    }
};

// Ma = sqrt(c ((1/x)^e - 1)) for a stagnation-to-static ratio x: (1/x)^e is To/T, with
// e = (1 - ga)/ga for pressure and 1 - ga for density, and c = 2/(ga - 1).
template <class T>
inline T mach_from_static_ratio_power(double c, double e, T x) {
    const T r = 1.0 / x;
    const T p = math::pow(r, e);
    const T t = p - 1.0;
    const T u = c * t;
    return math::sqrt(u);
}

// Ma = sqrt(2/(ga - 1) ((P/Po)^((1 - ga)/ga) - 1)): the negative exponent applied to the
// reciprocal of the input, not Po/P raised to (ga - 1)/ga.
struct MaFromPoP {
    double e;  // (1 - ga) / ga
    double c;  // 2 / (ga - 1)
    explicit MaFromPoP(double ga) {
        e = (1.0 - ga) / ga;
        const double g = ga - 1.0;
        c = 2.0 / g;
    }
    template <class T>
    T operator()(T x) const { return mach_from_static_ratio_power(c, e, x); }
};

// Ma = sqrt(2/(ga - 1) ((rho/rhoo)^(1 - ga) - 1)).
struct MaFromRhooRho {
    double c;  // 2 / (ga - 1)
    double e;  // 1 - ga
    explicit MaFromRhooRho(double ga) {
        const double g = ga - 1.0;
        c = 2.0 / g;
        e = 1.0 - ga;
    }
    template <class T>
    T operator()(T x) const { return mach_from_static_ratio_power(c, e, x); }
};

// Ma = sqrt(V^2 / ((ga - 1) (1 - V^2/2))) with V = V/sqrt(cp To); 1/(ga - 1) is multiplied in
// rather than divided per element.
struct MaFromVCpTo {
    double k;  // 1 / (ga - 1)
    explicit MaFromVCpTo(double ga) {
        const double g = ga - 1.0;
        k = 1.0 / g;
    }
    template <class T>
    T operator()(T x) const {
        const T s = x * x;
        const T d = 1.0 + s * -0.5;
        const T n = k * s;
        const T w = n / d;
        return math::sqrt(w);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
