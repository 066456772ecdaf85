// Every instruction-set level against the scalar loops, bit for bit (any NaN matches any NaN:
// which operand's payload an operation passes on is the compiler's choice of operand order),
// for every relation: special values, lengths that are not multiples of the lane count, and
// both kinds of walk (one block, strided rows).
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "eval/mapper.hpp"
#include "harness.hpp"

using namespace vortalix2::eval;

namespace {

constexpr Level vector_levels[] = {Level::sse2, Level::avx2, Level::avx512};

// Special values mixed into ordinary ones from each relation's useful range.
std::vector<double> inputs(std::size_t n, std::uint32_t seed) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf,
                               std::numeric_limits<double>::quiet_NaN(), -std::nan("7"),
                               std::numeric_limits<double>::denorm_min(), -4.9e-320,
                               std::numeric_limits<double>::min(), 1e-300, 1e300,
                               1.3407807929942597e154, std::numeric_limits<double>::max(),
                               1.2810152558552463, 0.9999999999999999, 1.0000000000000002,
                               1.4142135623730951, 2.0, 0.5};
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> ordinary(0.0, 6.0);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(specials) - 1);
    std::vector<double> v(n);
    for (std::size_t k = 0; k < n; ++k) {
        v[k] = (gen() % 4 == 0) ? specials[pick(gen)] : ordinary(gen);
    }
    return v;
}

std::vector<double> run_block(RunFn run, const std::vector<double>& in, double ga, bool sup) {
    std::vector<double> out(in.size());
    const Walk walk{reinterpret_cast<const std::byte*>(in.data()), in.size(), true, 0,
                    nullptr, nullptr, out.data()};
    run(ga, sup, walk);
    return out;
}

// Rows of `cols` elements taken every `step`-th element of `in`, rows `row_stride` apart.
std::vector<double> run_rows(RunFn run, const std::vector<double>& in, std::size_t rows,
                             std::size_t cols, std::ptrdiff_t step, double ga, bool sup) {
    const std::size_t shape[] = {rows, cols};
    const std::ptrdiff_t strides[] = {static_cast<std::ptrdiff_t>(cols) * step, step};
    std::vector<double> out(rows * cols);
    const Walk walk{reinterpret_cast<const std::byte*>(in.data()), rows * cols, false, 2,
                    shape, strides, out.data()};
    run(ga, sup, walk);
    return out;
}

void compare(const std::vector<double>& got, const std::vector<double>& want,
             const std::vector<double>& in, const std::string& ctx) {
    for (std::size_t k = 0; k < got.size(); ++k) {
        CHECK_BITS(got[k], want[k],
                         ctx + " at " + std::to_string(k) + ", input " +
                             ::vortalix2_test::describe(in.empty() ? 0.0 : in[k % in.size()]));
    }
}

}  // namespace

TEST(levels_match_scalar_bit_for_bit) {
    const double gas[] = {1.4, 1.01, 1.67, 3.0, 1.0, 0.5};
    for (Level level : vector_levels) {
        if (!supported(level)) {
            std::printf("  SKIP level %s: not supported by this processor\n", name(level));
            continue;
        }
        for (std::size_t rel = 0; rel < relation_count; ++rel) {
            const RunFn scalar = kernel(Level::scalar, rel);
            const RunFn wide = kernel(level, rel);
            for (double ga : gas) {
                for (bool sup : {false, true}) {
                    const std::string ctx = std::string(name(level)) + " relation " +
                                            std::to_string(rel) + " ga " + std::to_string(ga) +
                                            (sup ? " sup" : "");
                    for (std::size_t n : {0u, 1u, 3u, 7u, 8u, 9u, 17u, 64u}) {
                        const auto in = inputs(n, static_cast<std::uint32_t>(n * 31 + rel));
                        compare(run_block(wide, in, ga, sup), run_block(scalar, in, ga, sup),
                                in, ctx + " block n " + std::to_string(n));
                    }
                    // Short rows, and rows long enough to be copied in blocks.
                    for (std::size_t cols : {11u, 300u}) {
                        const auto in = inputs(2 * 3 * cols, static_cast<std::uint32_t>(rel));
                        compare(run_rows(wide, in, 3, cols, 2, ga, sup),
                                run_rows(scalar, in, 3, cols, 2, ga, sup), {},
                                ctx + " rows of " + std::to_string(cols));
                    }
                }
            }
        }
    }
}

// The iterative inversions on inputs that their forward relations produce, so that elements
// converge after different numbers of steps, mixed with targets that never converge (Posh/Po of
// 0, a zero mass flow on the supersonic branch), NaN, infinities, the choking limit and the
// values just above it.
TEST(levels_match_scalar_for_iterations) {
    struct Pair {
        std::size_t inversion, forward;
    };
    // Positions in the function table: inversion, and the forward relation giving its inputs
    // (the impulse function has none in the table; its values are formed below).
    constexpr std::size_t impulse = 13;
    const Pair pairs[] = {{14, 4}, {15, 5}, {16, 6}, {17, 7}, {18, 8}, {impulse, impulse}};
    const double odd[] = {0.0, -0.0, -0.5, 1.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 1.2810152558552463,
                          1.2810152558552466, 1e300, 1.0000001, 0.989743318610787};
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> mach(0.05, 6.0);
    for (Level level : vector_levels) {
        if (!supported(level)) continue;
        for (const Pair& p : pairs) {
            for (double ga : {1.4, 1.3, 1.1, 2.0}) {
                std::vector<double> ma(203);
                for (double& m : ma) m = mach(gen);
                std::vector<double> in(ma.size());
                if (p.forward == impulse) {
                    for (std::size_t k = 0; k < ma.size(); ++k) {
                        const double m2 = ma[k] * ma[k];
                        in[k] = std::sqrt(ga - 1.0) / ga * (1.0 + ga * m2) /
                                (ma[k] * std::sqrt(1.0 + (ga - 1.0) * 0.5 * m2));
                    }
                } else {
                    in = run_block(kernel(Level::scalar, p.forward), ma, ga, false);
                }
                for (std::size_t k = 0; k < in.size(); k += 7) in[k] = odd[(k / 7) % std::size(odd)];
                for (bool sup : {false, true}) {
                    const std::string ctx = std::string(name(level)) + " inversion " +
                                            std::to_string(p.inversion) + " ga " +
                                            std::to_string(ga) + (sup ? " sup" : "");
                    compare(run_block(kernel(level, p.inversion), in, ga, sup),
                            run_block(kernel(Level::scalar, p.inversion), in, ga, sup), in, ctx);
                }
            }
        }
    }
}
