// The toolkit's element loops for one instruction set, built like the core's: once as the
// baseline (scalar and two-lane tables) and once more for each wider set.
#include <cstddef>
#include <cmath>

#include "eval/loops.hpp"
#include "flows/table.hpp"
#include "relations/flows_common.hpp"
#include "relations/flows_fanno.hpp"
#include "relations/flows_isentropic.hpp"
#include "relations/flows_normal_shock.hpp"
#include "relations/flows_oblique.hpp"
#include "relations/flows_rayleigh.hpp"
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

// Each maker builds the relation of one table position from the call's parameters.
template <std::size_t K>
struct Maker;

#define VORTALIX2_FLOWS_MAKER(k, expr)              \
    template <>                                     \
    struct Maker<k> {                               \
        static auto make(double ga, bool sup) {     \
            (void)sup;                              \
            return expr;                            \
        }                                           \
    };

// Forward relations the core has: its structs, untouched inside the domain.
VORTALIX2_FLOWS_MAKER(to_t_from_ma, guarded(rel::ToTFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(po_p_from_ma, guarded(rel::PoPFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(rhoo_rho_from_ma, guarded(rel::RhooRhoFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(v_cpto_from_ma, guarded_with_limit(rel::VCpToFromMa(ga), 0.0, std::sqrt(2.0)))
VORTALIX2_FLOWS_MAKER(mcpto_apo_from_ma, guarded_with_limit(rel::McpToAPoFromMa(ga), 0.0, 0.0))
VORTALIX2_FLOWS_MAKER(mcpto_ap_from_ma, guarded(rel::McpToAPFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(a_acrit_from_ma, guarded_with_limit(rel::AAcritFromMa(ga), 0.0, inf))
VORTALIX2_FLOWS_MAKER(f_mcpto_from_ma, guarded_with_limit(rel::FMcpToFromMa(ga), 0.0, std::sqrt(2.0)))
VORTALIX2_FLOWS_MAKER(mu_from_ma, guarded(fl::MuFromMa(ga), 1.0))
VORTALIX2_FLOWS_MAKER(nu_from_ma, guarded_with_limit(fl::NuFromMa(ga), 1.0, fl::NuFromMa(ga).max_deg))
VORTALIX2_FLOWS_MAKER(ma_from_po_p, guarded(rel::MaFromPoP(ga), 1.0))
VORTALIX2_FLOWS_MAKER(ma_from_to_t, guarded(rel::MaFromToT(ga), 1.0))
VORTALIX2_FLOWS_MAKER(ma_from_rhoo_rho, guarded(rel::MaFromRhooRho(ga), 1.0))
// V/sqrt(cp To) stays below sqrt(2) for every finite Mach number.
VORTALIX2_FLOWS_MAKER(ma_from_v_cpto, guarded(rel::MaFromVCpTo(ga), 0.0, 1.4142135623730951, true))
VORTALIX2_FLOWS_MAKER(ma_from_nu, fl::MaFromNu(ga))
VORTALIX2_FLOWS_MAKER(ma_from_a_acrit, fl::MaFromAAcritBranch(ga, sup))
VORTALIX2_FLOWS_MAKER(ma_from_mcpto_apo, fl::MaFromMcpToAPoBranch(ga, sup))
VORTALIX2_FLOWS_MAKER(ma_from_f_mcpto, fl::MaFromFMcpToBranch(ga, sup))
VORTALIX2_FLOWS_MAKER(ma_from_mcpto_ap, fl::MaFromMcpToAPClosed(ga))
VORTALIX2_FLOWS_MAKER(mash_from_ma, guarded_with_limit(rel::MashFromMa(ga), 1.0, std::sqrt((ga - 1.0) * 0.5 / ga)))
VORTALIX2_FLOWS_MAKER(posh_po_from_ma, guarded(rel::PoshPoFromMa(ga), 1.0))
VORTALIX2_FLOWS_MAKER(p2_p1_from_ma, guarded(fl::P2P1FromMa(ga), 1.0))
VORTALIX2_FLOWS_MAKER(t2_t1_from_ma, guarded(fl::T2T1FromMa(ga), 1.0))
VORTALIX2_FLOWS_MAKER(rho2_rho1_from_ma, guarded(fl::Rho2Rho1FromMa(ga), 1.0))
VORTALIX2_FLOWS_MAKER(po2_p1_from_ma, guarded_with_limit(fl::Po2P1FromMa(ga), 1.0, inf))
VORTALIX2_FLOWS_MAKER(ma_from_mash, fl::MaFromMashClosed(ga))
VORTALIX2_FLOWS_MAKER(ma_from_posh_po, fl::MaFromPoshPoBranch(ga))
VORTALIX2_FLOWS_MAKER(ma_from_p2_p1, fl::MaFromP2P1(ga))
VORTALIX2_FLOWS_MAKER(ma_from_po2_p1, fl::MaFromPo2P1(ga))
VORTALIX2_FLOWS_MAKER(theta_max_from_ma, fl::ThetaMaxFromMa(ga))
VORTALIX2_FLOWS_MAKER(beta_at_theta_max_from_ma, fl::BetaAtThetaMaxFromMa(ga))
VORTALIX2_FLOWS_MAKER(fanno_flstar_d_from_ma, guarded_with_limit(fl::FLstarDFromMa(ga), 0.0, fl::FannoMaFromFLstarD(ga, true).limit))
VORTALIX2_FLOWS_MAKER(fanno_p_pstar_from_ma, guarded(fl::FannoPPstarFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(fanno_t_tstar_from_ma, guarded(fl::FannoTTstarFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(fanno_rho_rhostar_from_ma, guarded_with_limit(fl::FannoRhoRhostarFromMa(ga), 0.0, std::sqrt((ga - 1.0) / (ga + 1.0))))
VORTALIX2_FLOWS_MAKER(fanno_v_vstar_from_ma, guarded_with_limit(fl::FannoVVstarFromMa(ga), 0.0, std::sqrt((ga + 1.0) / (ga - 1.0))))
VORTALIX2_FLOWS_MAKER(fanno_ma_from_flstar_d, fl::FannoMaFromFLstarD(ga, sup))
VORTALIX2_FLOWS_MAKER(fanno_ma_from_p_pstar, fl::FannoMaFromPPstar(ga))
VORTALIX2_FLOWS_MAKER(fanno_ma_from_t_tstar, fl::FannoMaFromTTstar(ga))
VORTALIX2_FLOWS_MAKER(rayleigh_to_tostar_from_ma, guarded_with_limit(fl::RayleighToTostarFromMa(ga), 0.0, (ga - 1.0) * (ga + 1.0) / (ga * ga)))
VORTALIX2_FLOWS_MAKER(rayleigh_p_pstar_from_ma, guarded(fl::RayleighPPstarFromMa(ga), 0.0))
VORTALIX2_FLOWS_MAKER(rayleigh_t_tstar_from_ma, guarded_with_limit(fl::RayleighTTstarFromMa(ga), 0.0, 0.0))
VORTALIX2_FLOWS_MAKER(rayleigh_rho_rhostar_from_ma, guarded_with_limit(fl::RayleighRhoRhostarFromMa(ga), 0.0, ga / (ga + 1.0)))
VORTALIX2_FLOWS_MAKER(rayleigh_po_postar_from_ma, guarded_with_limit(fl::RayleighPoPostarFromMa(ga), 0.0, inf))
VORTALIX2_FLOWS_MAKER(rayleigh_v_vstar_from_ma, guarded_with_limit(fl::RayleighVVstarFromMa(ga), 0.0, (ga + 1.0) / ga))
VORTALIX2_FLOWS_MAKER(rayleigh_ma_from_to_tostar, fl::RayleighMaFromToTostar(ga, sup))
VORTALIX2_FLOWS_MAKER(rayleigh_ma_from_p_pstar, fl::RayleighMaFromPPstar(ga))
VORTALIX2_FLOWS_MAKER(rayleigh_ma_from_po_postar, fl::RayleighMaFromPoPostar(ga, sup))
VORTALIX2_FLOWS_MAKER(rayleigh_ma_from_t_tstar, fl::RayleighMaFromTTstar(ga, sup))

#undef VORTALIX2_FLOWS_MAKER

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

template <std::size_t K, class T>
void run(double ga, bool sup, const eval::Walk& walk) {
    const auto r = Maker<K>::make(ga, sup);
    using R = decltype(r);
    if constexpr (bracketed_inversion<std::remove_const_t<R>> && math::is_lanes<T>) {
        if (walk.block) {
            solve_span<T>(r, walk.data, walk.out, walk.count);
            return;
        }
        loops::fill<double>(r, walk);
    } else {
        loops::fill<T>(r, walk);
    }
}

template <class T, std::size_t... I>
constexpr KernelTable table_of(std::index_sequence<I...>) {
    return {{&run<I, T>...}};
}

template <class T>
constexpr KernelTable table_of() {
    return table_of<T>(std::make_index_sequence<kernel_count>{});
}

}  // namespace

#if !defined(VORTALIX2_LANES) && defined(VORTALIX2_NO_VECTOR)
// No lane types: the two-lane level is never chosen, and its table is the scalar one.
extern const KernelTable scalar_kernels = table_of<double>();
extern const KernelTable sse2_kernels = table_of<double>();
#elif !defined(VORTALIX2_LANES)
extern const KernelTable scalar_kernels = table_of<double>();
extern const KernelTable sse2_kernels = table_of<math::Lanes<2>>();
#elif VORTALIX2_LANES == 4
extern const KernelTable avx2_table = table_of<math::Lanes<4>>();
#elif VORTALIX2_LANES == 8
extern const KernelTable avx512_table = table_of<math::Lanes<8>>();
#endif

}  // namespace vortalix2::flows
