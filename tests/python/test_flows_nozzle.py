"""vortalix2_flows.nozzle: the API beyond what the example's tests cover (tests/python/
test_nozzle.py runs the example, which is a script over this module)."""
import math
import subprocess
import sys

import numpy as np
import pytest

from vortalix2_flows import nozzle


def area(x):
    return 1.0 + x * x


def test_callable_area_places_the_shock_exactly():
    stations = nozzle.solve(*nozzle.default_nozzle(81), 0.7)
    exact = nozzle.solve((-0.6, 1.0), area, 0.7, stations=41)
    assert exact.regime == nozzle.SHOCK
    assert exact.shock.area_ratio == pytest.approx(stations.shock.area_ratio, rel=1e-9)
    # A/At = 1 + x^2 puts the shock at sqrt(A/At - 1), on the callable to bisection accuracy.
    assert exact.shock.x == pytest.approx(math.sqrt(exact.shock.area_ratio - 1.0), abs=1e-12)
    assert abs(stations.shock.x - exact.shock.x) < 1e-3
    throat = int(np.argmin(exact.area_ratio))
    assert exact.x[throat] == pytest.approx(0.0, abs=1e-7) and exact.Ma[throat] == 1.0
    assert exact.exit.P_Po1 == pytest.approx(0.7, rel=1e-9)
    assert exact.exit.Ma == exact.Ma[-1] and exact.exit.T_To == exact.T_To[-1]


def test_every_regime_from_a_callable():
    for pb, regime in ((0.95, nozzle.SUBSONIC), (0.6, nozzle.SHOCK), (0.2, nozzle.SUPERSONIC)):
        flow = nozzle.solve((-0.6, 1.0), area, pb, ga=1.3)
        assert flow.regime == regime
        assert np.all(np.isfinite(flow.Ma)) and np.all(np.isfinite(flow.T_To))


def test_invalid_input_raises_value_error_with_a_message():
    x, a = nozzle.default_nozzle(21)
    cases = [
        ((x, a, 0.7, 1.0), "ga"), ((x, a, 0.7, 0.5), "ga"), ((x, a, 0.7, float("nan")), "ga"),
        ((x, a, 0.0), "Pb/Po1"), ((x, a, 1.01), "Pb/Po1"), ((x, a, "x"), "real"),
        ((x, 1.0 + (x - 1.0) ** 2, 0.7), "converging and a diverging"),
        ((x, 1.0 + (x + 0.6) ** 2, 0.7), "converging and a diverging"),
        (((0.0, 1.0), lambda v: 2.0 - v, 0.7), "converging and a diverging"),
        (((1.0, 0.0), area, 0.7), "interval"), ((5.0, area, 0.7), "interval"),
        (((-1.0, 1.0), lambda v: -1.0, 0.7), "positive"),
        (((-1.0, 1.0), lambda v: 1 / 0, 0.7), "failed"),
    ]
    for args, message in cases:
        with pytest.raises(ValueError, match=message):
            nozzle.solve(*args)


def test_plot_needs_matplotlib_only_when_called():
    code = ("import sys; from vortalix2_flows import nozzle; "
            "f = nozzle.solve(*nozzle.default_nozzle(), 0.7); "
            "print('matplotlib' in sys.modules)")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          check=True)
    assert done.stdout.strip() == "False"


@pytest.mark.extras
def test_plot_writes_a_png(tmp_path):
    flow = nozzle.solve((-0.6, 1.0), area, 0.7)
    png = tmp_path / "n.png"
    flow.plot(png)
    assert png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
