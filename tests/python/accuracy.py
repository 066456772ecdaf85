"""The toolkit's accuracy bounds, shared by the tests that hold its relations against their
mpmath references (generated into JSON by tools/gen_flows_*reference.py)."""
import math
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
