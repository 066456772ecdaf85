"""Many threads calling every function on shared and private arrays while other threads take and
give back exclusive borrows of some of those arrays through a second module of the registry."""

import sys
import threading
import time

import numpy as np
import pytest

from support import (
    ALREADY_BORROWED, NAMES, SANITIZED, SCALE, assert_bits, assert_unborrowed, call, is_panic,
    peer_and_capsule,
)

WORKERS = 4
BORROWERS = 2
ROUNDS = (20 if SANITIZED else 200) * SCALE  # the sanitizers slow every call ten-fold
JOIN_SECONDS = 600


def inputs(seed):
    """One-dimensional inputs of several layouts over values every relation takes."""
    rng = np.random.default_rng(seed)
    block = rng.uniform(0.05, 4.0, 64)
    return [block[:16], block[16:48:2], block[63:47:-1], np.broadcast_to(block[50], (8,))]


@pytest.fixture(scope="module")
def registry():
    return peer_and_capsule()


@pytest.fixture
def fast_switching():
    if not hasattr(sys, "getswitchinterval"):
        yield
        return
    old = sys.getswitchinterval()
    sys.setswitchinterval(1e-5)  # switch threads as often as the interpreter allows
    yield
    sys.setswitchinterval(old)


def test_calls_and_exclusive_borrows_from_many_threads(registry, fast_switching):
    peer, capsule = registry
    shared = inputs(1)  # read by every worker, never borrowed for writing
    contested_block = np.random.default_rng(2).uniform(0.05, 4.0, 48)
    contested = [contested_block[:16], contested_block[16:], contested_block[1::3]]
    private = [inputs(100 + k) for k in range(WORKERS)]
    expected = {
        (name, id(x)): call(name, x.copy())
        for name in NAMES
        for x in shared + contested + [x for xs in private for x in xs]
    }

    stop = threading.Event()
    errors = []
    refusals = [0] * WORKERS
    borrows = [0] * BORROWERS

    def worker(k):
        try:
            for _ in range(ROUNDS):
                for name in NAMES:
                    for x in shared + private[k]:
                        assert_bits(call(name, x), expected[name, id(x)], name)
                    for x in contested:
                        try:
                            r = call(name, x)
                        except BaseException as e:  # PanicException is a BaseException
                            if not is_panic(e) or str(e) != ALREADY_BORROWED:
                                raise
                            refusals[k] += 1
                        else:
                            assert_bits(r, expected[name, id(x)], name)
        except BaseException as e:
            errors.append(e)

    def borrower(k):
        try:
            views = [contested[k % len(contested)], contested_block[k::2], contested_block]
            while not stop.is_set():
                for view in views:
                    code = peer.acquire_mut(capsule, view)
                    assert code in (0, -1), code
                    if code == 0:
                        borrows[k] += 1
                        time.sleep(1e-4)  # the workers run while it is held
                        peer.release_mut(capsule, view)
        except BaseException as e:
            errors.append(e)

    threads = [threading.Thread(target=worker, args=(k,)) for k in range(WORKERS)]
    holders = [threading.Thread(target=borrower, args=(k,)) for k in range(BORROWERS)]
    for t in holders + threads:
        t.start()
    for t in threads:
        t.join(JOIN_SECONDS)
    stop.set()
    for t in holders:
        t.join(JOIN_SECONDS)
    assert not any(t.is_alive() for t in threads + holders), "a thread did not finish"
    assert not errors, errors
    assert all(borrows), borrows  # every borrower got the arrays for itself at times
    assert sum(refusals) > 0, "no call met an exclusive borrow"
    assert_unborrowed(peer, capsule, contested_block, *shared,
                      *[x for xs in private for x in xs])
