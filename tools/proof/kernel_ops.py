"""The vocabulary of straight-line kernels over lanes, and the three things made from a
description written in it: the C++ function (emit), a bit-exact evaluation on doubles
(evaluate, for the proof's enumerations and the tests' generators) and an exact rational
evaluation with every rounding removed (ideal, for the proof's identity checks).

A kernel is a list of steps, each `S(outputs, op, *args)`. An argument is the name of an
earlier output, a table constant `tb.name`, a literal written as a string ("1.0", "0x1.8p52";
"-tb.name" negates a constant) or an int (bit counts and bit patterns).

Floating-point steps (T lanes):
  mul a b, add a b, sub a b         one rounding each
  fma a b c                         a * b + c, rounded once
  abs a                             exact
  two_prod a b -> p e               p = RN(a b), p + e = a b exactly
  fast_two_sum a b -> s e           s = RN(a + b), s + e = a + b exactly where |a| >= |b|
  fma_split a b c -> h l            h = RN(a b + c), l = RN(a b + (c - h)): h + l = a b + c
                                    exactly where c - h and the remainder are doubles
Bit-level steps (Int lanes, wrapping modulo 2^64; shifts are arithmetic):
  to_bits a, from_bits a, isub a b, iadd a b, shr a n, shl a n, and_bits a mask,
  int_to_double a                   for |a| < 2^51
  lookup table a -> outputs         the rows of a 16-entry table, by the low 4 bits of a
Lane masks (bit i for lane i):
  at_most a b                       a <= b (false for NaN)
  below_unsigned a bound            a < bound as unsigned integers
  any_bits a mask                   a & mask != 0
  all_of m1 m2 ...                  and of masks
"""
import re
import struct
from fractions import Fraction as Q

FLOAT_OPS = {"mul", "add", "sub", "fma", "abs", "two_prod", "fast_two_sum", "fma_split",
             "from_bits", "int_to_double"}
INT_OPS = {"to_bits", "isub", "iadd", "shr", "shl", "and_bits"}
MASK_OPS = {"at_most", "below_unsigned", "any_bits", "all_of"}
PAIR_OPS = {"two_prod", "fast_two_sum", "fma_split"}
ARITY = {"mul": 2, "add": 2, "sub": 2, "fma": 3, "abs": 1, "two_prod": 2, "fast_two_sum": 2,
         "fma_split": 3, "from_bits": 1, "int_to_double": 1, "to_bits": 1, "isub": 2,
         "iadd": 2, "shr": 2, "shl": 2, "and_bits": 2, "at_most": 2, "below_unsigned": 2,
         "any_bits": 2, "lookup": 2}


class S:
    """One step: outputs, operation, arguments, and the comment the C++ carries above it."""

    __slots__ = ("out", "op", "args", "note")

    def __init__(self, out, op, *args, note=None):
        self.out = (out,) if isinstance(out, str) else tuple(out)
        self.op, self.args, self.note = op, args, note
        if op != "all_of":
            assert op in ARITY and len(args) == ARITY[op], (op, args)
        assert len(self.out) == (2 if op in PAIR_OPS else len(self.out)), (op, self.out)

    def key(self):
        return (self.out, self.op, self.args)


class Kernel:
    """A C++ function: its signature's text, its steps and its return statement's fields."""

    def __init__(self, name, signature, prologue, steps, returns, lookups):
        self.name, self.signature, self.prologue = name, signature, prologue
        self.steps, self.returns, self.lookups = steps, returns, lookups
        self._check()

    def _check(self):
        defined = set(self.inputs())
        for s in self.steps:
            for a in s.args:
                if isinstance(a, str) and is_name(a) and s.op != "lookup":
                    assert a in defined, f"{self.name}: {a} used before it is defined"
            for o in s.out:
                assert o not in defined, f"{self.name}: {o} defined twice"
                defined.add(o)
        for r in self.returns:
            assert is_name(r) and r in defined or not is_name(r), r

    def inputs(self):
        return [p.split()[-1] for p in re.findall(r"\(([^)]*)\)", self.signature)[0].split(",")
                if p.strip() and "Logarithm" not in p] + list(self.prologue_names())

    def prologue_names(self):
        return re.findall(r"const (?:T|unsigned) (\w+) =", self.prologue)

    def step(self, out):
        for s in self.steps:
            if out in s.out:
                return s
        raise KeyError(out)


def is_name(a):
    return isinstance(a, str) and re.fullmatch(r"[A-Za-z_]\w*", a) is not None


def is_table(a):
    """A constant: tb.name from the tables, kc.name from the kernel's own constants."""
    return isinstance(a, str) and re.fullmatch(r"-?(?:tb|kc)\.\w+", a) is not None


# ---------------------------------------------------------------------------------------------
# C++.

