"""Long runs of calls, valid and failing, leave no trace: the input's references, the borrow
registry and the process's memory are as they were, and a result's buffer is freed exactly once,
when the last array over it goes."""

import sys
import weakref

import numpy as np
import pytest

from support import (
    ALREADY_BORROWED, NAMES, NUMPY_MAJOR, ONE_D, PYPY, SANITIZED, SCALE, WITH_SUP,
    assert_unborrowed, call, collect, is_panic, peer_and_capsule, rss_kb, vx,
)

# Calls per measuring window, and how much a window may add to the process's memory. A leak of
# a few bytes per call shows in every window; the allocators' own growth settles after a window
# or two, so a run passes as soon as one window after the warm-up stays within the tolerance.
WINDOW = (100_000 if PYPY else 40_000) * SCALE
WINDOWS = 4
RSS_TOLERANCE_KB = 1024 if PYPY else 256
TRACED_TOLERANCE_B = 16 * 1024

INPUT = np.linspace(0.5, 3.0, 16)


def failing_calls():
    """(kind, array the calls receive, call(name)) for every way a call can fail, and the valid
    call; each call(name) returns normally or raises what it must."""
    a = INPUT
    f32 = a.astype(np.float32)
    held = np.linspace(0.5, 3.0, 16)
    deep = np.ones((1,) * 33) if NUMPY_MAJOR >= 2 else None

    def expect(exc_type, fn, match=None):
        def run(name):
            try:
                fn(name)
            except BaseException as e:  # PanicException is a BaseException
                ok = is_panic(e) if exc_type == "panic" else type(e) is exc_type
                assert ok, f"{name}: {type(e).__name__}: {e}"
                assert match is None or str(e).startswith(match), str(e)
                return
            raise AssertionError(f"{name}: nothing raised")

        return run

    bad_sup = expect(TypeError, lambda name: call(name, a, sup=1), "argument 'sup'")
    too_deep = expect("panic", lambda name: call(name, deep), "unexpected dimensionality")
    not_1d = expect(TypeError, lambda name: call(name, deep))
    kinds = [
        ("valid", a, lambda name: call(name, a)),
        ("float32", f32, expect(TypeError, lambda name: call(name, f32))),
        ("list", None, expect(TypeError, lambda name: call(name, [1.0, 2.0]))),
        ("bad ga", a, expect(TypeError, lambda name: call(name, a, ga="x"), "argument 'ga'")),
        ("ga overflow", a, expect(OverflowError, lambda name: call(name, a, ga=10**400))),
        ("missing argument", a, expect(TypeError, lambda name: getattr(vx, name)(a))),
        ("unknown keyword", a, expect(TypeError, lambda name: getattr(vx, name)(a, 1.4, g=1))),
        ("bad sup", a, lambda name: bad_sup(name) if name in WITH_SUP else call(name, a)),
        ("refused borrow", held, expect("panic", lambda name: call(name, held), ALREADY_BORROWED)),
    ]
    if deep is not None:
        kinds.append(("33 dimensions", deep,
                      lambda name: not_1d(name) if name in ONE_D else too_deep(name)))
    return kinds, held


@pytest.fixture(scope="module")
def registry():
    return peer_and_capsule()


def run_window(run, n):
    for k in range(n):
        run(NAMES[k % len(NAMES)])


def grows(measure, run, tolerance):
    """Growth of `measure` per window, until a window stays within the tolerance (then the list
    ends with that window) or WINDOWS windows have all grown."""
    run_window(run, WINDOW)  # warm-up: caches, arenas, the JIT
    seen = []
    for _ in range(WINDOWS):
        collect()
        before = measure()
        run_window(run, WINDOW)
        collect()
        seen.append(measure() - before)
        if seen[-1] <= tolerance:
            break
    return seen


@pytest.mark.skipif(SANITIZED, reason="the sanitizer's allocator keeps freed memory in quarantine")
@pytest.mark.parametrize("kind", ["valid", "float32", "list", "bad ga", "ga overflow",
                                  "missing argument", "unknown keyword", "bad sup",
                                  "refused borrow", "33 dimensions"])
