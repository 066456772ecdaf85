"""Result layouts for every kind of input view, and inputs that must be refused safely."""
import numpy as np
import pytest
from numpy.lib.stride_tricks import as_strided

import vortalix2 as vx
from conftest import assert_bits

f = vx.rhoo_rho_from_Ma


def reference(x):
    """The relation applied element by element through the one-element path."""
    out = np.empty(x.shape)
    for idx in np.ndindex(x.shape):
        out[idx] = f(np.array(x[idx]), 1.4)[()]
    return out


def grid(shape, order="C"):
    n = int(np.prod(shape))
    return np.arange(1, n + 1, dtype=np.float64).reshape(shape, order=order) / 7.0


# (input view, expected result strides in bytes, or None for C-contiguous)
base = grid((4, 6))
LAYOUTS = {
    "C order": (base, base.strides),
    "Fortran order": (grid((4, 6), "F"), grid((4, 6), "F").strides),
    "transpose": (base.T, base.T.strides),
    "reversed rows": (base[::-1], base[::-1].strides),
    "reversed both": (base[::-1, ::-1], (-48, -8)),
    "reversed 1-D": (np.arange(5.0)[::-1], (-8,)),
    "every second": (np.arange(10.0)[::2], (8,)),
    "some columns": (base[:, :3], (24, 8)),
    "broadcast": (np.broadcast_to(np.array([0.5, 2.0, 3.0]), (4, 3)), (24, 8)),
    "broadcast 1-D": (np.broadcast_to(np.float64(2.0), (3,)), (8,)),
    "length-1 axis, odd stride": (as_strided(base, (1, 6), (800, 8)), (800, 8)),
    "3-D transpose": (grid((2, 3, 4)).transpose(1, 2, 0), grid((2, 3, 4)).transpose(1, 2, 0).strides),
    "0-D": (np.array(2.0), ()),
    "empty (0, 3)": (as_strided(np.zeros(1), (0, 3), (24, 8)), (24, 8)),
    "empty (3, 0) F": (as_strided(np.zeros(1), (3, 0), (8, 8)), (0, 0)),
    "empty (0,), stride 16": (as_strided(np.zeros(1), (0,), (16,)), (16,)),
}


@pytest.mark.parametrize("name", LAYOUTS)
def test_result_layout_and_values(name):
    x, strides = LAYOUTS[name]
    before = np.array(x, copy=True)
    r = f(x, 1.4)
    assert r.shape == x.shape and r.dtype == np.float64
    assert r.strides == strides
    assert_bits(r, reference(x), name)
    assert np.array_equal(np.asarray(x), before)


def test_one_dimensional_form_layouts():
    a = np.arange(6.0)
    assert vx.To_T_from_Ma(a[::-1], 1.4).strides == (-8,)
    assert vx.To_T_from_Ma(a[::2], 1.4).strides == (8,)
    assert vx.To_T_from_Ma(a[::3][:1], 1.4).strides == (24,)
    assert vx.To_T_from_Ma(a[:0], 1.4).shape == (0,)
    assert_bits(vx.To_T_from_Ma(a[::-2], 1.4), vx.To_T_from_Ma(a[::-2].copy(), 1.4))


def test_unaligned_data_is_read_from_the_true_addresses():
    raw = np.zeros(8 * 5 + 1, dtype=np.uint8)
    x = np.frombuffer(raw.data, dtype=np.float64, count=5, offset=1)
    assert not x.flags.aligned
    values = np.array([0.5, 1.0, 2.0, 3.0, 1.49])
    raw[1:] = values.view(np.uint8)
    assert_bits(f(x, 1.4), f(values, 1.4))
    assert_bits(vx.To_T_from_Ma(x[::-1], 1.4), vx.To_T_from_Ma(values[::-1].copy(), 1.4))


def test_strides_that_are_not_whole_elements_are_refused():
    raw = np.zeros(100, dtype=np.uint8)
    x = as_strided(np.frombuffer(raw.data, dtype=np.float64, count=1), (5,), (12,))
    with pytest.raises(TypeError, match="^argument 'Ma': .*multiples of .*8"):
        f(x, 1.4)
    with pytest.raises(TypeError, match="^argument 'Ma': "):
        vx.To_T_from_Ma(x, 1.4)
    # an axis of one element never steps, so its stride does not matter
    y = as_strided(np.frombuffer(raw.data, dtype=np.float64, count=1), (1,), (12,))
    assert f(y, 1.4).shape == (1,)


def test_results_larger_than_memory_raise_memory_error():
    for n in (2**50, 2**60 - 1):  # the latter is the most NumPy lets a float64 view have
        with pytest.raises(MemoryError):
            f(np.broadcast_to(np.float64(1.0), (n,)), 1.4)
    with pytest.raises(MemoryError):
        f(np.broadcast_to(np.float64(1.0), (2**25, 2**25)), 1.4)
    # the interpreter and module are fine afterwards
    assert f(np.array([2.0]), 1.4).tolist() == [4.346916148259591]


def test_repeated_and_overlapping_reads():
    a = grid((3, 4))
    r1 = f(a, 1.4)
    r2 = f(a[1:], 1.4)
    r3 = f(a, 1.4)
    assert_bits(r1, r3)
    assert_bits(r1[1:], r2)
