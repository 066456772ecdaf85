"""A plane oblique shock in a calorically perfect gas. Angles are in degrees.

The stream of Mach number ``Ma`` meets a shock at the wave angle ``beta`` and is turned through
the deflection ``theta``. The relations of ``(Ma, beta)`` are defined for 1 <= Ma < inf and the
Mach angle asin(1/Ma) <= beta <= 90 (NaN elsewhere): the normal component
Mn1 = Ma sin(beta) crosses a normal shock, the tangential one is kept.

``beta_from_Ma_theta`` has two roots for 0 <= theta < theta_max: ``strong`` False (or None,
0) gives the weak one, below ``beta_at_theta_max_from_Ma``; True (or 1) the strong one, above
it. theta equal to ``theta_max_from_Ma(Ma)`` gives ``beta_at_theta_max_from_Ma(Ma)`` on both
branches; theta above it is a detached shock: NaN. Arguments broadcast, ``ga`` and ``strong``
included; ``ga`` > 1 (else NaN).
"""
from ._front import K, K2, call, call2

__all__ = [
    "beta_from_Ma_theta", "theta_from_Ma_beta", "theta_max_from_Ma",
    "beta_at_theta_max_from_Ma", "Mn1_from_Ma_beta", "Ma2_from_Ma_beta", "P2_P1_from_Ma_beta",
    "T2_T1_from_Ma_beta", "rho2_rho1_from_Ma_beta", "Po2_Po1_from_Ma_beta",
]

_MB = ("Ma", "beta", "ga", "strong")


def beta_from_Ma_theta(Ma, theta, ga, strong=False):
    """Wave angle beta (degrees) of the shock that turns a stream of Mach number Ma >= 1
    through theta degrees, 0 <= theta <= theta_max_from_Ma(Ma).

    strong=False: the weak shock, from the Mach angle (theta = 0) up to
    beta_at_theta_max_from_Ma; strong=True: the strong shock, from there up to 90 (theta = 0).
    NaN above theta_max (the shock detaches), for negative theta and for Ma < 1.
    """
    return call2(K2["beta_from_Ma_theta"], Ma, theta, ga, strong, ("Ma", "theta", "ga", "strong"))


def theta_from_Ma_beta(Ma, beta, ga):
    """Deflection theta in degrees, tan(theta) = 2 cot(beta) (Ma^2 sin^2(beta) - 1) /
    (Ma^2 (ga + cos(2 beta)) + 2); beta in degrees, from the Mach angle (theta 0) to 90 (0)."""
    return call2(K2["theta_from_Ma_beta"], Ma, beta, ga, None, _MB)


def theta_max_from_Ma(Ma, ga):
    """The largest deflection (degrees) an attached shock gives at Ma >= 1 (0 at Ma = 1)."""
    return call(K["theta_max_from_Ma"], Ma, ga, None, ("Ma", "ga", "sup"))


def beta_at_theta_max_from_Ma(Ma, ga):
    """The wave angle (degrees) of the largest deflection, Ma >= 1 (90 at Ma = 1), from
    sin^2(beta) = ((ga + 1) Ma^2 - 4 + sqrt((ga + 1)((ga + 1) Ma^4 + 8 (ga - 1) Ma^2 + 16)))
    / (4 ga Ma^2)."""
    return call(K["beta_at_theta_max_from_Ma"], Ma, ga, None, ("Ma", "ga", "sup"))


def Mn1_from_Ma_beta(Ma, beta, ga):
    """Normal component of the upstream Mach number, Mn1 = Ma sin(beta), beta in degrees.

    ``ga`` only marks the domain (NaN for ga <= 1), as for every toolkit function."""
    return call2(K2["Mn1_from_Ma_beta"], Ma, beta, ga, None, _MB)


def Ma2_from_Ma_beta(Ma, beta, ga):
    """Downstream Mach number Ma2 = Mn2/sin(beta - theta), Mn2 the normal shock's downstream
    Mach number at Mn1 = Ma sin(beta); beta in degrees."""
    return call2(K2["Ma2_from_Ma_beta"], Ma, beta, ga, None, _MB)


def P2_P1_from_Ma_beta(Ma, beta, ga):
    """Static pressure ratio, 1 + 2 ga/(ga + 1) (Mn1^2 - 1); beta in degrees."""
    return call2(K2["P2_P1_from_Ma_beta"], Ma, beta, ga, None, _MB)


def T2_T1_from_Ma_beta(Ma, beta, ga):
    """Static temperature ratio, (P2/P1)/(rho2/rho1) at Mn1; beta in degrees."""
    return call2(K2["T2_T1_from_Ma_beta"], Ma, beta, ga, None, _MB)


def rho2_rho1_from_Ma_beta(Ma, beta, ga):
    """Density ratio, (ga + 1) Mn1^2/((ga - 1) Mn1^2 + 2); beta in degrees."""
    return call2(K2["rho2_rho1_from_Ma_beta"], Ma, beta, ga, None, _MB)


def Po2_Po1_from_Ma_beta(Ma, beta, ga):
    """Stagnation-pressure ratio across the shock: the normal shock's Posh/Po at Mn1; beta in
    degrees."""
    return call2(K2["Po2_Po1_from_Ma_beta"], Ma, beta, ga, None, _MB)
