# Type stubs of vortalix2_flows.isentropic, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar

__all__ = ['To_T_from_Ma', 'Po_P_from_Ma', 'rhoo_rho_from_Ma', 'V_cpTo_from_Ma', 'mcpTo_APo_from_Ma', 'mcpTo_AP_from_Ma', 'A_Acrit_from_Ma', 'F_mcpTo_from_Ma', 'mu_from_Ma', 'nu_from_Ma', 'Ma_from_Po_P', 'Ma_from_To_T', 'Ma_from_rhoo_rho', 'Ma_from_V_cpTo', 'Ma_from_mu', 'Ma_from_nu', 'Ma_from_A_Acrit', 'Ma_from_mcpTo_APo', 'Ma_from_F_mcpTo', 'Ma_from_mcpTo_AP', 'T_Tstar_from_Ma', 'P_Pstar_from_Ma', 'rho_rhostar_from_Ma', 'Mstar_from_Ma', 'state']

@overload
def To_T_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """To/T = 1 + (ga - 1)/2 Ma^2, for Ma >= 0 (NaN below). The core's bits, any shape."""
@overload
def To_T_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def To_T_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po_P_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Po/P = (To/T)^(ga/(ga - 1)), for Ma >= 0 (NaN below). The core's bits, any shape."""
@overload
def Po_P_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po_P_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rhoo_rho_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """rhoo/rho = (To/T)^(1/(ga - 1)), for Ma >= 0 (NaN below). The core's bits."""
@overload
def rhoo_rho_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rhoo_rho_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def V_cpTo_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """V/sqrt(cp To) = sqrt(ga - 1) Ma / sqrt(To/T), for Ma >= 0; sqrt(2) at Ma = inf.

The core's bits for finite Ma >= 0; NaN below 0."""
@overload
def V_cpTo_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def V_cpTo_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def mcpTo_APo_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """mdot sqrt(cp To)/(A Po) = ga/sqrt(ga - 1) Ma (To/T)^(-(ga + 1)/(2 (ga - 1))).

For Ma >= 0 (NaN below; 0 at Ma = inf). The core's bits for finite Ma >= 0."""
@overload
def mcpTo_APo_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def mcpTo_APo_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def mcpTo_AP_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """mdot sqrt(cp To)/(A P) = ga/sqrt(ga - 1) Ma sqrt(To/T), for Ma >= 0. The core's bits."""
@overload
def mcpTo_AP_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def mcpTo_AP_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def A_Acrit_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """A/A* = (1/Ma) (2/(ga + 1) To/T)^((ga + 1)/(2 (ga - 1))), for Ma >= 0.

+inf at Ma = 0 and Ma = inf, NaN for Ma < 0 (the core gives a number there). The core's
bits for finite Ma >= 0."""
@overload
def A_Acrit_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def A_Acrit_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def F_mcpTo_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Impulse function F/(mdot sqrt(cp To)) = sqrt(ga - 1)/ga (1 + ga Ma^2)/(Ma sqrt(To/T)).

