// The closed-form inversions MaFromToT, MaFromPoP, MaFromRhooRho and MaFromVCpTo, bit for bit.
#include <iterator>
#include <limits>
#include <string>

#include "harness.hpp"
#include "relations/isentropic_inversions.hpp"

namespace {

namespace rel = vortalix2::relations;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();

enum Which { ToT, PoP, RhooRho, VCpTo };

struct Row {
    Which which;
    double x;
    double expected;
};

double invert(Which which, double ga, double x) {
    switch (which) {
        case ToT: return rel::MaFromToT(ga)(x);
        case PoP: return rel::MaFromPoP(ga)(x);
        case RhooRho: return rel::MaFromRhooRho(ga)(x);
        case VCpTo: return rel::MaFromVCpTo(ga)(x);
    }
    return 0.0;
}

void check_rows(double ga, const Row* begin, const Row* end) {
    static const char* const names[] = {"Ma_from_To_T", "Ma_from_Po_P", "Ma_from_rhoo_rho",
                                        "Ma_from_V_cpTo"};
    for (const Row* r = begin; r != end; ++r) {
        CHECK_BITS(invert(r->which, ga, r->x), r->expected,
                   std::string(names[r->which]) + ", ga " + ::vortalix2_test::describe(ga) +
                       ", x " + ::vortalix2_test::describe(r->x));
    }
}

}  // namespace

// Inputs are the forward values at Ma = 0.5, 1 and 2, plus a few round inputs.
TEST(closed_form_inversions_ordinary_values) {
    const Row rows[] = {
        {ToT, 1.05, 0.5000000000000002},
        {ToT, 1.2, 1.0},
        {ToT, 1.7999999999999998, 2.0},
        {ToT, 2.0, 2.23606797749979},
        // 1/(1/x) != x here: the double reciprocal shows in the result.
        {ToT, 3.5072953117596093, 3.5406887124962076},
        {PoP, 1.1862126380443982, 0.5000000000000002},
        {PoP, 1.8929291587378538, 1.0},
        {PoP, 7.824449066867263, 1.9999999999999996},
        {PoP, 2.0, 1.0464550974706832},
        {RhooRho, 1.129726321947046, 0.5000000000000002},
        {RhooRho, 1.5774409656148782, 1.0},
        {RhooRho, 4.346916148259591, 1.9999999999999996},
        {RhooRho, 2.0, 1.2639381131465541},
        {VCpTo, 0.30860669992418377, 0.49999999999999994},
        {VCpTo, 0.5773502691896257, 1.0},
        {VCpTo, 0.9428090415820632, 1.9999999999999996},
        {VCpTo, 1.0, 2.23606797749979},
        {VCpTo, 0.5, 0.8451542547285167},
        {VCpTo, -0.5, 0.8451542547285167},  // even in its input
        // Low speeds, where multiplying by 1/(ga - 1) and dividing by ga - 1 part ways.
        {VCpTo, 0.04, 0.0632708666137081},
        {VCpTo, 0.14, 0.22245213537936978},
        {VCpTo, 0.16, 0.2546170098755978},
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

// The ends of the physical range: at rest (ratio 1, velocity 0) and, for the velocity, the
// limit V/sqrt(cp To) = sqrt(2) where the radicand's denominator reaches zero.
TEST(closed_form_inversions_range_ends) {
    const Row rows[] = {
        {ToT, 1.0, 0.0},
        {PoP, 1.0, 0.0},
        {RhooRho, 1.0, 0.0},
        {ToT, 1.0000000000000002, 3.332000937312528e-08},
        {PoP, 1.0000000000000002, 0.0},  // the pow result rounds to exactly 1
        {RhooRho, 1.0000000000000002, 0.0},
        {VCpTo, 0.0, 0.0},
        {VCpTo, -0.0, 0.0},
        {VCpTo, 1.414213562373095, 150059981.79678845},
        {VCpTo, 1.4142135623730951, qnan},  // square 2.0000000000000004
        {VCpTo, 2.0, qnan},
        {ToT, 1e308, inf},  // c * t overflows
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

// Below 1 the ratios give a negative radicand; zero and negative input get there through an
// infinite or negative reciprocal and pow's special values.
TEST(closed_form_inversions_out_of_domain) {
    const Row rows[] = {
        {ToT, 0.9999999999999999, qnan}, {PoP, 0.9999999999999999, qnan},
        {RhooRho, 0.9999999999999999, qnan},
        {ToT, 0.0, qnan},  {PoP, 0.0, qnan},  {RhooRho, 0.0, qnan},
        {ToT, -0.0, qnan}, {PoP, -0.0, qnan}, {RhooRho, -0.0, qnan},
        {ToT, -2.0, qnan}, {PoP, -2.0, qnan}, {RhooRho, -2.0, qnan},
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

TEST(closed_form_inversions_nan_and_infinities) {
    const Row rows[] = {
        {ToT, inf, inf},   {PoP, inf, inf},   {RhooRho, inf, inf},  {VCpTo, inf, qnan},
        {ToT, -inf, qnan}, {PoP, -inf, inf},  {RhooRho, -inf, inf}, {VCpTo, -inf, qnan},
        {ToT, qnan, qnan}, {PoP, qnan, qnan}, {RhooRho, qnan, qnan}, {VCpTo, qnan, qnan},
    };
    check_rows(1.4, std::begin(rows), std::end(rows));
}

// ga = 1 makes 2/(ga - 1) and 1/(ga - 1) infinite; ga < 1 turns the domains over; the sign of
// zero at input 1 then comes from sqrt(-0).
TEST(closed_form_inversions_unusual_ga) {
    const Row one[] = {
        {ToT, 2.0, inf},    {ToT, 1.0, qnan},     {ToT, 0.5, qnan},
        {PoP, 2.0, qnan},   {RhooRho, 2.0, qnan},  // exponent 0: pow gives 1, inf * 0
        {VCpTo, 0.5, inf},  {VCpTo, 0.0, qnan},   {VCpTo, 2.0, qnan},
    };
    check_rows(1.0, std::begin(one), std::end(one));
    const Row half[] = {
        {ToT, 0.5, 1.4142135623730951}, {ToT, 2.0, qnan},
        {ToT, 1.0, -0.0},                {PoP, 1.0, -0.0}, {RhooRho, 1.0, -0.0},
    };
    check_rows(0.5, std::begin(half), std::end(half));
    const Row nan_ga[] = {
        {ToT, 2.0, qnan}, {PoP, 2.0, qnan}, {RhooRho, 2.0, qnan}, {VCpTo, 0.5, qnan},
    };
    check_rows(qnan, std::begin(nan_ga), std::end(nan_ga));
}
