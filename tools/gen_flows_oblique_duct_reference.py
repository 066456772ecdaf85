"""Writes tests/python/flows_oblique_duct_reference.json: reference values for the oblique-shock, Fanno and
Rayleigh relations of vortalix2_flows, from mpmath at 50 significant digits.

The formulas are the textbook ones, written without the rearrangements of the C++: forward
values at exact float64 inputs, and for every inversion the exact root on its branch for a
float64 target, as a double-double (hi, lo), with the relation's first and second derivatives
there, from which a test bounds |R(M) - x| for the answer M it is given. The largest
deflection is found as the zero of d(theta)/d(beta), not from its closed form.

    python tools/gen_flows_oblique_duct_reference.py      # needs mpmath
"""
import json
from pathlib import Path

import mpmath as mp

mp.mp.dps = 50
OUT = Path(__file__).resolve().parents[1] / "tests" / "python" / "flows_oblique_duct_reference.json"

GAS = [1.1, 1.2, 1.3, 1.4, 1.67]
DEG = 180 / mp.pi
RAD = mp.pi / 180


def fanno(g):
    def q(M):
        return 2 + (g - 1) * M**2

    return {
        "fanno.fLstar_D_from_Ma": lambda M: (1 - M**2) / (g * M**2)
        + (g + 1) / (2 * g) * mp.log((g + 1) * M**2 / q(M)),
        "fanno.P_Pstar_from_Ma": lambda M: mp.sqrt((g + 1) / q(M)) / M,
        "fanno.T_Tstar_from_Ma": lambda M: (g + 1) / q(M),
        "fanno.rho_rhostar_from_Ma": lambda M: mp.sqrt(q(M) / (g + 1)) / M,
        "fanno.V_Vstar_from_Ma": lambda M: M * mp.sqrt((g + 1) / q(M)),
        "fanno.Po_Postar_from_Ma": lambda M: (q(M) / (g + 1)) ** ((g + 1) / (2 * (g - 1))) / M,
    }


def rayleigh(g):
    def p(M):
        return 1 + g * M**2

    return {
        "rayleigh.To_Tostar_from_Ma": lambda M: 2 * (g + 1) * M**2 * (1 + (g - 1) / 2 * M**2) / p(M) ** 2,
        "rayleigh.P_Pstar_from_Ma": lambda M: (1 + g) / p(M),
        "rayleigh.T_Tstar_from_Ma": lambda M: M**2 * (1 + g) ** 2 / p(M) ** 2,
        "rayleigh.rho_rhostar_from_Ma": lambda M: p(M) / ((1 + g) * M**2),
        "rayleigh.V_Vstar_from_Ma": lambda M: (1 + g) * M**2 / p(M),
        "rayleigh.Po_Postar_from_Ma": lambda M: (1 + g) / p(M)
        * ((2 + (g - 1) * M**2) / (g + 1)) ** (g / (g - 1)),
    }


def oblique(g):
    def theta(M, b):
        br = b * RAD
        t = 2 / mp.tan(br) * (M**2 * mp.sin(br) ** 2 - 1) / (M**2 * (g + mp.cos(2 * br)) + 2)
        return mp.atan(t) * DEG

    def mn1(M, b):
        return M * mp.sin(b * RAD)

    def ma2(M, b):
        n = mn1(M, b)
        n2 = mp.sqrt((1 + (g - 1) / 2 * n**2) / (g * n**2 - (g - 1) / 2))
        return n2 / mp.sin((b - theta(M, b)) * RAD)

    def p2p1(M, b):
        return (2 * g * mn1(M, b) ** 2 - (g - 1)) / (g + 1)

    def rho(M, b):
        n = mn1(M, b)
        return (g + 1) * n**2 / ((g - 1) * n**2 + 2)

    def po(M, b):
        n = mn1(M, b)
        return (((g + 1) * n**2 / ((g - 1) * n**2 + 2)) ** (g / (g - 1))
                * ((g + 1) / (2 * g * n**2 - (g - 1))) ** (1 / (g - 1)))

    return {
        "theta_from_Ma_beta": theta,
        "Mn1_from_Ma_beta": mn1,
        "Ma2_from_Ma_beta": ma2,
        "P2_P1_from_Ma_beta": p2p1,
        "T2_T1_from_Ma_beta": lambda M, b: p2p1(M, b) / rho(M, b),
        "rho2_rho1_from_Ma_beta": rho,
        "Po2_Po1_from_Ma_beta": po,
    }


