// The seven isentropic forward relations, bit for bit. Each row gives one Mach number and the
// results of all seven relations at one ga.
#include <iterator>
#include <limits>
#include <string>

#include "harness.hpp"
#include "relations/isentropic.hpp"

namespace {

namespace rel = vortalix2::relations;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();

// To/T, Po/P, rhoo/rho, V/sqrt(cp To), mdot sqrt(cp To)/(A Po), mdot sqrt(cp To)/(A P), A/A*.
struct Row {
    double ma;
    double expected[7];
};

const char* const names[7] = {"To_T", "Po_P", "rhoo_rho", "V_cpTo",
                              "mcpTo_APo", "mcpTo_AP", "A_Acrit"};

void check_rows(double ga, const Row* begin, const Row* end) {
    const rel::ToTFromMa to_t(ga);
    const rel::PoPFromMa po_p(ga);
    const rel::RhooRhoFromMa rhoo_rho(ga);
    const rel::VCpToFromMa v_cpto(ga);
    const rel::McpToAPoFromMa mcpto_apo(ga);
    const rel::McpToAPFromMa mcpto_ap(ga);
    const rel::AAcritFromMa a_acrit(ga);
    for (const Row* r = begin; r != end; ++r) {
        const double got[7] = {to_t(r->ma),     po_p(r->ma),      rhoo_rho(r->ma), v_cpto(r->ma),
                               mcpto_apo(r->ma), mcpto_ap(r->ma), a_acrit(r->ma)};
        for (int i = 0; i < 7; ++i) {
            CHECK_BITS(got[i], r->expected[i],
                       std::string(names[i]) + "_from_Ma, ga " + ::vortalix2_test::describe(ga) +
                           ", Ma " + ::vortalix2_test::describe(r->ma));
        }
    }
}

}  // namespace

TEST(isentropic_forward_ordinary_values) {
    const Row rows[] = {
        {1.0, {1.2, 1.8929291587378538, 1.5774409656148782, 0.5773502691896257,
               1.2810152558552463, 2.424871130596428, 1.0}},
        {2.0, {1.7999999999999998, 7.824449066867263, 4.346916148259591, 0.9428090415820632,
               0.7591201516179238, 5.939696961966999, 1.6875000000000002}},
        // The three ratios are even in Ma, the other four odd.
        {-2.0, {1.7999999999999998, 7.824449066867263, 4.346916148259591, -0.9428090415820632,
                -0.7591201516179238, -5.939696961966999, -1.6875000000000002}},
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

// To/T is the reciprocal of the reciprocal of q, which can differ from q in the last place, and
// by more once 1/q is subnormal.
TEST(isentropic_forward_double_reciprocal) {
    CHECK_BITS(rel::ToTFromMa(1.4)(1.49), 1.4440199999999996, "To_T_from_Ma(1.49)");
    // ga - 1 = 8.5e307 makes c * (2 * 2) exactly 1.7e308, so q = 1.7e308.
    CHECK_BITS(rel::ToTFromMa(8.5e307)(2.0), 1.6999999999999995e308, "To_T_from_Ma at q = 1.7e308");
}

TEST(isentropic_forward_special_points) {
    const double big = 1.3407807929942597e154;  // smallest Ma whose square overflows
    const Row rows[] = {
        {0.0, {1.0, 1.0, 1.0, 0.0, 0.0, 0.0, inf}},
        {-0.0, {1.0, 1.0, 1.0, -0.0, -0.0, -0.0, -inf}},
        {big, {inf, inf, inf, 0.0, 0.0, inf, inf}},
        {-big, {inf, inf, inf, -0.0, -0.0, -inf, -inf}},
        {inf, {inf, inf, inf, qnan, qnan, inf, qnan}},
        {-inf, {inf, inf, inf, qnan, qnan, -inf, qnan}},
        {qnan, {qnan, qnan, qnan, qnan, qnan, qnan, qnan}},
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

// ga = 1 divides by zero in every exponent and coefficient but one.
TEST(isentropic_forward_ga_one) {
    const Row rows[] = {
        {2.0, {1.0, 1.0, 1.0, 0.0, inf, inf, 0.5}},
        {-2.0, {1.0, 1.0, 1.0, -0.0, -inf, -inf, -0.5}},
        {0.0, {1.0, 1.0, 1.0, 0.0, qnan, qnan, inf}},
        {inf, {qnan, qnan, qnan, qnan, qnan, qnan, qnan}},
        {1.3407807929942597e154, {qnan, qnan, qnan, qnan, qnan, qnan, qnan}},
    };
    check_rows(1.0, std::begin(rows), std::end(rows));
}

// Below ga = 1 the square roots of ga - 1 are NaN and q falls as Ma rises.
TEST(isentropic_forward_ga_below_one_and_nan) {
    const Row half[] = {
        {2.0, {0.0, inf, inf, qnan, qnan, qnan, inf}},
    };
    check_rows(0.5, std::begin(half), std::end(half));
    const Row nan_ga[] = {
        {2.0, {qnan, qnan, qnan, qnan, qnan, qnan, qnan}},
        {0.0, {qnan, qnan, qnan, qnan, qnan, qnan, qnan}},
    };
    check_rows(qnan, std::begin(nan_ga), std::end(nan_ga));
}
