"""Fanno flow: adiabatic flow with wall friction in a duct of constant area, referred to the
sonic state (starred) that the duct reaches at its choking length L*.

In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor), D the
hydraulic diameter; with Fanning's factor the same quantity is 4 f L*/D. With
q = 2 + (ga - 1) Ma^2:

- f L*/D = (1 - Ma^2)/(ga Ma^2) + (ga + 1)/(2 ga) ln((ga + 1) Ma^2/q)
- T/T* = (ga + 1)/q,  P/P* = sqrt((ga + 1)/q)/Ma,  rho/rho* = sqrt(q/(ga + 1))/Ma,
  V/V* = Ma sqrt((ga + 1)/q),  Po/Po* = (q/(ga + 1))^((ga + 1)/(2 (ga - 1)))/Ma.

Every relation takes Ma >= 0 (NaN below; the limit at Ma = 0 and inf). f L*/D and Po/Po*
take every value twice, once on each side of Ma = 1: their inversions take ``sup``, False (or
0) for the subsonic root and True (or 1) for the supersonic one, keyword-only and required. Arguments broadcast,
``ga`` and ``sup`` included; ``ga`` > 1 (else NaN). ``state`` gives every ratio of the
state known by one of them; ``between`` the ratios between two stations, ``after`` the Mach
number at the end of a duct.
"""
from ._ufuncs import export as _export

__all__ = _export(globals())

# Every function of the family says what f is, the aliases of isentropic relations too.
for _name in __all__:
    _f = globals()[_name]
    if "Darcy" not in _f.__doc__:
        _f.__doc__ += ("\n\nIn fLstar_D = f L*/D, f is the Darcy friction factor (4 times the "
                       "Fanning factor).")

from ._results import MISSING as _MISSING  # noqa: E402
from ._results import Result as _Result  # noqa: E402
from ._results import array_like as _array_like  # noqa: E402
from ._results import known as _known  # noqa: E402
from ._results import like as _like  # noqa: E402
from ._results import mach_from as _mach_from  # noqa: E402
from ._results import unless as _unless  # noqa: E402

_FRICTION = "f is the Darcy friction factor (4 times the Fanning factor)"
_STATE_FROM = {
    "P_Pstar": (Ma_from_P_Pstar, None), "T_Tstar": (Ma_from_T_Tstar, None),  # noqa: F821
    "rho_rhostar": (Ma_from_rho_rhostar, None), "V_Vstar": (Ma_from_V_Vstar, None),  # noqa: F821
    "Po_Postar": (Ma_from_Po_Postar, "Ma = 1"), "fLstar_D": (Ma_from_fLstar_D, "Ma = 1"),  # noqa: F821
}
_RATIOS = ("P_Pstar", "T_Tstar", "rho_rhostar", "V_Vstar", "Po_Postar")


def _ratios(M, ga):
    return {"P_Pstar": P_Pstar_from_Ma(M, ga), "T_Tstar": T_Tstar_from_Ma(M, ga),  # noqa: F821
            "rho_rhostar": rho_rhostar_from_Ma(M, ga), "V_Vstar": V_Vstar_from_Ma(M, ga),  # noqa: F821
            "Po_Postar": Po_Postar_from_Ma(M, ga)}  # noqa: F821


