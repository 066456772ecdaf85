"""The shared array-borrow registry, seen from vortalix2 and from a second participating module.

In this process vortalix2 installs the registry; tests that need the registry absent, installed
by the peer, or broken run in a fresh interpreter of their own.
"""

import subprocess
import sys
import textwrap
from pathlib import Path

import numpy as np
import pytest

import peer as peer_build
import vortalix2

ALREADY_BORROWED = "called `Result::unwrap()` on an `Err` value: AlreadyBorrowed"
REGISTRY_ERROR = "Interal borrow checking API error: "


def read(a):
    return vortalix2.rhoo_rho_from_Ma(a, 1.4)


def panic_message(fn):
    """The message of the pyo3_runtime.PanicException that fn() raises."""
    try:
        fn()
    except BaseException as e:  # PanicException derives from BaseException only
        if type(e).__name__ != "PanicException" or type(e).__module__ != "pyo3_runtime":
            raise
        return str(e)
    pytest.fail("no PanicException raised")


@pytest.fixture(scope="module")
def peer():
    return peer_build.load()


@pytest.fixture(scope="module")
def capsule(peer):
    read(np.zeros(1))
    found = getattr(peer_build.multiarray(), peer_build.CAPSULE)
    assert peer.version(found) == 1
    return found


@pytest.fixture
def exclusive(peer, capsule):
    """exclusive(view): the peer borrows view for writing until the test ends."""
    held = []

    def take(view):
        assert peer.acquire_mut(capsule, view) == 0
        held.append(view)
        return view

    yield take
    for view in reversed(held):
        peer.release_mut(capsule, view)


def assert_unborrowed(peer, capsule, a):
    """Nothing of a's memory block is borrowed: the whole array can be taken for writing."""
    assert peer.acquire_mut(capsule, a) == 0
    peer.release_mut(capsule, a)


BLOCK = np.arange(12.0)
GRID = BLOCK.reshape(3, 4)

# (held for writing by the peer, read by vortalix2, read allowed)
OVERLAP_CASES = [
    (BLOCK[0::2], BLOCK[1::2], True),  # interleaved: 8 bytes apart, strides 16
    (BLOCK[0::2], BLOCK[2::2], False),
    (BLOCK[0::2], BLOCK[3:4], False),  # inside the range, on the common grid
    (BLOCK[1:2], BLOCK[0:1], True),  # neighbours: each range ends after one item
    (BLOCK[1:2], BLOCK[2:3], True),
    (BLOCK, BLOCK[:0], True),  # empty
    (BLOCK, BLOCK[4, ...], True),  # 0-D
    (GRID[:, 0], GRID[1], False),
    (GRID[::-1, ::2], GRID[:, 1::2], True),  # even against odd columns, rows reversed
]


@pytest.mark.parametrize("held, wanted, allowed", OVERLAP_CASES)
def test_exclusive_borrow_refuses_overlapping_reads(exclusive, held, wanted, allowed):
    exclusive(held)
    if allowed:
        assert np.array_equal(read(wanted), read(wanted.copy()))
    else:
        assert panic_message(lambda: read(wanted)) == ALREADY_BORROWED


def test_failing_calls_leave_nothing_borrowed(peer, capsule):
    a = np.arange(8.0)
    assert peer.acquire_mut(capsule, a[::2]) == 0
    assert panic_message(lambda: read(a)) == ALREADY_BORROWED
    assert panic_message(lambda: vortalix2.Ma_from_A_Acrit(a[2:], 1.4, True)) == ALREADY_BORROWED
    peer.release_mut(capsule, a[::2])
    for bad_call in (
        lambda: vortalix2.rhoo_rho_from_Ma(a, "x"),
        lambda: vortalix2.Ma_from_A_Acrit(a, 1.4, "yes"),
        lambda: vortalix2.Ma_from_mcpTo_APo(a, 1.4, None),
        lambda: vortalix2.To_T_from_Ma(a.reshape(2, 4), 1.4),
    ):
        with pytest.raises(TypeError):
            bad_call()
    read(a)
    assert_unborrowed(peer, capsule, a)


