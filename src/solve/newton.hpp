// Scalar Newton iteration x <- x - f(x)/d(x), stopped on the size of the step.
//
// Generic over the residual and slope types so that both are inlined into the loop: the solver
// runs once per array element and allocates nothing.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

#include "math/isa.hpp"

namespace vortalix2::inline VORTALIX2_ISA::solve {

// Outcome of one solve: a root, or one of the two ways of failing.
struct NewtonResult {
    enum class Kind : unsigned char { Root, IterationLimit, NanIterate };

    Kind kind;
    double root;  // the last iterate; meaningful only when kind is Root

    static constexpr NewtonResult found(double x) { return {Kind::Root, x}; }
    static constexpr NewtonResult iteration_limit() { return {Kind::IterationLimit, 0.0}; }
    static constexpr NewtonResult nan_iterate() { return {Kind::NanIterate, 0.0}; }

    constexpr bool is_root() const { return kind == Kind::Root; }
};

// Whether the iteration goes on after a step dx that left the counter at i.
inline bool continues(double dx, std::size_t i, double tolerance, std::size_t limit) {
    return std::fabs(dx) > tolerance && i <= limit;
}

// The outcome once the iteration has ended on iterate x with the counter at i.
inline NewtonResult outcome(double x, std::size_t i, std::size_t limit) {
    if (i >= limit) return NewtonResult::iteration_limit();
    if (std::isnan(x)) return NewtonResult::nan_iterate();
    return NewtonResult::found(x);  // an infinite iterate is a root too
}

template <class Residual, class Slope>
struct Newton {
    Residual residual;  // f(x), the value whose zero is sought
    Slope slope;        // d(x), the derivative of f used for the step
    double tolerance;   // a step of at most this size ends the iteration
    std::size_t limit;  // bound on the iteration counter

    // The counter starts at 1 and counts past each step, so at most `limit` steps are taken, and
    // the test after the loop (counter >= limit) rejects an iteration that stopped within the
    // last two of them. The first step is measured against the largest finite double, so a
    // tolerance that is NaN or not below it takes no step at all.
    NewtonResult solve(double x0) const {
        double x = x0;
        std::size_t i = 1;
        double dx = std::numeric_limits<double>::max();
        while (continues(dx, i, tolerance, limit)) {
            const double f = residual(x);
            const double d = slope(x);
            dx = f / d;
            x = x - dx;
            ++i;
        }
        return outcome(x, i, limit);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::solve
