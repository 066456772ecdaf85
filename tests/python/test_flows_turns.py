"""Turns, reflections, polars and shock-expansion airfoils: against 50-digit mpmath references
(tools/gen_flows_turns_reference.py), the special points of each call, the floating-point
status of the branch an element does not keep, every level's bits, and the charts."""
import json
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

from vortalix2_flows import isentropic as ise
from vortalix2_flows import oblique_shock as ob
from vortalix2_flows import shock_expansion as se

from accuracy import assert_levels_agree
from conftest import assert_bits

REF = json.loads(Path(__file__).with_name("flows_turns_reference.json").read_text())
TURN = ("Ma2", "P2_P1", "T2_T1", "rho2_rho1", "Po2_Po1", "beta")
REFLECT = ("beta_r", "Ma3", "P3_P1", "Po3_Po1")
PLATE = ("cl", "cd", "cm", "P_upper", "P_lower")
DIAMOND = ("cl", "cd", "cm", "P_upper_front", "P_upper_rear", "P_lower_front", "P_lower_rear")


def table(rows):
    return np.array([[np.nan if v is None else v for v in r] for r in rows])


def assert_close(result, fields, rows, inputs, rel=1e-12):
    """Each field against its reference column, relative `rel`; a reference of zero (a
    symmetric body's lift or moment) needs the answer within 1e-15 of it."""
    for k, name in enumerate(fields):
        got = np.asarray(getattr(result, name))
        want = rows[:, inputs + k]
        assert np.array_equal(np.isnan(got), np.isnan(want)), name
        tol = np.where(np.abs(want) < 1e-40, 1e-15, rel * np.abs(want))
        bad = np.nonzero(np.abs(got - want) > tol)[0]
        assert bad.size == 0, [(name, *rows[i, :inputs], got[i], want[i]) for i in bad[:5]]


def test_turn_and_reflect_match_the_reference():
    rows = table(REF["turn"])
    assert (rows[:, 2] < 0).sum() > 30 and (rows[:, 2] > 0).sum() > 30
    assert_close(ob.turn(rows[:, 1], rows[:, 2], rows[:, 0]), TURN, rows, 3)
    rows = table(REF["reflect"])
    assert_close(ob.reflect(rows[:, 1], rows[:, 2], rows[:, 0]), REFLECT, rows, 3)


def test_airfoils_match_the_reference():
    rows = table(REF["flat_plate"])
    assert_close(se.flat_plate(rows[:, 1], rows[:, 2], rows[:, 0]), PLATE, rows, 3)
    rows = table(REF["diamond"])
    # Thin airfoils at zero incidence included: their drag is thickness drag alone.
    assert ((rows[:, 2] == 0.01) & (rows[:, 3] == 0.0)).any()
    assert_close(se.diamond(rows[:, 1], rows[:, 2], rows[:, 3], rows[:, 0]), DIAMOND, rows, 4)


def test_polar_points_satisfy_theta_beta_mach():
    for ga, ma, betas, thetas, ratios in REF["polar"]:
        p = ob.polar(ma, ga, n=len(betas))
        assert p.beta.tolist() == betas, "the polar's wave angles moved: regenerate the reference"
        assert np.max(np.abs(p.theta - thetas)) <= 1e-13
        assert np.max(np.abs(p.P2_P1 / ratios - 1.0)) <= 1e-13
        # From the Mach wave over theta_max to the normal shock.
        assert p.theta[0] == 0.0 and p.P2_P1[0] == 1.0 and p.beta[-1] == 90.0
        assert p.P2_P1[-1] == ob.P2_P1_from_Ma_beta(ma, 90.0, ga)
        assert np.max(p.theta) <= ob.theta_max_from_Ma(ma, ga)
    p = ob.polar(np.array([[1.5, 2.0, 3.0], [4.0, 5.0, 0.5]]), np.array([1.4, 1.3, 1.2]), n=7)
    assert p.theta.shape == p.P2_P1.shape == p.beta.shape == (2, 3, 7)
    assert np.isnan(p.theta[1, 2]).all() and not np.isnan(p.theta[:, :2]).any()
    with pytest.raises(ValueError):
        ob.polar(2.0, n=1)