def test_reads_are_counted_and_given_back(peer, capsule):
    a = np.arange(5.0)
    assert peer.acquire(capsule, a) == 0
    read(a)
    read(a)
    assert peer.acquire_mut(capsule, a[1:]) == -1  # the peer's read is still counted
    peer.release(capsule, a)
    assert_unborrowed(peer, capsule, a)


def test_read_only_array_is_not_writeable(peer, capsule):
    a = np.arange(4.0)
    a.flags.writeable = False
    assert peer.acquire_mut(capsule, a) == -2
    read(a)  # no exclusive entry was left behind
    a.flags.writeable = True
    assert_unborrowed(peer, capsule, a)


def test_empty_regions_are_counted_per_key(peer, capsule, exclusive):
    a = np.arange(10.0)
    exclusive(a[:0])
    exclusive(a[3, ...])
    exclusive(a)  # neither empty region conflicts
    assert peer.acquire_mut(capsule, a[:0]) == -1  # the same key is taken
    assert panic_message(lambda: read(a[3, ...])) == ALREADY_BORROWED
    assert read(a[::2][:0]).shape == (0,)  # another stride, another key


def test_base_chain_leads_to_the_memory_owner(exclusive):
    a = np.arange(20.0)
    exclusive(a[2:][::2][1:])  # a[4], a[6], ..., a[18], three views deep
    assert panic_message(lambda: read(a.reshape(4, 5)[1:, ::2])) == ALREADY_BORROWED
    read(a[3:4])

    # a result array's memory belongs to its container; each result is a block of its own
    r, other = read(np.arange(10.0)), read(np.arange(10.0))
    assert type(r.base).__name__ == "PySliceContainer"
    exclusive(r[::2])
    assert panic_message(lambda: read(r[2::2].reshape(2, 2))) == ALREADY_BORROWED
    read(r[1::2])
    read(other)

    # arrays over one buffer object share its block
    buffer = bytearray(80)
    x, y = np.ndarray((10,), buffer=buffer), np.ndarray((10,), buffer=buffer)
    exclusive(x[::2])
    assert panic_message(lambda: read(y[2::2])) == ALREADY_BORROWED
    read(y[1::2])
    frozen = np.frombuffer(bytes(80))
    assert type(frozen.base) is bytes
    assert np.array_equal(read(frozen), np.ones(10))


# ---- fresh interpreters ------------------------------------------------------------------------

PREAMBLE = """
import sys
sys.path.insert(0, {helpers!r})
import numpy as np
import peer as peer_build
peer = peer_build.load({peer_path!r})
core = peer_build.multiarray()
NAME = peer_build.CAPSULE

def panic_message(fn):
    try:
        fn()
    except BaseException as e:
        assert type(e).__name__ == "PanicException", repr(e)
        assert type(e).__module__ == "pyo3_runtime", repr(e)
        return str(e)
    raise AssertionError("no PanicException raised")
"""


def run_fresh(body):
    script = PREAMBLE.format(
        helpers=str(Path(__file__).resolve().parent), peer_path=str(peer_build.build())
    ) + textwrap.dedent(body)
    done = subprocess.run(
        [sys.executable, "-c", script], capture_output=True, text=True, timeout=300
    )
    assert done.returncode == 0, f"stdout:\n{done.stdout}\nstderr:\n{done.stderr}"
    return done


