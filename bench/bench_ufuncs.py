"""The toolkit's ufunc front against an earlier front of the same relations, side by side in one
run, and the costs of the ufunc conventions themselves.

    .venvs/bench/bin/python bench/bench_ufuncs.py [--against REV] [--quick]

With --against, REV's tree (default: the parent commit) is built into build/bench-front/REV and
every toolkit function is timed in both, in alternating child processes (best of several rounds
each), at 10^4 and 10^6 elements. Then, in this process: a broadcast call against a scalar-ga
call of the same size (time, and peak traced memory against the result's bytes), out= into a
preallocated array against allocating, and one Python float against numpy.sqrt on one.
"""
import argparse
import inspect
import json
import os
import platform
import subprocess
import sys
import tempfile
import time
import tracemalloc
from pathlib import Path

import numpy as np

from bench_flows import best, cpu_name

ROOT = Path(__file__).resolve().parents[1]
FAMILIES = ("isentropic", "normal_shock", "oblique_shock", "fanno", "rayleigh")

# Inputs inside each function's domain, by the first parameter's name.
ANGLES = {"beta": (40.0, 80.0), "theta": (1.0, 10.0)}


def calls(n):
    """{module.name: a call of it on n elements}, for whichever front is imported."""
    import importlib

    rng = np.random.default_rng(1)
    found = {}
    for family in FAMILIES:
        module = importlib.import_module(f"vortalix2_flows.{family}")
        for name in module.__all__:
            f = getattr(module, name)
            params = list(inspect.signature(f).parameters)
            if name.startswith("Ma_from") or name.startswith("beta_from"):
                # an inversion: feed it its forward relation's values of Mach numbers
                forward = name[len("Ma_from_"):] + "_from_Ma" if name.startswith("Ma_from") else None
                Ma = rng.uniform(1.2, 4.0, n)
                if forward and hasattr(module, forward):
                    x = np.asarray(getattr(module, forward)(Ma, 1.4))
                elif name == "beta_from_Ma_theta":
                    x = None
                else:
                    continue
            else:
                x = rng.uniform(1.2, 4.0, n)
            args = [x] if x is not None else [rng.uniform(1.5, 4.0, n)]
            if len(params) > 1 and params[1] in ANGLES:
                lo, hi = ANGLES[params[1]]
                args.append(rng.uniform(lo, hi, n))
            if "ga" in params:
                args.append(1.4)
            kwargs = {}
            if "sup" in params:
                if inspect.signature(f).parameters["sup"].kind is inspect.Parameter.KEYWORD_ONLY:
                    kwargs["sup"] = True
                else:
                    args.append(True)
            found[f"{family}.{name}"] = (f, args, kwargs)
    return found


def child(sizes, rounds):
    """Times every function at every size; prints {key: seconds} as JSON."""
    import warnings

    warnings.simplefilter("ignore")
    out = {}
    for n in sizes:
        for key, (f, args, kwargs) in calls(n).items():
            f(*args, **kwargs)
            out[f"{key} {n}"] = best(lambda: f(*args, **kwargs), rounds)
    print(json.dumps(out))


def build_front(rev):
    """REV's toolkit installed into a folder of its own; returns the folder."""
    target = ROOT / "build" / "bench-front" / rev
    if (target / "vortalix2_flows").exists():
        return target
    tree = ROOT / "build" / "bench-front" / f"{rev}-src"
    if not tree.exists():
        subprocess.run(["git", "-C", str(ROOT), "worktree", "add", "--detach", str(tree), rev],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run([sys.executable, "-m", "pip", "install", "-q", "--no-deps",
                    "--no-build-isolation", "--target", str(target),
                    f"--config-settings=build-dir={tree / 'build' / 'bench'}", str(tree)],
                   check=True)
    return target


def compare(rev, sizes, rounds, passes):
    before = build_front(rev)
    script = f"import sys; sys.path.insert(0, {str(ROOT / 'bench')!r}); import bench_ufuncs; " \
             f"bench_ufuncs.child({sizes!r}, {rounds})"
    found = {"before": {}, "now": {}}
    for _ in range(passes):
        for side in ("before", "now"):
            env = dict(os.environ)
            if side == "before":
                env["PYTHONPATH"] = str(before)
            # From a folder of no package of ours, so that neither front meets the source tree.
            done = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True,
                                  text=True, cwd=tempfile.gettempdir())
            if done.returncode != 0:
                sys.exit(f"the {side} front failed:\n{done.stderr}")
            for k, v in json.loads(done.stdout).items():
                found[side][k] = min(v, found[side].get(k, v))
    print(f"\n## Each toolkit function against the front of {rev} (time before / time now)\n")
    print("| function | " + " | ".join(f"{n:.0e} elements" for n in sizes) + " |")
    print("|---|" + "---|" * len(sizes))
    names = sorted({k.rsplit(" ", 1)[0] for k in found["now"]} &
                   {k.rsplit(" ", 1)[0] for k in found["before"]})
    worst = {}
    for name in names:
        cells = []
        for n in sizes:
            ratio = found["before"][f"{name} {n}"] / found["now"][f"{name} {n}"]
            worst[n] = min(worst.get(n, ratio), ratio)
            cells.append(f"{ratio:.2f}")
        print(f"| {name} | " + " | ".join(cells) + " |")
    print("\nslowest ratio per size: " + ", ".join(f"{n:.0e}: {r:.2f}" for n, r in worst.items()))


