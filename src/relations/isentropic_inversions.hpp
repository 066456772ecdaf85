// Closed-form inversions of the isentropic relations: the Mach number from To/T, Po/P,
// rhoo/rho and V/sqrt(cp To).
//
// Each inverts its forward relation through Ma = sqrt(2/(ga - 1) (To/T - 1)), with To/T
// recovered from the given ratio. No relation branches: out-of-range input becomes a negative
// radicand (NaN), an infinity or a zero as the arithmetic makes it.
#pragma once

#include <cmath>

namespace vortalix2::relations {

// Ma = sqrt(2/(ga - 1) (To/T - 1)).
struct MaFromToT {
    double c;  // 2 / (ga - 1)
    explicit MaFromToT(double ga) {
        const double g = ga - 1.0;
        c = 2.0 / g;
    }
    double operator()(double x) const {
        const double r = 1.0 / x;  // T/To
        const double q = 1.0 / r;  // To/T again, which need not be x itself
        const double t = q - 1.0;
        const double u = c * t;
        return std::sqrt(u);
    }
};

// Ma = sqrt(c ((1/x)^e - 1)) for a stagnation-to-static ratio x: (1/x)^e is To/T, with
// e = (1 - ga)/ga for pressure and 1 - ga for density, and c = 2/(ga - 1).
inline double mach_from_static_ratio_power(double c, double e, double x) {
    const double r = 1.0 / x;
    const double p = std::pow(r, e);
    const double t = p - 1.0;
    const double u = c * t;
    return std::sqrt(u);
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
    double operator()(double x) const { return mach_from_static_ratio_power(c, e, x); }
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
    double operator()(double x) const { return mach_from_static_ratio_power(c, e, x); }
};

// Ma = sqrt(V^2 / ((ga - 1) (1 - V^2/2))) with V = V/sqrt(cp To); 1/(ga - 1) is multiplied in
// rather than divided per element.
struct MaFromVCpTo {
    double k;  // 1 / (ga - 1)
    explicit MaFromVCpTo(double ga) {
        const double g = ga - 1.0;
        k = 1.0 / g;
    }
    double operator()(double x) const {
        const double s = x * x;
        const double d = 1.0 + s * -0.5;
        const double n = k * s;
        const double w = n / d;
        return std::sqrt(w);
    }
};

}  // namespace vortalix2::relations
