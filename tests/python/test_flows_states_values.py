"""The relations behind the whole-state calls: the sonic-reference ratios, the entropy rise, the
wave angle from Mn1, the inversions from T2/T1, rho2/rho1, rho/rho*, V/V* and the Mach angle,
and the closed forms Ma from Po/P and rhoo/rho, against 50-digit mpmath references
(tools/gen_flows_states_reference.py); their ends and the same bits at every level."""
import json
import math
from fractions import Fraction
from pathlib import Path

import numpy as np
import pytest

from vortalix2_flows import fanno, isentropic, normal_shock, oblique_shock, rayleigh

from conftest import assert_bits

REF = json.loads(Path(__file__).with_name("flows_states_reference.json").read_text())
MODULES = {"isentropic": isentropic, "normal_shock": normal_shock, "fanno": fanno,
           "rayleigh": rayleigh, "oblique_shock": oblique_shock}
NO_GA = ("isentropic.mu_from_Ma", "isentropic.Ma_from_mu")


def function(name):
    family, _, short = name.partition(".")
    return getattr(MODULES[family], short)


def call(name, x, ga):
    return function(name)(x) if name in NO_GA else function(name)(x, ga)


def grouped(rows):
    out = {}
    for row in rows:
        out.setdefault(row[0], []).append(row[1:])
    return out


@pytest.mark.parametrize("name", sorted(grouped(REF["forward"])))
def test_forward_accuracy(name):
    ga, M, exact = np.array(grouped(REF["forward"])[name], dtype=np.float64).T
    got = call(name, M, ga)
    bound = 1e-14 * np.abs(exact) + 1e-15
    bad = ~(np.abs(got - exact) <= bound) & ~(got == exact)
    assert not bad.any(), list(zip(ga[bad], M[bad], got[bad], exact[bad]))[:5]


def test_entropy_rise_is_relatively_accurate_near_the_sonic_point():
    # Of order (Ma - 1)^3 there: a relative bound, where -log(Po2/Po1) would lose every digit.
    ga, M, exact = np.array(grouped(REF["forward"])["normal_shock.ds_R_from_Ma"]).T
    near = (M > 1) & (M < 1.2)
    got = normal_shock.ds_R_from_Ma(M[near], ga[near])
    assert near.sum() >= 20
    assert np.all(np.abs(got - exact[near]) <= 1e-14 * exact[near]), (M[near], got, exact[near])


@pytest.mark.parametrize("name", sorted(grouped(REF["closed"])))
def test_stagnation_ratio_inversions_hold_relative_accuracy(name):
    # From Po/P = 1 + 2^-52 (Ma ~ 1e-8) to 1e30: 1e-14 relative everywhere.
    ga, x, exact = np.array(grouped(REF["closed"])[name], dtype=np.float64).T
    got = function(name)(x, ga)
    rel = np.abs(got - exact) / exact
    assert np.all(rel <= 1e-14), list(zip(ga[rel > 1e-14], x[rel > 1e-14], rel[rel > 1e-14]))[:5]


def test_wave_angle_from_the_normal_component():
    _, ga, M, mn, exact = zip(*REF["oblique"])
    got = oblique_shock.beta_from_Ma_Mn1(np.array(M), np.array(mn), np.array(ga))
    assert np.all(np.abs(got - np.array(exact)) <= 1e-14 * np.abs(exact) + 1e-13)
    beta = np.linspace(35.0, 90.0, 23)
    back = oblique_shock.beta_from_Ma_Mn1(3.0, oblique_shock.Mn1_from_Ma_beta(3.0, beta))
    assert np.all(np.abs(back - beta) <= 1e-11)


def test_inversions_backward_error():
    # |R(M) - x| <= 32 ulp(x) + |R'(M)| ulp(M), R(M) - x from the exact root r and the exact
    # derivatives there: R'(r) d + R''(r) d^2/2, d = M - r.
    failures = []
    for name, ga, x, hi, lo, d1, d2 in REF["inverse"]:
        M = float(call(name, x, ga))
        if not math.isfinite(M):
            failures.append((name, ga, x, M, hi))
            continue
        d = float(Fraction(M) - Fraction(hi) - Fraction(lo))
        residual = abs(d1 * d + 0.5 * d2 * d * d)
        if residual > 32 * math.ulp(x) + (abs(d1) + abs(d2 * d)) * math.ulp(M):
            failures.append((name, ga, x, M, hi, residual / math.ulp(x)))
    assert not failures, failures[:8]


