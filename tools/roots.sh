# Legs that run in a root of their own: a file tree of another Debian release or another
# architecture, made here with mmdebstrap and kept outside the repository (VORTALIX2_ROOTS,
# /var/cache/vortalix2/roots by default), so that a second run reuses it and a fresh machine
# makes it in a minute or so.
#
#   cp314, cp315  Debian unstable's CPython 3.14 and 3.15, entered with chroot
#   trixie        Debian 13: its CPython 3.13 on glibc 2.41, entered with chroot
#   aarch64       64-bit ARM: the module cross-compiled with Debian's aarch64-linux-gnu-g++,
#                 Debian's arm64 CPython 3.11, 3.13, 3.14 and 3.15 run under qemu-user
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
# The processor qemu-user emulates for aarch64: a Neoverse N1 (Armv8.2 with NEON, the core of
# common ARM servers). qemu's default, "max", also has SVE, which glibc 2.41 and later and
# NumPy 2.5 then choose for their string and array kernels, and emulated SVE is several times
# slower than NEON (the suites of 3.13 and later took five to ten times as long).
export QEMU_CPU=${QEMU_CPU:-neoverse-n1}

is_root_leg() {
    case "$1" in cp314 | cp315 | trixie | aarch64) return 0 ;; *) return 1 ;; esac
}

