# Type stubs of vortalix2_flows.fanno, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar

__all__ = ['fLstar_D_from_Ma', 'P_Pstar_from_Ma', 'T_Tstar_from_Ma', 'rho_rhostar_from_Ma', 'V_Vstar_from_Ma', 'Ma_from_fLstar_D', 'Ma_from_P_Pstar', 'Ma_from_T_Tstar', 'Ma_from_rho_rhostar', 'Ma_from_V_Vstar', 'Po_Postar_from_Ma', 'Ma_from_Po_Postar', 'state', 'between', 'after']

@overload
def fLstar_D_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """fLstar_D = f L*/D, the friction length to choking, Ma >= 0.

0 at Ma = 1, +inf at Ma = 0, (ga + 1)/(2 ga) ln((ga + 1)/(ga - 1)) - 1/ga at Ma = inf.
Evaluated in a form that does not cancel near Ma = 1.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def fLstar_D_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def fLstar_D_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def P_Pstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """P/P* = sqrt((ga + 1)/(2 + (ga - 1) Ma^2))/Ma, Ma >= 0.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def P_Pstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def P_Pstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def T_Tstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), Ma >= 0.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def T_Tstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def T_Tstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def rho_rhostar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """rho/rho* = sqrt((2 + (ga - 1) Ma^2)/(ga + 1))/Ma, Ma >= 0.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def rho_rhostar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def rho_rhostar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def V_Vstar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """V/V* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), Ma >= 0.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def V_Vstar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def V_Vstar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_fLstar_D(fLstar_D: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from fLstar_D = f L*/D >= 0 on the requested branch.

Subsonic: every value >= 0 (0 gives 1, +inf gives 0). Supersonic: up to the limit at
Ma = inf (which gives +inf); NaN above it.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_fLstar_D(fLstar_D: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_fLstar_D(fLstar_D: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_P_Pstar(P_Pstar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from P/P* >= 0 (P/P* falls monotonically; 0 gives +inf, +inf gives 0).

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_P_Pstar(P_Pstar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_P_Pstar(P_Pstar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_T_Tstar(T_Tstar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from 0 <= T/T* <= (ga + 1)/2 (T/T* falls monotonically; 0 gives +inf).

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_T_Tstar(T_Tstar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_T_Tstar(T_Tstar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_rho_rhostar(rho_rhostar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from rho/rho* >= sqrt((ga - 1)/(ga + 1)) (rho/rho* falls monotonically; its lower end,
the limit at Ma = inf, gives +inf, +inf gives 0; NaN below). Closed form.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_rho_rhostar(rho_rhostar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_rho_rhostar(rho_rhostar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_V_Vstar(V_Vstar: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from 0 <= V/V* <= sqrt((ga + 1)/(ga - 1)) (V/V* rises monotonically; the upper end, the
limit at Ma = inf, gives +inf; NaN outside). Closed form.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_V_Vstar(V_Vstar: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_V_Vstar(V_Vstar: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Po_Postar_from_Ma(Ma: Scalar, ga: Scalar = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """A/A* = (1/Ma) (2/(ga + 1) To/T)^((ga + 1)/(2 (ga - 1))), for Ma >= 0.

+inf at Ma = 0 and Ma = inf, NaN for Ma < 0 (the core gives a number there). The core's
bits for finite Ma >= 0.

The same relation as isentropic.A_Acrit_from_Ma.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Po_Postar_from_Ma(Ma: NDArray[np.float32], ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Po_Postar_from_Ma(Ma: ArrayLike, ga: ArrayLike = ..., *, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po_Postar(Po_Postar: Scalar, ga: Scalar = ..., *, sup: Flag, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from A/A* >= 1 on the branch ``sup`` picks (NaN below 1).

Unlike the core's bisection, this always answers on the requested branch: A/A* = 1 gives 1,
+inf gives 0 (subsonic) or +inf (supersonic).

The same relation as isentropic.Ma_from_A_Acrit.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""
@overload
def Ma_from_Po_Postar(Po_Postar: NDArray[np.float32], ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float32]: ...  # type: ignore[overload-overlap]
@overload
def Ma_from_Po_Postar(Po_Postar: ArrayLike, ga: ArrayLike = ..., *, sup: FlagLike, out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...) -> NDArray[np.float64]: ...

def state(*, Ma: ArrayLike = ..., P_Pstar: ArrayLike = ..., T_Tstar: ArrayLike = ..., rho_rhostar: ArrayLike = ..., V_Vstar: ArrayLike = ..., Po_Postar: ArrayLike = ..., fLstar_D: ArrayLike = ..., ga: ArrayLike = ..., sup: FlagLike = ...) -> Result:
    """Every Fanno ratio of the state known by one keyword: Ma, P_Pstar, T_Tstar, rho_rhostar,
V_Vstar, Po_Postar or fLstar_D (the friction length to choking, f L*/D).

Po_Postar and fLstar_D take every value twice: ``sup`` must be given with them (False the
subsonic root, True the supersonic one). Returns a Result with the fields Ma, P_Pstar,
T_Tstar, rho_rhostar, V_Vstar, Po_Postar and fLstar_D, each of the inputs' broadcast shape
and computed by this module's functions (Dask stays lazy, xarray and pandas keep their
labels). A known value outside its domain gives NaN everywhere with NumPy's invalid status.
In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor)."""

def between(Ma1: ArrayLike, Ma2: ArrayLike, ga: ArrayLike = ...) -> Result:
    """Every ratio from station 1 to station 2 of a Fanno duct: P2_P1, T2_T1, rho2_rho1, V2_V1,
Po2_Po1 and fL_D = f L/D, the friction length between them (f the Darcy factor, 4 times the
Fanning factor), as a Result of the inputs' broadcast shape.

Friction only drives the flow towards Ma = 1: a pair that friction cannot join (Ma2
farther from 1 than Ma1, or on the other side of it) gives NaN with NumPy's invalid status."""

def after(Ma1: ArrayLike, fL_D: ArrayLike, ga: ArrayLike = ...) -> NDArray[np.float64]:
    """The Mach number at the end of a Fanno duct of friction length fL_D = f L/D (f the Darcy
factor, 4 times the Fanning factor) from Ma1 at its inlet, on the branch of Ma1 (Ma1 = 1
counts as subsonic).

A duct longer than L*, the length to choking from Ma1 (fL_D > fLstar_D(Ma1)), or a
negative fL_D, gives NaN with NumPy's invalid status: no such steady flow exists with
that inlet state. Physically the flow then chokes: a subsonic inlet state changes (less
mass flow enters, at a lower Ma1), and a supersonic one sees a shock stand in the duct."""
