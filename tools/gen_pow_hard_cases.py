#!/usr/bin/env python3
"""Write tests/cpp/pow_hard_cases.hpp: (x, y) pairs on which a vector pow is most likely to
differ from the C library's, for tests/cpp/test_pow.cpp.

- near_midpoint: the exact x^y (mpmath, 256 bits) lies within 1e-3 ULP of the midpoint between
  two doubles, or on it; found by random search over the relations' bases and exponents and over
  general pairs, plus squares and cubes built to land exactly on a midpoint;
- exact: x^y is a double (integer powers, square roots of squares, ...);
- edge: the edges of the special-operand ranges (zero, subnormal, huge and non-finite operands,
  results near overflow, underflow and the subnormal boundary, results at powers of two).

The tests compare each pair's result with the library's pow at run time, so the file holds the
operands only. Deterministic for a given seed: python3 tools/gen_pow_hard_cases.py
"""
import math
import random
import struct
import sys

import mpmath
from mpmath import mp, mpf

mp.prec = 256


def bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def midpoint_distance(x, y):
    """Distance in ULP of the exact x^y from the nearest midpoint, or None outside the normal
    range (or for non-positive x)."""
    if not (x > 0 and math.isfinite(x) and math.isfinite(y)):
        return None
    v = mpf(x) ** mpf(y)
    if v < mpf(2) ** -1022 or v >= mpf(2) ** 1024:
        return None
    e = int(mpmath.floor(mpmath.log(v, 2)))
    # guard against log2 landing one off at a power of two
    if v < mpf(2) ** e:
        e -= 1
    if v >= mpf(2) ** (e + 1):
        e += 1
    scaled = v / mpf(2) ** (e - 52)
    frac = scaled - mpmath.floor(scaled)
    return abs(frac - mpf(0.5))


def relation_pair(rng):
    ga = rng.uniform(1.01, 3.0)
    e = rng.choice([
        ga / (1.0 - ga), 1.0 / (1.0 - ga), -(ga + 1.0) / (2.0 * (ga - 1.0)),
        (ga + 1.0) / (2.0 * (ga - 1.0)), (1.0 - ga) / ga, 1.0 - ga, 1.0 / (ga - 1.0),
        ga / (ga - 1.0), -ga / (ga - 1.0)])
    kind = rng.random()
    if kind < 0.5:
        ma = rng.uniform(0.0, 10.0)
        b = 1.0 + ((ga - 1.0) * 0.5) * (ma * ma)
    elif kind < 0.75:
        b = math.exp(rng.uniform(math.log(0.05), math.log(100.0)))
    else:
        b = 1.0 - rng.random()
    return b, e


def general_pair(rng):
    x = math.ldexp(rng.uniform(1.0, 2.0), rng.randint(-1000, 1000))
    y = rng.uniform(-700.0, 700.0) / math.log(x) if x != 1.0 else 1.0
    return x, y


def near_midpoints(rng, wanted, source):
    found = []
    while len(found) < wanted:
        x, y = source(rng)
        d = midpoint_distance(x, y)
        if d is not None and d < mpf("1e-3"):
            found.append((x, y))
    return found


def exact_midpoints(rng, wanted):
    """x with 27 significant bits (odd last bit) and x^2 of 54 bits: exactly a midpoint."""
    found = []
    while len(found) < wanted:
        m = rng.randrange(94906267, 2**27) | 1  # m^2 >= 2^53
        x = math.ldexp(m, rng.randint(-300, 300) - 26)
        assert midpoint_distance(x, 2.0) == 0
        found.append((x, 2.0))
    return found


