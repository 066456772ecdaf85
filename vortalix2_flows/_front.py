"""The NumPy-friendly front shared by every toolkit function.

Arguments are converted as ``numpy.asarray(x, dtype=numpy.float64)`` converts real values,
broadcast against each other, and handed to the compiled loops as contiguous buffers. A call
whose arguments are all scalars returns a ``numpy.float64`` scalar, as ufuncs do.
"""
import numpy as np

from . import _core

_float64 = np.float64
_ndarray = np.ndarray
_scalar = _core.scalar
_apply = _core.apply
_empty = np.empty
_FALSE = np.zeros(1, dtype=np.uint8)
_TRUE = np.ones(1, dtype=np.uint8)
_plain = (float, int, _float64)


def _real(value, name):
    """value as a float64 array, or TypeError for complex, object, string and other input."""
    if type(value) is _ndarray:
        a = value
    else:
        try:
            a = np.asarray(value)
        except (TypeError, ValueError) as e:
            raise TypeError(f"{name} must be real numbers: {e}") from None
    kind = a.dtype.kind
    if kind not in "biuf":
        raise TypeError(f"{name} must be real numbers, not {a.dtype} data")
    return a.astype(np.float64, copy=False) if kind != "f" or a.dtype != np.float64 else a


def _flag(value, name):
    """sup or strong as a uint8 array of 0 and 1: bools, 0/1 and bool arrays; None is False."""
    if value is None or value is False:
        return _FALSE
    if value is True:
        return _TRUE
    try:
        a = np.asarray(value)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{name} must be a bool or an array of bools: {e}") from None
    kind = a.dtype.kind
    if kind == "b":
        return a.astype(np.uint8)
    if kind in "iuf":
        if not np.all((a == 0) | (a == 1)):
            raise ValueError(f"{name} must be True/False or 0/1")
        return a.astype(np.uint8)
    if kind == "O" and a.ndim == 0 and a.item() is None:
        return _FALSE
    raise TypeError(f"{name} must be a bool or an array of bools, not {a.dtype} data")


def call(kernel, x, ga, sup=None, names=("x", "ga", "sup")):
    """The relation at position `kernel` of the compiled table over the broadcast arguments."""
    tx = type(x)
    if (tx is float or tx is int or tx is _float64) and (type(ga) in _plain) and (
            sup is None or sup is False or sup is True):
        return _float64(_scalar(kernel, x, ga, sup is True))
    xa = _real(x, names[0])
    gaa = _real(ga, names[1])
    supa = _flag(sup, names[2])
    scalar_call = xa.ndim == 0 and gaa.ndim == 0 and (supa.ndim == 0 or supa is _FALSE or
                                                        supa is _TRUE)
    if gaa.ndim == 0 and (supa is _FALSE or supa is _TRUE or supa.ndim == 0):
        shape = xa.shape
        xc = np.ascontiguousarray(xa)
        gac = gaa.reshape(1)
        supc = supa.reshape(1)
    else:
        shape = np.broadcast_shapes(xa.shape, gaa.shape, supa.shape if supa.ndim else ())
        xc = np.ascontiguousarray(np.broadcast_to(xa, shape))
        gac = (gaa.reshape(1) if gaa.ndim == 0 else
               np.ascontiguousarray(np.broadcast_to(gaa, shape)))
        supc = (supa.reshape(1) if supa.ndim == 0 else
                np.ascontiguousarray(np.broadcast_to(supa, shape)))
    out = _empty(shape, dtype=np.float64)
    if out.size:
        _apply(kernel, xc, gac, supc, out)
    if scalar_call:
        return out[()]
    return out


