"""The whole-state calls (state per family) and the duct segments (fanno and rayleigh between
and after): every field as the family's functions give it, the known field as given, the
inputs' broadcast shape, the result object, the one-keyword rule, which states raise the
invalid status and which fields are silently NaN, and Dask, xarray and pandas inputs."""
import pickle

import numpy as np
import pytest

from vortalix2_flows import fanno, isentropic, normal_shock, oblique_shock, rayleigh

from conftest import assert_bits

# (call, known keyword, value, sup or None, the family's inversion for it)
KNOWN = [
    (isentropic.state, "Po_P", [1.0 + 1e-9, 2.0, 50.0], None, isentropic.Ma_from_Po_P),
    (isentropic.state, "A_Acrit", [1.0, 1.5, 4.0], True, isentropic.Ma_from_A_Acrit),
    (isentropic.state, "F_mcpTo", [1.2, 1.3], False, isentropic.Ma_from_F_mcpTo),
    (isentropic.state, "nu", [0.0, 20.0, 60.0], None, isentropic.Ma_from_nu),
    (isentropic.state, "mu", [90.0, 30.0, 5.0], None, None),
    (normal_shock.state, "T2_T1", [1.0, 1.6875, 30.0], None, normal_shock.Ma_from_T2_T1),
    (normal_shock.state, "Ma2", [0.5, 0.9], None, normal_shock.Ma_from_Ma2),
    (normal_shock.state, "Po2_Po1", [0.3, 0.99], None, normal_shock.Ma_from_Po2_Po1),
    (fanno.state, "fLstar_D", [0.0, 0.1, 0.3], True, fanno.Ma_from_fLstar_D),
    (fanno.state, "rho_rhostar", [0.5, 1.0, 3.0], None, fanno.Ma_from_rho_rhostar),
    (rayleigh.state, "T_Tstar", [0.2, 1.0], False, rayleigh.Ma_from_T_Tstar),
    (rayleigh.state, "V_Vstar", [0.1, 1.0, 1.5], None, rayleigh.Ma_from_V_Vstar),
]

# Every field of a state from Ma through the family's functions, as state must give it.
FIELDS = {
    isentropic.state: lambda M, ga: {
        n: getattr(isentropic, f"{n}_from_Ma")(M, ga) for n in
        ("To_T", "Po_P", "rhoo_rho", "A_Acrit", "V_cpTo", "mcpTo_APo", "mcpTo_AP", "F_mcpTo",
         "T_Tstar", "P_Pstar", "rho_rhostar", "Mstar")},
    normal_shock.state: lambda M, ga: {
        n: getattr(normal_shock, f"{n}_from_Ma")(M, ga) for n in
        ("Ma2", "P2_P1", "T2_T1", "rho2_rho1", "Po2_Po1", "Po2_P1", "ds_R")},
    fanno.state: lambda M, ga: {
        n: getattr(fanno, f"{n}_from_Ma")(M, ga) for n in
        ("P_Pstar", "T_Tstar", "rho_rhostar", "V_Vstar", "Po_Postar", "fLstar_D")},
    rayleigh.state: lambda M, ga: {
        n: getattr(rayleigh, f"{n}_from_Ma")(M, ga) for n in
        ("To_Tostar", "P_Pstar", "T_Tstar", "rho_rhostar", "V_Vstar", "Po_Postar")},
}


@pytest.mark.parametrize("call,name,values,sup,inverse", KNOWN,
                         ids=lambda v: v if isinstance(v, str) else None)
def test_fields_are_the_families_functions(call, name, values, sup, inverse):
    x = np.array(values)
    for ga in (1.2, 1.4):
        kw = {name: x, "ga": ga} if sup is None else {name: x, "ga": ga, "sup": sup}
        r = call(**kw)
        if inverse is None:
            M = isentropic.Ma_from_mu(x)
        else:
            M = inverse(x, ga) if sup is None else inverse(x, ga, sup=sup)
        assert_bits(r.Ma, M, name)
        assert_bits(getattr(r, name), x, name)  # the known value itself, not recomputed
        for field, want in FIELDS[call](M, ga).items():
            if field != name:
                assert_bits(getattr(r, field), want, f"{name} -> {field}")


