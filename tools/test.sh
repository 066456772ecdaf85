#!/usr/bin/env bash
# Runs every test: the C++ unit tests once, then the Python tests on each interpreter leg
# (CPython with NumPy 2, CPython with NumPy 1, PyPy with NumPy). A leg that cannot be set up
# fails the run; none is skipped.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh

failed=()
passed=()

echo "== C++ unit tests"
if cmake -S . -B build/cpp -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON >/dev/null &&
    cmake --build build/cpp -j2 >/dev/null && build/cpp/vortalix2_cpp_tests; then
    passed+=(cpp)
else
    failed+=(cpp)
fi

for leg in "${legs[@]}"; do
    echo "== Python tests: $leg"
    if prepare_leg "$leg" && ".venvs/$leg/bin/python" -m pytest tests/python -q -p no:cacheprovider; then
        passed+=("$leg")
    else
        failed+=("$leg")
    fi
done

# ---- Hardening: sanitizers, memory and thread stress, generated arguments and arrays, fuzzing.
# Its own script, which can also run alone (bash tools/harden.sh [--long] [LEG...]).
if bash tools/harden.sh; then passed+=(hardening); else failed+=(hardening); fi
# ----

echo "== Summary"
echo "passed: ${passed[*]:-none}"
echo "failed: ${failed[*]:-none}"
echo "suites: ${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
