#!/usr/bin/env bash
# The benchmark: builds vortalix2 into .venvs/bench (with SciPy and numexpr), the C-library pow
# floor and the bisection comparison, then prints the tables and writes them as JSON (see
# bench/bench.py --help; arguments are passed on), then the toolkit's tables (--quick is passed
# on to them). Takes about ten minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh
ensure_debian_packages "${build_packages[@]}"
prepare_leg bench
cmake -S . -B build/bench -DVORTALIX2_MODULE=OFF -DVORTALIX2_BENCH=ON >/dev/null
cmake --build build/bench -j2 >/dev/null
.venvs/bench/bin/python bench/bench.py "$@"
# The toolkit's tables: isentropic and normal-shock relations, then oblique shocks, Fanno and
# Rayleigh flow (each against the NumPy expression or SciPy solve a user would write), then the
# whole-state calls against the separate ufunc calls they make.
quick=()
for arg in "$@"; do [ "$arg" = --quick ] && quick=(--quick); done
.venvs/bench/bin/python bench/bench_flows.py "${quick[@]}"
.venvs/bench/bin/python bench/bench_flows_oblique_duct.py "${quick[@]}"
.venvs/bench/bin/python bench/bench_states.py "${quick[@]}"
