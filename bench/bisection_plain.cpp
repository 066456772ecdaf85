// The area-ratio bisection as a user would write it from its definition: every one of the
// 10000 passes evaluates A/A* with the C library's pow, no shortcut. Compiled twice, with the
// module's flags (-O3) and at -O2 (bisection_plain_o2.cpp), because the two differ by more
// than 2x: at -O3 GCC turns the bound updates into conditional moves, so each pass's pow waits
// for the previous one's; at -O2 they stay branches, which the predictor gets right once the
// bracket has stopped moving, and successive pow calls overlap.
#include <limits>

#include "relations/isentropic.hpp"

#ifndef PLAIN_BISECTION
#define PLAIN_BISECTION plain_bisection
#endif

double PLAIN_BISECTION(const vortalix2::relations::AAcritFromMa& area, bool sup, double x) {
    if (x == 1.0) return 1.0;
    double lo = sup ? 1.0 : 0.0;
    double hi = sup ? std::numeric_limits<double>::max() : 1.0;
    double m = sup ? 8.988465674311579e307 : 0.5;
    for (int pass = 1; pass <= 10000; ++pass) {
        const double a = area(m);
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