def test_the_isentropic_angles_and_the_known_mach_number():
    M = np.array([0.0, 0.5, 1.0, 2.0, np.inf])
    with np.errstate(all="raise"):  # the angles of subsonic states are NaN without a status
        r = isentropic.state(Ma=M, ga=1.3)
    assert_bits(r.Ma, M)
    assert_bits(r.mu, [np.nan, np.nan, 90.0, isentropic.mu_from_Ma(2.0), 0.0])
    assert_bits(r.nu, [np.nan, np.nan, 0.0, isentropic.nu_from_Ma(2.0, 1.3),
                       isentropic.nu_from_Ma(np.inf, 1.3)])
    assert list(r) == ["Ma", "To_T", "Po_P", "rhoo_rho", "A_Acrit", "V_cpTo", "mcpTo_APo",
                       "mcpTo_AP", "F_mcpTo", "mu", "nu", "T_Tstar", "P_Pstar", "rho_rhostar",
                       "Mstar"]


def test_every_field_has_the_broadcast_shape():
    # Ma or a ratio of shape (3,), ga (2, 1), sup (3,): every field (2, 3), the known one too.
    ga = np.array([[1.3], [1.4]])
    cases = [isentropic.state(Ma=[0.5, 1.0, 2.0], ga=ga),
             isentropic.state(A_Acrit=2.0, sup=[False, True, True], ga=ga),
             normal_shock.state(P2_P1=[2.0, 3.0, 4.5], ga=ga),
             oblique_shock.state([2.0, 3.0, 4.0], theta=10.0, ga=ga),
             oblique_shock.state(2.0, beta=[40.0, 50.0, 60.0], ga=ga),
             fanno.state(Po_Postar=1.5, sup=[False, True, False], ga=ga),
             rayleigh.state(P_Pstar=[0.5, 1.0, 2.0], ga=ga),
             fanno.between(0.2, [0.3, 0.5, 1.0], ga), rayleigh.between([0.2, 2.0, 1.0], 1.0, ga)]
    for r in cases:
        assert r.shape == (2, 3)
        for name, v in r.to_dict().items():
            assert np.shape(v) == (2, 3), (r, name)
    # Python numbers give NumPy scalars in every field.
    r = normal_shock.state(Ma=2)
    assert r.shape == () and all(type(v) is np.float64 for v in r.to_dict().values())
    assert r.Ma == 2.0 and r.P2_P1 == 4.5


def test_the_result_object():
    r = fanno.state(Ma=[0.5, 2.0])
    d = r.to_dict()
    assert list(d) == ["Ma", "P_Pstar", "T_Tstar", "rho_rhostar", "V_Vstar", "Po_Postar",
                       "fLstar_D"]
    assert d is not r.to_dict() and len(r) == 7 and "fLstar_D" in dir(r)
    with pytest.raises(AttributeError, match="fLstar_D"):
        r.fL_D
    with pytest.raises(AttributeError):
        r.Ma = 1.0
    back = pickle.loads(pickle.dumps(r))
    assert_bits(back.P_Pstar, r.P_Pstar)
    # A small table for a scalar or a short array: one line per field, five digits, nan shown.
    text = repr(isentropic.state(Ma=0.5))
    lines = text.splitlines()
    assert lines[0] == "isentropic.state" and len(lines) == 16
    assert lines[1].split() == ["Ma", "0.5"] and lines[10].split() == ["mu", "nan"]
    assert repr(normal_shock.state(Ma=[2.0, 3.0])).splitlines()[3].split() == ["P2_P1", "4.5",
                                                                               "10.333"]
    assert "detached" in repr(oblique_shock.state(2.0, theta=30.0))
    assert repr(oblique_shock.state(2.0, theta=30.0)).splitlines()[-1].split() == ["detached",
                                                                                   "True"]
    # Longer arrays: the shape and the fields, no values.
    long = repr(rayleigh.state(Ma=np.linspace(0.1, 3.0, 100)))
    assert long.startswith("<rayleigh.state: fields of shape (100,)") and "Po_Postar" in long


