"""Prints the worst relative error of every closed form of vortalix2_flows against mpmath.

    python tools/closed_form_accuracy.py [--points N]     # needs mpmath and the installed module

Forward relations are sampled over their documented domain (Ma from 1e-3, or 1, up to 1e3,
denser next to Ma = 1; the oblique shock on a grid of Ma and beta), at ga = 1.1, 1.4 and 1.67,
against the textbook formulas of the reference generators. For a closed-form inversion the
error of its answer M is taken to first order from the exact forward relation R,
(R(M) - x)/(M R'(M)); beside it the error over the problem's own condition number
kappa = |x/(M R'(M))| (at least 1), which stays at a few ulp where the method is sound even
where the inversion itself is ill-conditioned (near an extremum or an asymptote).
"""
import argparse
import math
import sys
from pathlib import Path

import mpmath as mp
import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parent))
import gen_flows_oblique_duct_reference as od  # noqa: E402
import gen_flows_reference as base  # noqa: E402
import gen_flows_states_reference as st  # noqa: E402

from vortalix2_flows import fanno, isentropic, normal_shock, oblique_shock, rayleigh  # noqa: E402

mp.mp.dps = 50  # enough for -ln(Po2/Po1) ~ 1e-27 next to Ma = 1
MODULES = {"isentropic": isentropic, "normal_shock": normal_shock, "fanno": fanno,
           "rayleigh": rayleigh, "oblique_shock": oblique_shock}
GAS = (1.1, 1.4, 1.67)
SHOCK = {"Mash_from_Ma", "Posh_Po_from_Ma", "P2_P1_from_Ma", "T2_T1_from_Ma",
         "rho2_rho1_from_Ma", "Po2_P1_from_Ma"}
# Closed-form inversions: (function, forward relation's name, lowest Ma, highest Ma).
INVERSIONS = [
    ("isentropic.Ma_from_To_T", "isentropic.To_T_from_Ma", 1e-3, 1e3),
    ("isentropic.Ma_from_Po_P", "isentropic.Po_P_from_Ma", 1e-6, 1e3),
    ("isentropic.Ma_from_rhoo_rho", "isentropic.rhoo_rho_from_Ma", 1e-6, 1e3),
    ("isentropic.Ma_from_V_cpTo", "isentropic.V_cpTo_from_Ma", 1e-3, 1e3),
    ("isentropic.Ma_from_mcpTo_AP", "isentropic.mcpTo_AP_from_Ma", 1e-3, 1e3),
    ("isentropic.Ma_from_mu", "isentropic.mu_from_Ma", 1.0, 1e3),
    ("normal_shock.Ma_from_Mash", "normal_shock.Mash_from_Ma", 1.0, 1e3),
    ("normal_shock.Ma_from_P2_P1", "normal_shock.P2_P1_from_Ma", 1.0, 1e3),
    ("normal_shock.Ma_from_T2_T1", "normal_shock.T2_T1_from_Ma", 1.0, 1e3),
    ("normal_shock.Ma_from_rho2_rho1", "normal_shock.rho2_rho1_from_Ma", 1.0, 1e3),
    ("fanno.Ma_from_P_Pstar", "fanno.P_Pstar_from_Ma", 1e-3, 1e3),
    ("fanno.Ma_from_T_Tstar", "fanno.T_Tstar_from_Ma", 1e-3, 1e3),
    ("fanno.Ma_from_rho_rhostar", "fanno.rho_rhostar_from_Ma", 1e-3, 1e3),
    ("fanno.Ma_from_V_Vstar", "fanno.V_Vstar_from_Ma", 1e-3, 1e3),
    ("rayleigh.Ma_from_P_Pstar", "rayleigh.P_Pstar_from_Ma", 1e-3, 1e3),
    ("rayleigh.Ma_from_rho_rhostar", "rayleigh.rho_rhostar_from_Ma", 1e-3, 1e3),
    ("rayleigh.Ma_from_V_Vstar", "rayleigh.V_Vstar_from_Ma", 1e-3, 1e3),
    ("rayleigh.Ma_from_To_Tostar", "rayleigh.To_Tostar_from_Ma", 1e-3, 1e3),
    ("rayleigh.Ma_from_T_Tstar", "rayleigh.T_Tstar_from_Ma", 1e-3, 1e3),
]


