"""Printed gas-dynamics tables: ``python -m vortalix2_flows table KIND [options]``.

    KIND            isentropic, normal-shock, oblique-shock, prandtl-meyer, fanno, rayleigh
    --ga G          ratio of specific heats (default 1.4)
    --Ma A:B:S      Mach numbers from A to B (included) in steps of S (default per kind)
    --theta A:B:S   deflections in degrees for oblique-shock (default 0:40:2)
    --digits N      significant digits printed (default 5)
    --csv FILE      write every column at full precision as CSV instead ('-': standard output)

Cells without a value (the Mach and Prandtl-Meyer angles below Ma = 1) are left empty; the
oblique-shock table leaves out the deflections above the largest one (detached shocks).
"""
import argparse
import csv
import math
import sys
from fractions import Fraction

import numpy as np

from . import fanno, isentropic, normal_shock, oblique_shock, rayleigh

DEFAULT_MA = {
    "isentropic": "0:5:0.1", "normal-shock": "1:5:0.1", "oblique-shock": "1.5:4:0.5",
    "prandtl-meyer": "1:5:0.1", "fanno": "0.1:5:0.1", "rayleigh": "0.1:5:0.1",
}
DEFAULT_THETA = "0:40:2"


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


def columns(kind, ga, Ma, theta):
    """The table of `kind` as (headers, list of float64 columns); a cell outside a relation's
    domain is NaN, without a warning."""
    with np.errstate(invalid="ignore"):
        return _columns(kind, ga, Ma, theta)


def _columns(kind, ga, Ma, theta):
    if kind == "isentropic":
        sup = Ma >= 1.0
        nu = np.where(sup, isentropic.nu_from_Ma(Ma, ga), np.nan)
        mu = np.where(sup, isentropic.mu_from_Ma(np.where(sup, Ma, 1.0)), np.nan)
        return (["Ma", "P/Po", "T/To", "rho/rhoo", "A/A*", "nu", "mu"],
                [Ma, 1.0 / isentropic.Po_P_from_Ma(Ma, ga), 1.0 / isentropic.To_T_from_Ma(Ma, ga),
                 1.0 / isentropic.rhoo_rho_from_Ma(Ma, ga), isentropic.A_Acrit_from_Ma(Ma, ga), nu, mu])
    if kind == "normal-shock":
        ns = normal_shock
        return (["Ma1", "Ma2", "P2/P1", "rho2/rho1", "T2/T1", "Po2/Po1", "Po2/P1"],
                [Ma, ns.Mash_from_Ma(Ma, ga), ns.P2_P1_from_Ma(Ma, ga), ns.rho2_rho1_from_Ma(Ma, ga),
                 ns.T2_T1_from_Ma(Ma, ga), ns.Posh_Po_from_Ma(Ma, ga), ns.Po2_P1_from_Ma(Ma, ga)])
    if kind == "prandtl-meyer":
        return (["Ma", "nu", "mu"], [Ma, isentropic.nu_from_Ma(Ma, ga), isentropic.mu_from_Ma(Ma)])
    if kind == "fanno":
        f = fanno
        return (["Ma", "4fL*/D", "P/P*", "T/T*", "rho/rho*", "Po/Po*", "V/V*"],
                [Ma, f.fLstar_D_from_Ma(Ma, ga), f.P_Pstar_from_Ma(Ma, ga), f.T_Tstar_from_Ma(Ma, ga),
                 f.rho_rhostar_from_Ma(Ma, ga), f.Po_Postar_from_Ma(Ma, ga), f.V_Vstar_from_Ma(Ma, ga)])
    if kind == "rayleigh":
        r = rayleigh
        return (["Ma", "To/To*", "T/T*", "P/P*", "rho/rho*", "Po/Po*", "V/V*"],
                [Ma, r.To_Tostar_from_Ma(Ma, ga), r.T_Tstar_from_Ma(Ma, ga), r.P_Pstar_from_Ma(Ma, ga),
                 r.rho_rhostar_from_Ma(Ma, ga), r.Po_Postar_from_Ma(Ma, ga), r.V_Vstar_from_Ma(Ma, ga)])
    if kind == "oblique-shock":
        ob = oblique_shock
        M, th = (a.ravel() for a in np.meshgrid(Ma, theta, indexing="ij"))
        cols = [M, th]
        for strong in (False, True):
            beta = ob.beta_from_Ma_theta(M, th, ga, strong)
            cols += [beta, ob.Ma2_from_Ma_beta(M, beta, ga), ob.P2_P1_from_Ma_beta(M, beta, ga)]
        attached = ~np.isnan(cols[2])
        return (["Ma", "theta", "beta weak", "Ma2 weak", "P2/P1 weak", "beta strong",
                 "Ma2 strong", "P2/P1 strong"], [c[attached] for c in cols])
    raise ValueError(f"unknown table {kind!r}")


