"""vortalix2_flows as NumPy ufuncs: the ufunc keywords, float32, broadcasting by strides,
floating-point status, the fast path for Python numbers, the branch flag, and the packages that
work through __array_ufunc__ (Dask, xarray, pandas: on the tools leg)."""
import pickle
import warnings

import numpy as np
import pytest

from vortalix2_flows import fanno, isentropic as ise, normal_shock as ns, oblique_shock as ob
from vortalix2_flows import rayleigh

from conftest import assert_bits

M = np.linspace(0.2, 4.0, 39)


def test_ufunc_keywords_are_the_ufuncs():
    ufunc = ise.Po_P_from_Ma.ufunc
    assert isinstance(ufunc, np.ufunc) and ufunc.__name__ == "Po_P_from_Ma"
    want = ufunc(M, 1.4)
    assert_bits(ise.Po_P_from_Ma(M), want)  # ga defaults to 1.4
    out = np.full(M.size, -1.0)
    assert ise.Po_P_from_Ma(M, out=out) is out
    assert_bits(out, want)
    mask = M > 1.5
    out = np.full(M.size, -1.0)
    ise.Po_P_from_Ma(M, where=mask, out=out)
    assert_bits(out, np.where(mask, want, -1.0))
    # dtype= casts every input to it first, as NumPy's own ufuncs do.
    single = ufunc(M.astype(np.float32).astype(np.float64), float(np.float32(1.4)))
    assert_bits(ise.Po_P_from_Ma(M, dtype=np.float32), single.astype(np.float32))
    assert_bits(ise.Ma_from_A_Acrit(M + 1, sup=True, dtype=np.float64),
                ise.Ma_from_A_Acrit(M + 1, sup=True))
    with pytest.raises(TypeError):
        ise.Po_P_from_Ma(M, out=np.empty(M.size, dtype=np.int64))  # casting='same_kind'
    f = np.empty((3, 13), order="F")
    assert_bits(ise.Po_P_from_Ma(M.reshape(3, 13), out=f), want.reshape(3, 13))
    with pytest.raises(TypeError):
        ise.Po_P_from_Ma(M, bogus=1)


def test_float32_is_computed_in_float64_and_rounded_once():
    x = np.linspace(0.5, 3.0, 101, dtype=np.float32)
    for f, args in ((ise.A_Acrit_from_Ma, ()), (ob.P2_P1_from_Ma_beta, (np.float32(70.0),)),
                    (ise.Ma_from_A_Acrit, ())):
        kw = {"sup": True} if f is ise.Ma_from_A_Acrit else {}
        y = x + 1
        got = f(y, *args, **kw)
        assert got.dtype == np.float32
        want = f(y.astype(np.float64), *[np.float64(a) for a in args], **kw).astype(np.float32)
        assert_bits(got, want)
    # ga stays float64: 1.4 is not rounded to float32 first.
    assert_bits(ise.Po_P_from_Ma(x), ise.Po_P_from_Ma(x.astype(np.float64)).astype(np.float32))
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(RuntimeWarning, match="overflow"):
            ise.Po_P_from_Ma(np.float32([1e6]))  # finite in float64, beyond float32


def test_broadcasting_goes_by_strides_not_copies():
    Ma = np.linspace(0.1, 5.0, 250_000)
    ga = np.array([1.2, 1.3, 1.4, 1.67])
    want = np.stack([ise.To_T_from_Ma(Ma, g) for g in ga])
    try:
        import tracemalloc
    except ImportError:  # PyPy has none
        tracemalloc = None
    if tracemalloc is not None:
        tracemalloc.start()
    try:
        got = ise.To_T_from_Ma(Ma[None, :], ga[:, None])
        peak = tracemalloc.get_traced_memory()[1] if tracemalloc else 0
    finally:
        if tracemalloc is not None:
            tracemalloc.stop()
    assert_bits(got, want)
    assert peak <= 1.1 * got.nbytes, (peak, got.nbytes)
    # Strided, reversed and transposed views give the bits of their contiguous copies.
    a = np.linspace(1.1, 5.0, 60).reshape(6, 10)
    for view in (a[::-1, ::3], a.T, np.asfortranarray(a)):
        assert_bits(ns.Po2_P1_from_Ma(view), ns.Po2_P1_from_Ma(view.copy()))
        assert_bits(ob.theta_from_Ma_beta(view, 80.0), ob.theta_from_Ma_beta(view.copy(), 80.0))


