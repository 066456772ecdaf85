"""The nozzle example against an independent solution of the same problem.

The reference below uses only the textbook closed forms and plain bisections, and places the
shock the other way round from the example: it moves the shock through the diverging part
until the subsonic exit pressure behind it equals the back pressure.
"""
import importlib.util
import math
import sys
from pathlib import Path

import numpy as np
import pytest

EXAMPLE = Path(__file__).resolve().parents[2] / "examples" / "nozzle.py"
GA = 1.4


@pytest.fixture(scope="module")
def nozzle():
    found = importlib.util.spec_from_file_location("nozzle_example", EXAMPLE)
    module = importlib.util.module_from_spec(found)
    sys.modules[found.name] = module  # its dataclasses look their module up there
    found.loader.exec_module(module)
    return module


# --- the reference --------------------------------------------------------------------------

def area_ratio(M):
    return (1 / M) * ((2 + (GA - 1) * M * M) / (GA + 1)) ** ((GA + 1) / (2 * (GA - 1)))


def p_po(M):
    return (1 + (GA - 1) / 2 * M * M) ** (-GA / (GA - 1))


def bisect(f, lo, hi, passes=200):
    """Root of f between lo and hi, f changing sign there."""
    f_lo = f(lo)
    for _ in range(passes):
        mid = 0.5 * (lo + hi)
        if (f(mid) > 0) == (f_lo > 0):
            lo, f_lo = mid, f(mid)
        else:
            hi = mid
    return 0.5 * (lo + hi)


def mach_for_area(r, supersonic):
    if supersonic:
        return bisect(lambda M: area_ratio(M) - r, 1.0, 50.0)
    return bisect(lambda M: area_ratio(M) - r, 1e-12, 1.0)


def normal_shock(M1):
    """(M2, Po2/Po1, P2/P1) behind a normal shock."""
    m = M1 * M1
    M2 = math.sqrt((1 + (GA - 1) / 2 * m) / (GA * m - (GA - 1) / 2))
    po = ((GA + 1) * m / ((GA - 1) * m + 2)) ** (GA / (GA - 1)) * \
         ((GA + 1) / (2 * GA * m - (GA - 1))) ** (1 / (GA - 1))
    return M2, po, 1 + 2 * GA / (GA + 1) * (m - 1)


def exit_pressure_with_shock_at(shock_area, exit_area):
    _, po2, _ = normal_shock(mach_for_area(shock_area, True))
    # Behind the shock the sonic area grows to At / (Po2/Po1); the throat area is 1.
    return po2 * p_po(mach_for_area(exit_area * po2, False))


def reference_shock_area(pb, exit_area):
    return bisect(lambda a: exit_pressure_with_shock_at(a, exit_area) - pb, 1.0 + 1e-12, exit_area)


def reference_limits(exit_area):
    M_sup = mach_for_area(exit_area, True)
    design = p_po(M_sup)
    return p_po(mach_for_area(exit_area, False)), design * normal_shock(M_sup)[2], design


# --- the tests ------------------------------------------------------------------------------

def solve(nozzle, pb, stations=81):
    x, area = nozzle.default_nozzle(stations)
    return nozzle.solve(x, area, pb, GA)


def test_bounding_back_pressures_of_the_area_ratio_2_nozzle(nozzle):
    lim = solve(nozzle, 0.5).limits
    got = (lim.choke, lim.shock_at_exit, lim.design)
    assert got == pytest.approx(reference_limits(2.0), rel=1e-9)
    # The classical values for Ae/At = 2 and air.
    assert got == pytest.approx((0.9372, 0.5134, 0.0939), abs=1e-4)


def test_regime_changes_at_the_bounds(nozzle):
    lim = solve(nozzle, 0.5).limits
    cases = [
        (1.0, nozzle.SUBSONIC), (lim.choke * (1 + 1e-9), nozzle.SUBSONIC),
        (lim.choke, nozzle.SUBSONIC), (lim.choke * (1 - 1e-6), nozzle.SHOCK),
        (lim.shock_at_exit * (1 + 1e-6), nozzle.SHOCK), (lim.shock_at_exit, nozzle.SHOCK),
        (lim.shock_at_exit * (1 - 1e-6), nozzle.SUPERSONIC), (lim.design, nozzle.SUPERSONIC),
        (0.01, nozzle.SUPERSONIC),
    ]
    for pb, regime in cases:
        flow = solve(nozzle, pb)
        assert flow.regime == regime, (pb, flow.regime)
        assert (flow.shock is not None) == (regime == nozzle.SHOCK), pb
        assert np.all(np.isfinite(flow.Ma)) and np.all(np.isfinite(flow.P_Po1)), pb
    # Near the bounds of its regime the shock stands at the throat and at the exit.
    assert solve(nozzle, lim.choke * (1 - 1e-6)).shock.area_ratio == pytest.approx(1.0, abs=1e-2)
    assert solve(nozzle, lim.shock_at_exit).shock.area_ratio == pytest.approx(2.0, rel=1e-9)


