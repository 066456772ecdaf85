"""The closed-form relations that call pow against the NumPy expression a user would write, at
10^4 to 10^7 elements, side by side in one run (median of several rounds; each round times every
function once, in turn). Ma spread over 0.05..5, ga = 1.4, C-contiguous float64.

    python bench/bench_pow_sizes.py [--repeat N] [--sizes 1e4,1e5,1e6,1e7]

Prints ns/element for both (the thread's processor time, so that time spent descheduled on a
shared machine is not counted) and NumPy's time over the module's (above 1: the module is
faster).
"""
import argparse
import statistics
import time

import numpy as np

import vortalix2 as vx

GA = 1.4
G = GA - 1.0


def rows(n):
    ma = np.linspace(0.05, 5.0, n)
    po_p = vx.Po_P_from_Ma(ma, GA)
    rr = vx.rhoo_rho_from_Ma(ma, GA)
    return [
        ("Po_P_from_Ma", lambda: vx.Po_P_from_Ma(ma, GA),
         lambda: (1 + G / 2 * ma**2) ** (GA / G)),
        ("rhoo_rho_from_Ma", lambda: vx.rhoo_rho_from_Ma(ma, GA),
         lambda: (1 + G / 2 * ma**2) ** (1 / G)),
        ("Ma_from_Po_P", lambda: vx.Ma_from_Po_P(po_p, GA),
         lambda: np.sqrt(2 / G * (po_p ** (G / GA) - 1))),
        ("Ma_from_rhoo_rho", lambda: vx.Ma_from_rhoo_rho(rr, GA),
         lambda: np.sqrt(2 / G * (rr**G - 1))),
    ]


def cpu_seconds(fn, number):
    """Processor time of this thread per call of fn, over `number` calls."""
    t0 = time.thread_time()
    for _ in range(number):
        fn()
    return (time.thread_time() - t0) / number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=15)
    parser.add_argument("--sizes", default="1e4,1e5,1e6,1e7")
    args = parser.parse_args()
    print(f"{'function':<18} {'n':>9} {'module ns':>10} {'numpy ns':>9} {'numpy/module':>13}")
    for n in (int(float(s)) for s in args.sizes.split(",")):
        number = max(1, 10**6 // n)  # calls per timing, so that small sizes are not all overhead
        repeat = args.repeat if n < 10**7 else max(5, args.repeat // 2)
        for name, ours, theirs in rows(n):
            ours(), theirs()
            t_ours, t_theirs = [], []
            for _ in range(repeat):
                t_ours.append(cpu_seconds(ours, number))
                t_theirs.append(cpu_seconds(theirs, number))
            ratios = [b / a for a, b in zip(t_ours, t_theirs)]
            ours_ns = statistics.median(t_ours) / n * 1e9
            theirs_ns = statistics.median(t_theirs) / n * 1e9
            print(f"{name:<18} {n:>9} {ours_ns:>10.2f} {theirs_ns:>9.2f} "
                  f"{statistics.median(ratios):>13.2f}", flush=True)


if __name__ == "__main__":
    main()
