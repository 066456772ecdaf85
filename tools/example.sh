#!/usr/bin/env bash
# Builds and installs vortalix2 into .venvs/cpython-numpy2 and runs the worked example.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh
prepare_leg cpython-numpy2 >&2
exec .venvs/cpython-numpy2/bin/python examples/nozzle.py
