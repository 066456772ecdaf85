"""The charts people read the relations from, drawn with matplotlib (imported only here, only
when a chart is drawn) and written as images of a size given in pixels.

    python -m vortalix2_flows chart KIND -o FILE [--size W H] [--ga GA]
"""
from os import PathLike
from typing import Any, Union

import numpy as np

from . import fanno as _fanno
from . import isentropic as _ise
from . import normal_shock as _ns
from . import oblique_shock as _ob
from . import rayleigh as _ray

KINDS = ("oblique-shock", "polar", "isentropic", "normal-shock", "fanno", "rayleigh")
MACH_SET = (1.05, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.8, 2.0, 2.2, 2.5, 3.0, 3.5, 4.0, 5.0, 10.0)
POLAR_SET = (1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0)
DPI = 100


def _oblique_shock(ax, ga):
    for m in MACH_SET:
        p = _ob.polar(m, ga, n=600)
        ax.plot(p.theta, p.beta, color="0.15", lw=0.8)
        top = int(np.nanargmax(p.theta))
        ax.annotate(f"{m:g}", (p.theta[top], p.beta[top]), fontsize=6, xytext=(2, 0),
                    textcoords="offset points")
    # The line of the largest deflections and the sonic line, where Ma2 = 1 on the weak branch.
    ms = np.geomspace(1.0005, 50.0, 300)
    ax.plot(_ob.theta_max_from_Ma(ms, ga), _ob.beta_at_theta_max_from_Ma(ms, ga), "C3--",
            lw=1.0, label="theta_max")
    sonic_theta, sonic_beta = [], []
    for m in ms:
        beta = np.linspace(float(_ise.mu_from_Ma(m)), float(_ob.beta_at_theta_max_from_Ma(m, ga)),
                           400)
        m2 = _ob.Ma2_from_Ma_beta(m, beta, ga)
        if np.nanmin(m2) < 1.0 < np.nanmax(m2):
            b = float(np.interp(1.0, m2[::-1], beta[::-1]))
            sonic_beta.append(b)
            sonic_theta.append(float(_ob.theta_from_Ma_beta(m, b, ga)))
    ax.plot(sonic_theta, sonic_beta, "C0:", lw=1.2, label="Ma2 = 1")
    ax.set(xlabel="deflection theta (deg)", ylabel="wave angle beta (deg)", xlim=(0, 50),
           ylim=(0, 90), title=f"Oblique shock, ga = {ga:g}")
    ax.legend(loc="lower right", fontsize=8)


def _polar(ax, ga):
    for m in POLAR_SET:
        p = _ob.polar(m, ga, n=400)
        ax.plot(p.theta, p.P2_P1, lw=1.0, label=f"Ma = {m:g}")
        ax.plot(-p.theta, p.P2_P1, lw=1.0, color=ax.lines[-1].get_color())
    ax.set_yscale("log")
    ax.set(xlabel="deflection theta (deg)", ylabel="P2/P1",
           title=f"Pressure-deflection polars, ga = {ga:g}")
    ax.legend(fontsize=8)


def _ratios(ax, ga, title, ma, curves):
    for label, f in curves:
        ax.plot(ma, f(ma, ga), lw=1.0, label=label)
    ax.set_yscale("log")
    ax.set(xlabel="Ma", title=f"{title}, ga = {ga:g}", xlim=(ma[0], ma[-1]))
    ax.grid(True, which="both", lw=0.3, color="0.85")
    ax.legend(fontsize=8)


def _isentropic(ax, ga):
    _ratios(ax, ga, "Isentropic flow", np.linspace(0.0, 5.0, 501), [
        ("P/Po", lambda m, g: 1.0 / _ise.Po_P_from_Ma(m, g)),
        ("T/To", lambda m, g: 1.0 / _ise.To_T_from_Ma(m, g)),
        ("rho/rhoo", lambda m, g: 1.0 / _ise.rhoo_rho_from_Ma(m, g)),
        ("A/A*", _ise.A_Acrit_from_Ma)])


