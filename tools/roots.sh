# Legs that run in a root of their own: a file tree of another Debian release or another
# architecture, made here with mmdebstrap and kept outside the repository (VORTALIX2_ROOTS,
# /var/cache/vortalix2/roots by default), so that a second run reuses it and a fresh machine
# makes it in a minute or so.
#
#   cp314, cp315  Debian unstable's CPython 3.14 and 3.15, entered with chroot
#   trixie        Debian 13: its CPython 3.13 on glibc 2.41, entered with chroot
#   aarch64       64-bit ARM: the module cross-compiled with Debian's aarch64-linux-gnu-g++,
#                 Debian 12's arm64 CPython 3.11 run under qemu-user (qemu-aarch64 -L ROOT)
#
# pip inside a root cannot verify the TLS chain of the package index here, so the wheels a leg
# needs are downloaded on the host for the root's interpreter and installed from that folder.
# Debian unstable moves: nothing is pinned, a root is made again when its recipe changes
# (`rm -rf` it to refresh it by hand).
#
# Sourced by tools/legs.sh; needs ensure_debian_packages and pyenv_python from there.

root_legs=(cp314 cp315 trixie aarch64)
roots_dir=${VORTALIX2_ROOTS:-/var/cache/vortalix2/roots}
roots_mirror=${VORTALIX2_DEBIAN_MIRROR:-http://deb.debian.org/debian}
roots_source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

is_root_leg() {
    case "$1" in cp314 | cp315 | trixie | aarch64) return 0 ;; *) return 1 ;; esac
}

# make_root NAME ARCH VARIANT SUITE PACKAGE...: prints the folder of the root NAME, made by
# mmdebstrap unless it is there already from the same recipe. A lock keeps two runs from
# making the same root at once.
make_root() {
    local name=$1 arch=$2 variant=$3 suite=$4
    shift 4
    local dir=$roots_dir/$name recipe="$arch $variant $suite $*"
    ensure_debian_packages mmdebstrap || return 1
    mkdir -p "$roots_dir" || return 1
    (
        flock 9
        if [ "$(cat "$dir/.vortalix2-recipe" 2>/dev/null)" = "$recipe" ]; then
            exit 0
        fi
        echo "making the $name root ($suite, $arch)" >&2
        rm -rf "$dir" "$dir.new"
        # The snapshot served here keeps Release files past their Valid-Until date.
        mmdebstrap --quiet --arch="$arch" --variant="$variant" \
            --aptopt='Acquire::Check-Valid-Until "false"' \
            --include="$(IFS=,; echo "$*")" "$suite" "$dir.new" "$roots_mirror" >&2 &&
            echo "$recipe" >"$dir.new/.vortalix2-recipe" &&
            mv "$dir.new" "$dir"
    ) 9>"$roots_dir/.$name.lock" || return 1
    echo "$dir"
}

# host_wheels DIR PYTHON_VERSION MACHINE REQUIREMENT...: downloads, on the host, the newest
# binary wheels of the requirements (and their dependencies) for CPython PYTHON_VERSION on
# Linux MACHINE into DIR.
host_wheels() {
    local dir=$1 version=$2 machine=$3 python
    shift 3
    python=$(pyenv_python 3.11) || return 1
    local out
    mkdir -p "$dir" || return 1
    out=$("$python" -m pip download -q -d "$dir" --only-binary=:all: --implementation cp \
        --python-version "$version" --platform "manylinux_2_28_$machine" \
        --platform "manylinux_2_17_$machine" --platform "manylinux2014_$machine" \
        --platform "manylinux_2_5_$machine" --platform "manylinux1_$machine" "$@" 2>&1) || {
        printf '%s\n' "$out" >&2
        return 1
    }
}

# in_root ROOT COMMAND...: runs COMMAND in ROOT by chroot, with /proc, /dev and the source
# tree (as /vortalix2) mounted in a mount namespace of its own, so that the mounts go away
# with the command however it ends.
in_root() {
    local dir=$1
    shift
    mkdir -p "$dir/vortalix2" "$dir/proc" "$dir/dev" || return 1
    unshare --mount --propagation private -- /bin/sh -c '
        set -e
        dir=$1 src=$2
        shift 2
        mount -t proc proc "$dir/proc"
        mount --rbind /dev "$dir/dev"
        mount --bind "$src" "$dir/vortalix2"
        exec chroot "$dir" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root \
            LANG=C.UTF-8 CMAKE_BUILD_PARALLEL_LEVEL=2 "$@"' sh "$dir" "$roots_source" "$@"
}

