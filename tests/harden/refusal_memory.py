"""Process memory over long runs of refused calls: vortalix2 refusing a float32 array, beside a
minimal extension module that refuses the same way (twin/refusal_twin.cpp), the same module
setting the error plainly, NumPy refusing an argument in its own C code, and valid calls.

    python tests/harden/refusal_memory.py [CALLS_PER_WINDOW [WINDOWS]]

Each kind runs in a fresh interpreter: one window of calls to warm up, then the growth of RSS
(after gc.collect()) over each further window, in kB. What grows for the twin as much as for
vortalix2 is the interpreter's, not the module's.
"""

import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "python"))

KINDS = {
    "vortalix2 refusing float32": "f = lambda: vx.rhoo_rho_from_Ma(a32, 1.4)",
    "twin, the same way": "f = lambda: twin.refuse(a32, 1.4)",
    "twin, PyErr_SetString": "f = lambda: twin.refuse_plainly(a32, 1.4)",
    "NumPy refusing": "f = lambda: a32.reshape('x')",
    "vortalix2 valid": "f = lambda: vx.rhoo_rho_from_Ma(a64, 1.4)",
}

RUN = """
import gc, importlib.util, sys
import numpy as np
import vortalix2 as vx
found = importlib.util.spec_from_file_location("refusal_twin", {twin!r})
twin = importlib.util.module_from_spec(found)
found.loader.exec_module(twin)
a64 = np.linspace(0.5, 3.0, 16)
a32 = a64.astype(np.float32)
{kind}
def window():
    for _ in range({n}):
        try:
            f()
        except TypeError:
            pass
    gc.collect()
    with open("/proc/self/statm") as s:
        return int(s.read().split()[1]) * 4
before = window()
for _ in range({windows}):
    after = window()
    print(after - before)
    before = after
"""


def twin_path():
    import peer

    return peer.build(HERE / "twin" / "refusal_twin.cpp")


def growth(kind, n, windows, twin=None):
    """RSS growth in kB over each window of n calls of a kind, after a warm-up window."""
    code = RUN.format(twin=str(twin or twin_path()), kind=KINDS[kind], n=n, windows=windows)
    proc = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          timeout=3600)
    if proc.returncode != 0:
        raise RuntimeError(proc.stderr)
    return [int(line) for line in proc.stdout.split()]


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 200_000
    windows = int(sys.argv[2]) if len(sys.argv) > 2 else 6
    twin = twin_path()
    print(f"{sys.implementation.name} {sys.version.split()[0]}: RSS growth in kB per {n} calls, "
          f"after {n} to warm up")
    for kind in KINDS:
        print(f"  {kind:28} {growth(kind, n, windows, twin)}", flush=True)


if __name__ == "__main__":
    main()
