"""Shock-expansion theory of thin supersonic airfoils. Angles are in degrees.

Each face of the airfoil turns the stream that reaches it: the first face of each side turns the
free stream, through an attached oblique shock or a Prandtl-Meyer fan as the sign of its
deflection asks (``oblique_shock.turn``), and the next face turns the stream behind it through a
fan. A face's pressure is uniform, so its force acts at its middle. Coefficients are per unit
chord and span, on the free stream's dynamic pressure ga/2 P1 Ma^2: ``cl``, ``cd`` (the wave
drag) and ``cm`` about the leading edge, nose up positive. Arguments broadcast; an element whose
shock detaches, or whose stream behind a face is subsonic, gives NaN with the invalid status.
"""
import numpy as np
from numpy.typing import ArrayLike

from . import oblique_shock as _ob
from ._results import Result

__all__ = ["flat_plate", "diamond"]

GA = 1.4


def _forces(q, alpha, fx, fy, m):
    """cl, cd, cm from the forces along the chord (x, downstream) and normal to it (y, up) and
    the moment about the leading edge (nose up positive), all on the free stream's pressure."""
    a = np.radians(alpha)
    ca, sa = np.cos(a), np.sin(a)
    return (fy * ca - fx * sa) / q, (fx * ca + fy * sa) / q, m / q


def flat_plate(Ma: ArrayLike, alpha: ArrayLike, ga: ArrayLike = GA) -> Result:
    """A flat plate at ``alpha`` degrees in a stream of Mach number ``Ma``.

    The upper face turns the stream by -alpha, the lower by +alpha. Fields ``cl``, ``cd``,
    ``cm`` and the faces' pressures over the free stream's, ``P_upper`` and ``P_lower``.
    """
    Ma, alpha, ga = (np.asarray(v, dtype=np.float64) for v in (Ma, alpha, ga))
    upper = _ob.P2_P1_from_Ma_dtheta(Ma, -alpha, ga)
    lower = _ob.P2_P1_from_Ma_dtheta(Ma, alpha, ga)
    q = ga * 0.5 * (Ma * Ma)
    n = lower - upper
    cl, cd, cm = _forces(q, alpha, 0.0 * n, n, (upper - lower) * 0.5)
    return Result("shock_expansion.flat_plate", {"cl": cl, "cd": cd, "cm": cm, "P_upper": upper,
                                 "P_lower": lower})


def diamond(Ma: ArrayLike, t_c: ArrayLike, alpha: ArrayLike, ga: ArrayLike = GA) -> Result:
    """A symmetric diamond airfoil of thickness ratio ``t_c``, thickest at mid-chord, at
    ``alpha`` degrees in a stream of Mach number ``Ma``.

    Each face is inclined by eps = atan(t_c) to the chord: the front faces turn the free stream
    by eps - alpha (upper) and eps + alpha (lower), the rear faces turn the stream behind them by
    -2 eps. Fields ``cl``, ``cd``, ``cm`` and the faces' pressures over the free stream's,
    ``P_upper_front``, ``P_upper_rear``, ``P_lower_front`` and ``P_lower_rear``.
    """
    Ma, t_c, alpha, ga = (np.asarray(v, dtype=np.float64) for v in (Ma, t_c, alpha, ga))
    eps = np.degrees(np.arctan(t_c))
    front = {"upper": eps - alpha, "lower": eps + alpha}
    p = {}
    for side, dtheta in front.items():
        p1 = _ob.P2_P1_from_Ma_dtheta(Ma, dtheta, ga)
        m1 = _ob.Ma2_from_Ma_dtheta(Ma, dtheta, ga)
        p[side] = (p1, p1 * _ob.P2_P1_from_Ma_dtheta(m1, -2.0 * eps, ga))
    (uf, ur), (lf, lr) = p["upper"], p["lower"]
    q = ga * 0.5 * (Ma * Ma)
    # Forces of the faces (free-stream pressure drops out of a closed body): the front faces
    # push backwards, the rear ones forwards, by t_c/2 of their pressure each; the moment arms
    # are the faces' middles, (1/4, +-t_c/4) and (3/4, +-t_c/4).
    fx = 0.5 * t_c * ((uf - ur) + (lf - lr))
    fy = 0.5 * ((lf + lr) - (uf + ur))
    m = ((uf - lf) * (1.0 + t_c * t_c) + (ur - lr) * (3.0 - t_c * t_c)) * 0.125
    cl, cd, cm = _forces(q, alpha, fx, fy, m)
    return Result("shock_expansion.diamond", {"cl": cl, "cd": cd, "cm": cm, "P_upper_front": uf,
                              "P_upper_rear": ur, "P_lower_front": lf, "P_lower_rear": lr})
