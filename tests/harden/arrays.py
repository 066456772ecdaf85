"""Random input arrays of every kind, and what a function must make of each.

One generator serves the in-process property test and the comparison of instruction-set levels,
which runs it in fresh interpreters: a case is a function of its seed alone.
"""

import math
import mmap
import tempfile
import warnings

import numpy as np
from numpy.lib.stride_tricks import as_strided

from support import NAMES, ONE_D, first_parameter



def _most_axes():
    """33 where NumPy can make and copy such arrays (NumPy 2 mostly), else 32."""
    try:
        np.array(np.ones((1,) * 33), copy=True)
    except (ValueError, RuntimeError):
        return 32
    return 33


MAX_AXES = _most_axes()
MAX_ELEMENTS = 96

OTHER_DTYPES = [
    np.bool_, np.int8, np.int16, np.int32, np.int64, np.uint8, np.uint16, np.uint32, np.uint64,
    np.float16, np.float32, np.longdouble, np.complex64, np.complex128, np.clongdouble,
    np.dtype(np.float64).newbyteorder(), object, "datetime64[s]", "timedelta64[ms]",
]

SPECIALS = [0.0, -0.0, 1.0, -1.0, np.inf, -np.inf, np.nan, 5e-324, -2.2250738585072014e-308,
            1e-300, 1e300, 1.7976931348623157e308, 0.9999999999999999, 1.0000000000000002,
            1.4142135623730951, 2.0, 0.5, 1.2810152558552463]


class Tagged(np.ndarray):
    """A subclass of no interest of its own: only its data, shape and strides count."""


def values(rng, n):
    """n doubles: mostly ordinary flow values, some special ones, some arbitrary bit patterns."""
    out = rng.uniform(0.0, 5.0, n)
    pick = rng.random(n)
    special = pick < 0.2
    out[special] = rng.choice(SPECIALS, int(special.sum()))
    raw = pick > 0.93
    out[raw] = rng.integers(0, 2**64, int(raw.sum()), dtype=np.uint64).view(np.float64)
    return out


def random_shape(rng):
    ndim = int(rng.choice([0, 1, 1, 2, 2, 3, 4, int(rng.integers(5, MAX_AXES + 1))]))
    shape = [int(rng.choice([1, 1, 2, 3, 4, 5, 7])) if ndim > 4 and rng.random() < 0.8
             else int(rng.choice([0, 1, 2, 3, 4, 5, 6, 9])) for _ in range(ndim)]
    if ndim and rng.random() > 0.15:
        shape = [n or 1 for n in shape]  # most arrays have elements
    while math.prod(max(n, 1) for n in shape) > MAX_ELEMENTS:
        big = int(np.argmax(shape))
        shape[big] //= 2
    return tuple(shape)


def random_strides(rng, shape):
    """Byte strides: C or Fortran order, permuted, reversed, stepped, zero, or odd."""
    ndim = len(shape)
    order = rng.permutation(ndim)
    strides = [0] * ndim
    step = 8 * int(rng.choice([1, 1, 1, 2, 3]))
    for axis in order[::-1] if rng.random() < 0.5 else order:
        strides[axis] = step
        gap = int(rng.choice([1, 1, 1, 2])) if shape[axis] > 1 and ndim <= 4 else 1
        step *= max(shape[axis], 1) * gap
    for k in range(ndim):
        r = rng.random()
        if r < 0.2:
            strides[k] = -strides[k]
        elif r < 0.27:
            strides[k] = 0
        elif r < 0.32:
            strides[k] = int(rng.integers(-40, 41))  # anything, whole elements or not
    return tuple(strides)