def test_ends_of_every_domain():
    g = 1.4
    nan, inf = math.nan, math.inf
    top_rho2 = (g + 1) / (g - 1)
    cases = [
        (normal_shock.Ma_from_T2_T1, (1.0, g), 1.0), (normal_shock.Ma_from_T2_T1, (inf, g), inf),
        (normal_shock.Ma_from_T2_T1, (0.999, g), nan), (normal_shock.Ma_from_T2_T1, (1e300, g), None),
        (normal_shock.Ma_from_rho2_rho1, (1.0, g), 1.0),
        (normal_shock.Ma_from_rho2_rho1, (top_rho2, g), inf),
        (normal_shock.Ma_from_rho2_rho1, (np.nextafter(top_rho2, 9.0), g), nan),
        (normal_shock.Ma_from_rho2_rho1, (0.99, g), nan),
        (normal_shock.ds_R_from_Ma, (1.0, g), 0.0), (normal_shock.ds_R_from_Ma, (inf, g), inf),
        (normal_shock.ds_R_from_Ma, (0.99, g), nan), (normal_shock.ds_R_from_Ma, (1e200, g), None),
        (fanno.Ma_from_rho_rhostar, (math.sqrt((g - 1) / (g + 1)), g), inf),
        (fanno.Ma_from_rho_rhostar, (inf, g), 0.0), (fanno.Ma_from_rho_rhostar, (1.0, g), 1.0),
        (fanno.Ma_from_rho_rhostar, (0.4, g), nan), (fanno.Ma_from_rho_rhostar, (1e300, g), None),
        (fanno.Ma_from_V_Vstar, (0.0, g), 0.0), (fanno.Ma_from_V_Vstar, (1.0, g), 1.0),
        (fanno.Ma_from_V_Vstar, (math.sqrt((g + 1) / (g - 1)), g), inf),
        (fanno.Ma_from_V_Vstar, (2.5, g), nan), (fanno.Ma_from_V_Vstar, (-0.1, g), nan),
        (rayleigh.Ma_from_rho_rhostar, (g / (g + 1), g), inf), (rayleigh.Ma_from_rho_rhostar, (inf, g), 0.0),
        (rayleigh.Ma_from_rho_rhostar, (1.0, g), 1.0), (rayleigh.Ma_from_rho_rhostar, (0.5, g), nan),
        (rayleigh.Ma_from_rho_rhostar, (1e300, g), None),
        (rayleigh.Ma_from_V_Vstar, (0.0, g), 0.0), (rayleigh.Ma_from_V_Vstar, (1.0, g), 1.0),
        (rayleigh.Ma_from_V_Vstar, ((g + 1) / g, g), inf), (rayleigh.Ma_from_V_Vstar, (1.8, g), nan),
        (isentropic.Ma_from_mu, (90.0,), 1.0), (isentropic.Ma_from_mu, (0.0,), inf),
        (isentropic.Ma_from_mu, (30.0,), None), (isentropic.Ma_from_mu, (90.5,), nan),
        (isentropic.Ma_from_mu, (-1.0,), nan),
        (isentropic.Ma_from_Po_P, (1.0, g), 0.0), (isentropic.Ma_from_Po_P, (inf, g), inf),
        (isentropic.Ma_from_rhoo_rho, (1.0, g), 0.0), (isentropic.Ma_from_rhoo_rho, (inf, g), inf),
        (isentropic.Ma_from_Po_P, (0.999, g), nan),
        (isentropic.T_Tstar_from_Ma, (1.0, g), 1.0), (isentropic.P_Pstar_from_Ma, (1.0, g), 1.0),
        (isentropic.rho_rhostar_from_Ma, (1.0, g), 1.0), (isentropic.Mstar_from_Ma, (1.0, g), 1.0),
        (isentropic.Mstar_from_Ma, (inf, g), math.sqrt((g + 1) / (g - 1))),
        (isentropic.P_Pstar_from_Ma, (inf, g), 0.0), (isentropic.P_Pstar_from_Ma, (-1.0, g), nan),
        (oblique_shock.beta_from_Ma_Mn1, (2.0, 2.0, g), 90.0),
        (oblique_shock.beta_from_Ma_Mn1, (2.0, 1.0, g), 30.0),
        (oblique_shock.beta_from_Ma_Mn1, (2.0, 0.99, g), nan),
        (oblique_shock.beta_from_Ma_Mn1, (2.0, 2.01, g), nan),
    ]
    for f, args, want in cases:
        with np.errstate(invalid="ignore"):
            got = float(f(*args))
        if want is None:  # a finite positive value, no overflow on the way
            assert math.isfinite(got) and got > 0, (f.__name__, args, got)
            continue
        assert got == want or (math.isnan(want) and math.isnan(got)) or \
            abs(got - want) <= 2 * math.ulp(want), (f.__name__, args, got, want)
    # mu = 30 degrees is Ma = 2 to rounding; 1e300 as T2/T1 and rho/rho* keep their scale.
    assert abs(isentropic.Ma_from_mu(30.0) - 2.0) <= 2 * math.ulp(2.0)
    assert abs(normal_shock.Ma_from_T2_T1(1e300, g) / math.sqrt(1e300 * (g + 1) ** 2 / (2 * g * (g - 1))) - 1) < 1e-14
    assert abs(fanno.Ma_from_rho_rhostar(1e300, g) * 1e300 - math.sqrt(2 / (g + 1))) < 1e-15
    ds = normal_shock.ds_R_from_Ma(1e200, g)
    far = math.log(2 * g / (g + 1)) + 400 * math.log(10) - g * math.log((g + 1) / (g - 1))
    assert abs(ds - far / (g - 1)) < 1e-12 * ds


