"""Fanno flow: adiabatic flow with wall friction in a duct of constant area, referred to the
sonic state (starred) that the duct reaches at its choking length L*.

f is the Fanning friction factor (wall shear over the dynamic pressure, a quarter of the
Darcy factor), so the friction length appears as 4 f L*/D, D the hydraulic diameter. With
q = 2 + (ga - 1) Ma^2:

- 4 f L*/D = (1 - Ma^2)/(ga Ma^2) + (ga + 1)/(2 ga) ln((ga + 1) Ma^2/q)
- T/T* = (ga + 1)/q,  P/P* = sqrt((ga + 1)/q)/Ma,  rho/rho* = sqrt(q/(ga + 1))/Ma,
  V/V* = Ma sqrt((ga + 1)/q),  Po/Po* = (q/(ga + 1))^((ga + 1)/(2 (ga - 1)))/Ma.

Every relation takes Ma >= 0 (NaN below; the limit at Ma = 0 and inf). 4 f L*/D and Po/Po*
take every value twice, once on each side of Ma = 1: their inversions take ``sup``, False (or
None, 0) for the subsonic root and True (or 1) for the supersonic one. Arguments broadcast,
``ga`` and ``sup`` included; ``ga`` > 1 (else NaN).
"""
from ._front import K, call

__all__ = [
    "fLstar_D_from_Ma", "P_Pstar_from_Ma", "T_Tstar_from_Ma", "rho_rhostar_from_Ma",
    "Po_Postar_from_Ma", "V_Vstar_from_Ma", "Ma_from_fLstar_D", "Ma_from_P_Pstar",
    "Ma_from_T_Tstar", "Ma_from_Po_Postar",
]

_MA = ("Ma", "ga", "sup")


def fLstar_D_from_Ma(Ma, ga):
    """4 f L*/D (f the Fanning friction factor): the friction length to choking, Ma >= 0.

    0 at Ma = 1, +inf at Ma = 0, (ga + 1)/(2 ga) ln((ga + 1)/(ga - 1)) - 1/ga at Ma = inf.
    Evaluated in a form that does not cancel near Ma = 1."""
    return call(K["fanno.fLstar_D_from_Ma"], Ma, ga, None, _MA)


def P_Pstar_from_Ma(Ma, ga):
    """P/P* = sqrt((ga + 1)/(2 + (ga - 1) Ma^2))/Ma, Ma >= 0."""
    return call(K["fanno.P_Pstar_from_Ma"], Ma, ga, None, _MA)


def T_Tstar_from_Ma(Ma, ga):
    """T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), Ma >= 0."""
    return call(K["fanno.T_Tstar_from_Ma"], Ma, ga, None, _MA)


def rho_rhostar_from_Ma(Ma, ga):
    """rho/rho* = sqrt((2 + (ga - 1) Ma^2)/(ga + 1))/Ma, Ma >= 0."""
    return call(K["fanno.rho_rhostar_from_Ma"], Ma, ga, None, _MA)


def Po_Postar_from_Ma(Ma, ga):
    """Po/Po* = ((2 + (ga - 1) Ma^2)/(ga + 1))^((ga + 1)/(2 (ga - 1)))/Ma, Ma >= 0.

    The same quantity as the isentropic A/A* (and the same bits)."""
    return call(K["A_Acrit_from_Ma"], Ma, ga, None, _MA)


def V_Vstar_from_Ma(Ma, ga):
    """V/V* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), Ma >= 0."""
    return call(K["fanno.V_Vstar_from_Ma"], Ma, ga, None, _MA)


def Ma_from_fLstar_D(fLstar_D, ga, sup=False):
    """Ma from 4 f L*/D >= 0 (f the Fanning friction factor) on the requested branch.

    Subsonic: every value >= 0 (0 gives 1, +inf gives 0). Supersonic: up to the limit at
    Ma = inf (which gives +inf); NaN above it."""
    return call(K["fanno.Ma_from_fLstar_D"], fLstar_D, ga, sup, ("fLstar_D", "ga", "sup"))


def Ma_from_P_Pstar(P_Pstar, ga):
    """Ma from P/P* >= 0 (P/P* falls monotonically; 0 gives +inf, +inf gives 0)."""
    return call(K["fanno.Ma_from_P_Pstar"], P_Pstar, ga, None, ("P_Pstar", "ga", "sup"))


def Ma_from_T_Tstar(T_Tstar, ga):
    """Ma from 0 <= T/T* <= (ga + 1)/2 (T/T* falls monotonically; 0 gives +inf)."""
    return call(K["fanno.Ma_from_T_Tstar"], T_Tstar, ga, None, ("T_Tstar", "ga", "sup"))


def Ma_from_Po_Postar(Po_Postar, ga, sup=False):
    """Ma from Po/Po* >= 1 on the requested side of Ma = 1 (1 gives 1; +inf gives 0 or +inf).

    The same as isentropic.Ma_from_A_Acrit."""
    return call(K["Ma_from_A_Acrit"], Po_Postar, ga, sup, ("Po_Postar", "ga", "sup"))
