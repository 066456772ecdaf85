"""The tables, as a call (vortalix2_flows.table) and as the command python -m vortalix2_flows
table KIND: the columns by identifier, the toolkit's values bit for bit, ranges with the stop
included, printed digits, CSV equal to the mapping, and usage errors with the table's usage."""
import csv
import io
import subprocess
import sys
import warnings

import numpy as np
import pytest

import vortalix2_flows
from vortalix2_flows import _tables, fanno, isentropic, normal_shock, oblique_shock, rayleigh
from vortalix2_flows import table


def run(capsys, *argv):
    assert _tables.main(list(argv)) == 0
    return capsys.readouterr().out


def read_csv(text):
    rows = list(csv.reader(io.StringIO(text)))
    return rows[0], np.array([[float(v) if v else np.nan for v in r] for r in rows[1:]])


@pytest.mark.parametrize("kind,rows,first,last", [
    ("isentropic", 51, 0.0, 5.0), ("normal-shock", 41, 1.0, 5.0), ("prandtl-meyer", 41, 1.0, 5.0),
    ("fanno", 50, 0.1, 5.0), ("rayleigh", 50, 0.1, 5.0),
])
def test_default_ranges_include_their_stop(capsys, kind, rows, first, last):
    head, table = read_csv(run(capsys, "table", kind, "--csv", "-"))
    assert table.shape == (rows, len(head)) and table[0, 0] == first and table[-1, 0] == last
    # 0.1 steps are taken from the decimal values: 0.3 is 0.3, not 0.1 + 0.1 + 0.1.
    assert 0.3 in table[:, 0] or kind in ("normal-shock", "prandtl-meyer")


def test_csv_holds_the_functions_bits(capsys, tmp_path):
    path = tmp_path / "r.csv"
    run(capsys, "table", "rayleigh", "--ga", "1.3", "--Ma", "0.5:3:0.25", "--csv", str(path))
    head, t = read_csv(path.read_text())
    assert head[:3] == ["Ma", "To/To*", "T/T*"]
    assert np.array_equal(t[:, 1], rayleigh.To_Tostar_from_Ma(t[:, 0], 1.3))
    assert np.array_equal(t[:, 5], rayleigh.Po_Postar_from_Ma(t[:, 0], 1.3))
    head, t = read_csv(run(capsys, "table", "fanno", "--Ma", "1:1:1", "--csv", "-"))
    assert t.tolist() == [[1.0, 0.0, 1.0, 1.0, 1.0, 1.0, 1.0]]
    assert fanno.fLstar_D_from_Ma(1.0, 1.4) == 0.0


def test_printed_digits_and_oblique_groups(capsys):
    out = run(capsys, "table", "fanno", "--Ma", "2:2:1")
    assert out.splitlines()[-1].split()[:2] == ["2", "0.305"]  # 0.30500 printed as 5 digits, %g
    out = run(capsys, "table", "fanno", "--Ma", "2:2:1", "--digits", "8")
    assert out.splitlines()[-1].split()[1] == "0.3049965"  # %g drops the trailing zero
    _, t = read_csv(run(capsys, "table", "oblique-shock", "--csv", "-"))
    # Every Mach number's rows stop at its largest deflection; none detached.
    for Ma in (1.5, 2.0, 2.5, 3.0, 3.5, 4.0):
        th = t[t[:, 0] == Ma, 1]
        top = oblique_shock.theta_max_from_Ma(Ma, 1.4)
        assert th.max() <= top < th.max() + 2 and np.array_equal(th, np.arange(0, th.max() + 1, 2))
    assert not np.isnan(t).any() and (t[:, 2] <= t[:, 5]).all()
    text = run(capsys, "table", "oblique-shock", "--Ma", "2:3:1", "--theta", "10:10:1")
    assert "39.314" in text and "\n\n" in text


@pytest.mark.parametrize("argv,message", [
    (["table", "fanno", "--Ma", "2:1:0.1"], "STOP is below START"),
    (["table", "fanno", "--Ma", "1:2:0"], "step must be positive"),
    (["table", "fanno", "--Ma", "1:2"], "START:STOP:STEP"),
    (["table", "fanno", "--Ma", "a:2:1"], "three numbers"),
    (["table", "fanno", "--ga", "1.0"], "--ga must be a finite number above 1"),
    (["table", "fanno", "--ga", "nan"], "--ga must be a finite number above 1"),
    (["table", "fanno", "--Ma", "[[1]]"], "--Ma must be START:STOP:STEP"),
    (["table"], "the following arguments are required: kind"),
    (["table", "fanno", "--theta", "0:1:1"], "oblique-shock table only"),
    (["table", "steam"], "invalid choice"),
    (["table", "rayleigh", "--digits", "0"], "--digits"),
])
def test_usage_errors(capsys, argv, message):
    with pytest.raises(SystemExit) as e:
        _tables.main(argv)
    err = capsys.readouterr().err
    # The usage shown is that of `table`, whose arguments were wrong.
    assert e.value.code == 2 and message in err
    assert err.startswith("usage: python -m vortalix2_flows table [-h]")


def test_runs_as_a_module():
    done = subprocess.run([sys.executable, "-m", "vortalix2_flows", "table", "prandtl-meyer",
                           "--Ma", "2:2:1"], capture_output=True, text=True)
    assert done.returncode == 0 and done.stdout.splitlines()[-1].split() == ["2", "26.38", "30"]


