#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "harness.hpp"
#include "solve/newton.hpp"

namespace {

using vortalix2::solve::Newton;
using vortalix2::solve::NewtonResult;
using Kind = NewtonResult::Kind;
using Fn = double (*)(double);

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();
constexpr double dbl_max = std::numeric_limits<double>::max();

double square_minus_2(double x) { return x * x - 2.0; }
double twice(double x) { return 2.0 * x; }
double nan_residual(double) { return qnan; }
// Zero slope at 0 sends x to +inf, where the residual vanishes: the zero step ends the loop.
double step_to_infinity(double x) { return x == 0.0 ? -1.0 : 0.0; }
double flat_at_zero(double x) { return x == 0.0 ? 0.0 : 1.0; }
// One step of 5/3 from 0: the step is a division, not a product with the reciprocal.
double five_at_zero(double x) { return x == 0.0 ? 5.0 : 0.0; }
double three(double) { return 3.0; }

// Solves while recording every x handed to the residual and counting slope calls.
struct Run {
    NewtonResult result{};
    std::vector<double> at;
    std::size_t slope_calls = 0;
};

Run run(Fn f, Fn d, double tolerance, std::size_t limit, double x0) {
    Run r;
    auto residual = [&](double x) {
        r.at.push_back(x);
        return f(x);
    };
    auto slope = [&](double x) {
        ++r.slope_calls;
        return d(x);
    };
    r.result = Newton<decltype(residual), decltype(slope)>{residual, slope, tolerance, limit}
                   .solve(x0);
    return r;
}

const char* kind_name(Kind k) {
    return k == Kind::Root ? "root" : k == Kind::IterationLimit ? "IterationLimit" : "NanIterate";
}

}  // namespace

// x^2 - 2 from 1: the fifth step is the first within 1e-6, and the iterate it produces is the
// root.
TEST(newton_iterates_of_square_root_of_two) {
    const Run r = run(square_minus_2, twice, 1e-6, 100, 1.0);
    const std::vector<double> expected = {1.0, 1.5, 1.4166666666666667, 1.4142156862745099,
                                          1.4142135623746899};
    CHECK(r.at.size() == expected.size());
    for (std::size_t k = 0; k < r.at.size() && k < expected.size(); ++k)
        CHECK_BITS(r.at[k], expected[k], "iterate " + std::to_string(k));
    CHECK(r.result.is_root());
    CHECK_BITS(r.result.root, 1.4142135623730951, "root");
}

// Outcome and number of steps (residual and slope calls, one each per step).
TEST(newton_outcomes) {
    struct Case {
        const char* what;
        Fn f, d;
        double tolerance;
        std::size_t limit;
        double x0;
        Kind kind;
        double root;
        std::size_t steps;
    };
    const double below_max = std::nextafter(dbl_max, 0.0);
    const double sqrt2 = 1.4142135623730951;
    const Case cases[] = {
        // at most `limit` steps; a root only if the loop stopped two or more short of it
        {"limit 100", square_minus_2, twice, 1e-6, 100, 1.0, Kind::Root, sqrt2, 5},
        {"limit 7", square_minus_2, twice, 1e-6, 7, 1.0, Kind::Root, sqrt2, 5},
        {"limit 6", square_minus_2, twice, 1e-6, 6, 1.0, Kind::IterationLimit, 0, 5},
        {"limit 5", square_minus_2, twice, 1e-6, 5, 1.0, Kind::IterationLimit, 0, 5},
        {"limit 2", square_minus_2, twice, 1e-6, 2, 1.0, Kind::IterationLimit, 0, 2},
        {"limit 1", square_minus_2, twice, 1e-6, 1, 1.0, Kind::IterationLimit, 0, 1},
        {"limit 0", square_minus_2, twice, 1e-6, 0, 1.0, Kind::IterationLimit, 0, 0},
        // the first step is measured against the largest finite double
        {"tolerance NaN", square_minus_2, twice, qnan, 100, 1.0, Kind::Root, 1.0, 0},
        {"tolerance inf", square_minus_2, twice, inf, 100, 1.0, Kind::Root, 1.0, 0},
        {"tolerance max", square_minus_2, twice, dbl_max, 100, 1.0, Kind::Root, 1.0, 0},
        {"tolerance NaN, limit 1", square_minus_2, twice, qnan, 1, 1.0, Kind::IterationLimit, 0, 0},
        {"tolerance inf, limit 1", square_minus_2, twice, inf, 1, 1.0, Kind::IterationLimit, 0, 0},
        {"tolerance max, limit 1", square_minus_2, twice, dbl_max, 1, 1.0, Kind::IterationLimit,
         0, 0},
        {"tolerance below max", square_minus_2, twice, below_max, 100, 1.0, Kind::Root, 1.5, 1},
        // a NaN step ends the loop through the ordered comparison
        {"start 0 (-inf, then NaN)", square_minus_2, twice, 1e-6, 100, 0.0, Kind::NanIterate, 0, 2},
        {"NaN residual", nan_residual, twice, 1e-6, 100, 1.0, Kind::NanIterate, 0, 1},
        {"NaN residual, limit 3", nan_residual, twice, 1e-6, 3, 1.0, Kind::NanIterate, 0, 1},
        {"NaN residual, limit 2", nan_residual, twice, 1e-6, 2, 1.0, Kind::IterationLimit, 0, 1},
        {"step 5/3", five_at_zero, three, 1e-6, 100, 0.0, Kind::Root, -1.6666666666666667, 2},
        // an infinite iterate is not rejected
        {"infinite root", step_to_infinity, flat_at_zero, 1e-6, 100, 0.0, Kind::Root, inf, 2},
    };
    for (const Case& c : cases) {
        const Run r = run(c.f, c.d, c.tolerance, c.limit, c.x0);
        if (r.result.kind != c.kind)
            ::vortalix2_test::fail(__FILE__, __LINE__,
                                   std::string(c.what) + ": got " + kind_name(r.result.kind) +
                                       ", expected " + kind_name(c.kind));
        else if (c.kind == Kind::Root)
            CHECK_BITS(r.result.root, c.root, c.what);
        if (r.at.size() != c.steps || r.slope_calls != c.steps)
            ::vortalix2_test::fail(__FILE__, __LINE__,
                                   std::string(c.what) + ": " + std::to_string(r.at.size()) +
                                       " residual and " + std::to_string(r.slope_calls) +
                                       " slope calls, expected " + std::to_string(c.steps));
    }
}