def _cxx_arg(a):
    if isinstance(a, int):
        return str(a)
    if is_table(a):
        return a.replace("tb.", "tb::").replace("kc.", "")
    if is_name(a):
        return a
    return a  # a literal, as written


def _splat(a):
    return _cxx_arg(a) if is_name(a) else f"splat<T>({_cxx_arg(a)})"


def emit_step(s):
    a = s.args
    o = s.out
    c = _cxx_arg
    if s.op in ("mul", "add", "sub"):
        sym = {"mul": "*", "add": "+", "sub": "-"}[s.op]
        return [f"const T {o[0]} = {c(a[0])} {sym} {c(a[1])};"]
    if s.op == "fma":
        return [f"const T {o[0]} = mul_add({c(a[0])}, {c(a[1])}, {c(a[2])});"]
    if s.op == "abs":
        return [f"const T {o[0]} = abs({c(a[0])});"]
    if s.op == "two_prod":
        return [f"T {o[0]}, {o[1]};", f"two_product({c(a[0])}, {c(a[1])}, {o[0]}, {o[1]});"]
    if s.op == "fast_two_sum":
        return [f"T {o[0]}, {o[1]};", f"fast_two_sum({c(a[0])}, {c(a[1])}, {o[0]}, {o[1]});"]
    if s.op == "fma_split":
        return [f"const T {o[0]} = mul_add({c(a[0])}, {c(a[1])}, {c(a[2])});",
                f"const T {o[1]} = mul_add({c(a[0])}, {c(a[1])}, {c(a[2])} - {o[0]});"]
    if s.op == "from_bits":
        return [f"const T {o[0]} = from_bits<T>({c(a[0])});"]
    if s.op == "int_to_double":
        return [f"const T {o[0]} = small_int_to_double<T>({c(a[0])});"]
    if s.op == "to_bits":
        return [f"const I {o[0]} = to_bits({c(a[0])});"]
    if s.op in ("isub", "iadd"):
        f = "wrapping_sub" if s.op == "isub" else "wrapping_add"
        b = a[1]
        bb = f"std::int64_t{{{b:#x}}}" if isinstance(b, int) else (
            f"std::int64_t{{{c(b)}}}" if is_table(b) else c(b))
        return [f"const I {o[0]} = {f}({c(a[0])}, {bb});"]
    if s.op in ("shr", "shl"):
        sym = ">>" if s.op == "shr" else "<<"
        n = a[1] if isinstance(a[1], int) else f"({a[1].replace('tb.', 'tb::')})"
        return [f"const I {o[0]} = {c(a[0])} {sym} {n};"]
    if s.op == "and_bits":
        return [f"const I {o[0]} = {c(a[0])} & {a[1]:#018x};"]
    if s.op == "lookup":
        return [f"T {', '.join(o)};", f"{a[0]}_entries<T>({c(a[1])}, {', '.join(o)});"]
    if s.op == "at_most":
        return [f"const unsigned {o[0]} = at_most({_splat(a[0])}, {_splat(a[1])});"]
    if s.op == "below_unsigned":
        return [f"const unsigned {o[0]} = below_unsigned<T>({c(a[0])}, std::uint64_t{{{a[1]:#x}}});"]
    if s.op == "any_bits":
        return [f"const unsigned {o[0]} = any_bits<T>({c(a[0])}, {a[1]:#018x});"]
    if s.op == "all_of":
        return [f"const unsigned {o[0]} = {' & '.join(a)};"]
    raise ValueError(s.op)


def emit(kernel):
    lines = [f"template <class T>", f"[[gnu::always_inline]] inline {kernel.signature} {{",
             "    namespace tb = pow_tables;", "    using I = Int<T>;"]
    lines += ["    " + ln for ln in kernel.prologue.splitlines() if ln]
    for s in kernel.steps:
        if s.note:
            lines += ["    // " + ln for ln in s.note.splitlines()]
        lines += ["    " + ln for ln in emit_step(s)]
    lines.append(f"    return {{{', '.join(kernel.returns)}}};")
    lines.append("}")
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------------------------
# Bit-exact evaluation on doubles (Python floats are binary64, round to nearest).

M64 = (1 << 64) - 1
# The steps that are one operation of Python's on doubles and on rationals alike.
ARITHMETIC = {"mul": lambda x, y: x * y, "add": lambda x, y: x + y, "sub": lambda x, y: x - y,
              "abs": abs}


def to_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def from_bits(b):
    return struct.unpack("<d", struct.pack("<Q", b & M64))[0]


def signed(b):
    b &= M64
    return b - (1 << 64) if b >> 63 else b


def rn(q):
    """The double nearest the rational q (CPython's int true division rounds correctly)."""
    q = Q(q)
    if q == 0:
        return 0.0
    return q.numerator / q.denominator


