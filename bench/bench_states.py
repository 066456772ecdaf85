"""Speed of the whole-state calls of vortalix2_flows (state per family, fanno and rayleigh
between) against the separate ufunc calls they make, side by side in one run (best of several
rounds), at 10^4 and 10^6 elements and on one element; the difference is the calls' own
Python cost, which should stay within 10 microseconds.

    .venvs/bench/bin/python bench/bench_states.py [--quick]
"""
import argparse

import numpy as np

from timing import best, cpu_name
from vortalix2_flows import fanno, isentropic, normal_shock, oblique_shock, rayleigh

G = 1.4


def separate_isentropic(x):
    ise = isentropic
    M = ise.Ma_from_A_Acrit(x, G, sup=True)
    return [f(M, G) for f in (ise.To_T_from_Ma, ise.Po_P_from_Ma, ise.rhoo_rho_from_Ma,
                              ise.A_Acrit_from_Ma, ise.V_cpTo_from_Ma, ise.mcpTo_APo_from_Ma,
                              ise.mcpTo_AP_from_Ma, ise.F_mcpTo_from_Ma, ise.nu_from_Ma,
                              ise.T_Tstar_from_Ma, ise.P_Pstar_from_Ma, ise.rho_rhostar_from_Ma,
                              ise.Mstar_from_Ma)] + [ise.mu_from_Ma(M)]


def separate_normal(x):
    ns = normal_shock
    M = ns.Ma_from_P2_P1(x, G)
    return [f(M, G) for f in (ns.Ma2_from_Ma, ns.P2_P1_from_Ma, ns.T2_T1_from_Ma,
                              ns.rho2_rho1_from_Ma, ns.Po2_Po1_from_Ma, ns.Po2_P1_from_Ma,
                              ns.ds_R_from_Ma)]


def separate_oblique(Ma, theta):
    ob = oblique_shock
    b = ob.beta_from_Ma_theta(Ma, theta, G)
    mn1 = ob.Mn1_from_Ma_beta(Ma, b, G)
    return [ob.theta_max_from_Ma(Ma, G), ob.theta_from_Ma_beta(Ma, b, G), mn1,
            normal_shock.Mash_from_Ma(mn1, G)] + [
        f(Ma, b, G) for f in (ob.Ma2_from_Ma_beta, ob.P2_P1_from_Ma_beta, ob.T2_T1_from_Ma_beta,
                              ob.rho2_rho1_from_Ma_beta, ob.Po2_Po1_from_Ma_beta)]


def separate_fanno(x):
    M = fanno.Ma_from_fLstar_D(x, G, sup=False)
    return [f(M, G) for f in (fanno.P_Pstar_from_Ma, fanno.T_Tstar_from_Ma,
                              fanno.rho_rhostar_from_Ma, fanno.V_Vstar_from_Ma,
                              fanno.Po_Postar_from_Ma, fanno.fLstar_D_from_Ma)]


def separate_rayleigh(x):
    M = rayleigh.Ma_from_To_Tostar(x, G, sup=False)
    return [f(M, G) for f in (rayleigh.To_Tostar_from_Ma, rayleigh.P_Pstar_from_Ma,
                              rayleigh.T_Tstar_from_Ma, rayleigh.rho_rhostar_from_Ma,
                              rayleigh.V_Vstar_from_Ma, rayleigh.Po_Postar_from_Ma)]


def separate_fanno_between(a, b):
    out = [fanno.fLstar_D_from_Ma(a, G) - fanno.fLstar_D_from_Ma(b, G)]
    for f in (fanno.P_Pstar_from_Ma, fanno.T_Tstar_from_Ma, fanno.rho_rhostar_from_Ma,
              fanno.V_Vstar_from_Ma, fanno.Po_Postar_from_Ma):
        out.append(f(b, G) / f(a, G))
    return out


def cases(n, rng):
    """(name, the whole call, the separate calls) on n elements; one element as a float."""
    def draw(lo, hi):
        v = rng.uniform(lo, hi, n)
        return float(v[0]) if n == 1 else v

    a_ratio, p2p1, Ma, theta = draw(1.0, 5.0), draw(1.0, 20.0), draw(1.5, 5.0), draw(0.0, 15.0)
    flstar, toto, m1, m2 = draw(0.0, 5.0), draw(0.1, 1.0), draw(0.1, 0.5), draw(0.5, 1.0)
    return [
        ("isentropic.state(A_Acrit, sup)", lambda: isentropic.state(A_Acrit=a_ratio, sup=True),
         lambda: separate_isentropic(a_ratio)),
        ("normal_shock.state(P2_P1)", lambda: normal_shock.state(P2_P1=p2p1),
         lambda: separate_normal(p2p1)),
        ("oblique_shock.state(Ma, theta)", lambda: oblique_shock.state(Ma, theta=theta),
         lambda: separate_oblique(Ma, theta)),
        ("fanno.state(fLstar_D, sup)", lambda: fanno.state(fLstar_D=flstar, sup=False),
         lambda: separate_fanno(flstar)),
        ("rayleigh.state(To_Tostar, sup)", lambda: rayleigh.state(To_Tostar=toto, sup=False),
         lambda: separate_rayleigh(toto)),
        ("fanno.between(Ma1, Ma2)", lambda: fanno.between(m1, m2),
         lambda: separate_fanno_between(m1, m2)),
    ]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--quick", action="store_true")
    quick = ap.parse_args().quick
    rng = np.random.default_rng(1)
    print(f"CPU: {cpu_name()}; best of several rounds; times per call")
    print("| Call | n | state | separate ufunc calls | ratio | difference |")
    print("|---|---|---|---|---|---|")
    # One element as Python numbers (the scalar path), then arrays.
    for n, rounds in ((1, 2000), (10**4, 200), (10**6, 3 if quick else 7)):
        rounds = max(3, rounds // (10 if quick else 1))
        for name, whole, parts in cases(n, rng):
            t_whole = best(whole, rounds)
            t_parts = best(parts, rounds)
            t_whole = min(t_whole, best(whole, rounds))
            print(f"| {name} | {n} | {t_whole * 1e6:.1f} µs | {t_parts * 1e6:.1f} µs | "
                  f"{t_whole / t_parts:.3f} | {(t_whole - t_parts) * 1e6:+.1f} µs |")


if __name__ == "__main__":
    main()