KEYS = {
    "isentropic": ["Ma", "P_Po", "T_To", "rho_rhoo", "A_Acrit", "nu", "mu"],
    "normal-shock": ["Ma", "Mash", "P2_P1", "rho2_rho1", "T2_T1", "Posh_Po", "Po2_P1"],
    "oblique-shock": ["Ma", "theta", "beta_weak", "Ma2_weak", "P2_P1_weak", "beta_strong",
                      "Ma2_strong", "P2_P1_strong"],
    "prandtl-meyer": ["Ma", "nu", "mu"],
    "fanno": ["Ma", "fLstar_D", "P_Pstar", "T_Tstar", "rho_rhostar", "Po_Postar", "V_Vstar"],
    "rayleigh": ["Ma", "To_Tostar", "T_Tstar", "P_Pstar", "rho_rhostar", "Po_Postar", "V_Vstar"],
}


@pytest.mark.parametrize("kind", KEYS)
def test_call_columns_match_the_printed_table(capsys, kind):
    # Both spellings name the same table; the keys are the toolkit's quantity names, each
    # column a float64 array of one length, and the CSV holds the mapping's columns under
    # the printed headers, in the same order, bit for bit.
    cols = table(kind.replace("-", "_"))
    assert list(cols) == KEYS[kind] and list(table(kind)) == KEYS[kind]
    assert {(c.dtype, c.shape) for c in cols.values()} == {(np.dtype(np.float64), cols["Ma"].shape)}
    head, t = read_csv(run(capsys, "table", kind.replace("-", "_"), "--csv", "-"))
    assert head == _tables.headers(kind) and len(head) == len(cols)
    assert np.array_equal(t, np.column_stack(list(cols.values())), equal_nan=True)
    text = run(capsys, "table", kind, "--Ma", "2:2:1")
    assert text.splitlines()[1].split() == [h for h in head for h in h.split()]


def bits(a):
    return np.asarray(a, dtype=np.float64).view(np.uint64).tolist()


def test_call_values_are_the_toolkit_functions_bits():
    Ma = np.array([0.2, 1.0, 2.5, 4.0])
    c = table("isentropic", ga=1.3, Ma=Ma)
    assert bits(c["Ma"]) == bits(Ma) and c["Ma"] is not Ma
    assert bits(c["P_Po"]) == bits(1.0 / isentropic.Po_P_from_Ma(Ma, 1.3))
    assert bits(c["A_Acrit"]) == bits(isentropic.A_Acrit_from_Ma(Ma, 1.3))
    assert bits(c["nu"][1:]) == bits(isentropic.nu_from_Ma(Ma[1:], 1.3))
    c = table("normal_shock", Ma="1.5:3:0.5")
    assert c["Ma"].tolist() == [1.5, 2.0, 2.5, 3.0]
    assert bits(c["Posh_Po"]) == bits(normal_shock.Posh_Po_from_Ma(c["Ma"]))
    assert bits(c["Po2_P1"]) == bits(normal_shock.Po2_P1_from_Ma(c["Ma"]))
    c = table("fanno", 1.2, Ma=0.5)  # a scalar is a one-row table
    assert bits(c["fLstar_D"]) == bits([fanno.fLstar_D_from_Ma(0.5, 1.2)])
    c = table("oblique-shock", Ma=[2.0, 3.0], theta=np.array([10.0, 30.0, 40.0]))
    # Ma = 2 detaches above 22.97 degrees: its rows at 30 and 40 are left out.
    assert list(zip(c["Ma"], c["theta"])) == [(2.0, 10.0), (3.0, 10.0), (3.0, 30.0)]
    strong = oblique_shock.beta_from_Ma_theta(c["Ma"], c["theta"], 1.4, True)
    assert bits(c["beta_strong"]) == bits(strong)
    assert bits(c["P2_P1_strong"]) == bits(oblique_shock.P2_P1_from_Ma_beta(c["Ma"], strong))


def test_call_out_of_domain_cells_are_nan_without_warnings():
    with warnings.catch_warnings(), np.errstate(all="raise"):
        warnings.simplefilter("error")
        c = table("isentropic", Ma="0:1.5:0.5")
        r = table("rayleigh", Ma=[-1.0, np.nan, 2.0])
    assert np.isnan(c["nu"]).tolist() == np.isnan(c["mu"]).tolist() == [True, True, False, False]
    assert c["A_Acrit"][0] == np.inf
    assert np.isnan(r["T_Tstar"][:2]).all() and not np.isnan(r["T_Tstar"][2])


@pytest.mark.parametrize("args,message", [
    (("steam",), "unknown table 'steam'"),
    (("fanno", 1.0), "ga must be a finite number above 1"),
    (("fanno",), "theta is for the oblique-shock table only"),
    (("fanno", 1.4, [[1.0, 2.0]]), "Ma must be one-dimensional"),
    (("fanno", 1.4, "2:1:1"), "Ma: STOP is below START"),
])
def test_call_errors(args, message):
    kw = {"theta": "0:1:1"} if message.startswith("theta") else {}
    with pytest.raises(ValueError, match=message):
        table(*args, **kw)


def test_package_shows_its_public_names_only():
    public = {n for n in dir(vortalix2_flows) if not n.startswith("_")}
    assert public == set(vortalix2_flows.__all__) - {"__version__"}
