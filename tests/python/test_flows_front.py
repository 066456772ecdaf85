"""vortalix2_flows: calling conventions, the core's bits inside the domain, NaN outside it,
and the same bits at every instruction-set level."""

import numpy as np
import pytest

import vortalix2 as core
from vortalix2_flows import isentropic as ise
from vortalix2_flows import normal_shock as ns

from accuracy import assert_levels_agree
from conftest import assert_bits

GAS = (1.1, 1.3, 1.4, 1.67)

# Toolkit functions that the core has too and computes as the core does, with the input range
# of their domain (Ma_from_Po_P and Ma_from_rhoo_rho take a form that does not cancel).
SHARED = [
    (ise.To_T_from_Ma, 0.0, 50.0), (ise.Po_P_from_Ma, 0.0, 50.0),
    (ise.rhoo_rho_from_Ma, 0.0, 50.0), (ise.V_cpTo_from_Ma, 0.0, 50.0),
    (ise.mcpTo_APo_from_Ma, 0.0, 50.0), (ise.mcpTo_AP_from_Ma, 0.0, 50.0),
    (ise.A_Acrit_from_Ma, 0.0, 50.0), (ns.Mash_from_Ma, 1.0, 50.0),
    (ns.Posh_Po_from_Ma, 1.0, 50.0), (ise.Ma_from_To_T, 1.0, 1e4),
    (ise.Ma_from_V_cpTo, 0.0, 1.4142135623730949),
]


@pytest.mark.parametrize("f,lo,hi", SHARED, ids=lambda v: getattr(v, "__name__", ""))
def test_core_bits_inside_the_domain(f, lo, hi):
    rng = np.random.default_rng(7)
    x = np.concatenate([np.linspace(lo, hi, 3001), rng.uniform(lo, min(hi, 3.0), 2000),
                        [lo, hi, np.nextafter(lo, np.inf)]])
    for ga in GAS:
        assert_bits(f(x, ga), getattr(core, f.__name__)(x, ga), f"{f.__name__} ga={ga}")


# (function, inputs outside the domain, expected) by regime.
OUTSIDE = [
    (ise.A_Acrit_from_Ma, [-2.0, -1e-300, np.nan], np.nan),
    (ise.To_T_from_Ma, [-0.5, -np.inf], np.nan),
    (ns.Mash_from_Ma, [0.5, 0.999999, -3.0], np.nan),
    (ns.Posh_Po_from_Ma, [0.5, 0.99], np.nan),
    (ns.P2_P1_from_Ma, [0.9], np.nan),
    (ise.mu_from_Ma, [0.9, -1.0], np.nan),
    (ise.nu_from_Ma, [0.99], np.nan),
    (ise.Ma_from_Po_P, [0.99, -1.0], np.nan),
    (ise.Ma_from_V_cpTo, [1.4142135623730951, 2.0, -0.1], np.nan),
    (ns.Ma_from_Posh_Po, [1.01, 2.0, -0.1], np.nan),
    (ns.Ma_from_Mash, [1.01, 0.3], np.nan),
    (ise.Ma_from_mcpTo_AP, [-1.0], np.nan),
]


@pytest.mark.parametrize("f,xs,expected", OUTSIDE, ids=lambda v: getattr(v, "__name__", ""))
def test_nan_outside_the_domain(f, xs, expected):
    args = (xs,) if f is ise.mu_from_Ma else (xs, 1.4)
    assert_bits(f(*args), np.full(len(xs), expected), f.__name__)


def test_limits_at_the_domain_ends():
    ga = 1.4
    ends = [
        (ise.A_Acrit_from_Ma(0.0, ga), np.inf), (ise.A_Acrit_from_Ma(-0.0, ga), np.inf),
        (ise.A_Acrit_from_Ma(np.inf, ga), np.inf), (ise.F_mcpTo_from_Ma(-0.0, ga), np.inf),
        (ise.Ma_from_A_Acrit(np.inf, ga, sup=False), 0.0), (ise.Ma_from_A_Acrit(np.inf, ga, sup=True), np.inf),
        (ise.Ma_from_A_Acrit(1.0, ga, sup=True), 1.0), (ise.Ma_from_mcpTo_APo(0.0, ga, sup=True), np.inf),
        (ise.Ma_from_mcpTo_APo(ise.mcpTo_APo_from_Ma(1.0, ga), ga, sup=False), 1.0),
        (ise.Ma_from_F_mcpTo(np.inf, ga, sup=False), 0.0), (ise.F_mcpTo_from_Ma(0.0, ga), np.inf),
        (ise.Ma_from_mcpTo_AP(np.inf, ga), np.inf), (ise.Ma_from_mcpTo_AP(0.0, ga), 0.0),
        (ise.mu_from_Ma(1.0), 90.0), (ise.mu_from_Ma(np.inf), 0.0), (ise.nu_from_Ma(1.0, ga), 0.0),
        (ise.Ma_from_nu(0.0, ga), 1.0), (ise.Ma_from_nu(ise.nu_from_Ma(np.inf, ga), ga), np.inf),
        (ns.Ma_from_Posh_Po(1.0, ga), 1.0), (ns.Ma_from_Posh_Po(0.0, ga), np.inf),
        (ns.Ma_from_Mash(1.0, ga), 1.0),
        (ns.rho2_rho1_from_Ma(np.inf, ga), (ga + 1) / (ga - 1)),
        (ise.Po_P_from_Ma(1.0, 1.0), np.nan), (ise.Po_P_from_Ma(1.0, 0.5), np.nan),
        (ise.Po_P_from_Ma(1.0, np.nan), np.nan),
    ]
    got, expected = zip(*ends)
    assert_bits(np.array(got), np.array(expected))


