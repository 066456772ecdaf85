"""Speed of the oblique-shock, Fanno and Rayleigh relations of vortalix2_flows against what a
user would write instead, ratios measured side by side in one run (best of several rounds).

    .venvs/bench/bin/python bench/bench_flows_oblique_duct.py [--quick]

Closed forms and relations with log/pow/trigonometric calls against the NumPy expression, at
10^6 and 10^4 elements; the bracketed inversions against SciPy's vectorised `newton` (with the
derivative) run to about 4 ULP; beta_from_Ma_theta against SciPy's vectorised `newton` on the
theta-beta-Ma relation itself.
"""
import argparse
import platform
import sys
import warnings

import numpy as np

from timing import best, cpu_name
from vortalix2_flows import _core, fanno, rayleigh
from vortalix2_flows import oblique_shock as ob

G = 1.4
EPS = 2.220446049250313e-16


def one_argument(g):
    """name: (ours, NumPy expression, input range, transcendental)."""
    gm1, gp1 = g - 1, g + 1

    def q(M):
        return 2 + gm1 * M * M

    def p(M):
        return 1 + g * M * M

    return {
        "fanno.T_Tstar_from_Ma": (fanno.T_Tstar_from_Ma, lambda M: gp1 / q(M), (0.1, 5), False),
        "fanno.P_Pstar_from_Ma": (fanno.P_Pstar_from_Ma, lambda M: np.sqrt(gp1 / q(M)) / M, (0.1, 5), False),
        "fanno.V_Vstar_from_Ma": (fanno.V_Vstar_from_Ma, lambda M: M * np.sqrt(gp1 / q(M)), (0.1, 5), False),
        "fanno.Ma_from_P_Pstar": (fanno.Ma_from_P_Pstar, lambda x: np.sqrt((-1 + np.sqrt(1 + (g * g - 1) / x**2)) / gm1), (0.2, 5), False),
        "rayleigh.To_Tostar_from_Ma": (rayleigh.To_Tostar_from_Ma, lambda M: gp1 * M * M * q(M) / p(M) ** 2, (0.1, 5), False),
        "rayleigh.T_Tstar_from_Ma": (rayleigh.T_Tstar_from_Ma, lambda M: (M * gp1 / p(M)) ** 2, (0.1, 5), False),
        "rayleigh.P_Pstar_from_Ma": (rayleigh.P_Pstar_from_Ma, lambda M: gp1 / p(M), (0.1, 5), False),
        "rayleigh.Ma_from_To_Tostar sub": (lambda x, g: rayleigh.Ma_from_To_Tostar(x, g, sup=False),
                                           lambda x: np.sqrt(x / ((1 + np.sqrt(1 - x)) * (1 + g * np.sqrt(1 - x)))), (0.01, 1), False),
        "rayleigh.Ma_from_T_Tstar sup": (lambda x, g: rayleigh.Ma_from_T_Tstar(x, g, sup=True),
                                         lambda x: (gp1 + np.sqrt(gp1**2 - 4 * g * x)) / (2 * g * np.sqrt(x)), (0.05, 1.02), False),
        "fanno.fLstar_D_from_Ma": (fanno.fLstar_D_from_Ma, lambda M: (1 - M * M) / (g * M * M) + gp1 / (2 * g) * np.log(gp1 * M * M / q(M)), (0.1, 5), True),
        "rayleigh.Po_Postar_from_Ma": (rayleigh.Po_Postar_from_Ma, lambda M: gp1 / p(M) * (q(M) / gp1) ** (g / gm1), (0.1, 5), True),
    }


