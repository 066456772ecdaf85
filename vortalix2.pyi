"""Steady one-dimensional compressible flow of a calorically perfect gas over NumPy arrays.

Every function takes a float64 array as its first argument and the ratio of specific heats
`ga` as its second, and returns a new float64 array of the input's shape, each element the
relation applied to the matching input element. Results are exact to the last bit: each
relation fixes its order of IEEE double operations, and powers come from the C library's
`pow`. Below, q = 1 + (ga - 1)/2 * Ma**2 (which is To/T).

Values never raise: input outside a relation's domain gives NaN, an infinity or zero as the
arithmetic makes them, and the iterative inversions give NaN when they reject a value or do
not converge (the area-ratio bisection never gives NaN). `ga` is never checked; the domains
below assume ga > 1. Where `sup` exists, True selects the supersonic root.
"""

from typing import SupportsFloat, SupportsIndex

import numpy as np
import numpy.typing as npt

__all__ = [
    "To_T_from_Ma", "Po_P_from_Ma", "rhoo_rho_from_Ma", "V_cpTo_from_Ma",
    "mcpTo_APo_from_Ma", "mcpTo_AP_from_Ma", "A_Acrit_from_Ma", "Mash_from_Ma",
    "Posh_Po_from_Ma", "Ma_from_Po_P", "Ma_from_To_T", "Ma_from_rhoo_rho", "Ma_from_V_cpTo",
    "Ma_from_F_mcpTo", "Ma_from_mcpTo_APo", "Ma_from_mcpTo_AP", "Ma_from_A_Acrit",
    "Ma_from_Mash", "Ma_from_Posh_Po",
]

_Array = npt.NDArray[np.float64]
# `ga` goes through float(): a float, an int, a NumPy scalar, anything with __float__ or
# __index__.
_Ga = SupportsFloat | SupportsIndex
# `sup` must be a bool or a NumPy bool; 0 and 1 are refused.
_Sup = bool | np.bool_

def To_T_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Stagnation-to-static temperature ratio To/T = q = 1 + (ga - 1)/2 * Ma**2.

    Computed as 1/(1/q), which can differ from q in the last bit. `Ma` must be a
    one-dimensional array (a 0-D or 2-D array is a TypeError).

    Domain: every Ma. Negative Ma gives the value of |Ma|; +-inf and Ma whose square
    overflows give +inf; NaN gives NaN.
    """

def Po_P_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Stagnation-to-static pressure ratio Po/P = q**(ga/(ga - 1)).

    Computed as 1/pow(q, ga/(1 - ga)). `Ma` must be a one-dimensional array (a 0-D or 2-D
    array is a TypeError).

    Domain: every Ma. Negative Ma gives the value of |Ma|; +-inf gives +inf; NaN gives NaN.
    """

def rhoo_rho_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Stagnation-to-static density ratio rhoo/rho = q**(1/(ga - 1)).

    Computed as 1/pow(q, 1/(1 - ga)).

    Domain: every Ma. Negative Ma gives the value of |Ma|; +-inf gives +inf; NaN gives NaN.
    """

def V_cpTo_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Non-dimensional velocity V/sqrt(cp*To) = sqrt(ga - 1) * Ma / sqrt(q).

    Rises from 0 towards sqrt(2) as Ma grows.

    Domain: finite Ma. Negative Ma gives the negative of the value at |Ma|; +-inf gives NaN
    (infinity times zero); ga below 1 gives NaN.
    """

def mcpTo_APo_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Mass flow on stagnation pressure, mdot*sqrt(cp*To)/(A*Po)
    = ga/sqrt(ga - 1) * Ma * q**(-(ga + 1)/(2*(ga - 1))).

    Largest at Ma = 1 (the choking limit, 1.2810152558552463 for ga = 1.4).

    Domain: finite Ma. Negative Ma gives the negative of the value at |Ma|; +-inf gives NaN;
    ga below 1 gives NaN.
    """

def mcpTo_AP_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Mass flow on static pressure, mdot*sqrt(cp*To)/(A*P) = ga/sqrt(ga - 1) * Ma * sqrt(q).

    Rises with Ma throughout.

    Domain: every Ma. Negative Ma gives the negative of the value at |Ma|; +-inf gives an
    infinity of the same sign; ga below 1 gives NaN.
    """

