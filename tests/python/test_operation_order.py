"""Every relation against an independent evaluation in its stated order of IEEE operations.

The reference below is written from the formulas alone: NumPy's elementwise +, -, *, / and sqrt
are the same correctly rounded double operations, and powers are the platform's own C `pow`
(math.pow), one element at a time. So the module must agree bit for bit on every platform, and a
single regrouped, reordered or replaced rounded operation anywhere in a relation shows up as a
mismatch on the fixed input set: about 10^4 deterministic elements per function over its
regimes, at ga 1.4, 1.1 and 1.67, on both branches, with the special values.
"""
import math

import numpy as np
import pytest

import vortalix2 as vx
from conftest import bits

inf, nan = math.inf, math.nan
GAS = (1.4, 1.1, 1.67)
BRANCHED = ("Ma_from_A_Acrit", "Ma_from_F_mcpTo", "Ma_from_mcpTo_APo")
ITERATIVE = BRANCHED + ("Ma_from_mcpTo_AP", "Ma_from_Mash", "Ma_from_Posh_Po")
SPECIALS = [0.0, -0.0, 1.0, -1.0, inf, -inf, nan, 0.5, 2.0, 5e-324, -5e-324,
            2.2250738585072014e-308, 1e-300, 1e-8, 1e8, 1e300, 1.7976931348623157e308,
            1.3407807929942597e154, 1.3407807929942596e154, -1.3407807929942597e154,
            0.9999999999999999, 1.0000000000000002, 1.414213562373095, 1.4142135623730951,
            1.2810152558552463, 1.2810152558552466, 0.3779644730092272, 0.37, 0.99, 1.01]


# ---- the platform's pow and the divisions and roots, with IEEE results instead of exceptions

def cpow(x, y):
    """The C library's pow(x, y); math.pow raises where C returns an infinity or NaN."""
    try:
        return math.pow(x, y)
    except OverflowError:
        pass
    except ValueError:
        if x != 0.0:
            return nan  # negative base, non-integer exponent
        x = math.copysign(1e-300, x)  # pow(+-0, y < 0) is the infinity pow(+-tiny, y) is
    odd = y == math.floor(y) and abs(y) < 2.0 ** 53 and int(y) % 2 == 1
    return -inf if (x < 0.0 and odd) else inf


def pw(base, e):
    return np.array([cpow(b, e) for b in base.tolist()], dtype=np.float64)


# ---- the nineteen relations, whole arrays at a time, in their stated order

def q_of(c, ma):
    s = ma * ma
    p = c * s
    return 1.0 + p


def forward(name, ga):
    g = ga - 1.0
    c = g * 0.5
    if name == "To_T_from_Ma":
        return lambda m: 1.0 / (1.0 / q_of(c, m))
    if name == "Po_P_from_Ma":
        e = ga / (1.0 - ga)
        return lambda m: 1.0 / pw(q_of(c, m), e)
    if name == "rhoo_rho_from_Ma":
        e = 1.0 / (1.0 - ga)
        return lambda m: 1.0 / pw(q_of(c, m), e)
    if name == "V_cpTo_from_Ma":
        k = math.sqrt(g)
        return lambda m: (k * m) * (1.0 / np.sqrt(q_of(c, m)))
    if name == "mcpTo_APo_from_Ma":
        h = (ga + 1.0) * -0.5
        k = ga / math.sqrt(g)
        e = h / g
        return lambda m: (k * m) * pw(q_of(c, m), e)
    if name == "mcpTo_AP_from_Ma":
        k = ga / math.sqrt(g)
        return lambda m: (k * m) * np.sqrt(q_of(c, m))
    if name == "A_Acrit_from_Ma":
        b = (ga + 1.0) * 0.5
        e = b / g
        return lambda m: (1.0 / m) * pw(q_of(c, m) / b, e)
    if name == "Mash_from_Ma":
        b = (ga - 1.0) * 0.5

        def mash(m):
            x2 = m * m
            return np.sqrt((1.0 + b * x2) / (ga * x2 - b))
        return mash
    if name == "Posh_Po_from_Ma":
        gp1 = ga + 1.0
        c1, e2, c2, e1, c3 = g / gp1, ga / g, 2.0 / gp1, 1.0 / g, (ga + ga) / gp1

        def posh(m):
            x2 = m * m
            return 1.0 / (pw(c3 * x2 - c1, e1) * pw(c1 + c2 / x2, e2))
        return posh
    if name == "F_mcpTo":  # the impulse function, which only its inversion uses
        k = math.sqrt(g) / ga
        h = g * 0.5

        def impulse(m):
            x2 = m * m
            return ((k * (1.0 + ga * x2)) / m) * (1.0 / np.sqrt(1.0 + h * x2))
        return impulse
    raise KeyError(name)