def test_turn_takes_each_branch_from_the_relations_it_joins():
    ma = np.array([1.2, 2.0, 3.0, 5.0, 2.0, 3.0, 1.0, 1.0])
    dtheta = np.array([2.0, -10.0, 15.0, -40.0, 20.0, -0.5, -3.0, 1e-300])
    with np.errstate(invalid="ignore"):
        r = ob.turn(ma, dtheta, 1.3)
        shock = dtheta > 0
        beta = ob.beta_from_Ma_theta(ma, dtheta, 1.3)
        ma2 = ise.Ma_from_nu(ise.nu_from_Ma(ma, 1.3) - dtheta, 1.3)
    assert_bits(r.beta[shock], beta[shock])
    assert_bits(r.Ma2[shock], ob.Ma2_from_Ma_beta(ma, beta, 1.3)[shock])
    assert_bits(r.P2_P1[shock], ob.P2_P1_from_Ma_beta(ma, beta, 1.3)[shock])
    assert_bits(r.Po2_Po1[shock], ob.Po2_Po1_from_Ma_beta(ma, beta, 1.3)[shock])
    fan = ~shock
    assert_bits(r.Ma2[fan], ma2[fan])
    assert (r.Po2_Po1[fan] == 1.0).all() and np.isnan(r.beta[fan]).all()
    # A fan raises T2/T1, P2/P1, rho2/rho1 together and isentropically.
    assert np.allclose(r.P2_P1[fan], r.T2_T1[fan] ** (1.3 / 0.3),
                       rtol=1e-14)
    assert np.allclose(r.rho2_rho1[fan], r.T2_T1[fan] ** (1 / 0.3), rtol=1e-14)


def test_turn_special_points():
    ma = np.array([1.0, 1.5, 3.0, 7.0])
    for zero in (0.0, -0.0):
        r = ob.turn(ma, zero)
        assert_bits(r.Ma2, ma)
        for name in TURN[1:5]:
            assert (getattr(r, name) == 1.0).all(), name
        assert_bits(r.beta, ise.mu_from_Ma(ma))
    # Tiny turns either way leave the stream all but unchanged.
    for d in (1e-9, -1e-9):
        r = ob.turn(ma[1:], d)
        assert np.allclose(r.Ma2, ma[1:], rtol=1e-7) and np.allclose(r.P2_P1, 1.0, atol=1e-8)
    # The largest deflection still turns, just beyond it the shock detaches.
    top = ob.theta_max_from_Ma(2.0)
    assert np.isfinite(ob.turn(2.0, top).Ma2)
    with np.errstate(invalid="ignore"):
        assert np.isnan(ob.turn(2.0, np.nextafter(top, 90.0)).Ma2)
    # The whole Prandtl-Meyer range: to Ma = inf and P = 0, then nothing.
    nu_max = (np.sqrt((1.4 + 1.0) / (1.4 - 1.0)) - 1.0) * 90.0
    r = ob.turn(1.0, -nu_max)
    assert r.Ma2 == np.inf and r.P2_P1 == 0.0 and r.Po2_Po1 == 1.0


@pytest.mark.parametrize("ma, dtheta", [
    (2.0, 30.0),      # the shock detaches
    (2.0, -110.0),    # beyond the largest fan
    (0.8, 5.0), (0.8, -5.0), (np.inf, 5.0), (np.inf, -5.0), (-2.0, 0.0),
    (2.0, np.inf), (2.0, -np.inf),
])
def test_turn_outside_its_domain_is_nan_with_invalid(ma, dtheta):
    with np.errstate(invalid="ignore"):
        r = ob.turn(ma, dtheta)
    assert all(np.isnan(v) for v in r.to_dict().values())
    with np.errstate(invalid="raise"), pytest.raises(FloatingPointError):
        ob.turn(ma, dtheta)
    with np.errstate(invalid="raise"), pytest.raises(FloatingPointError):
        ob.Ma2_from_Ma_dtheta(np.array([2.0, ma]), np.array([1.0, dtheta]))


