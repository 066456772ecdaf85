#!/usr/bin/env python3
"""Gappa scripts for the vector pow kernel, generated from its description
(tools/proof/pow_kernel.py): one per entry of the exponential's table, for the steps from
v_hi^2 to f_hi + f_lo, with v_hi's range as Gappa's bisection hint, and one per row of the
logarithm's table, for the steps from z c to lo over every k, with z's range as the hint.
A pair's low part is the exact expression it stands for; that it is a double (the pairs'
preconditions) is checked by prove_pow.py's interval evaluation, not here.

tools/proof/prove_pow.py writes and runs them (`run`) and compares Gappa's bounds with its own.
"""
import os
import sys
from fractions import Fraction as Q

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kernel_ops  # noqa: E402
import pow_kernel  # noqa: E402


def number(x):
    q = Q(x)
    return f"({q.numerator}/{q.denominator})" if q.denominator != 1 else f"({q.numerator})"


def dyadic(x):
    """x, a dyadic rational, as Gappa writes numbers: m b e = m 2^e."""
    q = Q(x)
    e = -(q.denominator.bit_length() - 1)
    assert q.denominator == 2**-e, x
    return f"{q.numerator}b{e}"


def arg(a, tables):
    if kernel_ops.is_name(a):
        return a
    return number(kernel_ops.constant(a, tables))


def gappa_steps(steps, tables):
    """Each step as Gappa definitions: a rounded result through rnd, an exact low part as the
    exact expression it stands for; and beside each rounded result r its ideal Mr, the same
    expression on the ideal operands (the parts of a pair stand for themselves)."""
    out = []
    ideal = {}

    def m(a):
        return ideal.get(a, a)

    for st in steps:
        if st.op in ("mul", "add", "sub", "fma"):
            a = [m(arg(x, tables)) for x in st.args]
            sym = {"mul": "*", "add": "+", "sub": "-"}.get(st.op)
            expr = f"{a[0]} * {a[1]} + {a[2]}" if st.op == "fma" else f"{a[0]} {sym} {a[1]}"
            out.append(f"M{st.out[0]} = {expr};")
            ideal[st.out[0]] = "M" + st.out[0]
        a = [arg(x, tables) for x in st.args]
        o = st.out
        if st.op == "mul":
            out.append(f"{o[0]} rnd= {a[0]} * {a[1]};")
        elif st.op == "add":
            out.append(f"{o[0]} rnd= {a[0]} + {a[1]};")
        elif st.op == "sub":
            out.append(f"{o[0]} rnd= {a[0]} - {a[1]};")
        elif st.op == "fma":
            out.append(f"{o[0]} rnd= {a[0]} * {a[1]} + {a[2]};")
        elif st.op == "two_prod":
            out += [f"{o[0]} rnd= {a[0]} * {a[1]};", f"{o[1]} = {a[0]} * {a[1]} - {o[0]};"]
        elif st.op == "fast_two_sum":
            out += [f"{o[0]} rnd= {a[0]} + {a[1]};", f"{o[1]} = {a[0]} + {a[1]} - {o[0]};"]
        elif st.op == "fma_split":
            out += [f"{o[0]} rnd= {a[0]} * {a[1]} + {a[2]};",
                    f"{o[1]} = {a[0]} * {a[1]} + {a[2]} - {o[0]};"]
        else:
            raise ValueError(st.op)
    return out


def exp_script(j, tables, s_hi, s_lo, v_max, vl_max, ec):
    steps = [st for st in pow_kernel.POWER.steps]
    first = steps.index(pow_kernel.POWER.step("v2"))
    last = steps.index(pow_kernel.POWER.step("f_hi"))
    body = gappa_steps(steps[first:last + 1], tables)
    poly = number(ec[-1])
    for c in reversed(ec[:-1]):
        poly = f"({number(c)} + v_hi * {poly})"
    lines = ["@rnd = float<ieee_64, ne>;",
             f"s_hi = {number(s_hi)};", f"s_lo = {number(s_lo)};",
             "v_hi = rnd(v_hi_in);", "v_lo = rnd(v_lo_in);"] + body + [
        f"ideal = (s_hi + s_lo) * (1 + v_hi) + s_hi * (v_hi * v_hi * {poly} + v_lo * (1 + v_hi));",
        "{ v_hi_in in " + f"[{dyadic(-v_max)}, {dyadic(v_max)}] /\\ v_lo_in in "
        f"[{dyadic(-vl_max)}, {dyadic(vl_max)}]",
        "  -> r_lo - Mr_lo in ? }",
        "r_lo - Mr_lo $ v_hi_in in 16;"]
    return "\n".join(lines) + "\n"


def log_script(i, tables, z_lo, z_hi, c, log_c_hi, log_c_lo, steps):
    """The logarithm's steps (z c to lo) for the table row i, x = 2^k z with z in [z_lo, z_hi]
    and every k of a normal x, z's range as the bisection hint: a bound on lo - Mlo."""
    body = gappa_steps(steps, tables)
    lines = ["@rnd = float<ieee_64, ne>;",
             f"c = {number(c)};", f"log_c_hi = {number(log_c_hi)};",
             f"log_c_lo = {number(log_c_lo)};",
             "z = rnd(z_in);", "kd = int<ne>(kd_in);"] + body + [
        "{ z_in in " + f"[{dyadic(z_lo)}, {dyadic(z_hi)}] /\\ kd_in in [-1022, 1024]",
        "  -> lo - Mlo in ? }",
        "lo - Mlo $ z_in in 8;"]
    return "\n".join(lines) + "\n"


def run(scripts, workers=2, goal="r_lo - Mr_lo"):
    """Runs Gappa on each script; returns, per script, the bound it proves on |r_lo - Mr_lo|
    (None where it proves none)."""
    import re
    import subprocess
    import tempfile
    from concurrent.futures import ThreadPoolExecutor

    def one(text):
        with tempfile.NamedTemporaryFile("w", suffix=".g", delete=False) as f:
            f.write(text)
            path = f.name
        try:
            out = subprocess.run(["gappa", path], capture_output=True, text=True, timeout=300)
        finally:
            os.unlink(path)
        m = re.search(re.escape(goal) + r" in \[(-?\d+)b(-?\d+) .*?, (-?\d+)b(-?\d+) ",
                      out.stderr + out.stdout)
        if out.returncode or not m:
            return None
        lo = Q(int(m.group(1))) * Q(2) ** int(m.group(2))
        hi = Q(int(m.group(3))) * Q(2) ** int(m.group(4))
        return max(abs(lo), abs(hi))

    with ThreadPoolExecutor(workers) as pool:
        return list(pool.map(one, scripts))


if __name__ == "__main__":
    for j, b in enumerate(run([open(p).read() for p in sys.argv[1:]])):
        print(sys.argv[1 + j], b and float(b))
