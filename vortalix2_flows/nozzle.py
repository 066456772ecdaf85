"""A converging-diverging nozzle solved from its back pressure.

``solve(x, area, pb, ga=1.4)`` takes the nozzle as stations ``x`` with their areas (the throat
is the smallest area), or as a callable ``area(x)`` with the interval ``x = (start, end)``, and
the ratio ``pb`` = Pb/Po1 of the back pressure to the reservoir's stagnation pressure. It
returns a :class:`Flow`: the regime, the three back pressures that bound the regimes, the
normal shock (area ratio and position) where one stands, the exit state, and the Mach number,
P/Po1 and T/To at the stations.

With the bounding back pressures in decreasing order:

- Pb/Po1 at or above ``limits.choke``: subsonic throughout, the exit pressure equal to the back
  pressure (at ``limits.choke`` itself the throat just reaches Ma = 1);
- from ``limits.choke`` down to ``limits.shock_at_exit``: choked, with a normal shock in the
  diverging part where the back pressure puts it; subsonic behind it at the lower stagnation
  pressure, the exit pressure equal to the back pressure;
- below ``limits.shock_at_exit``: choked with a shock-free supersonic exit at the design
  pressure ``limits.design``; the jet adjusts to the back pressure outside the nozzle
  (overexpanded above ``limits.design``, underexpanded below).
"""
from __future__ import annotations

import math
import os
from dataclasses import dataclass
from typing import Any, Callable, Optional, Sequence, Union

import numpy as np

from . import isentropic as ise
from . import normal_shock as ns

__all__ = ["solve", "Flow", "Limits", "Shock", "ExitState", "regime_limits", "table",
           "default_nozzle", "SUBSONIC", "SHOCK", "SUPERSONIC"]

SUBSONIC = "subsonic throughout"
SHOCK = "choked, normal shock in the diverging part"
SUPERSONIC = "choked, shock-free supersonic exit"


@dataclass
class Limits:
    """The back-pressure ratios Pb/Po1 that bound the regimes of one nozzle."""

    choke: float           # subsonic exit of a nozzle that just chokes
    shock_at_exit: float   # normal shock standing in the exit plane
    design: float          # isentropic supersonic exit


@dataclass
class Shock:
    """A normal shock in the diverging part."""

    x: float               # its position
    area_ratio: float      # A/A_throat where it stands
    Ma_before: float
    Ma_after: float
    Po2_Po1: float         # stagnation pressure behind over ahead of the shock


@dataclass
class ExitState:
    """The flow in the exit plane."""

    Ma: float
    P_Po1: float
    T_To: float


@dataclass
class Flow:
    """The solved nozzle: regime, bounds, shock, and the state at every station."""

    regime: str
    note: str
    x: np.ndarray
    area_ratio: np.ndarray  # A/A_throat at the stations
    Ma: np.ndarray
    P_Po1: np.ndarray
    T_To: np.ndarray
    mass_flow: float        # as a fraction of the choked mass flow
    limits: Limits
    ga: float
    pb: float
    shock: Optional[Shock] = None

    @property
    def exit(self) -> ExitState:
        return ExitState(float(self.Ma[-1]), float(self.P_Po1[-1]), float(self.T_To[-1]))

    def plot(self, path: "Optional[str | os.PathLike[str]]" = None) -> Any:
        """Mach number and P/Po1 along the nozzle, the shock marked; needs matplotlib.

        Saves a PNG to ``path`` when given; returns the matplotlib figure.
        """
        return _plot(self, path)


def regime_limits(exit_ratio: float, ga: float) -> Limits:
    """The three bounding back pressures of a nozzle with exit-to-throat area ratio Ae/At."""
    Ma_sub = float(ise.Ma_from_A_Acrit(exit_ratio, ga, sup=False))
    Ma_sup = float(ise.Ma_from_A_Acrit(exit_ratio, ga, sup=True))
    design = 1.0 / float(ise.Po_P_from_Ma(Ma_sup, ga))
    return Limits(choke=1.0 / float(ise.Po_P_from_Ma(Ma_sub, ga)),
                  shock_at_exit=design * float(ns.P2_P1_from_Ma(Ma_sup, ga)), design=design)