# make_root NAME ARCH VARIANT SUITE PACKAGE...: prints the folder of the root NAME, made by
# mmdebstrap unless it is there already from the same recipe. A lock keeps two runs from
# making the same root at once.
make_root() {
    local name=$1 arch=$2 variant=$3 suite=$4
    shift 4
    local dir=$roots_dir/$name recipe="2 $arch $variant $suite $*"  # 2: the /usr links below
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
            --include="$(IFS=,; echo "$*")" "$suite" "$dir.new" "$roots_mirror" >&2 || exit 1
        # Unpacked packages of a merged-/usr release lack the /lib, /bin and /sbin links that
        # installing them would make; the dynamic loader is looked up as /lib/ld-linux-*.
        for d in bin sbin lib; do
            [ -e "$dir.new/$d" ] || [ ! -d "$dir.new/usr/$d" ] || ln -s "usr/$d" "$dir.new/$d"
        done
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

# root_wheel VERSION MACHINE: the wheel for CPython VERSION on MACHINE in the folder
# VORTALIX2_ROOT_WHEELS, if that is set: the root legs then test that wheel (a release wheel,
# say) instead of building their own.
root_wheel() {
    [ -n "${VORTALIX2_ROOT_WHEELS:-}" ] || return 0
    local found
    found=$(ls "$VORTALIX2_ROOT_WHEELS"/vortalix2-*-cp"${1/./}"-cp"${1/./}"-*"$2".whl 2>/dev/null |
        tail -n 1)
    if [ -z "$found" ]; then
        echo "no cp${1/./} $2 wheel in $VORTALIX2_ROOT_WHEELS" >&2
        return 1
    fi
    realpath "$found"
}

# run_chroot_leg LEG: makes the root, builds the wheel there with the root's CPython (the
# build's own requirements from the host-downloaded wheels too), installs it into a venv in
# the root, checks the wheel and runs the Python suite from an empty folder.
run_chroot_leg() {
    local leg=$1 suite version dir packages wheels given
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
    given=$(root_wheel "$version" x86_64) || return 1
    rm -rf "$roots_source/build/dist/$leg" && mkdir -p "$roots_source/build/dist/$leg" &&
        if [ -n "$given" ]; then cp "$given" "$roots_source/build/dist/$leg/"; fi || return 1
    in_root "$dir" /bin/bash -c '
        set -euo pipefail
        leg=$1 version=$2
        venv=/opt/venvs/$leg find=(--no-index --find-links /opt/wheels/$leg)
        [ -x "$venv/bin/python" ] || "python$version" -m venv "$venv"
        "$venv/bin/python" -m pip install -q "${find[@]}" --upgrade numpy pytest auditwheel
        dist=/vortalix2/build/dist/$leg
        if ! ls "$dist"/*.whl >/dev/null 2>&1; then
            "$venv/bin/python" -m pip wheel -q "${find[@]}" --no-deps -w "$dist" \
                -C build-dir=build/roots/$leg /vortalix2
        fi
        "$venv/bin/python" -m pip install -q "${find[@]}" --force-reinstall --no-deps "$dist"/*.whl
        "$venv/bin/python" -c "import platform as p, numpy
print(\"$leg:\", p.python_implementation(), p.python_version(), \"numpy\", numpy.__version__,
      \"glibc\", p.libc_ver()[1])" | tee "$dist/versions.txt"
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
    case "$1" in
        cp314 | cp315 | trixie)
            exec 8>"$roots_dir/.leg-$1.lock" && flock 8 || return 1
            run_chroot_leg "$1" || status=1
            exec 8>&-
            if [ -f "$roots_source/build/dist/$1/versions.txt" ]; then
                versions+=("$(cat "$roots_source/build/dist/$1/versions.txt")")
            fi
            ;;
        # (each interpreter takes a lock of its own: see run_aarch64_leg)
        # shellcheck disable=SC2086  # the versions are meant to split into words
        aarch64) run_aarch64_leg ${VORTALIX2_AARCH64_PYTHONS:-} || status=1 ;;
    esac
    return $status
}

# ---- aarch64: cross-compiled here, run under qemu-user.
#
# Each root holds the arm64 CPythons of one Debian suite and the libraries they and the module
# need, unpacked (mmdebstrap's extract variant: no package scripts run, so making it needs no
# emulation): 3.11 from Debian 12, 3.13 from Debian 13, 3.14 and 3.15 from unstable.
# qemu-aarch64 -L ROOT runs an interpreter; NumPy and pytest are the aarch64 wheels from PyPI,
# installed into the root's site-packages by the host's pip. There is no binfmt handler here,
# so a child interpreter started with sys.executable goes through a launcher script that runs
# qemu again (a .pth file points sys.executable at it). The module is cross-compiled once per
# interpreter with Debian's aarch64-linux-gnu-g++ (glibc 2.36, so it runs on all three
# suites); the C++ tests run once, in the Debian 12 root.
#
# The whole Python suite runs once per glibc (2.36, 2.41, 2.43: every power is that library's
# pow), so on 3.11, 3.13 and 3.15. 3.14 shares unstable's glibc with 3.15, and its whole suite
# runs on x86-64 in the cp314 leg: here its module is built, checked for fused multiply-adds,
# imported beside NumPy and given the suite's tests of the module's boundary with the
# interpreter (the third field: `full` or `boundary`).
aarch64_interpreters=("bookworm 3.11 full" "trixie 3.13 full" "unstable 3.14 boundary"
    "unstable 3.15 full")
aarch64_boundary_tests=(test_module.py test_binding.py)

aarch64_suite_versions() {
    case "$1" in bookworm) echo 3.11 ;; trixie) echo 3.13 ;; unstable) echo 3.14 3.15 ;; esac
}

# aarch64_root SUITE: prints the folder of the suite's arm64 root.
aarch64_root() {
    local suite=$1 packages=(libstdc++6) v
    for v in $(aarch64_suite_versions "$suite"); do
        packages+=("python$v" "libpython$v-dev")
    done
    make_root "arm64-$suite" arm64 extract "$suite" "${packages[@]}"
}

# aarch64_python DIR VERSION: installs NumPy and pytest for that interpreter of the root in DIR
# and makes its launcher; prints the launcher.
aarch64_python() {
    local dir=$1 version=$2 site launcher
    site=$dir/usr/local/lib/python$version/dist-packages
    launcher=$dir.python$version
    rm -rf "$site" && mkdir -p "$site" || return 1
    host_wheels "$dir/opt/wheels/cp${version/./}" "$version" aarch64 numpy pytest || return 1
    # (The wheels were chosen for that interpreter; pip would check Requires-Python against
    # its own.)
    "$(pyenv_python 3.11)" -m pip install -q --root-user-action=ignore --no-index \
        --find-links "$dir/opt/wheels/cp${version/./}" --target "$site" --only-binary=:all: \
        --implementation cp --python-version "$version" --ignore-requires-python \
        --platform manylinux_2_28_aarch64 --platform manylinux_2_17_aarch64 \
        --platform manylinux2014_aarch64 numpy pytest >&2 || return 1
    printf '#!/bin/sh\nVORTALIX2_GUEST_PYTHON=%s exec qemu-aarch64 -L %s %s "$@"\n' \
        "$launcher" "$dir" "$dir/usr/bin/python$version" >"$launcher" &&
        chmod +x "$launcher" || return 1
    echo 'import os, sys; sys.executable = os.getenv("VORTALIX2_GUEST_PYTHON", sys.executable)' \
        >"$site/vortalix2_qemu_launcher.pth" || return 1
    echo "$launcher"
}

# aarch64_build DIR VERSION BUILD TARGET...: cross-compiles the targets in BUILD against the
# root's Python VERSION and the NumPy installed for it.
aarch64_build() {
    local dir=$1 version=$2 build=$3
    shift 3
    # The Python headers' pyconfig.h includes <aarch64-linux-gnu/python3.X/pyconfig.h>, which
    # is found in the root; -idirafter keeps the cross toolchain's own C library headers first.
    # CMake runs the interpreter through qemu (CMAKE_CROSSCOMPILING_EMULATOR).
    cmake -S "$roots_source" -B "$build" -DCMAKE_SYSTEM_NAME=Linux \
        -DCMAKE_SYSTEM_PROCESSOR=aarch64 -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ \
        -DCMAKE_CXX_FLAGS="-idirafter $dir/usr/include" -DCMAKE_POLICY_DEFAULT_CMP0190=NEW \
        -DCMAKE_CROSSCOMPILING_EMULATOR="qemu-aarch64;-L;$dir" \
        -DPython_EXECUTABLE="$dir/usr/bin/python$version" \
        -DVORTALIX2_MODULE=ON -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
        cmake --build "$build" -j2 --target "$@" >/dev/null
}

# run_aarch64_leg [VERSION...]: for each aarch64 interpreter (all by default; the leg takes
# the versions from VORTALIX2_AARCH64_PYTHONS, e.g. "3.11 3.15", if set), cross-compiles
# the module, installs it into the root's site-packages and runs the Python suite under
# qemu-aarch64 from an empty folder; then the C++ tests in the Debian 12 root.
run_aarch64_leg() {
    local status=0 entry suite version scope dir launcher site build outside given line
    local tests
    ensure_debian_packages qemu-user crossbuild-essential-arm64 || return 1
    mkdir -p "$roots_dir" || return 1
    for entry in "${aarch64_interpreters[@]}"; do
        read -r suite version scope <<<"$entry"
        if [ $# -gt 0 ] && [[ " $* " != *" $version "* ]]; then continue; fi
        echo "-- aarch64, CPython $version of Debian $suite"
        # Two runs of one interpreter at once (from two checkouts, or the release leg's test
        # of its aarch64 wheel) would share its site folder: the second waits for the first.
        exec 8>"$roots_dir/.aarch64-cp${version/./}.lock" && flock 8 || return 1
        dir=$(aarch64_root "$suite") && launcher=$(aarch64_python "$dir" "$version") || {
            status=1
            exec 8>&-
            continue
        }
        site=$dir/usr/local/lib/python$version/dist-packages
        build=$roots_source/build/roots/aarch64-cp${version/./}
        given=$(root_wheel "$version" aarch64) || {
            status=1
            exec 8>&-
            continue
        }
        if [ -n "$given" ]; then
            "$(pyenv_python 3.11)" -m pip install -q --root-user-action=ignore --no-deps \
                --target "$site" --only-binary=:all: --implementation cp \
                --python-version "$version" --ignore-requires-python \
                --platform manylinux_2_17_aarch64 --platform manylinux_2_28_aarch64 \
                --platform linux_aarch64 "$given" >&2
        else
            aarch64_build "$dir" "$version" "$build" vortalix2 vortalix2_flows_core &&
                cmake --install "$build" --prefix "$site" >/dev/null &&
                tar -C "$roots_source" -cf - --exclude=__pycache__ --exclude='*.so' \
                    vortalix2_flows | tar -C "$site" -xf -
        fi || {
            status=1
            exec 8>&-
            continue
        }
        # No fused multiply-add may appear in the module: every product and sum rounds on
        # its own. (GCC contracts a*b + c into one by default outside ISO mode; the bit tests
        # catch that too, this names it.)
        if aarch64-linux-gnu-objdump -d "$site"/vortalix2.*.so "$site"/vortalix2_flows/_core.*.so |
            grep -Eq '\s(fn?m(add|sub)|fml[as])\s'; then
            echo "the aarch64 module contains fused multiply-adds" >&2
            status=1
        fi
        if line=$("$launcher" -c "import platform as p, numpy, vortalix2, vortalix2_flows
print('aarch64:', p.python_implementation(), p.python_version(), 'numpy', numpy.__version__,
      'glibc', p.libc_ver()[1], 'under qemu-aarch64')"); then
            echo "$line"
            versions+=("$line")
        else
            status=1
        fi
        tests=("$roots_source/tests/python")
        if [ "$scope" = boundary ]; then
            tests=("${aarch64_boundary_tests[@]/#/$roots_source/tests/python/}")
        fi
        outside=$(mktemp -d)
        # The test-only peer module is compiled by the tests themselves: for aarch64, here too.
        (cd "$outside" && VORTALIX2_PEER_CXX="aarch64-linux-gnu-g++ -idirafter $dir/usr/include" \
            "$launcher" -m pytest "${tests[@]}" -q -p no:cacheprovider -m "not extras") ||
            status=1
        rm -rf "$outside"
        if [ "$suite" = bookworm ]; then
            echo "-- aarch64 C++ tests"
            aarch64_build "$dir" "$version" "$build" vortalix2_cpp_tests &&
                qemu-aarch64 -L "$dir" "$build/vortalix2_cpp_tests" || status=1
        fi
        exec 8>&-
    done
    return $status
}
# ----