def beta_max(g, M):
    theta = oblique(g)["theta_from_Ma_beta"]
    mu = mp.asin(1 / M) * DEG
    grid = [mu + (90 - mu) * k / 200 for k in range(1, 200)]
    b0 = max(grid, key=lambda b: theta(M, b))
    return mp.findroot(lambda b: mp.diff(lambda bb: theta(M, bb), b), b0)


def forward_grid():
    ms = sorted({mp.mpf(0.05) * (mp.mpf(160) ** (k / mp.mpf(47))) for k in range(48)})
    ms = [float(m) for m in ms]
    ms += [1.0, 0.99, 1.01, 0.999, 1.001, 1 - 1e-6, 1 + 1e-6, 1 - 2**-40, 1 + 2**-40, 0.5, 2.0, 3.0]
    return sorted(set(ms))


def double_double(x):
    hi = float(x)
    return hi, float(x - mp.mpf(hi))


def solve(f, x, lo, hi):
    """The root of f(M) = x in [lo, hi], f monotonic there: bisection (geometric while the
    bracket spans more than a factor of four), then the secant method from the narrow bracket."""
    below = f(lo) < x
    for _ in range(400):
        if hi - lo <= mp.mpf(10) ** -30 * hi:
            break
        mid = mp.sqrt(lo * hi) if lo > 0 and hi > 4 * lo else (lo + hi) / 2
        if (f(mid) < x) == below:
            lo = mid
        else:
            hi = mid
    return mp.findroot(lambda m: f(m) - x, (lo, hi), solver="secant")


def inversion_rows(name, f, branches, ga):
    """branches: (sup, lo, hi, sample Mach numbers); targets are f at the samples, in float64."""
    rows = []
    for sup, lo, hi, samples in branches:
        for m in samples:
            x = float(f(mp.mpf(m)))
            if not (mp.mpf(x) - f(lo)) * (mp.mpf(x) - f(hi)) < 0:
                continue  # the rounded target left the branch's range
            r = solve(f, mp.mpf(x), lo, hi)
            d1 = mp.diff(f, r)
            d2 = mp.diff(f, r, 2)
            rows.append([name, ga, sup, x, *double_double(r), float(d1), float(d2)])
    return rows


def log_samples(a, b, n):
    return [float(mp.mpf(a) * (mp.mpf(b) / a) ** (mp.mpf(k) / (n - 1))) for k in range(n)]


