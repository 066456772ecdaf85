#!/usr/bin/env bash
# Runs every test: the C++ unit tests once, then, on each interpreter leg, the Python tests
# against vortalix2 installed from the wheel built for that leg (and, for CPython wheels, the
# manylinux check). A leg that cannot be set up fails the run; none is skipped.
#
#   bash tools/test.sh            all legs
#   bash tools/test.sh cp311 pypy only the legs named (the C++ tests still run)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source tools/legs.sh

if [ $# -gt 0 ]; then
    legs=("$@")
fi
# ---- Release leg: the wheels of the release toolchain (tools/release_leg.sh), on a full run.
[ $# -eq 0 ] && legs+=(release)
# ----

started=$SECONDS
failed=()
passed=()
versions=()

ensure_debian_packages "${build_packages[@]}" "${pypy_packages[@]}" || {
    echo "could not install the Debian packages the tests need" >&2
    exit 1
}
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}

echo "== C++ unit tests"
# build/cpp is shared with any other test run going on: one at a time builds and runs there.
mkdir -p build
if flock build/cpp.lock bash -c 'cmake -S . -B build/cpp -DVORTALIX2_MODULE=OFF \
    -DVORTALIX2_CPP_TESTS=ON >/dev/null && cmake --build build/cpp -j2 >/dev/null &&
    build/cpp/vortalix2_cpp_tests'; then
    passed+=(cpp)
else
    failed+=(cpp)
fi

# The machine-checked error bound of the vector pow, against the committed tables (seconds).
echo "== pow proof"
if bash tools/prove_pow.sh; then passed+=(pow-proof); else failed+=(pow-proof); fi

# Tests run from an empty folder, so that neither the source tree nor the build folder can
# stand in for the installed module.
outside=$(mktemp -d)
trap 'rm -rf "$outside"' EXIT

for leg in "${legs[@]}"; do
    echo "== $leg"
    leg_started=$SECONDS
    # shellcheck disable=SC2046  # the package list is meant to split into words
    ensure_debian_packages $(leg_debian_packages "$leg") || {
        echo "could not install the Debian packages leg $leg needs"
        failed+=("$leg")
        continue
    }
    if is_core_leg "$leg"; then
        if run_core_leg "$leg"; then passed+=("$leg"); else failed+=("$leg"); fi
        echo "($leg took $((SECONDS - leg_started)) s)"
        continue
    fi
    # ---- Legs that build and test inside a root of their own (tools/roots.sh).
    if is_root_leg "$leg"; then
        if run_root_leg "$leg"; then passed+=("$leg"); else failed+=("$leg"); fi
        echo "($leg took $((SECONDS - leg_started)) s)"
        continue
    fi
    # ----
    # ---- Release leg: its own script, which also runs alone.
    if [ "$leg" = release ]; then
        if bash tools/release_leg.sh; then passed+=(release); else failed+=(release); fi
        echo "($leg took $((SECONDS - leg_started)) s)"
        continue
    fi
    # ----
    if ! prepare_leg "$leg"; then
        echo "leg $leg could not be set up"
        failed+=("$leg")
        continue
    fi
    python=$root/.venvs/$leg/bin/python
    versions+=("$leg: $("$python" -c 'import sys, numpy; print(sys.implementation.name, "%d.%d.%d" % sys.version_info[:3], "numpy", numpy.__version__)')")

    if [ "$leg" = sdist ]; then
        # The source distribution carries the licence.
        # (grep reads the whole listing: stopping early would fail tar, and the pipe, here)
        if tar -tzf "$root"/build/dist/sdist/*.tar.gz | grep '^[^/]*/LICENSE$' >/dev/null; then
            passed+=(sdist-licence)
        else
            failed+=(sdist-licence)
        fi
    fi
    if [ -n "$(leg_cmake_defines "$leg")" ]; then
        # The C++ tests built as this leg builds the module.
        if leg_cpp_tests "$leg"; then passed+=("$leg-cpp"); else failed+=("$leg-cpp"); fi
    fi

    if [ "$leg" != pypy ] && [ "$leg" != sdist ]; then
        if (cd "$outside" && "$python" "$root/tools/check_wheel.py" "$root"/build/dist/"$leg"/*.whl); then
            passed+=("$leg-wheel")
        else
            failed+=("$leg-wheel")
        fi
    fi

    selection=(-m "not extras")
    [ "$leg" = "$tools_leg" ] && selection=()
    if (cd "$outside" && "$python" -m pytest "$root/tests/python" -q -p no:cacheprovider \
        "${selection[@]}"); then
        passed+=("$leg")
    else
        failed+=("$leg")
    fi
    echo "($leg took $((SECONDS - leg_started)) s)"
done

# ---- Hardening: sanitizers, memory and thread stress, generated arguments and arrays, fuzzing,
# on a full run. Its own script, which also runs alone: bash tools/harden.sh [--long] [LEG...].
if [ $# -eq 0 ]; then
    if bash tools/harden.sh; then passed+=(hardening); else failed+=(hardening); fi
fi
# ----

echo "== Summary ($((SECONDS - started)) s)"
[ ${#versions[@]} -eq 0 ] || printf '%s\n' "${versions[@]}"
echo "passed: ${passed[*]:-none}"
echo "failed: ${failed[*]:-none}"
echo "suites: ${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
