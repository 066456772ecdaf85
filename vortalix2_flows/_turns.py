"""Turns, reflections and polars of the oblique shock: calls over the family's ufuncs.

Each field is one of the registry's relations, so every element takes the shock or the fan for
itself inside the compiled loop, and only the branch it keeps decides its NaN and status.
"""
from typing import Any, NamedTuple

import numpy as np
from numpy.typing import ArrayLike, NDArray

from . import _ufuncs
from ._results import Result

GA = _ufuncs.GA


def _relations() -> dict[str, Any]:
    return {r.name: r.ufunc for r in _ufuncs.RELATIONS if r.module == "oblique_shock"}


_U = _relations()
_MU = next(r.ufunc for r in _ufuncs.RELATIONS if r.name == "mu_from_Ma")


def turn(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = GA) -> Result:
    """A supersonic stream of Mach number ``Ma`` turned through ``dtheta`` degrees.

    Positive ``dtheta`` turns it through the attached weak oblique shock, negative through a
    Prandtl-Meyer fan, zero leaves it unchanged; every element chooses for itself. Fields
    ``Ma2``, ``P2_P1``, ``T2_T1``, ``rho2_rho1``, ``Po2_Po1`` (exactly 1 through a fan) and
    ``beta``, the shock's wave angle (the Mach angle at zero, NaN through a fan). A detached
    shock (dtheta above ``theta_max_from_Ma(Ma)``), a fan beyond the largest Prandtl-Meyer
    angle, Ma < 1 and Ma = inf give NaN with NumPy's invalid status. Arguments broadcast.
    """
    # The wave angle's NaN through a fan is an answer, not an element outside the domain: it
    # raises nothing here; the other fields raise the status where the turn itself fails.
    with np.errstate(invalid="ignore"):
        beta = _U["beta_from_Ma_dtheta"](Ma, dtheta, ga)
    return Result("oblique_shock.turn", {
        "Ma2": _U["Ma2_from_Ma_dtheta"](Ma, dtheta, ga),
        "P2_P1": _U["P2_P1_from_Ma_dtheta"](Ma, dtheta, ga),
        "T2_T1": _U["T2_T1_from_Ma_dtheta"](Ma, dtheta, ga),
        "rho2_rho1": _U["rho2_rho1_from_Ma_dtheta"](Ma, dtheta, ga),
        "Po2_Po1": _U["Po2_Po1_from_Ma_dtheta"](Ma, dtheta, ga),
        "beta": beta,
    })


def reflect(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = GA) -> Result:
    """Regular reflection from a straight wall of the weak shock made by a wedge of ``theta``
    degrees in a stream of Mach number ``Ma``.

    Fields ``beta_r`` (the reflected shock's angle to the wall, degrees), ``Ma3`` (behind it),
    ``P3_P1`` and ``Po3_Po1`` (behind it over ahead of the incident shock). Where theta exceeds
    the largest deflection at the Mach number between the shocks no regular reflection
    exists (a Mach reflection stands there): NaN with NumPy's invalid status.
    """
    return Result("oblique_shock.reflect", {
        "beta_r": _U["beta_r_from_Ma_theta"](Ma, theta, ga),
        "Ma3": _U["Ma3_from_Ma_theta"](Ma, theta, ga),
        "P3_P1": _U["P3_P1_from_Ma_theta"](Ma, theta, ga),
        "Po3_Po1": _U["Po3_Po1_from_Ma_theta"](Ma, theta, ga),
    })


class Polar(NamedTuple):
    """A pressure-deflection polar: ``theta`` (degrees) and ``P2_P1`` at the wave angles
    ``beta`` (degrees), each with a trailing axis of n points."""

    theta: NDArray[np.float64]
    P2_P1: NDArray[np.float64]
    beta: NDArray[np.float64]


def polar(Ma: ArrayLike, ga: ArrayLike = GA, n: int = 200) -> Polar:
    """The pressure-deflection polar of a stream of Mach number ``Ma`` >= 1.

    ``n`` >= 2 wave angles evenly spaced from the Mach angle (theta 0, P2/P1 1) to 90 degrees
    (the normal shock, theta 0 again), over theta_max between: arrays ``theta``, ``P2_P1`` and
    ``beta`` of shape ``broadcast(Ma, ga).shape + (n,)``. Ma < 1 gives rows of NaN.
    """
    n = int(n)
    if n < 2:
        raise ValueError(f"polar needs n >= 2 points, not {n}")
    m, g = np.broadcast_arrays(np.asarray(Ma, dtype=np.float64), np.asarray(ga, dtype=np.float64))
    m, g = m[..., None], g[..., None]
    mu = _MU(m)
    f = np.linspace(0.0, 1.0, n)
    beta = mu + (90.0 - mu) * f
    beta[..., 0] = mu[..., 0]
    beta[..., -1] = np.where(np.isnan(mu[..., 0]), np.nan, 90.0)
    theta = _U["theta_from_Ma_beta"](m, beta, g)
    p = _U["P2_P1_from_Ma_beta"](m, beta, g)
    return Polar(theta, p, beta)