For Ma >= 0: +inf at Ma = 0, minimum sqrt(2 (ga^2 - 1))/ga at Ma = 1, rising towards
sqrt(2) as Ma -> inf (sqrt(2) at Ma = inf). NaN for Ma < 0."""
@overload
def F_mcpTo_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def F_mcpTo_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def mu_from_Ma(Ma: Scalar, *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Mach angle mu = asin(1/Ma) in degrees, for Ma >= 1 (90 at Ma = 1, 0 at inf; NaN below).

Like Ma_from_mu, without ``ga``."""
@overload
def mu_from_Ma(Ma: NDArray[np.float32], *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def mu_from_Ma(Ma: ArrayLike, *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def nu_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Prandtl-Meyer angle in degrees, for Ma >= 1 (NaN below):

nu = sqrt((ga + 1)/(ga - 1)) atan(sqrt((ga - 1)/(ga + 1) (Ma^2 - 1))) - atan(sqrt(Ma^2 - 1)),
summed as a series near Ma = 1, where the two terms cancel. At Ma = inf the maximum
(sqrt((ga + 1)/(ga - 1)) - 1) 90 degrees."""
@overload
def nu_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def nu_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po_P(Po_P: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from Po/P >= 1 (NaN below), closed form: sqrt(2/(ga - 1) ((Po/P)^((ga - 1)/ga) - 1)).

The power less 1 is taken as expm1(((ga - 1)/ga) log1p(Po/P - 1)) near Po/P = 1, where the
core's formula cancels, so the result holds 1e-14 relative down to Ma -> 0; its bits are
not the core's."""
@overload
def Ma_from_Po_P(Po_P: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Po_P(Po_P: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_To_T(To_T: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from To/T >= 1 (NaN below), closed form; the core's bits."""
@overload
def Ma_from_To_T(To_T: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_To_T(To_T: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_rhoo_rho(rhoo_rho: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from rhoo/rho >= 1 (NaN below), closed form: sqrt(2/(ga - 1) ((rhoo/rho)^(ga - 1) - 1)).

The power less 1 is taken as expm1((ga - 1) log1p(rhoo/rho - 1)) near rhoo/rho = 1, where
the core's formula cancels, so the result holds 1e-14 relative down to Ma -> 0; its bits
are not the core's."""
@overload
def Ma_from_rhoo_rho(rhoo_rho: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_rhoo_rho(rhoo_rho: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_V_cpTo(V_cpTo: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from V/sqrt(cp To), 0 <= V/sqrt(cp To) < sqrt(2) (NaN outside); the core's bits."""
@overload
def Ma_from_V_cpTo(V_cpTo: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_V_cpTo(V_cpTo: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_mu(mu: Scalar, *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma = 1/sin(mu) from the Mach angle mu in degrees, 0 <= mu <= 90 (0 gives +inf, 90 gives 1;
NaN outside). Like mu_from_Ma, without ``ga``."""
@overload
def Ma_from_mu(mu: NDArray[np.float32], *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_mu(mu: ArrayLike, *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_nu(nu: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma >= 1 from the Prandtl-Meyer angle nu in degrees.

0 <= nu <= (sqrt((ga + 1)/(ga - 1)) - 1) 90 (its maximum gives +inf); NaN outside."""
@overload
def Ma_from_nu(nu: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_nu(nu: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_A_Acrit(A_Acrit: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from A/A* >= 1 on the branch ``sup`` picks (NaN below 1).

Unlike the core's bisection, this always answers on the requested branch: A/A* = 1 gives 1,
+inf gives 0 (subsonic) or +inf (supersonic)."""
@overload
def Ma_from_A_Acrit(A_Acrit: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_A_Acrit(A_Acrit: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_mcpTo_APo(mcpTo_APo: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from mdot sqrt(cp To)/(A Po) on the branch ``sup`` picks.

Domain 0 <= x <= the choking value ga/sqrt(ga - 1) ((ga + 1)/2)^(-(ga + 1)/(2 (ga - 1)))
(NaN outside); the choking value gives 1, 0 gives 0 or +inf. Unlike the core's Newton
iteration, the root is always on the requested branch and to full precision."""
@overload
def Ma_from_mcpTo_APo(mcpTo_APo: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_mcpTo_APo(mcpTo_APo: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_F_mcpTo(F_mcpTo: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from the impulse function F/(mdot sqrt(cp To)) on the branch ``sup`` picks.

Subsonic: F >= its minimum sqrt(2 (ga^2 - 1))/ga (+inf gives 0). Supersonic: the minimum
<= F < sqrt(2). NaN outside. Unlike the core, whose ``sup`` only chooses the Newton start
value, the root is always on the requested branch."""
@overload
def Ma_from_F_mcpTo(F_mcpTo: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_F_mcpTo(F_mcpTo: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_mcpTo_AP(mcpTo_AP: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from mdot sqrt(cp To)/(A P) >= 0 (NaN below), which rises monotonically.

Closed form (the root of a quadratic in Ma^2) rather than the core's Newton iteration, so
the result is the exact root to rounding, not the core's bits."""
@overload
def Ma_from_mcpTo_AP(mcpTo_AP: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_mcpTo_AP(mcpTo_AP: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T_Tstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), T* the sonic temperature of the same To; Ma >= 0."""
@overload
def T_Tstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T_Tstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P_Pstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """P/P* = (T/T*)^(ga/(ga - 1)), P* the sonic pressure of the same Po; Ma >= 0."""
@overload
def P_Pstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P_Pstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho_rhostar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """rho/rho* = (T/T*)^(1/(ga - 1)), rho* the sonic density of the same rhoo; Ma >= 0."""
@overload
def rho_rhostar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho_rhostar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Mstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Characteristic Mach number M* = V/a* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), a* the
sonic speed of the same To; Ma >= 0, sqrt((ga + 1)/(ga - 1)) at Ma = inf."""
@overload
def Mstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Mstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

def state(*, Ma: ArrayLike = ..., To_T: ArrayLike = ..., Po_P: ArrayLike = ..., rhoo_rho: ArrayLike = ..., A_Acrit: ArrayLike = ..., V_cpTo: ArrayLike = ..., mcpTo_APo: ArrayLike = ..., mcpTo_AP: ArrayLike = ..., F_mcpTo: ArrayLike = ..., nu: ArrayLike = ..., mu: ArrayLike = ..., ga: ArrayLike = ..., sup: FlagLike = ...) -> Result:
    """Every isentropic quantity of the state known by one keyword: Ma, To_T, Po_P, rhoo_rho,
A_Acrit, V_cpTo, mcpTo_APo, mcpTo_AP, F_mcpTo, nu or mu (degrees).

A_Acrit, mcpTo_APo and F_mcpTo take every value twice: ``sup`` must be given with them
(False the subsonic root, True the supersonic one); with the others it is not needed.
Returns a Result with the fields Ma, To_T, Po_P, rhoo_rho, A_Acrit, V_cpTo, mcpTo_APo,
mcpTo_AP, F_mcpTo, mu, nu (degrees), the sonic-reference ratios T_Tstar, P_Pstar,
rho_rhostar (to the sonic state of the same stagnation state) and Mstar = V/a*, each of
the inputs' broadcast shape and computed by this module's functions (so Dask stays lazy,
xarray and pandas keep their labels). The Mach and Prandtl-Meyer angles of a subsonic state
are NaN without a status; a known value outside its domain gives NaN everywhere with
NumPy's invalid status. The known field is the value given, broadcast."""
