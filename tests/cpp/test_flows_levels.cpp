// The toolkit's loop tables: every instruction-set level against the scalar loops, bit for bit
// (any NaN matches any NaN), for every row of the registry, with specials, both branch flags,
// several ga and lengths that are not multiples of the lane count.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "eval/toolkit_loops.hpp"
#include "harness.hpp"

using namespace vortalix2;

namespace {

constexpr flows::Parameters row_parameters[] = {
#define VORTALIX2_RELATION(module, name, params, aliases, kernel, doc) flows::parameters(params),
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION
};

constexpr const char* row_names[] = {
#define VORTALIX2_RELATION(module, name, params, aliases, kernel, doc) #module "." #name,
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION
};

std::vector<double> inputs(std::size_t n, std::uint32_t seed, double lo, double hi) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0, -0.0, 1.0, -1.0, inf, -inf, std::nan(""), 1e-300, 1e300,
                               0.9999999999999999, 1.0000000000000002, 1.4142135623730951,
                               2.0840351753642574, 0.98974331861078702, 1e-4, 1e3, 90.0, 30.0};
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> ordinary(lo, hi);
    std::vector<double> v(n);
    for (std::size_t k = 0; k < n; ++k) {
        v[k] = (gen() % 4 == 0) ? specials[gen() % std::size(specials)] : ordinary(gen);
    }
    return v;
}

}  // namespace

TEST(flows_every_level_matches_scalar) {
    static_assert(std::size(row_parameters) == flows::relation_count);
    for (std::size_t k = 0; k < flows::relation_count; ++k) {
        const bool pair = row_parameters[k].values == 2;
        for (double ga : {1.13, 1.4, 1.67}) {
            for (bool flag : {false, true}) {
                const auto seed = static_cast<std::uint32_t>(k * 7 + flag);
                const auto x = pair ? inputs(203, seed, 0.9, 12.0) : inputs(203, seed, 0.0, 30.0);
                const auto y = inputs(203, seed + 1000, -1.0, 91.0);
                const double* in[2] = {x.data(), y.data()};
                std::vector<double> want(x.size());
                flows::loops(eval::Level::scalar)[k](ga, flag, in, want.data(), x.size());
                for (eval::Level level : {eval::Level::sse2, eval::Level::avx2, eval::Level::avx512}) {
                    if (!eval::supported(level)) continue;
                    for (std::size_t n : {x.size(), std::size_t{3}, std::size_t{1}}) {
                        std::vector<double> got(n);
                        flows::loops(level)[k](ga, flag, in, got.data(), n);
                        for (std::size_t i = 0; i < n; ++i) {
                            CHECK_BITS(got[i], want[i], std::string(row_names[k]) + " " +
                                                           eval::name(level) + " at " +
                                                           std::to_string(x[i]) + ", " +
                                                           std::to_string(y[i]));
                        }
                    }
                }
            }
        }
    }
}
