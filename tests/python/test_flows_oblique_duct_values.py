"""Oblique shock, Fanno and Rayleigh relations of vortalix2_flows: against 50-digit mpmath
references (tools/gen_flows_oblique_duct_reference.py), standard table values, the ends of
every domain, round trips on both branches and the same bits at every instruction-set level."""
import json
import inspect
import math
from fractions import Fraction
from pathlib import Path

import numpy as np
import pytest

from accuracy import (assert_round_trip, assert_table_values, backward_miss, forward_misses,
                      grouped)
from vortalix2_flows import fanno, rayleigh
from vortalix2_flows import oblique_shock as ob

REF = json.loads(Path(__file__).with_name("flows_oblique_duct_reference.json").read_text())
MODULES = {"fanno": fanno, "rayleigh": rayleigh}


def function(name):
    family, _, short = name.rpartition(".")
    return getattr(MODULES[family] if family else ob, short)


@pytest.mark.parametrize("name", sorted(grouped(REF["forward"])))
def test_forward_accuracy(name):
    rows = np.array(grouped(REF["forward"])[name], dtype=np.float64)
    ga, args, exact = rows[:, 0], rows[:, 1:-1].T, rows[:, -1]
    got = function(name)(*args, ga)
    bad = forward_misses(got, exact, angle=name.startswith(("theta", "beta")))
    assert not bad.any(), [(g, *a, v, e) for g, a, v, e in
                           zip(ga[bad], args.T[bad], got[bad], exact[bad])][:5]


def test_inversions_backward_error():
    # |R(M) - x| <= 32 ulp(x) + |R'(M)| ulp(M), with R(M) - x from the exact root r and the
    # exact derivatives there: R'(r) d + R''(r) d^2/2, d = M - r.
    failures = []
    for name, ga, sup, x, hi, lo, d1, d2, *ma in REF["inverse"]:
        f = function(name)
        M = float(f(ma[0], x, ga, sup) if ma else f(x, ga) if sup is None else f(x, ga, sup=sup))
        miss = backward_miss(x, M, Fraction(hi) + Fraction(lo), d1, d2)
        if miss is not None:
            failures.append((name, ga, sup, x, M, hi, miss))
    assert not failures, failures[:8]


def test_standard_table_values():
    spot = [
        (ob.theta_max_from_Ma(2.0, 1.4), 22.97, 5e-3), (ob.beta_from_Ma_theta(2.0, 10.0, 1.4), 39.31, 5e-3),
        (fanno.fLstar_D_from_Ma(2.0, 1.4), 0.3050, 5e-5), (rayleigh.To_Tostar_from_Ma(2.0, 1.4), 0.7934, 5e-5),
        (ob.P2_P1_from_Ma_beta(2.0, 90.0, 1.4), 4.5, 1e-15), (ob.Mn1_from_Ma_beta(2.0, 30.0, 1.4), 1.0, 1e-15),
        (fanno.T_Tstar_from_Ma(2.0, 1.4), 0.66667, 5e-6), (fanno.Po_Postar_from_Ma(2.0, 1.4), 1.6875, 1e-14),
        (rayleigh.P_Pstar_from_Ma(2.0, 1.4), 0.36364, 5e-6), (rayleigh.Po_Postar_from_Ma(2.0, 1.4), 1.5031, 5e-5),
        (rayleigh.T_Tstar_from_Ma(2.0, 1.4), 0.52893, 5e-6), (fanno.P_Pstar_from_Ma(0.5, 1.4), 2.1381, 5e-5),
    ]
    assert_table_values(spot)


