#!/usr/bin/env python3
"""Write src/math/pow_tables.hpp: the tables, constants and polynomial coefficients of the
vector pow kernel (src/math/pow.hpp), with the polynomials' errors sampled on a grid (the
rigorous bounds are tools/prove_pow.sh's).

Everything is computed with mpmath at 300 bits and rounded to double once. Run it from the
repository root with mpmath installed; the output is deterministic, so

    python3 tools/gen_pow_tables.py && git diff --exit-code src/math/pow_tables.hpp

checks the committed tables.
"""
import struct
import sys

import mpmath
from mpmath import mp, mpf

mp.prec = 300

LOG_BITS = 4  # log table: 2^4 intervals of the reduced argument z in [0x1.68p-1, 0x1.68p0)
EXP_BITS = 4  # exp table: 2^(j/16), j = 0..15
LOG_N = 1 << LOG_BITS
EXP_N = 1 << EXP_BITS
# x = 2^k z with the bit pattern of z at most 2^52 above Z_OFFSET, z in [0x1.68p-1, 0x1.68p0);
# the pattern's top 4 bits below the exponent pick the interval. 1 lies in the middle of
# interval ONE = [1 - 2^-6, 1 + 2^-5), whose c is exactly 1.
Z_OFFSET = 0x3FE6800000000000
ONE = 9
LOG_DEGREE = 11
EXP_DEGREE = 7
# The exp polynomial's interval: |v| <= ln2/32 from the rounding of t 16/ln2, plus the low part of
# t that the kernel adds after rounding (the kernel refuses larger |v|).
V_MAX = float.fromhex("0x1.8p-6")


def bits_to_double(b):
    return struct.unpack("<d", struct.pack("<Q", b))[0]


def rn(v):
    """v rounded to the nearest double."""
    return float(mpf(v))


def split(v):
    """v as a double-double (hi, lo), hi = RN(v), lo = RN(v - hi)."""
    hi = rn(v)
    return hi, rn(mpf(v) - hi)


def truncate_bits(v, bits):
    """v rounded to nearest with `bits` significant bits."""
    m, e = mpmath.frexp(mpf(v))
    scaled = mpmath.nint(m * 2**bits)
    return float(mpmath.ldexp(scaled, e - bits))


def hexd(x):
    return float(x).hex()


def log_table():
    entries = []
    rmax = mpf(0)
    for i in range(LOG_N):
        z_lo = mpf(bits_to_double(Z_OFFSET + (i << (52 - LOG_BITS))))
        z_hi = mpf(bits_to_double(Z_OFFSET + ((i + 1) << (52 - LOG_BITS))))
        assert (i == ONE) == (z_lo < 1 < z_hi)
        # c = 1/centre by one IEEE division (any double would do, r = z c - 1 being computed
        # exactly): the centre's bit pattern lies half an interval above the start's (for ONE,
        # it is 1.0 exactly).
        centre = bits_to_double(Z_OFFSET + (1 << (51 - LOG_BITS)) + (i << (52 - LOG_BITS)))
        c = 1.0 / centre
        assert (c == 1.0) == (i == ONE)
        # hi on the grid of 2^-42, like k * ln2_hi, so that their sum is exact.
        t = -mpmath.log(mpf(c))
        t_hi = float(mpmath.nint(t * 2**42) / 2**42)
        t_lo = rn(t - t_hi)
        r_here = max(abs(z_lo * c - 1), abs(z_hi * c - 1))
        # The kernel adds log1p(r)'s leading part r - r^2/2 to hi with a fast two-sum: |hi| must
        # not be smaller, unless it is 0.
        assert i == ONE or abs(t_hi) >= r_here * (1 + mpf(2) ** -5), i
        rmax = max(rmax, r_here)
        entries.append((c, t_hi, t_lo))
    return entries, rmax


def exp_table():
    return [split(mpf(2) ** (mpf(j) / EXP_N)) for j in range(EXP_N)]