def two_arguments(g):
    gm1, gp1 = g - 1, g + 1
    rad = np.pi / 180

    def theta(M, b):
        br = b * rad
        return np.degrees(np.arctan(2 / np.tan(br) * (M * M * np.sin(br) ** 2 - 1) / (M * M * (g + np.cos(2 * br)) + 2)))

    def p2p1(M, b):
        return 1 + 2 * g / gp1 * ((M * np.sin(b * rad)) ** 2 - 1)

    def po(M, b):
        n2 = (M * np.sin(b * rad)) ** 2
        return (gp1 * n2 / (gm1 * n2 + 2)) ** (g / gm1) * (gp1 / (2 * g * n2 - gm1)) ** (1 / gm1)

    def beta_max(M):
        m2 = M * M
        s2 = (gp1 * m2 - 4 + np.sqrt(gp1 * (gp1 * m2 * m2 + 8 * gm1 * m2 + 16))) / (4 * g * m2)
        return np.degrees(np.arcsin(np.sqrt(s2)))

    return {
        "theta_from_Ma_beta": (ob.theta_from_Ma_beta, theta),
        "P2_P1_from_Ma_beta": (ob.P2_P1_from_Ma_beta, p2p1),
        "Po2_Po1_from_Ma_beta": (ob.Po2_Po1_from_Ma_beta, po),
        "beta_at_theta_max_from_Ma": (lambda M, b, g: ob.beta_at_theta_max_from_Ma(M, g), lambda M, b: beta_max(M)),
    }


def inversions(g):
    gm1, gp1 = g - 1, g + 1

    def fl(M):
        return (1 - M * M) / (g * M * M) + gp1 / (2 * g) * np.log(gp1 * M * M / (2 + gm1 * M * M))

    def dfl(M):
        return 4 * (M * M - 1) / (g * M**3 * (2 + gm1 * M * M))

    def po(M):
        return gp1 / (1 + g * M * M) * ((2 + gm1 * M * M) / gp1) ** (g / gm1)

    def dpo(M):
        return po(M) * 2 * g * M * (M * M - 1) / ((1 + g * M * M) * (2 + gm1 * M * M))

    return {
        "fanno.Ma_from_fLstar_D sub": (lambda x: fanno.Ma_from_fLstar_D(x, g, sup=False), fl, dfl, (0.2, 0.9), 0.5),
        "fanno.Ma_from_fLstar_D sup": (lambda x: fanno.Ma_from_fLstar_D(x, g, sup=True), fl, dfl, (1.2, 4.0), 2.0),
        "rayleigh.Ma_from_Po_Postar sub": (lambda x: rayleigh.Ma_from_Po_Postar(x, g, sup=False), po, dpo, (0.2, 0.9), 0.5),
        "rayleigh.Ma_from_Po_Postar sup": (lambda x: rayleigh.Ma_from_Po_Postar(x, g, sup=True), po, dpo, (1.2, 4.0), 2.0),
    }


