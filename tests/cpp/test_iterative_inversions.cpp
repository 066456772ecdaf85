// The iterative inversions: the area-ratio bisection and the two mass-flow Newton iterations,
// bit for bit and with their pass or step counts.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "harness.hpp"
#include "reference_bisection.hpp"
#include "relations/iterative_inversions.hpp"

namespace {

namespace rel = vortalix2::relations;
using ::vortalix2_test::describe;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();
constexpr double dmax = std::numeric_limits<double>::max();
constexpr std::uint64_t default_nan = 0x7FF8000000000000ull;
constexpr int any_count = -1;  // the count is not part of the expectation

struct Row {
    bool sup;
    double x;
    double expected;
    int count;  // passes or steps
};

std::string at(bool sup, double x) {
    return std::string(sup ? "sup" : "sub") + ", x " + describe(x);
}

void check_bisection(double ga, const Row* begin, const Row* end) {
    for (const Row* r = begin; r != end; ++r) {
        rel::MaFromAAcrit::Trace trace;
        const double got = rel::MaFromAAcrit(ga, r->sup).solve(r->x, &trace);
        CHECK_BITS(got, r->expected, "Ma_from_A_Acrit, " + at(r->sup, r->x));
        if (r->count != any_count && trace.passes != r->count) {
            ::vortalix2_test::fail(__FILE__, __LINE__,
                                   "Ma_from_A_Acrit, " + at(r->sup, r->x) + ": " +
                                       std::to_string(trace.passes) + " passes, expected " +
                                       std::to_string(r->count));
        }
        CHECK(trace.evaluated <= trace.passes);
    }
}

template <class Inversion>
void check_newton(const char* name, const Inversion& inv, const Row& r) {
    int steps = -2;
    const double got = inv.solve(r.x, &steps);
    CHECK_BITS(got, r.expected, std::string(name) + ", " + at(r.sup, r.x));
    if (std::isnan(r.expected)) {
        CHECK_EXACT_BITS(got, default_nan, std::string(name) + " NaN, " + at(r.sup, r.x));
    }
    if (r.count != any_count && steps != r.count) {
        ::vortalix2_test::fail(__FILE__, __LINE__,
                               std::string(name) + ", " + at(r.sup, r.x) + ": " +
                                   std::to_string(steps) + " steps, expected " +
                                   std::to_string(r.count));
    }
}

}  // namespace

// ---- Ma_from_A_Acrit -------------------------------------------------------------------------

TEST(area_ratio_bisection_ordinary_values) {
    const Row rows[] = {
        {false, 1.3398437500000004, 0.5, 1},  // A/A* at Ma = 0.5
        {true, 1.3398437500000004, 1.7023699366285712, 10000},
        {false, 1.6875000000000002, 0.37224448620275014, 54},  // A/A* at Ma = 2
        {true, 1.6875000000000002, 2.0, 1075},
        {false, 1.0, 1.0, 0},  // sonic: answered without a pass
        {true, 1.0, 1.0, 0},
    };
    check_bisection(1.4, std::begin(rows), std::end(rows));
}

// The flat minimum at Ma = 1: no Mach number gives less than 1, so the bisection closes on 1;
// just either side of 1 the rounding of a(M) decides.
TEST(area_ratio_bisection_near_and_below_one) {
    const Row rows[] = {
        {false, 0.9999999999999999, 0.999999990221113, 31},
        {true, 0.9999999999999999, 1.0000000037252903, 10000},
        {false, 1.0000000000000002, 0.999999986961484, 29},
        {true, 1.0000000000000002, 1.0000000074505806, 1051},
        {false, 0.9, 1.0, 10000},   {true, 0.9, 1.0, 10000},
        {false, 0.0, 1.0, 10000},   {true, 0.0, 1.0, 10000},
        {false, -0.0, 1.0, 10000},  {true, -0.0, 1.0, 10000},
        {false, -1.0, 1.0, 10000},  {true, -1.0, 1.0, 10000},
        {false, -inf, 1.0, 10000},  {true, -inf, 1.0, 10000},
    };
    check_bisection(1.4, std::begin(rows), std::end(rows));
}

TEST(area_ratio_bisection_nan_and_extremes) {
    const Row rows[] = {
        // NaN compares unordered: no bound ever moves and the first midpoint stays.
        {false, qnan, 0.5, 10000},
        {true, qnan, 8.988465674311579e307, 10000},
        // +inf: hit at once where M * M overflows; subsonic, where 1/M overflows (M = 2^-1024).
        {true, inf, 8.988465674311579e307, 1},
        {false, inf, 5.562684646268003e-309, 1024},
        {false, 1e300, 5.787037037037036e-301, 10000},
        {true, 1e300, 5.819176794421441e+51, 10000},
    };
    check_bisection(1.4, std::begin(rows), std::end(rows));
}

