"""vortalix2_flows: its type stubs agree with the functions, and mypy reads them."""
import inspect
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import vortalix2_flows
from vortalix2_flows import isentropic, normal_shock

from stubs import stub_all, stub_functions

PACKAGE = Path(vortalix2_flows.__file__).parent


@pytest.mark.parametrize("module", [isentropic, normal_shock], ids=lambda m: m.__name__)
def test_stubs_list_every_function_with_its_parameters(module):
    stub = PACKAGE / (module.__name__.split(".")[-1] + ".pyi")
    assert stub_all(stub) == module.__all__
    # Each function appears as its scalar overload first; its parameter names are the runtime's.
    found = stub_functions(stub)
    for name in module.__all__:
        runtime = [p.name for p in inspect.signature(getattr(module, name)).parameters.values()]
        stub_params = [part.split("=")[0] for part in found[name][0].strip("()").split(", ")]
        assert stub_params == runtime, name
    assert (PACKAGE / "py.typed").exists()


TYPED = """
    import numpy as np
    import numpy.typing as npt
    from vortalix2_flows import isentropic as ise, normal_shock as ns, nozzle

    one: np.float64 = ise.nu_from_Ma(2.0, 1.4)
    many: npt.NDArray[np.float64] = ise.Ma_from_A_Acrit([1.5, 2.0], 1.4, [False, True])
    p: npt.NDArray[np.float64] = ns.P2_P1_from_Ma(np.linspace(1, 3, 5), np.array([1.3]))
    flow = nozzle.solve(*nozzle.default_nozzle(), 0.7)
    regime: str = flow.regime
    reveal_type(one)
    reveal_type(many)
"""

WRONG = """
    from vortalix2_flows import isentropic as ise, nozzle

    ise.Po_P_from_Ma(2.0)  # No overload variant of "Po_P_from_Ma"
    ise.mu_from_Ma(2.0, 1.4)  # No overload variant of "mu_from_Ma"
    flag: int = nozzle.solve([0, 1, 2], [2, 1, 2], 0.7).regime  # Incompatible types in assignment
"""


def run_mypy(tmp_path, source):
    path = tmp_path / "example.py"
    path.write_text(textwrap.dedent(source))
    proc = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-error-summary",
         "--cache-dir", str(tmp_path / "cache"), str(path)],
        capture_output=True, text=True, cwd=tmp_path, timeout=600)
    return path, proc


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
