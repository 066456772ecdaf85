// The vector pow against the C library's pow, bit for bit, at every level this processor runs.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "harness.hpp"
#include "math/libc_pow.hpp"
#include "math/pow_tables.hpp"
#include "pow_cases.hpp"
#include "pow_hard_cases.hpp"
#include "pow_kernel_cases.hpp"
#include "pow_margin_cases.hpp"
#include "relations/all.hpp"

namespace {

using vortalix2::eval::Level;
namespace eval = vortalix2::eval;

constexpr Level vector_levels[] = {Level::sse2, Level::avx2, Level::avx512};

// Every pair's power at `level` must be the library's; returns the library's share.
double check_level(Level level, const std::vector<double>& x, const std::vector<double>& y,
                   const char* what) {
    std::vector<double> out(x.size());
    std::size_t calls = 0;
    eval::pow_span(level)(x.data(), y.data(), out.data(), x.size(), &calls);
    int reported = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        const double expected = std::pow(x[k], y[k]);
        if (!vortalix2_test::same_value(out[k], expected) && reported++ < 10) {
            CHECK_BITS(out[k], expected,
                       std::string(eval::name(level)) + " " + what + " pow(" +
                           vortalix2_test::describe(x[k]) + ", " +
                           vortalix2_test::describe(y[k]) + ")");
        }
    }
    CHECK(calls <= x.size());
    return x.empty() ? 0.0 : static_cast<double>(calls) / static_cast<double>(x.size());
}

template <class Fill>
void at_every_level(const char* what, Fill fill) {
    std::vector<double> x, y;
    fill(x, y);
    for (Level level : vector_levels) {
        if (!eval::supported(level)) {
            std::printf("  skipped %s: %s not supported here\n", what, eval::name(level));
            continue;
        }
        const double share = check_level(level, x, y, what);
        std::printf("  %s %s: %zu pairs, %.2f%% to the library\n", eval::name(level), what,
                    x.size(), 100.0 * share);
    }
}

}  // namespace

