"""The Python module against varno96-batch: the same rows, digit for digit, from files, texts
and DataFrames in both layouts; its types, errors and warnings.

Run by ctest, which sets VARNO96_BATCH (the program of the same build) and VARNO96_EXAMPLES.
"""

import csv
import inspect
import io
import math
import os
import shutil
import subprocess
import sys
import warnings
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pandas as pd
import pytest

import varno96

BATCH = os.environ.get("VARNO96_BATCH", "")
EXAMPLES = os.environ.get(
    "VARNO96_EXAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "examples"))
OXIDES = ["SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O"]
CATIONS = ["Si", "Ti", "Al", "Fe3", "Fe2", "Mn", "Mg", "Ca", "Na", "K"]

needs_batch = pytest.mark.skipif(not os.path.exists(BATCH), reason="VARNO96_BATCH not set")


def assert_same(a, b):
    pd.testing.assert_frame_equal(a, b, check_exact=True)


def decimals(column):
    """The batch's decimals of a number column, from the table of columns."""
    return int(varno96.columns.loc[column, "decimals"])


def as_text(frame):
    """Every cell as the batch writes it: numbers with its decimals, nothing for no value."""
    out = []
    for row in frame.itertuples(index=False):
        cells = []
        for column, value in zip(frame.columns, row):
            if value is pd.NA or (isinstance(value, float) and math.isnan(value)):
                cells.append("")
            elif isinstance(value, float):
                cells.append(f"{value:.{decimals(column)}f}")
            else:
                cells.append(str(value))
        out.append(cells)
    return out


def in_python_words(text):
    """A text of the batch with its options as the module names them."""
    for how in ("mean", "each"):
        text = text.replace(f"--combine {how}", f'combine="{how}"')
    return text


def batch(args, cwd):
    """varno96-batch's CSV as (header, rows) and its messages without the program's name, the
    options they name in the module's words."""
    run = subprocess.run([BATCH, *args], cwd=cwd, capture_output=True)
    assert run.returncode in (0, 1), run.stderr
    header, *rows = list(csv.reader(io.StringIO(run.stdout.decode(), newline="")))
    rows = [[in_python_words(cell) for cell in row] for row in rows]
    messages = [in_python_words(m.removeprefix("varno96-batch: "))
                for m in run.stderr.decode().splitlines()]
    hint = messages.pop() if messages and "several analyses of a mineral:" in messages[-1] else None
    # The program's closing count of the rows without a result is its own: a frame shows them.
    if messages and "rows without a result" in messages[-1]:
        messages.pop()
    return header, rows, messages + ([hint] if hint else [])


OPTIONS = [  # (keyword arguments, the batch's options)
    (dict(model=7, temperature=650), ["-m", "7", "-t", "650"]),
    (dict(model=7, temperature=650, powell=True, monte_carlo=True, seed=-42),
     ["-m", "7", "-t", "650", "--powell", "--monte-carlo", "--seed", "-42"]),
    (dict(model=2, temperature=600, at=550, one_site=True, uncertainty=2.5, formulae=True,
          monte_carlo=True, seed=-7),
     ["-m", "2", "-t", "600", "--at", "550", "--one-site", "-u", "2.5", "--formulae",
      "--monte-carlo", "--seed", "-7"]),
    (dict(model=6, temperature=700, combine="mean", thermometers=["EG79", "k88"]),
     ["-m", "6", "-t", "700", "--combine", "mean", "--thermometers", "EG79,k88"]),
    (dict(model=1, temperature=650, combine="each", monte_carlo=True, seed=-3,
          thermometers="all"),
     ["-m", "1", "-t", "650", "--combine", "each", "--monte-carlo", "--seed", "-3",
      "--thermometers", "all"]),
]


def assert_agrees(kwargs, args, data, files, cwd):
    """compute(data) gives the rows, pairs and messages of the batch on `files`."""
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        rows = varno96.compute(data, **kwargs)
    header, expected, messages = batch(args + files, cwd)
    assert list(rows.columns) == header
    assert as_text(rows) == expected
    assert [str(w.message) for w in said] == messages
    assert all(w.category is varno96.TableWarning for w in said)
    if kwargs.get("monte_carlo"):
        pt = os.path.join(cwd, "pt.csv")
        batch(args + ["--pt", pt] + files, cwd)
        with open(pt, newline="") as f:
            pt_header, *pt_rows = list(csv.reader(f))
        os.unlink(pt)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            pairs = varno96.pairs(data, **kwargs)
        assert list(pairs.columns) == pt_header
        assert as_text(pairs) == pt_rows


def example_files():
    return sorted(f for f in os.listdir(EXAMPLES)
                  if f.upper().endswith((".PRN", ".TXT", ".CSV")))


@needs_batch
@pytest.mark.parametrize("kwargs,args", OPTIONS)
def test_example_files_agree_with_the_batch(kwargs, args, monkeypatch):
    monkeypatch.chdir(EXAMPLES)
    files = example_files()
    assert "SUITE.PRN" in files
    # One file at a time, and all of them as one batch (one seed, rows in order).
    for f in files:
        assert_agrees(kwargs, args, f, [f], EXAMPLES)
    assert_agrees(kwargs, args, files, files, EXAMPLES)


def suite_long():
    """The example suite as a DataFrame of one analysis per row, as from a spreadsheet."""
    f = pd.read_csv(os.path.join(EXAMPLES, "SUITE.PRN"), sep=r"\s+", float_precision="round_trip")
    return f.rename(columns={"Min": "Mineral"})[["Sample", "Mineral"] + OXIDES]


def suite_wide(long):
    parts = [long[long["Mineral"] == m].set_index("Sample")[OXIDES].add_suffix("_" + m)
             for m in ("Grt", "Cpx", "Phe")]
    return pd.concat(parts, axis=1).reset_index()


@needs_batch
@pytest.mark.parametrize("layout", ["long", "wide"])
@pytest.mark.parametrize("kwargs,args", OPTIONS[:3])
def test_dataframes_agree_with_the_batch_on_their_csv(layout, kwargs, args, tmp_path):
    long = suite_long()
    frame = long if layout == "long" else suite_wide(long)
    # Spreadsheet habits: a decorated header, a column to ignore, an analysis label.
    frame = frame.rename(columns={"SiO2" if layout == "long" else "SiO2_Grt":
                                  "SiO2 (wt%)" if layout == "long" else "SiO2_Grt wt%"})
    frame.insert(1, "Total", frame.filter(like="O").sum(axis=1))
    frame.to_csv(tmp_path / "frame.csv", index=False)
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        rows = varno96.compute(frame, **kwargs, name="frame.csv")
    header, expected, messages = batch(args + ["frame.csv"], str(tmp_path))
    assert list(rows.columns) == header and as_text(rows) == expected
    assert [str(w.message) for w in said] == messages and len(messages) == 1
    assert '"Total"' in messages[0]
    # The same digits as the data file, sample for sample.
    _, from_file, _ = batch(args + ["SUITE.PRN"], EXAMPLES)
    assert [r[1:] for r in as_text(rows)] == [r[1:] for r in from_file]


def test_result_types():
    rows = varno96.compute(suite_long(), model=7, temperature=650, combine="mean",
                           monte_carlo=True, seed=-42)
    dtypes = rows.dtypes.astype(str).to_dict()
    assert {c for c, t in dtypes.items() if t == "object"} == {"file", "sample", "cpx", "note"}
    assert {c for c, t in dtypes.items() if t == "int64"} == {
        "model", "n_grt", "n_cpx", "n_phe", "mc_seed"}
    assert dtypes["mc_left_out"] == "Int64"
    assert all(t == "float64" for c, t in dtypes.items()
               if c not in ("file", "sample", "cpx", "note", "model", "n_grt", "n_cpx", "n_phe",
                            "mc_seed", "mc_left_out"))
    no_result = rows[rows["sample"] == "RT2"].iloc[0]
    assert no_result["note"].startswith("no result:") and math.isnan(no_result["P_kbar"])
    assert no_result["mc_left_out"] is pd.NA
    assert rows["file"].iloc[0] == "DataFrame" and rows["note"].iloc[0] == ""
    # Full precision, not the CSV's digits.
    assert rows["P_kbar"].iloc[0] != round(rows["P_kbar"].iloc[0], 2)


def test_clock_seed_and_threads():
    frame = suite_long()
    drawn = varno96.compute(frame, model=7, temperature=650, monte_carlo=True)
    seed = int(drawn["mc_seed"].iloc[0])
    assert -99 <= seed <= -1 and (drawn["mc_seed"] == seed).all()
    again = varno96.compute(frame, model=7, temperature=650, monte_carlo=True, seed=seed, jobs=2)
    assert_same(drawn, again)
    # Calls from a pool of threads, computing at once, give the rows of one call each.
    with ThreadPoolExecutor(4) as pool:
        results = list(pool.map(lambda s: varno96.compute(frame, model=7, temperature=650,
                                                         monte_carlo=True, seed=s),
                                [seed] * 4))
    for r in results:
        assert_same(drawn, r)


def test_pairs_count():
    pairs = varno96.pairs(suite_long(), model=7, temperature=650, seed=-42)
    counts = pairs.groupby(["sample", "pass"]).size()
    assert (counts == 200).all() and len(counts) == 12  # six samples with a result, two passes
    assert list(pairs.dtypes.astype(str)) == ["object", "object", "int64", "float64", "float64"]


def test_cells_below_detection_and_missing_columns():
    long = suite_long()
    holes = long.copy()
    holes.loc[holes["Mineral"] == "Grt", "K2O"] = np.nan  # 0.00 in the file
    holes.loc[holes["Mineral"] == "Phe", "Fe2O3"] = None
    missing = long.drop(columns=["Fe2O3"])  # 0 everywhere: estimated by charge balance
    extra = long.assign(Cr2O3=0.02, Total=100.0, Comment="core")  # Comment: the analysis label
    expected = varno96.compute(long, model=7, temperature=650)
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        for frame in (holes, missing, extra):
            assert_same(varno96.compute(frame, model=7, temperature=650), expected)
    said = [str(w.message) for w in said]  # the words are the batch's, checked against it above
    assert len(said) == 2 and all(m.startswith("DataFrame: ") for m in said)
    assert "Fe2O3" in said[0] and '"Cr2O3", "Total" ignored' in said[1]
    # A word in an oxide cell is no silent zero.
    typo = long.astype({"MgO": object})
    typo.loc[0, "MgO"] = "6,4O"
    note = varno96.compute(typo, model=7, temperature=650)["note"].iloc[0]
    assert note == 'DataFrame line 2, column MgO: "6,4O" is not a number'
    # Every digit of a number reaches the calculation, and names with the table's separators
    # and quotes stay whole: a frame computes as its own text.
    odd = long.copy()
    odd[OXIDES] = odd[OXIDES] * (1 + 1e-13)
    odd["Sample"] = odd["Sample"].replace({"EC1": 'EC "1",\tcore;'})
    odd = odd.rename(columns={"FeO": "FeO,total"})
    as_frame = varno96.compute(odd, model=7, temperature=650, name="text")
    assert as_frame["sample"].iloc[0] == 'EC "1",\tcore;'
    assert_same(as_frame.reset_index(drop=True),
                varno96.compute(odd.to_csv(index=False), model=7, temperature=650))
    assert not (as_frame["P_kbar"].to_numpy() == expected["P_kbar"].to_numpy()).all()
    # The sample as the index, in the wide layout; a decimal comma as text.
    wide = suite_wide(long).set_index("Sample").astype({"SiO2_Grt": object})
    wide.loc["EC1", "SiO2_Grt"] = "38,50"
    assert_same(varno96.compute(wide, model=7, temperature=650).rename_axis(None), expected)


def test_empty_frame_and_texts():
    with pytest.warns(varno96.TableWarning, match="DataFrame: no analysis after the header"):
        empty = varno96.compute(suite_long().iloc[:0], model=7, temperature=650, monte_carlo=True)
    assert len(empty) == 0 and empty.dtypes["mc_seed"] == "int64" and "P1_mean_kbar" in empty
    text = open(os.path.join(EXAMPLES, "EC1D.PRN"), encoding="ascii").read()
    from_text = varno96.compute(text, model=7, temperature=650)
    from_utf16 = varno96.compute(b"\xff\xfe" + text.encode("utf-16-le"), model=7, temperature=650)
    from_path = varno96.compute(os.path.join(EXAMPLES, "EC1D.PRN"), model=7, temperature=650, name="text")
    assert_same(from_text, from_utf16)
    assert_same(from_text, from_path)


@pytest.mark.parametrize("data,kwargs,error,message", [
    ("SUITE", dict(model=8), ValueError, "model must be an integer from 1 to 7, got 8"),
    ("SUITE", dict(model=7.5), ValueError, "model must be an integer from 1 to 7, got 7.5"),
    ("SUITE", dict(model="7"), TypeError, "model must be an integer from 1 to 7, got str '7'"),
    ("SUITE", dict(jobs=-1), ValueError, "jobs must be an integer from 1 to 256, got -1"),
    ("SUITE", dict(jobs=2.0, model=7.0), None, ""),
    ("SUITE", dict(powell="no"), TypeError, "powell must be True or False, got 'no'"),
    ("SUITE", dict(powell=True, at=600), ValueError, "powell=True excludes at=600"),
    ("SUITE", dict(temperature=float("nan")), ValueError,
     "temperature must be a finite number, got nan"),
    ("SUITE", dict(temperature=float("inf")), ValueError,
     "temperature must be a finite number, got inf"),
    ("SUITE", dict(temperature={"EC1": float("nan")}), ValueError,
     "temperature['EC1'] must be a finite number, got nan"),
    ("SUITE", dict(temperature={"EC1": 650}), ValueError, "temperature: no value for sample A7"),
    ("SUITE", dict(seed=0), ValueError, "seed must be an integer from -99 to -1, got 0"),
    ("SUITE", dict(uncertainty=-1), ValueError,
     "uncertainty must be a finite number of at least 0, got -1"),
    ("SUITE", dict(combine="median"), ValueError,
     "combine must be 'mean' or 'each' or None, got 'median'"),
    ("SUITE", dict(combine=1), TypeError, "combine must be 'mean' or 'each' or None, got 1"),
    ("SUITE", dict(uncertainty=None), TypeError,
     "uncertainty must be a finite number of at least 0, got None"),
    ("SUITE", dict(name=5), TypeError, "name must be a str or a list of str, got int 5"),
    ("SUITE", dict(thermometers=["EG79", "XX1"]), ValueError, "got ['EG79', 'XX1']"),
    ("SUITE", dict(thermometers=7), TypeError, "thermometers must be a list of EG79"),
    ("no-such-file.csv", {}, FileNotFoundError, "no-such-file.csv"),
    (".", {}, IsADirectoryError, ""),
    ("Sample\tMineral\tColour\nA\tGrt\tred\n", {}, ValueError,
     "text line 1: the header names no oxide column"),
    (pd.DataFrame({"SiO2": [1.0]}), {}, ValueError, "DataFrame line 1: no mineral column"),
    (pd.DataFrame({"Sample": ["A"], "Colour ": ["red"]}), {}, ValueError,
     "DataFrame line 1: no column names an oxide (SiO2, Al2O3, FeO, ...); the columns: "
     "['Sample', 'Colour ']"),
    (pd.DataFrame({"Sample": ["A"], "Mineral": ["Grt"], "SiO2": [1.0], "SiO2 ": [2.0]}), {},
     ValueError, "DataFrame line 1: columns 'SiO2' and 'SiO2 ' both give SiO2"),
    (42, {}, TypeError, "data must be a path, a table's text, a pandas DataFrame"),
])
def test_errors(data, kwargs, error, message):
    if isinstance(data, str) and data == "SUITE":
        data = os.path.join(EXAMPLES, "SUITE.PRN")
    options = dict(model=7, temperature=650) | kwargs
    if error is None:  # accepted
        assert len(varno96.compute(data, **options)) == 7
        return
    with pytest.raises(error) as raised:
        varno96.compute(data, **options)
    assert message in str(raised.value) and len(str(raised.value)) < 300
    with pytest.raises(ValueError, match="monte_carlo must be True"):
        varno96.pairs(os.path.join(EXAMPLES, "SUITE.PRN"), model=7, temperature=650, monte_carlo=False)


def test_checks_follow_the_table_of_options():
    """The checks are made from the compiled part's table of options: its bounds, choices,
    exclusions and needs, whatever they are."""
    from varno96 import _options, _varno96
    table = _varno96.options()
    # Every option is a keyword of compute.
    keywords = inspect.signature(varno96.compute).parameters
    assert {o["python"] for o in table} <= set(keywords)
    for option in table:
        if option["name"] == "model":
            option["max"] = 3.0
    table.append(dict(name="depth", python="depth", page="Depth", kind="number", min=0.5,
                      max=None, choices=[], default=None, required=False, help="",
                      excludes=[], needs=["monte-carlo"]))
    checks = _options.Options(table)
    base = dict(model=2, temperature=650.0, monte_carlo=False)
    assert checks.checked(base | dict(model=3.0)) == base | dict(model=3)
    for extra, error, message in [
            (dict(model=4), ValueError, "model must be an integer from 1 to 3, got 4"),
            (dict(model=None), TypeError, "model must be an integer from 1 to 3, got None"),
            (dict(depth=5), ValueError, "depth=5 needs monte_carlo=True"),
            (dict(depth=0, monte_carlo=True), ValueError,
             "depth must be a finite number of at least 0.5, got 0"),
            (dict(monte_carlo=1), TypeError, "monte_carlo must be True or False, got 1")]:
        with pytest.raises(error) as raised:
            checks.checked(base | extra)
        assert str(raised.value) == message
    assert checks.checked(base | dict(depth=5, monte_carlo=True))["depth"] == 5.0


@needs_batch
def test_models_and_version():
    assert list(varno96.models.index) == list(range(1, 8))
    assert varno96.models.loc[7, "title"] == "Sengupta et al 1989 (CMP) extension of GS-84"
    assert varno96.models.loc[6, "reference"].startswith("Berman R.G. (1990)")
    first = subprocess.run([BATCH, "--version"], capture_output=True, text=True).stdout.split("\n")[0]
    assert first == f"varno96-batch {varno96.__version__}"


def test_suite_example_runs_headless(tmp_path):
    env = dict(os.environ, MPLBACKEND="Agg")
    env.pop("DISPLAY", None)
    run = subprocess.run([sys.executable, os.path.join(EXAMPLES, "suite.py")], cwd=tmp_path,
                         env=env, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert "RT2: no result: the garnet has no Mg" in run.stdout
    try:
        import matplotlib  # noqa: F401
    except ImportError:
        return
    assert (tmp_path / "suite-PT.png").stat().st_size > 10000


def test_rows_carry_their_input_index():
    long = suite_long()
    wide = suite_wide(long)
    # Two rows of one name stay two samples; the index is the frame's, for join.
    twice = pd.concat([wide, wide.iloc[[0]]]).set_axis(list("abcdefgh"))
    rows = varno96.compute(twice, model=7, temperature=650)
    assert list(rows.index) == list("abcdefgh")
    assert (rows.loc["h"].drop("file") == rows.loc["a"].drop("file")).all()
    assert twice.join(rows[["P_kbar"]])["P_kbar"].notna().sum() == 7
    # Without a sample column a row is named by its index label.
    unnamed = varno96.compute(wide.drop(columns="Sample"), model=7, temperature=650)
    assert list(unnamed["sample"]) == [str(i) for i in range(7)]
    # A long frame: the sample, with the analyses combined under combine="each".
    each = varno96.compute(long.assign(Point=range(len(long))), model=7, temperature=650,
                           combine="each")
    assert each.index.nlevels == 4 and each.index[0] == ("EC1", "0", "1", "2")
    assert list(varno96.compute(long, model=7, temperature=650).index) == list(rows["sample"][:7])


def test_frames_are_read_by_their_names():
    """A data file read by pandas is read by its column names: the same rows as the file,
    and a word in an oxide cell is the note of its sample, not a zero."""
    path = os.path.join(EXAMPLES, "SUITE.PRN")
    frame = pd.read_csv(path, sep=r"\s+")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        from_file = varno96.compute(path, model=7, temperature=650)
        assert_same(varno96.compute(frame, model=7, temperature=650, name=path)
                    .reset_index(drop=True), from_file)
        frame = frame.astype({"MgO": object})
        frame.loc[3, "MgO"] = "n.v."
        rows = varno96.compute(frame, model=7, temperature=650)
    assert rows.loc["A7", "note"] == 'DataFrame line 5, column MgO: "n.v." is not a number'
    assert math.isnan(rows.loc["A7", "P_kbar"])


def test_one_frame_per_mineral():
    long = suite_long()
    expected = varno96.compute(long, model=7, temperature=650, combine="mean")
    parts = {}
    for keyword, mineral in (("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe")):
        part = long[long["Mineral"] == mineral].drop(columns="Mineral")
        parts[keyword] = part.rename(columns={"SiO2": "SiO2  ", "Sample": " Sample"})
    rows = varno96.compute(**parts, on=" Sample", model=7, temperature=650, combine="mean")
    assert_same(rows, expected)
    by_index = {k: v.set_index(" Sample") for k, v in parts.items()}
    assert_same(varno96.compute(**by_index, model=7, temperature=650, combine="mean"), expected)
    # Suffixed names and synonyms, a key column of its own name in each frame.
    suffixed = {k: v.rename(columns=lambda c: c.strip() + "_" + m if c.strip() in OXIDES
                            else "Sample_ID_" + m).rename(columns={"FeO_" + m: "FeOt"})
                for (k, v), m in zip(parts.items(), ("Gt", "Cpx", "Ms"))}
    keys = {k: "Sample_ID_" + m for k, m in zip(suffixed, ("Gt", "Cpx", "Ms"))}
    assert_same(varno96.compute(**suffixed, on=keys, model=7, temperature=650, combine="mean"),
                expected)
    clash = dict(parts, cpx=parts["cpx"].assign(SiO2_Cpx=1.0))
    with pytest.raises(ValueError, match=r"cpx: columns 'SiO2  ' and 'SiO2_Cpx' both give SiO2"):
        varno96.compute(**clash, on=" Sample", model=7, temperature=650)


def test_temperature_per_sample_is_separate_calls():
    long = suite_long()
    temperatures = {s: 600.0 + 25 * i for i, s in enumerate(long["Sample"].unique())}
    options = dict(model=7, monte_carlo=True, seed=-5, jobs=2)
    rows = varno96.compute(long, temperature=temperatures, **options)
    pairs = varno96.pairs(long, temperature=pd.Series(temperatures), **options)
    for sample, t in temperatures.items():
        one = long[long["Sample"] == sample]
        assert_same(rows.loc[[sample]], varno96.compute(one, temperature=t, **options))
        alone = varno96.pairs(one, temperature=t, **options)
        assert_same(pairs[pairs["sample"] == sample].reset_index(drop=True), alone)
    # A wide frame: by its index labels.
    wide = suite_wide(long).set_index("Sample")
    by_row = varno96.compute(wide, temperature=pd.Series(temperatures), **options)
    assert_same(by_row.rename_axis(None), rows)


def test_ctrl_c_stops_a_long_compute(tmp_path):
    script = tmp_path / "long.py"
    script.write_text(
        "import sys, pandas as pd, varno96\n"
        f"frame = pd.read_csv({os.path.join(EXAMPLES, 'SUITE.PRN')!r}, sep=r'\\s+')\n"
        "frame = pd.concat([frame.assign(Sample=frame['Sample'] + str(i)) for i in range(3000)])\n"
        "print('started', flush=True)\n"
        "varno96.compute(frame, model=7, temperature=650, monte_carlo=True, seed=-1, jobs=1)\n"
        "print('finished', flush=True)\n")
    child = subprocess.Popen([sys.executable, "-W", "ignore", str(script)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "started\n"
    import time
    time.sleep(1.0)
    sent = time.monotonic()
    child.send_signal(__import__("signal").SIGINT)
    out, err = child.communicate(timeout=30)
    assert time.monotonic() - sent < 2.0
    assert "KeyboardInterrupt" in err and "finished" not in out


def test_a_wide_frame_in_parts(monkeypatch):
    """A wide frame read and computed a few rows at a time gives the rows, pairs and
    messages of one reading, with row temperatures across the parts."""
    wide = suite_wide(suite_long()).assign(Total=100.0)
    wide = pd.concat([wide] * 3, ignore_index=True)
    temperatures = pd.Series(600.0 + 10 * np.arange(len(wide)), index=wide.index)
    calls = [lambda f: f(wide, model=7, temperature=temperatures, monte_carlo=True, seed=-9),
             lambda f: f([wide, wide.iloc[::-1]], model=7, temperature=650, combine="mean",
                         seed=-9)]
    for call in calls:
        with warnings.catch_warnings(record=True) as whole_said:
            warnings.simplefilter("always")
            whole = call(varno96.compute), call(varno96.pairs)
        monkeypatch.setattr(varno96, "_PART", 4)
        with warnings.catch_warnings(record=True) as parts_said:
            warnings.simplefilter("always")
            parts = call(varno96.compute), call(varno96.pairs)
        monkeypatch.setattr(varno96, "_PART", 65536)
        for a, b in zip(whole, parts):
            assert_same(a, b)
        assert [str(w.message) for w in whole_said] == [str(w.message) for w in parts_said]
    assert len(whole_said) == 4  # "Total" ignored, once per frame and call


@pytest.mark.parametrize("typed", ["abc", "55,6", "1.2.3", "12x"])
def test_a_word_in_a_data_file_read_by_pandas_is_no_zero(typed):
    # The clinopyroxene SiO2 of EC1 mistyped, the file read as pandas reads blank-separated
    # text: EC1 has no result and its note names the cell; the others keep theirs.
    with open(os.path.join(EXAMPLES, "SUITE.PRN"), encoding="ascii") as f:
        text = f.read().replace("   55.60 ", f"   {typed} ", 1)
    frame = pd.read_csv(io.StringIO(text), sep=r"\s+")
    result = varno96.compute(frame, model=7, temperature=650)
    assert math.isnan(result.loc["EC1", "P_kbar"])
    assert typed in result.loc["EC1", "note"]
    assert result.loc["A7", "P_kbar"] == pytest.approx(25.17, abs=0.005)


def test_every_bound_of_the_table_refused_by_the_module_as_by_the_batch():
    """Just beyond each bound of the table of options, the batch refuses the option and the
    module the keyword, both giving the same range."""
    from varno96 import _varno96
    suite = os.path.join(EXAMPLES, "SUITE.PRN")
    checked = 0
    for option in _varno96.options():
        for bound, step in ((option["min"], -1), (option["max"], 1)):
            if bound is None:
                continue
            beyond = int(bound + step) if option["kind"] == "integer" else bound + step
            run = subprocess.run([BATCH, "-m", "7", "-t", "650", f"--{option['name']}",
                                  str(beyond), suite], capture_output=True)
            said = run.stderr.decode()
            assert run.returncode == 2 and f"--{option['name']}" in said, said
            with pytest.raises(ValueError) as raised:
                varno96.compute(suite, **(dict(model=7, temperature=650)
                                          | {option["python"]: beyond}))
            words = str(raised.value)
            assert words.startswith(option["python"]) and words.endswith(f"got {beyond}")
            if option["kind"] == "integer":
                for number in (option["min"], option["max"]):
                    assert f" {number:g}" in said and f" {number:g}" in words, (said, words)
            else:  # a number not below 0
                assert "must not be negative" in said and "at least 0," in words, (said, words)
            checked += 1
    assert checked == 7  # both bounds of model, seed and jobs; uncertainty's lower one


def test_columns_name_and_explain_every_column():
    """varno96.columns has every column a result can have, each with what it means; a result
    under every option has only columns of it, and its numbers' decimals are the table's."""
    table = varno96.columns
    assert table.index.is_unique
    assert (table["meaning"].str.len() > 0).all()
    assert table.loc["P_kbar", "unit"] == "kbar" and table.loc["T_KR00_C", "decimals"] == 1
    path = os.path.join(EXAMPLES, "SUITE.PRN")
    for combine in ("mean", "each"):
        rows = varno96.compute(path, model=7, temperature=650, monte_carlo=True, seed=-3,
                               formulae=True, thermometers="all", combine=combine)
        assert set(rows.columns) <= set(table.index)
    assert {"n_grt", "grt_label", "rho_GH82", "phe_sum", "mc_left_out"} <= set(table.index)


def test_the_module_speaks_python():
    """Notes and warnings name options as Python does, the hint once after the others; a
    message about one of several frames names it and its row."""
    path = os.path.join(EXAMPLES, "EPMA-EXPORT.csv")
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        rows = varno96.compute(path, model=7, temperature=650)
    texts = [str(w.message) for w in said] + list(rows["note"])
    assert all("--" not in t for t in texts), texts
    assert 'combine="mean" or combine="each" uses them' in rows["note"].iloc[0]
    assert str(said[-1].message) == (
        '7 samples have several analyses of a mineral: combine="mean" averages them, '
        'combine="each" computes every combination')
    assert sum("several analyses of a mineral:" in str(w.message) for w in said) == 1
    with pytest.raises(ValueError, match=r"^probe\.xlsx: an Excel workbook: varno96 reads CSV: "
                                         r"read it with pandas\.read_excel"):
        varno96.compute(b"PK\x03\x04\x14\x00docProps", name="probe.xlsx", model=7,
                        temperature=650)
    # One frame per mineral: the message names the frame, its row and index label.
    long = suite_long()
    parts = {k: long[long["Mineral"] == m].drop(columns="Mineral").set_index("Sample")
             for k, m in (("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe"))}
    parts["garnet"] = parts["garnet"].astype({"MgO": object})
    parts["garnet"].iloc[2, parts["garnet"].columns.get_loc("MgO")] = "n.v."
    label = parts["garnet"].index[2]
    rows = varno96.compute(**parts, model=7, temperature=650)
    assert rows.loc[label, "note"] == (f"garnet frame, row 2 (index {label!r}), column MgO: "
                                       '"n.v." is not a number')


def test_on_is_matched_as_the_headers_are():
    long = suite_long()
    expected = varno96.compute(long, model=7, temperature=650, combine="mean")
    parts = {k: long[long["Mineral"] == m].drop(columns="Mineral")
             .rename(columns={"Sample": name})
             for (k, m), name in zip((("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe")),
                                     (" Sample ", "SAMPLE", "sample"))}
    assert_same(varno96.compute(**parts, on="Sample", model=7, temperature=650,
                                combine="mean"), expected)
    with pytest.raises(ValueError, match="no column 'Rock'"):
        varno96.compute(**parts, on="Rock", model=7, temperature=650)


def test_what_was_run_travels_with_the_result():
    long = suite_long()
    temperatures = dict.fromkeys(long["Sample"].unique(), 600.0) | {"XX9": 650.0}
    with pytest.warns(varno96.TableWarning, match=r"keys that name no sample: \['XX9'\]"):
        rows = varno96.compute(long, model=7, temperature=temperatures, monte_carlo=True,
                               uncertainty=0.5)
    run = rows.attrs["varno96"]
    assert run["release"] == varno96.__version__
    assert run["seed"] == rows["mc_seed"].iloc[0] and -99 <= run["seed"] <= -1
    assert run["uncertainty"] == 0.5
    assert run["options"]["model"] == 7 and run["options"]["powell"] is False
    assert run["options"]["temperature"] == temperatures
    assert run["options"]["seed"] is None  # as given: drawn, and the seed above
    assert set(run["options"]) >= {"model", "temperature", "powell", "at", "one_site",
                                   "uncertainty", "monte_carlo", "seed", "combine",
                                   "formulae", "thermometers", "jobs"}


@needs_batch
@pytest.mark.parametrize("kwargs,args", OPTIONS)
def test_cite_is_the_batchs(kwargs, args):
    """varno96.cite gives what varno96-batch --cite prints for the same options, as text and
    as BibTeX."""
    for extra, form in (([], {}), (["bibtex"], {"bibtex": True})):
        run = subprocess.run([BATCH, *args, "--cite", *extra], capture_output=True)
        assert run.returncode == 0, run.stderr
        assert varno96.cite(**kwargs, **form) == run.stdout.decode()
    text = varno96.cite(**kwargs)
    assert text.startswith(f"Pressures were calculated with varno96 {varno96.__version__} ")
    assert "a trial temperature given for each sample" in varno96.cite(
        model=7, temperature={"EC1": 650})
    with pytest.raises(ValueError, match="model"):
        varno96.cite(model=8)


def test_help_describes_every_keyword_and_the_thermometers():
    """help(compute) and help(pairs) describe every keyword of the table of options, and
    varno96.thermometers every key the thermometers argument takes."""
    for function in (varno96.compute, varno96.pairs):
        for option in varno96._varno96.options():
            assert f"\n    {option['python']} : " in function.__doc__ or \
                f", {option['python']} : " in function.__doc__, (function, option["python"])
        assert "varno96-batch --help" not in function.__doc__
    keys = varno96.thermometers
    assert list(keys.index) == ["EG79", "P85", "K88", "A94", "KR00", "KR78", "GH82"]
    assert keys.loc["P85", "reference"].startswith("Powell R. (1985) Regression diagnostics")
    assert keys.loc["KR78", "minerals"] == "garnet-phengite"
    assert keys.loc["K88", "range"] == "garnet X_Ca 0.10 to 0.50"
    assert all(f.startswith("T = (") for f in keys["formula"])
