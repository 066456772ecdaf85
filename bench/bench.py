"""Throughput of every vortalix2 function against its floors and the NumPy or SciPy a user would write.

For each function, on C-contiguous float64 input at ga = 1.4 spread over its useful range, side by
side in one run (median of several repetitions):
  - nanoseconds per element for vortalix2 and the instruction-set level its loops use;
  - the memory floor: numpy.copyto of an array of the same size;
  - for functions that call pow: the C-library floor, the same number of library pow calls per
    element on the same bases in a plain C++ loop, and the share of powers the library answered;
  - the NumPy expression (closed forms) or SciPy's solvers (iterative inversions);
  - one row each for a stride-2 view and a Fortran-ordered 2-D input, and the cost of a call on a
    one-element array against numpy.sqrt.
Timings on a shared machine are noisy: read the ratios, which are measured side by side.

Run with `bash tools/bench.sh` (it builds what this needs), or directly with an interpreter that
has vortalix2, NumPy and SciPy installed:  python bench/bench.py [--json PATH] [--quick]
"""
import argparse
import ctypes
import json
import os
import platform
import re
import statistics
import subprocess
import sys
import timeit
from pathlib import Path

import numpy as np
import scipy
import scipy.optimize as so

import vortalix2 as vx

GA = 1.4
G = GA - 1.0
C = G * 0.5
ROOT = Path(__file__).resolve().parent.parent
FLOOR_LIB = ROOT / "build" / "bench" / "libvortalix2_bench_floor.so"
BISECTION_BENCH = ROOT / "build" / "bench" / "vortalix2_bench_bisection"


def median_seconds(*fns, repeat):
    """Median time of each function, the functions timed in turn, round after round, so that
    a change in the machine's speed falls on all of them alike."""
    for fn in fns:
        fn()  # warm up: first-call set-up and page faults are not the function's cost
    times = [[] for _ in fns]
    for _ in range(repeat):
        for fn, t in zip(fns, times):
            t.extend(timeit.repeat(fn, number=1, repeat=1))
    return [statistics.median(t) for t in times]


def chosen_level():
    """The instruction-set level the module picks in a process with this environment."""
    env = dict(os.environ, VORTALIX2_SIMD_REPORT="1")
    code = "import numpy, vortalix2; vortalix2.To_T_from_Ma(numpy.ones(1), 1.4)"
    proc = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True)
    return proc.stderr.strip().splitlines()[-1].rsplit(" ", 1)[-1]


def cpu_name():
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


class PowFloor:
    """The C++ loop of library pow calls (bench/pow_floor.cpp)."""

    def __init__(self):
        lib = ctypes.CDLL(str(FLOOR_LIB))
        f = lib.vortalix2_pow_floor
        dp = ctypes.POINTER(ctypes.c_double)
        f.argtypes = [dp, ctypes.c_double, dp, ctypes.c_double, ctypes.c_int, dp, ctypes.c_size_t,
                      ctypes.c_int]
        f.restype = ctypes.c_double
        self.floor = f
        share = getattr(lib, "vortalix2_pow_library_share", None)
        if share is not None:
            share.argtypes = [dp, ctypes.c_double, ctypes.c_size_t]
            share.restype = ctypes.c_double
        self.share = share

    @staticmethod
    def _ptr(a):
        return a.ctypes.data_as(ctypes.POINTER(ctypes.c_double))

    def runner(self, powers):
        """A call that runs the loop once over the powers' bases."""
        (b0, e0), (b1, e1) = powers[0], powers[-1]
        b0, b1 = np.ascontiguousarray(b0), np.ascontiguousarray(b1)
        out = np.empty_like(b0)
        args = (self._ptr(b0), e0, self._ptr(b1), e1, len(powers), self._ptr(out), b0.size, 1)
        return lambda: self.floor(*args)

    def library_share(self, powers):
        if self.share is None:
            return None
        total = sum(self.share(self._ptr(np.ascontiguousarray(b)), e, b.size) * b.size
                    for b, e in powers)
        return total / sum(b.size for b, _ in powers)


