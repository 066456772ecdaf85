#!/usr/bin/env bash
# Runs every test: the C++ unit tests once, then, on each interpreter leg, the Python tests
# against vortalix2 installed from the wheel built for that leg (and, for CPython wheels, the
# manylinux check). A leg that cannot be set up fails the run; none is skipped.
#
#   bash tools/test.sh            all legs
#   bash tools/test.sh cp311 pypy only the legs named (the C++ tests still run)
#
# The legs run two at a time (VORTALIX2_TEST_JOBS; 1 runs them one after another with their
# output as it comes): a leg is mostly a build on both cores followed by a test suite on one,
# or a download, so two at once keep both cores busy. Each leg's output is shown in one piece
# when it ends; the summary lists every leg's time.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source tools/legs.sh

full=1
if [ $# -gt 0 ]; then
    legs=("$@")
    full=0
fi
# ---- Release leg: the wheels of the release toolchain (tools/release_leg.sh), on a full run.
[ $full = 1 ] && legs+=(release)
# ----

started=$SECONDS
jobs=${VORTALIX2_TEST_JOBS:-2}

# The build packages first (the C++ tests start at once); what the other legs need comes in one
# apt-get run beside them (the task `packages`), and every leg checks for its own again.
ensure_debian_packages "${build_packages[@]}" || {
    echo "could not install the Debian packages the tests need" >&2
    exit 1
}
use_compiler_cache
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}

# The tasks, longest first so that the two at a time end together (after the Debian packages
# and the C++ tests): the aarch64 interpreters
# (each its own task on a full run, as `bash tools/test.sh aarch64` runs them in turn), the
# hardening legs of a full run, the legs in roots, then the rest in the order given.
tasks=()
# (the C++ tests need no more than the build packages: they run while apt-get fetches the rest)
[ "$jobs" -gt 1 ] && tasks+=(packages)
tasks+=(cpp)
ordered=()
for leg in "${legs[@]}"; do
    if [ "$leg" = aarch64 ] && [ $full = 1 ] && [ -z "${VORTALIX2_AARCH64_PYTHONS:-}" ]; then
        for entry in "${aarch64_interpreters[@]}"; do
            read -r _ version _ <<<"$entry"
            ordered+=("aarch64-cp${version/./}")
        done
    else
        ordered+=("$leg")
    fi
done
long=(aarch64-cp311 aarch64 harden-sanitize aarch64-cp313 aarch64-cp315 release trixie
      harden-leaks cp314 cp315 macos-core)
if [ $full = 1 ]; then
    # ---- Hardening: sanitizers, memory and thread stress, generated arguments and arrays,
    # fuzzing (tools/harden.sh, which also runs alone: bash tools/harden.sh [--long] [LEG...]).
    ordered+=(harden-sanitize harden-leaks harden-cpython harden-pypy harden-fuzz)
    # ----
fi
for t in "${long[@]}"; do
    [[ " ${ordered[*]} " == *" $t "* ]] && tasks+=("$t")
done
tasks+=(pow-proof)
for t in "${ordered[@]}"; do
    [[ " ${long[*]} " == *" $t "* ]] || tasks+=("$t")
done

# Every Debian package the tasks need, for the task `packages`.
task_debian_packages() {
    local t
    echo "${pypy_packages[*]} sollya python3 python3-mpmath"
    for t in "${tasks[@]}"; do
        case "$t" in
            aarch64-*) leg_debian_packages aarch64 ;;
            harden-*) echo "${pypy_packages[*]} clang libclang-rt-14-dev" ;;
            *) leg_debian_packages "$t" ;;
        esac
    done
}

