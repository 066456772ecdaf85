"""The toolkit's accuracy bounds, shared by the tests that hold its relations against their
mpmath references (generated into JSON by tools/gen_flows_*reference.py), and the check that
every instruction-set level gives the scalar bits."""
import json
import math
import os
import subprocess
import sys
from fractions import Fraction

import numpy as np


def grouped(rows):
    """Reference rows [name, *fields] as {name: [fields, ...]}."""
    out = {}
    for row in rows:
        out.setdefault(row[0], []).append(row[1:])
    return out


def forward_misses(got, exact, angle=False):
    """Where a forward value misses 1e-14 |exact| + 1e-15 (+ 1e-13 degrees for an angle); an
    exact infinity counts as met only by itself."""
    got, exact = np.asarray(got), np.asarray(exact)
    bound = 1e-14 * np.abs(exact) + 1e-15 + (1e-13 if angle else 0.0)
    return ~(np.abs(got - exact) <= bound) & ~(got == exact)


def backward_miss(x, M, root, d1, d2):
    """For an inversion's answer M to the target x: None if |R(M) - x| is within 32 ulp(x) +
    |R'(M)| ulp(M), else that residual in ulps of x. R(M) - x comes from the exact root (a
    Fraction) and the exact derivatives there: R'(root) d + R''(root) d^2/2, d = M - root."""
    if not math.isfinite(M):
        return math.inf
    d = float(Fraction(M) - root)
    residual = abs(d1 * d + 0.5 * d2 * d * d)
    if residual > 32 * math.ulp(x) + (abs(d1) + abs(d2 * d)) * math.ulp(M):
        return residual / math.ulp(x)
    return None


def assert_table_values(spot):
    """(got, printed value, tolerance relative to max(1, |printed|)) for each entry."""
    for got, table, tol in spot:
        assert abs(got - table) <= tol * max(1.0, abs(table)), (got, table)


def ulp(v):
    return np.vectorize(math.ulp)(np.abs(v))


def assert_round_trip(inverse, forward, M, ga, sup, split):
    """inverse(forward(M)) is finite, on the branch of M (above or below `split`, the point that
    separates the roots; any M >= 0 where the inversion has one root), and within the backward
    bound 64 ulp(x) + 4 |R'| ulp(M) of the double relation, its slope from a central difference."""
    x = forward(M, ga)
    got = inverse(x, ga) if sup is None else inverse(x, ga, sup=sup)
    lo, hi = M.min(), M.max()
    on_branch = (got >= split) if lo >= split else (got <= split) if hi <= split else got >= 0
    ok = np.isfinite(got) & on_branch
    assert ok.all(), list(zip(M[~ok], x[~ok], got[~ok]))[:5]
    h = 1e-7
    slope = np.abs(forward(got * (1 + h), ga) - forward(got * (1 - h), ga)) / (2 * h * got)
    bad = np.abs(forward(got, ga) - x) - (64 * ulp(x) + 4 * slope * ulp(got)) > 0
    assert not bad.any(), list(zip(M[bad], x[bad], got[bad]))[:5]


def assert_levels_agree(probe):
    """Runs the script `probe` (which prints a JSON object of result bits, with the key "level"
    for the level it ran at) once per instruction-set level, and checks that every level gives
    the scalar loops' bits."""
    runs = {}
    for level in ("scalar", "sse2", "avx2", "avx512"):
        env = dict(os.environ, VORTALIX2_SIMD=level)
        done = subprocess.run([sys.executable, "-c", probe], env=env, capture_output=True,
                              text=True, check=True)
        runs[level] = json.loads(done.stdout)
    scalar = runs.pop("scalar")
    assert scalar.pop("level") == "scalar"
    for level, found in runs.items():
        found.pop("level")
        bad = [key for key in scalar if scalar[key] != found[key]]
        assert not bad, f"{level} differs from scalar in {bad[:5]}"
