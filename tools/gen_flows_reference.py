"""Writes tests/python/flows_reference.json: reference values for vortalix2_flows, from mpmath
at 50 significant digits.

The formulas here are the textbook ones, written independently of the C++ (no shared
rearrangements): forward values at exact float64 inputs, and for every inversion the exact
root on its branch for float64 targets, with the relation's first and second derivatives
there, from which a test bounds |R(M) - x| for the Mach number M it is given.

    python tools/gen_flows_reference.py      # needs mpmath
"""
import json
import math
import struct
from pathlib import Path

import mpmath as mp

mp.mp.dps = 50
OUT = Path(__file__).resolve().parents[1] / "tests" / "python" / "flows_reference.json"

GAS = [1.1, 1.2, 1.3, 1.4, 1.67]
DEG = 180 / mp.pi


def forward(ga):
    g = mp.mpf(ga)

    def q(M):
        return 1 + (g - 1) / 2 * M**2

    def nu(M):
        a = mp.sqrt((g + 1) / (g - 1))
        t = mp.sqrt(M**2 - 1)
        return (a * mp.atan(t / a) - mp.atan(t)) * DEG

    return {
        "To_T_from_Ma": (0, q),
        "Po_P_from_Ma": (0, lambda M: q(M) ** (g / (g - 1))),
        "rhoo_rho_from_Ma": (0, lambda M: q(M) ** (1 / (g - 1))),
        "V_cpTo_from_Ma": (0, lambda M: M * mp.sqrt(g - 1) / mp.sqrt(q(M))),
        "mcpTo_APo_from_Ma": (0, lambda M: g / mp.sqrt(g - 1) * M * q(M) ** (-(g + 1) / (2 * (g - 1)))),
        "mcpTo_AP_from_Ma": (0, lambda M: g / mp.sqrt(g - 1) * M * mp.sqrt(q(M))),
        "A_Acrit_from_Ma": (0, lambda M: (2 * q(M) / (g + 1)) ** ((g + 1) / (2 * (g - 1))) / M),
        "F_mcpTo_from_Ma": (0, lambda M: mp.sqrt(g - 1) / g * (1 + g * M**2) / (M * mp.sqrt(q(M)))),
        "mu_from_Ma": (1, lambda M: mp.asin(1 / M) * DEG),
        "nu_from_Ma": (1, nu),
        "Mash_from_Ma": (1, lambda M: mp.sqrt(((g - 1) * M**2 + 2) / (2 * g * M**2 - (g - 1)))),
        "Posh_Po_from_Ma": (1, lambda M: ((g + 1) * M**2 / ((g - 1) * M**2 + 2)) ** (g / (g - 1))
                            * ((g + 1) / (2 * g * M**2 - (g - 1))) ** (1 / (g - 1))),
        "P2_P1_from_Ma": (1, lambda M: (2 * g * M**2 - (g - 1)) / (g + 1)),
        "T2_T1_from_Ma": (1, lambda M: (2 * g * M**2 - (g - 1)) * ((g - 1) * M**2 + 2)
                          / ((g + 1) ** 2 * M**2)),
        "rho2_rho1_from_Ma": (1, lambda M: (g + 1) * M**2 / ((g - 1) * M**2 + 2)),
        "Po2_P1_from_Ma": (1, lambda M: ((g + 1) / 2 * M**2) ** (g / (g - 1))
                           * ((g + 1) / (2 * g * M**2 - (g - 1))) ** (1 / (g - 1))),
    }


