"""A stationary normal shock in a calorically perfect gas, from the upstream Mach number Ma.

Every relation is defined for Ma >= 1 (NaN below: no shock stands in subsonic flow), and every
inversion returns the upstream Ma >= 1. Arguments broadcast; ``ga`` > 1 (else NaN). Where
``vortalix2`` has the same relation, float64 input inside the domain gives exactly its bits.
"""
from ._front import call

__all__ = [
    "Mash_from_Ma", "Posh_Po_from_Ma", "P2_P1_from_Ma", "T2_T1_from_Ma", "rho2_rho1_from_Ma",
    "Po2_P1_from_Ma", "Ma_from_Mash", "Ma_from_Posh_Po", "Ma_from_P2_P1", "Ma_from_Po2_P1",
]

_MA = ("Ma", "ga", "sup")


def Mash_from_Ma(Ma, ga):
    """Downstream Mach number sqrt((1 + (ga - 1)/2 Ma^2)/(ga Ma^2 - (ga - 1)/2)), Ma >= 1.

    sqrt((ga - 1)/(2 ga)) at Ma = inf; NaN for Ma < 1 (the core evaluates the formula there).
    """
    return call(19, Ma, ga, None, _MA)


def Posh_Po_from_Ma(Ma, ga):
    """Stagnation-pressure ratio across the shock, Ma >= 1 (NaN below); the core's bits.

    Posh/Po = [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-1/(ga - 1))
              [((ga - 1) Ma^2 + 2)/((ga + 1) Ma^2)]^(-ga/(ga - 1)).
    """
    return call(20, Ma, ga, None, _MA)


def P2_P1_from_Ma(Ma, ga):
    """Static pressure ratio P2/P1 = 1 + 2 ga/(ga + 1) (Ma^2 - 1), Ma >= 1."""
    return call(21, Ma, ga, None, _MA)


def T2_T1_from_Ma(Ma, ga):
    """Static temperature ratio T2/T1 = (P2/P1)/(rho2/rho1), Ma >= 1."""
    return call(22, Ma, ga, None, _MA)


def rho2_rho1_from_Ma(Ma, ga):
    """Density ratio rho2/rho1 = (ga + 1) Ma^2/((ga - 1) Ma^2 + 2), Ma >= 1.

    (ga + 1)/(ga - 1) at Ma = inf.
    """
    return call(23, Ma, ga, None, _MA)


def Po2_P1_from_Ma(Ma, ga):
    """Pitot ratio Po2/P1 (stagnation pressure behind the shock over static ahead), Ma >= 1.

    Po2/P1 = ((ga + 1)/2 Ma^2)^(ga/(ga - 1)) ((ga + 1)/(2 ga Ma^2 - (ga - 1)))^(1/(ga - 1));
    at Ma = 1 it is the isentropic Po/P there.
    """
    return call(24, Ma, ga, None, _MA)


def Ma_from_Mash(Mash, ga):
    """Upstream Ma from the downstream Mach number, sqrt((ga - 1)/(2 ga)) <= Mash <= 1.

    The relation is its own inverse (closed form); the lower end gives +inf, NaN outside.
    Unlike the core's Newton iteration (stopped at steps below 1e-6), this is the root to
    rounding, so its bits differ from the core's.
    """
    return call(25, Mash, ga, None, ("Mash", "ga", "sup"))


def Ma_from_Posh_Po(Posh_Po, ga):
    """Upstream Ma >= 1 from Posh/Po, 0 <= Posh/Po <= 1 (1 gives 1, 0 gives +inf).

    NaN outside: unlike the core, ratios above 1 (where no shock exists) give NaN.
    """
    return call(26, Posh_Po, ga, None, ("Posh_Po", "ga", "sup"))


def Ma_from_P2_P1(P2_P1, ga):
    """Upstream Ma = sqrt(1 + (P2/P1 - 1)(ga + 1)/(2 ga)) from P2/P1 >= 1 (NaN below)."""
    return call(27, P2_P1, ga, None, ("P2_P1", "ga", "sup"))


def Ma_from_Po2_P1(Po2_P1, ga):
    """Upstream Ma >= 1 from the pitot ratio Po2/P1 >= its value at Ma = 1 (NaN below)."""
    return call(28, Po2_P1, ga, None, ("Po2_P1", "ga", "sup"))