def conventions(rounds, quick):
    from vortalix2_flows import isentropic as ise

    n = 1_000_000 if quick else 8_000_000
    Ma = np.linspace(0.1, 5.0, n // 8)
    ga = np.linspace(1.1, 1.67, 8)
    flat = np.linspace(0.1, 5.0, n)
    t_broadcast = best(lambda: ise.To_T_from_Ma(Ma[None, :], ga[:, None]), rounds)
    t_scalar = best(lambda: ise.To_T_from_Ma(flat, 1.4), rounds)
    tracemalloc.start()
    result = ise.To_T_from_Ma(Ma[None, :], ga[:, None])
    peak = tracemalloc.get_traced_memory()[1]
    tracemalloc.stop()
    print(f"\n## The conventions' own costs\n")
    print(f"- broadcast To_T_from_Ma(Ma[None, :], ga[:, None]), {n:.0e} elements: "
          f"{t_scalar / t_broadcast:.2f}x the speed of a scalar ga on as many; peak traced "
          f"memory {peak / result.nbytes:.3f}x the result's bytes")
    m = 1_000_000 if quick else 10_000_000
    x = np.linspace(0.1, 5.0, m)
    out = np.empty_like(x)
    t_out = best(lambda: ise.To_T_from_Ma(x, 1.4, out=out), rounds)
    t_alloc = best(lambda: ise.To_T_from_Ma(x, 1.4), rounds)
    tracemalloc.start()
    ise.To_T_from_Ma(x, 1.4, out=out)
    peak_out = tracemalloc.get_traced_memory()[1]
    tracemalloc.stop()
    print(f"- out= at {m:.0e} elements: {t_alloc / t_out:.2f}x the speed of allocating; "
          f"peak traced memory {peak_out} bytes")
    reps = 200_000
    loop = range(reps)
    f = ise.Po_P_from_Ma
    t_one = best(lambda: [f(2.0, 1.4) for _ in loop], max(3, rounds // 2)) / reps
    t_sqrt = best(lambda: [np.sqrt(2.0) for _ in loop], max(3, rounds // 2)) / reps
    print(f"- one Python float: Po_P_from_Ma(2.0, 1.4) takes {t_one / t_sqrt:.2f}x numpy.sqrt(2.0)")
    small = np.linspace(1.1, 3.0, 10_000)
    t_small = best(lambda: f(small, 1.4), rounds * 10)
    t_ufunc = best(lambda: f.ufunc(small, 1.4), rounds * 10)
    print(f"- at 1e4 elements the Python front adds {1e6 * (t_small - t_ufunc):.2f} us to the "
          f"ufunc's {1e6 * t_ufunc:.1f} us")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--against", default="HEAD~1")
    ap.add_argument("--quick", action="store_true")
    args = ap.parse_args()
    rev = subprocess.run(["git", "-C", str(ROOT), "rev-parse", "--short", args.against],
                         capture_output=True, text=True, check=True).stdout.strip()
    from vortalix2_flows import _core

    print(f"CPU: {cpu_name()}; loops: {_core.level()}; Python {platform.python_version()}, "
          f"NumPy {np.__version__}")
    rounds = 3 if args.quick else 9
    sizes = [10_000, 1_000_000]
    compare(rev, sizes, rounds, 1 if args.quick else 3)
    conventions(rounds, args.quick)


if __name__ == "__main__":
    main()