def exact_powers(rng):
    cases = []
    for _ in range(40):  # integer powers below 2^53
        b = rng.randint(3, 1000)
        top = int(53 / math.log2(b))
        cases.append((float(b), float(rng.randint(1, top))))
    for _ in range(30):  # square roots, 3/2 and negative powers of exact squares
        m = rng.randint(2, 2**20)
        cases.append((float(m * m), 0.5))
        cases.append((float(m * m), 1.5 if m < 2**17 else 0.5))
    for _ in range(20):  # x^1 and x^-1 of powers of two times 3
        x = math.ldexp(3.0, rng.randint(-500, 500))
        cases.append((x, 1.0))
        cases.append((math.ldexp(1.0, rng.randint(-1000, 1000)), -1.0))
    for _ in range(20):  # squares of 26-bit numbers
        m = rng.randrange(2**25, 2**26)
        cases.append((math.ldexp(m, rng.randint(-200, 200)), 2.0))
    for x, y in cases:
        v = mpf(x) ** mpf(y)
        assert v == mpf(float(v)), (x, y)
    return cases


def edge_cases():
    tiny = 2.0 ** -1022
    sub = 2.0 ** -1074
    big = sys.float_info.max
    inf = math.inf
    nan = math.nan
    xs = [0.0, -0.0, -1.0, -2.5, sub, 2.0**-1030, tiny * (1 - 2**-52), tiny, tiny * (1 + 2**-52),
          big, inf, -inf, nan, 1.0, 1.0 + 2**-52, 1.0 - 2**-53, 2.0, 0.5]
    ys = [0.0, -0.0, 1.0, -1.0, 0.5, 2.0, -2.5, 1e-300, -1e-300, 1e300, -1e300, inf, -inf, nan,
          3.0, 1.0 / 3.0]
    cases = [(x, y) for x in xs for y in ys]
    # t = y ln x around the kernel's limit 708, glibc's overflow (709.78) and the ends of the
    # normal (-708.4) and subnormal (-745.1) ranges.
    for base in [1.5, 10.0, 0.3, 1e100, 1e-100, 1.0 + 2**-30]:
        for t in [707.9, 708.0, 708.1, 709.7, 709.78, 709.79, 710.0, -707.9, -708.0, -708.1,
                  -708.39, -708.4, -708.5, -744.4, -745.1, -745.2, -800.0]:
            y = t / math.log(base)
            cases.append((base, y))
            cases.append((base, math.nextafter(y, inf)))
            cases.append((base, math.nextafter(y, -inf)))
    # results at and around powers of two
    for x, y in [(4.0, 0.5), (8.0, 1.0 / 3.0), (2.0 ** (1.0 / 3.0), 3.0), (math.sqrt(2.0), 2.0),
                 (math.sqrt(2.0), -2.0), (2.0, 1023.0), (2.0, -1022.0), (2.0, 1024.0),
                 (2.0, -1074.0), (0.5, 1022.0), (10.0, math.log(2.0) / math.log(10.0)),
                 (16.0, 0.25), (16.0, -0.25), (1.0 + 2**-52, 2.0**52), (1.0 - 2**-53, 2.0**53)]:
        cases.append((x, y))
        cases.append((math.nextafter(x, inf), y))
        cases.append((math.nextafter(x, 0.0), y))
    return cases


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else "tests/cpp/pow_hard_cases.hpp"
    rng = random.Random(20261208)
    near = (near_midpoints(rng, 300, relation_pair) + near_midpoints(rng, 200, general_pair) +
            exact_midpoints(rng, 51))
    exact = exact_powers(rng)
    edge = edge_cases()
    lines = [
        "// Generated by tools/gen_pow_hard_cases.py (mpmath); do not edit by hand.",
        "// Operand bit patterns (x, y) of hard cases for the vector pow.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace pow_hard_cases {",
        "",
        "enum Kind { near_midpoint, exact, edge };",
        "",
        "struct Case {",
        "    std::uint64_t x, y;",
        "    Kind kind;",
        "};",
        "",
        "inline constexpr Case cases[] = {",
    ]
    for kind, group in (("near_midpoint", near), ("exact", exact), ("edge", edge)):
        for x, y in group:
            lines.append(f"    {{0x{bits(x):016x}, 0x{bits(y):016x}, {kind}}},  // {x!r}, {y!r}")
    lines += ["};", "", "}  // namespace pow_hard_cases", ""]
    with open(out_path, "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
