"""Mutation check of the test suites: does changing one rounded operation make a test fail?

Each mutation replaces one piece of source text (it must occur exactly once) in a copy of the
tree under build/mutate/tree. For each, in turn:
  1. the module and the C++ tests are rebuilt incrementally from the copy;
  2. every function is evaluated on the fixed input set of tests/python/test_operation_order.py
     (at the default and the scalar level) and compared with the unmutated module: a mutation
     that changes no element is reported as equivalent on that set;
  3. the C++ tests and the numerical Python tests run against the mutated build;
  4. for a mutation of the vector pow (its description tools/proof/pow_kernel.py, from which
     the kernel's header is regenerated in the copy first, or its tables), tools/prove_pow.sh
     runs on the copy as well.
It prints one line per mutation and a summary of the survivors (result-changing mutations no
suite killed, and pow mutations neither the suites nor the proof killed) and of the pow
mutations only the proof kills. Run by hand: it takes a minute or two per mutation.

    python tools/mutate.py [--python PY] [--only SUBSTRING ...] [--list]

PY is an interpreter with NumPy and pytest (default: .venvs/mutate/bin/python, created with
both if missing).
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build" / "mutate"
TREE = WORK / "tree"
BUILD = WORK / "build"
PY_TESTS = ["test_operation_order.py", "test_values.py", "test_levels.py", "test_layouts.py"]

R = "src/relations/"
ISEN, SHOCK, INV = R + "isentropic.hpp", R + "normal_shock.hpp", R + "isentropic_inversions.hpp"
NEWTON_INV, ITER_INV = R + "newton_inversions.hpp", R + "iterative_inversions.hpp"
BISECT, SOLVER = R + "area_ratio_bisection.hpp", "src/solve/newton.hpp"
TABLES = "src/math/pow_tables.hpp"
DESCRIPTION = "tools/proof/pow_kernel.py"  # the pow kernel; src/math/pow_kernel.hpp is made from it
POW_FILES = (DESCRIPTION, TABLES)

# (file, text, replacement, what the change is)
MUTATIONS = [
    (ISEN, "const T s = ma * ma;\n    const T p = c * s;",
     "const T s = c * ma;\n    const T p = s * ma;", "q: c (Ma Ma) regrouped as (c Ma) Ma"),
    (ISEN, "return 1.0 / r;  // reciprocal", "return q;  // reciprocal", "To/T: q, not 1/(1/q)"),
    (ISEN, "e(ga / (1.0 - ga))", "e(-(ga / (ga - 1.0)))", "Po/P exponent negated form"),
    (ISEN, "        return 1.0 / math::pow(q, e);\n    }\n};\n\n// rhoo",
     "        return math::pow(q, -e);\n    }\n};\n\n// rhoo", "Po/P: pow(q, -e) for 1/pow(q, e)"),
    (ISEN, "e(1.0 / (1.0 - ga))", "e(-1.0 / (ga - 1.0))", "rhoo/rho exponent negated form"),
    (ISEN, "const T u = 1.0 / math::sqrt(q);", "const T u = math::sqrt(1.0 / q);",
     "V: sqrt(1/q) for 1/sqrt(q)"),
    (ISEN, "        return t * u;", "        return t / math::sqrt(q);", "V: t/sqrt(q) for t (1/sqrt(q))"),
    (ISEN, "e = h / g;", "e = ((ga + 1.0) / g) * -0.5;", "mass flow Po exponent regrouped"),
    (ISEN, "        return t * math::pow(q, e);", "        return k * (ma * math::pow(q, e));",
     "mass flow Po: k (Ma p) for (k Ma) p"),
    (ISEN, "        return t * math::sqrt(q);", "        return k * (ma * math::sqrt(q));",
     "mass flow P: k (Ma r) for (k Ma) r"),
    (ISEN, "const T w = q / b;", "const T w = q * (1.0 / b);", "A/A*: q (1/b) for q/b"),
    (ISEN, "const T v = 1.0 / ma;\n        return v * math::pow(w, e);",
     "return math::pow(w, e) / ma;", "A/A*: p/Ma for (1/Ma) p"),
    (ISEN, "e = b / g;", "e = (ga + 1.0) / (g + g);", "A/A* exponent as (ga+1)/(2g)"),
    (SHOCK, "const T den = ga * x2 - b;", "const T den = x2 * ga - b;", "Mash: x2 ga for ga x2"),
    (SHOCK, "return math::sqrt(num / den);", "return math::sqrt(num) / math::sqrt(den);",
     "Mash: sqrt(n)/sqrt(d)"),
    (SHOCK, "c1 = gm1 / gp1;", "c1 = 1.0 - 2.0 / gp1;", "Posh/Po: c1 as 1 - 2/(ga+1)"),
    (SHOCK, "return 1.0 / (a * b);", "return (1.0 / a) / b;", "Posh/Po: (1/a)/b for 1/(a b)"),
    (SHOCK, "math::pow(c1 + c2 / x2, e2)", "math::pow((c1 * x2 + c2) / x2, e2)",
     "Posh/Po: second base over a common denominator"),
    (SHOCK, "c3 = g2 / gp1;", "c3 = 1.0 + c1;", "Posh/Po: c3 as 1 + c1"),
    (INV, "const T q = 1.0 / r;  // To/T again", "const T q = x;  // To/T again",
     "Ma from To/T: x for 1/(1/x)"),
    (INV, "const T t = q - 1.0;\n        const T u = c * t;", "const T u = c * q - c;",
     "Ma from To/T: c q - c for c (q - 1)"),
    (INV, "const T r = 1.0 / x;\n    const T p = math::pow(r, e);",
     "const T p = math::pow(x, -e);", "Ma from Po/P, rho: pow(x, -e) for pow(1/x, e)"),
    (INV, "e = (1.0 - ga) / ga;", "e = 1.0 / ga - 1.0;", "Ma from Po/P: exponent 1/ga - 1"),
    (INV, "const T n = k * s;\n        const T w = n / d;", "const T w = k * (s / d);",
     "Ma from V: k (s/d) for (k s)/d"),
    (INV, "const T d = 1.0 + s * -0.5;", "const T d = 1.0 - s * 0.5;", "Ma from V: 1 - s/2 form"),
    (NEWTON_INV, "((q * x) * -0.7071067811865476)", "((q * x) * -0.7071067811865475)",
     "Mash slope: constant one ulp off"),
    (NEWTON_INV, "const T l3 = l * (l * l);", "const T l3 = (l * l) * l;", "Mash slope: (l l) l"),
    (NEWTON_INV, "T a = ((ga * x) * w) / (t * t);", "T a = (ga * (x * w)) / (t * t);",
     "Posh slope: ga (x w) for (ga x) w"),
    (NEWTON_INV, "math::pow(((gp1 * x2) / t) * 0.5, relation.e1)",
     "math::pow((gp1 * (x2 / t)) * 0.5, relation.e1)", "Posh slope: gp1 (x2/t) for (gp1 x2)/t"),
    (NEWTON_INV, "en = (-ga) / gm1;", "en = -(ga / gm1);", "Posh slope exponent: -(ga/gm1)"),
    (NEWTON_INV, "return (n / ma) * (1.0 / m);", "return n / (ma * m);",
     "impulse: n/(Ma m) for (n/Ma)(1/m)"),
    (NEWTON_INV, "return (n / x2) * (1.0 / m3);", "return n / (x2 * m3);",
     "impulse slope: n/(x2 m3)"),
    (NEWTON_INV, "inline constexpr double tolerance = 1e-6;",
     "inline constexpr double tolerance = 1e-7;", "solver tolerance 1e-7"),
    (NEWTON_INV, "        const T dx = f / d;\n        return {x - dx,",
     "        const T dx = f * (1.0 / d);\n        return {x - dx,", "lane Newton: f (1/d)"),
    (SOLVER, "return std::fabs(dx) > tolerance && i <= limit;",
     "return std::fabs(dx) >= tolerance && i <= limit;", "solver stop: >= for >"),
    (SOLVER, "return std::fabs(dx) > tolerance && i <= limit;",
     "return std::fabs(dx) > tolerance && i < limit;", "solver stop: i < limit for i <= limit"),
    (SOLVER, "if (i >= limit) return", "if (i > limit) return", "solver outcome: i > limit"),
    (SOLVER, "dx = f / d;", "dx = f * (1.0 / d);", "scalar solver: f (1/d)"),
    (ITER_INV, "if (d < tolerance) {", "if (d <= tolerance) {", "mass flow accept: <= for <"),
    (ITER_INV, "step == step_limit", "step == step_limit - 1", "mass flow: 99 steps"),
    (ITER_INV, "return {mn, math::abs(mn - m)};", "return {mn, math::abs(m - mn)};",
     "mass flow step size |m - mn|"),
    (ITER_INV, "const T u = (b * s) / q;", "const T u = b * (s / q);", "mass flow slope b (s/q)"),
    (ITER_INV, "b = n * 0.5;", "b = c + 1.0;", "mass flow: b as c + 1"),
    (ITER_INV, "const T t = p / r;\n        const T d1 = flow.k * (r + t);",
     "const T d1 = flow.k * r + flow.k * (p / r);", "mass flow P slope distributed"),
    (ITER_INV, "return m - (f - x) / d1;\n    }\n\n    double operator()(double x) const { return solve(x, nullptr); }\n\n    // `steps` receives the Newton steps made (0",
     "return m - (f / d1 - x / d1);\n    }\n\n    double operator()(double x) const { return solve(x, nullptr); }\n\n    // `steps` receives the Newton steps made (0",
     "mass flow Po step f/d1 - x/d1"),
    (BISECT, "const double margin = y * (0x1.cp-51 + tail);",
     "const double margin = y * (0x1.cp-56 + tail);", "bisection prediction margin / 32"),
    (BISECT, "return g > 0.25;", "return g > -2.0;", "bisection walk skip margin"),
    (BISECT, "const double proof = (2.2 * k * area.e + 12.0) * 0x1p-53;",
     "const double proof = (2.2 * k * area.e + 12.0) * 0x1p-58;", "bisection zone proof / 32"),
    (BISECT, "if (a < x) return Outcome::below;", "if (a <= x) return Outcome::below;",
     "bisection compare <= (after the equality test)"),
    (BISECT, "const double next_m = (next_lo + next_hi) * 0.5;",
     "const double next_m = next_lo + (next_hi - next_lo) * 0.5;", "bisection midpoint form"),
    (BISECT, "return sup ? m >= 1.5 : m <= 0.8;", "return sup ? m >= 1.05 : m <= 0.95;",
     "bisection monotonic range widened"),
    # The pow kernel's certificate and margin, and its arithmetic, in its description.
    (DESCRIPTION, '("mu_floor", "0.02 + 2.75 * 0x1p-10",', '("mu_floor", "2.75 * 0x1p-10",',
     "pow margin without glibc's 0.02"),
    (DESCRIPTION, '("mu_floor", "0.02 + 2.75 * 0x1p-10",', '("mu_floor", "0.02 + 2.5 * 0x1p-10",',
     "pow margin floor weakened"),
    (DESCRIPTION, '("mu_floor", "0.02 + 2.75 * 0x1p-10",', '("mu_floor", "0.02 + 2.25 * 0x1p-10",',
     "pow margin floor weakened below the kernel's own error"),
    (DESCRIPTION, '("mu_per_t", "1.5 * 0x1p-15 + 0x1p-50",', '("mu_per_t", "0x1p-50",',
     "pow margin without glibc's log term"),
    (DESCRIPTION, '("mu_per_t", "1.5 * 0x1p-15 + 0x1p-50",', '("mu_per_t", "1.4 * 0x1p-15 + 0x1p-50",',
     "pow margin per |yh| weakened"),
    (DESCRIPTION, '("mu_per_y", "0x1p-13",', '("mu_per_y", "0.0",',
     "pow margin without the per-|y| term"),
    (DESCRIPTION, '("mu_per_y", "0x1p-13",', '("mu_per_y", "0x1.6p-14",',
     "pow margin per |y| weakened"),
    (DESCRIPTION, '("mu_per_y", "0x1p-13",', '("mu_per_y", "0x1p-14",',
     "pow margin per |y| halved"),
    (DESCRIPTION, 'S("abs_y", "abs", "y")', 'S("abs_y", "abs", "yh")', "pow margin per |y| from |yh|"),
    (DESCRIPTION, 'S("bound_ulps", "fma", "abs_yh", "-kc.mu_per_t"',
     'S("bound_ulps", "fma", "abs_y", "-kc.mu_per_t"', "pow margin per |yh| from |y|"),
    (DESCRIPTION, 'S("half_less_mu", "sub", "0.5", "mu_y")', 'S("half_less_mu", "add", "0.5", "mu_y")',
     "pow margin added, not subtracted"),
    (DESCRIPTION, '"usable", "t_in_range", "v_in_range", "not_power_of_two",',
     '"usable", "t_in_range", "v_in_range",', "pow certificate: powers of two taken"),
    (DESCRIPTION, '"usable", "t_in_range", "v_in_range", "not_power_of_two",',
     '"usable", "v_in_range", "not_power_of_two",', "pow certificate: no |yh| range"),
    (DESCRIPTION, '"usable", "t_in_range", "v_in_range", "not_power_of_two",',
     '"usable", "t_in_range", "not_power_of_two",', "pow certificate: no |v_hi| range"),
    (DESCRIPTION, '"usable", "t_in_range", "v_in_range", "not_power_of_two",',
     '"t_in_range", "v_in_range", "not_power_of_two",', "pow certificate: any x taken"),
    (DESCRIPTION, '("t_max", "704.0",', '("t_max", "720.0",', "pow certificate: |yh| range widened"),
    (DESCRIPTION, 'S("ulp_bits", "isub", "f_exponent", 52 << 52)',
     'S("ulp_bits", "isub", "f_exponent", 51 << 52)', "pow certificate: ulp doubled"),
    (DESCRIPTION, 'S("within_bound", "at_most", "abs_f_lo", "bound")',
     'S("within_bound", "at_most", "abs_v_hi", "bound")', "pow certificate: |v_hi| for |f_lo|"),
    (DESCRIPTION, 'S("low", "add", "low_tables", "low_rests")', 'S("low", "add", "low_tables", "b_lo")',
     "pow log: h_lo left out"),
    (DESCRIPTION, 'S("lo", "fma", "cube", "p", "low")', 'S("lo", "add", "cube", "low")',
     "pow log: the polynomial's term left out"),
    (DESCRIPTION, 'S("w2", "fma", "y", "lo", "g")', 'S("w2", "add", "ye", "g")',
     "pow reduction: y lo left out"),
    (TABLES, "-0x1.eba708164c759p-45, 0x1.1ba1f10522625p-44,",
     "0x1.eba708164c759p-45, 0x1.1ba1f10522625p-44,", "pow log_lo[0] sign"),
    (TABLES, "0x1.0000000000000p+0, 0x1.0b5586cf9890fp+0,",
     "0x1.0000000000000p+0, 0x1.0b5586cf98910p+0,", "pow exp_hi[1] one ulp up"),
    (TABLES, "inline constexpr double l3 = 0x1.5555555555555p-2;",
     "inline constexpr double l3 = 0x1.5555555555554p-2;", "pow log coefficient l3 one ulp"),
    (TABLES, "inline constexpr double e3 = 0x1.5555555555556p-3;",
     "inline constexpr double e3 = 0x1.5555555555555p-3;", "pow exp coefficient e3 one ulp"),
    (TABLES, "inline constexpr double l5 = 0x1.9999999999941p-3;",
     "inline constexpr double l5 = 0x1.9999999999f41p-3;", "pow log coefficient l5 near 2^-40"),
]

DUMP = r"""
import sys
import numpy as np
sys.path.insert(0, sys.argv[1])
import test_operation_order as t
out = {}
for name, ga, sup in t.cases():
    x = t.inputs(name, ga, t.size(name))
    out["%s %s %s" % (name, ga, sup)] = t.call(name, ga, sup, x)
