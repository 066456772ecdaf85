"""Printed gas-dynamics tables: ``python -m vortalix2_flows table KIND [options]``.

    KIND            isentropic, normal-shock, oblique-shock, prandtl-meyer, fanno, rayleigh
                    (normal_shock and the like as well)
    --ga G          ratio of specific heats (default 1.4)
    --Ma A:B:S      Mach numbers from A to B (included) in steps of S (default per kind)
    --theta A:B:S   deflections in degrees for oblique-shock (default 0:40:2)
    --digits N      significant digits printed (default 5)
    --csv FILE      write every column at full precision as CSV instead ('-': standard output)

Cells without a value (the Mach and Prandtl-Meyer angles below Ma = 1) are left empty; the
oblique-shock table leaves out the deflections above the largest one (detached shocks).
The same columns, as float64 arrays by identifier: ``vortalix2_flows.table(KIND, ...)``.
"""
import argparse
import csv
import math
import sys
from fractions import Fraction
from typing import Callable, NamedTuple

import numpy as np

from . import _charts, fanno, isentropic, normal_shock, oblique_shock, rayleigh


class Column(NamedTuple):
    name: str        # identifier in the mapping, named as the toolkit names the quantity
    header: str      # printed header
    value: Callable  # (columns before it, ga) -> float64 array; None for an input column


class Kind(NamedTuple):
    Ma: str          # default Mach range
    columns: tuple
    angles: bool = False


def _ratio(module, function):
    f = getattr(module, function)
    return lambda c, ga: f(c["Ma"], ga)


def _starred(module, names):
    return tuple(Column(n, n.replace("star", "*").replace("_", "/"), _ratio(module, n + "_from_Ma"))
                 for n in names)


def _oblique(branch, strong):
    ob, beta = oblique_shock, "beta_" + branch
    return (Column(beta, f"beta {branch}",
                   lambda c, ga: ob.beta_from_Ma_theta(c["Ma"], c["theta"], ga, strong)),
            Column("Ma2_" + branch, f"Ma2 {branch}",
                   lambda c, ga: ob.Ma2_from_Ma_beta(c["Ma"], c[beta], ga)),
            Column("P2_P1_" + branch, f"P2/P1 {branch}",
                   lambda c, ga: ob.P2_P1_from_Ma_beta(c["Ma"], c[beta], ga)))


_ise, _ns = isentropic, normal_shock
_nu = Column("nu", "nu", _ratio(_ise, "nu_from_Ma"))
_mu = Column("mu", "mu", lambda c, ga: _ise.mu_from_Ma(c["Ma"]))

# One definition of every table: the call returns these columns, the command prints them.
KINDS = {
    "isentropic": Kind("0:5:0.1", (
        Column("Ma", "Ma", None),
        Column("P_Po", "P/Po", lambda c, ga: 1.0 / _ise.Po_P_from_Ma(c["Ma"], ga)),
        Column("T_To", "T/To", lambda c, ga: 1.0 / _ise.To_T_from_Ma(c["Ma"], ga)),
        Column("rho_rhoo", "rho/rhoo", lambda c, ga: 1.0 / _ise.rhoo_rho_from_Ma(c["Ma"], ga)),
        Column("A_Acrit", "A/A*", _ratio(_ise, "A_Acrit_from_Ma")), _nu, _mu), angles=True),
    "normal-shock": Kind("1:5:0.1", (
        Column("Ma", "Ma1", None),
        Column("Mash", "Ma2", _ratio(_ns, "Mash_from_Ma")),
        Column("P2_P1", "P2/P1", _ratio(_ns, "P2_P1_from_Ma")),
        Column("rho2_rho1", "rho2/rho1", _ratio(_ns, "rho2_rho1_from_Ma")),
        Column("T2_T1", "T2/T1", _ratio(_ns, "T2_T1_from_Ma")),
        Column("Posh_Po", "Po2/Po1", _ratio(_ns, "Posh_Po_from_Ma")),
        Column("Po2_P1", "Po2/P1", _ratio(_ns, "Po2_P1_from_Ma")))),
    "oblique-shock": Kind("1.5:4:0.5", (
        Column("Ma", "Ma", None), Column("theta", "theta", None),
        *_oblique("weak", False), *_oblique("strong", True)), angles=True),
    "prandtl-meyer": Kind("1:5:0.1", (Column("Ma", "Ma", None), _nu, _mu), angles=True),
    "fanno": Kind("0.1:5:0.1", (
        Column("Ma", "Ma", None),
        Column("fLstar_D", "4fL*/D", _ratio(fanno, "fLstar_D_from_Ma")),
        *_starred(fanno, ("P_Pstar", "T_Tstar", "rho_rhostar", "Po_Postar", "V_Vstar")))),
    "rayleigh": Kind("0.1:5:0.1", (
        Column("Ma", "Ma", None),
        *_starred(rayleigh, ("To_Tostar", "T_Tstar", "P_Pstar", "rho_rhostar", "Po_Postar",
                             "V_Vstar")))),
}
DEFAULT_THETA = "0:40:2"


def kind_name(text):
    """The table's name as listed, from either spelling (normal_shock or normal-shock)."""
    return text.replace("_", "-")


def parse_range(text, name):
    """START:STOP:STEP as float64 values from START to STOP included, each START + k STEP
    computed from the decimal values as written (so 0.1 steps do not drift)."""
    parts = text.split(":")
    if len(parts) != 3:
        raise ValueError(f"{name} must be START:STOP:STEP, not {text!r}")
    try:
        start, stop, step = (Fraction(p.strip()) for p in parts)
    except (ValueError, ZeroDivisionError):
        raise ValueError(f"{name} must be three numbers START:STOP:STEP, not {text!r}") from None
    if step <= 0:
        raise ValueError(f"{name}: the step must be positive")
    if stop < start:
        raise ValueError(f"{name}: STOP is below START")
    count = math.floor((stop - start) / step) + 1
    if count > 1_000_000:
        raise ValueError(f"{name}: {count} values are too many for a table")
    return np.array([float(start + k * step) for k in range(count)])


