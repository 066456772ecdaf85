// The area-ratio bisection written the long way: every one of its 10000 passes is run, with
// no shortcut. The fast MaFromAAcrit must give the same bits; tests and the benchmark share it.
#pragma once

#include <limits>

#include "relations/isentropic.hpp"

namespace vortalix2_test {

struct ReferenceBisection {
    vortalix2::relations::AAcritFromMa area;
    bool sup;

    ReferenceBisection(double ga, bool sup_) : area(ga), sup(sup_) {}

    // `passes` receives the number of evaluations of the area ratio.
    double operator()(double x, int* passes = nullptr) const {
        if (passes) *passes = 0;
        if (x == 1.0) return 1.0;
        double lo = sup ? 1.0 : 0.0;
        double hi = sup ? std::numeric_limits<double>::max() : 1.0;
        double m = sup ? 8.988465674311579e307 : 0.5;
        for (int pass = 1; pass <= 10000; ++pass) {
            const double a = area(m);
            if (passes) *passes = pass;
            if (a == x) return m;
            if (a < x) {
                if (sup) lo = m; else hi = m;
            } else if (a > x) {
                if (sup) hi = m; else lo = m;
            }
            m = (lo + hi) * 0.5;
        }
        return m;
    }
};

}  // namespace vortalix2_test
