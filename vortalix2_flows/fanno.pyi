# Type stubs of vortalix2_flows.fanno. Scalars in give a numpy.float64, anything array-like
# an ndarray of float64 (the overloads overlap where NumPy's own do: a scalar is array-like).
from typing import Union, overload

import numpy as np
from numpy.typing import ArrayLike, NDArray

_Scalar = Union[float, int, np.floating, np.integer]
_Flag = Union[bool, int, np.bool_, None]
_FlagLike = Union[_Flag, ArrayLike]

__all__ = ['fLstar_D_from_Ma', 'P_Pstar_from_Ma', 'T_Tstar_from_Ma', 'rho_rhostar_from_Ma', 'Po_Postar_from_Ma', 'V_Vstar_from_Ma', 'Ma_from_fLstar_D', 'Ma_from_P_Pstar', 'Ma_from_T_Tstar', 'Ma_from_Po_Postar']

@overload
def fLstar_D_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """4 f L*/D (f the Fanning friction factor): the friction length to choking, Ma >= 0.

0 at Ma = 1, +inf at Ma = 0, (ga + 1)/(2 ga) ln((ga + 1)/(ga - 1)) - 1/ga at Ma = inf.
Evaluated in a form that does not cancel near Ma = 1."""
@overload
def fLstar_D_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def P_Pstar_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """P/P* = sqrt((ga + 1)/(2 + (ga - 1) Ma^2))/Ma, Ma >= 0."""
@overload
def P_Pstar_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def T_Tstar_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), Ma >= 0."""
@overload
def T_Tstar_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def rho_rhostar_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """rho/rho* = sqrt((2 + (ga - 1) Ma^2)/(ga + 1))/Ma, Ma >= 0."""
@overload
def rho_rhostar_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def Po_Postar_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """Po/Po* = ((2 + (ga - 1) Ma^2)/(ga + 1))^((ga + 1)/(2 (ga - 1)))/Ma, Ma >= 0.

The same quantity as the isentropic A/A* (and the same bits)."""
@overload
def Po_Postar_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def V_Vstar_from_Ma(Ma: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """V/V* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), Ma >= 0."""
@overload
def V_Vstar_from_Ma(Ma: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def Ma_from_fLstar_D(fLstar_D: _Scalar, ga: _Scalar, sup: _Flag = False) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from 4 f L*/D >= 0 (f the Fanning friction factor) on the requested branch.

Subsonic: every value >= 0 (0 gives 1, +inf gives 0). Supersonic: up to the limit at
Ma = inf (which gives +inf); NaN above it."""
@overload
def Ma_from_fLstar_D(fLstar_D: ArrayLike, ga: ArrayLike, sup: _FlagLike = False) -> NDArray[np.float64]: ...

@overload
def Ma_from_P_Pstar(P_Pstar: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from P/P* >= 0 (P/P* falls monotonically; 0 gives +inf, +inf gives 0)."""
@overload
def Ma_from_P_Pstar(P_Pstar: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def Ma_from_T_Tstar(T_Tstar: _Scalar, ga: _Scalar) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from 0 <= T/T* <= (ga + 1)/2 (T/T* falls monotonically; 0 gives +inf)."""
@overload
def Ma_from_T_Tstar(T_Tstar: ArrayLike, ga: ArrayLike) -> NDArray[np.float64]: ...

@overload
def Ma_from_Po_Postar(Po_Postar: _Scalar, ga: _Scalar, sup: _Flag = False) -> np.float64:  # type: ignore[overload-overlap]
    """Ma from Po/Po* >= 1 on the requested side of Ma = 1 (1 gives 1; +inf gives 0 or +inf).

The same as isentropic.Ma_from_A_Acrit."""
@overload
def Ma_from_Po_Postar(Po_Postar: ArrayLike, ga: ArrayLike, sup: _FlagLike = False) -> NDArray[np.float64]: ...