def fma(a, b, c):
    import math
    if not all(map(math.isfinite, (a, b, c))):
        return a * b + c
    try:
        r = rn(Q(a) * Q(b) + Q(c))
    except OverflowError:
        return math.copysign(math.inf, float(Q(a) * Q(b) + Q(c) > 0) - 0.5)
    if r == 0.0 and (a * b == 0 or Q(a) * Q(b) + Q(c) == 0):
        return a * b + c  # the sign of an exact zero, as IEEE gives it
    return r


def constant(a, tables):
    if isinstance(a, int):
        return a
    if is_table(a):
        v = tables[a.lstrip("-")[3:]]
        return -v if a.startswith("-") else v
    return float.fromhex(a) if "0x" in a else float(a)


def _int_arg(a, tables):
    if isinstance(a, int):
        return a
    if is_table(a):
        return int(constant(a, tables))
    return eval(a.replace("tb.", "_t_"), {"__builtins__": {}},
                {"_t_" + k: v for k, v in tables.items()})


def evaluate(steps, env, tables, lookups):
    """Runs the steps on one lane; env maps the inputs to floats (ints for bit patterns) and
    is returned with every output added. lookups[name] is a list of 16 rows."""
    env = dict(env)

    def v(a):
        return env[a] if is_name(a) else constant(a, tables)

    for s in steps:
        a, op, o = s.args, s.op, s.out
        if op in ARITHMETIC:
            r = (ARITHMETIC[op](*map(v, a)),)
        elif op == "fma":
            r = (fma(v(a[0]), v(a[1]), v(a[2])),)
        elif op == "two_prod":
            p = v(a[0]) * v(a[1])
            r = (p, fma(v(a[0]), v(a[1]), -p))
        elif op == "fast_two_sum":
            x, y = v(a[0]), v(a[1])
            sm = x + y
            r = (sm, y - (sm - x))
        elif op == "fma_split":
            h = fma(v(a[0]), v(a[1]), v(a[2]))
            r = (h, fma(v(a[0]), v(a[1]), v(a[2]) - h))
        elif op == "from_bits":
            r = (from_bits(v(a[0])),)
        elif op == "int_to_double":
            r = (float(signed(v(a[0]))),)
        elif op == "to_bits":
            r = (to_bits(v(a[0])),)
        elif op == "from_bits" and not isinstance(v(a[0]), int):
            raise ValueError("from_bits of a double")
        elif op == "isub":
            r = ((v(a[0]) - (v(a[1]) if is_name(a[1]) else _int_arg(a[1], tables))) & M64,)
        elif op == "iadd":
            r = ((v(a[0]) + (v(a[1]) if is_name(a[1]) else _int_arg(a[1], tables))) & M64,)
        elif op == "shr":
            r = ((signed(v(a[0])) >> _int_arg(a[1], tables)) & M64,)
        elif op == "shl":
            r = ((v(a[0]) << _int_arg(a[1], tables)) & M64,)
        elif op == "and_bits":
            r = (v(a[0]) & a[1],)
        elif op == "lookup":
            r = tuple(lookups[a[0]][v(a[1]) & 15])
        elif op == "at_most":
            r = (v(a[0]) <= v(a[1]),)
        elif op == "below_unsigned":
            r = ((v(a[0]) & M64) < a[1],)
        elif op == "any_bits":
            r = ((v(a[0]) & a[1]) != 0,)
        elif op == "all_of":
            r = (all(env[m] for m in a),)
        else:
            raise ValueError(op)
        env.update(zip(o, r))
    return env


# ---------------------------------------------------------------------------------------------
# Exact evaluation with the roundings removed.

def ideal(steps, env, tables, split):
    """Runs the floating-point steps in rational arithmetic, each rounded operation exact. A
    pair's high part is split(exact value) and its low part the exact rest, so that a sum that
    leaves out a low part, or counts one twice, shows. env maps the inputs to rationals."""
    env = dict(env)

    def v(a):
        return env[a] if is_name(a) else Q(constant(a, tables))

    for s in steps:
        a, op = s.args, s.op
        if op in ARITHMETIC:
            r = (ARITHMETIC[op](*map(v, a)),)
        elif op == "fma":
            r = (v(a[0]) * v(a[1]) + v(a[2]),)
        elif op in PAIR_OPS:
            exact = {"two_prod": lambda: v(a[0]) * v(a[1]),
                     "fast_two_sum": lambda: v(a[0]) + v(a[1]),
                     "fma_split": lambda: v(a[0]) * v(a[1]) + v(a[2])}[op]()
            h = split(exact)
            r = (h, exact - h)
        else:
            raise ValueError(f"{op} in a floating-point segment")
        env.update(zip(s.out, r))
    return env


def statement(st):
    """One step as a line of text: outputs = op arguments."""
    def arg(a):
        return f"{a:#x}" if isinstance(a, int) and abs(a) > 255 else str(a)
    return f"{', '.join(st.out)} = {st.op} {' '.join(map(arg, st.args))}"
