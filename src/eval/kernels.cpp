// The element loops of every relation for one instruction set: built once as the baseline
// (scalar and two-lane tables) and once more for each wider set the build targets, with
// VORTALIX2_ISA and VORTALIX2_LANES naming it.
#include <cmath>
#include <utility>

#include "eval/dispatch.hpp"
#include "eval/loops.hpp"
#include "math/pow.hpp"
#include "relations/all.hpp"

namespace vortalix2::eval {

static_assert(relations::count == relation_count);

namespace {
template <class T>
constexpr KernelTable table_of() {
    return loops::table<T, relations::All>(std::make_index_sequence<relation_count>{});
}

template <class T>
void pow_span_of(const double* x, const double* y, double* out, std::size_t n,
                 std::size_t* library_calls) {
    if constexpr (!math::is_lanes<T>) {
        for (std::size_t k = 0; k < n; ++k) out[k] = math::pow(x[k], y[k]);
        *library_calls += n;
    } else {
        constexpr std::size_t w = math::width<T>;
        std::size_t k = 0;
        for (; k + w <= n; k += w) {
            math::store(out + k, math::pow(math::load<T>(reinterpret_cast<const std::byte*>(x + k)),
                                           math::load<T>(reinterpret_cast<const std::byte*>(y + k)),
                                           *library_calls));
        }
        // The last few pairs one at a time, each in every lane, so that the count stays exact.
        for (; k < n; ++k) {
            std::size_t calls = 0;
            out[k] = math::pow(math::splat<T>(x[k]), math::splat<T>(y[k]), calls)[0];
            *library_calls += calls / w;
        }
    }
}

// x^y1 and x^y2 for n elements from one logarithm each, as pow_span counts library calls.
template <class T>
void pow_pair_span_of(const double* x, double y1, double y2, double* out1, double* out2,
                      std::size_t n, std::size_t* library_calls) {
    if constexpr (!math::is_lanes<T>) {
        for (std::size_t k = 0; k < n; ++k) math::pow_pair(x[k], y1, y2, out1[k], out2[k]);
        *library_calls += 2 * n;
    } else {
        constexpr std::size_t w = math::width<T>;
        const T v1 = math::splat<T>(y1), v2 = math::splat<T>(y2);
        std::size_t k = 0;
        for (; k + w <= n; k += w) {
            T p1, p2;
            math::pow_pair(math::load<T>(reinterpret_cast<const std::byte*>(x + k)), v1, v2, p1, p2,
                           *library_calls);
            math::store(out1 + k, p1);
            math::store(out2 + k, p2);
        }
        for (; k < n; ++k) {
            std::size_t calls = 0;
            T p1, p2;
            math::pow_pair(math::splat<T>(x[k]), v1, v2, p1, p2, calls);
            out1[k] = p1[0];
            out2[k] = p2[0];
            *library_calls += calls / w;
        }
    }
}
}  // namespace

#define VORTALIX2_AT_LEVEL(level, T)                                                  \
    extern const KernelTable level##_kernel_table = table_of<T>();                    \
    extern const PowSpanFn level##_pow_span = &pow_span_of<T>;                        \
    extern const PowPairSpanFn level##_pow_pair_span = &pow_pair_span_of<T>;
#include "eval/at_each_level.hpp"
#undef VORTALIX2_AT_LEVEL

}  // namespace vortalix2::eval
