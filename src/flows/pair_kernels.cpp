// The element loops of the toolkit's relations of two arguments for one instruction set: W
// pairs per vector, each lane performing the scalar relation's operations in the scalar order.
// Their powers are the library's in every lane (no refused lanes are collected here).
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "flows/pairs.hpp"
#include "math/lanes.hpp"
#include "relations/flows_oblique.hpp"

namespace vortalix2::flows {
namespace {

namespace fl = relations::flows;

template <std::size_t K>
struct PairMaker;

#define VORTALIX2_FLOWS_PAIR(k, expr)                \
    template <>                                      \
    struct PairMaker<k> {                            \
        static auto make(double ga, bool flag) {     \
            (void)flag;                              \
            return expr;                             \
        }                                            \
    };

VORTALIX2_FLOWS_PAIR(theta_from_ma_beta, fl::ThetaFromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(mn1_from_ma_beta, fl::Mn1FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(ma2_from_ma_beta, fl::Ma2FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(p2_p1_from_ma_beta, fl::P2P1FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(t2_t1_from_ma_beta, fl::T2T1FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(rho2_rho1_from_ma_beta, fl::Rho2Rho1FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(po2_po1_from_ma_beta, fl::Po2Po1FromMaBeta(ga))
VORTALIX2_FLOWS_PAIR(beta_from_ma_theta, fl::BetaFromMaTheta(ga, flag))

#undef VORTALIX2_FLOWS_PAIR

template <std::size_t K, class T>
void run(double ga, bool flag, const double* x, const double* y, double* out, std::size_t n) {
    const auto r = PairMaker<K>::make(ga, flag);
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

template <class T, std::size_t... I>
constexpr PairTable table_of(std::index_sequence<I...>) {
    return {{&run<I, T>...}};
}

template <class T>
constexpr PairTable table_of() {
    return table_of<T>(std::make_index_sequence<pair_kernel_count>{});
}

}  // namespace

#if !defined(VORTALIX2_LANES) && defined(VORTALIX2_NO_VECTOR)
// No lane types: the two-lane level is never chosen, and its table is the scalar one.
extern const PairTable scalar_pair_kernels = table_of<double>();
extern const PairTable sse2_pair_kernels = table_of<double>();
#elif !defined(VORTALIX2_LANES)
extern const PairTable scalar_pair_kernels = table_of<double>();
extern const PairTable sse2_pair_kernels = table_of<math::Lanes<2>>();
#elif VORTALIX2_LANES == 4
extern const PairTable avx2_pair_table = table_of<math::Lanes<4>>();
#elif VORTALIX2_LANES == 8
extern const PairTable avx512_pair_table = table_of<math::Lanes<8>>();
#endif

}  // namespace vortalix2::flows