def test_first_call_installs_the_registry():
    run_fresh("""
        assert not hasattr(core, NAME)
        import vortalix2
        a = np.arange(6.0)
        vortalix2.rhoo_rho_from_Ma(a, 1.4)
        capsule = getattr(core, NAME)
        assert type(capsule).__name__ == "PyCapsule"
        assert peer.version(capsule) == 1
        vortalix2.Ma_from_A_Acrit(a, 1.4, True)
        assert getattr(core, NAME) is capsule

        # the peer borrows through vortalix2's record, exclusive borrows included
        assert peer.acquire_mut(capsule, a[1::2]) == 0
        vortalix2.rhoo_rho_from_Ma(a[::2], 1.4)
        assert peer.acquire(capsule, a[3:4]) == -1
        peer.release_mut(capsule, a[1::2])
        assert peer.calls() == (0, 0, 0, 0)
    """)


def test_installed_record_of_another_module_is_used():
    run_fresh("""
        setattr(core, NAME, peer.make_record(1))
        import vortalix2
        a = np.arange(4.0)
        vortalix2.rhoo_rho_from_Ma(a, 1.4)
        assert peer.calls() == (1, 0, 1, 0)
        assert peer.last_array() is a
        vortalix2.Ma_from_mcpTo_APo(a[::-1], 1.4)
        assert peer.calls() == (2, 0, 2, 0)

        try:
            vortalix2.rhoo_rho_from_Ma(a, "x")
        except TypeError:
            pass
        acquired, _, released, _ = peer.calls()
        assert acquired == released

        peer.set_acquire_code(-1)
        msg = panic_message(lambda: vortalix2.rhoo_rho_from_Ma(a, 1.4))
        assert msg == "called `Result::unwrap()` on an `Err` value: AlreadyBorrowed", msg
        assert peer.calls()[0] == acquired + 1 and peer.calls()[2] == released

        peer.set_acquire_code(-2)
        msg = panic_message(lambda: vortalix2.rhoo_rho_from_Ma(a, 1.4))
        assert msg == "Unexpected return code -2 from borrow checking API", msg
        peer.set_acquire_code(7)
        msg = panic_message(lambda: vortalix2.rhoo_rho_from_Ma(a, 1.4))
        assert msg == "Unexpected return code 7 from borrow checking API", msg
        assert peer.calls()[2] == released
    """)


def test_attribute_that_is_not_a_capsule_fails_every_call():
    run_fresh("""
        setattr(core, NAME, 42)
        import vortalix2
        a = np.arange(3.0)
        for _ in range(2):
            msg = panic_message(lambda: vortalix2.rhoo_rho_from_Ma(a, 1.4))
            assert msg.startswith("Interal borrow checking API error: "), msg
            assert "TypeError" in msg, msg
            assert "'int' object cannot be converted to 'PyCapsule'" in msg, msg

        # nothing was kept from the failures: with the attribute gone, vortalix2 installs its own
        delattr(core, NAME)
        vortalix2.rhoo_rho_from_Ma(a, 1.4)
        assert peer.version(getattr(core, NAME)) == 1
    """)


def test_version_zero_is_refused():
    run_fresh("""
        setattr(core, NAME, peer.make_record(0))
        import vortalix2
        a = np.arange(3.0)
        for _ in range(2):
            msg = panic_message(lambda: vortalix2.rhoo_rho_from_Ma(a, 1.4))
            assert msg.startswith("Interal borrow checking API error: "), msg
            assert "Version 0 of borrow checking API is not supported" in msg, msg
        assert peer.calls() == (0, 0, 0, 0)

        # any later version is taken as it is
        setattr(core, NAME, peer.make_record(2))
        vortalix2.rhoo_rho_from_Ma(a, 1.4)
        assert peer.calls() == (1, 0, 1, 0)
    """)


def test_ga_that_reshapes_the_array_leaves_no_borrow():
    run_fresh("""
        import vortalix2
        a = np.arange(10.0)

        class Ga:
            def __float__(self):
                a.resize((2, 5), refcheck=False)  # in place, over the same data
                return 1.4

        vortalix2.rhoo_rho_from_Ma(a, Ga())
        assert a.shape == (2, 5)
        capsule = getattr(core, NAME)
        assert peer.acquire_mut(capsule, a) == 0
        peer.release_mut(capsule, a)
    """)
