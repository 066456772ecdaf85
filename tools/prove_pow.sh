#!/usr/bin/env bash
# Re-checks the error bound of the vector pow kernel (src/math/pow.hpp) and that the kernel's
# margin covers it: Sollya bounds the polynomials, exact interval arithmetic every rounding
# (tools/proof/prove_pow.py, which reads the committed tables and evaluates the kernel's
# description, tools/proof/pow_kernel.py, from which src/math/pow_kernel.hpp is generated), and
# Gappa re-bounds the exponential's roundings from the same description. Then checks the build
# flags the proof assumes on a configured (not built) build/proof. Installs Sollya, Gappa,
# mpmath and the compiler from Debian if they are missing; exits non-zero if the generated
# header differs from the description or any bound, precondition or flag check fails. Takes
# about half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh

ensure_debian_packages sollya gappa python3 python3-mpmath "${build_packages[@]}" || {
    echo "could not install Sollya, Gappa, mpmath and the compiler" >&2
    exit 1
}
started=$SECONDS
# The kernel's C++ is generated from the description the proof evaluates: it must be exactly
# what the description gives.
/usr/bin/python3 tools/gen_pow_kernel.py --check
/usr/bin/python3 tools/proof/prove_pow.py
# The flags the proof assumes, on the build's own compile commands (configured, not built).
mkdir -p build
cmake -S . -B build/proof -DVORTALIX2_CPP_TESTS=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        >build/proof-configure.log 2>&1 ||
    cmake -S . -B build/proof -DVORTALIX2_MODULE=OFF -DVORTALIX2_CPP_TESTS=ON \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >build/proof-configure.log 2>&1 || {
    cat build/proof-configure.log >&2
    exit 1
}
/usr/bin/python3 tools/proof/check_build.py build/proof
echo "pow proof checked in $((SECONDS - started)) s"