TEST(pow_relation_exponents_match_library) {
    at_every_level("relation exponents", [](std::vector<double>& x, std::vector<double>& y) {
        pow_cases::relation_pairs(5'000'000, 0x5eed'0001, x, y);
    });
}

TEST(pow_general_pairs_match_library) {
    at_every_level("general pairs", [](std::vector<double>& x, std::vector<double>& y) {
        pow_cases::general_pairs(5'000'000, 0x5eed'0002, x, y);
    });
}

TEST(pow_hard_cases_match_library) {
    at_every_level("hard cases", [](std::vector<double>& x, std::vector<double>& y) {
        for (const auto& c : pow_hard_cases::cases) {
            x.push_back(std::bit_cast<double>(c.x));
            y.push_back(std::bit_cast<double>(c.y));
        }
    });
}

// Where the kernel's reductions leave their largest remainders: bases at and next to the edges
// of every interval of the log table (largest |r|, and the neighbours of the interval whose c is
// 1), in several binades; and powers of 2 whose t lies at and next to a half step of the exp
// table (largest |v|), with the step counts of both signs up to the overflow range.
TEST(pow_table_edges_match_library) {
    namespace tb = vortalix2::math::pow_tables;
    at_every_level("table edges", [](std::vector<double>& x, std::vector<double>& y) {
        for (std::int64_t i = 0; i <= (1 << tb::log_bits); ++i) {
            const std::int64_t edge = tb::z_offset + (i << (52 - tb::log_bits));
            for (std::int64_t step : {-2, -1, 0, 1, 2}) {
                for (std::int64_t binade : {-40, -1, 0, 1, 600}) {
                    for (double e : {-3.5, 3.0, -2.5, 0.7, 41.0}) {
                        x.push_back(std::bit_cast<double>(edge + step + (binade << 52)));
                        y.push_back(e);
                    }
                }
            }
        }
        for (int n = -16352; n <= 16352; n += 7) {
            const double half_step = (n + 0.5) / (1 << tb::exp_bits);
            for (double nudge : {-0x1p-40, 0.0, 0x1p-40}) {
                x.push_back(2.0);
                y.push_back(half_step + nudge);
            }
        }
    });
}

// Pairs within 1e-3 ULP of a midpoint are ones the certificate must refuse, every one of them
// (their number, 551, also leaves a partial last group at every width).
TEST(pow_near_midpoints_go_to_library) {
    if (!vortalix2::libc::pow_error_bounded) return;
    std::vector<double> x, y;
    for (const auto& c : pow_hard_cases::cases) {
        if (c.kind == pow_hard_cases::near_midpoint) {
            x.push_back(std::bit_cast<double>(c.x));
            y.push_back(std::bit_cast<double>(c.y));
        }
    }
    for (Level level : vector_levels) {
        if (!eval::supported(level)) continue;
        CHECK(check_level(level, x, y, "near midpoints") == 1.0);
    }
}

// Pairs nearer a midpoint than the margin keeps the kernel's answers, one group per margin
// term where that term matters most: every one must go to the library, so a term dropped,
// weakened or taken from the wrong quantity shows as a lane answered here.
TEST(pow_margin_terms_refuse_near_midpoints) {
    if (!vortalix2::libc::pow_error_bounded) return;
    namespace mc = pow_margin_cases;
    const struct {
        const char* what;
        const mc::Pair* pairs;
        std::size_t count;
    } groups[] = {{"margin floor", mc::floor_term, std::size(mc::floor_term)},
                  {"margin per |yh|", mc::per_t_term, std::size(mc::per_t_term)},
                  {"margin per |y|", mc::per_y_term, std::size(mc::per_y_term)}};
    for (const auto& g : groups) {
        std::vector<double> x, y;
        for (std::size_t k = 0; k < g.count; ++k) {
            x.push_back(std::bit_cast<double>(g.pairs[k].x));
            y.push_back(std::bit_cast<double>(g.pairs[k].y));
        }
        for (Level level : vector_levels) {
            if (!eval::supported(level)) continue;
            const double share = check_level(level, x, y, g.what);
            if (share != 1.0) {
                std::printf("  %s %s: %.1f%% answered by the kernel\n", eval::name(level),
                            g.what, 100.0 * (1.0 - share));
            }
            CHECK(share == 1.0);
        }
    }
}

// The compiled kernel answers exactly where its description, run bit for bit by the proof's
// tools, answers (each pair alone in every lane, so that the library's count tells which).
TEST(pow_kernel_answers_where_its_description_does) {
    if (!vortalix2::libc::pow_error_bounded) return;
    for (Level level : {Level::avx2, Level::avx512}) {
        if (!eval::supported(level)) continue;
        int differing = 0;
        for (const auto& c : pow_kernel_cases::cases) {
            const double x = std::bit_cast<double>(c.x), y = std::bit_cast<double>(c.y);
            double out = 0.0;
            std::size_t calls = 0;
            eval::pow_span(level)(&x, &y, &out, 1, &calls);
            CHECK_BITS(out, std::pow(x, y), std::string(eval::name(level)) + " pow(" +
                                                vortalix2_test::describe(x) + ", " +
                                                vortalix2_test::describe(y) + ")");
            if ((calls == 0) != c.answered && differing++ < 10) {
                std::printf("  %s pow(%a, %a): the kernel %s, its description %s\n",
                            eval::name(level), x, y, calls == 0 ? "answers" : "refuses",
                            c.answered ? "answers" : "refuses");
            }
        }
        CHECK(differing == 0);
    }
}

// The scalar level is the library itself.
TEST(pow_scalar_level_is_the_library) {
    std::vector<double> x, y;
    pow_cases::relation_pairs(10'000, 0x5eed'0003, x, y);
    CHECK(check_level(Level::scalar, x, y, "relation exponents") == 1.0);
}

// Two powers of one base from one logarithm: each is the library's, at every level, for bases
// over the relations' range and the table edges, special bases in every lane, and exponent
// pairs of both signs, equal ones, and ones whose powers leave the normal range.
TEST(pow_pairs_match_library) {
    namespace tb = vortalix2::math::pow_tables;
    std::vector<double> x, y_unused;
    pow_cases::relation_pairs(200'003, 0x5eed'0004, x, y_unused);
    for (std::int64_t i = 0; i <= (1 << tb::log_bits); ++i) {
        for (std::int64_t step : {-1, 0, 1}) {
            x.push_back(std::bit_cast<double>(tb::z_offset + (i << (52 - tb::log_bits)) + step));
        }
    }
    for (double special : {0.0, -0.0, 1.0, -1.0, -2.5, 0x1p-1074, 0x1p-1022, HUGE_VAL, -HUGE_VAL,
                           std::nan(""), 0x1.fffffffffffffp1023}) {
        for (int lane = 0; lane < 9; ++lane) x.insert(x.end() - lane, special);
    }
    const double pairs[][2] = {{-2.5, -3.5}, {2.5, 3.5}, {-10.0, -11.0}, {0.7, 41.0},
                               {-3.5, -3.5}, {0.0, 1.0},  {-200.0, 900.0}};
    std::vector<double> out1(x.size()), out2(x.size());
    for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        if (!eval::supported(level)) continue;
        for (const auto& e : pairs) {
            std::size_t calls = 0;
            eval::pow_pair_span(level)(x.data(), e[0], e[1], out1.data(), out2.data(), x.size(),
                                       &calls);
            int reported = 0;
            for (std::size_t k = 0; k < x.size() && reported < 10; ++k) {
                for (int which = 0; which < 2; ++which) {
                    const double got = which == 0 ? out1[k] : out2[k];
                    const double expected = std::pow(x[k], e[which]);
                    if (!vortalix2_test::same_value(got, expected)) {
                        ++reported;
                        CHECK_BITS(got, expected,
                                   std::string(eval::name(level)) + " pair pow(" +
                                       vortalix2_test::describe(x[k]) + ", " +
                                       vortalix2_test::describe(e[which]) + ")");
                    }
                }
            }
            CHECK(calls <= 2 * x.size());
            if (level == Level::scalar) CHECK(calls == 2 * x.size());
        }
    }
}

// The pow relations' element loops at every level give the scalar loop's bits, lanes the vector
// pow refuses included (they are recomputed after each block), for contiguous and strided input
// of a length that leaves a partial last group.
TEST(pow_relations_match_scalar_at_every_level) {
    namespace rel = vortalix2::relations;
    const std::size_t relations[] = {
        rel::index_of<rel::PoPFromMa>(),      rel::index_of<rel::RhooRhoFromMa>(),
        rel::index_of<rel::McpToAPoFromMa>(), rel::index_of<rel::AAcritFromMa>(),
        rel::index_of<rel::PoshPoFromMa>(),   rel::index_of<rel::MaFromPoP>(),
        rel::index_of<rel::MaFromRhooRho>()};
    constexpr std::size_t n = 3001;
    std::vector<double> in(2 * n);
    pow_cases::Random rng{0x5eed'0004};
    for (std::size_t k = 0; k < in.size(); ++k) {
        // Mach numbers 0..10 for the forward relations, ratios (0, 1] for the inversions.
        in[k] = k % 3 == 0 ? 1.0 - rng.unit() : rng.between(0.0, 10.0);
    }
    const std::size_t shape[] = {n};
    const std::ptrdiff_t every_other[] = {2};
    for (double ga : {1.01, 1.4, 3.0}) {
        for (std::size_t r : relations) {
            for (bool strided : {false, true}) {
                std::vector<double> expected(n), actual(n);
                const eval::Walk scalar_walk{reinterpret_cast<const std::byte*>(in.data()), n,
                                             !strided, 1, shape, every_other, expected.data()};
                eval::kernel(Level::scalar, r)(ga, true, scalar_walk);
                for (Level level : vector_levels) {
                    if (!eval::supported(level)) continue;
                    eval::Walk walk = scalar_walk;
                    walk.out = actual.data();
                    eval::kernel(level, r)(ga, true, walk);
                    int reported = 0;
                    for (std::size_t k = 0; k < n; ++k) {
                        if (!vortalix2_test::same_value(actual[k], expected[k]) && reported++ < 5) {
                            CHECK_BITS(actual[k], expected[k],
                                       std::string(eval::name(level)) + " relation " +
                                           std::to_string(r) + (strided ? " strided" : "") +
                                           " ga " + std::to_string(ga) + " element " +
                                           std::to_string(k));
                        }
                    }
                }
            }
        }
    }
}

// Zeros of both signs, infinities and NaN in every position of a span that leaves a partial
// last group at every width: in the vector body and in the leftovers (each of which fills a
// whole vector with its pair), against an ordinary partner and against each other.
TEST(pow_special_operands_in_every_position) {
    const double inf = INFINITY, nan = NAN;
    const double specials[] = {0.0, -0.0, inf, -inf, nan};
    const double others[] = {0.0, -0.0, inf, -inf, nan, 1.0, -1.0, 2.0, -2.0, 3.0, -3.0, 0.5, -0.5};
    constexpr std::size_t n = 19;  // two groups of 8 and three left over, four of 4 and three
    int runs = 0;
    for (Level level : vector_levels) {
        if (!eval::supported(level)) continue;
        for (double a : specials) {
            for (double b : others) {
                for (std::size_t p = 0; p < n; ++p) {
                    for (bool special_is_base : {true, false}) {
                        std::vector<double> x(n, 1.7), y(n, 2.3);
                        x[p] = special_is_base ? a : b;
                        y[p] = special_is_base ? b : a;
                        check_level(level, x, y, "special operands");
                        ++runs;
                    }
                }
            }
        }
    }
    std::printf("  %d spans with special operands\n", runs);
}

// The same values as the input of the pow relations' loops, whose vector pow collects the
// lanes it refuses for the scalar path to redo: every position, every level, against the
// scalar loop.
TEST(pow_relations_special_inputs_in_every_position) {
    namespace rel = vortalix2::relations;
    const std::size_t relations[] = {
        rel::index_of<rel::PoPFromMa>(),      rel::index_of<rel::RhooRhoFromMa>(),
        rel::index_of<rel::McpToAPoFromMa>(), rel::index_of<rel::AAcritFromMa>(),
        rel::index_of<rel::PoshPoFromMa>(),   rel::index_of<rel::MaFromPoP>(),
        rel::index_of<rel::MaFromRhooRho>()};
    const double specials[] = {0.0, -0.0, INFINITY, -INFINITY, NAN};
    constexpr std::size_t n = 19;
    const std::size_t shape[] = {n};
    const std::ptrdiff_t one[] = {1};
    for (std::size_t r : relations) {
        for (double s : specials) {
            for (std::size_t p = 0; p < n; ++p) {
                // Mach numbers for the forward relations and ratios for the inversions alike.
                std::vector<double> in(n, 0.6), expected(n), actual(n);
                in[p] = s;
                const eval::Walk scalar_walk{reinterpret_cast<const std::byte*>(in.data()), n,
                                             true, 1, shape, one, expected.data()};
                eval::kernel(Level::scalar, r)(1.4, true, scalar_walk);
                for (Level level : vector_levels) {
                    if (!eval::supported(level)) continue;
                    eval::Walk walk = scalar_walk;
                    walk.out = actual.data();
                    eval::kernel(level, r)(1.4, true, walk);
                    for (std::size_t k = 0; k < n; ++k) {
                        CHECK_BITS(actual[k], expected[k],
                                   std::string(eval::name(level)) + " relation " +
                                       std::to_string(r) + " input " +
                                       vortalix2_test::describe(s) + " at " + std::to_string(p));
                    }
                }
            }
        }
    }
}
