"""Throughput of every vortalix2 function against its floors and the NumPy or SciPy a user would write.

For each function, on C-contiguous float64 input at ga = 1.4 spread over its useful range, side by
side in one run (median of several repetitions):
  - nanoseconds per element for vortalix2 and the instruction-set level its loops use;
  - closed forms at two sizes, 10^5 elements (in cache) and 10^7 (out of cache), each against
    the NumPy expression a user would write and the same expression in numexpr, with numexpr's
    default threads and with one thread;
  - at 10^7, the memory floor (numpy.copyto of an array of the same size) and, for functions
    that call pow, the C-library floor: the same number of library pow calls per element on the
    same bases in a plain C++ loop, and the share of powers the library answered;
  - iterative inversions against SciPy's solvers: vectorised newton or secant on all 10^5
    targets, brentq element by element on all 10^4 area ratios;
  - one row each for a stride-2 view and a Fortran-ordered 2-D input, and the cost of a call on a
    one-element array against numpy.sqrt.
Timings on a shared machine are noisy: read the ratios, which are measured side by side.

Run with `bash tools/bench.sh` (it builds what this needs), or directly with an interpreter that
has vortalix2, NumPy, SciPy and numexpr installed:  python bench/bench.py [--json PATH] [--quick]
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

import numexpr as ne
import numpy as np
import scipy
import scipy.optimize as so

import vortalix2 as vx

GA = 1.4
G = GA - 1.0
C = G * 0.5
ROOT = Path(__file__).resolve().parent.parent
NUMEXPR_THREADS = ne.get_num_threads()  # its default, before any change
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


# Constants of ga alone, computed once, as a user would; the expressions below read them.
CONST = {
    "G": G, "GA": GA, "c": C, "e_pop": GA / G, "e_rr": 1.0 / G, "k_v": np.sqrt(G),
    "k_m": GA / np.sqrt(G), "e_m": -(GA + 1.0) / (2.0 * G), "b2": 2.0 / (GA + 1.0),
    "e_a": (GA + 1.0) / (2.0 * G), "c1": G / (GA + 1.0), "c2": 2.0 / (GA + 1.0),
    "c3": 2.0 * GA / (GA + 1.0), "e1": 1.0 / G, "e2": GA / G, "k2": 2.0 / G, "e_inv": G / GA,
}

# (function, argument name, expression): the same text runs in NumPy and in numexpr.
CLOSED = [
    ("To_T_from_Ma", "ma", "1 + c*ma**2"),
    ("Po_P_from_Ma", "ma", "(1 + c*ma**2)**e_pop"),
    ("rhoo_rho_from_Ma", "ma", "(1 + c*ma**2)**e_rr"),
    ("V_cpTo_from_Ma", "ma", "k_v*ma/sqrt(1 + c*ma**2)"),
    ("mcpTo_APo_from_Ma", "ma", "k_m*ma*(1 + c*ma**2)**e_m"),
    ("mcpTo_AP_from_Ma", "ma", "k_m*ma*sqrt(1 + c*ma**2)"),
    ("A_Acrit_from_Ma", "ma", "(b2*(1 + c*ma**2))**e_a/ma"),
    ("Mash_from_Ma", "ms", "sqrt((1 + c*ms**2)/(GA*ms**2 - c))"),
    ("Posh_Po_from_Ma", "ms", "(c3*ms**2 - c1)**(-e1)*(c1 + c2/ms**2)**(-e2)"),
    ("Ma_from_Po_P", "po_p", "sqrt(k2*(po_p**e_inv - 1))"),
    ("Ma_from_To_T", "to_t", "sqrt(k2*(to_t - 1))"),
    ("Ma_from_rhoo_rho", "rr", "sqrt(k2*(rr**G - 1))"),
    ("Ma_from_V_cpTo", "v", "sqrt(v**2/(G*(1 - v**2/2)))"),
]


def closed_inputs(n):
    ma = np.linspace(0.05, 5.0, n)
    return {"ma": ma, "ms": np.linspace(1.0, 5.0, n), "po_p": vx.Po_P_from_Ma(ma, GA),
            "to_t": vx.To_T_from_Ma(ma, GA), "rr": vx.rhoo_rho_from_Ma(ma, GA),
            "v": vx.V_cpTo_from_Ma(ma, GA)}


def pow_bases(name, arrays):
    """The (base, exponent) of each library pow call the relation makes per element."""
    ma, ms = arrays["ma"], arrays["ms"]
    q = q_of(ma)
    gp1 = GA + 1.0
    x2s = ms * ms
    return {
        "Po_P_from_Ma": [(q, GA / (1.0 - GA))],
        "rhoo_rho_from_Ma": [(q, 1.0 / (1.0 - GA))],
        "mcpTo_APo_from_Ma": [(q, (GA + 1.0) * -0.5 / G)],
        "A_Acrit_from_Ma": [(q / ((GA + 1.0) * 0.5), (GA + 1.0) * 0.5 / G)],
        "Posh_Po_from_Ma": [((GA + GA) / gp1 * x2s - G / gp1, 1.0 / G),
                            (G / gp1 + (2.0 / gp1) / x2s, GA / G)],
        "Ma_from_Po_P": [(1.0 / arrays["po_p"], (1.0 - GA) / GA)],
        "Ma_from_rhoo_rho": [(1.0 / arrays["rr"], 1.0 - GA)],
    }.get(name)


def closed_calls(name, arg, expr, arrays):
    """The module's call, the NumPy expression, numexpr at its default threads and at one."""
    x = arrays[arg]
    env = dict(CONST, **{arg: x})
    code = compile(expr, name, "eval")
    numpy_env = dict(env, sqrt=np.sqrt)
    threads = NUMEXPR_THREADS
    f = getattr(vx, name)

    def numexpr_with(k):
        def run():
            ne.set_num_threads(k)
            return ne.evaluate(expr, local_dict=env)
        return run
    return (lambda: f(x, GA), lambda: eval(code, {}, numpy_env), numexpr_with(threads),
            numexpr_with(1))