def _normal_shock(ax, ga):
    _ratios(ax, ga, "Normal shock", np.linspace(1.0, 5.0, 401), [
        ("Ma2", _ns.Mash_from_Ma), ("P2/P1", _ns.P2_P1_from_Ma), ("T2/T1", _ns.T2_T1_from_Ma),
        ("rho2/rho1", _ns.rho2_rho1_from_Ma), ("Po2/Po1", _ns.Posh_Po_from_Ma),
        ("Po2/P1", _ns.Po2_P1_from_Ma)])


def _fanno_chart(ax, ga):
    _ratios(ax, ga, "Fanno flow", np.linspace(0.05, 5.0, 496), [
        ("4fL*/D", _fanno.fLstar_D_from_Ma), ("P/P*", _fanno.P_Pstar_from_Ma),
        ("T/T*", _fanno.T_Tstar_from_Ma), ("rho/rho*", _fanno.rho_rhostar_from_Ma),
        ("V/V*", _fanno.V_Vstar_from_Ma), ("Po/Po*", _fanno.Po_Postar_from_Ma)])


def _rayleigh_chart(ax, ga):
    _ratios(ax, ga, "Rayleigh flow", np.linspace(0.05, 5.0, 496), [
        ("To/To*", _ray.To_Tostar_from_Ma), ("P/P*", _ray.P_Pstar_from_Ma),
        ("T/T*", _ray.T_Tstar_from_Ma), ("rho/rho*", _ray.rho_rhostar_from_Ma),
        ("Po/Po*", _ray.Po_Postar_from_Ma), ("V/V*", _ray.V_Vstar_from_Ma)])


DRAW = {"oblique-shock": _oblique_shock, "polar": _polar, "isentropic": _isentropic,
        "normal-shock": _normal_shock, "fanno": _fanno_chart, "rayleigh": _rayleigh_chart}


def chart(kind: str, path: Union[str, "PathLike[str]"], size: tuple[int, int] = (800, 600),
          ga: float = 1.4, **savefig: Any) -> None:
    """Draws the chart ``kind`` (one of ``oblique-shock``, ``polar``, ``isentropic``,
    ``normal-shock``, ``fanno``, ``rayleigh``) for ``ga`` and writes it to ``path``, an image of
    ``size`` = (width, height) pixels in the format its suffix names (PNG by default). Other
    keywords go to matplotlib's ``savefig``. Needs matplotlib."""
    if kind not in DRAW:
        raise ValueError(f"unknown chart {kind!r}; one of {', '.join(KINDS)}")
    w, h = (int(v) for v in size)
    if w < 50 or h < 50:
        raise ValueError(f"a chart needs at least 50 x 50 pixels, not {w} x {h}")
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    fig = Figure(figsize=(w / DPI, h / DPI), dpi=DPI, layout="constrained")
    FigureCanvasAgg(fig)
    with np.errstate(invalid="ignore"):
        DRAW[kind](fig.add_subplot(), float(ga))
    fig.savefig(path, dpi=DPI, **savefig)


def add_command(sub):
    c = sub.add_parser("chart", help="draw a chart", description=__doc__.split("\n\n")[0])
    c.add_argument("kind", choices=list(KINDS))
    c.add_argument("-o", "--output", required=True, metavar="FILE",
                   help="the image to write (PNG unless its suffix names another format)")
    c.add_argument("--size", nargs=2, type=int, default=(800, 600), metavar=("W", "H"),
                   help="width and height in pixels (default 800 600)")
    c.add_argument("--ga", type=float, default=1.4, help="ratio of specific heats (default 1.4)")
    return c


def command(parser, args):
    try:
        chart(args.kind, args.output, size=args.size, ga=args.ga)
    except ImportError:
        parser.exit(1, "the chart command needs matplotlib\n")
    except ValueError as e:
        parser.exit(2, f"{e}\n")
    except OSError as e:
        parser.exit(1, f"cannot write {args.output}: {e.strerror}\n")
    return 0
