"""A converging-diverging nozzle solved from its back pressure.

Given the nozzle's area distribution A(x) and the ratio Pb/Po1 of the back pressure to the
reservoir's stagnation pressure, find the regime of the flow and the Mach number, P/Po1 and
T/To along the nozzle. Three back pressures bound the regimes; with them in decreasing order:

- Pb/Po1 at or above p_choke: subsonic throughout, the exit pressure equal to the back pressure
  (at p_choke itself the throat just reaches Ma = 1);
- from p_choke down to p_shock_exit: choked, with a normal shock standing in the diverging part
  where the back pressure puts it; subsonic behind the shock, where the stagnation pressure
  has dropped, and the exit pressure equal to the back pressure;
- below p_shock_exit: choked with a shock-free supersonic exit at the design pressure p_design;
  the jet adjusts to the back pressure outside the nozzle (overexpanded above p_design,
  underexpanded below).

Run:  python examples/nozzle.py --pb 0.7 --plot nozzle.png
"""
from __future__ import annotations

import argparse
import sys
from dataclasses import dataclass
from typing import Optional

import numpy as np

import vortalix2 as vx

SUBSONIC = "subsonic throughout"
SHOCK = "choked, normal shock in the diverging part"
SUPERSONIC = "choked, shock-free supersonic exit"


def at(f, value, *args):
    """A vortalix2 function at one value."""
    return float(f(np.array([value], dtype=np.float64), *args)[0])


@dataclass
class Limits:
    """The back-pressure ratios Pb/Po1 that bound the regimes of one nozzle."""

    choke: float           # subsonic exit of a nozzle that just chokes
    shock_at_exit: float   # normal shock standing in the exit plane
    design: float          # isentropic supersonic exit


@dataclass
class Shock:
    x: float
    area_ratio: float      # A/A_throat where the shock stands
    Ma_before: float
    Ma_after: float
    Po2_Po1: float         # stagnation pressure behind over ahead of the shock


@dataclass
class Flow:
    regime: str
    note: str
    x: np.ndarray
    area_ratio: np.ndarray  # A/A_throat
    Ma: np.ndarray
    P_Po1: np.ndarray
    T_To: np.ndarray
    mass_flow: float        # as a fraction of the choked mass flow
    limits: Limits
    ga: float
    shock: Optional[Shock] = None


def regime_limits(exit_ratio, ga):
    """The three bounding back pressures of a nozzle with exit-to-throat area ratio Ae/At."""
    Ma_sub = at(vx.Ma_from_A_Acrit, exit_ratio, ga, False)
    Ma_sup = at(vx.Ma_from_A_Acrit, exit_ratio, ga, True)
    design = 1.0 / at(vx.Po_P_from_Ma, Ma_sup, ga)
    # Static pressure jump across the shock: P2/P1 = (Po2/Po1) * (Po1/P1) / (Po2/P2).
    Ma_behind = at(vx.Mash_from_Ma, Ma_sup, ga)
    jump = (at(vx.Posh_Po_from_Ma, Ma_sup, ga) * at(vx.Po_P_from_Ma, Ma_sup, ga)
            / at(vx.Po_P_from_Ma, Ma_behind, ga))
    return Limits(choke=1.0 / at(vx.Po_P_from_Ma, Ma_sub, ga),
                  shock_at_exit=design * jump, design=design)


def _check_nozzle(x, area):
    x = np.asarray(x, dtype=np.float64)
    area = np.asarray(area, dtype=np.float64)
    if x.ndim != 1 or x.shape != area.shape or x.size < 3:
        raise ValueError("x and area must be 1-D arrays of the same length, at least 3")
    if not (np.all(np.isfinite(x)) and np.all(np.isfinite(area)) and np.all(area > 0)):
        raise ValueError("x and area must be finite and the areas positive")
    if not np.all(np.diff(x) > 0):
        raise ValueError("x must increase along the nozzle")
    throat = int(np.argmin(area))
    if throat == 0 or throat == x.size - 1:
        raise ValueError("the nozzle needs a converging and a diverging part")
    if not (np.all(np.diff(area[: throat + 1]) < 0) and np.all(np.diff(area[throat:]) > 0)):
        raise ValueError("the area must fall to the throat and rise after it")
    return x, area, throat