def main():
    forward = []
    inverse = []
    special = {}
    for ga in GAS:
        g = mp.mpf(ga)
        for table in (fanno(g), rayleigh(g)):
            for name, f in table.items():
                for m in forward_grid():
                    if "fLstar" in name and m == 1.0:
                        forward.append([name, ga, m, 0.0])
                        continue
                    forward.append([name, ga, m, float(f(mp.mpf(m)))])
        for name, f in oblique(g).items():
            for M in (1.05, 1.2, 1.5, 2.0, 3.0, 5.0, 8.0):
                mu = float(mp.asin(1 / mp.mpf(M)) * DEG)
                for k in range(12):
                    b = mu + 0.5 + (89.5 - mu - 0.5) * k / 11
                    forward.append([name, ga, M, b, float(f(mp.mpf(M), mp.mpf(b)))])
        for M in (1.0001, 1.05, 1.2, 1.5, 2.0, 3.0, 5.0, 8.0, 20.0):
            bm = beta_max(g, mp.mpf(M))
            tm = oblique(g)["theta_from_Ma_beta"](mp.mpf(M), bm)
            forward.append(["beta_at_theta_max_from_Ma", ga, M, float(bm)])
            forward.append(["theta_max_from_Ma", ga, M, float(tm)])
            theta = oblique(g)["theta_from_Ma_beta"]
            mu = mp.asin(1 / mp.mpf(M)) * DEG
            for frac in (0.001, 0.05, 0.3, 0.6, 0.9, 0.99, 0.9999):
                x = float(tm * frac)
                for strong, lo, hi in ((False, mu, bm), (True, bm, mp.mpf(90))):
                    f = lambda b: theta(mp.mpf(M), b)  # noqa: E731
                    r = solve(f, mp.mpf(x), lo, hi)
                    inverse.append(["beta_from_Ma_theta", ga, strong, x, *double_double(r),
                                    float(mp.diff(f, r)), float(mp.diff(f, r, 2)), M])

        fa, ra = fanno(g), rayleigh(g)
        sub = log_samples(1e-3, 0.999, 30) + [1 - 1e-4, 1 - 1e-6, 0.9]
        sup = log_samples(1.001, 100.0, 30) + [1 + 1e-4, 1 + 1e-6, 1.1]
        both = [(False, mp.mpf(1e-9), mp.mpf(1), sub), (True, mp.mpf(1), mp.mpf(1e6), sup)]
        whole = [(None, mp.mpf(1e-9), mp.mpf(1e9), sub + sup)]
        inverse += inversion_rows("fanno.Ma_from_fLstar_D", fa["fanno.fLstar_D_from_Ma"], both, ga)
        inverse += inversion_rows("fanno.Ma_from_Po_Postar", fa["fanno.Po_Postar_from_Ma"], both, ga)
        inverse += inversion_rows("fanno.Ma_from_P_Pstar", fa["fanno.P_Pstar_from_Ma"], whole, ga)
        inverse += inversion_rows("fanno.Ma_from_T_Tstar", fa["fanno.T_Tstar_from_Ma"], whole, ga)
        inverse += inversion_rows("rayleigh.Ma_from_To_Tostar", ra["rayleigh.To_Tostar_from_Ma"], both, ga)
        inverse += inversion_rows("rayleigh.Ma_from_Po_Postar", ra["rayleigh.Po_Postar_from_Ma"], both, ga)
        inverse += inversion_rows("rayleigh.Ma_from_P_Pstar", ra["rayleigh.P_Pstar_from_Ma"], whole, ga)
        me = 1 / mp.sqrt(g)
        t_sub = [m for m in sub if m < me] + [float(me * (1 - mp.mpf(10) ** -k)) for k in (2, 4, 6)]
        t_sup = [m for m in sub + sup if m > me] + [float(me * (1 + mp.mpf(10) ** -k)) for k in (2, 4, 6)]
        inverse += inversion_rows("rayleigh.Ma_from_T_Tstar", ra["rayleigh.T_Tstar_from_Ma"],
                                  [(False, mp.mpf(0), me, t_sub), (True, me, mp.mpf(1e6), t_sup)], ga)
        special[str(ga)] = {
            "fanno_limit": float((g + 1) / (2 * g) * mp.log((g + 1) / (g - 1)) - 1 / g),
            "rayleigh_Po_at_0": float((1 + g) * (2 / (g + 1)) ** (g / (g - 1))),
            "rayleigh_T_max": float((g + 1) ** 2 / (4 * g)),
        }
    OUT.write_text(json.dumps({"forward": forward, "inverse": inverse, "special": special},
                              separators=(",", ":")) + "\n")
    print(f"{OUT}: {len(forward)} forward, {len(inverse)} inverse rows")


if __name__ == "__main__":
    main()
