"""The installed package: where the module comes from, its type stubs and its documentation."""
import inspect
import subprocess
import sys
import sysconfig
from pathlib import Path

import numpy as np
import pytest

import vortalix2 as vx
from stubs import docs_table, installed_stub, run_mypy, stub_all, stub_functions

SOURCE_TREE = Path(__file__).resolve().parents[2]


def test_module_is_the_installed_one():
    module = Path(vx.__file__).resolve()
    site = {Path(sysconfig.get_paths()[k]).resolve() for k in ("platlib", "purelib")}
    assert module.parent in site, f"vortalix2 imported from {module}, not from site-packages"


def test_stubs_are_installed_beside_the_module_and_as_stub_package():
    stub = installed_stub()
    package = stub.with_name("vortalix2-stubs") / "__init__.pyi"
    assert stub.read_bytes() == package.read_bytes()
    assert stub.read_bytes() == (SOURCE_TREE / "vortalix2.pyi").read_bytes()


def test_stubs_match_the_runtime_signatures():
    stubs = stub_functions()
    assert list(stubs) == vx.__all__
    assert stub_all() == vx.__all__
    mismatches = {
        name: (sig, str(inspect.signature(getattr(vx, name))))
        for name, (sig, _) in stubs.items()
        if sig != str(inspect.signature(getattr(vx, name)))
    }
    assert not mismatches, mismatches


def test_every_stub_documents_formula_domain_and_sup():
    for name, (sig, doc) in stub_functions().items():
        summary = " ".join(doc.split("\n\n")[0].split())
        assert "=" in summary or "the inverse of" in summary, f"{name}: no formula"
        assert "Domain:" in doc, f"{name}: no domain"
        assert ("`sup`" in doc) == ("sup" in sig), f"{name}: `sup` not explained"
        assert "NaN" in doc or "never NaN" in doc, f"{name}: out-of-domain result missing"


def test_runtime_docstrings_are_left_alone():
    # The stubs carry the documentation; the functions keep only their text signatures.
    assert all(getattr(vx, n).__doc__ in (None, "") for n in vx.__all__)


def test_docs_and_stubs_list_the_same_functions_and_parameters():
    stubs = {name: sig for name, (sig, _) in stub_functions().items()}
    assert docs_table() == stubs


TYPED_EXAMPLE = """
    import numpy as np
    import numpy.typing as npt
    import vortalix2 as vx

    ma: npt.NDArray[np.float64] = np.linspace(1.0, 3.0, 5)
    ratio: npt.NDArray[np.float64] = vx.A_Acrit_from_Ma(ma, 1.4)
    back = vx.Ma_from_A_Acrit(ratio, 1.4, True)
    subsonic = vx.Ma_from_mcpTo_APo(vx.mcpTo_APo_from_Ma(ma, 1.4), 1.4)
    impulse = vx.Ma_from_F_mcpTo(ratio, np.float64(1.4), None)
    shock = vx.Mash_from_Ma(ma, ga=1.4)
    reveal_type(back)
"""

# Each call is wrong; the comment is what mypy must say about that line.
WRONG_CALLS = """
    import numpy as np
    import vortalix2 as vx

    ma = np.linspace(1.0, 3.0, 5)
    vx.To_T_from_Ma(ma)  # Missing positional argument "ga"
    vx.Ma_from_mcpTo_APo(ma, 1.4, sup=True)  # Unexpected keyword argument "sup"
    vx.Ma_from_A_Acrit(ma, 1.4)  # Missing positional argument "sup"
    vx.Ma_from_mcpTo_APo(ma, 1.4, None)  # Argument 3 to "Ma_from_mcpTo_APo" has incompatible type "None"
    vx.Ma_from_A_Acrit(ma, 1.4, 1)  # Argument 3 to "Ma_from_A_Acrit" has incompatible type "int"
    vx.Po_P_from_Ma(ma, "1.4")  # Argument 2 to "Po_P_from_Ma" has incompatible type "str"
    vx.Ma_from_Mash([0.5], 1.4)  # Argument 1 to "Ma_from_Mash" has incompatible type "list[float]"
"""


@pytest.mark.extras
def test_mypy_accepts_typed_use_and_runtime_agrees(tmp_path):
    path, proc = run_mypy(tmp_path, TYPED_EXAMPLE)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    assert 'Revealed type is "numpy.ndarray[' in proc.stdout and "float64" in proc.stdout
    code = path.read_text().replace("reveal_type(back)", "")
    subprocess.run([sys.executable, "-c", code], check=True, cwd=tmp_path)


@pytest.mark.extras
def test_mypy_rejects_wrong_calls_that_fail_at_run_time(tmp_path):
    path, proc = run_mypy(tmp_path, WRONG_CALLS)
    lines = path.read_text().splitlines()
    for number, line in enumerate(lines, start=1):
        if "#" not in line:
            continue
        call, expected = (s.strip() for s in line.split("#"))
        reported = [r for r in proc.stdout.splitlines() if f"example.py:{number}:" in r]
        assert any(expected in r for r in reported), (line, proc.stdout)
        # The same call really is an error, caught before any computation.
        with pytest.raises(TypeError):
            eval(call, {"vx": vx, "np": np, "ma": np.linspace(1.0, 3.0, 5)})


def test_licence_is_installed_with_the_module():
    from importlib.metadata import PackageNotFoundError, distribution

    try:
        dist = distribution("vortalix2")
    except PackageNotFoundError:
        # The aarch64 leg installs a cross-compiled build with `cmake --install`, which writes
        # no distribution metadata; every wheel and sdist leg has it.
        pytest.skip("vortalix2 was installed without distribution metadata")
    files = [f for f in dist.files or [] if f.name == "LICENSE"]
    assert files, "no LICENSE among the installed distribution's files"
    text = files[0].locate().read_text()
    assert text == (SOURCE_TREE / "LICENSE").read_text()
    assert "MIT License" in text and "the vortalix2 developers" in text
