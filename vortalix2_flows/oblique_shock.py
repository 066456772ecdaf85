"""A plane oblique shock in a calorically perfect gas. Angles are in degrees.

The stream of Mach number ``Ma`` meets a shock at the wave angle ``beta`` and is turned through
the deflection ``theta``. The relations of ``(Ma, beta)`` are defined for 1 <= Ma < inf and the
Mach angle asin(1/Ma) <= beta <= 90 (NaN elsewhere): the normal component
Mn1 = Ma sin(beta) crosses a normal shock, the tangential one is kept.

``beta_from_Ma_theta`` has two roots for 0 <= theta < theta_max: ``strong`` False (the
default, or 0) gives the weak one, below ``beta_at_theta_max_from_Ma``; True (or 1) the strong one, above
it. theta equal to ``theta_max_from_Ma(Ma)`` gives ``beta_at_theta_max_from_Ma(Ma)`` on both
branches; theta above it is a detached shock: NaN. Arguments broadcast, ``ga`` and ``strong``
included; ``ga`` > 1 (else NaN).

``turn`` turns a stream through a shock or a fan, whichever the sign of the deflection asks
for, ``reflect`` reflects the shock of a wedge from a wall, and ``polar`` gives the
pressure-deflection polar; the first two return a result object with the relations' fields.
"""
from ._ufuncs import export as _export

from ._turns import polar, reflect, turn

__all__ = _export(globals())

import numpy as _np  # noqa: E402

from . import normal_shock as _normal_shock  # noqa: E402
from ._results import MISSING as _MISSING  # noqa: E402
from ._results import Result as _Result  # noqa: E402
from ._results import array_like as _array_like  # noqa: E402
from ._results import known as _known  # noqa: E402
from ._results import like as _like  # noqa: E402
from ._results import unless as _unless  # noqa: E402


def state(Ma, *, theta=_MISSING, beta=_MISSING, Mn1=_MISSING, ga=1.4, strong=False):
    """Every quantity of the oblique shock in a stream of Mach number Ma, known by one keyword:
    the deflection theta or the wave angle beta (degrees), or the normal component Mn1.

    From theta, ``strong`` picks the shock (False the weak one, the default; True the strong
    one). Returns a Result with the fields beta, theta, Mn1, Mn2, Ma2, P2_P1, T2_T1, rho2_rho1,
    Po2_Po1, theta_max (the largest deflection at Ma) and detached (a bool array: theta above
    theta_max, where the shock stands detached and every other field but theta_max is NaN,
    without a status). Every field has the inputs' broadcast shape; Dask stays lazy, xarray and
    pandas keep their labels. A known value outside its domain (a negative theta, beta below
    the Mach angle, Mn1 outside [1, Ma], Ma < 1) gives NaN with NumPy's invalid status.
    """
    call = "oblique_shock.state"
    name, x = _known(call, {"theta": theta, "beta": beta, "Mn1": Mn1}, ["theta", "beta", "Mn1"])
    x = _array_like(x)
    Ma = _array_like(Ma)
    top = theta_max_from_Ma(Ma, ga)  # noqa: F821
    if name == "theta":
        detached = x > top
        b = beta_from_Ma_theta(Ma, _unless(~detached, x), ga, strong)  # noqa: F821
    else:
        b = x if name == "beta" else beta_from_Ma_Mn1(Ma, x, ga)  # noqa: F821
    t = theta_from_Ma_beta(Ma, b, ga)  # noqa: F821
    if name != "theta":
        detached = _np.greater(t, _np.inf)  # never: a shock of a given angle stands attached
    mn1 = Mn1_from_Ma_beta(Ma, b, ga)  # noqa: F821
    f = {"beta": b, "theta": t, "Mn1": mn1, "Mn2": _normal_shock.Mash_from_Ma(mn1, ga),
         "Ma2": Ma2_from_Ma_beta(Ma, b, ga), "P2_P1": P2_P1_from_Ma_beta(Ma, b, ga),  # noqa: F821
         "T2_T1": T2_T1_from_Ma_beta(Ma, b, ga),  # noqa: F821
         "rho2_rho1": rho2_rho1_from_Ma_beta(Ma, b, ga),  # noqa: F821
         "Po2_Po1": Po2_Po1_from_Ma_beta(Ma, b, ga), "theta_max": top,  # noqa: F821
         "detached": detached}
    ref = f["P2_P1"]
    f[name] = _like(x, ref)
    f["theta_max"] = _like(top, ref)
    f["detached"] = _like(detached, ref > 0) if _np.shape(detached) != _np.shape(ref) else detached
    return _Result(call, f)


__all__ += ["state"]
__all__ += ["turn", "reflect", "polar"]