def test_the_branch_not_kept_raises_nothing():
    # Shocks at deflections far beyond any fan, fans far beyond any attached shock.
    ma = np.array([1.5, 1.5, 6.0, 6.0, 1.05, 10.0])
    dtheta = np.array([12.0, -80.0, 40.0, -30.0, 0.4, -25.0])
    with np.errstate(all="raise"):
        r = ob.turn(ma, dtheta)
        for name in TURN[:5]:
            assert np.isfinite(getattr(r, name)).all(), name
        se.flat_plate(np.array([2.0, 3.0]), np.array([-10.0, 10.0]))
        se.diamond(2.0, np.array([0.02, 0.1]), np.array([-3.0, 9.0]))


def test_reflect_special_points():
    # No deflection: a Mach wave reflects as a Mach wave.
    r = ob.reflect(np.array([1.5, 3.0]), 0.0)
    assert np.allclose(r.beta_r, ise.mu_from_Ma(np.array([1.5, 3.0])), rtol=1e-13)
    assert np.allclose([r.P3_P1, r.Po3_Po1], 1.0, rtol=1e-15, atol=0)
    # Ma 2, theta 15: Ma2 = 1.446, whose largest deflection is 10.7 degrees: a Mach reflection.
    for ma, theta in ((2.0, 15.0), (2.0, 25.0), (0.9, 5.0), (2.0, -1.0)):
        with np.errstate(invalid="ignore"):
            assert all(np.isnan(v) for v in ob.reflect(ma, theta).to_dict().values())
        with np.errstate(invalid="raise"), pytest.raises(FloatingPointError):
            ob.reflect(ma, theta)
    # The reflected shock turns the stream back by theta, below the Mach number between.
    r = ob.reflect(3.0, 10.0)
    ma2 = ob.Ma2_from_Ma_dtheta(3.0, 10.0)
    assert ob.theta_from_Ma_beta(ma2, r.beta_r + 10.0) == pytest.approx(10.0, rel=1e-13)
    assert r.Ma3 < ma2 and r.P3_P1 > ob.P2_P1_from_Ma_dtheta(3.0, 10.0)


def test_airfoils_against_each_other_and_linear_theory():
    # A diamond of no thickness is a flat plate.
    plate, thin = se.flat_plate(2.5, 4.0), se.diamond(2.5, 0.0, 4.0)
    for name in ("cl", "cd", "cm"):
        assert np.isclose(getattr(plate, name), getattr(thin, name), rtol=1e-14), name
    assert np.isclose(plate.cm, -0.5 * plate.cl / np.cos(np.radians(4.0)), rtol=1e-15)
    # Symmetric at zero incidence, odd in alpha.
    d0 = se.diamond(2.0, 0.05, 0.0)
    assert d0.cl == 0.0 and d0.cm == 0.0 and not np.signbit([d0.cl, d0.cm]).any() and d0.cd > 0
    up, down = se.diamond(2.0, 0.05, 3.0), se.diamond(2.0, 0.05, -3.0)
    assert up.cl == -down.cl and up.cm == -down.cm and up.cd == down.cd
    # Linear theory is the small-angle limit: cl = 4 alpha/sqrt(Ma^2 - 1),
    # cd = 4 (alpha^2 + t_c^2)/sqrt(Ma^2 - 1), cm = -cl/2.
    a, t_c, b = np.radians(0.2), 0.002, np.sqrt(3.0)
    d = se.diamond(2.0, t_c, 0.2)
    assert np.isclose(d.cl, 4 * a / b, rtol=1e-2) and np.isclose(d.cm, -2 * a / b, rtol=1e-2)
    assert np.isclose(d.cd, 4 * (a * a + t_c * t_c) / b, rtol=1e-2)
    r = se.diamond(np.array([[2.0], [3.0]]), np.array([0.02, 0.05, 0.08]), 2.0)
    assert r.cl.shape == r.P_lower_rear.shape == r.shape == (2, 3)
    with np.errstate(invalid="ignore"):
        assert np.isnan(se.diamond(1.5, 0.1, 10.0).cl)   # the lower shock detaches


