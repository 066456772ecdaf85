"""Speed of vortalix2_flows against what a user would write instead, ratios measured side by
side in one run (best of several rounds each).

    .venvs/bench/bin/python bench/bench_flows.py [--quick]

Closed forms and relations with pow/atan/asin against the NumPy expression, at 10^6 and 10^4
elements; the iterative inversions against SciPy's vectorised `newton` (with the derivative)
run to about 4 ULP; one scalar call against numpy.sqrt on a one-element array. The memory
floor is numpy.copyto of as many doubles.
"""
import argparse
import platform
import sys
import warnings

import numpy as np

from timing import best, cpu_name
from vortalix2_flows import _core
from vortalix2_flows import isentropic as ise
from vortalix2_flows import normal_shock as ns

G = 1.4


def numpy_forms(g):
    gm1, gp1 = g - 1, g + 1
    return {
        "P2_P1_from_Ma": (ns.P2_P1_from_Ma, lambda M: 1 + 2 * g / gp1 * (M * M - 1), (1, 5)),
        "rho2_rho1_from_Ma": (ns.rho2_rho1_from_Ma, lambda M: gp1 * M**2 / (gm1 * M**2 + 2), (1, 5)),
        "T2_T1_from_Ma": (ns.T2_T1_from_Ma, lambda M: (2 * g * M**2 - gm1) * (gm1 * M**2 + 2) / (gp1**2 * M**2), (1, 5)),
        "Ma_from_P2_P1": (ns.Ma_from_P2_P1, lambda x: np.sqrt(1 + (x - 1) * gp1 / (2 * g)), (1, 30)),
        "Ma_from_Mash": (ns.Ma_from_Mash, lambda y: np.sqrt((1 + gm1 / 2 * y**2) / (g * y**2 - gm1 / 2)), (0.4, 1)),
        "mcpTo_AP_from_Ma": (ise.mcpTo_AP_from_Ma, lambda M: g / np.sqrt(gm1) * M * np.sqrt(1 + gm1 / 2 * M**2), (0, 5)),
        "Ma_from_mcpTo_AP": (ise.Ma_from_mcpTo_AP, lambda x: np.sqrt((-1 + np.sqrt(1 + 2 * gm1 * (x * np.sqrt(gm1) / g) ** 2)) / gm1), (0, 10)),
    }


def numpy_transcendental(g):
    gm1, gp1 = g - 1, g + 1
    a = np.sqrt(gp1 / gm1)
    return {
        "Po2_P1_from_Ma": (ns.Po2_P1_from_Ma, lambda M: (gp1 / 2 * M**2) ** (g / gm1) * (gp1 / (2 * g * M**2 - gm1)) ** (1 / gm1), (1, 5)),
        "Posh_Po_from_Ma": (ns.Posh_Po_from_Ma, lambda M: (gp1 * M**2 / (gm1 * M**2 + 2)) ** (g / gm1) * (gp1 / (2 * g * M**2 - gm1)) ** (1 / gm1), (1, 5)),
        "A_Acrit_from_Ma": (ise.A_Acrit_from_Ma, lambda M: (2 / gp1 * (1 + gm1 / 2 * M**2)) ** (gp1 / (2 * gm1)) / M, (0.1, 5)),
        "F_mcpTo_from_Ma": (ise.F_mcpTo_from_Ma, lambda M: np.sqrt(gm1) / g * (1 + g * M**2) / (M * np.sqrt(1 + gm1 / 2 * M**2)), (0.1, 5)),
        "mu_from_Ma": (lambda M, g: ise.mu_from_Ma(M), lambda M: np.degrees(np.arcsin(1 / M)), (1, 5)),
        "nu_from_Ma": (ise.nu_from_Ma, lambda M: np.degrees(a * np.arctan(np.sqrt(M**2 - 1) / a) - np.arctan(np.sqrt(M**2 - 1))), (1, 5)),
    }


