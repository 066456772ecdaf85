// A supersonic stream turned at a corner, and an oblique shock reflected from a wall. Angles
// are in degrees.
//
// A turn of dtheta > 0 is made by the attached weak oblique shock of that deflection, one of
// dtheta < 0 by a Prandtl-Meyer fan, nu(Ma2) = nu(Ma) - dtheta, isentropic:
//   T2/T1 = (1 + (ga - 1)/2 Ma^2)/(1 + (ga - 1)/2 Ma2^2),
//   P2/P1 = (T2/T1)^(ga/(ga - 1)),  rho2/rho1 = (T2/T1)^(1/(ga - 1)),  Po2/Po1 = 1.
// Each lane evaluates both and keeps one; the kept one alone decides NaN, so the other never
// shows in the result (the extension module takes the floating-point status from the results).
//
// The reflection: the wedge's shock (weak, deflection theta) turns the stream towards the wall;
// the reflected shock turns it back by theta at the Mach number Ma2 behind the first:
//   beta_r = beta(Ma2, theta) - theta (to the wall), Ma3, P3/P1 = P2/P1 P3/P2, and the same
// product for the stagnation pressure. Where the second deflection exceeds theta_max(Ma2) no
// regular reflection exists: NaN.
#pragma once

#include "relations/flows/common.hpp"
#include "relations/flows/isentropic.hpp"
#include "relations/flows/oblique_shock.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations::flows {

enum class Turned { ma2, p, t, rho, po, beta };

template <Turned Field>
struct TurnFromMaDtheta {
    BetaFromMaTheta weak;
    Ma2FromMaBeta ma2_shock;
    P2P1FromMaBeta p_shock;
    T2T1FromMaBeta t_shock;
    Rho2Rho1FromMaBeta rho_shock;
    Po2Po1FromMaBeta po_shock;
    MaFromNu fan;
    double c;      // (ga - 1)/2
    double e_p;    // ga/(ga - 1)
    double e_rho;  // 1/(ga - 1)
    explicit TurnFromMaDtheta(double ga)
        : weak(ga, false), ma2_shock(ga), p_shock(ga), t_shock(ga), rho_shock(ga),
          po_shock(ga), fan(ga), c((ga - 1.0) * 0.5), e_p(ga / (ga - 1.0)),
          e_rho(1.0 / (ga - 1.0)) {}

    template <class T>
    T operator()(T ma, T dtheta) const {
        const auto valid = (ma >= 1.0) & (ma < inf) & (math::abs(dtheta) < inf);
        const auto shock = valid & (dtheta > 0.0);
        const auto expansion = valid & (dtheta < 0.0);
        const auto straight = valid & (dtheta == 0.0);
        // Each branch sees a deflection of its own sign only.
        const T beta = weak(ma, pick(shock, dtheta, math::splat<T>(0.0)));
        T by_shock;
        T by_fan = math::splat<T>(1.0);
        T unchanged = math::splat<T>(1.0);
        if constexpr (Field == Turned::beta) {
            // Zero deflection leaves the Mach wave, at the Mach angle.
            return pick(shock | straight, beta, nan);
        } else if constexpr (Field == Turned::po) {
            by_shock = po_shock(ma, beta);
            const T nu2 = fan.relation(pick(valid, ma, math::splat<T>(1.0))) - dtheta;
            by_fan = pick(nu2 <= fan.relation.max_deg, by_fan, nan);
        } else {
            const T nu2 = fan.relation(pick(valid, ma, math::splat<T>(1.0))) -
                          pick(expansion, dtheta, math::splat<T>(0.0));
            const T m2 = fan(nu2);
            const T q1 = 1.0 + c * (ma * ma);
            const T q2 = 1.0 + c * (m2 * m2);
            const T t = q1 / q2;
            if constexpr (Field == Turned::ma2) {
                by_shock = ma2_shock(ma, beta);
                by_fan = m2;
                unchanged = ma;
            } else if constexpr (Field == Turned::t) {
                by_shock = t_shock(ma, beta);
                by_fan = t;
            } else if constexpr (Field == Turned::p) {
                by_shock = p_shock(ma, beta);
                by_fan = math::pow(t, e_p);
            } else {
                by_shock = rho_shock(ma, beta);
                by_fan = math::pow(t, e_rho);
            }
        }
        T out = pick(shock, by_shock, nan);
        out = pick(expansion, by_fan, out);
        return pick(straight, unchanged, out);
    }
};

enum class Reflected { beta_r, ma3, p, po };

template <Reflected Field>
struct ReflectFromMaTheta {
    BetaFromMaTheta weak;
    Ma2FromMaBeta behind;
    P2P1FromMaBeta p_shock;
    Po2Po1FromMaBeta po_shock;
    explicit ReflectFromMaTheta(double ga) : weak(ga, false), behind(ga), p_shock(ga), po_shock(ga) {}

    template <class T>
    T operator()(T ma, T theta) const {
        const T beta1 = weak(ma, theta);
        const T ma2 = behind(ma, beta1);
        const T beta2 = weak(ma2, theta);
        if constexpr (Field == Reflected::beta_r) {
            return beta2 - theta;
        } else if constexpr (Field == Reflected::ma3) {
            return behind(ma2, beta2);
        } else if constexpr (Field == Reflected::p) {
            return p_shock(ma, beta1) * p_shock(ma2, beta2);
        } else {
            return po_shock(ma, beta1) * po_shock(ma2, beta2);
        }
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations::flows