@pytest.mark.parametrize("pb", [0.52, 0.6, 0.7, 0.8, 0.9, 0.93])
def test_shock_position_matches_the_independent_solution(nozzle, pb):
    flow = solve(nozzle, pb)
    s = flow.shock
    shock_area = reference_shock_area(pb, 2.0)
    M1 = mach_for_area(shock_area, True)
    M2, po2, _ = normal_shock(M1)
    assert s.area_ratio == pytest.approx(shock_area, rel=1e-8)
    assert (s.Ma_before, s.Ma_after, s.Po2_Po1) == pytest.approx((M1, M2, po2), rel=1e-8)
    # The station geometry is A/At = 1 + x^2; the shock is placed between stations.
    assert s.x == pytest.approx(math.sqrt(shock_area - 1.0), abs=1e-3)
    ahead, behind = flow.x < s.x, flow.x > s.x
    diverging = flow.x > 0
    assert np.all(flow.Ma[ahead & diverging] > 1) and np.all(flow.Ma[behind] < 1)
    # Behind the shock: subsonic isentropic flow at Po2, ending at the back pressure.
    exit_M = mach_for_area(2.0 * po2, False)
    assert flow.Ma[-1] == pytest.approx(exit_M, rel=1e-8)
    assert flow.P_Po1[-1] == pytest.approx(pb, rel=1e-8)
    assert flow.mass_flow == 1.0


def test_subsonic_flow_ends_at_the_back_pressure(nozzle):
    pb = 0.95
    flow = solve(nozzle, pb)
    exit_M = math.sqrt(2 / (GA - 1) * (pb ** (-(GA - 1) / GA) - 1))
    Acrit = 2.0 / area_ratio(exit_M)
    assert flow.Ma[-1] == pytest.approx(exit_M, rel=1e-9)
    assert flow.P_Po1[-1] == pytest.approx(pb, rel=1e-9)
    assert flow.Ma.max() < 1 and flow.Ma.argmax() == np.argmin(flow.area_ratio)
    assert flow.mass_flow == pytest.approx(Acrit, rel=1e-9)
    M = np.array([mach_for_area(r / Acrit, False) for r in flow.area_ratio])
    assert flow.Ma == pytest.approx(M, rel=1e-8)
    assert flow.T_To == pytest.approx(1 / (1 + (GA - 1) / 2 * M * M), rel=1e-8)


def test_supersonic_exit_reaches_the_design_pressure(nozzle):
    for pb in (0.3, 0.05):
        flow = solve(nozzle, pb)
        assert flow.Ma[-1] == pytest.approx(mach_for_area(2.0, True), rel=1e-9)
        assert flow.Ma[-1] == pytest.approx(2.1972, abs=1e-4)
        assert flow.P_Po1[-1] == pytest.approx(flow.limits.design, rel=1e-12)
        assert np.all(np.diff(flow.Ma) > 0)
    assert "overexpanded" in solve(nozzle, 0.3).note
    assert "underexpanded" in solve(nozzle, 0.05).note


def test_no_flow_at_the_reservoir_pressure(nozzle):
    flow = solve(nozzle, 1.0)
    assert np.all(flow.Ma == 0) and np.all(flow.P_Po1 == 1) and flow.mass_flow == 0


def test_input_that_describes_no_nozzle_flow_is_refused(nozzle):
    x, area = nozzle.default_nozzle(21)
    for pb in (0.0, -0.1, 1.5, float("nan")):
        with pytest.raises(ValueError, match="Pb/Po1"):
            nozzle.solve(x, area, pb)
    bad_geometry = [
        (x, 1.0 + (x - 1.0) ** 2),      # converging only
        (x[::-1], area),                # x not increasing
        (x, np.where(x > 0.5, 0.0, area)),
        (x, area[:-1]),
    ]
    for bx, ba in bad_geometry:
        with pytest.raises(ValueError):
            nozzle.solve(bx, ba, 0.7)


@pytest.mark.extras
def test_the_command_prints_the_table_and_saves_the_plot(nozzle, tmp_path, capsys):
    png = tmp_path / "nozzle.png"
    assert nozzle.main(["--pb", "0.7", "--plot", str(png)]) == 0
    out = capsys.readouterr().out
    assert nozzle.SHOCK in out and "-- normal shock at x = 0.71" in out
    assert png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    with pytest.raises(SystemExit):
        nozzle.main(["--pb", "2"])