np.savez(sys.argv[2], **out)
"""


def run(cmd, env=None, cwd=None, timeout=3600):
    """Exit status and output; a command that outlives `timeout` seconds is stopped and counts
    as failed (a mutant can loop for ever)."""
    try:
        p = subprocess.run(cmd, env=env, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return 124, f"stopped after {timeout} s"
    return p.returncode, p.stdout + p.stderr


def sync_tree():
    """The copy: the sources, tests and build files, restored from the worktree. Only files
    whose content differs are copied, so the builds stay incremental."""
    for part in ("src", "tests", "tools", "cmake", "CMakeLists.txt", "vortalix2.pyi"):
        src = ROOT / part
        files = [src] if src.is_file() else [
            f for f in src.rglob("*") if f.is_file() and "__pycache__" not in f.parts]
        for f in files:
            dst = TREE / f.relative_to(ROOT)
            if not dst.exists() or dst.read_bytes() != f.read_bytes():
                dst.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(f, dst)  # a new time: make rebuilds what the mutant built


def build(python):
    if not (BUILD / "CMakeCache.txt").exists():
        code, out = run(["cmake", "-S", str(TREE), "-B", str(BUILD), "-DVORTALIX2_CPP_TESTS=ON",
                         f"-DPython_EXECUTABLE={python}",
                         f"-DCMAKE_LIBRARY_OUTPUT_DIRECTORY={BUILD / 'lib'}"])
        if code:
            return code, out
    return run(["nice", "-n", "15", "cmake", "--build", str(BUILD), "-j2", "--target",
                "vortalix2", "vortalix2_cpp_tests"])


def dump(python, path, level):
    env = dict(os.environ, PYTHONPATH=str(BUILD / "lib"), VORTALIX2_SIMD=level)
    code, out = run([python, "-c", DUMP, str(TREE / "tests" / "python"), str(path)], env=env,
                    timeout=120)
    if code:
        raise RuntimeError(out)


def changed(python, baseline):
    """How many elements of the fixed set differ from the baseline, over both levels; -1 when
    the mutant crashes or does not finish on the set."""
    import numpy as np
    total = 0
    for level in ("", "scalar"):
        path = WORK / f"now-{level or 'default'}.npz"
        try:
            dump(python, path, level)
        except RuntimeError:
            return -1
        now, base = np.load(path), np.load(baseline[level])
        for key in base.files:
            a, b = now[key], base[key]
            same = (a.view(np.uint64) == b.view(np.uint64)) | (np.isnan(a) & np.isnan(b))
            total += int((~same).sum())
    return total


def suites(python):
    code_cpp, out_cpp = run([str(BUILD / "vortalix2_cpp_tests")], timeout=120)
    env = dict(os.environ, PYTHONPATH=str(BUILD / "lib"))
    tests = [str(TREE / "tests" / "python" / f) for f in PY_TESTS]
    code_py, out_py = run([python, "-m", "pytest", "-q", "-x", "-p", "no:cacheprovider", *tests],
                          env=env, cwd=str(WORK), timeout=300)
    return code_cpp != 0, code_py != 0, out_cpp, out_py


def proof_only(chosen):
    """Which pow mutations the proof kills, without building: the header regenerated and
    checked, then the proof itself (the build-flag check does not depend on the kernel)."""
    sync_tree()
    for k, (rel, old, new, what) in enumerate(chosen, 1):
        sync_tree()
        path = TREE / rel
        path.write_text(path.read_text().replace(old, new))
        code, out = run([sys.executable, str(TREE / "tools" / "gen_pow_kernel.py")])
        if not code:
            code, out = run([sys.executable, str(TREE / "tools" / "proof" / "prove_pow.py")],
                            cwd=str(TREE), timeout=600)
        why = next((ln for ln in out.splitlines() if ln.startswith("FAILED")), out[-200:])
        print(f"{k:2d} {what}: the proof {'fails: ' + why if code else 'passes'}", flush=True)
    sync_tree()
    return 0


def proof():
    """Whether tools/prove_pow.sh fails on the copy."""
    code, out = run(["bash", str(TREE / "tools" / "prove_pow.sh")], timeout=600)
    return code != 0, out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--python", default=str(ROOT / ".venvs" / "mutate" / "bin" / "python"))
    ap.add_argument("--only", nargs="*", default=[])
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--start", type=int, default=1, help="begin with mutation number START")
    ap.add_argument("--proof-only", action="store_true",
                    help="only run the pow proof (no build, no suites) on the pow mutations")
    args = ap.parse_args()
    chosen = [m for m in MUTATIONS if not args.only or any(s in m[3] for s in args.only)]
    if args.list:
        for k, m in enumerate(chosen, 1):
            print(f"{k:2d} {m[0]}: {m[3]}")
        return 0
    if args.proof_only:
        return proof_only([m for m in chosen if m[0] in POW_FILES])
    python = args.python
    if not Path(python).exists():
        subprocess.run([sys.executable, "-m", "venv", str(Path(python).parent.parent)], check=True)
        subprocess.run([python, "-m", "pip", "install", "-q", "numpy", "pytest"], check=True)

    WORK.mkdir(parents=True, exist_ok=True)
    sync_tree()
    code, out = build(python)
    if code:
        print(out)
        return 1
    baseline = {}
    for level in ("", "scalar"):
        baseline[level] = WORK / f"base-{level or 'default'}.npz"
        dump(python, baseline[level], level)
    kill_cpp, kill_py, out_cpp, out_py = suites(python)
    if kill_cpp or kill_py:
        print("the unmutated tree fails its tests:\n" + out_cpp[-2000:] + out_py[-3000:])
        return 1
    if any(m[0] in POW_FILES for m in chosen):
        failed, out = proof()
        if failed:
            print("the unmutated tree fails tools/prove_pow.sh:\n" + out[-3000:])
            return 1

    rows = []
    for k, (rel, old, new, what) in enumerate(chosen, 1):
        if k < args.start:
            continue
        started = time.time()
        sync_tree()
        path = TREE / rel
        text = path.read_text()
        if text.count(old) != 1:
            rows.append((what, "not applicable (text not found once)", None, None, None))
            print(f"{k:2d} {what}: not applicable", flush=True)
            continue
        path.write_text(text.replace(old, new))
        if rel == DESCRIPTION:
            code, out = run([sys.executable, str(TREE / "tools" / "gen_pow_kernel.py")])
            if code:
                rows.append((what, "killed", None, None, True))
                print(f"{k:2d} {what}: the header cannot be generated -> killed", flush=True)
                continue
        code, out = build(python)
        if code:
            rows.append((what, "does not compile", None, None, None))
            print(f"{k:2d} {what}: does not compile", flush=True)
            continue
        n = changed(python, baseline)
        kill_cpp, kill_py, _, _ = suites(python)
        kill_proof = proof()[0] if rel in POW_FILES else None
        if kill_cpp or kill_py or kill_proof:
            verdict = "killed"
        else:
            # A pow mutation that changes no element of the fixed set can still answer a lane
            # wrongly: only the proof can say it does not.
            verdict = "SURVIVED" if n or rel in POW_FILES else "equivalent"
        rows.append((what, verdict, kill_cpp, kill_py, kill_proof))
        changes = "hangs or crashes on the fixed set" if n < 0 else f"{n} elements changed"
        by_proof = "" if kill_proof is None else (
            f", the proof {'fails' if kill_proof else 'passes'}")
        print(f"{k:2d} {what}: {changes}; C++ {'fails' if kill_cpp else 'passes'}, "
              f"Python {'fails' if kill_py else 'passes'}{by_proof} -> {verdict} "
              f"({time.time() - started:.0f} s)", flush=True)
    sync_tree()  # leave the copy unmutated
    build(python)
    survivors = [r for r in rows if r[1] == "SURVIVED"]
    print(f"\n{len(rows)} mutations: {sum(r[1] == 'killed' for r in rows)} killed, "
          f"{sum(r[1] == 'equivalent' for r in rows)} change no element of the fixed set, "
          f"{len(survivors)} survived")
    for r in survivors:
        print("  survived:", r[0])
    for r in rows:
        if r[1] == "killed" and r[4] and not (r[2] or r[3]):
            print("  killed by the proof only:", r[0])
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