def _values(given, default, name):
    if given is None:
        given = default
    if isinstance(given, str):
        return parse_range(given, name)
    values = np.array(given, dtype=np.float64, ndmin=1)
    if values.ndim != 1:
        raise ValueError(f"{name} must be one-dimensional, not of shape {values.shape}")
    return values


def table(kind, ga=1.4, Ma=None, theta=None):
    """The table ``python -m vortalix2_flows table KIND`` prints, as a dict from column
    identifier to float64 array, in the printed order (``pandas.DataFrame(table(...))``).

    kind: isentropic, normal-shock, oblique-shock, prandtl-meyer, fanno or rayleigh (with
    ``_`` or ``-``). Ma, and theta (degrees, oblique-shock only): values, or a range
    "START:STOP:STEP" with the stop included; by default the command's ranges. The
    oblique-shock table has a row per (Ma, theta), attached shocks only. A cell outside a
    relation's domain is NaN, without a warning or NumPy's invalid status.
    """
    name = kind_name(kind) if isinstance(kind, str) else kind
    if name not in KINDS:
        raise ValueError(f"unknown table {kind!r}; the tables are {', '.join(KINDS)}")
    layout = KINDS[name]
    ga = float(ga)
    if not (ga > 1.0 and math.isfinite(ga)):
        raise ValueError(f"ga must be a finite number above 1, not {ga!r}")
    grid = layout.columns[1].name == "theta"
    if theta is not None and not grid:
        raise ValueError("theta is for the oblique-shock table only")
    c = {"Ma": _values(Ma, layout.Ma, "Ma")}
    if grid:
        th = _values(theta, DEFAULT_THETA, "theta")
        c["Ma"], c["theta"] = (a.ravel() for a in np.meshgrid(c["Ma"], th, indexing="ij"))
    # Out-of-domain cells are the table's blanks, not a fault of the caller's.
    with np.errstate(invalid="ignore"):
        for col in layout.columns:
            if col.value is not None:
                c[col.name] = np.asarray(col.value(c, ga), dtype=np.float64)
    if grid:
        attached = ~np.isnan(c["beta_weak"])
        c = {k: v[attached] for k, v in c.items()}
    return {col.name: c[col.name] for col in layout.columns}


def headers(kind):
    """The printed headers of `kind`'s columns, in the order of ``table(kind)``'s keys."""
    return [col.header for col in KINDS[kind_name(kind)].columns]


def cell(v, digits):
    if np.isnan(v):
        return ""
    return f"{v:.{digits}g}"


def write_text(out, heads, cols, digits, group_by_first=False):
    rows = [[cell(v, digits) for v in row] for row in zip(*cols)]
    widths = [max([len(h)] + [len(r[i]) for r in rows]) for i, h in enumerate(heads)]
    out.write("  ".join(h.rjust(w) for h, w in zip(heads, widths)).rstrip() + "\n")
    previous = None
    for row in rows:
        if group_by_first and previous is not None and row[0] != previous:
            out.write("\n")
        previous = row[0]
        out.write("  ".join(c.rjust(w) for c, w in zip(row, widths)).rstrip() + "\n")


def write_csv(out, heads, cols):
    w = csv.writer(out, lineterminator="\n")
    w.writerow(heads)
    for row in zip(*cols):
        w.writerow(["" if np.isnan(v) else repr(float(v)) for v in row])


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python -m vortalix2_flows",
                                     description="Gas-dynamics tables of vortalix2_flows.")
    sub = parser.add_subparsers(dest="command", required=True)
    t = sub.add_parser("table", help="print a table", description=__doc__,
                       formatter_class=argparse.RawDescriptionHelpFormatter)
    t.add_argument("kind", type=kind_name, choices=list(KINDS))
    t.add_argument("--ga", type=float, default=1.4, help="ratio of specific heats (default 1.4)")
    t.add_argument("--Ma", help="START:STOP:STEP, the stop included")
    t.add_argument("--theta", help="deflections in degrees for oblique-shock, START:STOP:STEP")
    t.add_argument("--digits", type=int, default=5, help="significant digits (default 5)")
    t.add_argument("--csv", metavar="FILE", help="write full precision CSV ('-': standard output)")
    charts = _charts.add_command(sub)
    args = parser.parse_args(argv)
    if args.command == "chart":
        return _charts.command(charts, args)
    # Errors in the arguments of `table` show the usage of `table`.
    if not 1 <= args.digits <= 17:
        t.error("--digits must be from 1 to 17")
    try:
        cols = list(table(args.kind, args.ga, Ma=args.Ma, theta=args.theta).values())
    except ValueError as e:
        t.error(f"--{e}")
    heads = headers(args.kind)
    if args.csv is None:
        print(f"# {args.kind}, ga = {args.ga:g}"
              + (", angles in degrees" if KINDS[args.kind].angles else ""))
        write_text(sys.stdout, heads, cols, args.digits, args.kind == "oblique-shock")
    elif args.csv == "-":
        write_csv(sys.stdout, heads, cols)
    else:
        try:
            with open(args.csv, "w", newline="") as f:
                write_csv(f, heads, cols)
        except OSError as e:
            parser.exit(1, f"cannot write {args.csv}: {e.strerror}\n")
    return 0
