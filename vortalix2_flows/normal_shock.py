"""A stationary normal shock in a calorically perfect gas, from the upstream Mach number Ma.

Every relation is defined for Ma >= 1 (NaN below: no shock stands in subsonic flow), and every
inversion returns the upstream Ma >= 1. Arguments broadcast; ``ga`` > 1 (else NaN). Where
``vortalix2`` has the same relation, float64 input inside the domain gives exactly its bits.
"""
from ._ufuncs import export as _export

__all__ = _export(globals())

from ._results import MISSING as _MISSING  # noqa: E402
from ._results import Result as _Result  # noqa: E402
from ._results import array_like as _array_like  # noqa: E402
from ._results import known as _known  # noqa: E402
from ._results import like as _like  # noqa: E402
from ._results import mach_from as _mach_from  # noqa: E402

_STATE_FROM = {
    "Ma2": (Ma_from_Ma2, None), "P2_P1": (Ma_from_P2_P1, None),  # noqa: F821
    "T2_T1": (Ma_from_T2_T1, None), "rho2_rho1": (Ma_from_rho2_rho1, None),  # noqa: F821
    "Po2_Po1": (Ma_from_Po2_Po1, None), "Po2_P1": (Ma_from_Po2_P1, None),  # noqa: F821
}


def state(*, Ma=_MISSING, Ma2=_MISSING, P2_P1=_MISSING, T2_T1=_MISSING, rho2_rho1=_MISSING,
          Po2_Po1=_MISSING, Po2_P1=_MISSING, ga=1.4):
    """Every quantity of the normal shock known by one keyword: the upstream Ma, the downstream
    Ma2, or one of the ratios P2_P1, T2_T1, rho2_rho1, Po2_Po1 (stagnation pressures) or
    Po2_P1 (the pitot ratio).

    Returns a Result with the fields Ma, Ma2, P2_P1, T2_T1, rho2_rho1, Po2_Po1, Po2_P1 and the
    entropy rise ds_R = (s2 - s1)/R, each of the inputs' broadcast shape and computed by this
    module's functions (Dask stays lazy, xarray and pandas keep their labels). A known value
    outside its domain gives NaN everywhere with NumPy's invalid status. The known field is the
    value given, broadcast.
    """
    call = "normal_shock.state"
    given = {"Ma": Ma, "Ma2": Ma2, "P2_P1": P2_P1, "T2_T1": T2_T1, "rho2_rho1": rho2_rho1,
             "Po2_Po1": Po2_Po1, "Po2_P1": Po2_P1}
    name, x = _known(call, given, list(given))
    x = _array_like(x)
    M = _mach_from(call, name, x, ga, None, _STATE_FROM)
    f = {"Ma": None, "Ma2": Ma2_from_Ma(M, ga), "P2_P1": P2_P1_from_Ma(M, ga),  # noqa: F821
         "T2_T1": T2_T1_from_Ma(M, ga), "rho2_rho1": rho2_rho1_from_Ma(M, ga),  # noqa: F821
         "Po2_Po1": Po2_Po1_from_Ma(M, ga), "Po2_P1": Po2_P1_from_Ma(M, ga),  # noqa: F821
         "ds_R": ds_R_from_Ma(M, ga)}  # noqa: F821
    ref = f["P2_P1"]
    f["Ma"] = _like(M, ref)
    f[name] = _like(x, ref)
    return _Result(call, f)


__all__ += ["state"]
