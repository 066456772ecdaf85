#!/usr/bin/env bash
# Hardening legs, run after the ordinary tests:
#   sanitize  the C++ tests and every pytest test (tests/python, tests/harden) with
#             AddressSanitizer and UndefinedBehaviorSanitizer on CPython
#   leaks     the module's tests once more, built the same way, with LeakSanitizer
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
source tools/legs.sh  # ensure_debian_packages, use_compiler_cache

export HARDEN_SCALE=1
fuzz_seconds=60
legs=()
for arg in "$@"; do
    case "$arg" in
        --long) HARDEN_SCALE=10; fuzz_seconds=1200 ;;
        sanitize|leaks|cpython|pypy|fuzz) legs+=("$arg") ;;
        *) echo "unknown argument: $arg" >&2; exit 2 ;;
    esac
done
[ ${#legs[@]} -gt 0 ] || legs=(sanitize leaks cpython pypy fuzz)
ensure_debian_packages "${build_packages[@]}" || exit 1
use_compiler_cache

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

# sanitized_venv NAME: .venvs/NAME with the module built with the sanitizers (in one build
# folder for both legs that use it, one at a time), and the test peer module compiled for it.
sanitized_venv() {
    mkdir -p build
    (
        flock 9 && venv "$1" "$cpython" -C build-dir=build/harden-sanitize \
            -C cmake.build-type=RelWithDebInfo \
            -C "cmake.define.CMAKE_CXX_FLAGS=$sanitize_flags"
    ) 9>build/harden-sanitize.lock || return 1
    # The test peer module is compiled by the tests; compile it here, before the sanitizer
    # runtimes are preloaded into every process, the compiler included.
    ".venvs/$1/bin/python" -c \
        'import sys; sys.path.insert(0, "tests/python"); import peer; peer.build()'
}

# sanitized_pytest NAME ARGS...: pytest in .venvs/NAME under the sanitizers. The interpreter is
# not built with them, so their runtimes come first. Python's own allocator is switched off so
# that AddressSanitizer sees every object.
sanitized_pytest() {
    local name=$1 runtimes
    shift
    runtimes="$(g++ -print-file-name=libasan.so):$(g++ -print-file-name=libubsan.so)"
    env LD_PRELOAD="$runtimes" PYTHONMALLOC=malloc HARDEN_SANITIZED=1 \
        ".venvs/$name/bin/python" -m pytest -q -p no:cacheprovider "$@"
}

leg_sanitize() {
    echo "-- C++ tests"
    cmake -S . -B build/harden-cpp -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$sanitize_flags" >/dev/null &&
        cmake --build build/harden-cpp -j2 >/dev/null &&
        build/harden-cpp/vortalix2_cpp_tests | tail -1 || return 1
    echo "-- module"
    sanitized_venv harden-sanitize || return 1
    echo "-- every test, for memory errors and undefined behaviour"
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
        sanitized_pytest harden-sanitize -m "not extras" tests/python tests/harden
}

# Leak reports need whole allocation stacks to tell the interpreter's and NumPy's objects from
# this module's (tools/lsan.supp), and unwinding every allocation in full slows calls some
# fifteen-fold: the leak check runs the module's own tests, less those that only repeat calls
# the others make (tests/harden/leak_selection.py).
leg_leaks() {
    sanitized_venv harden-leaks || return 1
    echo "-- the module's tests, for leaks"
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=1:fast_unwind_on_malloc=0" \
        LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0" \
        PYTHONPATH=$PWD/tests/harden sanitized_pytest harden-leaks -m "not extras" \
        -p leak_selection tests/python
}

leg_cpython() {
    venv harden-cpython "$cpython" -C build-dir=build/harden-cpython || return 1
    .venvs/harden-cpython/bin/python -m pytest tests/harden -q -p no:cacheprovider
}

leg_pypy() {
    local pypy
    ensure_debian_packages "${pypy_packages[@]}" || return 1
    pypy=$(command -v pypy3) || { echo "no pypy3" >&2; return 1; }
    venv harden-pypy "$pypy" -C build-dir=build/harden-pypy || return 1
    .venvs/harden-pypy/bin/python -m pytest tests/harden -q -p no:cacheprovider
}

leg_fuzz() {
    # libFuzzer and clang's sanitizer runtimes come with Debian's clang and libclang-rt-14-dev.
    ensure_debian_packages clang libclang-rt-14-dev >/dev/null || return 1
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
