// Isentropic relations of a calorically perfect gas, Mach number to flow quantity.
//
// Every relation builds on the temperature ratio q = To/T = 1 + (ga - 1)/2 Ma^2, evaluated as
// s = Ma*Ma, p = c*s, q = 1 + p with c = (ga - 1)*0.5 fixed per call.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// q = To/T at one Mach number; c is (ga - 1) * 0.5.
template <class T>
inline T temperature_ratio(double c, T ma) {
    const T s = ma * ma;
    const T p = c * s;
    return 1.0 + p;
}

// To/T = 1 + (ga - 1)/2 Ma^2.
struct ToTFromMa {
    double c;  // (ga - 1) * 0.5
    explicit ToTFromMa(double ga) : c((ga - 1.0) * 0.5) {}
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        const T r = 1.0 / q;
        return 1.0 / r;  // reciprocal of the reciprocal, not q itself
    }
};

// Po/P = q^(ga/(ga - 1)), taken as the reciprocal of q^(ga/(1 - ga)).
struct PoPFromMa {
    double e;  // ga / (1 - ga)
    double c;  // (ga - 1) * 0.5
    explicit PoPFromMa(double ga) : e(ga / (1.0 - ga)), c((ga - 1.0) * 0.5) {}
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        return 1.0 / math::pow(q, e);
    }
};

// rhoo/rho = q^(1/(ga - 1)), taken as the reciprocal of q^(1/(1 - ga)).
struct RhooRhoFromMa {
    double e;  // 1 / (1 - ga)
    double c;  // (ga - 1) * 0.5
    explicit RhooRhoFromMa(double ga) : e(1.0 / (1.0 - ga)), c((ga - 1.0) * 0.5) {}
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        return 1.0 / math::pow(q, e);
    }
};

// V/sqrt(cp To) = sqrt(ga - 1) Ma / sqrt(q).
struct VCpToFromMa {
    double k;  // sqrt(ga - 1)
    double c;  // (ga - 1) * 0.5
    explicit VCpToFromMa(double ga) {
        const double g = ga - 1.0;
        k = std::sqrt(g);
        c = g * 0.5;
    }
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        const T t = k * ma;
        const T u = 1.0 / math::sqrt(q);
        return t * u;
    }
};

// mdot sqrt(cp To)/(A Po) = ga/sqrt(ga - 1) Ma q^(-(ga + 1)/(2 (ga - 1))).
struct McpToAPoFromMa {
    double k;  // ga / sqrt(ga - 1)
    double e;  // (ga + 1) * (-0.5) / (ga - 1)
    double c;  // (ga - 1) * 0.5
    explicit McpToAPoFromMa(double ga) {
        const double g = ga - 1.0;
        const double h = (ga + 1.0) * -0.5;
        k = ga / std::sqrt(g);
        e = h / g;
        c = g * 0.5;
    }
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        const T t = k * ma;
        return t * math::pow(q, e);
    }
};

// mdot sqrt(cp To)/(A P) = ga/sqrt(ga - 1) Ma sqrt(q).
struct McpToAPFromMa {
    double k;  // ga / sqrt(ga - 1)
    double c;  // (ga - 1) * 0.5
    explicit McpToAPFromMa(double ga) {
        const double g = ga - 1.0;
        k = ga / std::sqrt(g);
        c = g * 0.5;
    }
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        const T t = k * ma;
        return t * math::sqrt(q);
    }
};

// A/A* = (1/Ma) (2 q/(ga + 1))^((ga + 1)/(2 (ga - 1))).
struct AAcritFromMa {
    double b;  // (ga + 1) * 0.5
    double e;  // b / (ga - 1)
    double c;  // (ga - 1) * 0.5
    explicit AAcritFromMa(double ga) {
        b = (ga + 1.0) * 0.5;
        const double g = ga - 1.0;
        e = b / g;
        c = g * 0.5;
    }
    template <class T>
    T operator()(T ma) const {
        const T q = temperature_ratio(c, ma);
        const T w = q / b;  // a division per element, as the formula has it
        const T v = 1.0 / ma;
        return v * math::pow(w, e);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
