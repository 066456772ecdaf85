#include <iterator>
#include <limits>
#include <string>

#include "harness.hpp"
#include "relations/normal_shock.hpp"

namespace {

using vortalix2::relations::MashFromMa;
using vortalix2::relations::PoshPoFromMa;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();

struct Case {
    double ma;
    double mash;
    double posh_po;
};

void check_table(double ga, const Case* begin, const Case* end) {
    const MashFromMa mash(ga);
    const PoshPoFromMa posh_po(ga);
    for (const Case* c = begin; c != end; ++c) {
        const std::string at =
            "ga " + std::to_string(ga) + ", Ma " + ::vortalix2_test::describe(c->ma);
        CHECK_BITS(mash(c->ma), c->mash, "Mash_from_Ma, " + at);
        CHECK_BITS(posh_po(c->ma), c->posh_po, "Posh_Po_from_Ma, " + at);
    }
}

}  // namespace

TEST(normal_shock_supersonic) {
    const Case cases[] = {
        {2.0, 0.5773502691896257, 0.7208738614847452},
        {-2.0, 0.5773502691896257, 0.7208738614847452},  // only Ma^2 enters
        {1.5, 0.7010887416930994, 0.9297865122828299},
        {3.0, 0.4751909633114914, 0.32834388819073684},
        {1.0, 1.0, 1.0},
    };
    check_table(1.4, std::begin(cases), std::end(cases));
}

// The same formulas run unchanged below Ma = 1, down to the point where den and the first base
// of the pressure ratio turn negative, sqrt((ga - 1)/(2 ga)) = 0.3779644730092272 for ga = 1.4.
TEST(normal_shock_subsonic_and_out_of_domain) {
    const Case cases[] = {
        {0.5, 2.6457513110645903, 2.2567674656644217},
        {0.4, 6.557438524301991, 49.102134409733104},
        {0.3, qnan, qnan},
        {-0.3, qnan, qnan},
        {0.0, qnan, qnan},
        {inf, qnan, 0.0},
        {-inf, qnan, 0.0},
        {qnan, qnan, qnan},
    };
    check_table(1.4, std::begin(cases), std::end(cases));
}

TEST(normal_shock_other_ga) {
    const Case ga13[] = {{2.0, 0.5628780357842335, 0.7005711033625542}};
    check_table(1.3, std::begin(ga13), std::end(ga13));
    // ga = 1: b is 0, so Mash = sqrt(1/Ma^2); both pressure exponents are infinite and the
    // product of the powers is inf * 0.
    const Case ga1[] = {{2.0, 0.5, qnan}};
    check_table(1.0, std::begin(ga1), std::end(ga1));
}
