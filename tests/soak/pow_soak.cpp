// The long check of the vector pow, not part of the test run: at every level this processor
// runs, N random pairs (half as the relations form them, half general) against the C library's
// pow, bit for bit. Usage: vortalix2_pow_soak [pairs (default 1e9)] [seed]
// Exits non-zero on any difference.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "eval/dispatch.hpp"
#include "math/libc_pow.hpp"
#include "pow_cases.hpp"

namespace {

namespace eval = vortalix2::eval;
using eval::Level;

constexpr Level vector_levels[] = {Level::sse2, Level::avx2, Level::avx512};
constexpr std::size_t chunk = 1 << 20;

struct Tally {
    std::uint64_t pairs = 0, differences = 0, library_calls[3] = {};
};

void soak(std::uint64_t first_chunk, std::uint64_t chunks, std::uint64_t seed, Tally& tally) {
    std::vector<double> x, y, expected(chunk), actual(chunk);
    for (std::uint64_t c = first_chunk; c < first_chunk + chunks; ++c) {
        if (c % 2 == 0) {
            pow_cases::relation_pairs(chunk, seed + c, x, y);
        } else {
            pow_cases::general_pairs(chunk, seed + c, x, y);
        }
        for (std::size_t k = 0; k < chunk; ++k) expected[k] = std::pow(x[k], y[k]);
        for (int l = 0; l < 3; ++l) {
            if (!eval::supported(vector_levels[l])) continue;
            std::size_t calls = 0;
            eval::pow_span(vector_levels[l])(x.data(), y.data(), actual.data(), chunk, &calls);
            tally.library_calls[l] += calls;
            for (std::size_t k = 0; k < chunk; ++k) {
                const bool both_nan = actual[k] != actual[k] && expected[k] != expected[k];
                if (!both_nan && std::bit_cast<std::uint64_t>(actual[k]) !=
                                     std::bit_cast<std::uint64_t>(expected[k])) {
                    if (tally.differences++ < 20) {
                        std::printf("DIFFERENCE %s pow(%a, %a): %a, library %a\n",
                                    eval::name(vector_levels[l]), x[k], y[k], actual[k],
                                    expected[k]);
                    }
                }
            }
        }
        tally.pairs += chunk;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double asked = argc > 1 ? std::strtod(argv[1], nullptr) : 1e9;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0x50a4;
    const std::uint64_t chunks = static_cast<std::uint64_t>(std::ceil(asked / chunk));
    if (!vortalix2::libc::pow_error_bounded) {
        std::printf("the C library is not glibc 2.28 or newer: every power is the library's\n");
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<Tally> tallies(threads);
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        const std::uint64_t begin = chunks * t / threads, end = chunks * (t + 1) / threads;
        workers.emplace_back(soak, begin, end - begin, seed, std::ref(tallies[t]));
    }
    for (auto& w : workers) w.join();
    Tally total;
    for (const Tally& t : tallies) {
        total.pairs += t.pairs;
        total.differences += t.differences;
        for (int l = 0; l < 3; ++l) total.library_calls[l] += t.library_calls[l];
    }
    for (int l = 0; l < 3; ++l) {
        if (!eval::supported(vector_levels[l])) {
            std::printf("%s: skipped, not supported here\n", eval::name(vector_levels[l]));
        } else {
            std::printf("%s: %" PRIu64 " pairs, %.3f%% to the library\n",
                        eval::name(vector_levels[l]), total.pairs,
                        100.0 * static_cast<double>(total.library_calls[l]) /
                            static_cast<double>(total.pairs));
        }
    }
    std::printf("%" PRIu64 " pairs per level, %" PRIu64 " differences\n", total.pairs,
                total.differences);
    return total.differences == 0 ? 0 : 1;
}
