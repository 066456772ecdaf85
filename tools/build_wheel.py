"""Builds one release wheel of vortalix2 with zig's cross compiler, without the target interpreter.

The module is configured with cmake/zig-toolchain.cmake against the target's Python headers and
NumPy's headers, built, installed into a staging folder and packed into a wheel whose tags are
given here (the caller checks them with auditwheel). Run with Python 3.11 or later.

  python tools/build_wheel.py --zig-target x86_64-linux-gnu.2.17 \\
      --python-include /usr/include/python3.11 --soabi cpython-311-x86_64-linux-gnu \\
      --tag cp311-cp311-manylinux_2_17_x86_64.manylinux2014_x86_64 \\
      --numpy-include NUMPY/_core/include --build-dir build/release/x --out dist
"""
import argparse
import base64
import hashlib
import os
import shutil
import subprocess
import sys
import tomllib
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def metadata(project, license_files):
    """The core metadata of the wheel, from pyproject.toml's [project] table."""
    lines = [
        "Metadata-Version: 2.4",
        f"Name: {project['name']}",
        f"Version: {project['version']}",
        f"Summary: {project['description']}",
    ]
    lic = project.get("license")
    if isinstance(lic, str):
        lines.append(f"License-Expression: {lic}")
    elif isinstance(lic, dict) and "text" in lic:
        lines.append(f"License: {lic['text']}")
    lines += [f"License-File: {name}" for name in license_files]
    lines += [f"Classifier: {c}" for c in project.get("classifiers", [])]
    lines.append(f"Requires-Python: {project['requires-python']}")
    lines += [f"Requires-Dist: {d}" for d in project.get("dependencies", [])]
    for extra, deps in project.get("optional-dependencies", {}).items():
        lines.append(f"Provides-Extra: {extra}")
        lines += [f'Requires-Dist: {d}; extra == "{extra}"' for d in deps]
    readme = project.get("readme")
    body = ""
    if readme:
        lines.append("Description-Content-Type: text/markdown")
        body = (ROOT / readme).read_text(encoding="utf-8")
    return "\n".join(lines) + "\n\n" + body


def record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def pack(staging, project, tag, out):
    dist = f"{project['name']}-{project['version']}"
    info = f"{dist}.dist-info"
    files = {}
    for path in sorted(staging.rglob("*")):
        if path.is_file():
            files[path.relative_to(staging).as_posix()] = path.read_bytes()
    license_files = [p for p in ("LICENSE", "LICENSE.txt", "LICENSE.md") if (ROOT / p).is_file()]
    for name in license_files:
        files[f"{info}/licenses/{name}"] = (ROOT / name).read_bytes()
    files[f"{info}/METADATA"] = metadata(project, license_files).encode()
    tag_lines = []
    interp, abi, plats = tag.split("-")
    for plat in plats.split("."):
        tag_lines.append(f"Tag: {interp}-{abi}-{plat}")
    files[f"{info}/WHEEL"] = (
        "Wheel-Version: 1.0\nGenerator: vortalix2 tools/build_wheel.py\n"
        "Root-Is-Purelib: false\n" + "\n".join(tag_lines) + "\n"
    ).encode()
    record = [record_line(n, d) for n, d in files.items()] + [f"{info}/RECORD,,"]
    files[f"{info}/RECORD"] = ("\n".join(record) + "\n").encode()

    out.mkdir(parents=True, exist_ok=True)
    wheel = out / f"{dist}-{tag}.whl"
    with zipfile.ZipFile(wheel, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in files.items():
            zi = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            zi.external_attr = (0o755 if name.endswith(".so") else 0o644) << 16
            zi.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(zi, data)
    return wheel


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--zig-target", required=True)
    ap.add_argument("--zig-python", default=sys.executable,
                    help="an interpreter with ziglang installed")
    ap.add_argument("--python-include", required=True)
    ap.add_argument("--soabi", required=True)
    ap.add_argument("--tag", required=True, help="python-abi-platform tag of the wheel")
    ap.add_argument("--numpy-include", required=True)
    ap.add_argument("--build-dir", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()

    pyproject = tomllib.loads((ROOT / "pyproject.toml").read_text())
    project = pyproject["project"]
    build = Path(args.build_dir).resolve()
    env = dict(os.environ, VORTALIX2_ZIG_TARGET=args.zig_target,
               VORTALIX2_ZIG_PYTHON=args.zig_python)
    configure = [
        "cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
        "--toolchain", str(ROOT / "cmake/zig-toolchain.cmake"),
        "-DCMAKE_BUILD_TYPE=Release",
        f"-DPython_INCLUDE_DIR={args.python_include}",
        f"-DPython_SOABI={args.soabi}",
        f"-DVORTALIX2_NUMPY_INCLUDE={args.numpy_include}",
        "-DVORTALIX2_MODULE=ON", "-DVORTALIX2_CPP_TESTS=OFF",
    ]
    staging = build / "staging"
    shutil.rmtree(staging, ignore_errors=True)
    for cmd in (configure, ["cmake", "--build", str(build), "-j2"],
                ["cmake", "--install", str(build), "--prefix", str(staging)]):
        subprocess.run(cmd, check=True, env=env, stdout=subprocess.DEVNULL)
    # The pure-Python packages, as scikit-build-core's wheel.packages puts them into its wheels.
    for package in pyproject["tool"]["scikit-build"]["wheel"].get("packages", []):
        for path in sorted((ROOT / package).rglob("*")):
            if path.is_file() and "__pycache__" not in path.parts and path.suffix != ".so":
                target = staging / path.relative_to(ROOT)
                target.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(path, target)
    print(pack(staging, project, args.tag, Path(args.out)))


if __name__ == "__main__":
    main()
