// The toolkit's kernel table: every instruction-set level against its scalar loops, bit for
// bit (any NaN matches any NaN), for every relation, with specials, both branches and lengths
// that are not multiples of the lane count; and strided rows against one block.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "flows/table.hpp"
#include "harness.hpp"
#include <initializer_list>

using namespace vortalix2;

namespace {

std::vector<double> flows_inputs(std::size_t n, std::uint32_t seed, double scale) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf, std::nan(""), 1e-300, 1e300,
                               0.9999999999999999, 1.0000000000000002, 1.4142135623730951,
                               2.0840351753642574, 0.98974331861078702, 1e-4, 1e3};
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> ordinary(0.0, scale);
    std::vector<double> v(n);
    for (std::size_t k = 0; k < n; ++k) {
        v[k] = (gen() % 4 == 0) ? specials[gen() % std::size(specials)] : ordinary(gen);
    }
    return v;
}

std::vector<double> block(eval::RunFn run, const std::vector<double>& in, double ga, bool sup) {
    std::vector<double> out(in.size());
    const eval::Walk walk{reinterpret_cast<const std::byte*>(in.data()), in.size(), true, 0,
                          nullptr, nullptr, out.data()};
    run(ga, sup, walk);
    return out;
}

TEST(flows_every_level_matches_scalar) {
    for (std::size_t k = 0; k < flows::kernel_count; ++k) {
        for (double ga : {1.13, 1.4, 1.67}) {
            for (bool sup : {false, true}) {
                const auto in = flows_inputs(203, static_cast<std::uint32_t>(k * 7 + sup), 30.0);
                const auto want = block(flows::kernel(eval::Level::scalar, k), in, ga, sup);
                for (eval::Level level : {eval::Level::sse2, eval::Level::avx2, eval::Level::avx512}) {
                    if (!eval::supported(level)) continue;
                    const auto got = block(flows::kernel(level, k), in, ga, sup);
                    for (std::size_t i = 0; i < in.size(); ++i) {
                        CHECK_BITS(got[i], want[i], "kernel " + std::to_string(k) + " " +
                                                       eval::name(level) + " input " +
                                                       std::to_string(in[i]));
                    }
                }
            }
        }
    }
}

TEST(flows_strided_rows_match_one_block) {
    const auto in = flows_inputs(2 * 3 * 17, 5, 8.0);
    for (std::size_t k = 0; k < flows::kernel_count; ++k) {
        const eval::RunFn run = flows::kernel(eval::level(), k);
        // Every second element, as two rows of 17 (strides in elements).
        const std::size_t shape[] = {2, 17};
        const std::ptrdiff_t strides[] = {34, 2};
        std::vector<double> out(34);
        const eval::Walk walk{reinterpret_cast<const std::byte*>(in.data()), 34, false, 2, shape,
                              strides, out.data()};
        run(1.4, true, walk);
        std::vector<double> picked(34);
        for (std::size_t i = 0; i < 34; ++i) picked[i] = in[2 * i];
        const auto want = block(run, picked, 1.4, true);
        for (std::size_t i = 0; i < 34; ++i) {
            CHECK_BITS(out[i], want[i], "kernel " + std::to_string(k) + " row element " + std::to_string(i));
        }
    }
}

}  // namespace
