"""The stubs of the oblique-shock, Fanno and Rayleigh modules agree with the functions, and
mypy reads them."""
import inspect
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import vortalix2_flows
from vortalix2_flows import fanno, oblique_shock, rayleigh

from stubs import stub_all, stub_functions

PACKAGE = Path(vortalix2_flows.__file__).parent


@pytest.mark.parametrize("module", [oblique_shock, fanno, rayleigh], ids=lambda m: m.__name__)
def test_stubs_list_every_function_with_its_parameters(module):
    stub = PACKAGE / (module.__name__.split(".")[-1] + ".pyi")
    assert stub_all(stub) == module.__all__
    found = stub_functions(stub)
    for name in module.__all__:
        runtime = [p.name for p in inspect.signature(getattr(module, name)).parameters.values()]
        stub_params = [part.split("=")[0] for part in found[name][0].strip("()").split(", ")]
        assert stub_params == runtime, name


@pytest.mark.extras
def test_mypy_reads_the_stubs(tmp_path):
    source = tmp_path / "example.py"
    source.write_text(textwrap.dedent("""
        import numpy as np
        import numpy.typing as npt
        from vortalix2_flows import fanno, oblique_shock as ob, rayleigh

        one: np.float64 = ob.beta_from_Ma_theta(2.0, 10.0, 1.4, strong=True)
        many: npt.NDArray[np.float64] = fanno.Ma_from_fLstar_D([0.1, 0.2], 1.4, [False, True])
        heat: npt.NDArray[np.float64] = rayleigh.To_Tostar_from_Ma(np.linspace(0, 2, 5), 1.3)
        ob.theta_from_Ma_beta(2.0, 40.0)  # No overload variant of "theta_from_Ma_beta"
    """))
    proc = subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-error-summary",
                           "--cache-dir", str(tmp_path / "cache"), str(source)],
                          capture_output=True, text=True, cwd=tmp_path, timeout=600)
    errors = [r for r in proc.stdout.splitlines() if ": error:" in r]
    assert len(errors) == 1 and "example.py:9:" in errors[0] and "No overload variant" in errors[0], \
        proc.stdout + proc.stderr
