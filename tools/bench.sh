#!/usr/bin/env bash
# The benchmark: builds vortalix2 into .venvs/bench (with SciPy and numexpr), the C-library pow
# floor and the bisection comparison, then prints the tables and writes them as JSON (see
# bench/bench.py --help; arguments are passed on). Takes about ten minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh
ensure_debian_packages "${build_packages[@]}"
prepare_leg bench
cmake -S . -B build/bench -DVORTALIX2_MODULE=OFF -DVORTALIX2_BENCH=ON >/dev/null
cmake --build build/bench -j2 >/dev/null
exec .venvs/bench/bin/python bench/bench.py "$@"
