# Type stubs of vortalix2_flows.oblique_shock, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar
from vortalix2_flows._turns import turn as turn
from vortalix2_flows._turns import reflect as reflect
from vortalix2_flows._turns import polar as polar

__all__ = ['beta_from_Ma_theta', 'theta_from_Ma_beta', 'theta_max_from_Ma', 'beta_at_theta_max_from_Ma', 'Mn1_from_Ma_beta', 'Ma2_from_Ma_beta', 'P2_P1_from_Ma_beta', 'T2_T1_from_Ma_beta', 'rho2_rho1_from_Ma_beta', 'Po2_Po1_from_Ma_beta', 'beta_from_Ma_Mn1', 'Ma2_from_Ma_dtheta', 'P2_P1_from_Ma_dtheta', 'T2_T1_from_Ma_dtheta', 'rho2_rho1_from_Ma_dtheta', 'Po2_Po1_from_Ma_dtheta', 'beta_from_Ma_dtheta', 'beta_r_from_Ma_theta', 'Ma3_from_Ma_theta', 'P3_P1_from_Ma_theta', 'Po3_Po1_from_Ma_theta', 'state', 'turn', 'reflect', 'polar']

@overload
def beta_from_Ma_theta(Ma: Scalar, theta: Scalar, ga: Scalar = ..., strong: Flag = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Wave angle beta (degrees) of the shock that turns a stream of Mach number Ma >= 1
through theta degrees, 0 <= theta <= theta_max_from_Ma(Ma).

strong=False: the weak shock, from the Mach angle (theta = 0) up to
beta_at_theta_max_from_Ma; strong=True: the strong shock, from there up to 90 (theta = 0).
NaN above theta_max (the shock detaches), for negative theta and for Ma < 1."""
@overload
def beta_from_Ma_theta(Ma: NDArray[np.float32], theta: NDArray[np.float32], ga: ArrayLike = ..., strong: FlagLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def beta_from_Ma_theta(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = ..., strong: FlagLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def theta_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Deflection theta in degrees, tan(theta) = 2 cot(beta) (Ma^2 sin^2(beta) - 1) /
(Ma^2 (ga + cos(2 beta)) + 2); beta in degrees, from the Mach angle (theta 0) to 90 (0)."""
@overload
def theta_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def theta_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def theta_max_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """The largest deflection (degrees) an attached shock gives at Ma >= 1 (0 at Ma = 1)."""
@overload
def theta_max_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def theta_max_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def beta_at_theta_max_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """The wave angle (degrees) of the largest deflection, Ma >= 1 (90 at Ma = 1), from
sin^2(beta) = ((ga + 1) Ma^2 - 4 + sqrt((ga + 1)((ga + 1) Ma^4 + 8 (ga - 1) Ma^2 + 16)))
/ (4 ga Ma^2)."""
@overload
def beta_at_theta_max_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def beta_at_theta_max_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Mn1_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Normal component of the upstream Mach number, Mn1 = Ma sin(beta), beta in degrees.

``ga`` only marks the domain (NaN for ga <= 1), as for every toolkit function."""
@overload
def Mn1_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Mn1_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma2_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Downstream Mach number Ma2 = Mn2/sin(beta - theta), Mn2 the normal shock's downstream
Mach number at Mn1 = Ma sin(beta); beta in degrees."""
@overload
def Ma2_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma2_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P2_P1_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static pressure ratio, 1 + 2 ga/(ga + 1) (Mn1^2 - 1); beta in degrees."""
@overload
def P2_P1_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P2_P1_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T2_T1_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static temperature ratio, (P2/P1)/(rho2/rho1) at Mn1; beta in degrees."""
@overload
def T2_T1_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T2_T1_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho2_rho1_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Density ratio, (ga + 1) Mn1^2/((ga - 1) Mn1^2 + 2); beta in degrees."""
@overload
def rho2_rho1_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho2_rho1_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po2_Po1_from_Ma_beta(Ma: Scalar, beta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Stagnation-pressure ratio across the shock: the normal shock's Posh/Po at Mn1; beta in
degrees."""
@overload
def Po2_Po1_from_Ma_beta(Ma: NDArray[np.float32], beta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po2_Po1_from_Ma_beta(Ma: ArrayLike, beta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def beta_from_Ma_Mn1(Ma: Scalar, Mn1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Wave angle beta = asin(Mn1/Ma) in degrees of the shock whose upstream normal Mach number is
Mn1, 1 <= Mn1 <= Ma < inf (NaN elsewhere)."""
@overload
def beta_from_Ma_Mn1(Ma: NDArray[np.float32], Mn1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def beta_from_Ma_Mn1(Ma: ArrayLike, Mn1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma2_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Mach number after turning a stream of Ma >= 1 through dtheta degrees: through the attached
weak oblique shock for dtheta > 0, a Prandtl-Meyer fan for dtheta < 0; Ma at dtheta = 0.

NaN where the shock detaches (dtheta > theta_max_from_Ma(Ma)), where the fan would need
nu(Ma) - dtheta above the largest Prandtl-Meyer angle, for Ma < 1 and Ma = inf."""
@overload
def Ma2_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma2_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P2_P1_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static pressure ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below 0,
1 at 0); NaN as for Ma2_from_Ma_dtheta."""
@overload
def P2_P1_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P2_P1_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T2_T1_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static temperature ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below
0, 1 at 0); NaN as for Ma2_from_Ma_dtheta."""
@overload
def T2_T1_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T2_T1_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho2_rho1_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Density ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below 0, 1 at 0);
NaN as for Ma2_from_Ma_dtheta."""
@overload
def rho2_rho1_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho2_rho1_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po2_Po1_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Stagnation-pressure ratio across a turn of dtheta degrees: the shock's for dtheta > 0,
exactly 1 through a fan (dtheta < 0) and at 0; NaN as for Ma2_from_Ma_dtheta."""
@overload
def Po2_Po1_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po2_Po1_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def beta_from_Ma_dtheta(Ma: Scalar, dtheta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Wave angle (degrees) of the weak shock of a turn of dtheta > 0 degrees, the Mach angle at
dtheta = 0; NaN through a fan (dtheta < 0) and as for Ma2_from_Ma_dtheta.

Its NaN through a fan raises the invalid status as any NaN of a ufunc does;
oblique_shock.turn raises none for it."""
@overload
def beta_from_Ma_dtheta(Ma: NDArray[np.float32], dtheta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def beta_from_Ma_dtheta(Ma: ArrayLike, dtheta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def beta_r_from_Ma_theta(Ma: Scalar, theta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Regular reflection from a straight wall of the weak shock of a wedge of theta degrees:
the reflected shock's angle to the wall, beta(Ma2, theta) - theta, Ma2 behind the first.

NaN where theta > theta_max_from_Ma(Ma2): no regular reflection exists there (a Mach
reflection stands instead), and as for beta_from_Ma_theta."""
@overload
def beta_r_from_Ma_theta(Ma: NDArray[np.float32], theta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def beta_r_from_Ma_theta(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma3_from_Ma_theta(Ma: Scalar, theta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Mach number behind the regularly reflected shock of a wedge of theta degrees; NaN as for
beta_r_from_Ma_theta."""
@overload
def Ma3_from_Ma_theta(Ma: NDArray[np.float32], theta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma3_from_Ma_theta(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P3_P1_from_Ma_theta(Ma: Scalar, theta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static pressure behind the regularly reflected shock over that ahead of the incident one,
(P2/P1)(P3/P2); NaN as for beta_r_from_Ma_theta."""
@overload
def P3_P1_from_Ma_theta(Ma: NDArray[np.float32], theta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P3_P1_from_Ma_theta(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po3_Po1_from_Ma_theta(Ma: Scalar, theta: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Stagnation pressure behind the regularly reflected shock over that ahead of the incident
one; NaN as for beta_r_from_Ma_theta."""
@overload
def Po3_Po1_from_Ma_theta(Ma: NDArray[np.float32], theta: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po3_Po1_from_Ma_theta(Ma: ArrayLike, theta: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

def state(Ma: ArrayLike, *, theta: ArrayLike = ..., beta: ArrayLike = ..., Mn1: ArrayLike = ..., ga: ArrayLike = ..., strong: FlagLike = ...) -> Result:
    """Every quantity of the oblique shock in a stream of Mach number Ma, known by one keyword:
the deflection theta or the wave angle beta (degrees), or the normal component Mn1.

From theta, ``strong`` picks the shock (False the weak one, the default; True the strong
one). Returns a Result with the fields beta, theta, Mn1, Mn2, Ma2, P2_P1, T2_T1, rho2_rho1,
Po2_Po1, theta_max (the largest deflection at Ma) and detached (a bool array: theta above
theta_max, where the shock stands detached and every other field but theta_max is NaN,
without a status). Every field has the inputs' broadcast shape; Dask stays lazy, xarray and
pandas keep their labels. A known value outside its domain (a negative theta, beta below
the Mach angle, Mn1 outside [1, Ma], Ma < 1) gives NaN with NumPy's invalid status."""
