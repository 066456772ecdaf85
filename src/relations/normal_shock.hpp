// Relations across a stationary normal shock in a calorically perfect gas, from the upstream
// Mach number. Neither has a branch or a domain test: subsonic input evaluates the same formula,
// and below |Ma| = sqrt((ga - 1)/(2 ga)) both give NaN from a negative radicand or base.
#pragma once

#include <cmath>

#include "math/lanes.hpp"
#include "math/pow.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// Downstream Mach number, Mash = sqrt((1 + (ga - 1)/2 Ma^2) / (ga Ma^2 - (ga - 1)/2)).
struct MashFromMa {
    double ga;
    double b;  // (ga - 1) * 0.5
    explicit MashFromMa(double ga) : ga(ga), b((ga - 1.0) * 0.5) {}
    template <class T>
    T operator()(T ma) const {
        const T x2 = ma * ma;
        const T num = 1.0 + b * x2;
        const T den = ga * x2 - b;
        return math::sqrt(num / den);
    }
};

// Stagnation-pressure ratio across the shock,
//   Posh/Po = [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-1/(ga - 1))
//           * [((ga - 1) Ma^2 + 2)/((ga + 1) Ma^2)]^(-ga/(ga - 1)),
// taken as the reciprocal of the product of the two powers with positive exponents.
struct PoshPoFromMa {
    double c1;  // (ga - 1) / (ga + 1)
    double e2;  // ga / (ga - 1)
    double c2;  // 2 / (ga + 1)
    double e1;  // 1 / (ga - 1)
    double c3;  // 2 ga / (ga + 1)
    explicit PoshPoFromMa(double ga) {
        const double gm1 = ga - 1.0;
        const double gp1 = ga + 1.0;
        const double g2 = ga + ga;
        c1 = gm1 / gp1;
        e2 = ga / gm1;
        c2 = 2.0 / gp1;
        e1 = 1.0 / gm1;
        c3 = g2 / gp1;
    }
    template <class T>
    T operator()(T ma) const {
        const T x2 = ma * ma;
        const T a = math::pow(c3 * x2 - c1, e1);
        const T b = math::pow(c1 + c2 / x2, e2);
        return 1.0 / (a * b);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
