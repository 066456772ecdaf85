"""Module object, function table, result container and internal-failure reporting."""
import sys

import numpy as np
import pytest

import vortalix2 as vx
from conftest import NUMPY_MAJOR, run_python

NAMES = [
    "To_T_from_Ma", "Po_P_from_Ma", "rhoo_rho_from_Ma", "V_cpTo_from_Ma",
    "mcpTo_APo_from_Ma", "mcpTo_AP_from_Ma", "A_Acrit_from_Ma", "Mash_from_Ma",
    "Posh_Po_from_Ma", "Ma_from_Po_P", "Ma_from_To_T", "Ma_from_rhoo_rho", "Ma_from_V_cpTo",
    "Ma_from_F_mcpTo", "Ma_from_mcpTo_APo", "Ma_from_mcpTo_AP", "Ma_from_A_Acrit",
    "Ma_from_Mash", "Ma_from_Posh_Po",
]

SIGNATURES = {
    "Ma_from_Po_P": "(Po_P, ga)", "Ma_from_To_T": "(To_T, ga)",
    "Ma_from_rhoo_rho": "(rhoo_rho, ga)", "Ma_from_V_cpTo": "(V_cpTo, ga)",
    "Ma_from_F_mcpTo": "(F_mcpTo, ga, sup)", "Ma_from_mcpTo_APo": "(mcpTo_APo, ga, sup=False, /)",
    "Ma_from_mcpTo_AP": "(mcpTo_AP, ga)", "Ma_from_A_Acrit": "(A_Acrit, ga, sup)",
    "Ma_from_Mash": "(Mash, ga)", "Ma_from_Posh_Po": "(Posh_Po, ga)",
}


def registered():
    return [n for n in NAMES if hasattr(vx, n)]


def test_all_lists_the_functions_in_registration_order():
    assert vx.__all__ == registered()
    assert sorted(n for n in dir(vx) if not n.startswith("_")) == sorted(vx.__all__)


@pytest.mark.parametrize("name", NAMES)
def test_function_docs_are_only_the_text_signature(name):
    if not hasattr(vx, name):
        pytest.skip(f"{name} is not registered yet")
    f = getattr(vx, name)
    sig = SIGNATURES.get(name, "(Ma, ga)")
    assert f.__doc__ in (None, "")
    assert f.__text_signature__ == sig
    assert f.__name__ == name
    assert f.__module__ == "vortalix2"


def test_second_import_returns_the_same_module_object():
    first = sys.modules.pop("vortalix2")
    try:
        import vortalix2 as again

        if sys.implementation.name == "pypy":
            # PyPy re-creates an extension module from a copy of its namespace without
            # initialising it again; the functions are still the very same objects.
            assert all(getattr(again, n) is getattr(first, n) for n in first.__all__)
        else:
            assert again is first
    finally:
        sys.modules["vortalix2"] = first


def test_import_does_not_need_numpy_and_first_call_reports_it():
    proc = run_python(
        """
        import sys
        sys.modules["numpy"] = None          # numpy cannot be imported
        import vortalix2
        assert "numpy" not in [m for m in sys.modules if sys.modules[m] is not None]
        for attempt in range(2):             # nothing is cached: the second call tries again
            try:
                vortalix2.rhoo_rho_from_Ma(object(), 1.4)
            except BaseException as e:
                assert type(e).__name__ == "PanicException", repr(e)
                assert type(e).__module__ == "pyo3_runtime"
                assert not isinstance(e, Exception)
                print(e)
        """
    )
    lines = [l for l in proc.stdout.splitlines() if l.startswith("Failed to access")]
    assert len(lines) == 2
    assert lines[0].startswith("Failed to access NumPy array API capsule: ")
    assert "ImportError" in proc.stdout or "ModuleNotFoundError" in proc.stdout
    assert "vortalix2 panicked: Failed to access NumPy array API capsule" in proc.stderr