def inversions(g):
    gm1, gp1 = g - 1, g + 1
    e = gp1 / (2 * gm1)
    a = np.sqrt(gp1 / gm1)
    deg = 180 / np.pi

    def area(M):
        return (2 / gp1 * (1 + gm1 / 2 * M**2)) ** e / M

    def darea(M):
        return area(M) * (M**2 - 1) / (M * (1 + gm1 / 2 * M**2))

    def nu(M):
        t = np.sqrt(M**2 - 1)
        return deg * (a * np.arctan(t / a) - np.arctan(t))

    def dnu(M):
        return deg * np.sqrt(M**2 - 1) / (M * (1 + gm1 / 2 * M**2))

    def F(M):
        return np.sqrt(gm1) / g * (1 + g * M**2) / (M * np.sqrt(1 + gm1 / 2 * M**2))

    def dF(M):
        return np.sqrt(gm1) / g * (M**2 - 1) / (M**2 * (1 + gm1 / 2 * M**2) ** 1.5)

    def posh(M):
        return ns.Posh_Po_from_Ma(M, g)

    def dposh(M):
        return -g * M * (M * M - 1) ** 2 / (1 + gm1 / 2 * M * M) ** 2 * (
            (gp1 * M * M) / (2 + gm1 * M * M)) ** (1 / gm1) * (
            (2 * g * M * M - gm1) / gp1) ** (-g / gm1)

    return {
        "Ma_from_A_Acrit sup": (lambda x: ise.Ma_from_A_Acrit(x, g, sup=True), area, darea, (1.2, 4.0), 2.5),
        "Ma_from_A_Acrit sub": (lambda x: ise.Ma_from_A_Acrit(x, g, sup=False), area, darea, (0.2, 0.8), 0.5),
        "Ma_from_nu": (lambda x: ise.Ma_from_nu(x, g), nu, dnu, (1.3, 4.0), 2.0),
        "Ma_from_F_mcpTo sup": (lambda x: ise.Ma_from_F_mcpTo(x, g, sup=True), F, dF, (1.3, 4.0), 2.0),
        "Ma_from_Posh_Po": (lambda x: ns.Ma_from_Posh_Po(x, g), posh, dposh, (1.3, 3.0), 2.0),
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    rounds = 3 if args.quick else 9
    big = 10**5 if args.quick else 10**6
    rng = np.random.default_rng(1)
    print(f"CPU: {cpu_name()}; loops: {_core.level()}; Python {platform.python_version()}, "
          f"NumPy {np.__version__}")
    print("\n| function | n | ns/element | × memory floor | NumPy ns/element | faster than NumPy |")
    print("|---|---|---|---|---|---|")
    floors = {}
    for n in (big, 10**4):
        src, dst = rng.uniform(1, 2, n), np.empty(n)
        reps = max(1, 10**6 // n)
        floors[n] = best(lambda: [np.copyto(dst, src) for _ in range(reps)], rounds) / (reps * n)
    for table in (numpy_forms(G), numpy_transcendental(G)):
        for name, (ours, theirs, (lo, hi)) in table.items():
            for n in (big, 10**4):
                x = rng.uniform(lo, hi, n)
                reps = max(1, 10**6 // n)
                t_ours = best(lambda: [ours(x, G) for _ in range(reps)], rounds) / (reps * n)
                with np.errstate(all="ignore"):
                    t_np = best(lambda: [theirs(x) for _ in range(reps)], rounds) / (reps * n)
                print(f"| {name} | {n} | {t_ours * 1e9:.2f} | {t_ours / floors[n]:.2f} | "
                      f"{t_np * 1e9:.2f} | {t_np / t_ours:.2f}× |")
    try:
        from scipy.optimize import newton
        import scipy
    except ImportError:
        print("\nSciPy is missing: inversions not compared")
        newton = None
    if newton is not None:
        print(f"\nInversions against SciPy {scipy.__version__} newton (vectorised, with fprime, "
              "rtol 4 ULP), 10^5 targets:")
        print("\n| function | ns/element | SciPy ns/element | faster than SciPy |")
        print("|---|---|---|---|")
        n = 10**4 if args.quick else 10**5
        for name, (ours, f, df, (lo, hi), start) in inversions(G).items():
            M = rng.uniform(lo, hi, n)
            x = f(M)
            x0 = np.full(n, start)

            def scipy_solve():
                with warnings.catch_warnings(), np.errstate(all="ignore"):
                    warnings.simplefilter("ignore")
                    return newton(lambda m: f(m) - x, x0, fprime=df, tol=1e-300,
                                  rtol=4 * 2.220446049250313e-16, maxiter=100)
            t_ours = best(lambda: ours(x), rounds) / n
            t_sp = best(scipy_solve, max(1, rounds // 3)) / n
            print(f"| {name} | {t_ours * 1e9:.1f} | {t_sp * 1e9:.1f} | {t_sp / t_ours:.2f}× |")
    one = np.array([2.0])
    t_sqrt = best(lambda: [np.sqrt(one) for _ in range(10000)], rounds) / 10000
    t_call = best(lambda: [ns.P2_P1_from_Ma(2.0, 1.4) for _ in range(10000)], rounds) / 10000
    t_inv = best(lambda: [ise.Ma_from_A_Acrit(2.0, 1.4, sup=True) for _ in range(10000)],
                 rounds) / 10000
    print(f"\nScalar call: P2_P1_from_Ma(2.0, 1.4) {t_call * 1e9:.0f} ns, "
          f"Ma_from_A_Acrit(2.0, 1.4, True) {t_inv * 1e9:.0f} ns; numpy.sqrt on a one-element "
          f"array {t_sqrt * 1e9:.0f} ns: {t_call / t_sqrt:.2f}× and {t_inv / t_sqrt:.2f}× of it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
