// The thirteen closed-form relations against an evaluation written out here from their formulas,
// one rounded operation at a time in the stated order, with the C library's pow: a regrouped
// product, a reciprocal written another way or a changed constant in any of them shows up as a
// difference. Run through the element loops at the scalar level and at the level chosen for this
// processor, on about 3,300 inputs per relation and ga over the regimes, with the special values.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "harness.hpp"

using namespace vortalix2::eval;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// Relation `rel` of the function table (0 to 12) at one element, in its order of operations.
double reference(std::size_t rel, double ga, double x) {
    const double g = ga - 1.0;
    const double c = g * 0.5;
    const double q = 1.0 + c * (x * x);
    switch (rel) {
        case 0: return 1.0 / (1.0 / q);
        case 1: return 1.0 / std::pow(q, ga / (1.0 - ga));
        case 2: return 1.0 / std::pow(q, 1.0 / (1.0 - ga));
        case 3: return (std::sqrt(g) * x) * (1.0 / std::sqrt(q));
        case 4: return ((ga / std::sqrt(g)) * x) * std::pow(q, ((ga + 1.0) * -0.5) / g);
        case 5: return ((ga / std::sqrt(g)) * x) * std::sqrt(q);
        case 6: {
            const double b = (ga + 1.0) * 0.5;
            return (1.0 / x) * std::pow(q / b, b / g);
        }
        case 7: {
            const double x2 = x * x;
            return std::sqrt((1.0 + c * x2) / (ga * x2 - c));
        }
        case 8: {
            const double gp1 = ga + 1.0, c1 = g / gp1, x2 = x * x;
            const double a = std::pow(((ga + ga) / gp1) * x2 - c1, 1.0 / g);
            return 1.0 / (a * std::pow(c1 + (2.0 / gp1) / x2, ga / g));
        }
        case 9: return std::sqrt((2.0 / g) * (std::pow(1.0 / x, (1.0 - ga) / ga) - 1.0));
        case 10: return std::sqrt((2.0 / g) * ((1.0 / (1.0 / x)) - 1.0));
        case 11: return std::sqrt((2.0 / g) * (std::pow(1.0 / x, 1.0 - ga) - 1.0));
        default: {
            const double s = x * x;
            return std::sqrt(((1.0 / g) * s) / (1.0 + s * -0.5));
        }
    }
}

// Mach numbers over the regimes, deterministic: subsonic to hypersonic, the flat region near 1,
// many decades, negatives, and the special values.
std::vector<double> mach_numbers(std::size_t n) {
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf,
                               std::numeric_limits<double>::quiet_NaN(), 0.5, 2.0, 5e-324,
                               2.2250738585072014e-308, 1e-300, 1e300, 1.7976931348623157e308,
                               1.3407807929942597e154, 1.3407807929942596e154,
                               0.9999999999999999, 1.0000000000000002, 1.414213562373095,
                               1.4142135623730951, 0.3779644730092272};
    std::vector<double> v(std::begin(specials), std::end(specials));
    for (std::size_t k = 1; v.size() < n; ++k) {
        const double u = std::fmod(static_cast<double>(k) * 0.6180339887498949, 1.0);
        switch (k % 5) {
            case 0: v.push_back(0.9 + 0.2 * u); break;
            case 1: v.push_back(std::exp(std::log(1e-4) + u * std::log(1e8))); break;
            case 2: v.push_back(-5.0 * u); break;
            default: v.push_back(5.0 * u);
        }
    }
    return v;
}

std::vector<double> run_block(RunFn run, const std::vector<double>& in, double ga) {
    std::vector<double> out(in.size());
    const Walk walk{reinterpret_cast<const std::byte*>(in.data()), in.size(), true, 0,
                    nullptr, nullptr, out.data()};
    run(ga, false, walk);
    return out;
}

}  // namespace

TEST(closed_forms_follow_their_order_of_operations) {
    // The forward relation whose values each inversion (9 to 12) is fed.
    constexpr std::size_t forward_of[] = {1, 0, 2, 3};
    const auto ma = mach_numbers(3333);
    for (std::size_t rel = 0; rel < 13; ++rel) {
        for (double ga : {1.4, 1.1, 1.67}) {
            std::vector<double> in = ma;
            if (rel >= 9) {  // forward values and their neighbours, besides the Mach numbers
                for (std::size_t k = 0; k < ma.size(); k += 2) {
                    const double y = reference(forward_of[rel - 9], ga, std::fabs(ma[k]));
                    in[k] = k % 4 == 0 ? y : std::nextafter(y, inf);
                }
            }
            for (Level level : {Level::scalar, vortalix2::eval::level()}) {
                const auto got = run_block(kernel(level, rel), in, ga);
                int shown = 0;
                for (std::size_t k = 0; k < in.size() && shown < 5; ++k) {
                    const double want = reference(rel, ga, in[k]);
                    if (!::vortalix2_test::same_value(got[k], want)) {
                        ++shown;
                        CHECK_BITS(got[k], want,
                                   std::string(name(level)) + " relation " + std::to_string(rel) +
                                       " ga " + std::to_string(ga) + " input " +
                                       ::vortalix2_test::describe(in[k]));
                    }
                }
            }
        }
    }
}