# The chroot legs: CPython VERSION of Debian SUITE, its wheels from the host.
chroot_leg_suite() {
    case "$1" in cp314 | cp315) echo unstable ;; trixie) echo trixie ;; esac
}
chroot_leg_python() {
    case "$1" in cp314) echo 3.14 ;; cp315) echo 3.15 ;; trixie) echo 3.13 ;; esac
}

# run_chroot_leg LEG: makes the root, builds the wheel there with the root's CPython (the
# build's own requirements from the host-downloaded wheels too), installs it into a venv in
# the root, checks the wheel and runs the Python suite from an empty folder.
run_chroot_leg() {
    local leg=$1 suite version dir packages wheels
    suite=$(chroot_leg_suite "$leg")
    version=$(chroot_leg_python "$leg")
    if [ "$suite" = unstable ]; then
        packages=(python3.14 python3.14-dev python3.14-venv python3.15 python3.15-dev
            python3.15-venv g++ make)
    else
        packages=("python$version" "python$version-dev" "python$version-venv" g++ make)
    fi
    dir=$(make_root "$suite" amd64 apt "$suite" "${packages[@]}") || return 1
    wheels=$dir/opt/wheels/$leg
    host_wheels "$wheels" "$version" x86_64 numpy pytest auditwheel scikit-build-core \
        pathspec packaging ninja cmake || return 1
    in_root "$dir" /bin/bash -c '
        set -euo pipefail
        leg=$1 version=$2
        venv=/opt/venvs/$leg find=(--no-index --find-links /opt/wheels/$leg)
        [ -x "$venv/bin/python" ] || "python$version" -m venv "$venv"
        "$venv/bin/python" -m pip install -q "${find[@]}" --upgrade numpy pytest auditwheel
        dist=/vortalix2/build/dist/$leg
        rm -rf "$dist" && mkdir -p "$dist"
        "$venv/bin/python" -m pip wheel -q "${find[@]}" --no-deps -w "$dist" \
            -C build-dir=build/roots/$leg /vortalix2
        "$venv/bin/python" -m pip install -q "${find[@]}" --force-reinstall --no-deps "$dist"/*.whl
        "$venv/bin/python" -c "import sys, platform, numpy; print(\"$leg:\", platform.python_implementation(), platform.python_version(), \"numpy\", numpy.__version__, \"glibc\", platform.libc_ver()[1])" | tee "$dist/versions.txt"
        outside=$(mktemp -d)
        cd "$outside"
        status=0
        "$venv/bin/python" /vortalix2/tools/check_wheel.py "$dist"/*.whl || status=1
        "$venv/bin/python" -m pytest /vortalix2/tests/python -q -p no:cacheprovider \
            -m "not extras" || status=1
        if [ "$leg" = trixie ]; then
            # The C++ tests too, built by the root'"'"'s compiler: among them the vector pow
            # against this glibc'"'"'s pow, bit for bit.
            "$venv/bin/python" -m pip install -q "${find[@]}" cmake ninja
            build=/vortalix2/build/roots/$leg-cpp
            PATH=$venv/bin:$PATH cmake -S /vortalix2 -B "$build" -G Ninja \
                -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
                PATH=$venv/bin:$PATH cmake --build "$build" -j2 --target vortalix2_cpp_tests \
                    >/dev/null &&
                "$build/vortalix2_cpp_tests" || status=1
        fi
        exit $status' sh "$leg" "$version"
}

# run_root_leg LEG: runs the leg; its interpreter and NumPy go into the caller's `versions`.
# Two runs of one leg at once (from two checkouts) would share its venv or site folder: the
# second waits for the first.
run_root_leg() {
    local status=0
    mkdir -p "$roots_dir" || return 1
    exec 8>"$roots_dir/.leg-$1.lock" && flock 8 || return 1
    case "$1" in
        cp314 | cp315 | trixie) run_chroot_leg "$1" || status=1 ;;
        aarch64) run_aarch64_leg || status=1 ;;
    esac
    exec 8>&-
    if [ -f "$roots_source/build/dist/$1/versions.txt" ]; then
        versions+=("$(cat "$roots_source/build/dist/$1/versions.txt")")
    fi
    return $status
}

# ---- aarch64: cross-compiled here, run under qemu-user.
#
# The root is Debian 12's arm64 CPython and the libraries it and the module need, unpacked
# (mmdebstrap's extract variant: no package scripts run, so no emulation is needed to make it).
# qemu-aarch64 -L ROOT runs its interpreter; NumPy and pytest are the aarch64 wheels from PyPI,
# installed into the root's site-packages by the host's pip. There is no binfmt handler here,
# so a child interpreter started with sys.executable goes through a launcher script that runs
# qemu again (a .pth file points sys.executable at it).
aarch64_suite=bookworm
aarch64_python=3.11

# aarch64_root: prints the root's folder, with NumPy and pytest installed and the launcher made.
aarch64_root() {
    local dir site launcher
    ensure_debian_packages qemu-user crossbuild-essential-arm64 || return 1
    dir=$(make_root "arm64-$aarch64_suite" arm64 extract "$aarch64_suite" \
        "python$aarch64_python" "libpython$aarch64_python-dev" libstdc++6) || return 1
    site=$dir/usr/local/lib/python$aarch64_python/dist-packages
    rm -rf "$site" && mkdir -p "$site" || return 1
    host_wheels "$dir/opt/wheels" "$aarch64_python" aarch64 numpy pytest || return 1
    "$(pyenv_python 3.11)" -m pip install -q --no-index --find-links "$dir/opt/wheels" \
        --target "$site" --only-binary=:all: --implementation cp \
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

# run_aarch64_leg: cross-compiles the module and the C++ tests, installs the module into the
# root, runs the C++ tests and the Python suite under qemu-aarch64.
run_aarch64_leg() {
    local dir build launcher site status=0 outside
    dir=$(aarch64_root) || return 1
    launcher=$roots_dir/arm64-$aarch64_suite.python
    site=$dir/usr/local/lib/python$aarch64_python/dist-packages
    build=$roots_source/build/roots/aarch64
    # The Python headers' pyconfig.h includes <aarch64-linux-gnu/python3.X/pyconfig.h>, which
    # is found in the root; -idirafter keeps the cross toolchain's own C library headers first.
    cmake -S "$roots_source" -B "$build" -DCMAKE_SYSTEM_NAME=Linux \
        -DCMAKE_SYSTEM_PROCESSOR=aarch64 -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ \
        -DCMAKE_CXX_FLAGS="-idirafter $dir/usr/include" -DCMAKE_POLICY_DEFAULT_CMP0190=NEW \
        -DCMAKE_CROSSCOMPILING_EMULATOR="qemu-aarch64;-L;$dir" \
        -DPython_EXECUTABLE="$dir/usr/bin/python$aarch64_python" \
        -DVORTALIX2_MODULE=ON -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
        cmake --build "$build" -j2 --target vortalix2 vortalix2_cpp_tests >/dev/null &&
        cmake --install "$build" --prefix "$site" >/dev/null || return 1
    # No fused multiply-add may appear in the module: every product and sum rounds on its own.
    # (GCC contracts a*b + c into one by default outside ISO mode; the bit tests catch that
    # too, this names it.)
    if aarch64-linux-gnu-objdump -d "$site"/vortalix2.*.so |
        grep -Eq '\s(fn?m(add|sub)|fml[as])\s'; then
        echo "the aarch64 module contains fused multiply-adds" >&2
        return 1
    fi
    mkdir -p "$roots_source/build/dist/aarch64"
    "$launcher" -c "import platform, numpy; print('aarch64:', platform.python_implementation(), platform.python_version(), 'numpy', numpy.__version__, 'glibc', platform.libc_ver()[1], 'under qemu-aarch64')" |
        tee "$roots_source/build/dist/aarch64/versions.txt"
    qemu-aarch64 -L "$dir" "$build/vortalix2_cpp_tests" || status=1
    outside=$(mktemp -d)
    # The test-only peer module is compiled by the tests themselves: for aarch64, here too.
    (cd "$outside" && VORTALIX2_PEER_CXX="aarch64-linux-gnu-g++ -idirafter $dir/usr/include" \
        "$launcher" -m pytest "$roots_source/tests/python" -q -p no:cacheprovider \
        -m "not extras") || status=1
    rm -rf "$outside"
    return $status
}
# ----
