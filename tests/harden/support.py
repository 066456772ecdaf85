"""What the stress and fuzz tests share: the function table seen from Python, an element-by-element
reference evaluation, run sizes, and ways to look at memory and at the borrow registry."""

import gc
import os
import sys
from pathlib import Path

import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "python"))

import peer as peer_build  # noqa: E402
import vortalix2 as vx  # noqa: E402
from conftest import assert_bits, bits, is_panic, same_value  # noqa: E402,F401

# Long runs are multiplied by this (tools/harden.sh --long sets 10).
SCALE = int(os.environ.get("HARDEN_SCALE", "1"))
# Set when the module runs under AddressSanitizer, whose allocator makes RSS meaningless.
SANITIZED = os.environ.get("HARDEN_SANITIZED") == "1"
PYPY = sys.implementation.name == "pypy"
NUMPY_MAJOR = int(np.__version__.split(".")[0])

ALREADY_BORROWED = "called `Result::unwrap()` on an `Err` value: AlreadyBorrowed"

NAMES = list(vx.__all__)
ONE_D = {"To_T_from_Ma", "Po_P_from_Ma"}
WITH_SUP = {"Ma_from_F_mcpTo", "Ma_from_mcpTo_APo", "Ma_from_A_Acrit"}


def first_parameter(name):
    """The name of a function's array parameter, from its text signature."""
    return getattr(vx, name).__text_signature__.strip("()").split(",")[0]


def call(name, x, ga=1.4, sup=True):
    """The function applied to x, with `sup` where it has one."""
    f = getattr(vx, name)
    return f(x, ga, sup) if name in WITH_SUP else f(x, ga)


def reference(name, x, ga=1.4, sup=True):
    """The relation applied element by element: each element on its own as a fresh one-element
    contiguous float64 array, so that no layout or vector path is involved."""
    values = np.array(x, dtype=np.float64, copy=True)
    out = np.empty(values.shape)
    for idx in np.ndindex(values.shape):
        out[idx] = call(name, np.array([values[idx]]), ga, sup)[0]
    return out


def rss_kb():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * (os.sysconf("SC_PAGE_SIZE") // 1024)


def collect():
    for _ in range(3):
        gc.collect()


def peer_and_capsule():
    """The test peer module and the registry capsule (installed by a first call if needed)."""
    peer = peer_build.load()
    vx.rhoo_rho_from_Ma(np.zeros(1), 1.4)
    return peer, getattr(peer_build.multiarray(), peer_build.CAPSULE)


def assert_unborrowed(peer, capsule, *arrays):
    """Nothing of these arrays' memory is borrowed: each can be taken for writing, or, if it is
    read-only, the array at the end of its chain of bases can."""
    for a in arrays:
        while not a.flags.writeable and isinstance(a.base, np.ndarray):
            a = a.base
        code = peer.acquire_mut(capsule, a)
        assert code in (0, -2), f"still borrowed: {a!r}"
        if code == 0:
            peer.release_mut(capsule, a)