def test_ends_of_every_domain():
    g = 1.4
    sp = REF["special"][str(g)]
    nan = math.nan
    inf = math.inf
    cases = [
        # the sonic point, Ma = 0 and Ma = inf
        (fanno.fLstar_D_from_Ma, (1.0, g), 0.0), (fanno.fLstar_D_from_Ma, (0.0, g), inf),
        (fanno.fLstar_D_from_Ma, (inf, g), sp["fanno_limit"]), (fanno.fLstar_D_from_Ma, (-0.1, g), nan),
        (fanno.Ma_from_fLstar_D, (0.0, g, False), 1.0), (fanno.Ma_from_fLstar_D, (0.0, g, True), 1.0),
        (fanno.Ma_from_fLstar_D, (inf, g, False), 0.0), (fanno.Ma_from_fLstar_D, (sp["fanno_limit"], g, True), inf),
        (fanno.Ma_from_fLstar_D, (sp["fanno_limit"] * 1.01, g, True), nan),
        (fanno.Ma_from_fLstar_D, (-1e-300, g, False), nan),
        (fanno.Ma_from_T_Tstar, (1.2, g), 0.0), (fanno.Ma_from_T_Tstar, (0.0, g), inf),
        (fanno.Ma_from_T_Tstar, (1.3, g), nan), (fanno.Ma_from_P_Pstar, (0.0, g), inf),
        (fanno.Ma_from_P_Pstar, (inf, g), 0.0), (fanno.Ma_from_P_Pstar, (1.0, g), 1.0),
        (fanno.V_Vstar_from_Ma, (inf, g), math.sqrt(2.4 / 0.4)), (fanno.rho_rhostar_from_Ma, (0.0, g), inf),
        (rayleigh.To_Tostar_from_Ma, (1.0, g), 1.0), (rayleigh.Po_Postar_from_Ma, (inf, g), inf),
        (rayleigh.Ma_from_To_Tostar, (1.0, g, False), 1.0), (rayleigh.Ma_from_To_Tostar, (1.0, g, True), 1.0),
        (rayleigh.Ma_from_To_Tostar, (0.0, g, False), 0.0), (rayleigh.Ma_from_To_Tostar, (0.4, g, True), nan),
        (rayleigh.Ma_from_To_Tostar, ((g * g - 1) / (g * g), g, True), inf),
        (rayleigh.Ma_from_To_Tostar, (np.nextafter(1.0, 2.0), g, False), nan),
        (rayleigh.Ma_from_Po_Postar, (1.0, g, True), 1.0), (rayleigh.Ma_from_Po_Postar, (inf, g, True), inf),
        (rayleigh.Ma_from_Po_Postar, (sp["rayleigh_Po_at_0"] * 1.001, g, False), nan),
        (rayleigh.Ma_from_Po_Postar, (0.99, g, True), nan),
        (rayleigh.Ma_from_T_Tstar, (0.0, g, False), 0.0), (rayleigh.Ma_from_T_Tstar, (0.0, g, True), inf),
        (rayleigh.Ma_from_T_Tstar, (sp["rayleigh_T_max"] * 1.001, g, False), nan),
        (rayleigh.Ma_from_P_Pstar, (2.4, g), 0.0), (rayleigh.Ma_from_P_Pstar, (0.0, g), inf),
        # the oblique shock: normal shock, Mach wave, largest deflection, detachment
        (ob.theta_from_Ma_beta, (2.0, 90.0, g), 0.0), (ob.theta_from_Ma_beta, (2.0, 30.0, g), 0.0),
        (ob.theta_from_Ma_beta, (2.0, 29.0, g), nan), (ob.theta_from_Ma_beta, (0.9, 80.0, g), nan),
        (ob.Ma2_from_Ma_beta, (2.0, 30.0, g), 2.0), (ob.theta_max_from_Ma, (1.0, g), 0.0),
        (ob.beta_at_theta_max_from_Ma, (1.0, g), 90.0), (ob.theta_max_from_Ma, (0.99, g), nan),
        (ob.beta_from_Ma_theta, (2.0, 0.0, g, False), 30.0), (ob.beta_from_Ma_theta, (2.0, 0.0, g, True), 90.0),
        (ob.beta_from_Ma_theta, (2.0, 23.0, g, False), nan), (ob.beta_from_Ma_theta, (2.0, -1.0, g, True), nan),
        (ob.beta_from_Ma_theta, (nan, 5.0, g, True), nan), (ob.Po2_Po1_from_Ma_beta, (3.0, 10.0, 1.0), nan),
        # deflections so small that tan(beta) of the strong root passes 2^59: 90 to the last bit
        (ob.beta_from_Ma_theta, (2.0, 1e-310, g, True), 90.0), (ob.beta_from_Ma_theta, (1e3, 5e-324, g, True), 90.0),
    ]
    for f, args, want in cases:
        if "sup" in inspect.signature(f).parameters:
            *args, sup = args
            got = float(f(*args, sup=sup))
        else:
            got = float(f(*args))
        assert got == want or (math.isnan(want) and math.isnan(got)) or \
            abs(got - want) <= 4 * math.ulp(want), (f.__name__, args, got, want)
    for Ma in (1.2, 2.0, 8.0):
        top, at = ob.theta_max_from_Ma(Ma, g), ob.beta_at_theta_max_from_Ma(Ma, g)
        assert ob.beta_from_Ma_theta(Ma, top, g, False) == at == ob.beta_from_Ma_theta(Ma, top, g, True)
        assert math.isnan(ob.beta_from_Ma_theta(Ma, np.nextafter(top, 90), g))
    # The Rayleigh T/T* maximum sits at 1/sqrt(ga) on both branches.
    top = rayleigh.T_Tstar_from_Ma(1 / math.sqrt(g), g)
    assert abs(top - sp["rayleigh_T_max"]) <= 2 * math.ulp(top)
    for sup in (False, True):
        assert rayleigh.Ma_from_T_Tstar(top, g, sup=sup) == 1 / math.sqrt(g)


