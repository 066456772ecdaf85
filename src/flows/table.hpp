// The toolkit's relations by position: the order of its kernel tables, shared by the code
// compiled for each instruction set and by the extension module.
#pragma once

#include <array>
#include <cstddef>

#include "eval/dispatch.hpp"
#include "eval/walk.hpp"

namespace vortalix2::flows {

enum Kernel : std::size_t {
    // isentropic, forward (the core's relations, NaN outside the domain)
    to_t_from_ma, po_p_from_ma, rhoo_rho_from_ma, v_cpto_from_ma, mcpto_apo_from_ma,
    mcpto_ap_from_ma, a_acrit_from_ma, f_mcpto_from_ma, mu_from_ma, nu_from_ma,
    // isentropic, inverse
    ma_from_po_p, ma_from_to_t, ma_from_rhoo_rho, ma_from_v_cpto, ma_from_nu, ma_from_a_acrit,
    ma_from_mcpto_apo, ma_from_f_mcpto, ma_from_mcpto_ap,
    // normal shock
    mash_from_ma, posh_po_from_ma, p2_p1_from_ma, t2_t1_from_ma, rho2_rho1_from_ma,
    po2_p1_from_ma, ma_from_mash, ma_from_posh_po, ma_from_p2_p1, ma_from_po2_p1,
    // oblique shock, of Ma alone
    theta_max_from_ma, beta_at_theta_max_from_ma,
    // Fanno flow (its Po/Po* is the isentropic A/A*, and its inverse Ma_from_A_Acrit)
    fanno_flstar_d_from_ma, fanno_p_pstar_from_ma, fanno_t_tstar_from_ma,
    fanno_rho_rhostar_from_ma, fanno_v_vstar_from_ma, fanno_ma_from_flstar_d,
    fanno_ma_from_p_pstar, fanno_ma_from_t_tstar,
    // Rayleigh flow
    rayleigh_to_tostar_from_ma, rayleigh_p_pstar_from_ma, rayleigh_t_tstar_from_ma,
    rayleigh_rho_rhostar_from_ma, rayleigh_po_postar_from_ma, rayleigh_v_vstar_from_ma,
    rayleigh_ma_from_to_tostar, rayleigh_ma_from_p_pstar, rayleigh_ma_from_po_postar,
    rayleigh_ma_from_t_tstar,
    kernel_count
};

using KernelTable = std::array<eval::RunFn, kernel_count>;

extern const KernelTable scalar_kernels;
extern const KernelTable sse2_kernels;
extern const KernelTable* const avx2_kernels;
extern const KernelTable* const avx512_kernels;

// The loop of a relation at the level the core chose for this process (or at `level`).
eval::RunFn kernel(eval::Level level, std::size_t relation);

}  // namespace vortalix2::flows