def test_exactly_one_known_quantity():
    for call, choices in ((isentropic.state, "Ma, To_T, Po_P"), (normal_shock.state, "Ma2, P2_P1"),
                          (fanno.state, "Po_Postar, fLstar_D"), (rayleigh.state, "To_Tostar")):
        with pytest.raises(TypeError, match=f"exactly one known quantity.*{choices}.*got none"):
            call()
        with pytest.raises(TypeError, match="got Ma, P_Pstar|got Ma, P2_P1|got Ma, Po_P"):
            call(Ma=2.0, **{"P2_P1" if call is normal_shock.state else
                            "Po_P" if call is isentropic.state else "P_Pstar": 2.0})
    with pytest.raises(TypeError, match="theta, beta, Mn1"):
        oblique_shock.state(2.0, theta=10.0, beta=40.0)
    with pytest.raises(TypeError):
        isentropic.state(2.0)  # known quantities by keyword only
    with pytest.raises(TypeError, match="unexpected keyword"):
        isentropic.state(Mach=2.0)


def test_two_root_quantities_need_sup():
    for call, name in ((isentropic.state, "A_Acrit"), (isentropic.state, "mcpTo_APo"),
                       (isentropic.state, "F_mcpTo"), (fanno.state, "fLstar_D"),
                       (fanno.state, "Po_Postar"), (rayleigh.state, "To_Tostar"),
                       (rayleigh.state, "Po_Postar")):
        with pytest.raises(TypeError, match=f"{name}=.*needs the keyword argument 'sup'.*Ma = 1"):
            call(**{name: 1.2})
    with pytest.raises(TypeError, match=r"1/sqrt\(ga\), not Ma = 1"):
        rayleigh.state(T_Tstar=0.5)
    with pytest.raises(TypeError, match=r"T_Tstar too \(the side of its maximum at Ma = 1/sqrt"):
        rayleigh.state()
    # Rayleigh's T/T* picks the side of 1/sqrt(ga): both roots of 1.02 are subsonic.
    both = rayleigh.state(T_Tstar=1.02, sup=[False, True], ga=1.4).Ma
    assert both[0] < 1 / np.sqrt(1.4) < both[1] < 1.0
    # One-root quantities need no sup.
    assert fanno.state(T_Tstar=1.0).Ma == 1.0


def test_statuses():
    with np.errstate(all="raise"):  # valid states: no status, whatever is undefined
        isentropic.state(To_T=[1.0, 1.2, 3.0])
        oblique_shock.state(2.0, theta=[5.0, 25.0, 40.0])  # detached: NaN fields, no status
        normal_shock.state(Ma=[1.0, 2.0, np.nan])
        fanno.between([0.2, np.nan], [0.5, 0.5])
    for bad in (lambda: isentropic.state(Po_P=0.5), lambda: normal_shock.state(rho2_rho1=9.0),
                lambda: oblique_shock.state(2.0, theta=-1.0), lambda: oblique_shock.state(0.5, beta=40.0),
                lambda: fanno.state(V_Vstar=3.0), lambda: rayleigh.state(To_Tostar=1.2, sup=False),
                lambda: fanno.between(0.5, 0.3), lambda: fanno.between(0.5, 2.0),
                lambda: fanno.between(2.0, 3.0), lambda: rayleigh.between(0.5, 2.0),
                lambda: fanno.after(0.5, 5.0), lambda: fanno.after(0.5, -0.1),
                lambda: rayleigh.after(0.5, 3.0)):
        with np.errstate(invalid="raise"):
            with pytest.raises(FloatingPointError):
                bad()
    with np.errstate(invalid="ignore"):
        r = oblique_shock.state(2.0, theta=[10.0, 30.0, -1.0])
    assert list(r.detached) == [False, True, False]
    assert np.isnan(r.beta[1:]).all() and r.theta[1] == 30.0 and np.isfinite(r.theta_max).all()
    with np.errstate(invalid="ignore"):
        seg = fanno.between([0.5, 0.5, 2.0], [0.3, 0.6, 3.0])
    assert np.isnan(seg.P2_P1[[0, 2]]).all() and np.isfinite(seg.P2_P1[1])