def strided_float64(rng):
    """A float64 view with random shape and strides over a buffer of its own, at an address
    that is aligned or not, read-only or not."""
    shape = random_shape(rng)
    strides = random_strides(rng, shape)
    reach = [(n - 1) * s for n, s in zip(shape, strides) if n > 0]
    low = sum(r for r in reach if r < 0)
    high = sum(r for r in reach if r > 0) + 8
    misalign = int(rng.choice([0, 0, 0, 1, 3, 4]))
    size = high - low + 8 + misalign
    buf = np.empty(size + 8, dtype=np.uint8)
    buf[: (size // 8) * 8 + 8] = values(rng, size // 8 + 1).view(np.uint8)
    buf = np.roll(buf, misalign)  # elements at whole steps from the start keep their values
    start = -low + misalign
    first = buf[start:start + 8].view(np.float64)
    return as_strided(first, shape, strides, writeable=bool(rng.random() < 0.7))


def random_array(rng):
    """(description, array or other object) of any kind a caller might pass."""
    kind = rng.choice(["strided"] * 10 + ["fortran", "dtype", "subclass", "buffer"])
    if kind == "strided":
        return "strided", strided_float64(rng)
    if kind == "fortran":
        shape = random_shape(rng)
        return "fortran", np.asfortranarray(values(rng, math.prod(shape)).reshape(shape))
    if kind == "dtype":
        dtype = OTHER_DTYPES[int(rng.integers(len(OTHER_DTYPES)))]
        base = values(rng, 6)
        if dtype == object:
            return "object", base.astype(object)
        with np.errstate(all="ignore"), warnings.catch_warnings():
            warnings.simplefilter("ignore")
            converted = base.astype(np.int64).astype(dtype) if np.dtype(dtype).kind in "mM" \
                else base.astype(dtype)
        return f"dtype {np.dtype(dtype).str}", converted
    if kind == "subclass":
        data = values(rng, 6)
        which = rng.choice(["matrix", "masked", "tagged"])
        if which == "matrix":
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", PendingDeprecationWarning)
                return "matrix", np.matrix(data.reshape(2, 3))
        if which == "masked":
            return "masked", np.ma.masked_array(data, mask=rng.random(6) < 0.5)
        return "tagged", data.view(Tagged)[::-1]
    data = values(rng, 9).tobytes()
    which = rng.choice(["bytes", "bytearray", "mmap"])
    offset = int(rng.choice([0, 1, 8]))
    if which == "bytes":
        return "bytes", np.frombuffer(data, np.float64, 8, offset)
    if which == "bytearray":
        return "bytearray", np.frombuffer(bytearray(data), np.float64, 8, offset)
    return "mmap", mapped(data, offset)


def mapped(data, offset):
    """A read-only memory-mapped view of data, from a file that is gone once it is mapped."""
    with tempfile.TemporaryFile() as f:
        f.write(data)
        f.flush()
        m = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ)
    return np.frombuffer(m, np.float64, 8, offset)


def case(seed):
    rng = np.random.default_rng(seed)
    name = NAMES[int(rng.integers(len(NAMES)))]
    ga = float(rng.choice([1.4, 1.4, 1.3, 1.67, 1.01, 1.0, 3.0, 0.5, np.nan]))
    sup = bool(rng.random() < 0.5)
    what, x = random_array(rng)
    return name, ga, sup, what, x


# ---- what must happen ------------------------------------------------------------------------

def element_strides(x):
    # Byte strides that are not whole elements are truncated towards zero.
    return [int(s / 8) for s in x.strides]


def c_order(shape):
    if 0 in shape:
        return [0] * len(shape)
    out, p = [], 1
    for n in reversed(shape):
        out.append(p)
        p *= n
    return out[::-1]


def fills_one_block(shape, strides):
    if list(strides) == c_order(shape):
        return True
    if len(shape) == 1:
        return shape[0] <= 1 or strides[0] == -1
    p = 1
    for axis in sorted(range(len(shape)), key=lambda k: abs(strides[k])):  # stable
        if shape[axis] == 1:
            continue
        if abs(strides[axis]) != p:
            return False
        p *= shape[axis]
    return True


def expected_strides(x):
    """Byte strides of the result: the input's where its elements fill one block, else C order."""
    e = element_strides(x)
    keep = fills_one_block(x.shape, e)
    return tuple(8 * s for s in (e if keep else c_order(x.shape)))


def expected_refusal(name, x):
    """The TypeError message (or its start) for x, or None if x is accepted."""
    head = f"argument '{first_parameter(name)}': "
    if (not isinstance(x, np.ndarray) or x.dtype != np.float64 or not x.dtype.isnative
            or (name in ONE_D and x.ndim != 1)):
        return head + f"'{type(x).__qualname__}' object cannot be converted to 'PyArray<T, D>'"
    if 0 not in x.shape and any(n >= 2 and s % 8 for n, s in zip(x.shape, x.strides)):
        return head + "array strides must be whole multiples of the float64 item size"
    return None


def same_bits(a, b):
    """Elementwise: equal bit patterns, or both NaN (which NaN an operation passes on is the
    compiler's choice of operand order)."""
    a = np.ascontiguousarray(a, dtype=np.float64).ravel()
    b = np.ascontiguousarray(b, dtype=np.float64).ravel()
    return a.shape == b.shape and bool(np.all((a.view(np.uint64) == b.view(np.uint64))
                                              | (np.isnan(a) & np.isnan(b))))


def snapshot(x):
    """The array's bytes (to see that a call left them unchanged); None for what is not an
    array or has more axes than every NumPy can copy into bytes."""
    if not isinstance(x, np.ndarray) or x.ndim > 32:
        return None
    return np.array(x, copy=True).tobytes()


def level_results(seeds):
    """{seed: result bytes and strides, or the error} for every case, at this process's level."""
    from support import call, is_panic

    out = {}
    for seed in seeds:
        name, ga, sup, what, x = case(seed)
        try:
            r = call(name, x, ga, sup)
            out[seed] = (r.tobytes(), r.strides)
        except BaseException as e:
            if not (type(e) is TypeError or is_panic(e)):
                raise
            out[seed] = (type(e).__name__, str(e))
    return out

