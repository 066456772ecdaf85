"""Reads the installed type stubs and the reference documentation's function table, and runs
mypy over example code."""
import ast
import re
import subprocess
import sys
import textwrap
from pathlib import Path

import vortalix2

DOCS = Path(__file__).resolve().parents[2] / "docs"


def installed_stub() -> Path:
    return Path(vortalix2.__file__).with_name("vortalix2.pyi")


def _text_signature(args: ast.arguments) -> str:
    """The parameter list of a stub function, written as inspect.signature writes it."""
    positional = args.posonlyargs + args.args
    defaults = [None] * (len(positional) - len(args.defaults)) + list(args.defaults)
    parts = []
    for index, (arg, default) in enumerate(zip(positional, defaults)):
        parts.append(arg.arg if default is None else f"{arg.arg}={ast.unparse(default)}")
        if args.posonlyargs and index == len(args.posonlyargs) - 1:
            parts.append("/")
    assert not (args.vararg or args.kwonlyargs or args.kwarg), "unexpected parameter kinds"
    return "(" + ", ".join(parts) + ")"


def stub_functions(path=None):
    """{name: (text signature, docstring)} for every function of a stub file, in file order."""
    tree = ast.parse(Path(path or installed_stub()).read_text())
    return {
        node.name: (_text_signature(node.args), ast.get_docstring(node) or "")
        for node in tree.body
        if isinstance(node, ast.FunctionDef)
    }


def stub_all(path=None):
    tree = ast.parse(Path(path or installed_stub()).read_text())
    for node in tree.body:
        if isinstance(node, ast.Assign) and any(
            isinstance(t, ast.Name) and t.id == "__all__" for t in node.targets
        ):
            return ast.literal_eval(node.value)
    raise AssertionError("the stub has no __all__")


def docs_table(path=DOCS / "functions.md"):
    """{name: parameter list} from the function table: rows whose first cell is `name(...)`."""
    rows = {}
    for line in Path(path).read_text().splitlines():
        match = re.match(r"\|\s*`(\w+)(\([^`]*\))`\s*\|", line)
        if match:
            assert match.group(1) not in rows, f"{match.group(1)} is listed twice"
            rows[match.group(1)] = match.group(2)
    return rows


def run_mypy(tmp_path, source):
    """mypy --strict over `source` written to a file in tmp_path: (that file, the process)."""
    path = tmp_path / "example.py"
    path.write_text(textwrap.dedent(source))
    proc = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-error-summary",
         "--cache-dir", str(tmp_path / "cache"), str(path)],
        capture_output=True, text=True, cwd=tmp_path, timeout=600)
    return path, proc