def test_oblique_state_from_each_known_quantity():
    Ma, ga = np.array([1.5, 2.0, 4.0]), 1.3
    weak = oblique_shock.state(Ma, theta=8.0, ga=ga)
    assert_bits(weak.beta, oblique_shock.beta_from_Ma_theta(Ma, 8.0, ga))
    strong = oblique_shock.state(Ma, theta=8.0, ga=ga, strong=True)
    assert (strong.beta > weak.beta).all() and (strong.Ma2 < weak.Ma2).all()
    by_beta = oblique_shock.state(Ma, beta=weak.beta, ga=ga)
    assert_bits(by_beta.theta, oblique_shock.theta_from_Ma_beta(Ma, weak.beta, ga))
    assert np.all(np.abs(by_beta.theta - 8.0) < 1e-12)
    by_mn1 = oblique_shock.state(Ma, Mn1=weak.Mn1, ga=ga)
    assert np.all(np.abs(by_mn1.beta - weak.beta) < 1e-11)
    assert_bits(weak.Mn2, normal_shock.Mash_from_Ma(weak.Mn1, ga))
    assert_bits(weak.Po2_Po1, oblique_shock.Po2_Po1_from_Ma_beta(Ma, weak.beta, ga))
    assert_bits(weak.theta_max, oblique_shock.theta_max_from_Ma(Ma, ga))
    assert weak.detached.dtype == bool and not weak.detached.any()


def test_fanno_segments():
    ga = 1.3
    Ma1, Ma2 = np.array([0.1, 0.5, 0.5, 3.0, 1.0]), np.array([0.4, 0.5, 1.0, 1.5, 1.0])
    seg = fanno.between(Ma1, Ma2, ga)
    for name, star in (("P2_P1", fanno.P_Pstar_from_Ma), ("T2_T1", fanno.T_Tstar_from_Ma),
                       ("rho2_rho1", fanno.rho_rhostar_from_Ma), ("V2_V1", fanno.V_Vstar_from_Ma),
                       ("Po2_Po1", fanno.Po_Postar_from_Ma)):
        assert_bits(getattr(seg, name), star(Ma2, ga) / star(Ma1, ga), name)
    assert_bits(seg.fL_D, fanno.fLstar_D_from_Ma(Ma1, ga) - fanno.fLstar_D_from_Ma(Ma2, ga))
    assert list(seg) == ["P2_P1", "T2_T1", "rho2_rho1", "V2_V1", "Po2_Po1", "fL_D"]
    # after() is between()'s inverse on each branch; the choking length gives 1.
    end = fanno.after(Ma1[[0, 1, 3]], seg.fL_D[[0, 1, 3]], ga)
    assert np.all(np.abs(end - Ma2[[0, 1, 3]]) <= 1e-12 * Ma2[[0, 1, 3]])
    assert fanno.after(2.0, fanno.fLstar_D_from_Ma(2.0, ga), ga) == 1.0
    assert fanno.after(0.4, 0.0, ga) == 0.4 or abs(fanno.after(0.4, 0.0, ga) - 0.4) < 1e-15
    with np.errstate(invalid="ignore"):
        assert np.isnan(fanno.after([0.5, 2.0], [2.0, 0.5], ga)).all()