# Each inversion: (forward relation, branch as (lo, hi) in Ma, takes sup).
def inversions(ga):
    f = forward(ga)
    sub, sup = (mp.mpf(0), mp.mpf(1)), (mp.mpf(1), mp.inf)
    return {
        ("Ma_from_A_Acrit", False): (f["A_Acrit_from_Ma"][1], sub),
        ("Ma_from_A_Acrit", True): (f["A_Acrit_from_Ma"][1], sup),
        ("Ma_from_mcpTo_APo", False): (f["mcpTo_APo_from_Ma"][1], sub),
        ("Ma_from_mcpTo_APo", True): (f["mcpTo_APo_from_Ma"][1], sup),
        ("Ma_from_F_mcpTo", False): (f["F_mcpTo_from_Ma"][1], sub),
        ("Ma_from_F_mcpTo", True): (f["F_mcpTo_from_Ma"][1], sup),
        ("Ma_from_mcpTo_AP", None): (f["mcpTo_AP_from_Ma"][1], (mp.mpf(0), mp.inf)),
        ("Ma_from_nu", None): (f["nu_from_Ma"][1], sup),
        ("Ma_from_Mash", None): (f["Mash_from_Ma"][1], sup),
        ("Ma_from_Posh_Po", None): (f["Posh_Po_from_Ma"][1], sup),
        ("Ma_from_P2_P1", None): (f["P2_P1_from_Ma"][1], sup),
        ("Ma_from_Po2_P1", None): (f["Po2_P1_from_Ma"][1], sup),
        ("Ma_from_Po_P", None): (f["Po_P_from_Ma"][1], (mp.mpf(0), mp.inf)),
        ("Ma_from_To_T", None): (f["To_T_from_Ma"][1], (mp.mpf(0), mp.inf)),
        ("Ma_from_rhoo_rho", None): (f["rhoo_rho_from_Ma"][1], (mp.mpf(0), mp.inf)),
        ("Ma_from_V_cpTo", None): (f["V_cpTo_from_Ma"][1], (mp.mpf(0), mp.inf)),
    }


def to_double(v):
    return float(mp.nstr(v, 20)) if mp.isfinite(v) else float(v)


def root(R, x, lo, hi):
    """The root of R(M) = x between lo and hi, R monotone there, by bisection on log M."""
    lo = mp.mpf("1e-12") if lo == 0 else lo
    hi = mp.mpf("1e12") if hi == mp.inf else hi
    rising = R(hi) > R(lo)
    a, b = mp.log(lo), mp.log(hi)
    for _ in range(400):
        c = (a + b) / 2
        if (R(mp.exp(c)) < x) == rising:
            a = c
        else:
            b = c
        if b - a < mp.mpf(10) ** -45:
            break
    return mp.exp((a + b) / 2)


def mach_grid(lo, hi, n):
    """n doubles spread geometrically over [lo, hi], as exact decimal-free doubles."""
    return [float(mp.nstr(mp.mpf(lo) * (mp.mpf(hi) / lo) ** (mp.mpf(k) / (n - 1)), 17))
            for k in range(n)]


def main():
    ref = {"forward": [], "inverse": []}
    sub_machs = mach_grid(1e-4, 0.999, 14) + [0.05, 0.3, 0.7, 0.9, 0.99, 0.9999]
    sup_machs = [1.0001, 1.001, 1.01, 1.1, 1.5, 2.0, 3.0, 5.0, 8.0] + mach_grid(10.0, 1000.0, 5)
    fwd_machs = sorted(set(mach_grid(0.05, 8.0, 22) + [1.0, 1.005, 2.0]))
    for ga in GAS:
        for name, (lo, R) in forward(ga).items():
            for M in fwd_machs:
                if M < lo:
                    continue
                ref["forward"].append([name, ga, M, to_double(R(mp.mpf(M)))])
        for (name, sup), (R, (lo, hi)) in inversions(ga).items():
            machs = sub_machs if hi == 1 else sup_machs if lo == 1 else sub_machs + sup_machs
            for M in machs:
                if not lo <= M <= hi:
                    continue
                x = to_double(R(mp.mpf(M)))
                if not math.isfinite(x) or x == 0:
                    continue
                Mx = root(R, mp.mpf(x), lo, hi)
                d1 = mp.diff(R, Mx)
                d2 = mp.diff(R, Mx, 2)
                ref["inverse"].append([name, sup, ga, x, mp.nstr(Mx, 25), to_double(d1),
                                       to_double(d2)])
    OUT.write_text(json.dumps(ref, separators=(",", ":")) + "\n")
    print(f"wrote {len(ref['forward'])} forward and {len(ref['inverse'])} inverse values to {OUT}")


if __name__ == "__main__":
    main()
