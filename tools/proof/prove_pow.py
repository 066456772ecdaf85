#!/usr/bin/env python3
"""A machine-checked bound on the error of the vector pow kernel (src/math/pow.hpp), and a check
that the kernel's margin covers it.

Run from the repository root (tools/prove_pow.sh does, after installing Sollya):

    python3 tools/proof/prove_pow.py

It reads the tables, constants, coefficients and the exp polynomial's interval v_max from
src/math/pow_tables.hpp, and the kernel itself, its steps and its margin, from the description
tools/proof/pow_kernel.py, from which tools/gen_pow_kernel.py writes src/math/pow_kernel.hpp
(tools/prove_pow.sh checks that the header is what the description gives). It exits non-zero
if a step's precondition or the margin fails, or if the description holds a step it does not
account for.

How it bounds:
- The two polynomials' approximation errors (log1p and exp) with Sollya's `supnorm`, which
  returns a rigorous enclosure of the supremum of the error over an interval.
- The table entries' errors (-log c, 2^(j/16), ln 2, ln 2/16) with mpmath's interval arithmetic,
  and 2^(j/16) also exactly: |s^16 - 2^j| in rationals.
- The arithmetic of the logarithm (z c to lo) and of the exponential's polynomial and
  reconstruction (v_hi^2 to f_hi + f_lo) by evaluating the description's steps on intervals in
  exact rational arithmetic (`abstract`): every computed quantity carries an interval that
  holds its double value, a bound on its distance to the ideal quantity it stands for, and a
  power of two of which it is a multiple. A rounding to nearest of a result whose magnitude is
  at most M errs by at most 2^(max(floor(log2 M), -1022) - 53), which also covers results in
  the subnormal range, and is exact where the result's grid makes every value in its interval a
  double. The exact pairs have their preconditions checked there (two-product: a remainder
  that can underflow; fma split: Sterbenz and a representable remainder); a fast two-sum whose
  |a| >= |b| the intervals do not show is taken with its error (s + e = a + b - e2 + e3, the
  roundings of s - a and of b - z). The domain is cut into pieces (the reduced argument of the log into 32 pieces
  per table interval, into binades around 0 where c = 1; that of the exp into 64).
- That the same steps with their roundings removed compute the formula the analysis takes them
  for (`identity_checks`: an exact identity of polynomials, tested at random rational points,
  with each pair's split drawn at random so that a low part left out shows).
- The bit-level steps (k, z and the table index of x; n, j and m; the ulp of f_hi; the scaling
  by the exponent field) by running them on every case they distinguish (`bit_level_checks`).
- The argument reduction of the exponential (yh, ye = y b_hi to v_hi + v_lo) by the same
  interval evaluation (`reduction_checks`), case by case on the value n that round_shift
  rounds yh to (every |n| the certificate lets through), then over pieces of |y|.
- The certificate (`certificate_logic`): the lane tests its mask `fine` is made of are read
  from the description and must include |f_lo| <= B ulp(f_hi), |yh| <= T, |v_hi| <= V, f_hi
  not a power of two and the logarithm's `usable`; T and V are what the analysis uses, and B,
  evaluated, gives the margin's floor and terms per |y| and per |yh| that the proven bounds are
  compared with.
- The proof picks every piece it evaluates by what it computes from what (`slice_steps`), and
  fails if a step of the description is in none of them.
- Gappa (tools/proof/gappa_pow.py) re-bounds, from the same steps, the rounding error of the
  logarithm's lo (one script per table row, every k) and of the exponential's r_lo (one per
  entry of 2^(j/16)); the proof fails if Gappa proves no bound or one more than 1.5 times this
  script's.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
from fractions import Fraction as Q

from mpmath import iv

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kernel_ops  # noqa: E402
import pow_kernel  # noqa: E402

iv.prec = 300
U = Q(1, 2**53)  # unit roundoff of binary64
TWO = Q(2)


def fail(msg):
    print("FAILED: " + msg)
    sys.exit(1)


def check(cond, what):
    if not cond:
        fail(what)


# ---------------------------------------------------------------------------------------------
# Reading the code.

NUMBER = r"-?(?:0x[0-9a-fA-F.]+p[+-]?\d+|\d+\.\d*(?:e[+-]?\d+)?)"


def parse_tables(path):
    src = open(path).read()
    scalars, arrays = {}, {}
    for name, value in re.findall(r"inline constexpr double (\w+) = (" + NUMBER + r");", src):
        scalars[name] = float.fromhex(value) if "0x" in value else float(value)
    for name, value in re.findall(r"inline constexpr (?:int|long long) (\w+) = (\w+?)(?:LL)?;", src):
        scalars[name] = int(value, 0)
    for name, body in re.findall(r"alignas\(64\) inline constexpr double (\w+)\[[^\]]*\] = \{(.*?)\};",
                                 src, re.S):
        arrays[name] = [float.fromhex(v) if "0x" in v else float(v)
                        for v in re.findall(NUMBER, body)]
    return scalars, arrays


def parse_margin():
    """mu_floor, mu_per_t, mu_per_y and t_max from the description: sums and products of
    literals, evaluated in double arithmetic as the compiler does."""
    out = {}
    for name, expr, _ in pow_kernel.CONSTANTS:
        check(re.fullmatch(r"[0-9a-fA-Fxp.+\-* ()]+", expr) is not None, f"{name}: {expr}")
        py = re.sub(r"0x[0-9a-fA-F.]+p[+-]?\d+", lambda h: repr(float.fromhex(h.group(0))), expr)
        out[name] = float(eval(py, {"__builtins__": {}}))
    for name in ("mu_floor", "mu_per_t", "mu_per_y", "t_max"):
        check(name in out, f"{name} in the description")
    return out


# ---------------------------------------------------------------------------------------------
# Rational helpers.

def floor_log2(q):
    q = abs(Q(q))
    e = q.numerator.bit_length() - q.denominator.bit_length()
    if TWO**e > q:
        e -= 1
    return e


def rounding_bound(m):
    """Largest |RN(x) - x| over |x| <= m (binary64, round to nearest, gradual underflow)."""
    if m == 0:
        return Q(0)
    return TWO ** (max(floor_log2(m), -1022) - 53)


def bits_to_q(bits):
    return Q(struct.unpack("<d", struct.pack("<Q", bits))[0])


def double_above(q):
    d = rn(q)
    return d if d >= q else bits_to_q(struct.unpack("<Q", struct.pack("<d", float(d)))[0]
                                      + (1 if d > 0 else -1 if d < 0 else 1))


def double_below(q):
    return -double_above(-Q(q))


def rn(q):
    """q rounded to the nearest double (CPython's int true division rounds correctly)."""
    q = Q(q)
    return Q(q.numerator / q.denominator) if q else Q(0)


def log2f(q):
    import math
    q = Q(q)
    if q == 0:
        return float("-inf")
    return math.log2(q.numerator) - math.log2(q.denominator)


def significant_bits(x):
    q = Q(x)
    if q == 0:
        return 0
    n = abs(q.numerator)
    while n % 2 == 0:
        n //= 2
    return n.bit_length()


def lowest_bit(x):
    """Largest power of two of which x is a multiple."""
    q = Q(x)
    n, d = abs(q.numerator), q.denominator
    e = -(d.bit_length() - 1)
    while n % 2 == 0:
        n //= 2
        e += 1
    return TWO**e


def mpf_to_q(t):
    """An mpmath raw mpf tuple (sign, mantissa, exponent, bits) as a rational."""
    sign, man, exp, _ = t
    q = Q(man) * TWO**exp
    return -q if sign else q


def interval_max_abs(x):
    """Upper bound of |v| over an mpmath interval."""
    a, b = x._mpi_
    return max(abs(mpf_to_q(a)), abs(mpf_to_q(b)))


def iv_of(q):
    q = Q(q)
    return iv.mpf(q.numerator) / q.denominator if q.denominator != 1 else iv.mpf(q.numerator)


# ---------------------------------------------------------------------------------------------
# Forward error analysis.

class V:
    """A computed quantity: its double lies in [lo, hi], within err of the ideal one, and is a
    multiple of grid (a power of two)."""

    __slots__ = ("lo", "hi", "err", "grid")

    def __init__(self, lo, hi, err=Q(0), grid=None):
        self.lo, self.hi, self.err = Q(lo), Q(hi), Q(err)
        self.grid = Q(grid) if grid is not None else magnitude_grid(self.lo, self.hi, TWO**-1074)

    def mag(self):
        return max(abs(self.lo), abs(self.hi))


def magnitude_grid(lo, hi, grid):
    """A double in [lo, hi] not containing 0 is a multiple of 2^(floor(log2 min |x|) - 52)."""
    if lo <= 0 <= hi:
        return grid
    return max(grid, TWO ** (max(floor_log2(min(abs(lo), abs(hi))), -1022) - 52))


def const(x):
    return V(x, x, 0, lowest_bit(x) if x else TWO**1023)


def _rounded(lo, hi, err, grid):
    """RN of a result in [lo, hi] on the grid: exact where every multiple of the grid there is
    a double; RN keeps a result on its grid either way."""
    m = max(abs(lo), abs(hi))
    if m < TWO**53 * grid and grid >= TWO**-1074:
        return V(lo, hi, err, magnitude_grid(lo, hi, grid))
    r = rounding_bound(m)
    return V(lo - r, hi + r, err + r, magnitude_grid(lo - r, hi + r, grid))


def _product_range(a, b):
    ps = (a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi)
    return min(ps), max(ps)


def _product_err(a, b):
    return a.mag() * b.err + (b.mag() + b.err) * a.err


def add(a, b):
    return _rounded(a.lo + b.lo, a.hi + b.hi, a.err + b.err, min(a.grid, b.grid))


def neg(a):
    return V(-a.hi, -a.lo, a.err, a.grid)


def mul(a, b):
    lo, hi = _product_range(a, b)
    if a is b:
        lo = Q(0) if a.lo <= 0 <= a.hi else min(a.lo * a.lo, a.hi * a.hi)
        return _rounded(lo, hi, 2 * a.mag() * a.err + a.err * a.err, a.grid * a.grid)
    return _rounded(lo, hi, _product_err(a, b), a.grid * b.grid)


def fma(a, b, c):
    """a * b + c rounded once."""
    lo, hi = _product_range(a, b)
    return _rounded(lo + c.lo, hi + c.hi, _product_err(a, b) + c.err, min(a.grid * b.grid, c.grid))


def symmetric(bound, grid=None):
    return V(-bound, bound, 0, grid if grid is not None else TWO**-1074)


def abstract(steps, env, tables):
    """Evaluates the floating-point steps of a description on intervals. A pair's high part
    carries the error of its inputs and its low part is a new quantity, exact, bounded by the
    high part's rounding; the preconditions of the pairs are checked here. Returns env with
    every output added."""
    env = dict(env)

    def v(a):
        if kernel_ops.is_name(a):
            return env[a]
        return const(Q(kernel_ops.constant(a, tables)))

    for st in steps:
        a, op = st.args, st.op
        where = f"{op} -> {', '.join(st.out)}"
        if op == "mul":
            r = (mul(v(a[0]), v(a[1])),)
        elif op == "add":
            r = (add(v(a[0]), v(a[1])),)
        elif op == "sub":
            r = (add(v(a[0]), neg(v(a[1]))),)
        elif op == "fma":
            x, y, c = v(a[0]), v(a[1]), v(a[2])
            zero = any(t.lo == t.hi == 0 and t.err == 0 for t in (x, y))
            r = (c,) if zero else (fma(x, y, c),)  # 0 b + c is c, exactly
        elif op == "abs":
            x = v(a[0])
            lo = Q(0) if x.lo <= 0 <= x.hi else min(abs(x.lo), abs(x.hi))
            r = (V(lo, x.mag(), x.err, x.grid),)
        elif op == "two_prod":
            x, y = v(a[0]), v(a[1])
            lo, hi = _product_range(x, y)
            p = _rounded(lo, hi, _product_err(x, y), x.grid * y.grid)
            rest = rounding_bound(p.mag()) if (p.lo, p.hi) != (lo, hi) else Q(0)
            # The remainder is a double unless the product can fall below 2^-969.
            tiny = Q(0) if x.grid * y.grid >= TWO**-1074 or rest == 0 else TWO**-1074
            e = V(-rest, rest, tiny, x.grid * y.grid)
            r = (V(p.lo, p.hi, _product_err(x, y), p.grid), e)
        elif op == "fast_two_sum":
            x, y = v(a[0]), v(a[1])
            x_min = Q(0) if x.lo <= 0 <= x.hi else min(abs(x.lo), abs(x.hi))
            s_ = _rounded(x.lo + y.lo, x.hi + y.hi, x.err + y.err, min(x.grid, y.grid))
            rest = rounding_bound(s_.mag()) if s_.lo != x.lo + y.lo or s_.hi != x.hi + y.hi else Q(0)
            if x.lo == x.hi == 0 or x_min >= y.mag():  # s + e = a + b exactly
                r = (V(s_.lo, s_.hi, x.err + y.err, s_.grid),
                     V(-rest, rest, 0, min(x.grid, y.grid)))
            else:
                # |a| < |b| possible: s = a + b + e1, z = RN(s - a) = b + e1 + e2, e = RN(b - z)
                # = -e1 - e2 + e3, so s + e = a + b - e2 + e3 (e1 = rest, e2 and e3 roundings).
                e2 = rounding_bound(y.mag() + rest)
                e3 = rounding_bound(rest + e2)
                r = (V(s_.lo, s_.hi, x.err + y.err, s_.grid),
                     V(-(rest + e2 + e3), rest + e2 + e3, e2 + e3, TWO**-1074))
        elif op == "fma_split":
            x, y, c = v(a[0]), v(a[1]), v(a[2])
            lo, hi = _product_range(x, y)
            h = _rounded(lo + c.lo, hi + c.hi, _product_err(x, y) + c.err,
                         min(x.grid * y.grid, c.grid))
            # c - h is exact (Sterbenz) where h lies within [c/2, 2c]: |a b| <= |c|/2 does it,
            # and where a is c, |b| <= 1/2.
            if a[0] == a[2]:
                check(y.mag() <= Q(1, 2), f"{where}: c - h exact (|b| <= 1/2)")
            else:
                c_min = Q(0) if c.lo <= 0 <= c.hi else min(abs(c.lo), abs(c.hi))
                check(max(abs(lo), abs(hi)) <= c_min / 2, f"{where}: c - h exact")
            # The remainder a b + c - h, h's rounding error, is a double on the grid.
            rest = rounding_bound(h.mag())
            grid = min(x.grid * y.grid, c.grid)
            check(rest < TWO**53 * grid and grid >= TWO**-1074, f"{where}: the remainder is a double")
            r = (V(h.lo, h.hi, _product_err(x, y) + c.err, h.grid), V(-rest, rest, 0, grid))
        else:
            fail(f"{where}: not a floating-point step")
        env.update(zip(st.out, r))
    return env


def exp_upper(x):
    """Upper bound of e^x for 0 <= x <= 1."""
    return 1 + x + x * x


# ---------------------------------------------------------------------------------------------
# Sollya.

def sollya_number(x):
    q = Q(x)
    return f"({q.numerator}/{q.denominator})"


def dyadic_to_q(text):
    text = text.strip()
    m = re.fullmatch(r"(-?\d+)(?:b(-?\d+))?", text)
    check(m is not None, "unexpected Sollya output: " + text)
    v = Q(int(m.group(1)))
    if m.group(2):
        v *= TWO ** int(m.group(2))
    return v


def run_sollya(script):
    with tempfile.NamedTemporaryFile("w", suffix=".sollya", delete=False) as f:
        f.write(script)
        path = f.name
    try:
        out = subprocess.run(["sollya", "--warnonstderr", path], stdin=subprocess.DEVNULL,
                             capture_output=True, text=True, timeout=600)
    finally:
        os.unlink(path)
    check(out.returncode == 0, "sollya failed: " + out.stderr + out.stdout[-2000:])
    lines = [ln for ln in out.stdout.splitlines() if ln.startswith("RESULT ")]
    return [dyadic_to_q(ln.split(" ", 1)[1]) for ln in lines]


def polynomial_bounds(log_coeffs, r_lo, r_hi, exp_coeffs, v_max):
    """Rigorous upper bounds of max |P(r) - log1p(r)| over [r_lo, r_hi] and of
    max |E(v)/e^v - 1| over [-v_max, v_max]."""
    def horner(coeffs):
        expr = sollya_number(coeffs[-1])
        for c in reversed(coeffs[:-1]):
            expr = f"{sollya_number(c)} + x * ({expr})"
        return expr

    log_poly = f"x - x^2/2 + x^3 * ({horner(log_coeffs)})"
    exp_poly = f"1 + x + x^2 * ({horner(exp_coeffs)})"
    script = f"""
prec = 300!;
display = dyadic!;
L = supnorm({log_poly}, log1p(x), [{sollya_number(r_lo)}; {sollya_number(r_hi)}], absolute, 2^-20);
print("RESULT", sup(L));
E = supnorm({exp_poly}, exp(x), [{sollya_number(-v_max)}; {sollya_number(v_max)}], relative, 2^-20);
print("RESULT", sup(E));
quit;
"""
    log_err, exp_err = run_sollya(script)
    return log_err, exp_err


# ---------------------------------------------------------------------------------------------
# The description.

# The pieces the proof evaluates, by what they compute from what.
LOG_BITS = (["k", "kd", "z", "c", "log_c_hi", "log_c_lo", "usable"], ["x"])
LOG_ARITHMETIC = (["b_hi", "lo"], ["z", "c", "log_c_hi", "log_c_lo", "kd"])
EXP_ARITHMETIC = (["f_hi", "f_lo"], ["v_hi", "v_lo", "s_hi", "s_lo"])
REDUCTION = (["v_hi", "v_lo"], ["y", "b_hi", "lo"])


def slice_steps(kernel, outputs, inputs, strict=True):
    """The steps of a kernel that compute `outputs` from `inputs` alone, in their order; fails
    if they need anything else. (This is how the proof picks the steps it evaluates: by what
    they compute from what, not by their position or text.)"""
    have, need, chosen = set(inputs), set(outputs) - set(inputs), []
    for st in reversed(kernel.steps):
        if need & set(st.out):
            chosen.append(st)
            need -= set(st.out)
            args = st.args[1:] if st.op == "lookup" else st.args
            need |= {a for a in args if kernel_ops.is_name(a) and a not in have}
    if need and not strict:
        return None
    check(not need, f"{kernel.name}: {', '.join(sorted(outputs))} from "
          f"{', '.join(sorted(inputs))} needs {', '.join(sorted(need))}")
    return list(reversed(chosen))


def float_steps(kernel, outputs, inputs):
    """A slice that is floating-point arithmetic only (what `abstract` and `ideal` evaluate)."""
    steps = slice_steps(kernel, outputs, inputs)
    for st in steps:
        check(st.op in kernel_ops.FLOAT_OPS and st.op not in ("from_bits", "int_to_double"),
              f"{kernel.name}: {st.op} -> {', '.join(st.out)} among the arithmetic from "
              f"{', '.join(inputs)} to {', '.join(outputs)}")
    return steps


class Coverage:
    """The steps the proof has evaluated; every step of the description must be among them."""

    def __init__(self):
        self.seen = set()

    def add(self, steps):
        self.seen |= {id(st) for st in steps}
        return steps

    def check(self):
        for kernel in pow_kernel.KERNELS:
            for st in kernel.steps:
                check(id(st) in self.seen, f"{kernel.name}: the step "
                      f"{kernel_ops.statement(st)!r} is not one the proof evaluates")


COVERED = Coverage()
# What the kernels give pow.hpp (the C++ reads these fields by name).
RETURNS = {"logarithm": ["b_hi", "lo", "usable"], "power": ["value", "fine"]}


def identity_checks(tb, lc, ec, ln2_hi, ln2_lo):
    """The evaluated arithmetic, with its roundings removed, is the formula the error analysis
    takes it for: both sides are polynomials in the inputs and in the low parts of the pairs
    (each pair's split is drawn at random), compared exactly at random rational points."""
    import random
    rng = random.Random(0x5eed)

    def draw():
        return Q(rng.randint(-2**20, 2**20), 2**rng.randint(10, 30))

    def split(x):
        return x + draw() * Q(1, 2**12)

    log_steps = float_steps(pow_kernel.LOGARITHM, *LOG_ARITHMETIC)
    exp_steps = float_steps(pow_kernel.POWER, *EXP_ARITHMETIC)
    red_steps = float_steps(pow_kernel.POWER, *REDUCTION)
    for _ in range(8):
        env = kernel_ops.ideal(log_steps, {n: draw() for n in ("z", "c", "kd", "log_c_hi",
                                                               "log_c_lo")}, tb, split)
        rh, rl, kd = env["rh"], env["rl"], env["kd"]
        P = sum(cf * rh**n for n, cf in enumerate(lc))
        want = (kd * ln2_hi + env["log_c_hi"] + kd * ln2_lo + env["log_c_lo"] + rh - rh * rh / 2
                + rh**3 * P + rl * (1 - rh + rh * rh))
        check(env["zc"] + rl == env["z"] * env["c"] and rh == env["zc"] - 1,
              "logarithm: z c = 1 + rh + rl")
        check(env["b_hi"] + env["lo"] == want,
              "logarithm: b_hi + lo is not k ln2 + log(1/c) + rh - rh^2/2 + rh^3 P(rh) "
              "+ rl (1 - rh + rh^2) with its roundings removed")
        env = kernel_ops.ideal(exp_steps, {n: draw() for n in ("v_hi", "v_lo", "s_hi", "s_lo")},
                               tb, split)
        v, vl, sh, sl = env["v_hi"], env["v_lo"], env["s_hi"], env["s_lo"]
        E = sum(cf * v**n for n, cf in enumerate(ec))
        want = (sh + sl) * (1 + v) + sh * (v * v * E + vl * (1 + v))
        check(env["f_hi"] + env["f_lo"] == want,
              "power: f_hi + f_lo is not (s_hi + s_lo)(1 + v_hi) + s_hi q, q = v_hi^2 E(v_hi) + "
              "v_lo (1 + v_hi), with its roundings removed")
        env = kernel_ops.ideal(red_steps, {n: draw() for n in ("y", "b_hi", "lo")}, tb, split)
        step = tb["step_hi"] + tb["step_lo"]
        check(env["yh"] + env["ye"] == env["y"] * env["b_hi"], "power: yh + ye = y b_hi")
        check(env["v_hi"] + env["v_lo"] == env["y"] * (env["b_hi"] + env["lo"]) - env["nd"] * step,
              "power: v_hi + v_lo is not y (b_hi + lo) - nd (step_hi + step_lo) with its "
              "roundings removed")


def bit_level_checks(tb, scalars, arrays, margin, N):
    """The bit-level steps, evaluated on every case they distinguish."""
    import math
    tables = dict(scalars)
    tables.update(margin)
    lookups = {"log": [tuple(arrays["log_rows"][4 * i:4 * i + 3]) for i in range(16)],
               "exp": [tuple(arrays["exp_rows"][2 * j:2 * j + 2]) for j in range(16)]}
    log_bits = COVERED.add(slice_steps(pow_kernel.LOGARITHM, *LOG_BITS))
    z_offset = tb["z_offset"]
    count = 0
    # x = 2^k z, z in interval i: both ends of every interval, for every k of a normal x.
    for k in range(-1022, 1025):
        for i in range(16):
            for zb in (z_offset + (i << 48), z_offset + ((i + 1) << 48) - 1):
                xb = zb + (k << 52)
                exponent = xb >> 52
                env = kernel_ops.evaluate(log_bits, {"x": kernel_ops.from_bits(xb)},
                                          tables, lookups)
                normal = 1 <= exponent <= 2046
                check(bool(env["usable"]) == normal, f"usable for x bits {xb:#x}")
                if not normal:
                    continue
                count += 1
                check(kernel_ops.signed(env["k"]) == k and env["kd"] == k
                      and env["z"] == kernel_ops.from_bits(zb)
                      and (env["c"], env["log_c_hi"], env["log_c_lo"]) == lookups["log"][i],
                      f"k, z and the log table row for x bits {xb:#x}")
    for x in (0.0, -0.0, 5e-324, 2.225073858507201e-308, -1.0, math.inf, -math.inf, math.nan,
              -math.nan, 1.7976931348623157e308):
        env = kernel_ops.evaluate(log_bits, {"x": x}, tables, lookups)
        check(bool(env["usable"]) == (x == 1.7976931348623157e308), f"usable for x = {x!r}")
    env = kernel_ops.evaluate(log_bits, {"x": 2.2250738585072014e-308}, tables, lookups)
    check(env["usable"], "the smallest normal x is taken")
    # n, nd and the table row 2^(j/16), j = n mod 16, for every value of round_shift that a
    # |yh| <= t_max can give (see reduction_checks).
    pw = pow_kernel.POWER
    shift = COVERED.add(slice_steps(pw, ["n", "nd", "s_hi", "s_lo"], ["round_shift"]))
    rs_step = pw.step("round_shift")
    base = kernel_ops.constant(rs_step.args[2], tables)
    for n in range(-N, N + 1):
        env = kernel_ops.evaluate(shift, {"round_shift": base + n}, tables, lookups)
        check(kernel_ops.signed(env["n"]) == n and env["nd"] == n
              and (env["s_hi"], env["s_lo"]) == lookups["exp"][n & 15], f"n = {n}")
    # ulp(f_hi), the mantissa bits and f_hi 2^m (m = floor(n/16)) for f_hi in [1/2, 4), at
    # both ends of each binade (the exponent field is the same across one), for every m.
    ulp = COVERED.add(slice_steps(pw, ["ulp"], ["f_hi"]))
    scale = COVERED.add(slice_steps(pw, ["value"], ["n", "f_hi"]))
    m_lo, m_hi = (-N) >> 4, N >> 4
    for f in (0.5, 0.9999999999999999, 1.0, 1.9999999999999998, 2.0, 3.9999999999999996):
        env = kernel_ops.evaluate(ulp, {"f_hi": f}, tables, lookups)
        check(env["ulp"] == math.ulp(f), f"ulp({f!r})")
        for m in range(m_lo, m_hi + 1):
            for j in (0, 15):
                n = 16 * m + j
                env = kernel_ops.evaluate(scale, {"n": n & kernel_ops.M64, "f_hi": f}, tables,
                                          lookups)
                check(env["value"] == math.ldexp(f, m), f"f_hi 2^m for f_hi {f!r}, n {n}")
    return count


def certificate_logic(tb, margin):
    """What the certificate's mask requires, read from the description: `fine` must imply
    |f_lo| <= B(|y|, |yh|) ulp(f_hi) with B floating-point arithmetic of |y| and |yh|, |yh| <=
    T, |v_hi| <= V, f_hi not a power of two, and the logarithm's `usable`. Returns T, V, the
    affine form 1/2 - B's ideal (floor, per |y|, per |yh|) and B's rounding error."""
    pw = pow_kernel.POWER
    tables = dict(tb)
    tables.update({k: Q(v) for k, v in margin.items()})
    ftables = {k: float(v) if isinstance(v, Q) else v for k, v in tables.items()}
    atoms, stack = [], ["fine"]
    while stack:
        name = stack.pop()
        if name in pw.prologue_names():
            atoms.append(("input", name))
            continue
        st = pw.step(name)
        COVERED.add([st])
        if st.op == "all_of":
            stack += list(st.args)
        else:
            check(st.op in kernel_ops.MASK_OPS, f"fine: {st.op} -> {name} is not a lane test")
            atoms.append(st)

    def is_abs_of(a, what):
        if not kernel_ops.is_name(a) or a in pw.prologue_names() or a == "y":
            return False
        st = pw.step(a)
        return st.op == "abs" and st.args[0] == what and bool(COVERED.add([st]))

    def const_of(a):
        check(not kernel_ops.is_name(a), f"the certificate compares with {a}, not a constant")
        return Q(kernel_ops.constant(a, tables))

    found = {}
    for at in atoms:
        if at == ("input", "usable"):
            found["usable"] = True
        elif isinstance(at, tuple):
            continue
        elif at.op == "at_most" and is_abs_of(at.args[0], "yh"):
            found["t"] = const_of(at.args[1])
        elif at.op == "at_most" and is_abs_of(at.args[0], "v_hi"):
            found["v"] = const_of(at.args[1])
        elif at.op == "any_bits" and at.args[1] == (1 << 52) - 1 and kernel_ops.is_name(
                at.args[0]) and pw.step(at.args[0]).key() == ((at.args[0],), "to_bits", ("f_hi",)):
            COVERED.add([pw.step(at.args[0])])
            found["not_power_of_two"] = True
        elif at.op == "at_most" and is_abs_of(at.args[0], "f_lo"):
            prod = pw.step(at.args[1])
            check(prod.op == "mul", "the certificate's bound is not a product by the ulp")
            ulp_side = [a for a in prod.args if kernel_ops.is_name(a)
                        and slice_steps(pw, [a], ["f_hi"], strict=False) is not None]
            check(len(ulp_side) == 1 and ulp_side[0] == "ulp",
                  "the certificate's bound is not B times ulp(f_hi)")
            other = [a for a in prod.args if a != "ulp"][0]
            cert = COVERED.add(float_steps(pw, [other], ["abs_y", "abs_yh"]) + [prod])
            check(is_abs_of("abs_y", "y") and is_abs_of("abs_yh", "yh"),
                  "the certificate's bound is not a function of |y| and |yh|")
            found["bound"] = (other, cert[:-1])
        # any other test only refuses more lanes
    for need, what in (("usable", "x is taken by the logarithm"), ("t", "|yh| <= t_max"),
                       ("v", "|v_hi| <= v_max"), ("not_power_of_two", "f_hi is no power of two"),
                       ("bound", "|f_lo| <= (1/2 - mu) ulp(f_hi)")):
        check(need in found, f"the certificate does not require {what}")
    other, cert = found["bound"]
    check(found["t"] > 0, "t_max > 0")

    def at(y, t):
        return kernel_ops.ideal(cert, {"abs_y": Q(y), "abs_yh": Q(t)}, ftables, lambda q: q)[other]

    floor = Q(1, 2) - at(0, 0)
    per_y, per_t = at(0, 0) - at(1, 0), at(0, 0) - at(0, 1)
    check(at(Q(3, 7), Q(5, 11)) == Q(1, 2) - floor - Q(3, 7) * per_y - Q(5, 11) * per_t,
          "the certificate's bound is not affine in |y| and |yh|")
    check(per_y > 0 and per_t >= 0, "the certificate's margin grows with |y| and |yh|")
    y_max = (Q(1, 2) - floor) / per_y  # beyond it the bound is negative: nothing passes
    env = abstract(cert, {"abs_y": V(0, y_max, 0, TWO**-1074),
                          "abs_yh": V(0, found["t"], 0, TWO**-1074)}, ftables)
    return found["t"], found["v"], (floor, per_y, per_t), env[other].err, y_max


def reduction_checks(tb, t_max, lo_max, b_max, N, y_max, step_err):
    """The exponential's argument reduction, from y, b_hi and lo to v_hi + v_lo, evaluated on
    intervals from the description. Cases on the value of round_shift, base + n (the fma that
    rounds yh to a multiple n of ln2/16): each holds exactly the yh whose fma rounds to it, and
    there the steps from yh, ye and round_shift to u_hi and g are evaluated. Then, over pieces
    of |y| (with every n that |yh| <= |y| max|b_hi| reaches), the rest to v_hi + v_lo. Returns
    the bound on |v_hi + v_lo - (y (b_hi + lo) - n ln2/16)|, constant and per |y|."""
    pw = pow_kernel.POWER
    steps = COVERED.add(float_steps(pw, *REDUCTION))
    rs = pw.step("round_shift")
    check(rs.op == "fma" and rs.args[0] == "yh" and not any(map(kernel_ops.is_name, rs.args[1:])),
          "round_shift is an fma of yh and two constants")
    K, B = (Q(kernel_ops.constant(a, tb)) for a in rs.args[1:])
    check(K > 0, "round_shift grows with yh")
    per_n = float_steps(pw, ["u_hi", "g"], ["yh", "ye", "round_shift"])
    rest = float_steps(pw, ["v_hi", "v_lo"], ["y", "lo", "u_hi", "g"])
    check({id(s) for s in steps} == {id(s) for s in per_n + rest + [rs, pw.step("yh")]},
          "the reduction is yh, ye, round_shift, then the steps to u_hi and g, then the rest")
    u_mag, g_mag, g_err, ug_err = [], [], [], []  # by |n|
    for n in range(0, N + 1):
        um = gm = ge = ue = Q(0)
        for sgn in ((1, -1) if n else (1,)):
            w = B + sgn * n  # a double on the grid of 1: RN of the fma is w exactly where
            check(TWO**52 <= w - 1 and w + 1 < TWO**53, "round_shift on the grid of 1")
            lo_yh, hi_yh = (w - Q(1, 2) - B) / K, (w + Q(1, 2) - B) / K  # the fma is within 1/2
            yh = V(double_above(lo_yh), double_below(hi_yh))  # the doubles in between
            r = rounding_bound(yh.mag())
            ye = V(-r, r, TWO**-1074, TWO**-1074)  # the exact product's remainder (rounded
            # where it underflows)
            env = abstract(per_n, {"yh": yh, "ye": ye, "round_shift": const(w)}, tb)
            um = max(um, env["u_hi"].mag())
            ue = max(ue, env["u_hi"].err)
            gm, ge = max(gm, env["g"].mag()), max(ge, env["g"].err)
        u_mag.append(um), g_mag.append(gm), g_err.append(ge), ug_err.append(ue)
    check((N + Q(1, 2)) / K >= t_max, "the cases cover |yh| <= t_max")
    for k in range(1, N + 1):  # the largest over |n| <= k
        u_mag[k], g_mag[k] = max(u_mag[k], u_mag[k - 1]), max(g_mag[k], g_mag[k - 1])
        g_err[k], ug_err[k] = max(g_err[k], g_err[k - 1]), max(ug_err[k], ug_err[k - 1])
    yh_step = pw.step("yh")

    def piece(y_hi):
        """The bound for |y| <= y_hi."""
        reach = y_hi * b_max * (1 + 2 * U)
        k = min(N, int(reach * K + Q(1, 2)))  # |n| <= round(|yh| K)
        y = V(-y_hi, y_hi, 0, TWO**-1074)
        env = abstract([yh_step], {"y": y, "b_hi": V(-b_max, b_max, 0, TWO**-1074)}, tb)
        env = abstract(rest, {"y": y, "lo": V(-lo_max, lo_max, 0, TWO**-1074),
                              "u_hi": V(-u_mag[k], u_mag[k], ug_err[k], TWO**-1074),
                              "g": V(-g_mag[k], g_mag[k], g_err[k] + env["ye"].err, TWO**-1074)},
                       tb)
        return env["v_hi"].err + env["v_lo"].err + k * step_err, k

    xi_c, _ = piece(TWO**-70)
    xi_y = Q(0)
    for ex in range(-70, floor_log2(y_max) + 1):
        for i in range(8):  # pieces of an eighth of a binade
            lo_y, hi_y = TWO**ex * (1 + Q(i, 8)), TWO**ex * (1 + Q(i + 1, 8))
            if lo_y <= y_max:
                xi_y = max(xi_y, (piece(hi_y)[0] - xi_c) / lo_y)
    return xi_c, xi_y, max(u_mag)


def tables_for_gappa(scalars, margin):
    tables = dict(scalars)
    tables.update(margin)
    return tables


def gappa_check(tables, arrays, tb, r_lo_err):
    """Gappa's bound on the rounding error of r_lo (the exponential's polynomial and
    reconstruction, from the description's steps), per table entry, against this script's."""
    import gappa_pow
    ec = [tb[f"e{n}"] for n in range(2, 8)]
    v_max = tb["v_max"]
    vl_max = rounding_bound(v_max) + 3 * U * v_max
    scripts = [gappa_pow.exp_script(j, tables, Q(arrays["exp_hi"][j]), Q(arrays["exp_lo"][j]),
                                    v_max, vl_max, ec) for j in range(16)]
    bounds = gappa_pow.run(scripts)
    worst = Q(0)
    for j, b in enumerate(bounds):
        check(b is not None, f"Gappa proves no bound for the exponential at j = {j}")
        worst = max(worst, b / r_lo_err[j])
        check(b <= Q(3, 2) * r_lo_err[j], f"Gappa's bound at j = {j}, 2^{log2f(b):.3f}, "
              f"against 2^{log2f(r_lo_err[j]):.3f} here")
    print(f"Gappa: the exponential's r_lo from the description, every j, to at most "
          f"{float(worst):.3f} times the bound found here (largest 2^{log2f(max(bounds)):.3f})")


def gappa_log_check(tables, arrays, tb, lo_err, steps):
    """Gappa's bound on the rounding error of the logarithm's lo (from z c, with the exact
    pairs' low parts standing for themselves), per table row over every k, against this
    script's, row by row."""
    import gappa_pow
    z_offset = tb["z_offset"]
    scripts = []
    for i in range(16):
        z_lo = bits_to_q(z_offset + (i << 48))
        z_hi = bits_to_q(z_offset + ((i + 1) << 48) - 1)
        scripts.append(gappa_pow.log_script(i, tables, z_lo, z_hi, Q(arrays["log_c"][i]),
                                            Q(arrays["log_hi"][i]), Q(arrays["log_lo"][i]),
                                            steps))
    bounds = gappa_pow.run(scripts, goal="lo - Mlo")
    for i, b in enumerate(bounds):
        check(b is not None, f"Gappa proves no bound for the logarithm at i = {i}")
        check(b <= Q(3, 2) * lo_err[i], f"Gappa's bound for the logarithm at i = {i}, "
              f"2^{log2f(b):.3f}, against 2^{log2f(lo_err[i]):.3f} here")
    ratio = max(b / e for b, e in zip(bounds, lo_err))
    within = sum(b <= max(lo_err) for b in bounds)
    print(f"Gappa: the logarithm's lo from the description, every i and k, to at most "
          f"{float(ratio):.3f} times the bound found here\n  (largest 2^{log2f(max(bounds)):.3f}; "
          f"{within} of 16 rows within the 2^{log2f(max(lo_err)):.3f} the margin uses)")


# ---------------------------------------------------------------------------------------------
# The proof.

def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    scalars, arrays = parse_tables(os.path.join(root, "src/math/pow_tables.hpp"))
    margin = parse_margin()
    tb = {k: Q(v) if isinstance(v, float) else v for k, v in scalars.items()}
    log_bits, exp_bits, z_offset = tb["log_bits"], tb["exp_bits"], tb["z_offset"]
    check(log_bits == 4 and exp_bits == 4, "the kernel looks tables up by 4 bits")
    log_c = [Q(v) for v in arrays["log_c"]]
    log_hi = [Q(v) for v in arrays["log_hi"]]
    log_lo = [Q(v) for v in arrays["log_lo"]]
    exp_hi = [Q(v) for v in arrays["exp_hi"]]
    exp_lo = [Q(v) for v in arrays["exp_lo"]]
    rows = arrays["log_rows"]
    for i in range(16):
        check(rows[4 * i:4 * i + 3] == [arrays["log_c"][i], arrays["log_hi"][i], arrays["log_lo"][i]],
              f"log_rows row {i} differs from the columns")
        check(arrays["exp_rows"][2 * i:2 * i + 2] == [arrays["exp_hi"][i], arrays["exp_lo"][i]],
              f"exp_rows row {i} differs from the columns")
    lc = [tb[f"l{n}"] for n in range(3, 12)]
    ec = [tb[f"e{n}"] for n in range(2, 2 + sum(1 for k in tb if re.fullmatch(r"e\d+", k)))]
    check(len(lc) == 9 and len(ec) == 6,
          "the kernel's polynomial degrees (11 for log1p, 7 for exp)")
    ln2_hi, ln2_lo = tb["ln2_hi"], tb["ln2_lo"]
    for kernel in pow_kernel.KERNELS:
        check(list(kernel.returns) == RETURNS[kernel.name], f"{kernel.name} returns")
    identity_checks(tb, lc, ec, ln2_hi, ln2_lo)
    print("Description: the logarithm's, the reduction's and the exponential's arithmetic, its\n"
          "  roundings removed, is the formula analysed (exact identity at random points)")
    inv_step, step_hi, step_lo = tb["inv_step"], tb["step_hi"], tb["step_lo"]

    terms = {}  # name -> bound, for the report

    def report(name, value):
        terms[name] = value
        print(f"  {name:<58} 2^{log2f(value):8.3f}")

    # --- Constants, rigorously -------------------------------------------------------------
    ln2 = iv.log(2)
    ln2_err = interval_max_abs(ln2 - iv_of(ln2_hi) - iv_of(ln2_lo))
    step_err = interval_max_abs(ln2 / 16 - iv_of(step_hi) - iv_of(step_lo))
    inv_err = interval_max_abs(1 / iv_of(inv_step) - ln2 / 16)  # |1/inv_step - ln2/16|
    log_table_err = [interval_max_abs(-iv.log(iv_of(log_c[i])) - iv_of(log_hi[i]) - iv_of(log_lo[i]))
                     for i in range(16)]
    exp_table_rel = []
    for j in range(16):
        s = exp_hi[j] + exp_lo[j]
        check(s >= 1, "2^(j/16) >= 1")
        # s^16 - a^16 = (s - a)(s^15 + s^14 a + ... + a^15), a = 2^(j/16): with both above
        # m = s (1 - 2^-40), |s - a| / a <= |s^16 - 2^j| / (16 m^16).
        d = abs(s**16 - TWO**j)
        check(d / 16 <= s * TWO**-41, "2^(j/16) table near 2^(j/16)")
        m = s * (1 - TWO**-40)
        exp_table_rel.append(d / (16 * m**16))
    print("Tables and constants:")
    report("|ln2 - ln2_hi - ln2_lo|", ln2_err)
    report("max_i |-log c_i - log_hi_i - log_lo_i|", max(log_table_err))
    report("max_j |exp_hi_j + exp_lo_j - 2^(j/16)| / 2^(j/16)", max(exp_table_rel))
    report("|ln2/16 - step_hi - step_lo|", step_err)

    # --- The log: x = 2^k z, z in [z_lo, z_top] of interval i ---------------------------------
    K_MIN, K_MAX = -1022, 1024  # normal positive x; the certificate refuses the others
    # kd * ln2_hi exact for |k| <= 1024 and on the grid of ln2_hi's lowest bit; log_hi on it too.
    grid = lowest_bit(ln2_hi)
    check(significant_bits(ln2_hi) + 11 <= 53, "k * ln2_hi is exact")
    check(all(h % grid == 0 for h in log_hi), "log_hi on ln2_hi's grid")
    check(max(abs(K_MIN), K_MAX) * ln2_hi + max(abs(h) for h in log_hi) < TWO**53 * grid,
          "k ln2_hi + log_hi is exact")

    one = None
    pieces = []  # (i, c, rl_bound, rh_lo, rh_hi)
    r_min = r_max = Q(0)
    for i in range(16):
        z_lo = bits_to_q(z_offset + (i << 48))
        z_top = bits_to_q(z_offset + ((i + 1) << 48) - 1)
        c = log_c[i]
        zc_lo, zc_hi = rn(z_lo * c), rn(z_top * c)  # RN is monotonic
        check(Q(1, 2) <= zc_lo and zc_hi <= 2, "zc - 1 is exact (Sterbenz)")
        rh_lo, rh_hi = zc_lo - 1, zc_hi - 1
        r_min, r_max = min(r_min, rh_lo), max(r_max, rh_hi)
        rl_bound = Q(0) if c == 1 else rounding_bound(zc_hi)
        if c == 1:
            check(one is None and z_lo <= 1 <= z_top, "one interval around 1 has c = 1")
            one = i
            # r = z - 1 exactly, a multiple of 2^-53 (z >= 1/2): 0 or at least 2^-53 in size.
            pieces.append((i, c, rl_bound, Q(0), Q(0)))
            for sign in (1, -1):
                for e in range(5, 54):
                    a, b = TWO**-(e + 1), TWO**-e
                    lo, hi = (a, b) if sign > 0 else (-b, -a)
                    lo, hi = max(lo, rh_lo), min(hi, rh_hi)
                    if lo <= hi:
                        pieces.append((i, c, rl_bound, lo, hi))
        else:
            for p in range(32):
                pieces.append((i, c, rl_bound, rh_lo + (rh_hi - rh_lo) * p / 32,
                               rh_lo + (rh_hi - rh_lo) * (p + 1) / 32))
    check(one is not None, "an interval with c = 1")
    check(max(-r_min, r_max) <= Q(1, 32), "|r| <= 2^-5")

    log_poly_err, _ = polynomial_bounds(lc, r_min, r_max, ec, Q(1, 32))  # exp part redone below

    k_classes = [(0, 0), (1, K_MAX), (K_MIN, -1)]
    log_steps = COVERED.add(float_steps(pow_kernel.LOGARITHM, *LOG_ARITHMETIC))
    worst = {"eval": Q(0), "model": Q(0), "total": Q(0)}
    lo_max = b_max = Q(0)
    lo_err_i = [Q(0)] * 16  # per table row, for the comparison with Gappa
    parts = {"poly_eval": Q(0), "cube_p": Q(0), "low_sum": Q(0), "last": Q(0)}
    for (i, c, rl_bound, a, b) in pieces:
        # z such that RN(z c) - 1 covers [a, b]; z >= 1/2 is a double, on its binade's grid.
        z_lo, z_hi = (1 + a) / c, (1 + b) / c
        if c != 1:
            z_lo, z_hi = z_lo * (1 - 2 * U), z_hi * (1 + 2 * U)
        for (k_lo, k_hi) in k_classes:
            env = abstract(log_steps, {
                "z": V(z_lo, z_hi, 0, TWO ** (floor_log2(z_lo) - 52)),
                "c": const(c), "log_c_hi": const(log_hi[i]), "log_c_lo": const(log_lo[i]),
                "kd": V(k_lo, k_hi, 0, 1)}, tb)
            rh, p, lo = env["rh"], env["p"], env["lo"]
            check(rh.err == 0 and env["rl"].mag() <= rl_bound, f"z c = rh + rl exactly at {i}")
            check(env["b_hi"].err == 0, f"b_hi exact at {i}")
            cube = env["cube"]
            parts["poly_eval"] = max(parts["poly_eval"], p.err)
            parts["cube_p"] = max(parts["cube_p"], _product_err(cube, p))
            parts["low_sum"] = max(parts["low_sum"], env["low"].err)
            parts["last"] = max(parts["last"], lo.err - _product_err(cube, p) - env["low"].err)
            # b_hi + the ideal lo = k (ln2_hi + ln2_lo) + log_hi + log_lo + rh - rh^2/2 + rh^3 P(rh)
            #   + rl (1 - rh + rh^2) (checked on the description by log_identity below);
            # log x = k ln2 - log c + log1p(rh) + log1p(rl/(1+rh)).
            rmag = rh.mag()
            u = rl_bound / (1 - rmag)
            model = (max(abs(k_lo), abs(k_hi)) * ln2_err + log_table_err[i] + log_poly_err
                     + rl_bound * rmag**3 / (1 - rmag) + u * u)
            worst["eval"] = max(worst["eval"], lo.err)
            lo_err_i[i] = max(lo_err_i[i], lo.err)
            worst["model"] = max(worst["model"], model)
            worst["total"] = max(worst["total"], lo.err + model)
            lo_max = max(lo_max, lo.mag())
            b_max = max(b_max, env["b_hi"].mag())
    print("Log, x = 2^k z, log x = b_hi + lo:")
    report("log1p polynomial, max |P(r) - log1p(r)| (Sollya)", log_poly_err)
    report("  (its evaluation alone, P by Estrin)", parts["poly_eval"])
    report("  (rh^3 P: P's error, sq's and sq rh's roundings)", parts["cube_p"])
    report("  (the sum of the low parts, its roundings)", parts["low_sum"])
    report("  (lo's last rounding)", parts["last"])
    report("evaluation of lo, all roundings", worst["eval"])
    report("tables, polynomial and dropped terms", worst["model"])
    report("A = |b_hi + lo - log x|, over all k and intervals", worst["total"])
    report("max |lo|", lo_max)
    A = worst["total"]

    # --- t = y log x = yh + ye + y lo + y (log x - b_hi - lo) --------------------------------
    # yh + ye = y b_hi (exact product; below 2^-1022 the remainder rounds, by 2^-1075 at most),
    # |ye| <= u |yh|: the error of t = yh + ye + y lo is |y| A (+ 2^-1074); y lo is not rounded
    # on its own but in w2 below.
    A_y = A  # per |y|
    B_t = Q(0)  # per |yh|
    T_abs = TWO**-1070
    print("t = y log x = yh + ye + y lo: its error <= |y| A + 2^-1070")
    # --- The exp: t = n ln2/16 + v ------------------------------------------------------------
    T_MAX, V_MAX, (mu_floor, mu_per_y, mu_per_t), cert_err, y_max = certificate_logic(tb, margin)
    N = int(T_MAX * inv_step + Q(1, 2))
    xs = bit_level_checks(tb, scalars, arrays, margin, N)
    print(f"Bit-level steps: k, z, the table rows and `usable` at both ends of every interval for "
          f"every k\n  ({xs} normal x), n, j and m for every |n| <= {N}, ulp(f_hi) and f_hi 2^m "
          "on [1/2, 4)")
    m_min, m_max = (-N) >> 4, N >> 4
    # f_hi 2^m by adding m to f_hi's exponent field: f_hi lies in [1/2, 4) (below), so the
    # result is a normal double for -1021 <= m <= 1021.
    check(m_min >= -1021 and m_max <= 1021, "f_hi 2^m is a normal double")
    xi_c, xi_y, u_max = reduction_checks(tb, T_MAX, lo_max, b_max, N, y_max, step_err)
    xi_t = Q(0)  # |yh| <= |y| max|b_hi|: the reduction's terms in |yh| are counted per |y|
    v_hi_max = V_MAX
    _, exp_poly_err = polynomial_bounds(lc, r_min, r_max, ec, v_hi_max)
    print("Exp, e^t = 2^(n/16) e^v, |v_hi| <= v_max (checked by the certificate):")
    report("|v_hi| bound", v_hi_max)
    report("reduction, |v_hi + v_lo - (t - n ln2/16)|, constant", xi_c)
    report("  per |y|", xi_y)
    report("  per |yh|", xi_t)
    report("exp polynomial, max |E(v)/e^v - 1| (Sollya)", exp_poly_err)
    worst_e = {"eval": Q(0), "model": Q(0), "total": Q(0)}
    e_eval = q_eval = v2_err = Q(0)
    PIECES = 64
    exp_steps = COVERED.add(float_steps(pow_kernel.POWER, *EXP_ARITHMETIC))
    r_lo_err = [Q(0)] * 16  # per j, for the comparison with Gappa
    for j in range(16):
        s_hi, s_lo = exp_hi[j], exp_lo[j]
        eta = exp_table_rel[j]
        for p in range(PIECES):
            a = -v_hi_max + 2 * v_hi_max * p / PIECES
            b = -v_hi_max + 2 * v_hi_max * (p + 1) / PIECES
            vh = V(a, b)
            vmag = vh.mag()
            # |v_lo| <= ulp(v_hi)/2 where the two-sum is exact; where not, |w2| <= 2 |v_hi| (1 + 2u)
            # (u_hi and w2 have the same sign or |u_hi| < |w2|/2; otherwise Sterbenz makes it
            # exact), so |v_lo| <= ulp(v_hi)/2 + 2^-52 (1 + 2^-48) |v_hi|.
            vl_max = rounding_bound(vmag) + 3 * U * vmag
            env = abstract(exp_steps, {"v_hi": vh, "v_lo": symmetric(vl_max),
                                       "s_hi": const(s_hi), "s_lo": const(s_lo)}, tb)
            E, q, v2 = env["E"], env["q"], env["v2"]
            r_lo_err[j] = max(r_lo_err[j], env["r_lo"].err)
            # f_hi + f_lo = s_hi + s_hi v_hi + r_lo; ideal (s_hi + s_lo)(1 + v_hi) + s_hi q, q's
            # ideal v_hi^2 E(v_hi) + v_lo (1 + v_hi) (checked on the description by
            # exp_identity below), at least f_min (e^v >= 1 - |v|).
            f_min = s_hi * (1 - vmag - vl_max) * (1 - U)
            # (+ |s_lo q|, which r_lo leaves out)
            rel_eval = (env["f_hi"].err + env["f_lo"].err + abs(s_lo) * (q.mag() + q.err)) / f_min
            e_eval = max(e_eval, E.err)
            v2_err = max(v2_err, v2.err)
            q_eval = max(q_eval, q.err)
            # 1 + v_hi + q_ideal - e^(v_hi + v_lo) = e^v_hi eps_p + v_lo (1 + v_hi - e^v_hi)
            #   - e^v_hi (e^v_lo - 1 - v_lo); relative to e^v >= 1 - |v|.
            D = (exp_upper(vmag) * exp_poly_err + vl_max * vmag * vmag * exp_upper(vmag) / 2
                 + exp_upper(vmag) * vl_max * vl_max)
            rel_model = eta + (1 + eta) * D / (1 - vmag - vl_max)
            worst_e["eval"] = max(worst_e["eval"], rel_eval)
            worst_e["model"] = max(worst_e["model"], rel_model)
            worst_e["total"] = max(worst_e["total"], rel_eval + rel_model)
    # f_hi near s_hi e^v_hi: within [1/2, 4) for the exponent-field scaling above.
    check(min(exp_hi) * (1 - 2 * V_MAX) >= Q(1, 2) and max(exp_hi) * (1 + 2 * V_MAX) < 4,
          "f_hi in [1/2, 4)")
    xi_rel = xi_c * (1 + xi_c)  # |e^xi - 1|
    delta_exp = (1 + worst_e["total"]) * (1 + xi_rel) - 1
    report("  (v_hi^2 rounded, absolute)", v2_err)
    report("  (E by Estrin, absolute)", e_eval)
    report("  (q = v^2 E + v_lo (1 + v), absolute)", q_eval)
    report("evaluation of q, r_lo and the sums (relative)", worst_e["eval"])
    report("table, polynomial and dropped terms (relative)", worst_e["model"])
    report("delta_exp = |f_hi + f_lo - e^t| / e^t, less the terms per |y| and |yh|",
           delta_exp)

    # --- Gappa, on the same steps ---------------------------------------------------------------
    gappa_check(tables_for_gappa(scalars, margin), arrays, tb, r_lo_err)
    gappa_log_check(tables_for_gappa(scalars, margin), arrays, tb, lo_err_i, log_steps)

    # --- The margin ---------------------------------------------------------------------------
    check(cert_err <= TWO**-50, "the certificate's bound to 2^-50 ulp")
    print(f"Certificate: its bound is (1/2 - mu) ulp(f_hi) to 2^{log2f(cert_err):.2f} ulp "
          "(2^-50 allowed for in mu_floor)")
    # |f/x^y - 1| <= e^dt (1 + delta_exp) - 1 <= (dt + delta_exp)(1 + 2^-20) for
    # dt, delta_exp <= 2^-21 (larger dt makes mu exceed 1/2: every lane refused); in ULP of f_hi
    # (not a power of two, f <= 2^(e+1)) times 2^53 (1 + 2^-20). glibc's logarithm term takes
    # |t| <= |yh| (1 + 2^-51) + |y| max|lo| (1 + 2^-51) + dt. dt takes the reduction's terms
    # per |y| and per |yh|. The margin is evaluated in double (three roundings of quantities
    # below 1/2, and an exact product by the ulp): 2^-50 of spare in the floor covers them.
    grow = (1 + TWO**-20) ** 2 * (1 + TWO**-40)
    need_floor = Q(2, 100) + TWO**53 * delta_exp * grow + TWO**53 * T_abs * grow + TWO**-50
    need_per_y = (TWO**53 * (A_y + xi_y) * grow
                  + Q(3, 2) * TWO**-15 * lo_max * (1 + TWO**-51))
    need_per_t = Q(3, 2) * TWO**-15 * (1 + TWO**-51) + TWO**53 * (B_t + xi_t) * grow
    # glibc's logarithm term on dt: 1.5 2^-15 dt, below 2^-60 of 2^53 dt, in `grow`.
    check(delta_exp < TWO**-21, "delta_exp small")
    print("Margin, mu = mu_floor + |y| mu_per_y + |yh| mu_per_t, in ULP:")
    for name, need in (("mu_floor", need_floor), ("mu_per_y", need_per_y), ("mu_per_t", need_per_t)):
        have = {"mu_floor": mu_floor, "mu_per_y": mu_per_y, "mu_per_t": mu_per_t}[name]
        status = "ok" if have >= need else "TOO SMALL"
        print(f"  {name}: needed {float(need):.9g} (2^{log2f(need):.4f}), "
              f"description {float(have):.9g} (2^{log2f(have):.4f})  {status}")
        check(have >= need, f"{name} in the description is below the proven bound")
    print(f"  kernel's own floor term 2^53 delta_exp = {float(TWO**53 * delta_exp):.6g} ULP "
          f"= 2^{log2f(TWO**53 * delta_exp):.3f}")
    print("Relied on, not proven here: glibc's pow (2.28 and later, its build without FMA) is "
          "within\n  0.511 ULP + |y ln x| 1.5 2^-68 2^53 ULP of x^y (0.011 ULP beyond 1/2 from its "
          "exponential,\n  relative error 1.5 2^-68 of its logarithm): its authors' error "
          "analysis, in the comments\n  of sysdeps/ieee754/dbl-64/e_pow.c. The margin's 0.02 and "
          "1.5 2^-15 per |yh| are those figures.")
    COVERED.check()
    print("Every step of the description is among those evaluated above.")
    print("All bounds hold.")


if __name__ == "__main__":
    main()
