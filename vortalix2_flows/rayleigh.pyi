# Type stubs of vortalix2_flows.rayleigh, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar

__all__ = ['To_Tostar_from_Ma', 'P_Pstar_from_Ma', 'T_Tstar_from_Ma', 'rho_rhostar_from_Ma', 'Po_Postar_from_Ma', 'V_Vstar_from_Ma', 'Ma_from_To_Tostar', 'Ma_from_P_Pstar', 'Ma_from_Po_Postar', 'Ma_from_T_Tstar', 'Ma_from_rho_rhostar', 'Ma_from_V_Vstar', 'state', 'between', 'after']

@overload
def To_Tostar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """To/To* = (ga + 1) Ma^2 (2 + (ga - 1) Ma^2)/(1 + ga Ma^2)^2, Ma >= 0."""
@overload
def To_Tostar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def To_Tostar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P_Pstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """P/P* = (ga + 1)/(1 + ga Ma^2), Ma >= 0."""
@overload
def P_Pstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P_Pstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T_Tstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """T/T* = (Ma (ga + 1)/(1 + ga Ma^2))^2, Ma >= 0."""
@overload
def T_Tstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T_Tstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho_rhostar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """rho/rho* = (1 + ga Ma^2)/((ga + 1) Ma^2), Ma >= 0 (+inf at 0)."""
@overload
def rho_rhostar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho_rhostar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po_Postar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Po/Po* = (ga + 1)/(1 + ga Ma^2) ((2 + (ga - 1) Ma^2)/(ga + 1))^(ga/(ga - 1)), Ma >= 0."""
@overload
def Po_Postar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po_Postar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def V_Vstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """V/V* = (ga + 1) Ma^2/(1 + ga Ma^2), Ma >= 0."""
@overload
def V_Vstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def V_Vstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_To_Tostar(To_Tostar: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from To/To* on the requested side of Ma = 1, in closed form.

Subsonic: 0 <= To/To* <= 1; supersonic: (ga^2 - 1)/ga^2 <= To/To* <= 1, the lower end (the
limit at Ma = inf) giving +inf. NaN elsewhere."""
@overload
def Ma_from_To_Tostar(To_Tostar: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_To_Tostar(To_Tostar: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_P_Pstar(P_Pstar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma = sqrt((ga + 1 - P/P*)/(ga P/P*)) from 0 <= P/P* <= ga + 1 (0 gives +inf)."""
@overload
def Ma_from_P_Pstar(P_Pstar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_P_Pstar(P_Pstar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po_Postar(Po_Postar: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from Po/Po* >= 1 on the requested side of Ma = 1.

Subsonic: up to the value at Ma = 0, (ga + 1) (2/(ga + 1))^(ga/(ga - 1)), which gives 0;
supersonic: every value >= 1 (+inf gives +inf). NaN elsewhere."""
@overload
def Ma_from_Po_Postar(Po_Postar: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Po_Postar(Po_Postar: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_T_Tstar(T_Tstar: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from T/T* on the requested side of its maximum (ga + 1)^2/(4 ga) at Ma = 1/sqrt(ga),
in closed form: sup=False gives the root below 1/sqrt(ga), sup=True the one above.

0 <= T/T* <= the maximum; 0 gives 0 (below) or +inf (above). NaN elsewhere."""
@overload
def Ma_from_T_Tstar(T_Tstar: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_T_Tstar(T_Tstar: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_rho_rhostar(rho_rhostar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma = 1/sqrt((ga + 1) rho/rho* - ga) from rho/rho* >= ga/(ga + 1) (its lower end, the limit at
Ma = inf, gives +inf, +inf gives 0; NaN below)."""
@overload
def Ma_from_rho_rhostar(rho_rhostar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_rho_rhostar(rho_rhostar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_V_Vstar(V_Vstar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma = sqrt(V/V*/((ga + 1) - ga V/V*)) from 0 <= V/V* <= (ga + 1)/ga (the upper end, the limit
at Ma = inf, gives +inf; NaN outside)."""
@overload
def Ma_from_V_Vstar(V_Vstar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_V_Vstar(V_Vstar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

def state(*, Ma: ArrayLike = ..., To_Tostar: ArrayLike = ..., P_Pstar: ArrayLike = ..., T_Tstar: ArrayLike = ..., rho_rhostar: ArrayLike = ..., V_Vstar: ArrayLike = ..., Po_Postar: ArrayLike = ..., ga: ArrayLike = ..., sup: FlagLike = ...) -> Result:
    """Every Rayleigh ratio of the state known by one keyword: Ma, To_Tostar, P_Pstar, T_Tstar,
rho_rhostar, V_Vstar or Po_Postar.

To_Tostar, Po_Postar and T_Tstar take every value twice: ``sup`` must be given with them.
For To_Tostar and Po_Postar it picks the side of Ma = 1 (False subsonic, True
supersonic); for T_Tstar the side of its maximum at Ma = 1/sqrt(ga), not of Ma = 1 (False
the root below 1/sqrt(ga), True the one above). Returns a Result with the fields Ma,
To_Tostar, P_Pstar, T_Tstar, rho_rhostar, V_Vstar and Po_Postar, each of the inputs'
broadcast shape and computed by this module's functions (Dask stays lazy, xarray and
pandas keep their labels). A known value outside its domain gives NaN everywhere with
NumPy's invalid status."""

def between(Ma1: ArrayLike, Ma2: ArrayLike, ga: ArrayLike = ...) -> Result:
    """Every ratio from station 1 to station 2 of a Rayleigh duct: P2_P1, T2_T1, rho2_rho1,
V2_V1, Po2_Po1, To2_To1 and q_cpTo1 = To2_To1 - 1, the heat added per unit mass over
cp To1 (negative where heat is removed), as a Result of the inputs' broadcast shape.

A pair on opposite sides of Ma = 1 gives NaN with NumPy's invalid status (Ma = 1 is on
both sides)."""

def after(Ma1: ArrayLike, To2_To1: ArrayLike, ga: ArrayLike = ...) -> NDArray[np.float64]:
    """The Mach number after heat changes the total temperature by To2_To1 from Ma1, on the
branch of Ma1 (Ma1 = 1 counts as subsonic): To/To*(Ma2) = To2_To1 To/To*(Ma1).

Heat beyond choking (To/To*(Ma2) above 1), or cooling a supersonic flow below the limit
at Ma = inf, gives NaN with NumPy's invalid status: no steady flow exists with that inlet
state. Physically the flow chokes: a subsonic inlet state changes (less mass flow enters),
and in a supersonic one a shock stands in the duct."""
