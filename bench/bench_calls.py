"""Throughput of whole calls against the equivalent NumPy expressions, side by side.

Timings on a shared machine are noisy: read the ratios, not the absolute times.
Run with an interpreter that has vortalix2 installed, e.g.
    .venvs/cp311/bin/python bench/bench_calls.py
"""
import timeit

import numpy as np

import vortalix2 as vx

ga = 1.4
c = (ga - 1.0) * 0.5
ma = np.linspace(0.1, 5.0, 1_000_000)
ma_f = np.asfortranarray(ma.reshape(1000, 1000))
ma_step = np.linspace(0.1, 5.0, 2_000_000)[::2]

CASES = [
    ("To_T_from_Ma", lambda: vx.To_T_from_Ma(ma, ga), lambda: 1.0 / (1.0 / (1.0 + c * (ma * ma)))),
    ("Po_P_from_Ma", lambda: vx.Po_P_from_Ma(ma, ga),
     lambda: 1.0 / np.power(1.0 + c * (ma * ma), ga / (1.0 - ga))),
    ("rhoo_rho_from_Ma, Fortran 2-D", lambda: vx.rhoo_rho_from_Ma(ma_f, ga),
     lambda: 1.0 / np.power(1.0 + c * (ma_f * ma_f), 1.0 / (1.0 - ga))),
    ("V_cpTo_from_Ma, strided", lambda: vx.V_cpTo_from_Ma(ma_step, ga),
     lambda: (np.sqrt(ga - 1.0) * ma_step) * (1.0 / np.sqrt(1.0 + c * (ma_step * ma_step)))),
]

print(f"{'case':32} {'vortalix2':>10} {'numpy':>10} {'ratio':>7}")
for name, ours, theirs in CASES:
    t_ours = min(timeit.repeat(ours, number=5, repeat=5)) / 5
    t_np = min(timeit.repeat(theirs, number=5, repeat=5)) / 5
    print(f"{name:32} {t_ours * 1e3:8.2f}ms {t_np * 1e3:8.2f}ms {t_np / t_ours:6.2f}x")

small = np.array([2.0])
t_call = min(timeit.repeat(lambda: vx.rhoo_rho_from_Ma(small, ga), number=10000, repeat=5)) / 10000
t_np = min(timeit.repeat(lambda: np.sqrt(small), number=10000, repeat=5)) / 10000
print(f"one-element call: {t_call * 1e6:.2f} us (np.sqrt on the same array: {t_np * 1e6:.2f} us)")
