#!/usr/bin/env python3
"""A machine-checked bound on the error of the vector pow kernel (src/math/pow.hpp), and a check
that the kernel's margin covers it.

Run from the repository root (tools/prove_pow.sh does, after installing Sollya):

    python3 tools/proof/prove_pow.py

It reads the tables, constants, coefficients and the exp polynomial's interval v_max from
src/math/pow_tables.hpp and the margin and t_max from src/math/pow.hpp, so it proves the kernel
the code builds, and exits non-zero if a step's precondition or the margin fails.

How it bounds:
- The two polynomials' approximation errors (log1p and exp) with Sollya's `supnorm`, which
  returns a rigorous enclosure of the supremum of the error over an interval.
- The table entries' errors (-log c, 2^(j/16), ln 2, ln 2/16) with mpmath's interval arithmetic,
  and 2^(j/16) also exactly: |s^16 - 2^j| in rationals.
- The evaluation error of each step by forward error analysis in exact rational arithmetic:
  every computed quantity carries an interval that holds its double value and a bound on its
  distance to the ideal quantity it stands for (the same formula in real arithmetic on the exact
  inputs). A rounding to nearest of a result whose magnitude is at most M errs by at most
  2^(max(floor(log2 M), -1022) - 53), which also covers results in the subnormal range. The
  domain is cut into pieces (the reduced argument of the log into 32 pieces per table interval,
  into binades around 0 where c = 1; that of the exp into 64), so that intervals stay tight.
- The steps the kernel takes as exact (exact products by fused multiply-add, two-sums, the
  Sterbenz subtraction, the products and sums on coarse grids) have their preconditions checked
  on the same intervals.
The operations themselves are transcribed below from pow.hpp's `attempt`, in the same order.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
from fractions import Fraction as Q

from mpmath import iv

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


def parse_margin(path):
    """mu_floor, mu_per_t, mu_per_y from pow.hpp: sums and products of literals, evaluated in
    double arithmetic as the compiler does."""
    src = open(path).read()
    out = {}
    for name in ("mu_floor", "mu_per_t", "mu_per_y", "t_max"):
        m = re.search(r"inline constexpr double " + name + r" = ([^;]+);", src)
        check(m is not None, f"{name} not found in pow.hpp")
        expr = m.group(1)
        check(re.fullmatch(r"[0-9a-fA-Fxp.+\-* ()]+", expr) is not None, f"{name}: {expr}")
        py = re.sub(r"0x[0-9a-fA-F.]+p[+-]?\d+", lambda h: repr(float.fromhex(h.group(0))), expr)
        out[name] = float(eval(py, {"__builtins__": {}}))
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
    """A computed quantity: its double lies in [lo, hi] and within err of the ideal one."""

    __slots__ = ("lo", "hi", "err")

    def __init__(self, lo, hi, err=Q(0)):
        self.lo, self.hi, self.err = Q(lo), Q(hi), Q(err)

    def mag(self):
        return max(abs(self.lo), abs(self.hi))


def const(x):
    return V(x, x)


def _rounded(lo, hi, err):
    r = rounding_bound(max(abs(lo), abs(hi)))
    return V(lo - r, hi + r, err + r)


def _product_range(a, b):
    ps = (a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi)
    return min(ps), max(ps)


def _product_err(a, b):
    return a.mag() * b.err + (b.mag() + b.err) * a.err


def add(a, b):
    return _rounded(a.lo + b.lo, a.hi + b.hi, a.err + b.err)


def mul(a, b):
    lo, hi = _product_range(a, b)
    return _rounded(lo, hi, _product_err(a, b))


def square(a):
    lo, hi = _product_range(a, a)
    if a.lo <= 0 <= a.hi:
        lo = Q(0)
    else:
        lo = min(a.lo * a.lo, a.hi * a.hi)
    hi = max(a.lo * a.lo, a.hi * a.hi)
    return _rounded(lo, hi, 2 * a.mag() * a.err + a.err * a.err)


def fma(a, b, c):
    """a * b + c rounded once."""
    lo, hi = _product_range(a, b)
    return _rounded(lo + c.lo, hi + c.hi, _product_err(a, b) + c.err)


def neg(a):
    return V(-a.hi, -a.lo, a.err)


def symmetric(bound):
    return V(-bound, bound)


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
# The proof.

def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    scalars, arrays = parse_tables(os.path.join(root, "src/math/pow_tables.hpp"))
    margin = parse_margin(os.path.join(root, "src/math/pow.hpp"))
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

    ln2_lo_c, k_classes = const(ln2_lo), [(0, 0), (1, K_MAX), (K_MIN, -1)]
    worst = {"eval": Q(0), "model": Q(0), "total": Q(0)}
    lo_max = Q(0)
    parts = {"poly_eval": Q(0)}
    for (i, c, rl_bound, a, b) in pieces:
        rh = V(a, b)
        rl = symmetric(rl_bound)
        # zc + rl = z c exactly (FMA; z and c in [1/2, 2], the remainder a multiple of 2^-106).
        # sq + sq_lo = rh^2 exactly (FMA; rh = zc - 1 is a multiple of 2^-53, so the remainder
        # is one of 2^-106): sq stands for rh^2, sq_lo is the exact remainder.
        sq = square(rh)
        # h_hi + h_lo = rh - rh^2/2 exactly, with m = -rh/2 (exact), h_hi = RN(rh + rh m),
        # d = rh - h_hi and h_lo = RN(rh m + d): rh - rh^2/2 is monotonic for |rh| <= 1, so
        # h_hi lies between its values at the ends; d is exact by Sterbenz (h_hi between rh/2
        # and 2 rh); rh m + d = rh - rh^2/2 - h_hi is the rounding error of h_hi, a multiple of
        # 2^-107 (rh on the grid of 2^-53, m on 2^-54) below 2^-53 |h_hi| <= 2^-58 in size,
        # so it is a double and h_lo is exact.
        rmag0 = max(abs(a), abs(b))
        check(rmag0 <= Q(1, 32), "|rh| <= 2^-5 for h")
        h_lo_hi = rn(a - a * a / 2), rn(b - b * b / 2)
        h_mag = max(abs(h_lo_hi[0]), abs(h_lo_hi[1]))
        check(rounding_bound(max(abs(a - a * a / 2), abs(b - b * b / 2))) <= TWO**-58
              and h_mag <= 2 * rmag0, "h_lo exact")
        h_lo = symmetric(rounding_bound(max(abs(a - a * a / 2), abs(b - b * b / 2))))
        for (k_lo, k_hi) in k_classes:
            kd = V(k_lo, k_hi)
            a_lo, a_hi_ = k_lo * ln2_hi + log_hi[i], k_hi * ln2_hi + log_hi[i]
            a_min = Q(0) if a_lo <= 0 <= a_hi_ else min(abs(a_lo), abs(a_hi_))
            a_mag = max(abs(a_lo), abs(a_hi_))
            # b_hi + b_lo = a_hi + h_hi exactly: |a_hi| >= |h_hi| unless a_hi = 0.
            check((a_lo == 0 == a_hi_) or a_min >= h_mag, f"fast two-sum a_hi, h_hi at {i}, k {k_lo}")
            b_range = (rn(a_lo + h_lo_hi[0]), rn(a_hi_ + h_lo_hi[1]))
            b_min = Q(0) if b_range[0] <= 0 <= b_range[1] else min(abs(b_range[0]), abs(b_range[1]))
            b_mag = max(abs(b_range[0]), abs(b_range[1]))
            b_lo = symmetric(rounding_bound(a_mag + h_mag))
            # P(r) by Estrin's scheme.
            sq2 = mul(sq, sq)
            p03 = fma(sq, fma(rh, const(lc[3]), const(lc[2])), fma(rh, const(lc[1]), const(lc[0])))
            p47 = fma(sq, fma(rh, const(lc[7]), const(lc[6])), fma(rh, const(lc[5]), const(lc[4])))
            p = fma(sq2, fma(sq2, const(lc[8]), p47), p03)
            parts["poly_eval"] = max(parts["poly_eval"], p.err)
            # rl / (1 + rh) to rl (1 - rh + rh^2).
            rl_part = fma(rl, add(sq, neg(rh)), rl)
            kpart = fma(kd, ln2_lo_c, const(log_lo[i]))
            low_sum = add(add(kpart, rl_part), add(h_lo, b_lo))
            cube = mul(sq, rh)
            lo = fma(cube, p, low_sum)
            parts["cube_p"] = max(parts.get("cube_p", Q(0)), _product_err(cube, p))
            parts["low_sum"] = max(parts.get("low_sum", Q(0)), low_sum.err)
            parts["last"] = max(parts.get("last", Q(0)), lo.err - _product_err(cube, p) - low_sum.err)
            # b_hi + the ideal lo = k (ln2_hi + ln2_lo) + log_hi + log_lo + rh - rh^2/2 + rh^3 P(rh)
            #   + rl (1 - rh + rh^2); log x = k ln2 - log c + log1p(rh) + log1p(rl/(1+rh)).
            rmag = max(abs(a), abs(b))
            u = rl_bound / (1 - rmag)
            model = (max(abs(k_lo), abs(k_hi)) * ln2_err + log_table_err[i] + log_poly_err
                     + rl_bound * rmag**3 / (1 - rmag) + u * u)
            worst["eval"] = max(worst["eval"], lo.err)
            worst["model"] = max(worst["model"], model)
            worst["total"] = max(worst["total"], lo.err + model)
            lo_max = max(lo_max, lo.mag())
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
    T_MAX = Q(margin["t_max"])  # the certificate refuses |yh| > t_max
    V_MAX = tb["v_max"]  # and |v_hi| > v_max
    N = int(T_MAX * inv_step + Q(1, 2))
    check(inv_step * TWO**-6 < Q(1, 2), "n = 0 for |yh| < 2^-6")
    check(significant_bits(step_hi) + N.bit_length() <= 53, "n step_hi is exact")
    check(lowest_bit(step_hi) >= TWO**-58, "n step_hi on the grid of 2^-58")
    half_step = 1 / (2 * inv_step)  # |yh - n/inv_step| <= 1/(2 inv_step), exactly
    check(half_step + N * abs(1 / inv_step - step_hi) < TWO**-5,
          "yh - n step_hi exact (below 2^-5 on the grid of 2^-58)")
    check(inv_step * T_MAX < TWO**51, "n = round(yh 16/ln2) by adding 1.5 2^52")
    m_min, m_max = (-N) >> 4, N >> 4
    # f_hi 2^m by adding m to f_hi's exponent field: f_hi lies in [1/2, 4) (below), so the
    # result is a normal double for -1021 <= m <= 1021.
    check(m_min >= -1021 and m_max <= 1021, "f_hi 2^m is a normal double")
    # g = RN(ye - n step_lo), w2 = RN(y lo + g); v_hi + v_lo = u_hi + w2 by a fast two-sum,
    # exact where |u_hi| >= |w2| and otherwise within 2^-53 (1 + 2^-49) |w2| (s = RN(u + w) =
    # u + w + e1, z = RN(s - u) = w + e1 + e2 with |e2| <= 2^-53 |w + e1|, RN(w - z) =
    # -e1 - e2 + e3 with |e3| <= 2^-53 |e1 + e2|: s + e = u + w - e2 + e3). |g| <= 2^-53 |yh| +
    # n |step_lo| (+ 2^-1074) and |w2| <= |y| max|lo| + |g|, each (1 + u) for its rounding, so
    # g's rounding, w2's and the two-sum's add terms per |y|, per |yh| and constant:
    g_t, g_c = U * (1 + U), (N * abs(step_lo) + TWO**-1070) * (1 + U)
    w2_y, w2_t, w2_c = lo_max * (1 + U) ** 2, g_t * (1 + U), g_c * (1 + U)
    two = (2 + TWO**-49) * U  # w2's rounding and the two-sum's
    xi_c = N * step_err + U * g_c + two * w2_c
    xi_y = two * w2_y
    xi_t = U * g_t + two * w2_t
    v_hi_max = V_MAX
    _, exp_poly_err = polynomial_bounds(lc, r_min, r_max, ec, v_hi_max)
    print("Exp, e^t = 2^(n/16) e^v, |v_hi| <= v_max (checked by the certificate):")
    report("|v_hi| bound", v_hi_max)
    report("reduction, |v_hi + v_lo - (t - n ln2/16)|, constant", xi_c)
    report("  per |y|", xi_y)
    report("  per |yh|", xi_t)
    report("exp polynomial, max |E(v)/e^v - 1| (Sollya)", exp_poly_err)
    # The largest |w2| where |v_hi| <= v_max: |v_hi| = |u_hi + w2| (1 + 2^-53) and
    # |u_hi| <= half_step + N |1/inv_step - step_hi|, so |v_lo| stays below
    # 2^-53 |v_hi| + 2^-53 (1 + 2^-49) |w2|; |w2| above is at most v_max + |u_hi| + 2^-50.
    u_max = half_step + N * abs(1 / inv_step - step_hi)
    w2_max = V_MAX * (1 + U) + u_max
    worst_e = {"eval": Q(0), "model": Q(0), "total": Q(0)}
    e_eval = q_eval = v2_err = Q(0)
    PIECES = 64
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
            vl = symmetric(vl_max)
            v2 = square(vh)
            e03 = fma(v2, fma(vh, const(ec[3]), const(ec[2])), fma(vh, const(ec[1]), const(ec[0])))
            e45 = fma(vh, const(ec[5]), const(ec[4]))
            E = fma(mul(v2, v2), e45, e03)
            q = fma(v2, E, fma(vl, vh, vl))
            sv_hi = (rn(s_hi * a), rn(s_hi * b))
            sv_mag = max(abs(sv_hi[0]), abs(sv_hi[1]))
            check(sv_mag <= s_hi, "fast two-sum s_hi, sv_hi")
            sv_lo = symmetric(rounding_bound(s_hi * vmag))
            r_e = symmetric(rounding_bound(s_hi + sv_mag))
            r_lo = fma(const(s_hi), q, add(add(r_e, sv_lo), fma(const(s_lo), vh, const(s_lo))))
            check(r_lo.mag() <= s_hi - sv_mag, "fast two-sum r_hi, r_lo")
            # f = f_hi + f_lo = s_hi + s_hi v_hi + r_lo; ideal (s_hi + s_lo)(1 + v_hi + q), q's
            # ideal v_hi^2 E(v_hi) + v_lo (1 + v_hi).
            f_min = s_hi * (1 - vmag - vl_max) * (1 - U)
            # (+ 2^-1074: s_hi v_hi's remainder where v_hi is so small that it underflows)
            # (+ |s_lo q|, which r_lo leaves out)
            rel_eval = (r_lo.err + TWO**-1074 + abs(s_lo) * (q.mag() + q.err)) / f_min
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

    # --- The margin ---------------------------------------------------------------------------
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
        have = Q(margin[name])
        status = "ok" if have >= need else "TOO SMALL"
        print(f"  {name}: needed {float(need):.9g} (2^{log2f(need):.4f}), "
              f"pow.hpp {float(have):.9g} (2^{log2f(have):.4f})  {status}")
        check(have >= need, f"{name} in pow.hpp is below the proven bound")
    print(f"  kernel's own floor term 2^53 delta_exp = {float(TWO**53 * delta_exp):.6g} ULP "
          f"= 2^{log2f(TWO**53 * delta_exp):.3f}")
    print("All bounds hold.")


if __name__ == "__main__":
    main()
