"""DataFrames in and out: the types of a result, its index, frames read by their column names
and one per mineral, temperatures per sample, threads, Ctrl-C, and the module's words."""

import io
import math
import os
import subprocess
import sys
import warnings
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pandas as pd
import pytest

import varno96
from support import EXAMPLES, OXIDES, assert_same, suite_long, suite_wide


def test_result_types():
    rows = varno96.compute(suite_long(), model=7, temperature=650, combine="mean",
                           monte_carlo=True, seed=-42, thermometers="KR00")
    dtypes = rows.dtypes.astype(str).to_dict()
    assert {c for c, t in dtypes.items() if t == "object"} == {"file", "sample", "cpx", "note"}
    assert {c for c, t in dtypes.items() if t == "int64"} == {
        "model", "n_grt", "n_cpx", "n_phe", "mc_seed"}
    assert dtypes["mc_left_out"] == dtypes["n_KR00"] == "Int64"
    assert all(t == "float64" for c, t in dtypes.items()
               if c not in ("file", "sample", "cpx", "note", "model", "n_grt", "n_cpx", "n_phe",
                            "mc_seed", "mc_left_out", "n_KR00"))
    no_result = rows[rows["sample"] == "RT2"].iloc[0]
    assert no_result["note"].startswith("no result:") and math.isnan(no_result["P_kbar"])
    assert no_result["mc_left_out"] is pd.NA
    assert rows["file"].iloc[0] == "DataFrame"
    assert "KR00: outside 600 to 1740 C, the temperatures of its experiments" in rows["note"].iloc[0]
    plain = varno96.compute(suite_long(), model=7, temperature=650, combine="mean", ferric="none")
    assert plain["note"].iloc[0] == ""  # empty, not NaN
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
    extra = long.assign(Cr2O3=0.02, Comment="core")  # Comment: the analysis label
    expected = varno96.compute(long, model=7, temperature=650)
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        for frame in (holes, missing, extra):
            assert_same(varno96.compute(frame, model=7, temperature=650), expected)
    said = [str(w.message) for w in said]  # the words are the batch's, checked against it above
    said = [m for m in said if "rows without a result" not in m]
    assert len(said) == 2 and all(m.startswith("DataFrame: ") for m in said)
    assert "Fe2O3" in said[0] and '"Cr2O3" ignored' in said[1]
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
    with pytest.raises(ValueError, match=r"cpx frame line 1: columns 2 'SiO2  ' and 12 'SiO2_Cpx' both "
                       r"give SiO2"):
        varno96.compute(**clash, on=" Sample", model=7, temperature=650)


def test_rutile_frame_and_zr_per_sample():
    """A frame of rutile beside the others, or beside data, reads as the rutile rows of one
    table; Zr given per sample is a rutile row of that Zr, its note saying what it replaced."""
    table = pd.read_csv(os.path.join(EXAMPLES, "RUTILE.csv"))
    kw = dict(model=7, temperature=650, combine="mean", thermometers="TPE07,WWT06",
              monte_carlo=True, seed=-7)
    rutile = table["Mineral"].str.lower().isin(["rt", "rutile", "rut"])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        expected = varno96.compute(table, **kw)
        frames = {k: table[table["Mineral"] == m] for k, m in
                  (("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe"))}
        mixed = pd.concat([table[rutile].drop(columns="Mineral"), table[:1]])  # a garnet too
        by_frame = varno96.compute(**frames, rutile=mixed, on="Sample", **kw)
        with_data = varno96.compute(table[~rutile], rutile=table[rutile], on="Sample", **kw)
    numbers = [c for c in expected.columns if c != "note" and c in by_frame.columns]
    assert_same(by_frame[numbers], expected[numbers])
    assert_same(with_data[numbers], expected[numbers])
    with pytest.warns(varno96.TableWarning, match=r"rutile frame: rows of other minerals than "
                      r"rutile left out: \"Grt\" \(1\)"):
        varno96.compute(**frames, rutile=mixed, on="Sample", **kw)
    with pytest.raises(ValueError, match="rutile frame line 1: no column of the rutile's Zr"):
        varno96.compute(**frames, rutile=table[rutile][["Sample", "TiO2"]], on="Sample", **kw)

    # Zr per sample: as one rutile row of that Zr; for every sample at once; keys checked.
    one_spot = pd.concat([table[~rutile], pd.DataFrame({"Sample": ["EC1", "B12"],
                                                        "Mineral": "Rt", "Zr (ppm)": 150.0})])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        spot = varno96.compute(one_spot, **kw)
        given = varno96.compute(table, zr_ppm={"EC1": 150, "B12": 150.0}, **kw)
        everywhere = varno96.compute(table[~rutile], zr_ppm=150, **kw)
    assert_same(given.drop(index="A7")[numbers], spot.drop(index="A7")[numbers])
    assert_same(given.loc[["A7"], numbers], expected.loc[["A7"], numbers])
    assert_same(everywhere.loc[["EC1", "B12"], numbers], spot.loc[["EC1", "B12"], numbers])
    assert "Zr in rutile as given, not from its 3 rutile rows" in given.loc["EC1", "note"]
    assert "as given" not in given.loc["B12", "note"]
    assert "Zr as given for the sample" in varno96.cite(given)
    assert "Zr the mean of the sample's rutile spots" in varno96.cite(expected)
    with pytest.warns(varno96.TableWarning, match=r"zr_ppm has values for keys that name no "
                      r"sample: \['EC2'\]"):
        varno96.compute(table, zr_ppm={"EC2": 150}, **kw)
    for bad, error in ((0, ValueError), (float("nan"), ValueError), ("150", TypeError),
                       ({"EC1": -3}, ValueError), ({}, ValueError)):
        with pytest.raises(error, match="zr_ppm"):
            varno96.compute(table, zr_ppm=bad, **kw)


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
    # "Total" (no mineral suffix) ignored, once per frame and call; RT2 without a result, once
    # per call of compute.
    assert len(whole_said) == 6


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
    assert {w.filename for w in said} == {__file__}  # the caller's line, not the package's
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
