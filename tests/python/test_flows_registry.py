"""vortalix2_flows: everything that lists the toolkit's relations comes from the registry's rows.

The modules' __all__ and functions, the ufuncs, the type stubs and the docs pages' function
tables are checked against the rows alone, so none of them can fall out of step; mypy --strict
reads the stubs (on the tools leg)."""
import importlib
import inspect
import re
import sys
from pathlib import Path

import pytest

from stubs import run_mypy
from vortalix2_flows import _core, _ufuncs

ROOT = Path(__file__).resolve().parents[2]
FAMILIES = list(dict.fromkeys(r.module for r in _ufuncs.RELATIONS))


@pytest.mark.parametrize("family", FAMILIES)
def test_modules_show_the_rows_and_nothing_else(family):
    module = importlib.import_module(f"vortalix2_flows.{family}")
    entries = _ufuncs.entries(family)
    rows = [name for _, name, _ in entries]
    assert module.__all__[:len(rows)] == rows
    # After the rows, the family's calls written in Python over them.
    assert not any(hasattr(getattr(module, c), "ufunc") for c in module.__all__[len(rows):])
    assert [n for n in dir(module) if not n.startswith("_")] == sorted(module.__all__)
    for relation, name, values in entries:
        f = getattr(module, name)
        assert f.ufunc is relation.ufunc and getattr(_core, f.ufunc.__name__) is f.ufunc
        p = _ufuncs.parse(relation.parameters)
        assert f.ufunc.nin == len(values) + p.ga + (p.flag is not None) and f.ufunc.nout == 1
        assert list(inspect.signature(f).parameters)[:len(values)] == list(values)
        assert f.__doc__.startswith(relation.doc)


def test_ufunc_names_are_unique_and_pickle_finds_them():
    import pickle

    names = [r.ufunc.__name__ for r in _ufuncs.RELATIONS]
    assert len(set(names)) == len(names)
    for r in _ufuncs.RELATIONS:
        assert pickle.loads(pickle.dumps(r.ufunc)) is r.ufunc
        assert r.ufunc.types[0].endswith("->f") and r.ufunc.types[1].endswith("->d")


def test_stubs_are_what_the_rows_give():
    sys.path.insert(0, str(ROOT / "tools"))
    try:
        import gen_stubs
    finally:
        sys.path.pop(0)
    package = Path(_ufuncs.__file__).parent
    for family, text in gen_stubs.stubs().items():
        assert (package / f"{family}.pyi").read_text() == text, \
            f"{family}.pyi is stale: run python tools/gen_stubs.py"
        assert (ROOT / "vortalix2_flows" / f"{family}.pyi").read_text() == text


@pytest.mark.parametrize("family", FAMILIES)
def test_docs_pages_list_every_function(family):
    page = (ROOT / "docs" / f"{family.replace('_', '-')}.md").read_text()
    listed = re.findall(r"^\| `(\w+)\(", page, re.M)
    module = importlib.import_module(f"vortalix2_flows.{family}")
    assert sorted(listed) == sorted(module.__all__)


TYPED = """
    import numpy as np
    import numpy.typing as npt
    from vortalix2_flows import fanno, isentropic as ise, normal_shock as ns, nozzle
    from vortalix2_flows import oblique_shock as ob

    one: np.float64 = ise.nu_from_Ma(2.0)
    many: npt.NDArray[np.float64] = ise.Ma_from_A_Acrit([1.5, 2.0], 1.4, sup=[False, True])
    p: npt.NDArray[np.float64] = ns.P2_P1_from_Ma(np.linspace(1, 3, 5), np.array([1.3]))
    single: npt.NDArray[np.float32] = ns.P2_P1_from_Ma(np.ones(3, dtype=np.float32))
    into: npt.NDArray[np.float64] = ise.To_T_from_Ma([1.0, 2.0], out=np.empty(2))
    beta: np.float64 = ob.beta_from_Ma_theta(2.0, 10.0, 1.4, strong=True)
    duct: npt.NDArray[np.float64] = fanno.Ma_from_fLstar_D([0.1, 0.2], sup=[False, True])
    polar: npt.NDArray[np.float64] = ob.polar([2.0, 3.0], n=50).theta
    whole = ise.state(A_Acrit=[1.5, 2.0], sup=True).to_dict()
    end: npt.NDArray[np.float64] = fanno.after([0.2, 0.5], 0.1)
    flow = nozzle.solve(*nozzle.default_nozzle(), 0.7)
    regime: str = flow.regime
    reveal_type(one)
    reveal_type(many)
"""

WRONG = """
    from vortalix2_flows import isentropic as ise, nozzle, oblique_shock as ob

    ise.Po_P_from_Ma(2.0, 1.4, 3.0)  # No overload variant of "Po_P_from_Ma"
    ise.mu_from_Ma(2.0, 1.4)  # No overload variant of "mu_from_Ma"
    ise.Ma_from_A_Acrit(2.0, 1.4)  # No overload variant of "Ma_from_A_Acrit"
    ob.theta_from_Ma_beta(2.0)  # No overload variant of "theta_from_Ma_beta"
    flag: int = nozzle.solve([0, 1, 2], [2, 1, 2], 0.7).regime  # Incompatible types in assignment
"""


@pytest.mark.extras
def test_mypy_accepts_typed_use(tmp_path):
    _, proc = run_mypy(tmp_path, TYPED)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert 'Revealed type is "numpy.float64"' in proc.stdout
    assert 'Revealed type is "numpy.ndarray[' in proc.stdout


@pytest.mark.extras
def test_mypy_rejects_wrong_calls(tmp_path):
    path, proc = run_mypy(tmp_path, WRONG)
    for number, line in enumerate(path.read_text().splitlines(), start=1):
        if "#" in line:
            expected = line.split("#")[1].strip()
            reported = [r for r in proc.stdout.splitlines() if f"example.py:{number}:" in r]
            assert any(expected in r for r in reported), (line, proc.stdout)
