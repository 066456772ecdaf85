"""Isentropic flow of a calorically perfect gas: Mach number to flow quantity and back.

Every function is a NumPy ufunc behind a Python function (``f.ufunc``): array-likes or scalars,
broadcast against each other (``ga`` and ``sup`` included), float64 out (float32 for float32
values), the ufunc keywords (``out``, ``where``, ``dtype``, ...) passed through, and ``ga``
1.4 unless given. ``ga`` is the ratio of specific heats, > 1 (else NaN). Outside a
relation's domain the result is NaN, or the infinite limit at its end. Where ``vortalix2`` has
the same relation, float64 input inside the domain gives exactly its bits, but for
Ma_from_Po_P and Ma_from_rhoo_rho, whose forms do not cancel near Ma = 0 (1e-14 relative
there, where the core's lose up to 1.2e-8). Angles in degrees. ``state`` returns every quantity
of the state known by one of them.

``sup`` picks the branch of the relations that take every value twice, once on each side of
their extremum at Ma = 1: False (or 0) the subsonic root, True (or 1) the supersonic one. It is
keyword-only and must be given. Outside a domain NaN raises NumPy's invalid status.
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
    "To_T": (Ma_from_To_T, None), "Po_P": (Ma_from_Po_P, None),  # noqa: F821
    "rhoo_rho": (Ma_from_rhoo_rho, None), "A_Acrit": (Ma_from_A_Acrit, "Ma = 1"),  # noqa: F821
    "V_cpTo": (Ma_from_V_cpTo, None), "mcpTo_APo": (Ma_from_mcpTo_APo, "Ma = 1"),  # noqa: F821
    "mcpTo_AP": (Ma_from_mcpTo_AP, None), "F_mcpTo": (Ma_from_F_mcpTo, "Ma = 1"),  # noqa: F821
    "nu": (Ma_from_nu, None), "mu": (lambda mu, ga: Ma_from_mu(mu), None),  # noqa: F821
}


def state(*, Ma=_MISSING, To_T=_MISSING, Po_P=_MISSING, rhoo_rho=_MISSING, A_Acrit=_MISSING,
          V_cpTo=_MISSING, mcpTo_APo=_MISSING, mcpTo_AP=_MISSING, F_mcpTo=_MISSING, nu=_MISSING,
          mu=_MISSING, ga=1.4, sup=_MISSING):
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
    NumPy's invalid status. The known field is the value given, broadcast.
    """
    call = "isentropic.state"
    given = {"Ma": Ma, "To_T": To_T, "Po_P": Po_P, "rhoo_rho": rhoo_rho, "A_Acrit": A_Acrit,
             "V_cpTo": V_cpTo, "mcpTo_APo": mcpTo_APo, "mcpTo_AP": mcpTo_AP,
             "F_mcpTo": F_mcpTo, "nu": nu, "mu": mu}
    name, x = _known(call, given, list(given),
                     "; A_Acrit, mcpTo_APo and F_mcpTo also need sup")
    x = _array_like(x)
    M = _mach_from(call, name, x, ga, sup, _STATE_FROM)
    To_T_ = To_T_from_Ma(M, ga)  # noqa: F821
    supersonic = _unless(M >= 1.0, M)
    f = {"Ma": None, "To_T": To_T_, "Po_P": Po_P_from_Ma(M, ga),  # noqa: F821
         "rhoo_rho": rhoo_rho_from_Ma(M, ga), "A_Acrit": A_Acrit_from_Ma(M, ga),  # noqa: F821
         "V_cpTo": V_cpTo_from_Ma(M, ga), "mcpTo_APo": mcpTo_APo_from_Ma(M, ga),  # noqa: F821
         "mcpTo_AP": mcpTo_AP_from_Ma(M, ga), "F_mcpTo": F_mcpTo_from_Ma(M, ga),  # noqa: F821
         "mu": mu_from_Ma(supersonic), "nu": nu_from_Ma(supersonic, ga),  # noqa: F821
         "T_Tstar": T_Tstar_from_Ma(M, ga), "P_Pstar": P_Pstar_from_Ma(M, ga),  # noqa: F821
         "rho_rhostar": rho_rhostar_from_Ma(M, ga), "Mstar": Mstar_from_Ma(M, ga)}  # noqa: F821
    f["Ma"] = _like(M, To_T_)
    f["mu"] = _like(f["mu"], To_T_)  # the one field without ga
    f[name] = _like(x, To_T_)
    return _Result(call, f)


__all__ += ["state"]