# run_task NAME: one task, in a subshell of its own; its results go to $results/NAME as lines
# "passed SUITE", "failed SUITE" and "version TEXT".
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
run_task() {
    local task=$1 leg python outside
    local passed=() failed=() versions=()
    local task_started=$SECONDS
    # Tests run from an empty folder, so that neither the source tree nor the build folder
    # can stand in for the installed module.
    outside=$(mktemp -d)
    case "$task" in
        packages)
            # shellcheck disable=SC2046  # the package lists are meant to split into words
            if ensure_debian_packages $(task_debian_packages | tr ' ' '\n' | sort -u); then
                passed+=(packages)
            else
                failed+=(packages)
            fi
            ;;
        cpp)
            # build/cpp is shared with any other test run going on: one at a time there.
            mkdir -p build
            if flock build/cpp.lock bash -c 'cmake -S . -B build/cpp -DVORTALIX2_MODULE=OFF \
                -DVORTALIX2_CPP_TESTS=ON >/dev/null && cmake --build build/cpp -j2 >/dev/null &&
                build/cpp/vortalix2_cpp_tests'; then
                passed+=(cpp)
            else
                failed+=(cpp)
            fi
            ;;
        pow-proof)
            # The machine-checked error bound of the vector pow, against the committed tables.
            if bash tools/prove_pow.sh; then passed+=(pow-proof); else failed+=(pow-proof); fi
            ;;
        harden-*)
            if bash tools/harden.sh "${task#harden-}"; then
                passed+=("$task")
            else
                failed+=("$task")
            fi
            ;;
        aarch64-cp*)
            # One interpreter of the aarch64 leg.
            local v=${task#aarch64-cp}
            if VORTALIX2_AARCH64_PYTHONS=${v:0:1}.${v:1} run_root_leg aarch64; then
                passed+=("$task")
            else
                failed+=("$task")
            fi
            ;;
        *) run_leg "$task" ;;
    esac
    rm -rf "$outside"
    # The processor time of everything the task ran (user and system, in seconds).
    # (`times` in a pipe or $(...) would report that subshell's children, none)
    local cpu
    times >"$results/$task.times"
    cpu=$(tail -n 1 "$results/$task.times" | awk '{ for (i = 1; i <= 2; i++) {
        split($i, t, "m"); s += t[1] * 60 + t[2] } } END { printf "%.0f", s }')
    {
        printf 'passed %s\n' "${passed[@]}"
        printf 'failed %s\n' "${failed[@]}"
        printf 'version %s\n' "${versions[@]}"
        echo "seconds $((SECONDS - task_started))"
        echo "cpu $cpu"
    } | grep -v -x -E '(passed|failed|version) ' >"$results/$task"
}

# run_leg LEG: an interpreter, compiler, platform, root or release leg.
run_leg() {
    local leg=$1
    # shellcheck disable=SC2046  # the package list is meant to split into words
    ensure_debian_packages $(leg_debian_packages "$leg") || {
        echo "could not install the Debian packages leg $leg needs"
        failed+=("$leg")
        return
    }
    if is_core_leg "$leg"; then
        if run_core_leg "$leg"; then passed+=("$leg"); else failed+=("$leg"); fi
        return
    fi
    # ---- Legs that build and test inside a root of their own (tools/roots.sh).
    if is_root_leg "$leg"; then
        if run_root_leg "$leg"; then passed+=("$leg"); else failed+=("$leg"); fi
        return
    fi
    # ----
    # ---- Release leg: its own script, which also runs alone.
    if [ "$leg" = release ]; then
        if bash tools/release_leg.sh; then passed+=(release); else failed+=(release); fi
        return
    fi
    # ----
    if ! prepare_leg "$leg"; then
        echo "leg $leg could not be set up"
        failed+=("$leg")
        return
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

    local selection=(-m "not extras")
    [ "$leg" = "$tools_leg" ] && selection=()
    if (cd "$outside" && "$python" -m pytest "$root/tests/python" -q -p no:cacheprovider \
        "${selection[@]}"); then
        passed+=("$leg")
    else
        failed+=("$leg")
    fi
}

# show TASK: prints a finished task's output in one piece, once.
shown=" "
show() {
    [[ "$shown" == *" $1 "* ]] && return
    shown+="$1 "
    echo "== $1"
    [ "$jobs" -gt 1 ] && cat "$results/$1.log"
    echo "($1 took $(sed -n 's/^seconds //p' "$results/$1") s)"
}

for task in "${tasks[@]}"; do
    if [ "$jobs" -le 1 ]; then
        echo "== $task"
        (run_task "$task")
        shown+="$task "
        echo "($task took $(sed -n 's/^seconds //p' "$results/$task") s)"
        continue
    fi
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n
        for t in "${tasks[@]}"; do [ -f "$results/$t" ] && show "$t"; done
    done
    (run_task "$task") >"$results/$task.log" 2>&1 </dev/null &
done
wait
for t in "${tasks[@]}"; do
    [ -f "$results/$t" ] || echo "failed $t" >"$results/$t"  # a task that died
    show "$t"
done

passed=()
failed=()
for t in "${tasks[@]}"; do
    mapfile -t -O "${#passed[@]}" passed < <(sed -n 's/^passed //p' "$results/$t")
    mapfile -t -O "${#failed[@]}" failed < <(sed -n 's/^failed //p' "$results/$t")
done
echo "== Summary ($((SECONDS - started)) s, $jobs at a time)"
for t in "${tasks[@]}"; do sed -n 's/^version //p' "$results/$t"; done
echo "times (wall clock; processor time of the task's commands):"
for t in "${tasks[@]}"; do
    printf '  %-16s %5s s  (cpu %5s s)\n' "$t" "$(sed -n 's/^seconds //p' "$results/$t")" \
        "$(sed -n 's/^cpu //p' "$results/$t")"
done
echo "passed: ${passed[*]:-none}"
echo "failed: ${failed[*]:-none}"
echo "suites: ${#passed[@]} passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
