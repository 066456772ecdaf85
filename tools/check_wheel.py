"""Checks a built wheel: auditwheel must find a manylinux tag it can carry and no shared
library outside the manylinux set, and the wheel must hold the module and its stubs.

Usage: python tools/check_wheel.py [--tag TAG] WHEEL

With --tag (e.g. manylinux_2_17_x86_64, for the release wheels) auditwheel must find exactly
that tag, and the wheel's file name must carry it.
"""
import re
import subprocess
import sys
import zipfile


def main(wheel, target=None):
    problems = []

    names = zipfile.ZipFile(wheel).namelist()
    for expected in ("vortalix2.pyi", "vortalix2-stubs/__init__.pyi"):
        if expected not in names:
            problems.append(f"{expected} is missing from the wheel")
    if not any(re.fullmatch(r"vortalix2\..*\.so", n) for n in names):
        problems.append("the extension module is missing from the wheel")

    show = subprocess.run(
        [sys.executable, "-m", "auditwheel", "show", wheel],
        capture_output=True, text=True,
    )
    report = " ".join(show.stdout.split())  # auditwheel wraps its lines
    tag = re.search(r'consistent with the following platform tag: "([^"]+)"', report)
    if show.returncode != 0 or tag is None:
        problems.append(f"auditwheel show failed: {show.stderr.strip()}")
    elif not tag.group(1).startswith("manylinux"):
        problems.append(f"platform tag {tag.group(1)} is not a manylinux tag")
    elif target is not None and tag.group(1) != target:
        problems.append(f"auditwheel finds platform tag {tag.group(1)}, not {target}")
    if target is not None:
        platforms = wheel.rsplit("/", 1)[-1].removesuffix(".whl").split("-")[-1].split(".")
        if target not in platforms:
            problems.append(f"the file name does not carry the tag {target}")
    if "external shared libraries are required" in report:
        problems.append("the module needs a shared library outside the manylinux set")

    if problems:
        print(report)
    for p in problems:
        print("wheel check:", p)
    if tag is not None:
        print("auditwheel tag:", tag.group(1))
    return 1 if problems else 0


if __name__ == "__main__":
    args = sys.argv[1:]
    target = None
    if len(args) == 3 and args[0] == "--tag":
        target, args = args[1], args[2:]
    if len(args) != 1:
        sys.exit(__doc__)
    sys.exit(main(args[0], target))