def cell(v, digits):
    if np.isnan(v):
        return ""
    return f"{v:.{digits}g}"


def write_text(out, headers, cols, digits, group_by_first=False):
    rows = [[cell(v, digits) for v in row] for row in zip(*cols)]
    widths = [max([len(h)] + [len(r[i]) for r in rows]) for i, h in enumerate(headers)]
    out.write("  ".join(h.rjust(w) for h, w in zip(headers, widths)).rstrip() + "\n")
    previous = None
    for row in rows:
        if group_by_first and previous is not None and row[0] != previous:
            out.write("\n")
        previous = row[0]
        out.write("  ".join(c.rjust(w) for c, w in zip(row, widths)).rstrip() + "\n")


def write_csv(out, headers, cols):
    w = csv.writer(out, lineterminator="\n")
    w.writerow(headers)
    for row in zip(*cols):
        w.writerow(["" if np.isnan(v) else repr(float(v)) for v in row])


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python -m vortalix2_flows",
                                     description="Gas-dynamics tables of vortalix2_flows.")
    sub = parser.add_subparsers(dest="command", required=True)
    t = sub.add_parser("table", help="print a table", description=__doc__,
                       formatter_class=argparse.RawDescriptionHelpFormatter)
    t.add_argument("kind", choices=sorted(DEFAULT_MA))
    t.add_argument("--ga", type=float, default=1.4, help="ratio of specific heats (default 1.4)")
    t.add_argument("--Ma", help="START:STOP:STEP, the stop included")
    t.add_argument("--theta", help="deflections in degrees for oblique-shock, START:STOP:STEP")
    t.add_argument("--digits", type=int, default=5, help="significant digits (default 5)")
    t.add_argument("--csv", metavar="FILE", help="write full precision CSV ('-': standard output)")
    args = parser.parse_args(argv)
    if not (args.ga > 1.0 and math.isfinite(args.ga)):
        parser.error("--ga must be a finite number above 1")
    if not 1 <= args.digits <= 17:
        parser.error("--digits must be from 1 to 17")
    if args.theta is not None and args.kind != "oblique-shock":
        parser.error("--theta is for the oblique-shock table only")
    try:
        Ma = parse_range(args.Ma or DEFAULT_MA[args.kind], "--Ma")
        theta = parse_range(args.theta or DEFAULT_THETA, "--theta")
    except ValueError as e:
        parser.error(str(e))
    headers, cols = columns(args.kind, args.ga, Ma, theta)
    if args.csv is None:
        print(f"# {args.kind}, ga = {args.ga:g}" + (", angles in degrees" if args.kind in (
            "isentropic", "oblique-shock", "prandtl-meyer") else ""))
        write_text(sys.stdout, headers, cols, args.digits, args.kind == "oblique-shock")
    elif args.csv == "-":
        write_csv(sys.stdout, headers, cols)
    else:
        try:
            with open(args.csv, "w", newline="") as f:
                write_csv(f, headers, cols)
        except OSError as e:
            parser.exit(1, f"cannot write {args.csv}: {e.strerror}\n")
    return 0
