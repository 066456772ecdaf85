"""Argument binding and conversion: the messages callers see."""
import numpy as np
import pytest

import vortalix2 as vx

a = np.array([1.0, 2.0])


def message(call):
    with pytest.raises(TypeError) as info:
        call()
    assert type(info.value) is TypeError
    return str(info.value)


F = vx.To_T_from_Ma

BINDING_ERRORS = [
    (lambda: F(a), "To_T_from_Ma() missing 1 required positional argument: 'ga'"),
    (lambda: F(), "To_T_from_Ma() missing 2 required positional arguments: 'Ma' and 'ga'"),
    (lambda: F(ga=1.4), "To_T_from_Ma() missing 1 required positional argument: 'Ma'"),
    (lambda: F(a, 1.4, 0), "To_T_from_Ma() takes 2 positional arguments but 3 were given"),
    (lambda: F(a, 1.4, 0, 1), "To_T_from_Ma() takes 2 positional arguments but 4 were given"),
    # the positional count is checked before any keyword
    (lambda: F(a, 1.4, 0, Ma=a), "To_T_from_Ma() takes 2 positional arguments but 3 were given"),
    (lambda: F(a, 1.4, Ma=a), "To_T_from_Ma() got multiple values for argument 'Ma'"),
    (lambda: F(a, Ma=a), "To_T_from_Ma() got multiple values for argument 'Ma'"),
    (lambda: F(a, gamma=1.4), "To_T_from_Ma() got an unexpected keyword argument 'gamma'"),
    (lambda: F(MA=a, ga=1.4), "To_T_from_Ma() got an unexpected keyword argument 'MA'"),
    # keywords are taken in order: the unknown one is met before 'Ma' repeats
    (lambda: F(a, x=1, Ma=a), "To_T_from_Ma() got an unexpected keyword argument 'x'"),
    (lambda: F(a, Ma=a, x=1), "To_T_from_Ma() got multiple values for argument 'Ma'"),
]


@pytest.mark.parametrize("call, expected", BINDING_ERRORS)
def test_binding_messages(call, expected):
    assert message(call) == expected


def test_keywords_bind_by_name_in_any_order():
    expected = F(a, 1.4).tolist()
    assert F(a, ga=1.4).tolist() == expected
    assert F(ga=1.4, Ma=a).tolist() == expected
    assert F(**{"Ma": a, "ga": 1.4}).tolist() == expected


def test_ga_conversions():
    expected = F(a, 1.0).tolist()
    assert F(a, 1).tolist() == expected
    assert F(a, True).tolist() == expected
    assert F(a, np.float32(1.0)).tolist() == expected
    assert F(a, np.int64(1)).tolist() == expected

    class Index:
        def __index__(self):
            return 1

    class Float(float):
        pass

    assert F(a, Index()).tolist() == expected
    assert F(a, Float(1.0)).tolist() == expected
    # -1.0 is a value, not an error marker
    assert F(a, -1.0).tolist() == F(a, np.float64(-1.0)).tolist()


def test_ga_conversion_errors():
    msg = message(lambda: F(a, "1.4"))
    assert msg.startswith("argument 'ga': ")
    assert message(lambda: F(a, None)).startswith("argument 'ga': ")
    # not a TypeError: raised as the conversion raised it, without the prefix
    with pytest.raises(OverflowError) as info:
        F(a, 10**400)
    assert not str(info.value).startswith("argument")

    class Bad:
        def __float__(self):
            raise ValueError("no float here")

    with pytest.raises(ValueError, match="^no float here$"):
        F(a, Bad())


def test_prefixed_type_error_keeps_the_cause_and_drops_the_original():
    class Bad:
        def __float__(self):
            try:
                raise KeyError("inner")
            except KeyError as k:
                raise TypeError("outer") from k

    with pytest.raises(TypeError) as info:
        F(a, Bad())
    assert str(info.value) == "argument 'ga': outer"
    assert isinstance(info.value.__cause__, KeyError)
    assert not (isinstance(info.value.__context__, TypeError)
                and str(info.value.__context__) == "outer")

    class SubTypeError(TypeError):
        pass

    class Bad2:
        def __float__(self):
            raise SubTypeError("sub")

    # only an exact TypeError is prefixed
    with pytest.raises(SubTypeError, match="^sub$"):
        F(a, Bad2())


ARRAY_REFUSALS = [
    ([1.0, 2.0], "list"),
    (np.array([1, 2], dtype=np.int64), "ndarray"),
    (np.array([1, 2], dtype=np.float32), "ndarray"),
    (np.array([1, 2], dtype=np.complex128), "ndarray"),
    (np.array([1.0, 2.0], dtype=object), "ndarray"),
    (np.array([1.0, 2.0], dtype=">f8" if np.little_endian else "<f8"), "ndarray"),
    (np.float64(2.0), "float64"),
    (2.0, "float"),
    (None, "NoneType"),
]


@pytest.mark.parametrize("obj, type_name", ARRAY_REFUSALS)
def test_array_refusals(obj, type_name):
    expected = f"argument 'Ma': '{type_name}' object cannot be converted to 'PyArray<T, D>'"
    assert message(lambda: vx.rhoo_rho_from_Ma(obj, 1.4)) == expected
    assert message(lambda: vx.To_T_from_Ma(obj, 1.4)) == expected


def test_one_dimensional_functions_refuse_other_ranks():
    for f in (vx.To_T_from_Ma, vx.Po_P_from_Ma):
        for obj in (np.array(2.0), np.ones((2, 2))):
            assert message(lambda: f(obj, 1.4)) == (
                "argument 'Ma': 'ndarray' object cannot be converted to 'PyArray<T, D>'")
    assert vx.rhoo_rho_from_Ma(np.array(2.0), 1.4).shape == ()
    assert vx.rhoo_rho_from_Ma(np.ones((2, 2)), 1.4).shape == (2, 2)


