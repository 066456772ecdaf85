"""Rayleigh flow: frictionless flow in a duct of constant area with heat added or removed,
referred to the sonic state (starred) that heat addition reaches. With p = 1 + ga Ma^2 and
q = 2 + (ga - 1) Ma^2:

- To/To* = (ga + 1) Ma^2 q/p^2 (largest, 1, at Ma = 1)
- P/P* = (ga + 1)/p,  T/T* = (Ma (ga + 1)/p)^2 (largest at Ma = 1/sqrt(ga)),
  rho/rho* = p/((ga + 1) Ma^2),  V/V* = (ga + 1) Ma^2/p
- Po/Po* = ((ga + 1)/p) (q/(ga + 1))^(ga/(ga - 1)) (smallest, 1, at Ma = 1)

Every relation takes Ma >= 0 (NaN below; the limit at Ma = inf). The inversions of To/To*,
Po/Po* and T/T* take ``sup``: False (or None, 0) for the root below the relation's extremum,
True (or 1) for the root above it; the extremum is Ma = 1, except for T/T*, where it is
Ma = 1/sqrt(ga). Arguments broadcast, ``ga`` and ``sup`` included; ``ga`` > 1 (else NaN).
"""
from ._front import K, call

__all__ = [
    "To_Tostar_from_Ma", "P_Pstar_from_Ma", "T_Tstar_from_Ma", "rho_rhostar_from_Ma",
    "Po_Postar_from_Ma", "V_Vstar_from_Ma", "Ma_from_To_Tostar", "Ma_from_P_Pstar",
    "Ma_from_Po_Postar", "Ma_from_T_Tstar",
]

_MA = ("Ma", "ga", "sup")


def To_Tostar_from_Ma(Ma, ga):
    """To/To* = (ga + 1) Ma^2 (2 + (ga - 1) Ma^2)/(1 + ga Ma^2)^2, Ma >= 0."""
    return call(K["rayleigh.To_Tostar_from_Ma"], Ma, ga, None, _MA)


def P_Pstar_from_Ma(Ma, ga):
    """P/P* = (ga + 1)/(1 + ga Ma^2), Ma >= 0."""
    return call(K["rayleigh.P_Pstar_from_Ma"], Ma, ga, None, _MA)


def T_Tstar_from_Ma(Ma, ga):
    """T/T* = (Ma (ga + 1)/(1 + ga Ma^2))^2, Ma >= 0."""
    return call(K["rayleigh.T_Tstar_from_Ma"], Ma, ga, None, _MA)


def rho_rhostar_from_Ma(Ma, ga):
    """rho/rho* = (1 + ga Ma^2)/((ga + 1) Ma^2), Ma >= 0 (+inf at 0)."""
    return call(K["rayleigh.rho_rhostar_from_Ma"], Ma, ga, None, _MA)


def Po_Postar_from_Ma(Ma, ga):
    """Po/Po* = (ga + 1)/(1 + ga Ma^2) ((2 + (ga - 1) Ma^2)/(ga + 1))^(ga/(ga - 1)), Ma >= 0."""
    return call(K["rayleigh.Po_Postar_from_Ma"], Ma, ga, None, _MA)


def V_Vstar_from_Ma(Ma, ga):
    """V/V* = (ga + 1) Ma^2/(1 + ga Ma^2), Ma >= 0."""
    return call(K["rayleigh.V_Vstar_from_Ma"], Ma, ga, None, _MA)


def Ma_from_To_Tostar(To_Tostar, ga, sup=False):
    """Ma from To/To* on the requested side of Ma = 1, in closed form.

    Subsonic: 0 <= To/To* <= 1; supersonic: (ga^2 - 1)/ga^2 <= To/To* <= 1, the lower end (the
    limit at Ma = inf) giving +inf. NaN elsewhere."""
    return call(K["rayleigh.Ma_from_To_Tostar"], To_Tostar, ga, sup, ("To_Tostar", "ga", "sup"))


def Ma_from_P_Pstar(P_Pstar, ga):
    """Ma = sqrt((ga + 1 - P/P*)/(ga P/P*)) from 0 <= P/P* <= ga + 1 (0 gives +inf)."""
    return call(K["rayleigh.Ma_from_P_Pstar"], P_Pstar, ga, None, ("P_Pstar", "ga", "sup"))


def Ma_from_Po_Postar(Po_Postar, ga, sup=False):
    """Ma from Po/Po* >= 1 on the requested side of Ma = 1.

    Subsonic: up to the value at Ma = 0, (ga + 1) (2/(ga + 1))^(ga/(ga - 1)), which gives 0;
    supersonic: every value >= 1 (+inf gives +inf). NaN elsewhere."""
    return call(K["rayleigh.Ma_from_Po_Postar"], Po_Postar, ga, sup, ("Po_Postar", "ga", "sup"))


def Ma_from_T_Tstar(T_Tstar, ga, sup=False):
    """Ma from T/T* on the requested side of its maximum (ga + 1)^2/(4 ga) at Ma = 1/sqrt(ga),
    in closed form: sup=False gives the root below 1/sqrt(ga), sup=True the one above.

    0 <= T/T* <= the maximum; 0 gives 0 (below) or +inf (above). NaN elsewhere."""
    return call(K["rayleigh.Ma_from_T_Tstar"], T_Tstar, ga, sup, ("T_Tstar", "ga", "sup"))