def test_scalars_lists_and_dtypes():
    r = ise.Po_P_from_Ma(2, 1.4)
    assert type(r) is np.float64
    assert type(ise.Po_P_from_Ma(np.float32(2), np.array(1.4))) is np.float32
    assert type(ise.Po_P_from_Ma(np.float64(2))) is np.float64
    assert type(ise.Ma_from_A_Acrit(2.0, 1.4, sup=np.bool_(True))) is np.float64
    one = ise.Po_P_from_Ma(np.array([2.0]), 1.4)
    assert isinstance(one, np.ndarray) and one.shape == (1,)
    assert_bits(ise.Po_P_from_Ma([1, 2, 3], 1.4), ise.Po_P_from_Ma(np.array([1.0, 2.0, 3.0]), 1.4))
    # float32 in, float32 out: the float64 result rounded once.
    single = ise.Po_P_from_Ma(np.arange(4, dtype=np.float32), 1.4)
    assert single.dtype == np.float32
    assert_bits(single, ise.Po_P_from_Ma(np.arange(4, dtype=np.float64), 1.4).astype(np.float32))
    big = 2**53 + 1   # rounds as NumPy rounds it
    assert ise.To_T_from_Ma(big, 1.4) == ise.To_T_from_Ma(np.asarray(big, dtype=np.float64), 1.4)
    assert ise.To_T_from_Ma(np.zeros((2, 0)), 1.4).shape == (2, 0)
    for bad in (1 + 2j, np.array([1j]), np.array([1.0], dtype=object), "2.0", ["a"], None):
        with pytest.raises(TypeError):
            ise.Po_P_from_Ma(bad, 1.4)
    with pytest.raises(TypeError):
        ise.Po_P_from_Ma(2.0, 1.4j)


def test_broadcasting_of_ga_and_sup():
    M = np.linspace(1.2, 4.0, 6).reshape(3, 2)
    ga = np.array([1.2, 1.4])
    got = ns.P2_P1_from_Ma(M, ga)
    assert got.shape == (3, 2)
    for j in range(2):
        assert_bits(got[:, j], ns.P2_P1_from_Ma(M[:, j], ga[j]))
    x = np.array([[2.0], [3.0]])
    both = ise.Ma_from_A_Acrit(x, 1.4, sup=np.array([False, True]))
    assert both.shape == (2, 2)
    assert_bits(both[:, 0], ise.Ma_from_A_Acrit(x[:, 0], 1.4, sup=False))
    assert_bits(both[:, 1], ise.Ma_from_A_Acrit(x[:, 0], 1.4, sup=True))
    for s in (0, np.False_, [0], np.zeros((2, 1), dtype=np.int8)):
        assert_bits(ise.Ma_from_A_Acrit(x, 1.4, sup=s), ise.Ma_from_A_Acrit(x, 1.4, sup=False))
    assert_bits(ise.Ma_from_A_Acrit(x, 1.4, sup=1), ise.Ma_from_A_Acrit(x, 1.4, sup=True))
    assert_bits(ise.Ma_from_A_Acrit(x, 1.4, sup=[0, 1]), both)
    for bad in (2, 0.5, [0, 2]):
        with pytest.raises(ValueError):
            ise.Ma_from_A_Acrit(x, 1.4, sup=bad)
    with pytest.raises(TypeError):
        ise.Ma_from_A_Acrit(x, 1.4, sup="yes")
    with pytest.raises(ValueError):
        ise.Po_P_from_Ma(np.ones(3), np.ones(2) * 1.4)


def test_input_is_not_written_and_layouts_do_not_matter():
    a = np.linspace(0.1, 5.0, 40).reshape(5, 8)
    keep = a.copy()
    for view in (a, a.T, a[::-1, ::3], np.asfortranarray(a)):
        assert_bits(ise.A_Acrit_from_Ma(view, 1.3), ise.A_Acrit_from_Ma(np.array(view), 1.3))
    assert_bits(a, keep)


PROBE = r"""
import json, sys
import numpy as np
from vortalix2_flows import _core, _ufuncs
rng = np.random.default_rng(3)
specials = [0, 1, np.inf, -1, np.nan, 1e-300, 1e300]
x = np.concatenate([rng.uniform(0, 3, 301), rng.uniform(0, 60, 101), specials])
M = np.concatenate([rng.uniform(1, 7, 402), specials])
angle = rng.uniform(0, 90, x.size)
g = rng.uniform(1.05, 1.7, x.size)
out = {"level": _core.level()}
with np.errstate(all="ignore"):
    for r in _ufuncs.RELATIONS:
        p = _ufuncs.parse(r.parameters)
        values = [x * 20 if "nu" in r.name else x] if len(p.values) == 1 else [M, angle]
        for ga in (1.13, 1.4, 1.67, g):
            for flag in (False, True):
                args = values + [ga] * p.ga + [flag] * (p.flag is not None)
                key = f"{r.module}.{r.name} {ga if np.ndim(ga) == 0 else 'varied'} {flag}"
                out[key] = r.ufunc(*args).view(np.uint64).tolist()
json.dump(out, sys.stdout)
"""


def test_every_level_gives_the_scalar_bits():
    assert_levels_agree(PROBE)
