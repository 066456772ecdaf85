"""Isentropic flow of a calorically perfect gas: Mach number to flow quantity and back.

Every function takes array-likes or scalars (broadcast against each other, ``ga`` and ``sup``
included) and returns float64. ``ga`` is the ratio of specific heats, > 1 (else NaN). Outside a
relation's domain the result is NaN, or the infinite limit at its end. Where ``vortalix2`` has
the same relation, float64 input inside the domain gives exactly its bits. Angles in degrees.

``sup`` picks the branch of the relations that take every value twice, once on each side of
their extremum at Ma = 1: False (or None, 0) the subsonic root, True (or 1) the supersonic one.
"""
from ._front import K, call

__all__ = [
    "To_T_from_Ma", "Po_P_from_Ma", "rhoo_rho_from_Ma", "V_cpTo_from_Ma", "mcpTo_APo_from_Ma",
    "mcpTo_AP_from_Ma", "A_Acrit_from_Ma", "F_mcpTo_from_Ma", "mu_from_Ma", "nu_from_Ma",
    "Ma_from_Po_P", "Ma_from_To_T", "Ma_from_rhoo_rho", "Ma_from_V_cpTo", "Ma_from_nu",
    "Ma_from_A_Acrit", "Ma_from_mcpTo_APo", "Ma_from_F_mcpTo", "Ma_from_mcpTo_AP",
]

_MA = ("Ma", "ga", "sup")


def To_T_from_Ma(Ma, ga):
    """To/T = 1 + (ga - 1)/2 Ma^2, for Ma >= 0 (NaN below). The core's bits, any shape."""
    return call(0, Ma, ga, None, _MA)


def Po_P_from_Ma(Ma, ga):
    """Po/P = (To/T)^(ga/(ga - 1)), for Ma >= 0 (NaN below). The core's bits, any shape."""
    return call(1, Ma, ga, None, _MA)


def rhoo_rho_from_Ma(Ma, ga):
    """rhoo/rho = (To/T)^(1/(ga - 1)), for Ma >= 0 (NaN below). The core's bits."""
    return call(2, Ma, ga, None, _MA)


def V_cpTo_from_Ma(Ma, ga):
    """V/sqrt(cp To) = sqrt(ga - 1) Ma / sqrt(To/T), for Ma >= 0; sqrt(2) at Ma = inf.

    The core's bits for finite Ma >= 0; NaN below 0.
    """
    return call(3, Ma, ga, None, _MA)


def mcpTo_APo_from_Ma(Ma, ga):
    """mdot sqrt(cp To)/(A Po) = ga/sqrt(ga - 1) Ma (To/T)^(-(ga + 1)/(2 (ga - 1))).

    For Ma >= 0 (NaN below; 0 at Ma = inf). The core's bits for finite Ma >= 0.
    """
    return call(4, Ma, ga, None, _MA)


def mcpTo_AP_from_Ma(Ma, ga):
    """mdot sqrt(cp To)/(A P) = ga/sqrt(ga - 1) Ma sqrt(To/T), for Ma >= 0. The core's bits."""
    return call(5, Ma, ga, None, _MA)


def A_Acrit_from_Ma(Ma, ga):
    """A/A* = (1/Ma) (2/(ga + 1) To/T)^((ga + 1)/(2 (ga - 1))), for Ma >= 0.

    +inf at Ma = 0 and Ma = inf, NaN for Ma < 0 (the core gives a number there). The core's
    bits for finite Ma >= 0.
    """
    return call(6, Ma, ga, None, _MA)


def F_mcpTo_from_Ma(Ma, ga):
    """Impulse function F/(mdot sqrt(cp To)) = sqrt(ga - 1)/ga (1 + ga Ma^2)/(Ma sqrt(To/T)).

    For Ma >= 0: +inf at Ma = 0, minimum sqrt(2 (ga^2 - 1))/ga at Ma = 1, rising towards
    sqrt(2) as Ma -> inf (sqrt(2) at Ma = inf). NaN for Ma < 0.
    """
    return call(7, Ma, ga, None, _MA)