def test_outside_the_domain_raises_invalid():
    # T2/T1 = 1 and just above give Ma >= 1, so every downstream quantity is defined.
    with np.errstate(all="raise"):
        M = normal_shock.Ma_from_T2_T1(np.array([1.0, 1.0 + 2**-52, 1.0 + 2**-50]),
                                       np.array([[1.1], [1.2], [1.3], [1.4], [1.67]]))
        assert (M >= 1.0).all() and (M[:, 0] == 1.0).all()
        normal_shock.Mash_from_Ma(M)
    for f, x in ((normal_shock.Ma_from_T2_T1, 0.5), (normal_shock.Ma_from_rho2_rho1, 9.0),
                 (fanno.Ma_from_rho_rhostar, 0.1), (rayleigh.Ma_from_V_Vstar, 3.0),
                 (isentropic.Ma_from_Po_P, 0.5), (normal_shock.ds_R_from_Ma, 0.5)):
        with np.errstate(invalid="raise"):
            with pytest.raises(FloatingPointError):
                f(np.array([x]), 1.4)
    with np.errstate(all="raise"):  # inside: no status at all
        normal_shock.ds_R_from_Ma(np.array([1.0, 1.5, np.inf]), 1.4)
        isentropic.Ma_from_Po_P(np.array([1.0, 1.0 + 2**-52, 7.0, np.inf]), 1.4)


def test_aliases_are_the_same_ufuncs():
    ns = normal_shock
    assert ns.Ma2_from_Ma.ufunc is ns.Mash_from_Ma.ufunc
    assert ns.Po2_Po1_from_Ma.ufunc is ns.Posh_Po_from_Ma.ufunc
    assert ns.Ma_from_Ma2.ufunc is ns.Ma_from_Mash.ufunc
    assert ns.Ma_from_Po2_Po1.ufunc is ns.Ma_from_Posh_Po.ufunc
    assert ns.Ma_from_Ma2(Ma2=0.57735026918962584) == ns.Ma_from_Mash(0.57735026918962584)
    assert ns.Ma_from_Po2_Po1(Po2_Po1=0.5) == ns.Ma_from_Posh_Po(0.5)


def test_stagnation_ratio_inversions_round_trip_near_rest():
    # Down to Ma = 1e-8 the round trip keeps 1e-14 relative, where the core's formula kept 1e-8.
    M = np.geomspace(1e-8, 1e-2, 300)
    for ga in (1.1, 1.4, 1.67):
        for inv, fwd in ((isentropic.Ma_from_Po_P, isentropic.Po_P_from_Ma),
                         (isentropic.Ma_from_rhoo_rho, isentropic.rhoo_rho_from_Ma)):
            x = fwd(M, ga)
            exact = np.array([math.sqrt(2 / (ga - 1) * math.expm1(
                (((ga - 1) / ga) if inv is isentropic.Ma_from_Po_P else (ga - 1)) * math.log1p(v - 1)))
                for v in x])
            got = inv(x, ga)
            assert np.all(np.abs(got - exact) <= 4e-15 * exact)


def test_same_bits_on_strided_float32_and_broadcast_input():
    x = np.linspace(1.0, 50.0, 301)
    for f in (normal_shock.Ma_from_T2_T1, normal_shock.ds_R_from_Ma, isentropic.Ma_from_Po_P,
              isentropic.P_Pstar_from_Ma, fanno.Ma_from_V_Vstar, rayleigh.Ma_from_rho_rhostar):
        with np.errstate(invalid="ignore"):
            whole = f(x, 1.3)
            assert_bits(f(x[::3], 1.3), whole[::3], f.__name__)
            assert_bits(f(x.reshape(7, 43), np.full((7, 1), 1.3)).ravel(), whole, f.__name__)
            assert_bits(np.array([f(float(v), 1.3) for v in x[:40]]), whole[:40], f.__name__)