def q_of(ma):
    return 1.0 + C * (ma * ma)  # the same IEEE operations as the module's To/T


def cases(n_closed, n_newton, n_bisect):
    """(name, call, numpy_or_scipy_call, baseline_kind, pow bases) per benchmark row."""
    ma = np.linspace(0.05, 5.0, n_closed)
    ma_shock = np.linspace(1.0, 5.0, n_closed)
    q = q_of(ma)
    x2s = ma_shock * ma_shock
    gp1 = GA + 1.0
    posh_bases = [((GA + GA) / gp1 * x2s - G / gp1, 1.0 / G), (G / gp1 + (2.0 / gp1) / x2s, GA / G)]
    po_p = vx.Po_P_from_Ma(ma, GA)
    to_t = vx.To_T_from_Ma(ma, GA)
    rr = vx.rhoo_rho_from_Ma(ma, GA)
    v = vx.V_cpTo_from_Ma(ma, GA)
    rows = [
        ("To_T_from_Ma", lambda: vx.To_T_from_Ma(ma, GA), lambda: 1 + G / 2 * ma**2, None),
        ("Po_P_from_Ma", lambda: vx.Po_P_from_Ma(ma, GA),
         lambda: (1 + G / 2 * ma**2) ** (GA / G), [(q, GA / (1.0 - GA))]),
        ("rhoo_rho_from_Ma", lambda: vx.rhoo_rho_from_Ma(ma, GA),
         lambda: (1 + G / 2 * ma**2) ** (1 / G), [(q, 1.0 / (1.0 - GA))]),
        ("V_cpTo_from_Ma", lambda: vx.V_cpTo_from_Ma(ma, GA),
         lambda: np.sqrt(G) * ma / np.sqrt(1 + G / 2 * ma**2), None),
        ("mcpTo_APo_from_Ma", lambda: vx.mcpTo_APo_from_Ma(ma, GA),
         lambda: GA / np.sqrt(G) * ma * (1 + G / 2 * ma**2) ** (-(GA + 1) / (2 * G)),
         [(q, (GA + 1.0) * -0.5 / G)]),
        ("mcpTo_AP_from_Ma", lambda: vx.mcpTo_AP_from_Ma(ma, GA),
         lambda: GA / np.sqrt(G) * ma * np.sqrt(1 + G / 2 * ma**2), None),
        ("A_Acrit_from_Ma", lambda: vx.A_Acrit_from_Ma(ma, GA),
         lambda: 1 / ma * (2 / (GA + 1) * (1 + G / 2 * ma**2)) ** ((GA + 1) / (2 * G)),
         [(q / ((GA + 1.0) * 0.5), (GA + 1.0) * 0.5 / G)]),
        ("Mash_from_Ma", lambda: vx.Mash_from_Ma(ma_shock, GA),
         lambda: np.sqrt((1 + G / 2 * ma_shock**2) / (GA * ma_shock**2 - G / 2)), None),
        ("Posh_Po_from_Ma", lambda: vx.Posh_Po_from_Ma(ma_shock, GA),
         lambda: ((2 * GA * ma_shock**2 - G) / (GA + 1)) ** (-1 / G)
         * ((G * ma_shock**2 + 2) / ((GA + 1) * ma_shock**2)) ** (-GA / G), posh_bases),
        ("Ma_from_Po_P", lambda: vx.Ma_from_Po_P(po_p, GA),
         lambda: np.sqrt(2 / G * (po_p ** (G / GA) - 1)), [(1.0 / po_p, (1.0 - GA) / GA)]),
        ("Ma_from_To_T", lambda: vx.Ma_from_To_T(to_t, GA),
         lambda: np.sqrt(2 / G * (to_t - 1)), None),
        ("Ma_from_rhoo_rho", lambda: vx.Ma_from_rhoo_rho(rr, GA),
         lambda: np.sqrt(2 / G * (rr**G - 1)), [(1.0 / rr, 1.0 - GA)]),
        ("Ma_from_V_cpTo", lambda: vx.Ma_from_V_cpTo(v, GA),
         lambda: np.sqrt(v**2 / (G * (1 - v**2 / 2))), None),
    ]
    rows = [(name, ours, theirs, "numpy", powers) for name, ours, theirs, powers in rows]

    # Iterative inversions against SciPy, on fewer elements.
    k = GA / np.sqrt(G)
    e_flow = (GA + 1.0) * -0.5 / G

    def flow_apo(m):
        return k * m * (1 + C * m * m) ** e_flow

    def flow_apo_slope(m):
        qq = 1 + C * m * m
        return k * qq**e_flow * (1 - (GA + 1) * 0.5 * m * m / qq)

    def flow_ap(m):
        return k * m * np.sqrt(1 + C * m * m)

    def flow_ap_slope(m):
        qq = 1 + C * m * m
        return k * (np.sqrt(qq) + C * m * m / np.sqrt(qq))

    def posh(m):
        m2 = m * m
        return (((2 * GA * m2 - G) / (GA + 1)) ** (-1 / G)
                * ((G * m2 + 2) / ((GA + 1) * m2)) ** (-GA / G))

    def mash(m):
        m2 = m * m
        return np.sqrt((1 + C * m2) / (GA * m2 - C))

    ma_sub = np.linspace(0.05, 0.95, n_newton)
    ma_sup = np.linspace(1.05, 5.0, n_newton)
    apo_sub = vx.mcpTo_APo_from_Ma(ma_sub, GA)
    apo_sup = vx.mcpTo_APo_from_Ma(ma_sup, GA)
    ap = vx.mcpTo_AP_from_Ma(ma_sup, GA)
    mash_t = vx.Mash_from_Ma(ma_sup, GA)
    posh_t = vx.Posh_Po_from_Ma(ma_sup, GA)
    a_ratio = np.linspace(1.01, 10.0, n_bisect)
    f_sup = np.sqrt(G) / GA * (1 + GA * ma_sup**2) / (ma_sup * np.sqrt(1 + C * ma_sup**2))

    def brentq_each(lo, hi):
        def solve():
            return np.array([so.brentq(lambda m, t=t: 1 / m * ((2 + G * m * m) / (GA + 1))
                                       ** ((GA + 1) / (2 * G)) - t, lo, hi) for t in a_ratio])
        return solve

    rows += [
        ("Ma_from_A_Acrit, subsonic", lambda: vx.Ma_from_A_Acrit(a_ratio, GA, False),
         brentq_each(1e-6, 1.0), "brentq per element", None),
        ("Ma_from_A_Acrit, supersonic", lambda: vx.Ma_from_A_Acrit(a_ratio, GA, True),
         brentq_each(1.0, 50.0), "brentq per element", None),
        ("Ma_from_mcpTo_APo, subsonic", lambda: vx.Ma_from_mcpTo_APo(apo_sub, GA, False),
         lambda: so.newton(lambda m: flow_apo(m) - apo_sub, np.full(n_newton, 0.5),
                           fprime=flow_apo_slope, tol=1e-6, maxiter=100),
         "scipy newton", None),
        ("Ma_from_mcpTo_APo, supersonic", lambda: vx.Ma_from_mcpTo_APo(apo_sup, GA, True),
         lambda: so.newton(lambda m: flow_apo(m) - apo_sup, np.full(n_newton, 1.5),
                           fprime=flow_apo_slope, tol=1e-6, maxiter=100),
         "scipy newton", None),
        ("Ma_from_mcpTo_AP", lambda: vx.Ma_from_mcpTo_AP(ap, GA),
         lambda: so.newton(lambda m: flow_ap(m) - ap, np.full(n_newton, 0.5),
                           fprime=flow_ap_slope, tol=1e-6, maxiter=100),
         "scipy newton", None),
        ("Ma_from_Mash", lambda: vx.Ma_from_Mash(mash_t, GA),
         lambda: so.newton(lambda m: mash(m) - mash_t, np.full(n_newton, 0.5), tol=1e-6,
                           maxiter=100),
         "scipy secant", None),
        ("Ma_from_Posh_Po", lambda: vx.Ma_from_Posh_Po(posh_t, GA),
         lambda: so.newton(lambda m: posh(m) - posh_t, np.full(n_newton, 1.5), tol=1e-6,
                           maxiter=100),
         "scipy secant", None),
        ("Ma_from_F_mcpTo, supersonic",
         lambda: vx.Ma_from_F_mcpTo(f_sup, GA, True), None, None, None),
    ]

    # Layout rows: a stride-2 view and a Fortran-ordered 2-D input of the same element count.
    side = int(np.sqrt(n_closed))
    ma2 = np.linspace(0.05, 5.0, 2 * n_closed)[::2]
    ma_f = np.asfortranarray(np.linspace(0.05, 5.0, side * side).reshape(side, side))
    rows += [
        ("V_cpTo_from_Ma, stride 2", lambda: vx.V_cpTo_from_Ma(ma2, GA),
         lambda: np.sqrt(G) * ma2 / np.sqrt(1 + G / 2 * ma2**2), "numpy", None),
        ("rhoo_rho_from_Ma, stride 2", lambda: vx.rhoo_rho_from_Ma(ma2, GA),
         lambda: (1 + G / 2 * ma2**2) ** (1 / G), "numpy", None),
        ("rhoo_rho_from_Ma, Fortran 2-D", lambda: vx.rhoo_rho_from_Ma(ma_f, GA),
         lambda: (1 + G / 2 * ma_f**2) ** (1 / G), "numpy", None),
    ]
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--json", default=str(ROOT / "build" / "bench" / "results.json"))
    parser.add_argument("--quick", action="store_true", help="smaller arrays, fewer repetitions")
    parser.add_argument("--markdown", action="store_true", help="also print the table as Markdown")
    args = parser.parse_args()
    n_closed, n_newton, n_bisect, repeat = ((100_000, 10_000, 1_000, 3) if args.quick
                                            else (1_000_000, 100_000, 10_000, 7))
    floor = PowFloor()
    level = chosen_level()
    results = []
    header = (f"{'function':31} {'ns/elem':>8} {'/memcpy':>8} {'pow floor':>9} {'lib %':>6} "
              f"{'baseline':>9} {'speed-up':>9}  against")
    print(f"vortalix2 on {cpu_name()}, loops: {level}; NumPy {np.__version__}, SciPy "
          f"{scipy.__version__}, {platform.python_implementation()} {platform.python_version()}")
    print(header)
    print("-" * len(header))
    for name, ours, theirs, kind, powers in cases(n_closed, n_newton, n_bisect):
        result = ours()
        n = result.size
        src = np.empty(n)
        dst = np.empty(n)
        copy = lambda: np.copyto(dst, src)  # noqa: E731
        timed = [ours, copy]
        if powers is not None:
            timed.append(floor.runner(powers))
        if theirs is not None:
            timed.append(theirs)
        slow = theirs is not None and kind != "numpy"  # SciPy's solvers: fewer rounds
        times = median_seconds(*timed, repeat=max(1, repeat // 2) if slow else repeat)
        t_ours, t_copy = times[0], times[1]
        row = {"function": name, "elements": n, "level": level,
               "ns_per_element": t_ours / n * 1e9, "memory_floor_ns": t_copy / n * 1e9,
               "times_memory_floor": t_ours / t_copy}
        if powers is not None:
            t_floor = times[2]
            row["pow_floor_ns"] = t_floor / n * 1e9
            row["faster_than_pow_floor"] = t_floor / t_ours
            row["library_share"] = floor.library_share(powers)
        if theirs is not None:
            t_theirs = times[-1]
            row["baseline"] = kind
            row["baseline_ns"] = t_theirs / n * 1e9
            row["faster_than_baseline"] = t_theirs / t_ours
        results.append(row)
        pf = f"{row['faster_than_pow_floor']:8.2f}x" if "pow_floor_ns" in row else f"{'':9}"
        share = row.get("library_share")
        sh = f"{share * 100:5.1f}%" if share is not None else f"{'':6}"
        base = (f"{row['baseline_ns']:8.1f}n {row['faster_than_baseline']:8.2f}x  {kind}"
                if theirs is not None else "")
        print(f"{name:31} {row['ns_per_element']:8.2f} {row['times_memory_floor']:7.2f}x "
              f"{pf} {sh} {base}")

    one = np.array([2.0])
    t_call = min(timeit.repeat(lambda: vx.rhoo_rho_from_Ma(one, GA), number=20000, repeat=5)) / 20000
    t_sqrt = min(timeit.repeat(lambda: np.sqrt(one), number=20000, repeat=5)) / 20000
    print(f"\none-element call: rhoo_rho_from_Ma {t_call * 1e9:.0f} ns, numpy.sqrt {t_sqrt * 1e9:.0f} ns"
          f" ({t_call / t_sqrt:.2f}x numpy.sqrt)")
    bisection = bisection_rows()
    for row in bisection:
        print(f"Ma_from_A_Acrit, {row['branch']}: {row['faster_than_10000_passes']:.0f}x faster than "
              f"the 10,000-pass bisection (same bits); passes calling pow per element "
              f"{row['passes_calling_pow']:.2f}")
    report = {
        "cpu": cpu_name(), "level": level, "numpy": np.__version__, "scipy": scipy.__version__,
        "python": f"{platform.python_implementation()} {platform.python_version()}",
        "libc": " ".join(platform.libc_ver()), "rows": results, "bisection": bisection,
        "one_element_call_ns": t_call * 1e9, "numpy_sqrt_one_element_ns": t_sqrt * 1e9,
    }
    Path(args.json).parent.mkdir(parents=True, exist_ok=True)
    Path(args.json).write_text(json.dumps(report, indent=1))
    print(f"written to {args.json}")
    if args.markdown:
        print(markdown(report))


def bisection_rows():
    """The C++ comparison of the area-ratio bisection with the plain 10,000-pass one."""
    if not BISECTION_BENCH.exists():
        return []
    out = subprocess.run([str(BISECTION_BENCH)], capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        m = re.match(r"(subsonic|supersonic) .* ratio +([0-9.]+)x .* passes calling pow +([0-9.]+)",
                     line)
        if m:
            rows.append({"branch": m.group(1), "faster_than_10000_passes": float(m.group(2)),
                         "passes_calling_pow": float(m.group(3))})
    return rows


def markdown(report):
    """The report as a Markdown table, for the README."""
    lines = [f"{report['cpu']}, loops: {report['level']}; {report['python']}, NumPy "
             f"{report['numpy']}, SciPy {report['scipy']}, {report['libc']}.", "",
             "| function | ns/element | × memory floor | faster than pow floor | library share "
             "| faster than baseline | baseline |", "|---|---|---|---|---|---|---|"]
    for r in report["rows"]:
        def cell(key, fmt):
            return fmt.format(r[key]) if r.get(key) is not None else ""
        lines.append(f"| {r['function']} | {r['ns_per_element']:.2f} | "
                     f"{r['times_memory_floor']:.2f} | {cell('faster_than_pow_floor', '{:.2f}×')} | "
                     f"{cell('library_share', '{:.1%}')} | {cell('faster_than_baseline', '{:.2f}×')} | "
                     f"{r.get('baseline', '')} |")
    for b in report["bisection"]:
        lines.append(f"\n`Ma_from_A_Acrit`, {b['branch']}: {b['faster_than_10000_passes']:.0f}× "
                     f"faster than the plain 10,000-pass bisection, same bits; "
                     f"{b['passes_calling_pow']:.2f} passes per element evaluate `pow`.")
    lines += ["", f"One call on a one-element array: {report['one_element_call_ns']:.0f} ns, "
              f"{report['one_element_call_ns'] / report['numpy_sqrt_one_element_ns']:.2f}× "
              f"`numpy.sqrt` on the same array."]
    return "\n".join(lines)


if __name__ == "__main__":
    main()
