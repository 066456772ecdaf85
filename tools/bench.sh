#!/usr/bin/env bash
# Runs the benchmark: builds the C-library pow floor, installs vortalix2 with SciPy into
# .venvs/cpython-numpy2, and prints the table (also written as JSON; see bench/bench.py --help).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh
prepare_leg cpython-numpy2 >&2
.venvs/cpython-numpy2/bin/python -m pip install -q scipy >&2
cmake -S . -B build/bench -DVORTALIX2_MODULE=OFF -DVORTALIX2_BENCH=ON >/dev/null
cmake --build build/bench -j2 >/dev/null
exec .venvs/cpython-numpy2/bin/python bench/bench.py "$@"
