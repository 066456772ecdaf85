"""Random arrays of every kind through every function: each call returns the relation applied to
each element on its own, with the layout the input calls for, or refuses the input as it must;
and every instruction-set level gives the scalar level's bits."""

import os
import pickle
import subprocess
import sys
import textwrap
from pathlib import Path

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from arrays import case, expected_refusal, expected_strides, same_bits, snapshot
from support import PYPY, SANITIZED, SCALE, call, is_panic, reference

EXAMPLES = (60 if SANITIZED else 300) * SCALE
LEVEL_CASES = (300 if SANITIZED else 1000 if PYPY else 3000) * SCALE


def check(seed):
    name, ga, sup, what, x = case(seed)
    before = snapshot(x)
    context = f"seed {seed}: {name} on {what} {getattr(x, 'shape', '')} " \
              f"{getattr(x, 'strides', '')}"
    refusal = expected_refusal(name, x)
    try:
        r = call(name, x, ga, sup)
    except BaseException as e:  # PanicException is a BaseException
        if refusal is not None:
            assert type(e) is TypeError and str(e).startswith(refusal), (context, e)
        else:
            assert x.ndim > 32 and is_panic(e), (context, e)
            assert str(e).startswith("unexpected dimensionality"), (context, e)
    else:
        assert refusal is None and x.ndim <= 32, (context, "accepted")
        assert type(r) is np.ndarray and r.dtype == np.float64 and r.shape == x.shape, context
        assert r.strides == expected_strides(x), (context, r.strides)
        assert r.flags.writeable and not r.flags.owndata, context
        assert same_bits(r, reference(name, x, ga, sup)), context
    if before is not None:
        assert snapshot(x) == before, (context, "input changed")


@settings(max_examples=EXAMPLES, deadline=None)
@given(st.integers(0, 2**32 - 1))
def test_random_arrays(seed):
    check(seed)


# Seeds whose cases found faults, or cover a kind worth keeping whatever is drawn.
@pytest.mark.parametrize("seed", range(40))
def test_fixed_seeds(seed):
    check(seed)


LEVEL_PROBE = textwrap.dedent(
    """
    import pickle, sys
    sys.path.insert(0, {here!r})
    from arrays import level_results
    sys.stdout.buffer.write(pickle.dumps(level_results(range({n}))))
    """
)


def at_level(level):
    env = dict(os.environ, VORTALIX2_SIMD=level, VORTALIX2_SIMD_REPORT="1")
    code = LEVEL_PROBE.format(here=str(Path(__file__).resolve().parent), n=LEVEL_CASES)
    proc = subprocess.run([sys.executable, "-c", code], capture_output=True, env=env,
                          timeout=1200)
    assert proc.returncode == 0, proc.stderr.decode()[-3000:]
    reports = [line for line in proc.stderr.decode().splitlines() if "element loops use" in line]
    return reports[-1].rsplit(" ", 1)[-1], pickle.loads(proc.stdout)


@pytest.fixture(scope="module")
def scalar_level():
    chosen, results = at_level("scalar")
    assert chosen == "scalar"
    return results


@pytest.mark.parametrize("level", ["sse2", "avx2", "avx512"])
def test_levels_give_the_scalar_bits(level, scalar_level):
    chosen, results = at_level(level)
    if chosen != level:
        pytest.skip(f"{level} is not supported here")
    for seed, want in scalar_level.items():
        got = results[seed]
        if isinstance(want[0], str):
            assert got == want, seed
        else:
            assert got[1] == want[1], seed
            assert same_bits(np.frombuffer(got[0]), np.frombuffer(want[0])), \
                (seed, case(seed)[:4])
