#!/usr/bin/env bash
# The release leg: the cp311 wheel built by the release toolchain (tools/wheels.sh), checked for
# its manylinux_2_17 tag, installed into a fresh virtual environment and run against the Python
# suite; and the two symbol versions of this glibc's pow, the one the wheel binds
# (GLIBC_2.2.5) and the one a local build binds (GLIBC_2.29), compared bit for bit.
#
#   bash tools/release_leg.sh        (tools/test.sh runs it as the leg `release`)
set -uo pipefail
source "$(dirname "$0")/wheels.sh"

failed=()
release_tools || { echo "could not install the release tools" >&2; exit 1; }

echo "-- pow@GLIBC_2.2.5 against pow@GLIBC_2.29"
if ! (g++ -O2 -std=c++20 -Wall -Wextra -ffp-contract=off tools/pow_versions.cpp \
    -o build/release/pow_versions -ldl && build/release/pow_versions); then
    failed+=(pow-versions)
fi

echo "-- cp311 x86-64 wheel"
leg_dist=$release_dir/leg-dist
rm -rf "$leg_dist"
outside=$(mktemp -d)
trap 'rm -rf "$outside"' EXIT
if wheel=$(build_release_wheel cp311-x86_64 "$leg_dist"); then
    echo "built ${wheel##*/}"
    python=$(pyenv_python 3.11) && venv=$(venv_for release-cp311 "$python") &&
        "$venv/bin/python" -m pip install -q --only-binary=numpy numpy pytest >&2 &&
        "$venv/bin/python" -m pip install -q --force-reinstall --no-deps "$wheel" >&2 &&
        # The module must come from the wheel, and be the one built by zig (glibc 2.17 symbols).
        (cd "$outside" && "$root/$venv/bin/python" -c "
import vortalix2, sys
sys.exit(0 if vortalix2.__file__.startswith('$root/$venv/') else 'not the installed module')") &&
        (cd "$outside" && "$root/$venv/bin/python" -m pytest "$root/tests/python" -q \
            -p no:cacheprovider -m "not extras") || failed+=(cp311-x86_64)
else
    failed+=(cp311-x86_64-build)
fi

# ---- aarch64: the cp311 wheel under qemu-user, once a root for it can be made here.

if [ ${#failed[@]} -gt 0 ]; then
    echo "release leg failed: ${failed[*]}"
    exit 1
fi
echo "release leg passed"