def fit(f, lo, hi, count):
    """`count` coefficients, constant first, of a near-minimax polynomial for f on [lo, hi]
    (Chebyshev interpolation), rounded to doubles."""
    return [rn(c) for c in reversed(mpmath.chebyfit(f, [lo, hi], count))]


def max_error(f, lo, hi, samples=4000):
    """Largest |f| over a dense grid of [lo, hi] and its end points: a guide while fitting, not
    a bound (tools/proof/prove_pow.py bounds the errors over the whole intervals)."""
    worst = mpf(0)
    for k in range(samples + 1):
        v = lo + (hi - lo) * k / samples
        worst = max(worst, abs(f(v)))
    return worst


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else "src/math/pow_tables.hpp"
    ln2 = mpmath.log(2)

    log_entries, rmax = log_table()
    # The most negative r: z at the bottom of the first interval, times its c.
    rmin = -(1 - mpf(bits_to_double(Z_OFFSET)) * mpf(log_entries[0][0]))
    assert -rmin <= rmax

    # log1p(r) = r - r^2/2 + sum_{n=3..LOG_DEGREE} c_n r^n, the c_n fitted over [-rmax, rmax].
    def log_tail(r):
        return mpf(1) / 3 if r == 0 else (mpmath.log1p(r) - r + r * r / 2) / r**3

    log_coeffs = fit(log_tail, -rmax, rmax, LOG_DEGREE - 2)

    def log_poly_error(r):
        p = r - r * r / 2 + sum(mpf(c) * r**n for n, c in zip(range(3, LOG_DEGREE + 1), log_coeffs))
        return p - mpmath.log1p(r)

    log_err = max_error(log_poly_error, -rmax, rmax)

    exp_entries = exp_table()
    vmax = mpf(V_MAX)
    assert vmax > ln2 / (2 * EXP_N) * (1 + mpf(2) ** -30)

    # e^v = 1 + v + sum_{n=2..EXP_DEGREE} d_n v^n, the d_n fitted over [-vmax, vmax].
    def exp_tail(v):
        return mpf(1) / 2 if v == 0 else (mpmath.exp(v) - 1 - v) / v**2

    exp_coeffs = fit(exp_tail, -vmax, vmax, EXP_DEGREE - 1)

    def exp_poly_error(v):
        p = 1 + v + sum(mpf(d) * v**n for n, d in zip(range(2, EXP_DEGREE + 1), exp_coeffs))
        return (p - mpmath.exp(v)) / mpmath.exp(v)

    exp_err = max_error(exp_poly_error, -vmax, vmax)

    ln2_hi = truncate_bits(ln2, 42)  # k*ln2_hi is exact for |k| < 2^11
    ln2_lo = rn(ln2 - ln2_hi)
    step = ln2 / EXP_N
    step_hi = truncate_bits(step, 36)  # n*step_hi is exact for |n| < 2^17
    step_lo = rn(step - step_hi)
    inv_step = rn(EXP_N / ln2)

    def log2_of(v):
        return float(mpmath.log(v, 2))

    lines = []
    w = lines.append
    w("// Generated by tools/gen_pow_tables.py (mpmath, 300 bits); do not edit by hand.")
    w("// Tables, constants and polynomial coefficients of the vector pow kernel in math/pow.hpp.")
    w("#pragma once")
    w("")
    w('#include "math/isa.hpp"')
    w("")
    w("namespace vortalix2::inline VORTALIX2_ISA::math::pow_tables {")
    w("")
    w(f"inline constexpr int log_bits = {LOG_BITS};")
    w(f"inline constexpr int exp_bits = {EXP_BITS};")
    w(f"inline constexpr long long z_offset = 0x{Z_OFFSET:016X}LL;")
    w("")
    w("// Sampled by the generator on a grid (exact arithmetic on the rounded coefficients); the")
    w("// bounds the kernel's margin rests on are proven by tools/prove_pow.sh:")
    w(f"//   |r| <= {mpmath.nstr(rmax, 8)} = 2^{log2_of(rmax):.3f} over the log table's intervals;")
    w(f"//   log polynomial, max |P(r) - log1p(r)| = {mpmath.nstr(log_err, 6)} = 2^{log2_of(log_err):.2f};")
    w(f"//   |v| <= {mpmath.nstr(vmax, 8)} = 2^{log2_of(vmax):.3f} for the exp polynomial;")
    w(f"//   exp polynomial, max |Q(v)/e^v - 1| = {mpmath.nstr(exp_err, 6)} = 2^{log2_of(exp_err):.2f}.")
    w(f"inline constexpr double log_r_max = {hexd(rn(rmax))};")
    w(f"inline constexpr double v_max = {hexd(V_MAX)};  // the exp polynomial's interval")
    w("")
    w(f"inline constexpr double ln2_hi = {hexd(ln2_hi)};  // 42 significant bits")
    w(f"inline constexpr double ln2_lo = {hexd(ln2_lo)};")
    w(f"inline constexpr double inv_step = {hexd(inv_step)};  // {EXP_N}/ln2")
    w(f"inline constexpr double step_hi = {hexd(step_hi)};  // ln2/{EXP_N}, 36 significant bits")
    w(f"inline constexpr double step_lo = {hexd(step_lo)};")
    w("")
    w(f"// log1p(r) = r - r^2/2 + r^3 (l3 + r l4 + ... + r^{LOG_DEGREE - 3} l{LOG_DEGREE}).")
    for n, c in zip(range(3, LOG_DEGREE + 1), log_coeffs):
        w(f"inline constexpr double l{n} = {hexd(c)};")
    w(f"// e^v = 1 + v + v^2 (e2 + v e3 + ... + v^{EXP_DEGREE - 2} e{EXP_DEGREE}).")
    for n, d in zip(range(2, EXP_DEGREE + 1), exp_coeffs):
        w(f"inline constexpr double e{n} = {hexd(d)};")
    w("")
    # Columns of 16 doubles, 64-byte aligned: each is two 512-bit registers, or gathered from.
    def column(name, values, comment):
        w(comment)
        w(f"alignas(64) inline constexpr double {name}[{len(values)}] = {{")
        for a in range(0, len(values), 2):
            w("    " + " ".join(f"{hexd(v)}," for v in values[a:a + 2]))
        w("};")
        w("")

    column("log_c", [e[0] for e in log_entries],
           f"// Per interval i of z: c = 1/centre (1 for the one around 1, i = {ONE}).")
    column("log_hi", [e[1] for e in log_entries],
           "// -log(c) = log_hi + log_lo to 2^-96, log_hi a multiple of 2^-42 with |log_hi| > max |r|\n"
           "// where c != 1.")
    column("log_lo", [e[2] for e in log_entries], "// (see log_hi)")
    column("exp_hi", [e[0] for e in exp_entries],
           f"// Per j: 2^(j/{EXP_N}) = exp_hi + exp_lo to 2^-106.")
    column("exp_lo", [e[1] for e in exp_entries], "// (see exp_hi)")

    # The same values by rows, for lanes that load a row per lane and transpose.
    w("// By rows: {c, log_hi, log_lo, 0} per interval of z, {exp_hi, exp_lo} per j.")
    w(f"alignas(64) inline constexpr double log_rows[{LOG_N} * 4] = {{")
    for c, hi, lo in log_entries:
        w(f"    {hexd(c)}, {hexd(hi)}, {hexd(lo)}, 0.0,")
    w("};")
    w(f"alignas(64) inline constexpr double exp_rows[{EXP_N} * 2] = {{")
    for hi, lo in exp_entries:
        w(f"    {hexd(hi)}, {hexd(lo)},")
    w("};")
    w("")
    w("}  // namespace vortalix2::inline VORTALIX2_ISA::math::pow_tables")
    with open(out_path, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