@pytest.mark.skipif(NUMPY_MAJOR < 2, reason="NumPy 1 cannot make arrays of more than 32 axes")
def test_more_than_32_axes_is_an_internal_failure(panics):
    a = np.zeros((1,) * 33)
    with panics("unexpected dimensionality: NumPy is expected to limit arrays to 32 or fewer "
                "dimensions.\n") as p:
        vx.rhoo_rho_from_Ma(a, 1.4)
    assert len(p.message.splitlines()) == 2
    # 32 axes are fine
    r = vx.rhoo_rho_from_Ma(np.full((1,) * 32, 2.0), 1.4)
    assert r.shape == (1,) * 32 and r.ravel()[0] == 4.346916148259591


def test_panic_exception_type_is_shared_and_derives_from_base_exception(panics):
    if NUMPY_MAJOR < 2:
        pytest.skip("needs an array of 33 axes to provoke")
    caught = []
    for _ in range(2):
        try:
            vx.rhoo_rho_from_Ma(np.zeros((1,) * 33), 1.4)
        except Exception:  # must not catch it
            pytest.fail("PanicException was caught as Exception")
        except BaseException as e:
            caught.append(type(e))
    assert caught[0] is caught[1]
    assert caught[0].__qualname__ == "PanicException"
    assert caught[0].__bases__ == (BaseException,)
    assert caught[0].__doc__


def test_result_is_a_writeable_view_of_a_slice_container():
    a = np.linspace(0.1, 3.0, 7)
    a.flags.writeable = False
    before = a.copy()
    r = vx.rhoo_rho_from_Ma(a, 1.4)
    assert type(r) is np.ndarray and r.dtype == np.float64
    assert r.flags.writeable and not r.flags.owndata
    assert type(r.base).__name__ == "PySliceContainer"
    assert "PySliceContainer" not in dir(vx)
    assert np.array_equal(a, before)
    r[:] = 0.0  # the result's memory is the caller's to use
    assert not a.flags.writeable


def test_result_buffer_outlives_the_result_through_views():
    r = vx.rhoo_rho_from_Ma(np.array([2.0, 1.0]), 1.4)
    view = r[::-1]
    del r
    import gc

    gc.collect()
    assert view.tolist() == [1.5774409656148782, 4.346916148259591]


def test_subclass_input_gives_plain_ndarray():
    m = np.ma.masked_array([2.0, 1.0], mask=[True, False])
    r = vx.rhoo_rho_from_Ma(m, 1.4)
    assert type(r) is np.ndarray
    assert r.tolist() == [4.346916148259591, 1.5774409656148782]  # mask ignored, data used


def test_first_use_from_many_threads_at_once():
    # The one-time initialisations (NumPy table, registry, container type) are filled by one
    # thread while the others wait without holding the interpreter lock.
    run_python(
        """
        import threading
        import numpy as np
        import vortalix2 as vx
        a = np.linspace(0.5, 3.0, 100)
        results, errors = [], []
        start = threading.Barrier(8)
        def work():
            try:
                start.wait()
                for _ in range(10):
                    results.append(vx.Ma_from_A_Acrit(vx.A_Acrit_from_Ma(a, 1.4), 1.4, True))
            except BaseException as e:
                errors.append(e)
        threads = [threading.Thread(target=work) for _ in range(8)]
        for t in threads: t.start()
        for t in threads: t.join()
        assert not errors, errors
        assert len(results) == 80
        assert all(np.array_equal(r, results[0]) for r in results)
        """
    )


@pytest.mark.skipif(sys.implementation.name != "cpython", reason="reference counts are CPython's")
def test_no_reference_is_kept_on_any_way_out():
    a = np.linspace(0.5, 2.0, 8)
    big = np.broadcast_to(np.float64(1.0), (2**50,))
    calls = [
        lambda: vx.rhoo_rho_from_Ma(a, 1.4),
        lambda: vx.rhoo_rho_from_Ma(a, "bad"),
        lambda: vx.Ma_from_A_Acrit(a, 1.4, 1),
        lambda: vx.To_T_from_Ma(a.reshape(2, 4), 1.4),
    ]
    before = sys.getrefcount(a), sys.getrefcount(big)
    for call in calls * 50:
        try:
            call()
        except TypeError:
            pass
    for _ in range(50):
        with pytest.raises(MemoryError):
            vx.rhoo_rho_from_Ma(big, 1.4)
    assert (sys.getrefcount(a), sys.getrefcount(big)) == before
