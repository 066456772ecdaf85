#!/usr/bin/env bash
# The release leg: release wheels (tools/wheels.sh) built, checked for their manylinux_2_17 tag,
# installed into a fresh environment of their interpreter and run against the Python suite; and
# the two symbol versions of this glibc's pow, the one the wheels bind (GLIBC_2.2.5) and the one
# a local build binds (GLIBC_2.29), compared bit for bit.
#
#   bash tools/release_leg.sh                 the cp311 wheels for x86-64 and aarch64
#   bash tools/release_leg.sh WHEEL...        others: cp39-x86_64 ... cp315-x86_64, pypy-x86_64,
#                                             cp311-aarch64, cp313-aarch64 ... cp315-aarch64
#
# x86-64 wheels run on this machine's interpreters (pyenv's CPythons, Debian's PyPy), except 3.14
# and 3.15, which run in the Debian unstable root of their legs (tools/roots.sh) by chroot; the
# aarch64 wheels run in roots of Debian's arm64 CPythons under qemu-user (3.11: the aarch64 leg's). tools/test.sh runs the default as
# the leg `release`.
set -uo pipefail
source "$(dirname "$0")/wheels.sh"

wheels=(cp311-x86_64 cp311-aarch64)
[ $# -gt 0 ] && wheels=("$@")
failed=()
release_tools || { echo "could not install the release tools" >&2; exit 1; }
leg_dist=$release_dir/leg-dist
outside=$(mktemp -d)
trap 'rm -rf "$outside"' EXIT

echo "-- pow@GLIBC_2.2.5 against pow@GLIBC_2.29"
mkdir -p build/release
if ! (g++ -O2 -std=c++20 -Wall -Wextra -ffp-contract=off tools/pow_versions.cpp \
    -o build/release/pow_versions -ldl && build/release/pow_versions); then
    failed+=(pow-versions)
fi

# On this machine: a venv of the interpreter, NumPy and pytest from PyPI.
test_on_host() {
    local name=$1 wheel=$2 python venv
    case $name in
        pypy-*) ensure_debian_packages "${pypy_packages[@]}" && python=$(command -v pypy3) ;;
        *) v=${name%-*} && v=${v#cp} && python=$(pyenv_python "${v:0:1}.${v:1}") ;;
    esac || return 1
    venv=$(venv_for "release-${name%-*}" "$python") &&
        "$venv/bin/python" -m pip install -q --only-binary=numpy numpy pytest >&2 &&
        "$venv/bin/python" -m pip install -q --force-reinstall --no-deps "$wheel" >&2 || return 1
    (cd "$outside" && "$root/$venv/bin/python" -c "import sys, vortalix2, numpy; print(sys.version.split()[0], 'numpy', numpy.__version__, 'module from', vortalix2.__file__)
sys.exit(0 if vortalix2.__file__.startswith('$root/$venv/') else 'not the installed module')") &&
        (cd "$outside" && "$root/$venv/bin/python" -m pytest "$root/tests/python" -q \
            -p no:cacheprovider -m "not extras")
}

# CPython 3.14 or 3.15 in the Debian unstable root of the cp314/cp315 legs.
test_in_unstable_root() {
    local name=$1 wheel=$2 leg=${1%-*} dir
    local version=${leg:2:1}.${leg:3}
    if [ -f "$roots_dir/unstable/.vortalix2-recipe" ]; then
        dir=$roots_dir/unstable
    else
        dir=$(make_root unstable amd64 apt unstable python3.14 python3.14-dev python3.14-venv \
            python3.15 python3.15-dev python3.15-venv g++ make) || return 1
    fi
    host_wheels "$dir/opt/wheels/release-$leg" "$version" x86_64 numpy pytest || return 1
    in_root "$dir" /bin/bash -c '
        set -euo pipefail
        leg=$1 version=$2 wheel=$3
        venv=/opt/venvs/release-$leg find=(--no-index --find-links /opt/wheels/release-$leg)
        [ -x "$venv/bin/python" ] || "python$version" -m venv "$venv"
        "$venv/bin/python" -m pip install -q "${find[@]}" --upgrade numpy pytest
        "$venv/bin/python" -m pip install -q --no-index --force-reinstall --no-deps "$wheel"
        cd "$(mktemp -d)"
        "$venv/bin/python" -c "import sys, platform, vortalix2, numpy; print(sys.version.split()[0], \"numpy\", numpy.__version__, \"glibc\", platform.libc_ver()[1], \"module from\", vortalix2.__file__)"
        "$venv/bin/python" -m pytest /vortalix2/tests/python -q -p no:cacheprovider \
            -m "not extras"' sh "$leg" "$version" "/vortalix2/${wheel#"$root"/}"
}

# CPython 3.11 on aarch64 under qemu-user, in the root of the aarch64 leg: the wheel unpacked
# into that root's site folder (in place of the aarch64 leg's own build), the test-only peer
# module built by the cross compiler.
# A root like the aarch64 leg's (tools/roots.sh) for a CPython newer than the host's 3.11: pip
# installs the aarch64 wheels for that version into it, told to ignore that it runs on 3.11.
newer_aarch64_root() {
    local dir site launcher
    ensure_debian_packages qemu-user crossbuild-essential-arm64 || return 1
    dir=$(make_root "arm64-$aarch64_suite" arm64 extract "$aarch64_suite" \
        "python$aarch64_python" "libpython$aarch64_python-dev" libstdc++6) || return 1
    # Debian 13 and later have /lib only as the merged-/usr link that a package script makes,
    # and no package script runs in such a root; qemu looks for the loader under ROOT/lib.
    [ -e "$dir/lib" ] || ln -s usr/lib "$dir/lib" || return 1
    site=$dir/usr/local/lib/python$aarch64_python/dist-packages
    rm -rf "$site" && mkdir -p "$site" || return 1
    host_wheels "$dir/opt/wheels" "$aarch64_python" aarch64 numpy pytest || return 1
    "$(pyenv_python 3.11)" -m pip install -q --no-index --find-links "$dir/opt/wheels" \
        --target "$site" --only-binary=:all: --implementation cp --ignore-requires-python \
        --python-version "$aarch64_python" --platform "manylinux_2_28_aarch64" \
        --platform "manylinux_2_17_aarch64" --platform "manylinux2014_aarch64" \
        numpy pytest >&2 || return 1
    launcher=$roots_dir/arm64-$aarch64_suite.python
    printf '#!/bin/sh\nVORTALIX2_GUEST_PYTHON=%s exec qemu-aarch64 -L %s %s "$@"\n' \
        "$launcher" "$dir" "$dir/usr/bin/python$aarch64_python" >"$launcher" &&
        chmod +x "$launcher" || return 1
    echo 'import os, sys; sys.executable = os.environ.get("VORTALIX2_GUEST_PYTHON", sys.executable)' \
        >"$site/vortalix2_qemu_launcher.pth" || return 1
    echo "$dir"
}

# The aarch64 interpreters to be had: Debian 12's 3.11 (the aarch64 leg's root), Debian 13's 3.13
# and unstable's 3.14 and 3.15, in roots made the same way (one folder of roots per version).
# 3.11's site folder is the aarch64 leg's: the lock of that interpreter (tools/roots.sh) keeps
# the two apart when they run at the same time.
test_under_qemu() {
    mkdir -p "$roots_dir" || return 1
    (flock 7 && test_in_aarch64_root "$@") 7>"$roots_dir/.aarch64-${1%-*}.lock"
}

test_in_aarch64_root() {
    local name=$1 wheel=$2 dir site python
    local aarch64_suite aarch64_python roots_dir=$roots_dir
    case ${name%-*} in
        cp311) aarch64_suite=bookworm aarch64_python=3.11 ;;
        cp313) aarch64_suite=trixie aarch64_python=3.13 roots_dir=$roots_dir/release-cp313 ;;
        cp314) aarch64_suite=unstable aarch64_python=3.14 roots_dir=$roots_dir/release-cp314 ;;
        cp315) aarch64_suite=unstable aarch64_python=3.15 roots_dir=$roots_dir/release-cp315 ;;
        *) echo "no aarch64 interpreter here for $name" >&2 && return 1 ;;
    esac
    if [ "$aarch64_python" = 3.11 ]; then
        dir=$(aarch64_root bookworm) && python=$(aarch64_python "$dir" 3.11) || return 1
    else
        dir=$(newer_aarch64_root) || return 1
        python=$roots_dir/arm64-$aarch64_suite.python
    fi
    echo "pow@GLIBC_2.17 against pow@GLIBC_2.29 on aarch64"
    aarch64-linux-gnu-g++ -O2 -std=c++20 -Wall -Wextra -ffp-contract=off tools/pow_versions.cpp \
        -o build/release/pow_versions_aarch64 -ldl &&
        qemu-aarch64 -L "$dir" build/release/pow_versions_aarch64 || return 1
    site=$dir/usr/local/lib/python$aarch64_python/dist-packages
    rm -rf "$site"/vortalix2.*.so "$site"/vortalix2.pyi "$site"/vortalix2-stubs \
        "$site"/vortalix2-*.dist-info "$site"/vortalix2_flows && (cd "$site" && unzip -q -o "$wheel") || return 1
    (cd "$outside" && "$python" -c "import sys, platform, vortalix2, numpy; print(sys.version.split()[0], 'numpy', numpy.__version__, platform.machine(), 'module from', vortalix2.__file__)") &&
        (cd "$outside" && VORTALIX2_PEER_CXX="aarch64-linux-gnu-g++ -idirafter $dir/usr/include" \
            "$python" -m pytest "$root/tests/python" -q -p no:cacheprovider -m "not extras")
}

rm -rf "$leg_dist"
for name in "${wheels[@]}"; do
    echo "-- $name wheel"
    if ! wheel=$(build_release_wheel "$name" "$leg_dist"); then
        failed+=("$name-build")
        continue
    fi
    echo "built ${wheel##*/}"
    case $name in
        cp314-x86_64 | cp315-x86_64) test_in_unstable_root "$name" "$wheel" ;;
        *-x86_64) test_on_host "$name" "$wheel" ;;
        *-aarch64) test_under_qemu "$name" "$wheel" ;;
    esac || failed+=("$name")
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "release leg failed: ${failed[*]}"
    exit 1
fi
echo "release leg passed"
