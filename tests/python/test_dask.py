"""Every function under dask.array.map_blocks on a cluster of worker processes on loopback
gives the bits of one call on the whole array."""
import re
from pathlib import Path

import numpy as np
import pytest

import vortalix2 as vx

pytestmark = pytest.mark.extras

GA = 1.4
# Ordinary values of every relation's domain, its edges and out-of-domain values.
SAMPLE = np.concatenate([
    np.linspace(-1.0, 6.0, 172),
    [0.0, -0.0, 1.0, 1.2810152558552463, 1.4142135623730951, np.inf, -np.inf, np.nan],
])
EXTRA_ARGS = {"Ma_from_A_Acrit": (True,), "Ma_from_F_mcpTo": (False,),
              "Ma_from_mcpTo_APo": (True,)}


def documented_recipe(name, **namespace):
    """Runs the first code block of the scale-out documentation that mentions `name`."""
    text = (Path(__file__).resolve().parents[2] / "docs" / "scale-out.md").read_text()
    block = next(b for b in re.findall(r"```python\n(.*?)```", text, re.S) if name in b)
    # A module name that workers cannot import, so that the recipe travels by value.
    namespace.update(__name__="scale_out_recipe", np=np, vx=vx)
    # The recipes guard their work for scripts; here it runs as if the block were the script.
    exec(block.replace('if __name__ == "__main__":', "if True:"), namespace)
    return namespace


def test_documented_recipe_runs_and_gives_the_bits_of_one_call():
    # Runs before the other tests start their cluster: the recipe starts one of its own.
    recipe = documented_recipe("LocalCluster")
    try:
        data = recipe["Ma"].compute()
        expected = vx.Ma_from_mcpTo_APo(vx.mcpTo_APo_from_Ma(data, 1.4), 1.4)
        same_bits(recipe["result"], expected)
        same_bits(recipe["Ma_sup"][:50, :50].compute(),
                  vx.Ma_from_A_Acrit(vx.A_Acrit_from_Ma(data[:50, :50], 1.4), 1.4, True))
    finally:
        recipe["client"].close()
        recipe["cluster"].close()


@pytest.fixture(scope="module")
def client():
    from distributed import Client, LocalCluster

    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None) as cluster, Client(cluster) as c:
        yield c


def same_bits(got, expected):
    assert got.shape == expected.shape and got.dtype == np.float64
    mismatch = np.flatnonzero(got.view(np.uint64).ravel() != expected.view(np.uint64).ravel())
    assert mismatch.size == 0, [(k, got.ravel()[k], expected.ravel()[k]) for k in mismatch[:5]]


@pytest.mark.parametrize("name", vx.__all__)
def test_chunked_result_has_the_bits_of_one_call(client, name):
    import dask.array as da

    f = getattr(vx, name)
    args = (GA,) + EXTRA_ARGS.get(name, ())
    data = np.random.default_rng(7).permutation(np.tile(SAMPLE, 2)).reshape(6, 60)
    x = da.from_array(data, chunks=(4, 25))  # uneven chunks on purpose
    if name in ("To_T_from_Ma", "Po_P_from_Ma"):
        expected = f(data.ravel(), *args).reshape(data.shape)
        over_rows = documented_recipe("def over_rows", Ma=x, ga=GA)["over_rows"]
        got = x.map_blocks(over_rows(f, *args), dtype=np.float64).compute()
        same_bits(got, expected)
        got_1d = da.from_array(data.ravel(), chunks=37).map_blocks(f, *args, dtype=np.float64)
        same_bits(got_1d.compute(), expected.ravel())
    else:
        got = x.map_blocks(f, *args, dtype=np.float64).compute()
        same_bits(got, f(data, *args))


def test_documented_recipe_for_the_one_dimensional_functions(client):
    recipe = documented_recipe("def over_rows")
    data = recipe["Ma"].compute()
    same_bits(recipe["Po_P"].compute(), vx.Po_P_from_Ma(data.ravel(), GA).reshape(data.shape))


def test_work_ran_on_the_worker_processes(client):
    import os

    import dask.array as da

    pids = client.run(os.getpid)
    assert len(pids) == 2 and os.getpid() not in pids.values()
    assert all(address.startswith("tcp://127.0.0.1:") for address in pids)
    x = da.from_array(SAMPLE, chunks=50)
    same_bits(x.map_blocks(vx.A_Acrit_from_Ma, GA, dtype=np.float64).compute(),
              vx.A_Acrit_from_Ma(SAMPLE, GA))