def test_rayleigh_segments():
    ga = 1.4
    Ma1, Ma2 = np.array([0.2, 0.8, 2.0, 3.0, 1.0]), np.array([0.5, 0.3, 1.2, 4.0, 2.0])
    seg = rayleigh.between(Ma1, Ma2, ga)
    for name, star in (("P2_P1", rayleigh.P_Pstar_from_Ma), ("T2_T1", rayleigh.T_Tstar_from_Ma),
                       ("rho2_rho1", rayleigh.rho_rhostar_from_Ma),
                       ("V2_V1", rayleigh.V_Vstar_from_Ma), ("Po2_Po1", rayleigh.Po_Postar_from_Ma),
                       ("To2_To1", rayleigh.To_Tostar_from_Ma)):
        assert_bits(getattr(seg, name), star(Ma2, ga) / star(Ma1, ga), name)
    assert_bits(seg.q_cpTo1, seg.To2_To1 - 1.0)
    assert (seg.q_cpTo1[[0, 2]] > 0).all() and (seg.q_cpTo1[[1, 3]] < 0).all()  # heat, cooling
    end = rayleigh.after(Ma1[:4], seg.To2_To1[:4], ga)
    assert np.all(np.abs(end - Ma2[:4]) <= 1e-12 * Ma2[:4])
    choke = 1.0 / rayleigh.To_Tostar_from_Ma(0.2, ga)
    assert rayleigh.after(0.2, choke, ga) == 1.0 or abs(rayleigh.after(0.2, choke, ga) - 1) < 1e-7


@pytest.mark.extras
def test_dask_stays_lazy_even_in_repr():
    da = pytest.importorskip("dask.array")
    import dask

    computed = []

    def count(block):
        if block.shape == (10,):  # not the small blocks dask infers the type from
            computed.append(1)
        return block

    x = da.from_array(np.linspace(0.2, 3.0, 40), chunks=10).map_blocks(count)
    r = isentropic.state(Ma=x, ga=1.3)
    text = repr(r)
    assert computed == [] and "not computed" in text and "(40,)" in text
    assert all(isinstance(v, da.Array) for v in r.to_dict().values())
    (mu, nu, Po_P), = [dask.compute(r.mu, r.nu, r.Po_P)]
    plain = isentropic.state(Ma=np.linspace(0.2, 3.0, 40), ga=1.3)
    assert_bits(mu, plain.mu)
    assert_bits(nu, plain.nu)
    assert_bits(Po_P, plain.Po_P)
    with np.errstate(all="raise"):  # the subsonic angles stay silent when computed later
        r.mu.compute()
    seg = fanno.between(x * 0.3, 0.99)
    assert isinstance(seg.fL_D, da.Array)
    assert_bits(seg.fL_D.compute(), fanno.between(np.linspace(0.2, 3.0, 40) * 0.3, 0.99).fL_D)


@pytest.mark.extras
def test_xarray_and_pandas_keep_their_labels():
    xr = pytest.importorskip("xarray")
    pd = pytest.importorskip("pandas")
    Ma = xr.DataArray(np.linspace(0.5, 3.0, 6), dims="x", coords={"x": np.arange(6)})
    r = isentropic.state(Ma=Ma)
    for name, v in r.to_dict().items():
        assert isinstance(v, xr.DataArray) and v.dims == ("x",), name
    assert_bits(r.mu.values, isentropic.state(Ma=Ma.values).mu)
    s = pd.Series([1.5, 2.0], index=["a", "b"])
    shock = normal_shock.state(Ma=s)
    assert isinstance(shock.ds_R, pd.Series) and list(shock.ds_R.index) == ["a", "b"]
    ob = oblique_shock.state(s, theta=10.0)
    assert isinstance(ob.beta, pd.Series) and list(ob.detached.index) == ["a", "b"]
    seg = fanno.between(pd.Series([0.2, 0.4]), 0.5)
    assert isinstance(seg.P2_P1, pd.Series)
