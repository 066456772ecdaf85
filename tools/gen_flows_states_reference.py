"""Writes tests/python/flows_states_reference.json: reference values for the sonic-reference
ratios, the entropy rise, the wave angle from Mn1 and the inversions that the whole-state calls
of vortalix2_flows use, from mpmath at 50 significant digits.

The formulas are the textbook ones, written without the rearrangements of the C++: forward
values at exact float64 inputs, and for every inversion the exact root of the forward formula
for a float64 target (by bisection, not from a closed form), as a double-double (hi, lo), with
the relation's first and second derivatives there, from which a test bounds |R(M) - x| for the
answer M it is given. The closed-form inversions of Po/P and rhoo/rho get exact Mach numbers
("closed" rows), against which a test bounds the relative error.

    python tools/gen_flows_states_reference.py      # needs mpmath
"""
import json
from pathlib import Path

import mpmath as mp

mp.mp.dps = 50
OUT = Path(__file__).resolve().parents[1] / "tests" / "python" / "flows_states_reference.json"

GAS = [1.1, 1.2, 1.3, 1.4, 1.67]
DEG = 180 / mp.pi


def relations(g):
    def q(M):
        return 2 + (g - 1) * M**2

    def tt(M):  # T/T* of isentropic (and Fanno) flow
        return (g + 1) / q(M)

    def posh(M):
        return (((g + 1) * M**2 / ((g - 1) * M**2 + 2)) ** (g / (g - 1))
                * ((g + 1) / (2 * g * M**2 - (g - 1))) ** (1 / (g - 1)))

    return {
        "isentropic.T_Tstar_from_Ma": tt,
        "isentropic.P_Pstar_from_Ma": lambda M: tt(M) ** (g / (g - 1)),
        "isentropic.rho_rhostar_from_Ma": lambda M: tt(M) ** (1 / (g - 1)),
        "isentropic.Mstar_from_Ma": lambda M: M * mp.sqrt(tt(M)),
        "normal_shock.ds_R_from_Ma": lambda M: -mp.log(posh(M)),
        "normal_shock.T2_T1_from_Ma": lambda M: (2 * g * M**2 - (g - 1)) * ((g - 1) * M**2 + 2)
        / ((g + 1) ** 2 * M**2),
        "normal_shock.rho2_rho1_from_Ma": lambda M: (g + 1) * M**2 / ((g - 1) * M**2 + 2),
        "fanno.rho_rhostar_from_Ma": lambda M: mp.sqrt(q(M) / (g + 1)) / M,
        "fanno.V_Vstar_from_Ma": lambda M: M * mp.sqrt((g + 1) / q(M)),
        "rayleigh.rho_rhostar_from_Ma": lambda M: (1 + g * M**2) / ((1 + g) * M**2),
        "rayleigh.V_Vstar_from_Ma": lambda M: (1 + g) * M**2 / (1 + g * M**2),
        "isentropic.mu_from_Ma": lambda M: mp.asin(1 / M) * DEG,
    }


FORWARD = ["isentropic.T_Tstar_from_Ma", "isentropic.P_Pstar_from_Ma",
           "isentropic.rho_rhostar_from_Ma", "isentropic.Mstar_from_Ma",
           "normal_shock.ds_R_from_Ma"]
# inversion: (forward relation, lowest Ma, highest Ma)
INVERSE = {
    "normal_shock.Ma_from_T2_T1": ("normal_shock.T2_T1_from_Ma", 1, 1e6),
    "normal_shock.Ma_from_rho2_rho1": ("normal_shock.rho2_rho1_from_Ma", 1, 1e6),
    "fanno.Ma_from_rho_rhostar": ("fanno.rho_rhostar_from_Ma", 1e-9, 1e6),
    "fanno.Ma_from_V_Vstar": ("fanno.V_Vstar_from_Ma", 1e-9, 1e6),
    "rayleigh.Ma_from_rho_rhostar": ("rayleigh.rho_rhostar_from_Ma", 1e-9, 1e6),
    "rayleigh.Ma_from_V_Vstar": ("rayleigh.V_Vstar_from_Ma", 1e-9, 1e6),
    "isentropic.Ma_from_mu": ("isentropic.mu_from_Ma", 1, 1e6),
}


