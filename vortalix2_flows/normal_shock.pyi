# Type stubs of vortalix2_flows.normal_shock, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar

__all__ = ['Mash_from_Ma', 'Posh_Po_from_Ma', 'P2_P1_from_Ma', 'T2_T1_from_Ma', 'rho2_rho1_from_Ma', 'Po2_P1_from_Ma', 'Ma_from_Mash', 'Ma_from_Posh_Po', 'Ma_from_P2_P1', 'Ma_from_Po2_P1', 'Ma_from_T2_T1', 'Ma_from_rho2_rho1', 'ds_R_from_Ma', 'Ma2_from_Ma', 'Po2_Po1_from_Ma', 'Ma_from_Ma2', 'Ma_from_Po2_Po1', 'state']

@overload
def Mash_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Downstream Mach number sqrt((1 + (ga - 1)/2 Ma^2)/(ga Ma^2 - (ga - 1)/2)), Ma >= 1.

sqrt((ga - 1)/(2 ga)) at Ma = inf; NaN for Ma < 1 (the core evaluates the formula there)."""
@overload
def Mash_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Mash_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Posh_Po_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Stagnation-pressure ratio across the shock, Ma >= 1 (NaN below); the core's bits.

Posh/Po = [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-1/(ga - 1))
          [((ga - 1) Ma^2 + 2)/((ga + 1) Ma^2)]^(-ga/(ga - 1))."""
@overload
def Posh_Po_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Posh_Po_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P2_P1_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static pressure ratio P2/P1 = 1 + 2 ga/(ga + 1) (Ma^2 - 1), Ma >= 1."""
@overload
def P2_P1_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P2_P1_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T2_T1_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Static temperature ratio T2/T1 = (P2/P1)/(rho2/rho1), Ma >= 1."""
@overload
def T2_T1_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T2_T1_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho2_rho1_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Density ratio rho2/rho1 = (ga + 1) Ma^2/((ga - 1) Ma^2 + 2), Ma >= 1.

(ga + 1)/(ga - 1) at Ma = inf."""
@overload
def rho2_rho1_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho2_rho1_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po2_P1_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Pitot ratio Po2/P1 (stagnation pressure behind the shock over static ahead), Ma >= 1.

Po2/P1 = ((ga + 1)/2 Ma^2)^(ga/(ga - 1)) ((ga + 1)/(2 ga Ma^2 - (ga - 1)))^(1/(ga - 1));
at Ma = 1 it is the isentropic Po/P there."""
@overload
def Po2_P1_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po2_P1_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Mash(Mash: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma from the downstream Mach number, sqrt((ga - 1)/(2 ga)) <= Mash <= 1.

The relation is its own inverse (closed form); the lower end gives +inf, NaN outside.
Unlike the core's Newton iteration (stopped at steps below 1e-6), this is the root to
rounding, so its bits differ from the core's."""
@overload
def Ma_from_Mash(Mash: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Mash(Mash: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Posh_Po(Posh_Po: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma >= 1 from Posh/Po, 0 <= Posh/Po <= 1 (1 gives 1, 0 gives +inf).

NaN outside: unlike the core, ratios above 1 (where no shock exists) give NaN."""
@overload
def Ma_from_Posh_Po(Posh_Po: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Posh_Po(Posh_Po: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_P2_P1(P2_P1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma = sqrt(1 + (P2/P1 - 1)(ga + 1)/(2 ga)) from P2/P1 >= 1 (NaN below)."""
@overload
def Ma_from_P2_P1(P2_P1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_P2_P1(P2_P1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po2_P1(Po2_P1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma >= 1 from the pitot ratio Po2/P1 >= its value at Ma = 1 (NaN below)."""
@overload
def Ma_from_Po2_P1(Po2_P1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Po2_P1(Po2_P1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_T2_T1(T2_T1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma >= 1 from T2/T1 >= 1 (NaN below), closed form (the positive root of a
quadratic in Ma^2); +inf gives +inf."""
@overload
def Ma_from_T2_T1(T2_T1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_T2_T1(T2_T1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_rho2_rho1(rho2_rho1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma = sqrt(2 x/(2 - (ga - 1)(x - 1))) from x = rho2/rho1, 1 <= x <= (ga + 1)/(ga - 1)
(the limit at Ma = inf, which gives +inf); NaN outside."""
@overload
def Ma_from_rho2_rho1(rho2_rho1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_rho2_rho1(rho2_rho1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def ds_R_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Entropy rise across the shock (s2 - s1)/R = -ln(Po2/Po1), Ma >= 1 (NaN below).

0 at Ma = 1, +inf at Ma = inf. Evaluated in a form that keeps its relative accuracy near
Ma = 1, where it is of order (Ma - 1)^3."""
@overload
def ds_R_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def ds_R_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma2_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Downstream Mach number sqrt((1 + (ga - 1)/2 Ma^2)/(ga Ma^2 - (ga - 1)/2)), Ma >= 1.

sqrt((ga - 1)/(2 ga)) at Ma = inf; NaN for Ma < 1 (the core evaluates the formula there).

The same relation as normal_shock.Mash_from_Ma."""
@overload
def Ma2_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma2_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po2_Po1_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Stagnation-pressure ratio across the shock, Ma >= 1 (NaN below); the core's bits.

Posh/Po = [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-1/(ga - 1))
          [((ga - 1) Ma^2 + 2)/((ga + 1) Ma^2)]^(-ga/(ga - 1)).

The same relation as normal_shock.Posh_Po_from_Ma."""
@overload
def Po2_Po1_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po2_Po1_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Ma2(Ma2: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma from the downstream Mach number, sqrt((ga - 1)/(2 ga)) <= Mash <= 1.

The relation is its own inverse (closed form); the lower end gives +inf, NaN outside.
Unlike the core's Newton iteration (stopped at steps below 1e-6), this is the root to
rounding, so its bits differ from the core's.

The same relation as normal_shock.Ma_from_Mash."""
@overload
def Ma_from_Ma2(Ma2: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Ma2(Ma2: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po2_Po1(Po2_Po1: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Upstream Ma >= 1 from Posh/Po, 0 <= Posh/Po <= 1 (1 gives 1, 0 gives +inf).

NaN outside: unlike the core, ratios above 1 (where no shock exists) give NaN.

The same relation as normal_shock.Ma_from_Posh_Po."""
@overload
def Ma_from_Po2_Po1(Po2_Po1: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Po2_Po1(Po2_Po1: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

def state(*, Ma: ArrayLike = ..., Ma2: ArrayLike = ..., P2_P1: ArrayLike = ..., T2_T1: ArrayLike = ..., rho2_rho1: ArrayLike = ..., Po2_Po1: ArrayLike = ..., Po2_P1: ArrayLike = ..., ga: ArrayLike = ...) -> Result:
    """Every quantity of the normal shock known by one keyword: the upstream Ma, the downstream
Ma2, or one of the ratios P2_P1, T2_T1, rho2_rho1, Po2_Po1 (stagnation pressures) or
Po2_P1 (the pitot ratio).

Returns a Result with the fields Ma, Ma2, P2_P1, T2_T1, rho2_rho1, Po2_Po1, Po2_P1 and the
entropy rise ds_R = (s2 - s1)/R, each of the inputs' broadcast shape and computed by this
module's functions (Dask stays lazy, xarray and pandas keep their labels). A known value
outside its domain gives NaN everywhere with NumPy's invalid status. The known field is the
value given, broadcast."""
