import struct
import subprocess
import sys
import textwrap

import numpy as np
import pytest


def bits(x):
    """The IEEE bit pattern of a float, as an int."""
    return struct.unpack("<Q", struct.pack("<d", float(x)))[0]


def same_value(a, b):
    """Bit-for-bit equality, except that any NaN matches any NaN."""
    a, b = float(a), float(b)
    if a != a and b != b:
        return True
    return bits(a) == bits(b)


def assert_bits(actual, expected, context=""):
    """Elementwise bit-exact comparison that names the input of every mismatch."""
    actual = np.asarray(actual, dtype=np.float64).ravel()
    expected = np.asarray(expected, dtype=np.float64).ravel()
    assert actual.shape == expected.shape, (context, actual.shape, expected.shape)
    bad = [
        f"[{k}] got {a!r} ({bits(a):#018x}) expected {e!r} ({bits(e):#018x})"
        for k, (a, e) in enumerate(zip(actual.tolist(), expected.tolist()))
        if not same_value(a, e)
    ]
    assert not bad, f"{context}: " + "; ".join(bad)


def is_panic(exc):
    t = type(exc)
    return t.__name__ == "PanicException" and t.__module__ == "pyo3_runtime"


def run_python(code, check=True):
    """Runs code in a fresh interpreter of the same kind; returns the completed process."""
    proc = subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)],
        capture_output=True,
        text=True,
        timeout=300,
    )
    if check:
        assert proc.returncode == 0, proc.stdout + proc.stderr
    return proc


NUMPY_MAJOR = int(np.__version__.split(".")[0])


@pytest.fixture
def panics():
    """Context manager asserting that the block raises pyo3_runtime.PanicException."""

    class Raises:
        def __init__(self, match=None):
            self.match = match
            self.message = None

        def __enter__(self):
            return self

        def __exit__(self, t, e, tb):
            assert e is not None, "no exception raised"
            assert is_panic(e), f"expected PanicException, got {t!r}: {e}"
            assert not isinstance(e, Exception)
            self.message = str(e)
            if self.match is not None:
                assert self.message.startswith(self.match), self.message
            return True

    return Raises
