# Shared by the tools: the interpreter legs the module is tested on, and how to prepare one.
# Each leg is a virtual environment under .venvs/ with NumPy, pytest and vortalix2 installed
# from a wheel that `pip wheel .` built for that leg's interpreter (the sdist leg installs from
# the source distribution instead), so that tests see the module exactly as a user gets it.

# cp311 is the tools leg: it also carries mypy, Dask and matplotlib for the tests marked
# `extras`; the other legs run the rest of the suite.
legs=(cp39 cp310 cp311 cp311-numpy126 cp312 cp313 pypy sdist)
tools_leg=cp311
# What the tests marked `extras` need, installed on the tools leg only: the one place to list
# a new test dependency of those tests.
tools_leg_test_packages="mypy dask[array] distributed matplotlib xarray pandas"

PYENV_ROOT=${PYENV_ROOT:-/root/.pyenv}

# pyenv_python X.Y: the newest pyenv-installed CPython X.Y, found by path, not through shims.
pyenv_python() {
    local found
    found=$(ls -d "$PYENV_ROOT"/versions/"$1".*/bin/python"$1" 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$found" ] || [ ! -x "$found" ]; then
        echo "CPython $1 is missing: expected $PYENV_ROOT/versions/$1.*/bin/python$1" >&2
        return 1
    fi
    echo "$found"
}

leg_python() {
    case "$1" in
        cp39) pyenv_python 3.9 ;;
        cp310) pyenv_python 3.10 ;;
        cp311 | cp311-numpy126 | sdist | example | bench | clang | novector | macos-core)
            pyenv_python 3.11 ;;
        cp312) pyenv_python 3.12 ;;
        cp313) pyenv_python 3.13 ;;
        pypy) command -v pypy3 || { echo "pypy3 is missing" >&2; return 1; } ;;
        *) echo "unknown leg $1" >&2; return 1 ;;
    esac
}

# The NumPy each leg tests with. Unpinned means the newest release with a wheel for the
# leg's interpreter: pip only offers releases whose Requires-Python admits it.
leg_requirements() {
    case "$1" in
        cp311-numpy126) echo "numpy==1.26.4 pytest auditwheel" ;;
        "$tools_leg") echo "numpy pytest auditwheel $tools_leg_test_packages" ;;
        pypy) echo "numpy pytest" ;;
        example) echo "numpy matplotlib" ;;
        bench) echo "numpy scipy numexpr" ;;
        *) echo "numpy pytest auditwheel" ;;
    esac
}

# Debian packages the legs and the build need; installs whatever is missing. Legs running at
# the same time take turns (apt-get and dpkg take one at a time).
ensure_debian_packages() {
    local need=() pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
    done
    [ ${#need[@]} -gt 0 ] || return 0
    (
        flock 9
        need=()
        for pkg in "$@"; do
            dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
        done
        [ ${#need[@]} -gt 0 ] || exit 0
        echo "installing Debian packages: ${need[*]}" >&2
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq -o DPkg::Lock::Timeout=600 "${need[@]}" >&2
    ) 9>/tmp/vortalix2-apt.lock
}

build_packages=(g++ cmake ccache)

# use_compiler_cache: every CMake build of the tests goes through ccache. The legs compile the
# same element loops (no Python header in them) for every interpreter and for the C++ tests,
# so each is compiled once per run, and a second run on the machine compiles only what changed.
use_compiler_cache() {
    if command -v ccache >/dev/null; then
        export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER-ccache}
    fi
}
pypy_packages=(pypy3 pypy3-dev pypy3-venv)

# venv_for NAME PYTHON: creates .venvs/NAME (or re-creates it when its interpreter is gone).
venv_for() {
    local venv=.venvs/$1
    if ! "$venv/bin/python" -c "" 2>/dev/null; then
        rm -rf "$venv"
        "$2" -m venv "$venv" >&2 || return 1
        "$venv/bin/python" -m pip install -q --upgrade pip >&2 || return 1
    fi
    echo "$venv"
}

# prepare_leg NAME: sets up .venvs/NAME and installs vortalix2 from a freshly built wheel
# (or sdist), leaving the package file in build/dist/NAME.
prepare_leg() {
    local name=$1 python venv dist
    python=$(leg_python "$name") || return 1
    venv=$(venv_for "$name" "$python") || return 1
    # shellcheck disable=SC2046  # the requirement list is meant to split into words
    "$venv/bin/python" -m pip install -q --only-binary=numpy $(leg_requirements "$name") >&2 ||
        return 1
    dist=build/dist/$name
    rm -rf "$dist" && mkdir -p "$dist"
    # Each leg (and the benchmark and the example) builds in a folder of its own, so that two
    # commands running at once do not share one.
    local settings=(--config-settings=build-dir=build/legs/"$name")
    local define
    for define in $(leg_cmake_defines "$name"); do
        settings+=(--config-settings=cmake.define."${define#-D}")
    done
    if [ "$name" = sdist ]; then
        "$venv/bin/python" -m pip install -q build >&2 &&
            "$venv/bin/python" -m build --sdist --outdir "$dist" . >&2 || return 1
    else
        "$venv/bin/python" -m pip wheel -q --no-deps --only-binary=numpy "${settings[@]}" \
            -w "$dist" . >&2 || return 1
    fi
    "$venv/bin/python" -m pip install -q --force-reinstall --no-deps "$dist"/vortalix2-* >&2
}

leg_numpy_version() {
    ".venvs/$1/bin/python" -c "import numpy; print(numpy.__version__)"
}

# ---- Compiler and platform legs
# clang and novector are interpreter legs whose module (and C++ tests) are built differently:
# with Debian's clang, and without vector extensions (the scalar loops only, as a compiler
# without them, MSVC, builds it). windows-core and macos-core have no interpreter: the C++ core
# (everything below src/module/) built for Windows x86-64 with mingw-w64 and its tests run under
# Wine, and built for macOS arm64 with zig's cross compiler (compile and link only).
legs+=(clang novector windows-core macos-core)
core_legs=(windows-core macos-core)

# leg_cmake_defines NAME: the CMake definitions a leg builds the module and C++ tests with.
leg_cmake_defines() {
    case "$1" in
        clang) echo "-DCMAKE_CXX_COMPILER=clang++" ;;
        novector) echo "-DVORTALIX2_VECTOR=OFF" ;;
    esac
}

# leg_debian_packages NAME: what a leg needs beyond the build packages.
leg_debian_packages() {
    case "$1" in
        pypy) echo "${pypy_packages[*]}" ;;
        clang) echo "clang" ;;
        windows-core) echo "g++-mingw-w64-x86-64 wine64" ;;
        cp314 | cp315 | trixie) echo "mmdebstrap" ;;
        aarch64) echo "mmdebstrap qemu-user crossbuild-essential-arm64" ;;
        release) echo "dpkg-dev unzip mmdebstrap qemu-user crossbuild-essential-arm64" ;;
    esac
}