def status_of(call):
    """The floating-point statuses NumPy reports for a call, as warnings."""
    with np.errstate(all="warn"), warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        call()
    return sorted({str(w.message).split()[0] for w in caught})


# Inputs inside the domain, its documented infinite limits included, and NaN: no status.
QUIET = [
    lambda: ise.A_Acrit_from_Ma(np.array([0.0, -0.0, np.inf, 1e-300, 0.5, 3.0, np.nan])),
    lambda: ise.F_mcpTo_from_Ma(np.array([0.0, np.inf])),
    lambda: ise.Ma_from_A_Acrit(np.array([1.0, 2.0, np.inf]), sup=[[False], [True]]),
    lambda: ise.Ma_from_mcpTo_APo(np.array([0.0, 0.3]), sup=True),
    lambda: ise.Ma_from_V_cpTo(np.array([0.0, 1.0, 1.4142135623730949])),
    lambda: ise.Ma_from_nu(np.array([0.0, ise.nu_from_Ma(np.inf)])),
    lambda: ise.mu_from_Ma(np.array([1.0, np.inf, 7.0])),
    lambda: ns.Ma_from_Posh_Po(np.array([0.0, 1.0, 0.5])),
    lambda: ns.Ma_from_Mash(np.array([ns.Mash_from_Ma(np.inf), 1.0])),
    lambda: fanno.fLstar_D_from_Ma(np.array([0.0, 1.0, np.inf])),
    lambda: fanno.Ma_from_P_Pstar(np.array([0.0, np.inf])),
    lambda: fanno.Ma_from_T_Tstar(np.array([0.0, 1.2])),
    lambda: rayleigh.rho_rhostar_from_Ma(np.array([0.0, np.inf])),
    lambda: rayleigh.Ma_from_T_Tstar(np.array([0.0, 0.5]), sup=True),
    lambda: ob.beta_from_Ma_theta(np.array([2.0, 3.0, np.nan]), 0.0, strong=[[False], [True]]),
    lambda: ise.To_T_from_Ma(np.array([1.0]), np.nan),
]


@pytest.mark.parametrize("call", QUIET)
def test_no_status_inside_the_domain(call):
    assert status_of(call) == []


def test_out_of_domain_raises_invalid_as_numpy_does():
    bad = [lambda: ise.To_T_from_Ma(np.array([-1.0, 2.0])), lambda: ise.Po_P_from_Ma(2.0, 0.9),
           lambda: ise.mu_from_Ma([0.5]), lambda: ob.theta_max_from_Ma(0.5),
           lambda: ob.beta_from_Ma_theta([2.0], 40.0), lambda: ise.Ma_from_A_Acrit(0.5, sup=True),
           lambda: fanno.Ma_from_fLstar_D(10.0, sup=True), lambda: ns.P2_P1_from_Ma(np.float32(0.5))]
    for call in bad:
        assert status_of(call) == ["invalid"]
        with np.errstate(invalid="raise"), pytest.raises(FloatingPointError):
            call()
        with np.errstate(invalid="ignore"), warnings.catch_warnings():
            warnings.simplefilter("error")
            assert np.isnan(call()).any()
    with pytest.warns(RuntimeWarning, match="invalid value encountered in To_T_from_Ma"):
        ise.To_T_from_Ma(-1.0)
    # A finite input whose result is beyond the doubles overflows.
    assert status_of(lambda: ise.Po_P_from_Ma(np.array([1e200]))) == ["overflow"]


def test_python_numbers_take_the_fast_path_with_the_ufuncs_bits():
    for f, args, kw in ((ise.Po_P_from_Ma, (2.5, 1.4), {}), (ise.Ma_from_A_Acrit, (2, 1.3), {"sup": True}),
                        (ob.beta_from_Ma_theta, (3, 20.0, 1.4, True), {}),
                        (ise.mu_from_Ma, (3.0,), {}), (ns.Ma_from_Mash, (np.float64(0.6), 1.2), {})):
        got = f(*args, **kw)
        assert type(got) is np.float64
        flags = [kw["sup"]] if kw else []
        want = f.ufunc(*[np.array(a) for a in args], *flags)
        assert_bits(got, want)
    # Results that raise a status go through the ufunc, which reports them.
    assert status_of(lambda: ise.Po_P_from_Ma(-1.0)) == ["invalid"]
    assert status_of(lambda: ise.Po_P_from_Ma(1e200)) == ["overflow"]
    assert status_of(lambda: ise.Po_P_from_Ma(float("nan"))) == []


