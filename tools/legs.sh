# Shared by the tools: the interpreter legs the module is tested on, and how to prepare one.
# Each leg is a virtual environment under .venvs/ with NumPy, pytest and vortalix2 installed.

legs=(cpython-numpy2 cpython-numpy1 pypy-numpy)

leg_python() {
    case "$1" in
        cpython-*) command -v python3.11 || command -v python3 ;;
        pypy-*) command -v pypy3 ;;
    esac
}

leg_numpy() {
    case "$1" in
        cpython-numpy2) echo "numpy>=2,<3" ;;
        cpython-numpy1) echo "numpy==1.26.4" ;;
        pypy-numpy) echo "numpy" ;;  # the newest release that has a wheel for this PyPy
    esac
}

# prepare_leg NAME: creates or refreshes .venvs/NAME and installs the module from this tree.
prepare_leg() {
    local name=$1 python venv
    python=$(leg_python "$name") || { echo "no interpreter for leg $name" >&2; return 1; }
    venv=.venvs/$name
    if [ ! -x "$venv/bin/python" ]; then
        "$python" -m venv "$venv"
        "$venv/bin/python" -m pip install -q --upgrade pip
    fi
    "$venv/bin/python" -m pip install -q --only-binary=numpy "$(leg_numpy "$name")" pytest
    "$venv/bin/python" -m pip install -q --force-reinstall --no-deps .
}
