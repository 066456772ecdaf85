// The toolkit's relations of two arguments (the oblique shock's): every instruction-set level
// against the scalar loops, bit for bit, with specials in both arguments, both branches of
// beta_from_Ma_theta and lengths that are not multiples of the lane count.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "flows/pairs.hpp"
#include "harness.hpp"

using namespace vortalix2;

namespace {

std::vector<double> pair_inputs(std::size_t n, std::uint32_t seed, double lo, double hi) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf, std::nan(""), 90.0,
                               0.9999999999999999, 1.0000000000000002, 1e-300, 1e300, 30.0};
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> ordinary(lo, hi);
    std::vector<double> v(n);
    for (std::size_t k = 0; k < n; ++k) {
        v[k] = (gen() % 5 == 0) ? specials[gen() % std::size(specials)] : ordinary(gen);
    }
    return v;
}

}  // namespace

TEST(flows_pairs_every_level_matches_scalar) {
    for (std::size_t k = 0; k < flows::pair_kernel_count; ++k) {
        for (double ga : {1.13, 1.4, 1.67}) {
            for (bool flag : {false, true}) {
                const auto seed = static_cast<std::uint32_t>(k * 11 + flag);
                const auto ma = pair_inputs(157, seed, 0.9, 12.0);
                const auto angle = pair_inputs(157, seed + 1000, -1.0, 91.0);
                std::vector<double> want(ma.size());
                flows::pair_kernel(eval::Level::scalar, k)(ga, flag, ma.data(), angle.data(),
                                                           want.data(), ma.size());
                for (eval::Level level : {eval::Level::sse2, eval::Level::avx2, eval::Level::avx512}) {
                    if (!eval::supported(level)) continue;
                    for (std::size_t n : {ma.size(), std::size_t{3}, std::size_t{1}}) {
                        std::vector<double> got(n);
                        flows::pair_kernel(level, k)(ga, flag, ma.data(), angle.data(), got.data(), n);
                        for (std::size_t i = 0; i < n; ++i) {
                            CHECK_BITS(got[i], want[i], "pair kernel " + std::to_string(k) + " " +
                                                           eval::name(level) + " at " +
                                                           std::to_string(ma[i]) + ", " +
                                                           std::to_string(angle[i]));
                        }
                    }
                }
            }
        }
    }
}