def mu_from_Ma(Ma):
    """Mach angle mu = asin(1/Ma) in degrees, for Ma >= 1 (90 at Ma = 1, 0 at inf; NaN below).

    The one function without ``ga``.
    """
    return call(8, Ma, 2.0, None, _MA)


def nu_from_Ma(Ma, ga):
    """Prandtl-Meyer angle in degrees, for Ma >= 1 (NaN below):

    nu = sqrt((ga + 1)/(ga - 1)) atan(sqrt((ga - 1)/(ga + 1) (Ma^2 - 1))) - atan(sqrt(Ma^2 - 1)),
    summed as a series near Ma = 1, where the two terms cancel. At Ma = inf the maximum
    (sqrt((ga + 1)/(ga - 1)) - 1) 90 degrees.
    """
    return call(9, Ma, ga, None, _MA)


def Ma_from_Po_P(Po_P, ga):
    """Ma from Po/P >= 1 (NaN below), closed form; the core's bits."""
    return call(10, Po_P, ga, None, ("Po_P", "ga", "sup"))


def Ma_from_To_T(To_T, ga):
    """Ma from To/T >= 1 (NaN below), closed form; the core's bits."""
    return call(11, To_T, ga, None, ("To_T", "ga", "sup"))


def Ma_from_rhoo_rho(rhoo_rho, ga):
    """Ma from rhoo/rho >= 1 (NaN below), closed form; the core's bits."""
    return call(12, rhoo_rho, ga, None, ("rhoo_rho", "ga", "sup"))


def Ma_from_V_cpTo(V_cpTo, ga):
    """Ma from V/sqrt(cp To), 0 <= V/sqrt(cp To) < sqrt(2) (NaN outside); the core's bits."""
    return call(13, V_cpTo, ga, None, ("V_cpTo", "ga", "sup"))


def Ma_from_nu(nu, ga):
    """Ma >= 1 from the Prandtl-Meyer angle nu in degrees.

    0 <= nu <= (sqrt((ga + 1)/(ga - 1)) - 1) 90 (its maximum gives +inf); NaN outside.
    """
    return call(14, nu, ga, None, ("nu", "ga", "sup"))


def Ma_from_A_Acrit(A_Acrit, ga, sup=False):
    """Ma from A/A* >= 1 on the branch ``sup`` picks (NaN below 1).

    Unlike the core's bisection, this always answers on the requested branch: A/A* = 1 gives 1,
    +inf gives 0 (subsonic) or +inf (supersonic).
    """
    return call(15, A_Acrit, ga, sup, ("A_Acrit", "ga", "sup"))


def Ma_from_mcpTo_APo(mcpTo_APo, ga, sup=False):
    """Ma from mdot sqrt(cp To)/(A Po) on the branch ``sup`` picks.

    Domain 0 <= x <= the choking value ga/sqrt(ga - 1) ((ga + 1)/2)^(-(ga + 1)/(2 (ga - 1)))
    (NaN outside); the choking value gives 1, 0 gives 0 or +inf. Unlike the core's Newton
    iteration, the root is always on the requested branch and to full precision.
    """
    return call(16, mcpTo_APo, ga, sup, ("mcpTo_APo", "ga", "sup"))


def Ma_from_F_mcpTo(F_mcpTo, ga, sup=False):
    """Ma from the impulse function F/(mdot sqrt(cp To)) on the branch ``sup`` picks.

    Subsonic: F >= its minimum sqrt(2 (ga^2 - 1))/ga (+inf gives 0). Supersonic: the minimum
    <= F < sqrt(2). NaN outside. Unlike the core, whose ``sup`` only chooses the Newton start
    value, the root is always on the requested branch.
    """
    return call(17, F_mcpTo, ga, sup, ("F_mcpTo", "ga", "sup"))


def Ma_from_mcpTo_AP(mcpTo_AP, ga):
    """Ma from mdot sqrt(cp To)/(A P) >= 0 (NaN below), which rises monotonically.

    Closed form (the root of a quadratic in Ma^2) rather than the core's Newton iteration, so
    the result is the exact root to rounding, not the core's bits.
    """
    return call(18, mcpTo_AP, ga, None, ("mcpTo_AP", "ga", "sup"))
