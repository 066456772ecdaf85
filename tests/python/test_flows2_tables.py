"""The table command, python -m vortalix2_flows table KIND: ranges with the stop included,
printed digits, full-precision CSV equal to the functions' values, and clear usage errors."""
import csv
import io
import subprocess
import sys

import numpy as np
import pytest

from vortalix2_flows import _tables, fanno, oblique_shock, rayleigh


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
    (["table", "fanno", "--ga", "1.0"], "--ga"),
    (["table", "fanno", "--theta", "0:1:1"], "oblique-shock table only"),
    (["table", "steam"], "invalid choice"),
    (["table", "rayleigh", "--digits", "0"], "--digits"),
])
def test_usage_errors(capsys, argv, message):
    with pytest.raises(SystemExit) as e:
        _tables.main(argv)
    assert e.value.code == 2 and message in capsys.readouterr().err


def test_runs_as_a_module():
    done = subprocess.run([sys.executable, "-m", "vortalix2_flows", "table", "prandtl-meyer",
                           "--Ma", "2:2:1"], capture_output=True, text=True)
    assert done.returncode == 0 and done.stdout.splitlines()[-1].split() == ["2", "26.38", "30"]