def A_Acrit_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Area ratio to the sonic area, A/A* = (1/Ma) * (2*q/(ga + 1))**((ga + 1)/(2*(ga - 1))).

    Smallest, 1, at Ma = 1.

    Domain: finite Ma > 0. Ma = 0 gives +inf (-0 gives -inf); negative Ma gives the negative
    of the value at |Ma|; +-inf gives NaN.
    """

def Mash_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Mach number behind a normal shock,
    Mash = sqrt((1 + (ga - 1)/2 * Ma**2) / (ga * Ma**2 - (ga - 1)/2)).

    Domain: Ma >= 1 (the sign of Ma is ignored). Between sqrt((ga - 1)/(2*ga)) (0.378 for
    ga = 1.4) and 1 the formula is evaluated all the same and gives values above 1; below
    that limit, at 0, at +-inf and for NaN the result is NaN.
    """

def Posh_Po_from_Ma(Ma: _Array, ga: _Ga) -> _Array:
    """Stagnation-pressure ratio across a normal shock, Posh/Po
    = ((2*ga*Ma**2 - (ga - 1))/(ga + 1))**(-1/(ga - 1))
      * (((ga - 1)*Ma**2 + 2)/((ga + 1)*Ma**2))**(-ga/(ga - 1)).

    Computed as the reciprocal of the product of the two powers with positive exponents.

    Domain: Ma >= 1, where the ratio is at most 1 (the sign of Ma is ignored). Between
    sqrt((ga - 1)/(2*ga)) and 1 the formula gives values above 1; below that limit, at 0 and
    for NaN the result is NaN; +-inf gives 0.
    """

def Ma_from_Po_P(Po_P: _Array, ga: _Ga) -> _Array:
    """Mach number from Po/P: Ma = sqrt(2/(ga - 1) * (Po_P**((ga - 1)/ga) - 1)).

    Computed with pow(1/Po_P, (1 - ga)/ga).

    Domain: Po_P >= 1 (1 gives 0). Below 1, including 0 and negative values, the result is
    NaN; +inf and -inf give +inf; NaN gives NaN.
    """

def Ma_from_To_T(To_T: _Array, ga: _Ga) -> _Array:
    """Mach number from To/T: Ma = sqrt(2/(ga - 1) * (To_T - 1)).

    The input passes through 1/(1/To_T) first.

    Domain: To_T >= 1 (1 gives 0). Below 1, -inf and NaN give NaN; +inf (and finite input
    so large that the product overflows) gives +inf.
    """

def Ma_from_rhoo_rho(rhoo_rho: _Array, ga: _Ga) -> _Array:
    """Mach number from rhoo/rho: Ma = sqrt(2/(ga - 1) * (rhoo_rho**(ga - 1) - 1)).

    Computed with pow(1/rhoo_rho, 1 - ga).

    Domain: rhoo_rho >= 1 (1 gives 0). Below 1, including 0 and negative values, the result
    is NaN; +inf and -inf give +inf; NaN gives NaN.
    """

def Ma_from_V_cpTo(V_cpTo: _Array, ga: _Ga) -> _Array:
    """Mach number from V/sqrt(cp*To): Ma = sqrt(V_cpTo**2 / ((ga - 1) * (1 - V_cpTo**2/2))).

    Domain: |V_cpTo| < sqrt(2); the sign is ignored and the result is never negative. Where
    V_cpTo**2 exceeds 2, at +-inf and for NaN the result is NaN.
    """