def _check_stations(x, area):
    try:
        x = np.asarray(x, dtype=np.float64)
        area = np.asarray(area, dtype=np.float64)
    except (TypeError, ValueError) as e:
        raise ValueError(f"x and area must be arrays of real numbers: {e}") from None
    if x.ndim != 1 or x.shape != area.shape or x.size < 3:
        raise ValueError("x and area must be 1-D arrays of the same length, at least 3")
    if not (np.all(np.isfinite(x)) and np.all(np.isfinite(area)) and np.all(area > 0)):
        raise ValueError("x and area must be finite and the areas positive")
    if not np.all(np.diff(x) > 0):
        raise ValueError("x must increase along the nozzle")
    throat = int(np.argmin(area))
    if throat == 0 or throat == x.size - 1:
        raise ValueError("the nozzle needs a converging and a diverging part "
                         "(the smallest area is at an end)")
    if not (np.all(np.diff(area[: throat + 1]) < 0) and np.all(np.diff(area[throat:]) > 0)):
        raise ValueError("the area must fall to the throat and rise after it")
    return x, area, throat


def _area_at(area, where):
    try:
        a = float(area(where))
    except Exception as e:  # the user's function failed: say where
        raise ValueError(f"area({where!r}) failed: {e}") from e
    if not (math.isfinite(a) and a > 0):
        raise ValueError(f"area({where!r}) = {a!r}: areas must be finite and positive")
    return a


def _sample_callable(area, interval, stations):
    try:
        start, end = (float(v) for v in interval)
    except (TypeError, ValueError):
        raise ValueError("with a callable area, x must be the interval (start, end)") from None
    if not (math.isfinite(start) and math.isfinite(end) and start < end):
        raise ValueError("the interval (start, end) must be finite with start < end")
    if int(stations) < 3:
        raise ValueError("stations must be at least 3")
    # The throat: the smallest of a fine sampling, refined by golden-section search.
    probe = np.linspace(start, end, 2001)
    values = np.array([_area_at(area, p) for p in probe])
    k = int(np.argmin(values))
    if k == 0 or k == probe.size - 1:
        raise ValueError("the nozzle needs a converging and a diverging part "
                         "(the smallest area is at an end)")
    lo, hi = probe[k - 1], probe[k + 1]
    r = (math.sqrt(5.0) - 1.0) / 2.0
    for _ in range(80):
        a, b = hi - r * (hi - lo), lo + r * (hi - lo)
        if _area_at(area, a) < _area_at(area, b):
            hi = b
        else:
            lo = a
    x_throat = 0.5 * (lo + hi)
    x = np.union1d(np.linspace(start, end, int(stations)), [x_throat])
    values = np.array([_area_at(area, p) for p in x])
    throat = int(np.searchsorted(x, x_throat))
    values[throat] = min(values[throat], values.min())
    if not (np.all(np.diff(values[: throat + 1]) <= 0) and
            np.all(np.diff(values[throat:]) >= 0)):
        raise ValueError("the area must fall to the throat and rise after it")
    return x, values, throat