def closed_inverse(name, ga):
    g = ga - 1.0
    c = 2.0 / g

    def from_power(e):
        return lambda x: np.sqrt(c * (pw(1.0 / x, e) - 1.0))
    if name == "Ma_from_To_T":
        return lambda x: np.sqrt(c * ((1.0 / (1.0 / x)) - 1.0))
    if name == "Ma_from_Po_P":
        return from_power((1.0 - ga) / ga)
    if name == "Ma_from_rhoo_rho":
        return from_power(1.0 - ga)
    if name == "Ma_from_V_cpTo":
        k = 1.0 / g

        def v(x):
            s = x * x
            return np.sqrt((k * s) / (1.0 + s * -0.5))
        return v
    raise KeyError(name)


def newton_solver(x, start, step, settled=None, tol=1e-6, limit=100):
    """The generic solver, one lane per target: x <- x - f/d until |dx| <= tol, counter from 1;
    a root only when the loop ends with the counter below the limit and x not NaN."""
    m = np.full(x.shape, start)
    i = np.ones(x.shape, dtype=np.int64)
    go = np.ones(x.shape, dtype=bool) if settled is None else ~settled
    while go.any():
        dx = step(m[go], x[go])
        m[go] = m[go] - dx
        i[go] += 1
        sub = go.copy()
        go[sub] = (np.abs(dx) > tol) & (i[sub] <= limit)
    out = np.where((i >= limit) | np.isnan(m), nan, m)
    return out if settled is None else np.where(settled, nan, out)


def inline_newton(x, start, next_m, settled=None, tol=1e-6, limit=100):
    """The mass-flow iterations: accept the new iterate of the first step below tol; a step of
    exactly tol, a NaN step or 100 steps without acceptance give NaN."""
    m = np.full(x.shape, float(start))
    out = np.full(x.shape, nan)
    go = np.ones(x.shape, dtype=bool) if settled is None else ~settled
    for step in range(1, limit + 1):
        if not go.any():
            break
        mn = next_m(m[go], x[go])
        d = np.abs(mn - m[go])
        idx = np.flatnonzero(go)
        out[idx[d < tol]] = mn[d < tol]
        m[go] = mn
        go[idx[~(d > tol)]] = False
    return out


def bisection(x, ga, sup):
    b = (ga + 1.0) * 0.5
    g = ga - 1.0
    e = b / g
    c = g * 0.5
    lo = np.full(x.shape, 1.0 if sup else 0.0)
    hi = np.full(x.shape, 1.7976931348623157e308 if sup else 1.0)
    m = np.full(x.shape, 8.988465674311579e307 if sup else 0.5)
    out = np.full(x.shape, nan)
    out[x == 1.0] = 1.0
    live = np.flatnonzero(x != 1.0)
    for _ in range(10000):
        if live.size == 0:
            break
        ml, xl = m[live], x[live]
        w = q_of(c, ml) / b
        a = (1.0 / ml) * pw(w, e)
        hit = a == xl
        out[live[hit]] = ml[hit]
        below, above = a < xl, a > xl
        lo0, hi0 = lo[live], hi[live]
        lo1 = np.where(above if not sup else below, ml, lo0)
        hi1 = np.where(below if not sup else above, ml, hi0)
        m1 = (lo1 + hi1) * 0.5
        lo[live], hi[live], m[live] = lo1, hi1, m1
        # a pass that changes nothing repeats until the count runs out: its M is the result
        still = (lo1 == lo0) & (hi1 == hi0) & (m1 == ml)
        out[live[still & ~hit]] = m1[still & ~hit]
        live = live[~hit & ~still]
    out[live] = m[live]
    return out


def reference(name, ga, sup, x):
    with np.errstate(all="ignore"):
        if name.endswith("_from_Ma"):
            return forward(name, ga)(x)
        if name in ("Ma_from_To_T", "Ma_from_Po_P", "Ma_from_rhoo_rho", "Ma_from_V_cpTo"):
            return closed_inverse(name, ga)(x)
        if name == "Ma_from_A_Acrit":
            return bisection(x, ga, sup)
        g = ga - 1.0
        c = g * 0.5
        if name == "Ma_from_mcpTo_APo":
            n = ga + 1.0
            e = (n / g) * -0.5
            k = ga / math.sqrt(g)
            b = n * 0.5

            def next_m(m, t):
                s = m * m
                q = 1.0 + c * s
                f = (k * m) * pw(q, e)
                d1 = (f * (1.0 - (b * s) / q)) / m
                return m - (f - t) / d1
            return inline_newton(x, 1.5 if sup else 0.5, next_m, x > k * cpow(c + 1.0, e))
        if name == "Ma_from_mcpTo_AP":
            k = ga / math.sqrt(g)

            def next_m(m, t):
                p = c * (m * m)
                r = np.sqrt(p + 1.0)
                return m - ((k * m) * r - t) / (k * (r + p / r))
            return inline_newton(x, 0.5, next_m)
        if name == "Ma_from_Mash":
            rel = forward("Mash_from_Ma", ga)
            q = (ga + 1.0) * (ga + 1.0)

            def step(m, t):
                x2 = m * m
                l = np.sqrt(1.0 + ga * ((x2 + x2) - 1.0))
                p = ((q * m) * -0.7071067811865476) * (1.0 / np.sqrt(1.0 + c * x2))
                return (rel(m) - t) / (p * (1.0 / (l * (l * l))))
            return newton_solver(x, 0.5, step, x > 1.0)
        if name == "Ma_from_Posh_Po":
            rel = forward("Posh_Po_from_Ma", ga)
            gp1 = ga + 1.0
            en, e1, k1, k2 = (-ga) / g, 1.0 / g, g / gp1, (ga + ga) / gp1

            def step(m, t):
                x2 = m * m
                s = x2 - 1.0
                w = -(s * s)
                tt = 1.0 + c * x2
                a = ((ga * m) * w) / (tt * tt)
                a = a * pw(((gp1 * x2) / tt) * 0.5, e1)
                return (rel(m) - t) / (pw(k2 * x2 - k1, en) * a)
            return newton_solver(x, 1.5, step)
        if name == "Ma_from_F_mcpTo":
            rel = forward("F_mcpTo", ga)
            k = math.sqrt(g) / ga

            def step(m, t):
                x2 = m * m
                r = np.sqrt(1.0 + c * x2)
                return (rel(m) - t) / ((k * (x2 - 1.0) / x2) * (1.0 / (r * (r * r))))
            return newton_solver(x, 1.5 if sup else 0.5, step)
    raise KeyError(name)