def solve(x, area, Pb_Po1, ga=1.4):
    """The flow through the nozzle A(x) against the back pressure ratio Pb/Po1."""
    x, area, throat = _check_nozzle(x, area)
    if not 0.0 < Pb_Po1 <= 1.0:
        raise ValueError(f"Pb/Po1 must be in (0, 1], got {Pb_Po1}")
    ratio = area / area[throat]
    limits = regime_limits(ratio[-1], ga)
    Po_Po1 = np.ones_like(ratio)       # stagnation pressure along the nozzle
    shock = None

    if Pb_Po1 == 1.0:
        regime, note, mass_flow = SUBSONIC, "no flow: the back pressure is the reservoir's", 0.0
        Ma = np.zeros_like(ratio)
    elif Pb_Po1 >= limits.choke:
        # The exit pressure is the back pressure; it fixes the exit Mach number and with it
        # the sonic area A*, which the flow does not reach.
        Ma_exit = at(vx.Ma_from_Po_P, 1.0 / Pb_Po1, ga)
        Acrit = ratio[-1] / at(vx.A_Acrit_from_Ma, Ma_exit, ga)   # in throat areas
        Ma = vx.Ma_from_A_Acrit(ratio / Acrit, ga, False)
        regime, mass_flow = SUBSONIC, min(Acrit, 1.0)
        note = "just choked at the throat" if Pb_Po1 == limits.choke else "not choked"
    else:
        supersonic = np.arange(ratio.size) > throat
        Ma = np.where(supersonic, vx.Ma_from_A_Acrit(ratio, ga, True),
                      vx.Ma_from_A_Acrit(ratio, ga, False))
        Ma[throat] = 1.0
        regime, mass_flow = SUPERSONIC, 1.0
        if Pb_Po1 >= limits.shock_at_exit:
            regime = SHOCK
            shock = _place_shock(x[throat:], ratio[throat:], ratio[-1], Pb_Po1, ga)
            behind = supersonic & (x >= shock.x)
            Ma[behind] = vx.Ma_from_A_Acrit(ratio[behind] * shock.Po2_Po1, ga, False)
            Po_Po1[behind] = shock.Po2_Po1
            note = f"shock at x = {shock.x:.4g}, A/At = {shock.area_ratio:.4f}"
        elif Pb_Po1 > limits.design:
            note = "overexpanded: the jet is compressed by oblique shocks outside the exit"
        elif Pb_Po1 == limits.design:
            note = "design back pressure: the exit pressure matches it"
        else:
            note = "underexpanded: the jet expands further outside the exit"

    P_Po1 = Po_Po1 / vx.Po_P_from_Ma(Ma, ga)
    T_To = 1.0 / vx.To_T_from_Ma(Ma, ga)
    return Flow(regime, note, x, ratio, Ma, P_Po1, T_To, mass_flow, limits, ga, shock)