# The positions of the compiled relations, in the order of the extension's kernel table.
KERNELS = (
    "To_T_from_Ma", "Po_P_from_Ma", "rhoo_rho_from_Ma", "V_cpTo_from_Ma", "mcpTo_APo_from_Ma",
    "mcpTo_AP_from_Ma", "A_Acrit_from_Ma", "F_mcpTo_from_Ma", "mu_from_Ma", "nu_from_Ma",
    "Ma_from_Po_P", "Ma_from_To_T", "Ma_from_rhoo_rho", "Ma_from_V_cpTo", "Ma_from_nu",
    "Ma_from_A_Acrit", "Ma_from_mcpTo_APo", "Ma_from_F_mcpTo", "Ma_from_mcpTo_AP",
    "Mash_from_Ma", "Posh_Po_from_Ma", "P2_P1_from_Ma", "T2_T1_from_Ma", "rho2_rho1_from_Ma",
    "Po2_P1_from_Ma", "Ma_from_Mash", "Ma_from_Posh_Po", "Ma_from_P2_P1", "Ma_from_Po2_P1",
)
KERNELS += (
    "theta_max_from_Ma", "beta_at_theta_max_from_Ma",
    "fanno.fLstar_D_from_Ma", "fanno.P_Pstar_from_Ma", "fanno.T_Tstar_from_Ma",
    "fanno.rho_rhostar_from_Ma", "fanno.V_Vstar_from_Ma", "fanno.Ma_from_fLstar_D",
    "fanno.Ma_from_P_Pstar", "fanno.Ma_from_T_Tstar",
    "rayleigh.To_Tostar_from_Ma", "rayleigh.P_Pstar_from_Ma", "rayleigh.T_Tstar_from_Ma",
    "rayleigh.rho_rhostar_from_Ma", "rayleigh.Po_Postar_from_Ma", "rayleigh.V_Vstar_from_Ma",
    "rayleigh.Ma_from_To_Tostar", "rayleigh.Ma_from_P_Pstar", "rayleigh.Ma_from_Po_Postar",
    "rayleigh.Ma_from_T_Tstar",
)
assert len(KERNELS) == _core.kernel_count
K = {name: k for k, name in enumerate(KERNELS)}


# ---- Relations of two arguments (the oblique shock's, of Ma and an angle).
_scalar2 = _core.scalar2
_apply2 = _core.apply2


def call2(kernel, x, y, ga, flag=None, names=("x", "y", "ga", "flag")):
    """The relation of two arguments at position `kernel` over the broadcast arguments."""
    tx = type(x)
    ty = type(y)
    if ((tx is float or tx is int or tx is _float64) and (ty is float or ty is int or ty is _float64)
            and type(ga) in _plain and (flag is None or flag is False or flag is True)):
        return _float64(_scalar2(kernel, x, y, ga, flag is True))
    xa = _real(x, names[0])
    ya = _real(y, names[1])
    gaa = _real(ga, names[2])
    fa = _flag(flag, names[3])
    fdim = 0 if (fa is _FALSE or fa is _TRUE) else fa.ndim
    scalar_call = xa.ndim == 0 and ya.ndim == 0 and gaa.ndim == 0 and fdim == 0
    shape = np.broadcast_shapes(xa.shape, ya.shape, gaa.shape, fa.shape if fdim else ())
    xc = np.ascontiguousarray(np.broadcast_to(xa, shape))
    yc = np.ascontiguousarray(np.broadcast_to(ya, shape))
    gac = gaa.reshape(1) if gaa.ndim == 0 else np.ascontiguousarray(np.broadcast_to(gaa, shape))
    fc = fa.reshape(1) if fdim == 0 else np.ascontiguousarray(np.broadcast_to(fa, shape))
    out = _empty(shape, dtype=np.float64)
    if out.size:
        _apply2(kernel, xc, yc, gac, fc, out)
    if scalar_call:
        return out[()]
    return out


PAIR_KERNELS = (
    "theta_from_Ma_beta", "Mn1_from_Ma_beta", "Ma2_from_Ma_beta", "P2_P1_from_Ma_beta",
    "T2_T1_from_Ma_beta", "rho2_rho1_from_Ma_beta", "Po2_Po1_from_Ma_beta", "beta_from_Ma_theta",
)
assert len(PAIR_KERNELS) == _core.pair_kernel_count
K2 = {name: k for k, name in enumerate(PAIR_KERNELS)}