def scipy_beta(newton, M, theta, g):
    """The weak wave angle by SciPy's vectorised newton on theta(beta) - theta in radians,
    from the middle of the weak branch, with the analytic derivative."""
    th = np.radians(theta)
    m2 = M * M

    def f(b):
        s, c = np.sin(b), np.cos(b)
        return np.arctan2(2 * c * (m2 * s * s - 1), s * (m2 * (g + np.cos(2 * b)) + 2)) - th

    def df(b):
        s, c = np.sin(b), np.cos(b)
        num = 2 * c * (m2 * s * s - 1)
        den = s * (m2 * (g + c * c - s * s) + 2)
        dnum = -2 * s * (m2 * s * s - 1) + 4 * m2 * s * c * c
        dden = c * (m2 * (g + c * c - s * s) + 2) - 4 * m2 * s * s * c
        return (dnum * den - num * dden) / (num * num + den * den)

    mu = np.arcsin(1 / M)
    top = np.radians(ob.beta_at_theta_max_from_Ma(M, g))
    with warnings.catch_warnings(), np.errstate(all="ignore"):
        warnings.simplefilter("ignore")
        return np.degrees(newton(f, mu + 0.5 * (top - mu), fprime=df, tol=1e-300,
                                 rtol=4 * EPS, maxiter=100))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    rounds = 3 if args.quick else 9
    big = 10**5 if args.quick else 10**6
    rng = np.random.default_rng(2)
    print(f"CPU: {cpu_name()}; loops: {_core.level()}; Python {platform.python_version()}, "
          f"NumPy {np.__version__}")
    print("\n| function | calls | n | ns/element | NumPy ns/element | faster than NumPy |")
    print("|---|---|---|---|---|---|")
    for name, (ours, theirs, (lo, hi), trans) in one_argument(G).items():
        for n in (big, 10**4):
            x = rng.uniform(lo, hi, n)
            reps = max(1, 10**6 // n)
            t_ours = best(lambda: [ours(x, G) for _ in range(reps)], rounds) / (reps * n)
            with np.errstate(all="ignore"):
                t_np = best(lambda: [theirs(x) for _ in range(reps)], rounds) / (reps * n)
            print(f"| {name} | {'log/pow' if trans else 'none'} | {n} | {t_ours * 1e9:.2f} | "
                  f"{t_np * 1e9:.2f} | {t_np / t_ours:.2f}× |")
    for name, (ours, theirs) in two_arguments(G).items():
        for n in (big, 10**4):
            M = rng.uniform(1.2, 5, n)
            beta = np.degrees(np.arcsin(1 / M)) + rng.uniform(0.5, 1, n) * (89.5 - np.degrees(np.arcsin(1 / M)))
            reps = max(1, 10**6 // n)
            t_ours = best(lambda: [ours(M, beta, G) for _ in range(reps)], rounds) / (reps * n)
            with np.errstate(all="ignore"):
                t_np = best(lambda: [theirs(M, beta) for _ in range(reps)], rounds) / (reps * n)
            print(f"| {name} | trig | {n} | {t_ours * 1e9:.2f} | {t_np * 1e9:.2f} | "
                  f"{t_np / t_ours:.2f}× |")
    try:
        import scipy
        from scipy.optimize import newton
    except ImportError:
        print("\nSciPy is missing: inversions not compared")
        return 0
    n = 10**4 if args.quick else 10**5
    print(f"\nInversions against SciPy {scipy.__version__} newton (vectorised, with fprime, "
          f"rtol 4 ULP), {n} targets:")
    print("\n| function | ns/element | SciPy ns/element | faster than SciPy |")
    print("|---|---|---|---|")
    for name, (ours, f, df, (lo, hi), start) in inversions(G).items():
        M = rng.uniform(lo, hi, n)
        x = f(M)
        x0 = np.full(n, start)

        def scipy_solve():
            with warnings.catch_warnings(), np.errstate(all="ignore"):
                warnings.simplefilter("ignore")
                return newton(lambda m: f(m) - x, x0, fprime=df, tol=1e-300, rtol=4 * EPS,
                              maxiter=100)
        t_ours = best(lambda: ours(x), rounds) / n
        t_sp = best(scipy_solve, max(1, rounds // 3)) / n
        print(f"| {name} | {t_ours * 1e9:.1f} | {t_sp * 1e9:.1f} | {t_sp / t_ours:.2f}× |")
    M = rng.uniform(1.2, 5, n)
    theta = rng.uniform(0.02, 0.98, n) * ob.theta_max_from_Ma(M, G)
    ours = ob.beta_from_Ma_theta(M, theta, G)
    theirs = scipy_beta(newton, M, theta, G)
    agree = np.mean(np.abs(ours - theirs) <= 1e-9 * ours)
    t_ours = best(lambda: ob.beta_from_Ma_theta(M, theta, G), rounds) / n
    t_sp = best(lambda: scipy_beta(newton, M, theta, G), max(1, rounds // 3)) / n
    print(f"| beta_from_Ma_theta weak | {t_ours * 1e9:.1f} | {t_sp * 1e9:.1f} | "
          f"{t_sp / t_ours:.2f}× |")
    print(f"\n(SciPy's weak beta agrees with ours to 1e-9 for {agree:.1%} of the targets.)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