# (inverse, forward, flag, Ma range) with every inversion on each branch.
ROUND_TRIPS = [
    (fanno.Ma_from_fLstar_D, fanno.fLstar_D_from_Ma, False, (1e-4, 1.0)),
    (fanno.Ma_from_fLstar_D, fanno.fLstar_D_from_Ma, True, (1.0, 1e3)),
    (fanno.Ma_from_Po_Postar, fanno.Po_Postar_from_Ma, False, (1e-4, 1.0)),
    (fanno.Ma_from_Po_Postar, fanno.Po_Postar_from_Ma, True, (1.0, 1e3)),
    (fanno.Ma_from_P_Pstar, fanno.P_Pstar_from_Ma, None, (1e-4, 1e3)),
    (fanno.Ma_from_T_Tstar, fanno.T_Tstar_from_Ma, None, (1e-4, 1e3)),
    (rayleigh.Ma_from_To_Tostar, rayleigh.To_Tostar_from_Ma, False, (1e-4, 1.0)),
    (rayleigh.Ma_from_To_Tostar, rayleigh.To_Tostar_from_Ma, True, (1.0, 1e3)),
    (rayleigh.Ma_from_Po_Postar, rayleigh.Po_Postar_from_Ma, False, (1e-4, 1.0)),
    (rayleigh.Ma_from_Po_Postar, rayleigh.Po_Postar_from_Ma, True, (1.0, 1e3)),
    (rayleigh.Ma_from_P_Pstar, rayleigh.P_Pstar_from_Ma, None, (1e-4, 1e3)),
    (rayleigh.Ma_from_T_Tstar, rayleigh.T_Tstar_from_Ma, False, (1e-4, "e")),
    (rayleigh.Ma_from_T_Tstar, rayleigh.T_Tstar_from_Ma, True, ("e", 1e3)),
]


@pytest.mark.parametrize("inverse,forward,sup,span", ROUND_TRIPS,
                         ids=lambda v: getattr(v, "__module__", "")[16:] + getattr(v, "__name__", str(v)))