# ---- the fixed input set

def spread(lo, hi, n, log=False):
    """n deterministic points filling [lo, hi] evenly (golden-ratio sequence), no RNG."""
    u = (np.arange(1, n + 1) * 0.6180339887498949) % 1.0
    if log:
        return np.exp(np.log(lo) + u * (np.log(hi) - np.log(lo)))
    return lo + u * (hi - lo)


def mach_set(n):
    """Mach numbers over the regimes: dense subsonic to hypersonic, the flat region near 1,
    many decades, the negatives, and the special values."""
    k = (n - len(SPECIALS)) // 6
    parts = [spread(0.0, 5.0, 2 * k), spread(0.9, 1.1, k), spread(1e-4, 1e4, k, log=True),
             -spread(0.0, 5.0, k // 2), spread(5.0, 50.0, k // 2)]
    rest = n - len(SPECIALS) - sum(p.size for p in parts)
    return np.concatenate(parts + [spread(0.3, 3.0, rest), np.array(SPECIALS)])


FORWARD_OF = {"Ma_from_To_T": "To_T_from_Ma", "Ma_from_Po_P": "Po_P_from_Ma",
              "Ma_from_rhoo_rho": "rhoo_rho_from_Ma", "Ma_from_V_cpTo": "V_cpTo_from_Ma",
              "Ma_from_A_Acrit": "A_Acrit_from_Ma", "Ma_from_mcpTo_APo": "mcpTo_APo_from_Ma",
              "Ma_from_mcpTo_AP": "mcpTo_AP_from_Ma", "Ma_from_Mash": "Mash_from_Ma",
              "Ma_from_Posh_Po": "Posh_Po_from_Ma", "Ma_from_F_mcpTo": "F_mcpTo"}


def inputs(name, ga, n):
    """The fixed inputs of one function: Mach numbers for a forward relation; for an inversion,
    the forward values of those Mach numbers as they are and nudged by up to 1e-9 relatively,
    values over many decades, and the special values."""
    ma = mach_set(n)
    if name.endswith("_from_Ma"):
        return ma
    with np.errstate(all="ignore"):
        y = forward(FORWARD_OF[name], ga)(np.abs(ma[: n // 2]))
    y = y[np.isfinite(y)][: n // 3]
    nudged = y * (1.0 + 1e-9 * (spread(0.0, 2.0, y.size) - 1.0))
    broad = spread(1e-3, 1e3, n - len(SPECIALS) - 2 * y.size, log=True)
    return np.concatenate([y, nudged, broad, np.array(SPECIALS)])


def cases():
    for name in vx.__all__:
        for ga in GAS:
            for sup in ((False, True) if name in BRANCHED else (None,)):
                yield name, ga, sup


def size(name):
    """Elements per (ga, branch): 10^4 per function in all."""
    return 10 ** 4 // (len(GAS) * (2 if name in BRANCHED else 1))


def call(name, ga, sup, x):
    f = getattr(vx, name)
    return f(x, ga) if sup is None else f(x, ga, sup)


@pytest.mark.parametrize("name, ga, sup", list(cases()))
def test_every_operation_in_its_order(name, ga, sup):
    x = inputs(name, ga, size(name))
    got = call(name, ga, sup, x)
    want = reference(name, ga, sup, x)
    gb, wb = got.view(np.uint64), want.view(np.uint64)
    if name in ITERATIVE:
        bad = gb != wb  # their NaN is the default quiet NaN
    else:
        bad = (gb != wb) & ~(np.isnan(got) & np.isnan(want))
    shown = [f"x={x[k]!r}: got {got[k]!r} ({bits(got[k]):#018x}) "
             f"expected {want[k]!r} ({bits(want[k]):#018x})" for k in np.flatnonzero(bad)[:6]]
    assert not bad.any(), f"{name} ga={ga} sup={sup}: {bad.sum()} of {x.size} differ; " + \
        "; ".join(shown)
