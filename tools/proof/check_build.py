#!/usr/bin/env python3
"""The build flags the pow proof assumes, checked on the build's own compile commands.

    python3 tools/proof/check_build.py BUILD_DIR     (BUILD_DIR/compile_commands.json)

- Every unit is compiled with -ffp-contract=off and without any flag that lets the compiler
  contract, reassociate or otherwise change rounded operations (checked on all units: the
  kernel is inlined wherever a relation takes a power).
- For each instruction set that uses the vector kernel, one non-inlined instance of the
  kernel, compiled with that level's own flags, has exactly the fused multiply-adds that the
  description in tools/proof/pow_kernel.py names (each fma, one per exact product, two per fma
  split). (The baseline level, without fused multiply-add, does not use the kernel.)
"""
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pow_kernel  # noqa: E402

FORBIDDEN = ("-ffast-math", "-Ofast", "-funsafe-math-optimizations", "-freciprocal-math",
             "-fassociative-math", "-ffp-contract=fast", "-ffp-contract=on", "-mfma4")
INSTANCE = """#include "math/pow.hpp"
namespace vortalix2::inline VORTALIX2_ISA::math::pow_kernel {
[[gnu::noinline]] Attempt<Lanes<VORTALIX2_LANES>> kernel_instance(Lanes<VORTALIX2_LANES> x,
                                                                  Lanes<VORTALIX2_LANES> y) {
    return attempt(x, y);
}
}
"""
FMA = re.compile(r"^\s+vfn?m(?:add|sub)\w*\s")


def fail(msg):
    print("FAILED: " + msg)
    sys.exit(1)


def named_fmas():
    per = {"fma": 1, "two_prod": 1, "fma_split": 2}
    return sum(per.get(st.op, 0) for k in pow_kernel.KERNELS for st in k.steps)


def instance_fmas(args, path):
    """Fused multiply-adds in the non-inlined kernel instance compiled with args."""
    with tempfile.TemporaryDirectory() as tmp:
        src, asm = os.path.join(tmp, "instance.cpp"), os.path.join(tmp, "instance.s")
        with open(src, "w") as f:
            f.write(INSTANCE)
        out = subprocess.run(args + ["-S", "-o", asm, src], capture_output=True, text=True,
                             cwd=path)
        if out.returncode:
            fail("the kernel instance does not compile:\n" + out.stderr[-2000:])
        lines = open(asm).read().splitlines()
    start = next(i for i, ln in enumerate(lines) if re.match(r"_ZN.*kernel_instance.*:$", ln))
    end = next(i for i in range(start, len(lines)) if ".cfi_endproc" in lines[i])
    return sum(1 for ln in lines[start:end] if FMA.match(ln))


def main():
    commands = json.load(open(os.path.join(sys.argv[1], "compile_commands.json")))
    if not commands:
        fail("no compile commands")
    levels = {}
    for c in commands:
        args = shlex.split(c["command"]) if "command" in c else c["arguments"]
        unit = os.path.relpath(c["file"], ROOT)
        contract = [a for a in args if a.startswith("-ffp-contract=")]
        if contract[-1:] != ["-ffp-contract=off"]:
            fail(f"{unit} is not compiled with -ffp-contract=off (last: {contract[-1:]})")
        bad = [a for a in args if a in FORBIDDEN]
        if bad:
            fail(f"{unit} is compiled with {' '.join(bad)}")
        isa = next((a.split("=", 1)[1] for a in args if a.startswith("-DVORTALIX2_ISA=")), None)
        if isa and isa not in levels:
            # The level's compiler and flags, without its output and input.
            keep, skip = [], False
            for a in args:
                if skip:
                    skip = False
                elif a in ("-o", "-c"):
                    skip = True
                elif a != c["file"] and not a.endswith((".cpp", ".o")):
                    keep.append(a)
            levels[isa] = (keep, c.get("directory", ROOT))
    print(f"Build flags: {len(commands)} units, every one with -ffp-contract=off and none of "
          + ", ".join(FORBIDDEN))
    want = named_fmas()
    if not levels:
        fail("no unit compiled for a vector instruction set")
    for isa, (args, cwd) in sorted(levels.items()):
        have = instance_fmas(args, cwd)
        if have != want:
            fail(f"{isa}: the kernel instance has {have} fused multiply-adds, the description "
                 f"names {want}")
        print(f"  {isa}: the kernel instance has the {have} fused multiply-adds of the description")


if __name__ == "__main__":
    main()