def test_errors_are_reported_in_parameter_order():
    assert message(lambda: F([1.0], "x")).startswith("argument 'Ma': 'list'")
    assert message(lambda: F(a, "x")).startswith("argument 'ga': ")


def test_first_parameter_name_prefixes_array_errors():
    if not hasattr(vx, "Ma_from_Po_P"):
        pytest.skip("inversions not registered yet")
    assert message(lambda: vx.Ma_from_Po_P([1.0], 1.4)).startswith("argument 'Po_P': 'list'")
    assert message(lambda: vx.Ma_from_A_Acrit([1.0], 1.4, True)).startswith(
        "argument 'A_Acrit': 'list'")


def test_three_parameter_binding():
    if not hasattr(vx, "Ma_from_A_Acrit"):
        pytest.skip("inversions not registered yet")
    A, M = vx.Ma_from_A_Acrit, vx.Ma_from_mcpTo_APo
    assert message(lambda: A()) == (
        "Ma_from_A_Acrit() missing 3 required positional arguments: 'A_Acrit', 'ga', and 'sup'")
    assert message(lambda: A(a, 1.4)) == (
        "Ma_from_A_Acrit() missing 1 required positional argument: 'sup'")
    assert message(lambda: M(a, 1.4, False, 0)) == (
        "Ma_from_mcpTo_APo() takes from 2 to 3 positional arguments but 4 were given")
    assert message(lambda: M(a, 1.4, sup=True)) == (
        "Ma_from_mcpTo_APo() got some positional-only arguments passed as keyword arguments: "
        "'sup'")
    assert message(lambda: M(mcpTo_APo=a, ga=1.4)) == (
        "Ma_from_mcpTo_APo() got some positional-only arguments passed as keyword arguments: "
        "'mcpTo_APo' and 'ga'")
    assert message(lambda: M(mcpTo_APo=a, ga=1.4, sup=True)) == (
        "Ma_from_mcpTo_APo() got some positional-only arguments passed as keyword arguments: "
        "'mcpTo_APo', 'ga', and 'sup'")
    # an unknown keyword is reported as soon as it is met
    assert message(lambda: M(mcpTo_APo=a, bogus=1, ga=1.4)) == (
        "Ma_from_mcpTo_APo() got an unexpected keyword argument 'bogus'")
    assert message(lambda: M()) == (
        "Ma_from_mcpTo_APo() missing 2 required positional arguments: 'mcpTo_APo' and 'ga'")
    x = np.array([1.5, 2.0])
    assert A(x, 1.4, sup=True).tolist() == A(x, 1.4, True).tolist()
    assert A(A_Acrit=x, sup=True, ga=1.4).tolist() == A(x, 1.4, True).tolist()


def test_sup_conversion():
    if not hasattr(vx, "Ma_from_A_Acrit"):
        pytest.skip("inversions not registered yet")
    A, M, Fm = vx.Ma_from_A_Acrit, vx.Ma_from_mcpTo_APo, vx.Ma_from_F_mcpTo
    x = np.array([1.5, 2.0])
    sub, sup = A(x, 1.4, False).tolist(), A(x, 1.4, True).tolist()
    assert sub != sup
    assert A(x, 1.4, None).tolist() == sub
    assert A(x, 1.4, np.False_).tolist() == sub
    assert A(x, 1.4, np.True_).tolist() == sup
    assert Fm(np.array([1.2]), 1.4, None).tolist() == Fm(np.array([1.2]), 1.4, False).tolist()
    m = np.array([0.9])
    assert M(m, 1.4).tolist() == M(m, 1.4, False).tolist()
    assert M(m, 1.4, np.True_).tolist() == M(m, 1.4, True).tolist()
    for bad, name in [(1, "int"), (0, "int"), (1.0, "float"), ("yes", "str")]:
        assert message(lambda: A(x, 1.4, bad)) == (
            f"argument 'sup': '{name}' object cannot be converted to 'PyBool'")
    assert message(lambda: M(m, 1.4, None)) == (
        "argument 'sup': 'NoneType' object cannot be converted to 'PyBool'")
    # array errors come before ga errors, which come before sup errors
    assert message(lambda: A([1.0], "x", 1)).startswith("argument 'A_Acrit'")
    assert message(lambda: A(x, "x", 1)).startswith("argument 'ga'")


def test_array_changed_by_ga_conversion_is_checked_again():
    x = np.arange(1.0, 11.0)

    class Reshaping:
        def __float__(self):
            x.resize((2, 5), refcheck=False)  # in place, over the same data
            return 1.4

    # the one-dimensional functions see the new rank and refuse it
    assert message(lambda: vx.To_T_from_Ma(x, Reshaping())) == (
        "argument 'Ma': 'ndarray' object cannot be converted to 'PyArray<T, D>'")
    x.resize((10,), refcheck=False)
    r = vx.rhoo_rho_from_Ma(x, Reshaping())
    assert r.shape == (2, 5)
    assert r.tolist() == vx.rhoo_rho_from_Ma(x, 1.4).tolist()

    y = np.arange(4.0)

    class Retyping:
        def __float__(self):
            # the same array object, its bytes now read as int64
            version, shape, _, fortran, raw = np.ndarray.__reduce__(y)[2]
            np.ndarray.__setstate__(y, (version, shape, np.dtype(np.int64), fortran, raw))
            return 1.4

    assert message(lambda: vx.rhoo_rho_from_Ma(y, Retyping())) == (
        "argument 'Ma': 'ndarray' object cannot be converted to 'PyArray<T, D>'")