is_core_leg() {
    local l
    for l in "${core_legs[@]}"; do [ "$l" = "$1" ] && return 0; done
    return 1
}

# leg_cpp_tests NAME: builds the C++ unit tests as the leg builds the module and runs them.
leg_cpp_tests() {
    local build=build/legs/$1-cpp
    # shellcheck disable=SC2046  # the definitions are meant to split into words
    cmake -S . -B "$build" -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON \
        $(leg_cmake_defines "$1") >/dev/null &&
        cmake --build "$build" -j2 --target vortalix2_cpp_tests >/dev/null &&
        quiet_cpp_tests "$build/vortalix2_cpp_tests"
}

# quiet_cpp_tests COMMAND...: runs the C++ tests, showing all but the lines of passed tests.
quiet_cpp_tests() {
    local log status
    log=$(mktemp)
    "$@" >"$log" 2>&1
    status=$?
    grep -v -e '^PASS ' -e '^wine: ' "$log"
    rm -f "$log"
    return $status
}

# run_core_leg NAME: the windows-core or macos-core leg.
run_core_leg() {
    local build=build/legs/$1
    case "$1" in
        windows-core)
            # The C runtime's pow (mingw-w64's, under Wine: Wine's) and no certified pow, which
            # is glibc's only; the wider loop copies are not built with MinGW.
            local wine
            wine=$(dpkg -L wine64 | grep -E '/wine64$') || {
                echo "wine64's launcher not found" >&2
                return 1
            }
            wine=${wine%%$'\n'*}
            cmake -S . -B "$build" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
                -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++ -DCMAKE_EXE_LINKER_FLAGS=-static \
                -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
                cmake --build "$build" -j2 --target vortalix2_cpp_tests >/dev/null || return 1
            # Wine makes its prefix on first start (a few seconds). Not inside the source tree:
            # the prefix links its drive Z: to /, which the sdist build would walk into.
            local prefix status
            prefix=$(mktemp -d) || return 1
            WINEDEBUG=-all WINEPREFIX=$prefix \
                quiet_cpp_tests "$wine" "$build/vortalix2_cpp_tests.exe"
            status=$?
            rm -rf "$prefix"
            return $status
            ;;
        macos-core)
            local python venv
            python=$(leg_python macos-core) || return 1
            venv=$(venv_for macos-core "$python") || return 1
            "$venv/bin/python" -m pip install -q ziglang >&2 || return 1
            mkdir -p "$build"
            printf '#!/bin/sh\nexec "%s" -m ziglang c++ -target aarch64-macos "$@"\n' \
                "$PWD/$venv/bin/python" >"$build/zig-c++"
            chmod +x "$build/zig-c++"
            # zig builds its C++ library on first use (about two minutes), then caches it, as
            # it caches what it compiles (so no compiler launcher in front of it).
            env -u CMAKE_CXX_COMPILER_LAUNCHER cmake -S . -B "$build/build" -DCMAKE_SYSTEM_NAME=Darwin -DCMAKE_SYSTEM_PROCESSOR=arm64 \
                -DCMAKE_CXX_COMPILER="$PWD/$build/zig-c++" \
                -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
                cmake --build "$build/build" -j2 --target vortalix2_cpp_tests >/dev/null || return 1
            # Mach-O 64-bit magic, then the arm64 CPU type, little-endian.
            [ "$(od -An -tx1 -N8 "$build/build/vortalix2_cpp_tests" | tr -d ' \n')" = \
                cffaedfe0c000001 ] || {
                echo "the macOS build is not an arm64 Mach-O executable" >&2
                return 1
            }
            echo "compiled and linked for macOS arm64 (not run)"
            ;;
    esac
}
# ---- Legs in roots of their own (another CPython, glibc or architecture): tools/roots.sh
source "$(dirname "${BASH_SOURCE[0]}")/roots.sh"
legs+=("${root_legs[@]}")
# ----
