"""Every Python code block of README.md and docs/*.md runs as written, each as a script of its
own (shell blocks are not run). Blocks that use Dask or matplotlib need the tools leg."""
import re
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
EXTRAS = ("dask", "distributed", "matplotlib")


def blocks():
    found = []
    for page in [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]:
        text = page.read_text()
        for match in re.finditer(r"^( *)```python\n(.*?)^\1```", text, re.S | re.M):
            line = text[: match.start()].count("\n") + 1
            code = textwrap.dedent(match.group(2))
            marks = [pytest.mark.extras] if any(m in code for m in EXTRAS) else []
            found.append(pytest.param(code, id=f"{page.name}:{line}", marks=marks))
    return found


@pytest.mark.parametrize("code", blocks())
def test_code_block_runs(code, tmp_path):
    script = tmp_path / "block.py"
    script.write_text(code)
    done = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True,
                          text=True, timeout=300)
    assert done.returncode == 0, done.stdout + done.stderr