def formulas(ga):
    """{"module.name": formula of Ma} for every one-argument forward relation."""
    g = mp.mpf(ga)
    out = {}
    for name, (_, f) in base.forward(ga).items():
        out[("normal_shock." if name in SHOCK else "isentropic.") + name] = f
    out["isentropic.To_T_from_Ma"] = base.forward(ga)["To_T_from_Ma"][1]
    out.update(od.fanno(g))
    out.update(od.rayleigh(g))
    out.update(st.relations(g))
    out["fanno.Po_Postar_from_Ma"] = od.fanno(g)["fanno.Po_Postar_from_Ma"]
    return out


def function(name):
    family, _, short = name.partition(".")
    return getattr(MODULES[family], short)


def machs(lo, hi, n):
    grid = np.geomspace(max(lo, 1e-3), hi, n)
    near = 1.0 + np.geomspace(1e-9, 0.3, n // 4)
    extra = np.concatenate([near, 2.0 - near]) if lo < 1 else near
    return np.unique(np.concatenate([grid, extra, [lo]]))


def sup_for(name, M, ga):
    if name == "rayleigh.Ma_from_T_Tstar":
        return M > 1 / math.sqrt(ga)
    if name == "rayleigh.Ma_from_To_Tostar":
        return M > 1.0
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--points", type=int, default=200)
    n = ap.parse_args().points
    print("| Function | Worst relative error | at (ga, input) | worst / condition number |")
    print("|---|---|---|---|")
    rows = []
    names = sorted(formulas(1.4))
    for name in names:
        if name in ("normal_shock.T2_T1_from_Ma",) and False:
            continue
        worst = (0.0, None)
        f = function(name)
        for ga in GAS:
            exact = formulas(ga)[name]
            lo = 1.0 if (name.startswith("normal_shock") or "mu_from" in name or "nu_from" in name) else 1e-3
            for M in machs(lo, 1e3, n):
                got = float(f(M) if "mu_from" in name else f(M, ga))
                e = exact(mp.mpf(M))
                if e == 0 or not math.isfinite(got):
                    continue
                rel = float(abs((mp.mpf(got) - e) / e))
                if rel > worst[0]:
                    worst = (rel, (ga, M))
        rows.append((name, worst[0], worst[1], None))
    for name, fwd, lo, hi in INVERSIONS:
        worst, worst_k = (0.0, None), 0.0
        inv = function(name)
        for ga in GAS:
            R = formulas(ga)[fwd]
            for M0 in machs(lo, hi, n):
                x = float(R(mp.mpf(M0)))
                sup = sup_for(name, M0, ga)
                with np.errstate(invalid="ignore"):
                    if "mu" in name:
                        M = float(inv(x))
                    elif sup is None:
                        M = float(inv(x, ga))
                    else:
                        M = float(inv(x, ga, sup=bool(sup)))
                if not (math.isfinite(M) and M > 0):
                    continue
                d1 = mp.diff(R, mp.mpf(M))
                if d1 == 0:
                    continue
                rel = float(abs((R(mp.mpf(M)) - x) / (M * d1)))
                kappa = max(1.0, float(abs(x / (M * d1))))
                if rel > worst[0]:
                    worst = (rel, (ga, x))
                worst_k = max(worst_k, rel / kappa)
        rows.append((name, worst[0], worst[1], worst_k))
    for name, rel, at, k in rows:
        where = "" if at is None else f"{at[0]}, {at[1]:.6g}"
        print(f"| `{name}` | {rel:.2e} | {where} | {'' if k is None else f'{k:.2e}'} |")


if __name__ == "__main__":
    main()