def test_the_branch_flag_must_be_given_and_says_what_it_picks():
    for f in (ise.Ma_from_A_Acrit, ise.Ma_from_mcpTo_APo, ise.Ma_from_F_mcpTo,
              fanno.Ma_from_fLstar_D, fanno.Ma_from_Po_Postar, rayleigh.Ma_from_To_Tostar,
              rayleigh.Ma_from_Po_Postar):
        for call in (lambda: f(2.0), lambda: f([2.0], 1.4), lambda: f(2.0, sup=None)):
            with pytest.raises(TypeError, match="sup=False gives the subsonic root, sup=True the "
                                                "supersonic one"):
                call()
        with pytest.raises(TypeError):
            f(2.0, 1.4, True)  # keyword-only
    with pytest.raises(TypeError, match="below Ma = 1/sqrt"):
        rayleigh.Ma_from_T_Tstar(0.5)
    # strong keeps its default, the weak shock.
    assert ob.beta_from_Ma_theta(2.0, 10.0) == ob.beta_from_Ma_theta(2.0, 10.0, 1.4, False)


def test_pickle_gives_the_same_objects():
    for f in (ise.To_T_from_Ma, fanno.P_Pstar_from_Ma, rayleigh.P_Pstar_from_Ma,
              fanno.Po_Postar_from_Ma):
        assert pickle.loads(pickle.dumps(f.ufunc)) is f.ufunc
        assert pickle.loads(pickle.dumps(f)) is f
    assert fanno.Po_Postar_from_Ma.ufunc is ise.A_Acrit_from_Ma.ufunc
    assert fanno.P_Pstar_from_Ma.ufunc.__name__ == "fanno_P_Pstar_from_Ma"


@pytest.mark.extras
def test_dask_stays_lazy_and_gives_the_same_bits():
    da = pytest.importorskip("dask.array")
    x = da.from_array(np.linspace(1.0, 6.0, 1000), chunks=250)
    lazy = ise.Ma_from_A_Acrit(x, 1.3, sup=True)
    assert isinstance(lazy, da.Array) and lazy.chunks == x.chunks
    assert_bits(lazy.compute(), ise.Ma_from_A_Acrit(np.linspace(1.0, 6.0, 1000), 1.3, sup=True))
    two = ob.theta_from_Ma_beta(x[:, None], da.from_array(np.array([50.0, 70.0]), chunks=1))
    assert isinstance(two, da.Array)
    assert_bits(two.compute(), ob.theta_from_Ma_beta(np.linspace(1.0, 6.0, 1000)[:, None],
                                                     np.array([50.0, 70.0])))


@pytest.mark.extras
def test_xarray_and_pandas_keep_their_labels():
    xr = pytest.importorskip("xarray")
    pd = pytest.importorskip("pandas")
    Ma = xr.DataArray(np.linspace(1.0, 3.0, 5), dims="x", coords={"x": np.arange(5) * 0.1},
                      name="Ma")
    got = ns.P2_P1_from_Ma(Ma)
    assert isinstance(got, xr.DataArray) and got.dims == ("x",)
    assert np.array_equal(got["x"], Ma["x"])
    assert_bits(got.values, ns.P2_P1_from_Ma(Ma.values))
    ds = xr.Dataset({"Ma": Ma})
    assert isinstance(ise.To_T_from_Ma(ds), xr.Dataset)
    s = pd.Series([1.5, 2.0, 2.5], index=["a", "b", "c"], name="Ma")
    r = ise.Ma_from_A_Acrit(ise.A_Acrit_from_Ma(s), sup=True)
    assert isinstance(r, pd.Series) and list(r.index) == ["a", "b", "c"] and r.name == "Ma"
    assert_bits(r.to_numpy(), ise.Ma_from_A_Acrit(ise.A_Acrit_from_Ma(s.to_numpy()), sup=True))