def _place_shock(x, ratio, exit_ratio, Pb_Po1, ga):
    """The normal shock that makes the subsonic exit pressure equal to the back pressure.

    The throat is sonic, so the mass flow is mcpTo_APo(1) * At * Po1 / sqrt(cp To); at the exit
    it is also mcpTo_AP(Me) * Ae * Pb / sqrt(cp To). That fixes the exit Mach number Me, the
    exit stagnation pressure Po2 = Pb * Po/P(Me), and through Po2/Po1 the shock's upstream
    Mach number and so its area.
    """
    choked = at(vx.mcpTo_APo_from_Ma, 1.0, ga)
    Ma_exit = at(vx.Ma_from_mcpTo_AP, choked / (exit_ratio * Pb_Po1), ga)
    Po2_Po1 = min(Pb_Po1 * at(vx.Po_P_from_Ma, Ma_exit, ga), 1.0)
    # Just below the choking pressure the shock is vanishingly weak and the iteration, which
    # converges slowly there, can end a hair on the subsonic side of Ma = 1.
    Ma_before = max(at(vx.Ma_from_Posh_Po, Po2_Po1, ga), 1.0)
    area_ratio = at(vx.A_Acrit_from_Ma, Ma_before, ga)
    if not (np.isfinite(Ma_before) and 1.0 <= area_ratio):
        raise ArithmeticError(f"no shock position found for Pb/Po1 = {Pb_Po1}")
    area_ratio = min(area_ratio, exit_ratio)
    return Shock(x=float(np.interp(area_ratio, ratio, x)), area_ratio=area_ratio,
                 Ma_before=Ma_before, Ma_after=at(vx.Mash_from_Ma, Ma_before, ga),
                 Po2_Po1=Po2_Po1)


def table(flow, rows=12):
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


def plot(flow, path, Pb_Po1):
    """Mach number and P/Po1 along the nozzle, with the shock marked, saved as a PNG."""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    x, Ma, P = flow.x, flow.Ma, flow.P_Po1
    if flow.shock is not None:
        # Put both sides of the shock into the curves, so that they jump where it stands.
        k = int(np.searchsorted(x, flow.shock.x))
        s = flow.shock
        P1 = at(vx.Po_P_from_Ma, s.Ma_before, flow.ga)
        x = np.insert(x, k, [s.x, s.x])
        Ma = np.insert(Ma, k, [s.Ma_before, s.Ma_after])
        P = np.insert(P, k, [1.0 / P1, s.Po2_Po1 / at(vx.Po_P_from_Ma, s.Ma_after, flow.ga)])
    fig, (top, middle, bottom) = plt.subplots(3, 1, sharex=True, figsize=(7, 8),
                                               gridspec_kw={"height_ratios": [1, 2, 2]})
    top.fill_between(flow.x, np.sqrt(flow.area_ratio), -np.sqrt(flow.area_ratio), color="0.85")
    top.set_ylabel("nozzle\n(radius / throat)")
    middle.plot(x, Ma, color="C0")
    middle.axhline(1.0, color="0.6", lw=0.8, ls=":")
    middle.set_ylabel("Mach number")
    bottom.plot(x, P, color="C1", label="P/Po1")
    bottom.axhline(Pb_Po1, color="C3", lw=0.8, ls="--", label=f"back pressure {Pb_Po1:g}")
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
    top.set_title(f"Pb/Po1 = {Pb_Po1:g}: {flow.regime}", fontsize=10)
    fig.tight_layout()
    fig.savefig(path, dpi=110)
    plt.close(fig)


def default_nozzle(stations=81):
    """A nozzle with exit-to-throat area ratio 2: A/At = 1 + x^2 for x from -0.6 to 1."""
    x = np.linspace(-0.6, 1.0, stations)
    x[np.argmin(np.abs(x))] = 0.0      # a station exactly at the throat
    return x, 1.0 + x * x


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pb", type=float, default=0.7, help="back pressure ratio Pb/Po1")
    parser.add_argument("--ga", type=float, default=1.4, help="ratio of specific heats")
    parser.add_argument("--stations", type=int, default=81, help="stations along the nozzle")
    parser.add_argument("--plot", default="nozzle.png", help="PNG file to write ('' for none)")
    args = parser.parse_args(argv)
    x, area = default_nozzle(args.stations)
    try:
        flow = solve(x, area, args.pb, args.ga)
    except ValueError as e:
        parser.error(str(e))
    print(f"nozzle A/At = 1 + x^2, x from {x[0]:g} to {x[-1]:g} (Ae/At = {area[-1]:g}), "
          f"ga = {args.ga:g}, Pb/Po1 = {args.pb:g}")
    print(table(flow))
    if args.plot:
        plot(flow, args.plot, args.pb)
        print(f"plot saved to {args.plot}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