def state(*, Ma=_MISSING, P_Pstar=_MISSING, T_Tstar=_MISSING, rho_rhostar=_MISSING,
          V_Vstar=_MISSING, Po_Postar=_MISSING, fLstar_D=_MISSING, ga=1.4, sup=_MISSING):
    """Every Fanno ratio of the state known by one keyword: Ma, P_Pstar, T_Tstar, rho_rhostar,
    V_Vstar, Po_Postar or fLstar_D (the friction length to choking, f L*/D).

    Po_Postar and fLstar_D take every value twice: ``sup`` must be given with them (False the
    subsonic root, True the supersonic one). Returns a Result with the fields Ma, P_Pstar,
    T_Tstar, rho_rhostar, V_Vstar, Po_Postar and fLstar_D, each of the inputs' broadcast shape
    and computed by this module's functions (Dask stays lazy, xarray and pandas keep their
    labels). A known value outside its domain gives NaN everywhere with NumPy's invalid status.
    In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).
    """
    call = "fanno.state"
    given = {"Ma": Ma, "P_Pstar": P_Pstar, "T_Tstar": T_Tstar, "rho_rhostar": rho_rhostar,
             "V_Vstar": V_Vstar, "Po_Postar": Po_Postar, "fLstar_D": fLstar_D}
    name, x = _known(call, given, list(given), "; Po_Postar and fLstar_D also need sup")
    x = _array_like(x)
    M = _mach_from(call, name, x, ga, sup, _STATE_FROM)
    f = {"Ma": None, **_ratios(M, ga), "fLstar_D": fLstar_D_from_Ma(M, ga)}  # noqa: F821
    ref = f["T_Tstar"]
    f["Ma"] = _like(M, ref)
    f[name] = _like(x, ref)
    return _Result(call, f)


def _joined(Ma1, Ma2):
    """Whether friction joins station 1 to station 2: towards Ma = 1 on one side of it (NaN
    counts as joined: its fields are NaN without a status)."""
    return (((Ma1 <= Ma2) & (Ma2 <= 1.0)) | ((1.0 <= Ma2) & (Ma2 <= Ma1))
            | (Ma1 != Ma1) | (Ma2 != Ma2))


def between(Ma1, Ma2, ga=1.4):
    """Every ratio from station 1 to station 2 of a Fanno duct: P2_P1, T2_T1, rho2_rho1, V2_V1,
    Po2_Po1 and fL_D = f L/D, the friction length between them (f the Darcy factor, 4 times the
    Fanning factor), as a Result of the inputs' broadcast shape.

    Friction only drives the flow towards Ma = 1: a pair that friction cannot join (Ma2
    farther from 1 than Ma1, or on the other side of it) gives NaN with NumPy's invalid status.
    """
    Ma1, Ma2 = _array_like(Ma1), _array_like(Ma2)
    # A pair friction cannot join goes in as Ma2 = -1, outside every relation's domain.
    Ma2 = _unless(_joined(Ma1, Ma2), Ma2, -1.0)
    one, two = _ratios(Ma1, ga), _ratios(Ma2, ga)
    f = {n.split("_")[0] + "2_" + n.split("_")[0] + "1": two[n] / one[n] for n in _RATIOS}
    f["fL_D"] = fLstar_D_from_Ma(Ma1, ga) - fLstar_D_from_Ma(Ma2, ga)  # noqa: F821
    return _Result("fanno.between", f)


def after(Ma1, fL_D, ga=1.4):
    """The Mach number at the end of a Fanno duct of friction length fL_D = f L/D (f the Darcy
    factor, 4 times the Fanning factor) from Ma1 at its inlet, on the branch of Ma1 (Ma1 = 1
    counts as subsonic).

    A duct longer than L*, the length to choking from Ma1 (fL_D > fLstar_D(Ma1)), or a
    negative fL_D, gives NaN with NumPy's invalid status: no such steady flow exists with
    that inlet state. Physically the flow then chokes: a subsonic inlet state changes (less
    mass flow enters, at a lower Ma1), and a supersonic one sees a shock stand in the duct.
    """
    Ma1, fL_D = _array_like(Ma1), _array_like(fL_D)
    rest = fLstar_D_from_Ma(Ma1, ga) - fL_D  # noqa: F821
    rest = _unless((fL_D >= 0.0) | (fL_D != fL_D), rest, -1.0)
    return Ma_from_fLstar_D(rest, ga, sup=Ma1 > 1.0)  # noqa: F821


__all__ += ["state", "between", "after"]
