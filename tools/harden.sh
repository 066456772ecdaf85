#!/usr/bin/env bash
# Hardening legs, run after the ordinary tests:
#   sanitize  the C++ tests and every pytest test (tests/python, tests/harden) with
#             AddressSanitizer and UndefinedBehaviorSanitizer on CPython, then the module's
#             tests once more with LeakSanitizer
#   cpython   stress and fuzz tests (tests/harden) on CPython
#   pypy      the same on PyPy
#   fuzz      the libFuzzer target over the numeric core, for a minute, under the sanitizers
#
#   bash tools/harden.sh               every leg, sized for CI (a few minutes on 2 cores)
#   bash tools/harden.sh --long        the same with ten times the calls and generated cases
#                                      (memory windows of 400,000 calls, 1,000,000 on PyPy)
#                                      and 20 minutes of fuzzing
#   bash tools/harden.sh LEG...        only the named legs
#
# Each leg has its own virtual environment under .venvs/harden-*, so that it needs nothing of
# the other test legs.
set -uo pipefail
cd "$(dirname "$0")/.."

export HARDEN_SCALE=1
fuzz_seconds=60
legs=()
for arg in "$@"; do
    case "$arg" in
        --long) HARDEN_SCALE=10; fuzz_seconds=1200 ;;
        sanitize|cpython|pypy|fuzz) legs+=("$arg") ;;
        *) echo "unknown argument: $arg" >&2; exit 2 ;;
    esac
done
[ ${#legs[@]} -gt 0 ] || legs=(sanitize cpython pypy fuzz)

sanitize_flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
# Allocations larger than memory are tested: they must fail with null, as without the sanitizer.
export ASAN_OPTIONS="allocator_may_return_null=1:abort_on_error=1:strict_string_checks=1"
ASAN_OPTIONS+=":detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# venv NAME PYTHON [pip install options for the module...]: creates .venvs/NAME with NumPy,
# pytest and hypothesis, and installs the module from this tree into it.
venv() {
    local name=$1 python=$2
    shift 2
    local dir=.venvs/$name
    if [ ! -x "$dir/bin/python" ]; then
        "$python" -m venv "$dir" && "$dir/bin/python" -m pip install -q --upgrade pip || return 1
    fi
    "$dir/bin/python" -m pip install -q --only-binary=numpy numpy pytest hypothesis &&
        "$dir/bin/python" -m pip install -q --force-reinstall --no-deps "$@" .
}

cpython=$(command -v python3.11 || command -v python3)

leg_sanitize() {
    echo "-- C++ tests"
    cmake -S . -B build/harden-cpp -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$sanitize_flags" >/dev/null &&
        cmake --build build/harden-cpp -j2 >/dev/null &&
        build/harden-cpp/vortalix2_cpp_tests | tail -1 || return 1
    echo "-- module"
    venv harden-sanitize "$cpython" -C build-dir=build/harden-sanitize \
        -C cmake.build-type=RelWithDebInfo \
        -C "cmake.define.CMAKE_CXX_FLAGS=$sanitize_flags" || return 1
    # The test peer module is compiled by the tests; compile it here, before the sanitizer
    # runtimes are preloaded into every process, the compiler included.
    .venvs/harden-sanitize/bin/python -c \
        'import sys; sys.path.insert(0, "tests/python"); import peer; peer.build()' || return 1
    # The interpreter is not built with the sanitizers, so their runtimes come first. Python's
    # own allocator is switched off so that AddressSanitizer sees every object.
    local runtimes
    runtimes="$(g++ -print-file-name=libasan.so):$(g++ -print-file-name=libubsan.so)"
    local python=(env LD_PRELOAD="$runtimes" PYTHONMALLOC=malloc HARDEN_SANITIZED=1
                  .venvs/harden-sanitize/bin/python -m pytest -q -p no:cacheprovider)
    echo "-- every test, for memory errors and undefined behaviour"
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
        "${python[@]}" -m "not extras" tests/python tests/harden || return 1
    # Leak reports need whole allocation stacks to tell the interpreter's and NumPy's objects
    # from this module's (tools/lsan.supp), and unwinding every allocation in full slows calls
    # some fifteen-fold: the leak check runs the module's own tests, less the level probes.
    echo "-- the module's tests, for leaks"
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=1:fast_unwind_on_malloc=0" \
        LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
        "${python[@]}" -m "not extras" tests/python --ignore=tests/python/test_levels.py
}

leg_cpython() {
    venv harden-cpython "$cpython" -C build-dir=build/harden-cpython || return 1
    .venvs/harden-cpython/bin/python -m pytest tests/harden -q -p no:cacheprovider
}

leg_pypy() {
    local pypy
    pypy=$(command -v pypy3) || { echo "no pypy3" >&2; return 1; }
    venv harden-pypy "$pypy" -C build-dir=build/harden-pypy || return 1
    .venvs/harden-pypy/bin/python -m pytest tests/harden -q -p no:cacheprovider
}

leg_fuzz() {
    # libFuzzer and clang's sanitizer runtimes come with Debian's clang and libclang-rt-14-dev.
    if ! command -v clang++ >/dev/null || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
        [ "$(id -u)" = 0 ] || { echo "needs clang and libclang-rt-14-dev" >&2; return 1; }
        DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev \
                >/dev/null || return 1
    fi
    cmake -S tests/fuzz -B build/harden-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
        cmake --build build/harden-fuzz -j2 >/dev/null || return 1
    # New finds go to a scratch corpus; tests/fuzz/corpus holds the committed one. An input
    # that fails is kept as build/harden-fuzz/crash-* (add it to the corpus once fixed).
    local scratch=build/harden-fuzz/corpus log=build/harden-fuzz/fuzz.log
    mkdir -p "$scratch"
    if build/harden-fuzz/fuzz_core -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        -max_len=4096 -artifact_prefix=build/harden-fuzz/ "$scratch" tests/fuzz/corpus \
        >"$log" 2>&1; then
        grep -E '^(Done|stat::(number_of_executed_units|new_units_added|peak_rss_mb))' "$log"
    else
        tail -40 "$log"
        return 1
    fi
}

failed=()
passed=()
for leg in "${legs[@]}"; do
    echo "== hardening: $leg"
    start=$SECONDS
    if "leg_$leg"; then passed+=("$leg"); else failed+=("$leg"); fi
    echo "-- $leg: $((SECONDS - start)) s"
done

echo "== Hardening summary"
echo "passed: ${passed[*]:-none}"
echo "failed: ${failed[*]:-none}"
echo "hardening: ${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
