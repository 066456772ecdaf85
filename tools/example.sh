#!/usr/bin/env bash
# The main job: solves a converging-diverging nozzle from its back pressure (see
# examples/nozzle.py; arguments are passed on, try --help). Builds vortalix2 and
# vortalix2_flows into .venvs/example, with matplotlib for the plot, the first time and
# whenever their sources have changed since; otherwise the installed build is reused.
# Paths (--plot) are taken relative to the folder the command is run from.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
root=$PWD
source tools/legs.sh

# A digest of everything the wheel is built from.
source_digest() {
    find src cmake vortalix2_flows CMakeLists.txt pyproject.toml vortalix2.pyi -type f \
        ! -name '*.pyc' ! -name '*.so' -print0 2>/dev/null | sort -z | xargs -0 sha256sum |
        sha256sum | cut -d' ' -f1
}

stamp=.venvs/example/.built-from
digest=$(source_digest)
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$digest" ] ||
    ! .venvs/example/bin/python -c "import vortalix2, vortalix2_flows, matplotlib" 2>/dev/null; then
    ensure_debian_packages "${build_packages[@]}"
    prepare_leg example
    echo "$digest" >"$stamp"
fi
cd "$caller"
exec "$root/.venvs/example/bin/python" "$root/examples/nozzle.py" "$@"
