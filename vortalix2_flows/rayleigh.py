"""Rayleigh flow: frictionless flow in a duct of constant area with heat added or removed,
referred to the sonic state (starred) that heat addition reaches. With p = 1 + ga Ma^2 and
q = 2 + (ga - 1) Ma^2:

- To/To* = (ga + 1) Ma^2 q/p^2 (largest, 1, at Ma = 1)
- P/P* = (ga + 1)/p,  T/T* = (Ma (ga + 1)/p)^2 (largest at Ma = 1/sqrt(ga)),
  rho/rho* = p/((ga + 1) Ma^2),  V/V* = (ga + 1) Ma^2/p
- Po/Po* = ((ga + 1)/p) (q/(ga + 1))^(ga/(ga - 1)) (smallest, 1, at Ma = 1)

Every relation takes Ma >= 0 (NaN below; the limit at Ma = inf). The inversions of To/To*,
Po/Po* and T/T* take ``sup``: False (or 0) for the root below the relation's extremum,
True (or 1) for the root above it; the extremum is Ma = 1, except for T/T*, where it is
Ma = 1/sqrt(ga). Arguments broadcast, ``ga`` and ``sup`` included; ``ga`` > 1 (else NaN).
"""
from ._ufuncs import export as _export

__all__ = _export(globals())

from ._results import MISSING as _MISSING  # noqa: E402
from ._results import Result as _Result  # noqa: E402
from ._results import array_like as _array_like  # noqa: E402
from ._results import known as _known  # noqa: E402
from ._results import like as _like  # noqa: E402
from ._results import mach_from as _mach_from  # noqa: E402
from ._results import unless as _unless  # noqa: E402

_STATE_FROM = {
    "P_Pstar": (Ma_from_P_Pstar, None), "rho_rhostar": (Ma_from_rho_rhostar, None),  # noqa: F821
    "V_Vstar": (Ma_from_V_Vstar, None), "To_Tostar": (Ma_from_To_Tostar, "Ma = 1"),  # noqa: F821
    "Po_Postar": (Ma_from_Po_Postar, "Ma = 1"),  # noqa: F821
    "T_Tstar": (Ma_from_T_Tstar, "the maximum of T/T* at Ma = 1/sqrt(ga), not Ma = 1"),  # noqa: F821
}
_RATIOS = ("P_Pstar", "T_Tstar", "rho_rhostar", "V_Vstar", "Po_Postar", "To_Tostar")


def _ratios(M, ga):
    return {"To_Tostar": To_Tostar_from_Ma(M, ga), "P_Pstar": P_Pstar_from_Ma(M, ga),  # noqa: F821
            "T_Tstar": T_Tstar_from_Ma(M, ga), "rho_rhostar": rho_rhostar_from_Ma(M, ga),  # noqa: F821
            "V_Vstar": V_Vstar_from_Ma(M, ga), "Po_Postar": Po_Postar_from_Ma(M, ga)}  # noqa: F821


def state(*, Ma=_MISSING, To_Tostar=_MISSING, P_Pstar=_MISSING, T_Tstar=_MISSING,
          rho_rhostar=_MISSING, V_Vstar=_MISSING, Po_Postar=_MISSING, ga=1.4, sup=_MISSING):
    """Every Rayleigh ratio of the state known by one keyword: Ma, To_Tostar, P_Pstar, T_Tstar,
    rho_rhostar, V_Vstar or Po_Postar.

    To_Tostar, Po_Postar and T_Tstar take every value twice: ``sup`` must be given with them.
    For To_Tostar and Po_Postar it picks the side of Ma = 1 (False subsonic, True
    supersonic); for T_Tstar the side of its maximum at Ma = 1/sqrt(ga), not of Ma = 1 (False
    the root below 1/sqrt(ga), True the one above). Returns a Result with the fields Ma,
    To_Tostar, P_Pstar, T_Tstar, rho_rhostar, V_Vstar and Po_Postar, each of the inputs'
    broadcast shape and computed by this module's functions (Dask stays lazy, xarray and
    pandas keep their labels). A known value outside its domain gives NaN everywhere with
    NumPy's invalid status.
    """
    call = "rayleigh.state"
    given = {"Ma": Ma, "To_Tostar": To_Tostar, "P_Pstar": P_Pstar, "T_Tstar": T_Tstar,
             "rho_rhostar": rho_rhostar, "V_Vstar": V_Vstar, "Po_Postar": Po_Postar}
    name, x = _known(call, given, list(given),
                     "; To_Tostar and Po_Postar also need sup (the side of Ma = 1), T_Tstar "
                     "too (the side of its maximum at Ma = 1/sqrt(ga), not of Ma = 1)")
    x = _array_like(x)
    M = _mach_from(call, name, x, ga, sup, _STATE_FROM)
    f = {"Ma": None, **_ratios(M, ga)}
    ref = f["P_Pstar"]
    f["Ma"] = _like(M, ref)
    f[name] = _like(x, ref)
    return _Result(call, f)


def between(Ma1, Ma2, ga=1.4):
    """Every ratio from station 1 to station 2 of a Rayleigh duct: P2_P1, T2_T1, rho2_rho1,
    V2_V1, Po2_Po1, To2_To1 and q_cpTo1 = To2_To1 - 1, the heat added per unit mass over
    cp To1 (negative where heat is removed), as a Result of the inputs' broadcast shape.

    A pair on opposite sides of Ma = 1 gives NaN with NumPy's invalid status (Ma = 1 is on
    both sides).
    """
    Ma1, Ma2 = _array_like(Ma1), _array_like(Ma2)
    joined = (((Ma1 <= 1.0) & (Ma2 <= 1.0)) | ((Ma1 >= 1.0) & (Ma2 >= 1.0))
              | (Ma1 != Ma1) | (Ma2 != Ma2))
    # A pair on opposite sides goes in as Ma2 = -1, outside every relation's domain.
    Ma2 = _unless(joined, Ma2, -1.0)
    one, two = _ratios(Ma1, ga), _ratios(Ma2, ga)
    f = {n.split("_")[0] + "2_" + n.split("_")[0] + "1": two[n] / one[n] for n in _RATIOS}
    f["q_cpTo1"] = f["To2_To1"] - 1.0
    return _Result("rayleigh.between", f)


def after(Ma1, To2_To1, ga=1.4):
    """The Mach number after heat changes the total temperature by To2_To1 from Ma1, on the
    branch of Ma1 (Ma1 = 1 counts as subsonic): To/To*(Ma2) = To2_To1 To/To*(Ma1).

    Heat beyond choking (To/To*(Ma2) above 1), or cooling a supersonic flow below the limit
    at Ma = inf, gives NaN with NumPy's invalid status: no steady flow exists with that inlet
    state. Physically the flow chokes: a subsonic inlet state changes (less mass flow enters),
    and in a supersonic one a shock stands in the duct.
    """
    Ma1 = _array_like(Ma1)
    target = To_Tostar_from_Ma(Ma1, ga) * To2_To1  # noqa: F821
    return Ma_from_To_Tostar(target, ga, sup=Ma1 > 1.0)  # noqa: F821


__all__ += ["state", "between", "after"]
