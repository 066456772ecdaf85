// Ma from the area ratio A/A* by bisection, on the subsonic or the supersonic branch.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

#include "relations/isentropic.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

// Ma from A/A* by bisection on the area ratio, 10000 passes at most, with no tolerance: only
// an exact hit a(M) == x ends it early, otherwise the result is the midpoint that follows the
// last pass.
struct MaFromAAcrit {
    static constexpr int max_passes = 10000;

    // What one inversion did: `passes` counts the passes the bisection is defined to make
    // (the pass of an exact hit, else all 10000); `evaluated` those actually computed.
    struct Trace {
        int passes = 0;
        int evaluated = 0;
    };

    AAcritFromMa area;
    bool sup;
    double lo0, hi0, m0;  // starting bracket and midpoint of the chosen branch

    MaFromAAcrit(double ga, bool sup_) : area(ga), sup(sup_) {
        if (sup) {
            lo0 = 1.0;
            hi0 = std::numeric_limits<double>::max();
            m0 = 8.988465674311579e307;  // (1 + max) * 0.5: half the largest double
        } else {
            lo0 = 0.0;
            hi0 = 1.0;
            m0 = 0.5;
        }
    }

    double operator()(double x) const { return solve(x, nullptr); }

    // A pass is a pure function of (lo, hi, M) and x. Once a pass leaves that state unchanged
    // bit for bit, every remaining pass repeats it without an exact hit, so its M is the
    // result the full 10000 passes would give. That happens as soon as lo and hi are adjacent
    // doubles (or, for NaN input, at the first pass), which keeps the work near the 50 to 1100
    // passes a double's precision needs.
    double solve(double x, Trace* trace) const {
        if (x == 1.0) {
            if (trace) *trace = {0, 0};
            return 1.0;
        }
        double lo = lo0;
        double hi = hi0;
        double m = m0;
        for (int pass = 1; pass <= max_passes; ++pass) {
            const double a = area(m);
            if (a == x) {
                if (trace) *trace = {pass, pass};
                return m;
            }
            double next_lo = lo;
            double next_hi = hi;
            if (a < x) {
                (sup ? next_lo : next_hi) = m;
            } else if (a > x) {
                (sup ? next_hi : next_lo) = m;
            }  // unordered: neither bound moves
            const double next_m = (next_lo + next_hi) * 0.5;
            if (same_bits(next_lo, lo) && same_bits(next_hi, hi) && same_bits(next_m, m)) {
                if (trace) *trace = {max_passes, pass};
                return m;
            }
            lo = next_lo;
            hi = next_hi;
            m = next_m;
        }
        if (trace) *trace = {max_passes, max_passes};
        return m;
    }

private:
    static bool same_bits(double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
