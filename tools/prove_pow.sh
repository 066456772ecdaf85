#!/usr/bin/env bash
# Re-checks the error bound of the vector pow kernel (src/math/pow.hpp) and that the kernel's
# margin covers it: Sollya bounds the polynomials, exact interval arithmetic every rounding
# (tools/proof/prove_pow.py, which reads the committed tables and margin). Installs Sollya and
# mpmath from Debian if they are missing; exits non-zero if any bound or precondition fails.
# Takes about ten seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/legs.sh

ensure_debian_packages sollya python3 python3-mpmath || {
    echo "could not install Sollya and mpmath" >&2
    exit 1
}
started=$SECONDS
/usr/bin/python3 tools/proof/prove_pow.py
echo "pow proof checked in $((SECONDS - started)) s"
