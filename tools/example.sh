#!/usr/bin/env bash
# The main job: solves a converging-diverging nozzle from its back pressure (see
# examples/nozzle.py; arguments are passed on, try --help). Builds vortalix2 into
# .venvs/example, with matplotlib for the plot, first.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh
ensure_debian_packages "${build_packages[@]}"
prepare_leg example
exec .venvs/example/bin/python examples/nozzle.py "$@"
