"""Builds and loads tests/peer/borrow_peer.cpp, a second module of the array-borrow registry.

The peer is compiled once per interpreter (and per version of its source) against the running
interpreter's own headers, into a directory under the system's temporary directory. It is never
part of the installed package.
"""

import hashlib
import importlib.util
import os
import shlex
import subprocess
import sys
import sysconfig
import tempfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent / "peer" / "borrow_peer.cpp"
CAPSULE = "_RUST_NUMPY_BORROW_CHECKING_API"


def _target(source: Path) -> Path:
    include = sysconfig.get_paths()["include"]
    suffix = sysconfig.get_config_var("EXT_SUFFIX")
    digest = hashlib.sha256()
    for part in (source.read_bytes(), include.encode(), suffix.encode(), sys.executable.encode()):
        digest.update(part)
    folder = Path(tempfile.gettempdir()) / f"vortalix2-peer-{digest.hexdigest()[:16]}"
    return folder / f"{source.stem}{suffix}"


def build(source: Path = SOURCE) -> Path:
    """Path of the compiled peer (or of another test-only extension module, named after its
    source file), compiling it first if needed."""
    target = _target(source)
    if target.exists():
        return target
    target.parent.mkdir(parents=True, exist_ok=True)
    partial = target.with_name(f"{target.name}.{os.getpid()}.tmp")
    # VORTALIX2_PEER_CXX: the compiler command for the interpreter's machine where that is not
    # the host's g++ (a cross compiler when the interpreter runs under emulation).
    command = [
        *shlex.split(os.environ.get("VORTALIX2_PEER_CXX", "g++")), "-std=c++20", "-shared", "-fPIC", "-O2", "-ffp-contract=off", "-Wall",
        "-I", sysconfig.get_paths()["include"],
        str(source), "-o", str(partial),
    ]
    subprocess.run(command, check=True)
    os.replace(partial, target)  # atomic: a concurrent build never loads half a file
    return target


def load(path=None):
    """The peer module (built if needed)."""
    path = Path(path) if path is not None else build()
    if "borrow_peer" in sys.modules:
        return sys.modules["borrow_peer"]
    module_spec = importlib.util.spec_from_file_location("borrow_peer", path)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    sys.modules["borrow_peer"] = module
    return module


def multiarray():
    """NumPy's core multiarray module, where the registry capsule lives."""
    import numpy

    if int(numpy.__version__.split(".")[0]) >= 2:
        import numpy._core.multiarray as core
    else:
        import numpy.core.multiarray as core
    return core
