// The C-library floor of the relations that call `pow`: the same number of library `pow` calls
// per element, on the same bases and exponents, in a plain loop. Loaded by bench/bench.py.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

#include "eval/dispatch.hpp"

extern "C" {

// Median seconds over `reps` runs of out[k] = pow(b0[k], e0) [* pow(b1[k], e1) when calls == 2].
__attribute__((visibility("default"))) double vortalix2_pow_floor(const double* b0, double e0,
                                                                  const double* b1, double e1,
                                                                  int calls, double* out,
                                                                  std::size_t n, int reps) {
    std::vector<double> times;
    for (int r = 0; r < reps; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        if (calls == 2) {
            for (std::size_t k = 0; k < n; ++k) out[k] = std::pow(b0[k], e0) * std::pow(b1[k], e1);
        } else {
            for (std::size_t k = 0; k < n; ++k) out[k] = std::pow(b0[k], e0);
        }
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The share of the n powers b[k]^e that the vector pow of the module's chosen level hands to
// the library.
__attribute__((visibility("default"))) double vortalix2_pow_library_share(const double* b,
                                                                          double e,
                                                                          std::size_t n) {
    using namespace vortalix2::eval;
    std::vector<double> y(n, e), out(n);
    std::size_t library_calls = 0;
    pow_span(level())(b, y.data(), out.data(), n, &library_calls);
    return n == 0 ? 0.0 : static_cast<double>(library_calls) / static_cast<double>(n);
}
}