// Work actually done: NaN input stops at the first pass, whose state never changes and whose
// power is known per call; typical ratios call pow on a handful of passes; x = +inf
// (supersonic) and negative x need none.
TEST(area_ratio_bisection_passes_that_call_pow) {
    rel::MaFromAAcrit::Trace t;
    rel::MaFromAAcrit(1.4, false).solve(qnan, &t);
    CHECK(t.evaluated == 0 && t.passes == 10000);
    rel::MaFromAAcrit(1.4, true).solve(1.3398437500000004, &t);
    CHECK(t.evaluated > 0 && t.evaluated <= 20);
    rel::MaFromAAcrit(1.4, false).solve(1.5, &t);
    CHECK(t.evaluated > 0 && t.evaluated <= 10);
    rel::MaFromAAcrit(1.4, true).solve(inf, &t);
    CHECK(t.evaluated == 0 && t.passes == 1);
    for (bool sup : {false, true}) {
        rel::MaFromAAcrit(1.4, sup).solve(-2.0, &t);
        CHECK(t.evaluated == 0 && t.passes == 10000);
    }
}

// The bisection with its shortcuts against the one that runs every pass, bits and pass
// counts, on both branches: typical ratios, ratios close to 1, inputs with no root (below 1,
// zeros, negatives, NaN, infinities, huge and subnormal values), and the exact area ratios of
// Mach numbers on the branch with their neighbours, which the bisection may hit on any pass.
// The ga run from just above 1 (exponent near 10^6) to 3 and far beyond, plus ga that take
// no shortcut.
TEST(area_ratio_bisection_matches_full_run) {
    std::vector<double> common = {0.9,    0.0,    -0.0,  -1.0,    -1e300, qnan,     -qnan,
                                  inf,    -inf,   1e300, dmax,    1e-300, 1e-310,   4.9e-324,
                                  -1e-310, 2.0,   1.0,   10.0,    1e6,    0x1p1000, 0x1.8p1000};
    for (int k = 1; k <= 24; ++k) {
        common.push_back(1.0 + k * 0x1p-52);
        common.push_back(1.0 - k * 0x1p-53);
        common.push_back(1.0 + std::ldexp(1.0, -2 * k));
    }
    std::mt19937_64 gen(20240611);
    std::uniform_real_distribution<double> typical(1.0, 10.0);
    std::uniform_real_distribution<double> decades(-3.0, 300.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 60; ++k) common.push_back(typical(gen));
    for (int k = 0; k < 20; ++k) common.push_back(std::pow(10.0, decades(gen)));

    int compared = 0, hits = 0;
    for (double ga : {1.000001, 1.01, 1.05, 1.1, 1.2, 1.3, 1.4, 1.67, 2.0, 2.5, 3.0, 1e12, 1.0,
                      0.5, 1e300}) {
        const rel::AAcritFromMa area(ga);
        for (bool sup : {false, true}) {
            std::vector<double> inputs = common;
            for (int k = 0; k < 40; ++k) {
                const double ma = sup ? 1.0 + 9.0 * unit(gen) * unit(gen) : unit(gen);
                const double a = area(ma);
                inputs.push_back(a);
                inputs.push_back(std::nextafter(a, 0.0));
                inputs.push_back(std::nextafter(a, inf));
            }
            const rel::MaFromAAcrit fast(ga, sup);
            const ::vortalix2_test::ReferenceBisection full(ga, sup);
            for (double x : inputs) {
                rel::MaFromAAcrit::Trace t;
                int passes = 0;
                const double want = full(x, &passes);
                const std::string where = "ga " + describe(ga) + ", " + at(sup, x);
                CHECK_BITS(fast.solve(x, &t), want, where);
                // The full run stops only on an exact hit.
                if (t.passes != passes) {
                    ::vortalix2_test::fail(__FILE__, __LINE__,
                                           where + ": " + std::to_string(t.passes) +
                                               " passes, expected " + std::to_string(passes));
                }
                hits += passes < 10000;
                ++compared;
            }
        }
    }
    CHECK(compared > 6000);
    CHECK(hits > 500);
}

// ---- Ma_from_mcpTo_APo -----------------------------------------------------------------------

TEST(mass_flow_po_newton_ordinary_values) {
    const Row rows[] = {
        {false, 0.9560930189473557, 0.5, 1},  // Ma = 0.5
        {true, 0.9560930189473557, 1.7023699366285707, 4},
        {false, 0.7591201516179238, 0.37224448620274964, 4},  // Ma = 2
        {true, 0.7591201516179238, 1.9999999999999998, 4},
        // The last bit of these depends on dividing by the derivative, not multiplying by
        // its reciprocal.
        {false, 0.272, 0.12401444495759725, 4},
        {true, 0.8, 1.936234979918152, 4},
        // Ma = 0.99: slower near the maximum, where the derivative vanishes.
        {false, 1.2809079127328127, 0.9900000000000004, 10},
        {true, 1.2809079127328127, 1.010055866510403, 9},
    };
    for (const Row& r : rows) check_newton("Ma_from_mcpTo_APo", rel::MaFromMcpToAPo(1.4, r.sup), r);
}

