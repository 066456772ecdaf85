"""Every instruction-set level of the element loops gives the scalar loops' bits.

The level is chosen once per process, so each level runs in a fresh interpreter with
VORTALIX2_SIMD set; the parent compares the results with those of the scalar level.
"""
import os
import pickle
import platform
import subprocess
import sys
import textwrap

import numpy as np
import pytest

from conftest import assert_bits

# The vector levels of this architecture: two lanes of NEON on aarch64, SSE2, AVX2 and
# AVX-512 on x86-64.
AARCH64 = platform.machine() in ("aarch64", "arm64")
LEVELS = ["neon"] if AARCH64 else ["sse2", "avx2", "avx512"]
KNOWN = "scalar, neon" if AARCH64 else "scalar, sse2, avx2, avx512"

# Computes every function on arrays of special and ordinary values in several layouts and
# pickles {(function, ga, layout): result bytes and strides} to stdout.
PROBE = textwrap.dedent(
    """
    import pickle, sys
    import numpy as np
    import vortalix2 as vx

    inf, nan = np.inf, np.nan
    specials = [0.0, -0.0, 1.0, -1.0, inf, -inf, nan, 5e-324, -4.9e-320, 2.2250738585072014e-308,
                1e-300, 1e300, 1.3407807929942597e154, 1.7976931348623157e308,
                1.2810152558552463, 0.9999999999999999, 1.0000000000000002,
                1.4142135623730951, 2.0, 0.5, 0.37, 0.99, 1.1]
    rng = np.random.default_rng(7)
    values = np.concatenate([specials, rng.uniform(0.0, 6.0, 77), rng.uniform(0.9, 1.5, 37)])
    raw = np.zeros(values.size * 8 + 1, dtype=np.uint8)
    unaligned = raw[1:].view(np.float64)  # data that is not 8-byte aligned
    unaligned[:] = values
    layouts = {
        "contiguous": values,
        "reversed": values[::-1],
        "every second": values[::2],
        "every third, long": np.tile(values, 9)[::3],
        "unaligned": unaligned,
        "Fortran 2-D": np.asfortranarray(values[:130].reshape(10, 13)),
        "some columns": values[:130].reshape(10, 13)[:, 1:8],
        "broadcast": np.broadcast_to(values[:9], (3, 9)),
    }
    one_d = {"To_T_from_Ma", "Po_P_from_Ma"}
    with_sup = {"Ma_from_A_Acrit", "Ma_from_F_mcpTo", "Ma_from_mcpTo_APo"}
    out = {}
    for name in vx.__all__:
        f = getattr(vx, name)
        for ga in (1.4, 1.01, 1.67, 3.0, 1.0):
            for sups in ([False, True] if name in with_sup else [None]):
                for layout, a in layouts.items():
                    if name in one_d and a.ndim != 1:
                        continue
                    args = (a, ga) if sups is None else (a, ga, sups)
                    r = f(*args)
                    out[(name, ga, sups, layout)] = (r.tobytes(), r.strides)
    sys.stdout.buffer.write(pickle.dumps(out))
    """
)


def probe(level):
    env = dict(os.environ, VORTALIX2_SIMD=level, VORTALIX2_SIMD_REPORT="1")
    proc = subprocess.run([sys.executable, "-c", PROBE], capture_output=True, env=env, timeout=600)
    assert proc.returncode == 0, proc.stderr.decode()
    chosen = proc.stderr.decode().strip().splitlines()[-1].rsplit(" ", 1)[-1]
    return chosen, pickle.loads(proc.stdout)


@pytest.fixture(scope="module")
def scalar():
    chosen, results = probe("scalar")
    assert chosen == "scalar"
    return results


@pytest.mark.parametrize("level", LEVELS)
def test_level_matches_scalar(level, scalar):
    chosen, results = probe(level)
    if chosen != level:
        pytest.skip(f"level {level} is not supported by this processor (got {chosen})")
    assert results.keys() == scalar.keys()
    for key, (data, strides) in results.items():
        want_data, want_strides = scalar[key]
        assert strides == want_strides, key
        assert_bits(np.frombuffer(data), np.frombuffer(want_data), str(key))


def test_unknown_level_falls_back_with_a_message():
    env = dict(os.environ, VORTALIX2_SIMD="avx9000")
    proc = subprocess.run(
        [sys.executable, "-c", "import numpy, vortalix2; vortalix2.To_T_from_Ma(numpy.ones(3), 1.4)"],
        capture_output=True, text=True, env=env, timeout=120,
    )
    assert proc.returncode == 0, proc.stderr
    assert f"VORTALIX2_SIMD=avx9000 is not one of {KNOWN}" in proc.stderr


def cpu_flags():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("flags"):
                    return set(line.split(":", 1)[1].split())
    except OSError:
        pass
    return None


@pytest.mark.skipif(platform.machine() not in ("x86_64", "AMD64"), reason="x86-64 levels")
def test_widest_level_the_processor_has_is_chosen():
    # A build whose processor detection fails would skip the wide levels above silently.
    flags = cpu_flags()
    if flags is None:
        pytest.skip("no /proc/cpuinfo")
    v3 = {"avx", "avx2", "bmi1", "bmi2", "f16c", "fma", "abm", "movbe", "xsave"}
    v4 = {"avx512f", "avx512bw", "avx512cd", "avx512dq", "avx512vl"}
    want = "avx512" if v3 | v4 <= flags else "avx2" if v3 <= flags else "sse2"
    env = {k: v for k, v in os.environ.items() if k != "VORTALIX2_SIMD"}
    env["VORTALIX2_SIMD_REPORT"] = "1"

    def chosen(**extra):
        proc = subprocess.run(
            [sys.executable, "-c",
             "import numpy, vortalix2; vortalix2.To_T_from_Ma(numpy.ones(3), 1.4)"],
            capture_output=True, text=True, env={**env, **extra}, timeout=120,
        )
        assert proc.returncode == 0, proc.stderr
        return proc.stderr.strip()

    # A build without vector loops (-DVORTALIX2_VECTOR=OFF) has the scalar level alone.
    if chosen(VORTALIX2_SIMD="sse2").endswith("element loops use scalar"):
        pytest.skip("this build has the scalar loops only")
    report = chosen()
    assert report.endswith(f"element loops use {want}"), report