def test_result_objects():
    r = ob.turn(2.0, 10.0)
    assert list(r.to_dict()) == list(TURN) and r.to_dict()["Ma2"] is r.Ma2
    assert r.shape == () and isinstance(r.Ma2, np.floating)
    text = repr(r)
    assert text.splitlines()[0] == "oblique_shock.turn" and "1.6405" in text and "Po2_Po1" in text
    many = ob.reflect(np.linspace(2, 3, 50), 5.0)
    assert repr(many) == "<oblique_shock.reflect: fields of shape (50,): beta_r, Ma3, P3_P1, Po3_Po1>"
    with pytest.raises(AttributeError, match="no field 'Ma3'"):
        r.Ma3
    with pytest.raises(AttributeError):
        r.Ma2 = 1.0
    assert "Ma2" in dir(r)
    import copy
    import pickle

    for again in (pickle.loads(pickle.dumps(many)), copy.deepcopy(many)):
        assert list(again.to_dict()) == list(REFLECT)
        assert_bits(again.Ma3, many.Ma3)


LEVEL_PROBE = r"""
import json, sys
import numpy as np
from vortalix2_flows import _core, oblique_shock as ob, shock_expansion as se
rng = np.random.default_rng(7)
specials = [0.0, -0.0, 1.0, np.inf, -np.inf, np.nan, -1.0, 1e-300, 1e300]
M = np.concatenate([rng.uniform(1, 8, 200), specials, [2.0] * 9])
d = np.concatenate([rng.uniform(-70, 40, 200), [2.0] * 9, specials])
out = {"level": _core.level()}
with np.errstate(all="ignore"):
    for ga in (1.13, 1.4, 1.67):
        fields = {**ob.turn(M, d, ga).to_dict(), **ob.reflect(M, np.abs(d) / 2, ga).to_dict(),
                  **{"plate " + k: v for k, v in se.flat_plate(M, d / 4, ga).to_dict().items()}}
        for k, v in fields.items():
            out[f"{k} {ga}"] = np.asarray(v).view(np.uint64).tolist()
json.dump(out, sys.stdout)
"""


def test_every_level_gives_the_scalar_bits():
    assert_levels_agree(LEVEL_PROBE)


def png_size(path):
    head = Path(path).read_bytes()[:24]
    assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR"
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


@pytest.mark.extras
@pytest.mark.parametrize("kind", ["oblique-shock", "polar", "isentropic", "normal-shock",
                                  "fanno", "rayleigh"])
def test_each_chart_is_a_png_of_the_requested_size(kind, tmp_path):
    pytest.importorskip("matplotlib")
    import matplotlib.image

    import vortalix2_flows

    path = tmp_path / f"{kind}.png"
    vortalix2_flows.chart(kind, path, size=(641, 357), ga=1.3)
    assert png_size(path) == (641, 357)
    assert matplotlib.image.imread(path).shape[:2] == (357, 641)


@pytest.mark.extras
def test_chart_command(tmp_path):
    pytest.importorskip("matplotlib")
    out = tmp_path / "polar.png"
    done = subprocess.run([sys.executable, "-m", "vortalix2_flows", "chart", "polar", "-o",
                           str(out), "--size", "320", "240"], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert png_size(out) == (320, 240)
    done = subprocess.run([sys.executable, "-m", "vortalix2_flows", "chart", "mollier", "-o",
                           str(out)], capture_output=True, text=True)
    assert done.returncode == 2 and "invalid choice" in done.stderr


def test_charts_import_matplotlib_only_when_drawn():
    done = subprocess.run([sys.executable, "-c",
                           "import sys, vortalix2_flows; print('matplotlib' in sys.modules)"],
                          capture_output=True, text=True, check=True)
    assert done.stdout.strip() == "False"