def test_process_memory_stays_flat(registry, kind):
    peer, capsule = registry
    kinds, held = failing_calls()
    found = {k: (arr, run) for k, arr, run in kinds}
    if kind not in found:
        pytest.skip("NumPy 1 arrays cannot have 33 dimensions")
    array, run = found[kind]
    if kind == "refused borrow":
        assert peer.acquire_mut(capsule, held) == 0
    try:
        rss = grows(rss_kb, run, RSS_TOLERANCE_KB)
        assert rss[-1] <= RSS_TOLERANCE_KB, f"RSS grew by {rss} kB per {WINDOW} calls"
        if not PYPY:
            import tracemalloc

            tracemalloc.start()
            try:
                traced = grows(lambda: tracemalloc.get_traced_memory()[0], run,
                               TRACED_TOLERANCE_B)
            finally:
                tracemalloc.stop()
            assert traced[-1] <= TRACED_TOLERANCE_B, f"traced memory grew by {traced} bytes"
    finally:
        if kind == "refused borrow":
            peer.release_mut(capsule, held)
    if array is not None:
        assert_unborrowed(peer, capsule, array)


def test_every_way_out_leaves_the_input_unreferenced(registry):
    peer, capsule = registry
    kinds, held = failing_calls()
    assert peer.acquire_mut(capsule, held) == 0
    try:
        for kind, array, run in kinds:
            if array is None:
                continue
            if PYPY:
                continue  # no reference counts; the weak-reference test below covers PyPy
            before = sys.getrefcount(array)
            run_window(run, 200 * len(NAMES))
            assert sys.getrefcount(array) == before, kind
    finally:
        peer.release_mut(capsule, held)
    for kind, array, run in kinds:
        if array is not None:
            assert_unborrowed(peer, capsule, array)


def test_inputs_of_failed_calls_can_be_collected():
    # Works on PyPy too, where there are no reference counts to compare: an input that a call
    # kept a reference to would stay alive.
    def inputs():
        f32 = np.linspace(0.5, 3.0, 4).astype(np.float32)
        a = np.linspace(0.5, 3.0, 4)
        for name in NAMES:
            for args in ((f32, 1.4), (a, "x"), (a, 1.4, 1), (a,)):
                try:
                    getattr(vx, name)(*args)
                except TypeError:
                    pass
            call(name, a)
        return weakref.ref(f32), weakref.ref(a)

    refs = inputs()
    collect()
    assert all(r() is None for r in refs)


def test_result_buffer_is_freed_when_the_last_view_goes():
    # Under the sanitizers a second free, or a read after the free, stops the process; without
    # them the process's memory shows when the buffer goes.
    n = 8 * 1024 * 1024  # 64 MiB of result: the allocator maps it and unmaps it on free
    x = np.broadcast_to(np.float64(2.0), (n,))
    collect()
    start = rss_kb()
    r = vx.rhoo_rho_from_Ma(x, 1.4)
    r[:] = 1.0  # touch every page
    views = [r[::2], r[1:].reshape(-1, 1)[::3], r[::-1]]
    del r
    collect()
    assert SANITIZED or rss_kb() - start > 60 * 1024
    while views:
        assert views[-1].sum() > 0  # still readable: the buffer is alive
        views.pop()
        collect()
    assert SANITIZED or rss_kb() - start < 8 * 1024


@pytest.mark.skipif(SANITIZED, reason="the sanitizer's allocator keeps freed memory in quarantine")
def test_refusals_cost_no_more_than_a_minimal_extension_refusing_plainly():
    # refusal_memory.py compares this module's refusals with a minimal extension module. On
    # PyPy, raising through exception objects made in C (as this module once did, and as the
    # twin's refuse() still does) costs a few MB of RSS that the interpreter keeps; setting the
    # message as text costs nothing, and neither do this module's refusals.
    import refusal_memory

    n = 50_000 * SCALE
    ours = refusal_memory.growth("vortalix2 refusing float32", n, 3)
    plain = refusal_memory.growth("twin, PyErr_SetString", n, 3)
    assert sum(ours) <= sum(plain) + RSS_TOLERANCE_KB, (ours, plain)