def solve(x: Union[Sequence[float], np.ndarray],
          area: Union[Sequence[float], np.ndarray, Callable[[float], float]], pb: float,
          ga: float = 1.4,
          stations: int = 201) -> Flow:
    """The flow through the nozzle against the back pressure ratio ``pb`` = Pb/Po1.

    ``x`` and ``area`` are the stations and their areas, or ``area`` is a callable area(x) and
    ``x`` the interval (start, end), sampled at ``stations`` points plus the throat; then the
    shock's position is solved on the callable itself rather than interpolated between
    stations. Raises ValueError for ga <= 1, pb outside (0, 1] and a nozzle without a
    converging or a diverging part.
    """
    try:
        ga = float(ga)
        pb = float(pb)
    except (TypeError, ValueError):
        raise ValueError("ga and Pb/Po1 must be real numbers") from None
    if not (ga > 1.0 and math.isfinite(ga)):
        raise ValueError(f"ga must be a finite number above 1, got {ga}")
    if not 0.0 < pb <= 1.0:
        raise ValueError(f"Pb/Po1 must be in (0, 1], got {pb}")
    exact_area: Optional[Callable[[float], float]] = None
    if callable(area):
        exact_area = area
        x, area, throat = _sample_callable(area, x, stations)
    else:
        x, area, throat = _check_stations(x, area)
    ratio = area / area[throat]
    limits = regime_limits(float(ratio[-1]), ga)
    Po_Po1 = np.ones_like(ratio)       # stagnation pressure along the nozzle
    shock = None

    if pb == 1.0:
        regime, note, mass_flow = SUBSONIC, "no flow: the back pressure is the reservoir's", 0.0
        Ma = np.zeros_like(ratio)
    elif pb >= limits.choke:
        # The exit pressure is the back pressure; it fixes the exit Mach number and with it
        # the sonic area A*, which the flow does not reach.
        Ma_exit = ise.Ma_from_Po_P(1.0 / pb, ga)
        Acrit = ratio[-1] / ise.A_Acrit_from_Ma(Ma_exit, ga)   # in throat areas
        Ma = ise.Ma_from_A_Acrit(np.maximum(ratio / Acrit, 1.0), ga, sup=False)
        regime, mass_flow = SUBSONIC, float(min(Acrit, 1.0))
        note = "just choked at the throat" if pb == limits.choke else "not choked"
    else:
        supersonic = np.arange(ratio.size) > throat
        Ma = ise.Ma_from_A_Acrit(ratio, ga, sup=supersonic)
        Ma[throat] = 1.0
        regime, mass_flow = SUPERSONIC, 1.0
        if pb >= limits.shock_at_exit:
            regime = SHOCK
            shock = _place_shock(x[throat:], ratio[throat:], pb, ga, exact_area, area[throat])
            behind = supersonic & (x >= shock.x)
            Ma[behind] = ise.Ma_from_A_Acrit(ratio[behind] * shock.Po2_Po1, ga, sup=False)
            Po_Po1[behind] = shock.Po2_Po1
            note = f"shock at x = {shock.x:.4g}, A/At = {shock.area_ratio:.4f}"
        elif pb > limits.design:
            note = "overexpanded: the jet is compressed by oblique shocks outside the exit"
        elif pb == limits.design:
            note = "design back pressure: the exit pressure matches it"
        else:
            note = "underexpanded: the jet expands further outside the exit"

    P_Po1 = Po_Po1 / ise.Po_P_from_Ma(Ma, ga)
    T_To = 1.0 / ise.To_T_from_Ma(Ma, ga)
    return Flow(regime, note, x, ratio, Ma, P_Po1, T_To, mass_flow, limits, ga, pb, shock)


def _place_shock(x, ratio, pb, ga, exact_area, throat_area):
    """The normal shock that makes the subsonic exit pressure equal to the back pressure.

    The throat is sonic, so the mass flow is mcpTo_APo(1) At Po1 / sqrt(cp To); at the exit it
    is also mcpTo_AP(Me) Ae Pb / sqrt(cp To). That fixes the exit Mach number Me, the exit
    stagnation pressure Po2 = Pb Po/P(Me), and through Po2/Po1 the shock's upstream Mach number
    and so its area.
    """
    exit_ratio = float(ratio[-1])
    choked = float(ise.mcpTo_APo_from_Ma(1.0, ga))
    Ma_exit = ise.Ma_from_mcpTo_AP(choked / (exit_ratio * pb), ga)
    Po2_Po1 = min(pb * float(ise.Po_P_from_Ma(Ma_exit, ga)), 1.0)
    Ma_before = float(ns.Ma_from_Posh_Po(Po2_Po1, ga))
    area_ratio = float(ise.A_Acrit_from_Ma(Ma_before, ga))
    if not (math.isfinite(Ma_before) and 1.0 <= area_ratio):
        raise ArithmeticError(f"no shock position found for Pb/Po1 = {pb}")
    area_ratio = min(area_ratio, exit_ratio)
    if exact_area is None:
        where = float(np.interp(area_ratio, ratio, x))
    else:
        # The position on the callable itself: bisection on the rising diverging part.
        lo, hi = float(x[0]), float(x[-1])
        target = area_ratio * throat_area
        for _ in range(200):
            mid = 0.5 * (lo + hi)
            if mid in (lo, hi):
                break
            if _area_at(exact_area, mid) < target:
                lo = mid
            else:
                hi = mid
        where = 0.5 * (lo + hi)
    return Shock(x=where, area_ratio=area_ratio, Ma_before=Ma_before,
                 Ma_after=float(ns.Mash_from_Ma(Ma_before, ga)), Po2_Po1=Po2_Po1)