// Input equal to the choking limit still iterates; the next double is rejected unevaluated.
TEST(mass_flow_po_newton_choking_limit) {
    const Row rows[] = {
        {false, 1.2810152558552463, 0.9999994386012809, 20},
        {true, 1.2810152558552463, 1.0000006531192702, 19},
        {false, 1.2810152558552466, qnan, 0},
        {true, 1.2810152558552466, qnan, 0},
        {false, inf, qnan, 0},
    };
    for (const Row& r : rows) check_newton("Ma_from_mcpTo_APo", rel::MaFromMcpToAPo(1.4, r.sup), r);

    // The limit is the forward mass flow at Ma = 1 for each ga.
    const double limits[][2] = {{1.1, 2.084035175364257},  {1.2, 1.5885704505202227},
                                {1.3, 1.3890173493019302}, {1.4, 1.2810152558552463},
                                {1.67, 1.1472365260873854}};
    for (const auto& gl : limits) {
        const rel::MaFromMcpToAPo inv(gl[0], false);
        int steps = -2;
        inv.solve(gl[1], &steps);
        CHECK(steps > 0);  // the limit itself is iterated
        CHECK_EXACT_BITS(inv.solve(std::nextafter(gl[1], inf), &steps), default_nan,
                         "above the limit, ga " + describe(gl[0]));
        CHECK(steps == 0);
    }
}

TEST(mass_flow_po_newton_out_of_domain) {
    const Row rows[] = {
        {false, 0.0, 0.0, 5},     {true, 0.0, qnan, any_count},
        {false, -0.0, 0.0, 5},    {true, -0.0, qnan, any_count},
        {false, 1e-300, 0.0, 5},  {true, 1e-300, qnan, any_count},
        {false, -0.1, -0.04523087058978671, any_count},
        {true, -0.1, qnan, any_count},
        {false, qnan, qnan, any_count}, {true, qnan, qnan, any_count},
        {false, -inf, qnan, any_count}, {true, -inf, qnan, any_count},
    };
    for (const Row& r : rows) check_newton("Ma_from_mcpTo_APo", rel::MaFromMcpToAPo(1.4, r.sup), r);
}

// ---- Ma_from_mcpTo_AP ------------------------------------------------------------------------

TEST(mass_flow_p_newton_values) {
    const Row rows[] = {
        {false, 1.1341296222213757, 0.5, 1},  // Ma = 0.5
        {false, 5.939696961966999, 2.0, 5},   // Ma = 2
        {false, 27.110883423451916, 5.0, 7},  // Ma = 5
        {false, 15.91, 3.7100954178676657, 6},
        {false, 61.05, 7.6954834243048476, 7},
        {false, 100.0, 9.927043146943866, 8},
        {false, 1e6, 1005.0622092961731, 15},
        {false, 1e10, 100506.3452873604, 22},
        {false, 0.0, 0.0, 4},
        {false, -0.0, 0.0, 4},
        {false, -1.0, -0.4431359172625538, any_count},
        // The first iterate's square overflows.
        {false, 1e300, qnan, any_count},
        {false, qnan, qnan, any_count},
        {false, inf, qnan, any_count},
        {false, -inf, qnan, any_count},
    };
    const rel::MaFromMcpToAP inv(1.4);
    for (const Row& r : rows) check_newton("Ma_from_mcpTo_AP", inv, r);
}

// ---- Newton acceptance ------------------------------------------------------------------------

// An iteration from 0 whose step is `f`.
template <class F>
double iterate(F f, int* steps) {
    struct Steps {
        double start;
        F f;
        double next(double, double m) const { return f(m); }
    };
    return rel::InlineNewton::run(Steps{0.0, f}, 0.0, steps);
}

// Acceptance is strict on both sides: a step of exactly the tolerance is neither accepted nor
// continued, and 100 steps above it give up.
TEST(newton_acceptance_rules) {
    int steps = -2;
    const auto exact_tolerance = [](double m) { return m - 1e-6; };
    CHECK_EXACT_BITS(iterate(exact_tolerance, &steps), default_nan,
                     "step of exactly 1e-6");
    CHECK(steps == 1);

    const auto never = [](double m) { return m + 1.0; };
    CHECK_EXACT_BITS(iterate(never, &steps), default_nan, "no convergence");
    CHECK(steps == 100);

    // Converges on the 100th step exactly: still accepted.
    const auto slow = [](double m) { return m < 99.0 ? m + 1.0 : m; };
    CHECK_BITS(iterate(slow, &steps), 99.0, "accepted at step 100");
    CHECK(steps == 100);

    const auto nan_step = [](double m) { return m - inf + inf; };
    CHECK_EXACT_BITS(iterate(nan_step, &steps), default_nan, "NaN step");
    CHECK(steps == 1);
}