def test_round_trips_stay_on_their_branch(inverse, forward, sup, span):
    for ga in (1.1, 1.4, 1.67):
        e = 1 / math.sqrt(ga) if "T_Tstar" in inverse.__name__ and sup is not None else 1.0
        lo, hi = (e if v == "e" else v for v in span)
        near = e * (1.0 + np.geomspace(1e-9, 1e-2, 200) * (1 if hi > e else -1))
        M = np.unique(np.concatenate([np.geomspace(lo, hi, 3000), near]))
        M = M[(M >= lo) & (M <= hi)]
        assert_round_trip(inverse, forward, M, ga, sup, e)


def test_oblique_round_trips_on_both_branches():
    Ma = np.repeat(np.geomspace(1.02, 50.0, 60), 80)
    ga = np.tile(np.repeat([1.1, 1.4, 1.67], 1), 1600)
    top = ob.theta_max_from_Ma(Ma, ga)
    frac = np.tile(np.concatenate([np.linspace(0.0, 1.0, 76), [1e-6, 1 - 1e-6, 1 - 1e-9, 0.5]]), 60)
    theta = top * frac
    at = ob.beta_at_theta_max_from_Ma(Ma, ga)
    mu = np.degrees(np.arcsin(1 / Ma))
    for strong in (False, True):
        beta = ob.beta_from_Ma_theta(Ma, theta, ga, strong)
        lo, hi = (at, 90.0) if strong else (mu - 1e-12, at)
        ok = (beta >= lo) & (beta <= hi)
        assert ok.all(), list(zip(Ma[~ok], theta[~ok], beta[~ok]))[:5]
        back = ob.theta_from_Ma_beta(Ma, beta, ga)
        bad = ~(np.abs(back - theta) <= 1e-12 * top + 1e-13)
        assert not bad.any(), list(zip(Ma[bad], theta[bad], beta[bad], back[bad]))[:5]
    # Broadcasting: a column of Mach numbers against a row of deflections, strong per column.
    b = ob.beta_from_Ma_theta([[2.0], [3.0]], [5.0, 10.0, 15.0], 1.4, [False, True, False])
    assert b.shape == (2, 3) and b[0, 1] > 60 and b[1, 0] < 30


# Every level must give the scalar level's bits for every relation of this family.
def test_two_argument_calls_follow_the_conventions():
    # Scalars of any kind give a NumPy scalar with the array path's bits; float32 values give
    # float32.
    one = ob.beta_from_Ma_theta(2, np.float64(10.0), np.array(1.4), True)
    assert type(one) is np.float64
    assert one == ob.beta_from_Ma_theta(np.array([2.0]), np.array([10.0]), 1.4, [True])[0]
    assert ob.beta_from_Ma_theta(np.float32([2.0]), np.float32(10.0), 1.4, True).dtype == np.float32
    # Lists, ints, N-D arrays, ga and strong arrays broadcast; the input is not written.
    Ma = np.array([[2.0, 3.0]])
    before = Ma.copy()
    got = ob.theta_from_Ma_beta(Ma, [[40.0], [60.0], [90.0]], [1.3, 1.4])
    assert got.shape == (3, 2) and (got[2] == 0).all() and np.array_equal(Ma, before)
    assert ob.Ma2_from_Ma_beta(np.zeros((0, 3)), 40.0, 1.4).shape == (0, 3)
    strided = np.linspace(1.5, 4.0, 20)[::3]
    assert np.array_equal(ob.P2_P1_from_Ma_beta(strided, 80.0, 1.4),
                          ob.P2_P1_from_Ma_beta(strided.copy(), 80.0, 1.4))
    # Bad input is refused with the conventional errors.
    with pytest.raises(TypeError):
        ob.theta_from_Ma_beta(2.0 + 1j, 40.0, 1.4)
    with pytest.raises(TypeError):
        ob.theta_from_Ma_beta(2.0, "40", 1.4)
    with pytest.raises(ValueError):
        ob.beta_from_Ma_theta(2.0, 10.0, 1.4, strong=2)
    with pytest.raises(ValueError):
        ob.theta_from_Ma_beta([2.0, 3.0], [40.0, 50.0, 60.0], 1.4)
    assert math.isnan(ob.theta_from_Ma_beta(2.0, 40.0, 1.0))