def table(flow: Flow, rows: int = 12) -> str:
    """A compact table: about `rows` stations, and the states either side of the shock."""
    lim = flow.limits
    lines = [
        f"regime: {flow.regime} ({flow.note})",
        f"bounds: subsonic for Pb/Po1 >= {lim.choke:.4f}, shock inside down to "
        f"{lim.shock_at_exit:.4f}, design exit pressure {lim.design:.4f}",
        f"mass flow: {flow.mass_flow:.4f} of the choked mass flow",
    ]
    if flow.shock is not None:
        s = flow.shock
        lines.append(f"shock: x = {s.x:.4f}, A/At = {s.area_ratio:.4f}, Ma {s.Ma_before:.4f} -> "
                     f"{s.Ma_after:.4f}, Po2/Po1 = {s.Po2_Po1:.4f}")
    lines.append(f"{'x':>8} {'A/At':>7} {'Ma':>7} {'P/Po1':>7} {'T/To':>7}")
    throat = int(np.argmin(flow.area_ratio))
    picked = np.union1d(np.linspace(0, flow.x.size - 1, rows).round().astype(int), [throat])
    shock_done = flow.shock is None
    for i in picked:
        if not shock_done and flow.x[i] >= flow.shock.x:
            lines.append(f"{'':>8} {'-- normal shock at x = ' + format(flow.shock.x, '.4f'):>30}")
            shock_done = True
        lines.append(f"{flow.x[i]:8.4f} {flow.area_ratio[i]:7.4f} {flow.Ma[i]:7.4f} "
                     f"{flow.P_Po1[i]:7.4f} {flow.T_To[i]:7.4f}")
    return "\n".join(lines)


def default_nozzle(stations: int = 81) -> "tuple[np.ndarray, np.ndarray]":
    """A nozzle with exit-to-throat area ratio 2: A/At = 1 + x^2 for x from -0.6 to 1."""
    x = np.linspace(-0.6, 1.0, stations)
    x[np.argmin(np.abs(x))] = 0.0      # a station exactly at the throat
    return x, 1.0 + x * x


def _plot(flow: Flow, path):
    import matplotlib

    if path is not None:
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    x, Ma, P = flow.x, flow.Ma, flow.P_Po1
    if flow.shock is not None:
        # Both sides of the shock in the curves, so that they jump where it stands.
        k = int(np.searchsorted(x, flow.shock.x))
        s = flow.shock
        before = 1.0 / float(ise.Po_P_from_Ma(s.Ma_before, flow.ga))
        after = s.Po2_Po1 / float(ise.Po_P_from_Ma(s.Ma_after, flow.ga))
        x = np.insert(x, k, [s.x, s.x])
        Ma = np.insert(Ma, k, [s.Ma_before, s.Ma_after])
        P = np.insert(P, k, [before, after])
    fig, (top, middle, bottom) = plt.subplots(3, 1, sharex=True, figsize=(7, 8),
                                               gridspec_kw={"height_ratios": [1, 2, 2]})
    top.fill_between(flow.x, np.sqrt(flow.area_ratio), -np.sqrt(flow.area_ratio), color="0.85")
    top.set_ylabel("nozzle\n(radius / throat)")
    middle.plot(x, Ma, color="C0")
    middle.axhline(1.0, color="0.6", lw=0.8, ls=":")
    middle.set_ylabel("Mach number")
    bottom.plot(x, P, color="C1", label="P/Po1")
    bottom.axhline(flow.pb, color="C3", lw=0.8, ls="--", label=f"back pressure {flow.pb:g}")
    bottom.set_ylabel("P / Po1")
    bottom.set_xlabel("x")
    bottom.set_ylim(0.0, 1.05)
    bottom.legend(loc="lower left")
    if flow.shock is not None:
        for ax in (top, middle, bottom):
            ax.axvline(flow.shock.x, color="C3", lw=1.2)
        right = flow.shock.x > 0.5 * (flow.x[0] + flow.x[-1])   # keep the label inside
        middle.annotate(f"normal shock\nMa {flow.shock.Ma_before:.3f} -> {flow.shock.Ma_after:.3f}",
                        (flow.shock.x, flow.shock.Ma_before), xytext=(-6 if right else 6, -4),
                        textcoords="offset points", va="top", ha="right" if right else "left",
                        fontsize=9)
    top.set_title(f"Pb/Po1 = {flow.pb:g}: {flow.regime}", fontsize=10)
    fig.tight_layout()
    if path is not None:
        fig.savefig(path, dpi=110)
        plt.close(fig)
    return fig