def log_samples(a, b, n):
    return [float(mp.mpf(a) * (mp.mpf(b) / a) ** (mp.mpf(k) / (n - 1))) for k in range(n)]


def double_double(x):
    hi = float(x)
    return hi, float(x - mp.mpf(hi))


def solve(f, x, lo, hi):
    """The root of f(M) = x in [lo, hi], f monotonic there: bisection on log M."""
    lo, hi = mp.mpf(lo), mp.mpf(hi)
    below = f(lo) < x
    a, b = mp.log(lo), mp.log(hi)
    for _ in range(400):
        c = (a + b) / 2
        if (f(mp.exp(c)) < x) == below:
            a = c
        else:
            b = c
        if b - a < mp.mpf(10) ** -45:
            break
    return mp.exp((a + b) / 2)


def main():
    forward, inverse, closed, oblique = [], [], [], []
    grid = sorted(set(log_samples(1e-3, 100.0, 40) + [0.0, 0.5, 1.0, 2.0, 3.0, 1 + 1e-8, 1 + 1e-5,
                                                       1.001, 1.01, 1.1, 1e3, 1e5]))
    for ga in GAS:
        g = mp.mpf(ga)
        rel = relations(g)
        for name in FORWARD:
            lo = 1.0 if name.startswith("normal_shock") else 0.0
            for M in grid:
                if M < lo:
                    continue
                v = mp.mpf(0) if (name.endswith("ds_R_from_Ma") and M == 1.0) else rel[name](mp.mpf(M))
                forward.append([name, ga, M, float(v)])
        for name, (fwd, lo, hi) in INVERSE.items():
            f = rel[fwd]
            ms = log_samples(max(lo, 1e-4), 1e3, 30) + [1.0, 1 + 1e-6, 0.999, 1.001, 1e-3]
            for M in ms:
                if not lo <= M <= hi:
                    continue
                x = float(f(mp.mpf(M)))
                if not (mp.mpf(x) - f(mp.mpf(lo))) * (mp.mpf(x) - f(mp.mpf(hi))) < 0:
                    continue  # the rounded target left the range
                r = solve(f, mp.mpf(x), lo, hi)
                inverse.append([name, ga, x, *double_double(r), float(mp.diff(f, r)),
                                float(mp.diff(f, r, 2))])
        # Ma from Po/P and rhoo/rho: the closed forms, exactly, from Po/P = 1 + 2^-k up.
        xs = [1 + 2.0**-k for k in range(1, 53, 3)] + log_samples(1.001, 1e30, 40)
        for name, e in (("isentropic.Ma_from_Po_P", (g - 1) / g),
                        ("isentropic.Ma_from_rhoo_rho", g - 1)):
            for x in xs:
                closed.append([name, ga, x, float(mp.sqrt(2 / (g - 1) * (mp.mpf(x) ** e - 1)))])
        for M in (1.0, 1.05, 1.5, 2.0, 5.0, 20.0):
            for frac in (0.0, 0.1, 0.5, 0.9, 0.999999, 1.0):
                mn = 1 + (M - 1) * frac
                oblique.append(["oblique_shock.beta_from_Ma_Mn1", ga, M, mn,
                                float(mp.asin(mp.mpf(mn) / M) * DEG)])
    OUT.write_text(json.dumps({"forward": forward, "inverse": inverse, "closed": closed,
                               "oblique": oblique}, separators=(",", ":")) + "\n")
    print(f"{OUT}: {len(forward)} forward, {len(inverse)} inverse, {len(closed)} closed rows")


if __name__ == "__main__":
    main()
