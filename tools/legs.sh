# Shared by the tools: the interpreter legs the module is tested on, and how to prepare one.
# Each leg is a virtual environment under .venvs/ with NumPy, pytest and vortalix2 installed
# from a wheel that `pip wheel .` built for that leg's interpreter (the sdist leg installs from
# the source distribution instead), so that tests see the module exactly as a user gets it.

# cp311 is the tools leg: it also carries mypy, Dask and matplotlib for the tests marked
# `extras`; the other legs run the rest of the suite.
legs=(cp39 cp310 cp311 cp311-numpy126 cp312 cp313 pypy sdist)
tools_leg=cp311

PYENV_ROOT=${PYENV_ROOT:-/root/.pyenv}

# pyenv_python X.Y: the newest pyenv-installed CPython X.Y, found by path, not through shims.
pyenv_python() {
    local found
    found=$(ls -d "$PYENV_ROOT"/versions/"$1".*/bin/python"$1" 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$found" ] || [ ! -x "$found" ]; then
        echo "CPython $1 is missing: expected $PYENV_ROOT/versions/$1.*/bin/python$1" >&2
        return 1
    fi
    echo "$found"
}

leg_python() {
    case "$1" in
        cp39) pyenv_python 3.9 ;;
        cp310) pyenv_python 3.10 ;;
        cp311 | cp311-numpy126 | sdist | example | bench) pyenv_python 3.11 ;;
        cp312) pyenv_python 3.12 ;;
        cp313) pyenv_python 3.13 ;;
        pypy) command -v pypy3 || { echo "pypy3 is missing" >&2; return 1; } ;;
        *) echo "unknown leg $1" >&2; return 1 ;;
    esac
}

# The NumPy each leg tests with. Unpinned means the newest release with a wheel for the
# leg's interpreter: pip only offers releases whose Requires-Python admits it.
leg_requirements() {
    case "$1" in
        cp311-numpy126) echo "numpy==1.26.4 pytest auditwheel" ;;
        "$tools_leg") echo "numpy pytest mypy dask[array] distributed matplotlib auditwheel" ;;
        pypy) echo "numpy pytest" ;;
        example) echo "numpy matplotlib" ;;
        bench) echo "numpy scipy numexpr" ;;
        *) echo "numpy pytest auditwheel" ;;
    esac
}

# Debian packages the legs and the build need; installs whatever is missing.
ensure_debian_packages() {
    local need=() pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
    done
    if [ ${#need[@]} -gt 0 ]; then
        echo "installing Debian packages: ${need[*]}" >&2
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq "${need[@]}" >&2
    fi
}

build_packages=(g++ cmake)
pypy_packages=(pypy3 pypy3-dev pypy3-venv)

# venv_for NAME PYTHON: creates .venvs/NAME (or re-creates it when its interpreter is gone).
venv_for() {
    local venv=.venvs/$1
    if ! "$venv/bin/python" -c "" 2>/dev/null; then
        rm -rf "$venv"
        "$2" -m venv "$venv" >&2 || return 1
        "$venv/bin/python" -m pip install -q --upgrade pip >&2 || return 1
    fi
    echo "$venv"
}

# prepare_leg NAME: sets up .venvs/NAME and installs vortalix2 from a freshly built wheel
# (or sdist), leaving the package file in build/dist/NAME.
prepare_leg() {
    local name=$1 python venv dist
    python=$(leg_python "$name") || return 1
    venv=$(venv_for "$name" "$python") || return 1
    # shellcheck disable=SC2046  # the requirement list is meant to split into words
    "$venv/bin/python" -m pip install -q --only-binary=numpy $(leg_requirements "$name") >&2 ||
        return 1
    dist=build/dist/$name
    rm -rf "$dist" && mkdir -p "$dist"
    if [ "$name" = sdist ]; then
        "$venv/bin/python" -m pip install -q build >&2 &&
            "$venv/bin/python" -m build --sdist --outdir "$dist" . >&2 || return 1
    else
        "$venv/bin/python" -m pip wheel -q --no-deps --only-binary=numpy -w "$dist" . >&2 ||
            return 1
    fi
    "$venv/bin/python" -m pip install -q --force-reinstall --no-deps "$dist"/vortalix2-* >&2
}

leg_numpy_version() {
    ".venvs/$1/bin/python" -c "import numpy; print(numpy.__version__)"
}
