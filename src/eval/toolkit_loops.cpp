// The toolkit's element loops for one instruction set, one per row of the registry, built like
// the core's: once as the baseline (scalar and two-lane tables, and the choice of a level's
// table) and once more for each wider set.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "eval/loops.hpp"
#include "eval/toolkit_loops.hpp"
#include "relations/flows/common.hpp"
#include "relations/flows/fanno.hpp"
#include "relations/flows/isentropic.hpp"
#include "relations/flows/normal_shock.hpp"
#include "relations/flows/oblique_shock.hpp"
#include "relations/flows/rayleigh.hpp"
#include "relations/flows/turns.hpp"
#include "relations/isentropic.hpp"
#include "relations/isentropic_inversions.hpp"
#include "relations/normal_shock.hpp"

namespace vortalix2::flows {
namespace {

namespace rel = relations;
namespace fl = relations::flows;
using fl::guarded;
using fl::guarded_with_limit;
using fl::inf;
using fl::nan;

// Each row's kernel, built from the call's parameters.
#define VORTALIX2_RELATION(module, name, params, aliases, kernel, doc) \
    inline auto make_##module##_##name(double ga, bool flag) {             \
        (void)ga;                                                          \
        (void)flag;                                                        \
        return kernel;                                                     \
    }
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION

template <class R>
concept bracketed_inversion = requires(const R& r) { r.rising; };

// The bracketed inversions run W targets per vector outside the loops' collection of refused
// powers: their powers are the library's in every lane, so each lane steps as the scalar does.
template <class T, class R>
void solve_span(const R& r, const std::byte* in, double* out, std::size_t n) {
    constexpr std::size_t w = math::width<T>;
    std::size_t k = 0;
    for (; k + w <= n; k += w) {
        math::store(out + k, r(math::load<T>(in + k * sizeof(double))));
    }
    if (k < n) {
        T v;
        for (std::size_t i = 0; i < w; ++i) {
            v[i] = loops::load_one(in + std::min(k + i, n - 1) * sizeof(double));
        }
        const T res = r(v);
        for (std::size_t i = 0; k + i < n; ++i) out[k + i] = res[i];
    }
}

// A relation of one value: the core's element loops over one block, which also collect and
// redo the lanes whose powers the vector pow refused.
template <class T, auto Make>
void run_one(double ga, bool flag, const double* const* in, double* out, std::size_t n) {
    const auto r = Make(ga, flag);
    using R = decltype(r);
    const auto* x = reinterpret_cast<const std::byte*>(in[0]);
    if constexpr (bracketed_inversion<std::remove_const_t<R>> && math::is_lanes<T>) {
        solve_span<T>(r, x, out, n);
    } else {
        const eval::Walk walk{x, n, true, 0, nullptr, nullptr, out};
        loops::fill<T>(r, walk);
    }
}

// A relation of two values: W pairs per vector, each lane performing the scalar relation's
// operations in the scalar order (their powers are the library's in every lane).
template <class T, auto Make>
void run_two(double ga, bool flag, const double* const* in, double* out, std::size_t n) {
    const auto r = Make(ga, flag);
    const double* x = in[0];
    const double* y = in[1];
    constexpr std::size_t w = math::width<T>;
    std::size_t k = 0;
    if constexpr (w > 1) {
        for (; k + w <= n; k += w) {
            const T a = math::load<T>(reinterpret_cast<const std::byte*>(x + k));
            const T b = math::load<T>(reinterpret_cast<const std::byte*>(y + k));
            math::store(out + k, r(a, b));
        }
        if (k < n) {
            // The spare lanes repeat the last pair, whose results are dropped.
            T a, b;
            for (std::size_t i = 0; i < w; ++i) {
                a[i] = x[std::min(k + i, n - 1)];
                b[i] = y[std::min(k + i, n - 1)];
            }
            const T res = r(a, b);
            for (std::size_t i = 0; k + i < n; ++i) out[k + i] = res[i];
        }
    } else {
        for (; k < n; ++k) out[k] = r(x[k], y[k]);
    }
}

// Whether any of v[0..n) is a NaN or an infinity, from the exponent bits alone: adding one to
// the exponent field carries into the sign bit exactly when the field is all ones. Additions,
// ands and ors only, which the compiler runs in the vector registers of each level.
bool any_not_finite(const double* v, std::size_t n) {
    constexpr std::uint64_t exponent = 0x7ff0000000000000u;
    constexpr std::uint64_t exponent_one = 0x0010000000000000u;
    std::uint64_t found = 0;
    for (std::size_t k = 0; k < n; ++k) {
        std::uint64_t bits;
        std::memcpy(&bits, v + k, sizeof bits);
        found |= (bits & exponent) + exponent_one;
    }
    return (found >> 63) != 0;
}

template <class T, std::size_t Values, auto Make>
bool run(double ga, bool flag, const double* const* in, double* out, std::size_t n) {
    static_assert(Values == 1 || Values == 2, "a relation maps one value or two");
    if constexpr (Values == 1) {
        run_one<T, Make>(ga, flag, in, out, n);
    } else {
        run_two<T, Make>(ga, flag, in, out, n);
    }
    return any_not_finite(out, n);
}

template <class T>
constexpr LoopTable table_of() {
    return {{
#define VORTALIX2_RELATION(module, name, params, aliases, kernel, doc) \
    &run<T, flows::parameters(params).values, &make_##module##_##name>,
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION
    }};
}

}  // namespace

#define VORTALIX2_AT_LEVEL(level, T) extern const LoopTable level##_loop_table = table_of<T>();
#include "eval/at_each_level.hpp"
#undef VORTALIX2_AT_LEVEL

#if !defined(VORTALIX2_LANES)
// Each level's table, defined by the code compiled for it; that of a level this build lacks is
// never referred to.
extern const LoopTable avx2_loop_table;
extern const LoopTable avx512_loop_table;

const LoopTable& loops(eval::Level level) {
    const LoopTable* table = eval::at_level(level, VORTALIX2_LEVELS_OF(loop_table));
    return table != nullptr ? *table : scalar_loop_table;
}
#endif

}  // namespace vortalix2::flows