def Ma_from_F_mcpTo(F_mcpTo: _Array, ga: _Ga, sup: _Sup | None) -> _Array:
    """Mach number from the impulse function over mass flow,
    F/(mdot*sqrt(cp*To)) = sqrt(ga - 1)/ga * (1 + ga*Ma**2) / (Ma * sqrt(q)).

    Newton iteration (step tolerance 1e-6, at most 100 steps) from Ma = 1.5 when `sup` is
    true, from 0.5 when it is false or None; `sup` is required.

    Domain: from the minimum at Ma = 1 (0.989743318610787 for ga = 1.4) upwards; the
    supersonic root exists below sqrt(2). Input below the minimum, at or above sqrt(2) with
    `sup` true, targets whose root the iteration does not reach from its start (such as very
    low subsonic Mach numbers), 0, negative values, +-inf and NaN give NaN.
    """

def Ma_from_mcpTo_APo(mcpTo_APo: _Array, ga: _Ga, sup: _Sup = False, /) -> _Array:
    """Mach number from mdot*sqrt(cp*To)/(A*Po), the inverse of mcpTo_APo_from_Ma.

    Newton iteration (step tolerance 1e-6, at most 100 steps) from Ma = 1.5 when `sup` is
    true, from 0.5 when it is false or left out. All three parameters are positional-only,
    and `sup` may not be None.

    Domain: 0 < mcpTo_APo <= the choking limit, the value at Ma = 1 (1.2810152558552463 for
    ga = 1.4). Above the limit, and +inf, the result is NaN without iterating; NaN, -inf and
    non-convergence give NaN. 0 gives 0 on the subsonic branch; negative input gives a
    negative Mach number on the subsonic branch and NaN on the supersonic one.
    """

def Ma_from_mcpTo_AP(mcpTo_AP: _Array, ga: _Ga) -> _Array:
    """Mach number from mdot*sqrt(cp*To)/(A*P), the inverse of mcpTo_AP_from_Ma.

    Newton iteration (step tolerance 1e-6, at most 100 steps) from Ma = 0.5; the relation
    rises with Ma, so there is one root.

    Domain: mcpTo_AP >= 0. Negative input gives a negative Mach number; +-inf, NaN, input
    so large that the iteration overflows (such as 1e300) and non-convergence give NaN.
    """

def Ma_from_A_Acrit(A_Acrit: _Array, ga: _Ga, sup: _Sup | None) -> _Array:
    """Mach number from the area ratio A/A*, the inverse of A_Acrit_from_Ma.

    Bisection of at most 10000 passes, ending early only on an exact hit: between 0 and 1
    when `sup` is false or None, between 1 and the largest double when it is true; `sup` is
    required. Input exactly 1 gives 1.

    Domain: A_Acrit >= 1. The result is never NaN: it is the bisection's last midpoint.
    Input below 1 (0, negative values, -inf included) gives 1; NaN gives the first midpoint
    (0.5, or 8.988465674311579e307 with `sup` true); +inf gives 8.988465674311579e307 with
    `sup` true and 2**-1024 with `sup` false.
    """

def Ma_from_Mash(Mash: _Array, ga: _Ga) -> _Array:
    """Upstream Mach number of a normal shock from the downstream one, the inverse of
    Mash_from_Ma.

    Newton iteration (step tolerance 1e-6, at most 100 steps) from Ma = 0.5.

    Domain: sqrt((ga - 1)/(2*ga)) < Mash <= 1 (0.378 for ga = 1.4); 1 gives 1. Above 1 and
    +inf the result is NaN without iterating; below the limit, 0, negative values, -inf and
    NaN give NaN.
    """

def Ma_from_Posh_Po(Posh_Po: _Array, ga: _Ga) -> _Array:
    """Upstream Mach number of a normal shock from its stagnation-pressure ratio, the inverse
    of Posh_Po_from_Ma.

    Newton iteration (step tolerance 1e-6, at most 100 steps) from Ma = 1.5.

    Domain: 0 < Posh_Po <= 1; 1 converges slowly and gives about 1.000001. Values above 1
    have no supersonic root: the iteration ends on the subsonic side of the formula or gives
    NaN. 0, negative values, +-inf, NaN and non-convergence give NaN.
    """