def cases(n_closed, n_newton, n_bisect):
    """(name, call, scipy_call, baseline_kind, pow bases) per iterative or layout row."""
    rows = []
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


def closed_rows(sizes, repeat, floor):
    """Every closed form at each size: the module, NumPy and numexpr side by side; at the last
    (largest) size also the memory floor and the pow floor."""
    results = []
    print(f"{'closed form':20}" + "".join(
        f" | {'n=10^%d' % round(np.log10(n)):>7} {'ns/el':>6} {'numpy':>6} {'ne':>6} {'ne 1T':>6}"
        for n in sizes) + f" {'memcpy':>7} {'powfl':>6} {'lib%':>5}")
    for name, arg, expr in CLOSED:
        row = {"function": name, "expression": expr, "sizes": {}}
        line = f"{name:20}"
        for n in sizes:
            arrays = closed_inputs(n)
            ours, numpy_call, ne_call, ne_one = closed_calls(name, arg, expr, arrays)
            timed = [ours, numpy_call, ne_call, ne_one]
            last = n == sizes[-1]
            powers = pow_bases(name, arrays) if last else None
            if last:
                src, dst = np.empty(n), np.empty(n)
                timed.append(lambda: np.copyto(dst, src))
                if powers is not None:
                    timed.append(floor.runner(powers))
            t = median_seconds(*timed, repeat=repeat if n <= 10**6 else max(3, repeat // 2))
            cell = {"ns_per_element": t[0] / n * 1e9, "faster_than_numpy": t[1] / t[0],
                    "faster_than_numexpr": t[2] / t[0], "faster_than_numexpr_1_thread": t[3] / t[0]}
            line += (f" | {'':7} {cell['ns_per_element']:6.2f} {cell['faster_than_numpy']:5.2f}x "
                     f"{cell['faster_than_numexpr']:5.2f}x {cell['faster_than_numexpr_1_thread']:5.2f}x")
            if last:
                cell["times_memory_floor"] = t[0] / t[4]
                line += f" {cell['times_memory_floor']:6.2f}x"
                if powers is not None:
                    cell["faster_than_pow_floor"] = t[5] / t[0]
                    cell["library_share"] = floor.library_share(powers)
                    line += (f" {cell['faster_than_pow_floor']:5.2f}x "
                             f"{cell['library_share'] * 100:4.1f}%")
            row["sizes"][str(n)] = cell
        print(line, flush=True)
        results.append(row)
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--json", default=str(ROOT / "build" / "bench" / "results.json"))
    parser.add_argument("--quick", action="store_true", help="smaller arrays, fewer repetitions")
    parser.add_argument("--markdown", action="store_true", help="also print the table as Markdown")
    args = parser.parse_args()
    sizes, n_layout, n_newton, n_bisect, repeat = (
        ((10_000, 1_000_000), 100_000, 10_000, 1_000, 3) if args.quick
        else ((100_000, 10_000_000), 1_000_000, 100_000, 10_000, 7))
    floor = PowFloor()
    level = chosen_level()
    print(f"vortalix2 on {cpu_name()}, loops: {level}; NumPy {np.__version__}, SciPy "
          f"{scipy.__version__}, numexpr {ne.__version__} ({NUMEXPR_THREADS} "
          f"threads by default), {platform.python_implementation()} {platform.python_version()}")
    closed = closed_rows(sizes, repeat, floor)
    print()
    results = []
    header = (f"{'function':31} {'ns/elem':>8} {'/memcpy':>8} {'baseline':>9} {'speed-up':>9}  against")
    print(header)
    print("-" * len(header))
    for name, ours, theirs, kind, powers in cases(n_layout, n_newton, n_bisect):
        result = ours()
        n = result.size
        src = np.empty(n)
        dst = np.empty(n)
        copy = lambda: np.copyto(dst, src)  # noqa: E731
        timed = [ours, copy]
        if theirs is not None:
            timed.append(theirs)
        slow = theirs is not None and kind != "numpy"  # SciPy's solvers: fewer rounds
        times = median_seconds(*timed, repeat=max(1, repeat // 2) if slow else repeat)
        t_ours, t_copy = times[0], times[1]
        row = {"function": name, "elements": n, "level": level,
               "ns_per_element": t_ours / n * 1e9, "memory_floor_ns": t_copy / n * 1e9,
               "times_memory_floor": t_ours / t_copy}
        if theirs is not None:
            t_theirs = times[-1]
            row["baseline"] = kind
            row["baseline_ns"] = t_theirs / n * 1e9
            row["faster_than_baseline"] = t_theirs / t_ours
        results.append(row)
        base = (f"{row['baseline_ns']:8.1f}n {row['faster_than_baseline']:8.2f}x  {kind}"
                if theirs is not None else "")
        print(f"{name:31} {row['ns_per_element']:8.2f} {row['times_memory_floor']:7.2f}x {base}",
              flush=True)

    one = np.array([2.0])
    t_call = min(timeit.repeat(lambda: vx.rhoo_rho_from_Ma(one, GA), number=20000, repeat=5)) / 20000
    t_sqrt = min(timeit.repeat(lambda: np.sqrt(one), number=20000, repeat=5)) / 20000
    print(f"\none-element call: rhoo_rho_from_Ma {t_call * 1e9:.0f} ns, numpy.sqrt {t_sqrt * 1e9:.0f} ns"
          f" ({t_call / t_sqrt:.2f}x numpy.sqrt)")
    bisection = bisection_rows()
    for row in bisection:
        print(f"Ma_from_A_Acrit, {row['branch']}: {row['fast_us']:.3f} us/element, "
              f"{row['faster_than_10000_passes']:.0f}x faster than the plain 10,000-pass bisection "
              f"built with the module's flags ({row['faster_than_o2']:.0f}x than it built at -O2; "
              f"same bits); passes calling pow per element {row['passes_calling_pow']:.2f}")
    report = {
        "cpu": cpu_name(), "level": level, "numpy": np.__version__, "scipy": scipy.__version__,
        "numexpr": ne.__version__, "numexpr_threads": NUMEXPR_THREADS,
        "python": f"{platform.python_implementation()} {platform.python_version()}",
        "libc": " ".join(platform.libc_ver()), "closed": closed, "sizes": list(sizes),
        "rows": results, "bisection": bisection,
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
        m = re.match(r"(subsonic|supersonic) +fast +([0-9.]+) us/element +plain +([0-9.]+) "
                     r"us/element +ratio +([0-9.]+)x .*-O2: +([0-9.]+) us/element, +([0-9.]+)x.*"
                     r"passes calling pow +([0-9.]+)", line)
        if m:
            rows.append({"branch": m.group(1), "fast_us": float(m.group(2)),
                         "plain_us": float(m.group(3)),
                         "faster_than_10000_passes": float(m.group(4)),
                         "plain_o2_us": float(m.group(5)), "faster_than_o2": float(m.group(6)),
                         "passes_calling_pow": float(m.group(7))})
    return rows


def markdown(report):
    """The report as Markdown tables, for the README."""
    sizes = report["sizes"]
    exp = ["10^%d" % round(np.log10(n)) for n in sizes]
    lines = [f"{report['cpu']}, loops: {report['level']}; {report['python']}, NumPy "
             f"{report['numpy']}, SciPy {report['scipy']}, numexpr {report['numexpr']} "
             f"({report['numexpr_threads']} threads by default), {report['libc']}.", "",
             "Closed forms: ns per element, and how many times faster than the NumPy expression, "
             "numexpr (default threads) and numexpr on one thread.", "",
             "| function | " + " | ".join(f"{e}: ns/el | × NumPy | × numexpr | × numexpr 1T"
                                         for e in exp)
             + f" | {exp[-1]}: × memory floor | faster than pow floor | library share |",
             "|---|" + "---|" * (4 * len(sizes) + 3)]
    for r in report["closed"]:
        cells = []
        for n in sizes:
            c = r["sizes"][str(n)]
            cells += [f"{c['ns_per_element']:.2f}", f"{c['faster_than_numpy']:.2f}×",
                      f"{c['faster_than_numexpr']:.2f}×", f"{c['faster_than_numexpr_1_thread']:.2f}×"]
        c = r["sizes"][str(sizes[-1])]
        cells.append(f"{c['times_memory_floor']:.2f}")
        cells.append(f"{c['faster_than_pow_floor']:.2f}×" if "faster_than_pow_floor" in c else "")
        cells.append(f"{c['library_share']:.1%}" if c.get("library_share") is not None else "")
        lines.append(f"| {r['function']} | " + " | ".join(cells) + " |")
    lines += ["", "Iterative inversions and layouts: ns per element and the speed-up over the "
              "baseline.", "", "| function | elements | ns/element | × memory floor | faster than "
              "baseline | baseline |", "|---|---|---|---|---|---|"]
    for r in report["rows"]:
        fb = f"{r['faster_than_baseline']:.2f}×" if "faster_than_baseline" in r else ""
        lines.append(f"| {r['function']} | {r['elements']} | {r['ns_per_element']:.2f} | "
                     f"{r['times_memory_floor']:.2f} | {fb} | {r.get('baseline', '')} |")
    for b in report["bisection"]:
        lines.append(f"\n`Ma_from_A_Acrit`, {b['branch']}: {b['fast_us']:.3f} µs per element, "
                     f"{b['faster_than_10000_passes']:.0f}× faster than the plain 10,000-pass "
                     f"bisection built with the module's flags ({b['plain_us']:.1f} µs), "
                     f"{b['faster_than_o2']:.0f}× faster than the same loop built at -O2 "
                     f"({b['plain_o2_us']:.1f} µs); same bits; {b['passes_calling_pow']:.2f} passes "
                     f"per element evaluate `pow`.")
    lines += ["", f"One call on a one-element array: {report['one_element_call_ns']:.0f} ns, "
              f"{report['one_element_call_ns'] / report['numpy_sqrt_one_element_ns']:.2f}× "
              f"`numpy.sqrt` on the same array."]
    return "\n".join(lines)


if __name__ == "__main__":
    main()
