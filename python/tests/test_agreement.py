"""The Python module against varno96-batch: the same rows, digit for digit, from files, texts
and DataFrames in both layouts, the same refusals and the same citation.

Run by ctest, which sets VARNO96_BATCH (the program of the same build) and VARNO96_EXAMPLES.
"""

import os
import subprocess
import warnings

import pandas as pd
import pytest

import varno96
from support import (BATCH, EXAMPLES, OPTIONS, as_text, assert_agrees, batch, example_files,
                     needs_batch, suite_long, suite_wide)


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
    assert [str(w.message) for w in said] == messages
    # The total read in a long frame; a wide one's wants a mineral suffix. RT2 has no result.
    assert messages[-1] == "1 of 7 rows without a result (its note says why)"
    assert len(messages) == (1 if layout == "long" else 2)
    assert layout == "long" or '"Total" (no mineral suffix) ignored' in messages[0]
    # The same digits as the data file, sample for sample.
    _, from_file, _ = batch(args + ["SUITE.PRN"], EXAMPLES)
    assert [r[1:] for r in as_text(rows)] == [r[1:] for r in from_file]


@needs_batch
def test_models_and_version():
    assert list(varno96.models.index) == list(range(1, 8))
    assert varno96.models.loc[7, "title"] == "Sengupta et al 1989 (CMP) extension of GS-84"
    assert varno96.models.loc[6, "reference"].startswith("Berman R.G. (1990)")
    first = subprocess.run([BATCH, "--version"], capture_output=True, text=True).stdout.split("\n")[0]
    assert first == f"varno96-batch {varno96.__version__}"


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
            given = {"-m": "7", "-t": "650"} | {f"--{option['name']}": str(beyond)}
            if option["name"] == "temperature":
                del given["-t"]
            run = subprocess.run([BATCH, *[w for pair in given.items() for w in pair], suite],
                                 capture_output=True)
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
            elif option["min_excluded"]:  # a temperature above absolute zero
                assert "must be a number above -273.15" in said and "above -273.15," in words, \
                    (said, words)
            else:  # a number not below 0
                assert "must not be negative" in said and "at least 0," in words, (said, words)
            checked += 1
    # Both bounds of model, seed and jobs; the lower one of uncertainty, temperature, at and
    # zr_uncertainty.
    assert checked == 10


@needs_batch
@pytest.mark.parametrize("kwargs,args", OPTIONS)
def test_cite_is_the_batchs(kwargs, args):
    """varno96.cite gives what varno96-batch --cite prints for the same options, as text and
    as BibTeX."""
    for cite, form in (("--cite", {}), ("--cite=bibtex", {"bibtex": True})):
        run = subprocess.run([BATCH, *args, cite], capture_output=True)
        assert run.returncode == 0, run.stderr
        assert varno96.cite(**kwargs, **form) == run.stdout.decode()
    text = varno96.cite(**kwargs)
    assert text.startswith(f"Pressures were calculated with varno96 {varno96.__version__} ")
    assert "a trial temperature given for each sample" in varno96.cite(
        model=7, temperature={"EC1": 650})
    with pytest.raises(ValueError, match="model"):
        varno96.cite(model=8)


@needs_batch
def test_cite_of_a_result_is_the_batchs_of_that_run():
    """varno96.cite(rows) cites the run that gave them, its drawn seed included, as the batch
    cites the same run."""
    suite = os.path.join(EXAMPLES, "SUITE.PRN")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rows = varno96.compute(suite, model=7, temperature=650, monte_carlo=True, combine="mean")
    seed = rows.attrs["varno96"]["seed"]
    run = subprocess.run([BATCH, "-m", "7", "-t", "650", "--monte-carlo", "--combine", "mean",
                          "--seed", str(seed), "--cite"], capture_output=True)
    assert varno96.cite(rows) == run.stdout.decode()
    assert f"seed {seed}" in varno96.cite(rows)
    with pytest.raises(TypeError, match="not both"):
        varno96.cite(rows, model=6)


@needs_batch
def test_suspect_analyses_and_below_detection_agree_with_the_batch(tmp_path):
    """The notes of suspect analyses, of temperatures outside 200-1500 °C and of words for
    below detection are the batch's."""
    (tmp_path / "suspect.csv").write_text(
        "Sample,Mineral,SiO2,TiO2,Al2O3,FeO,MnO,MgO,CaO,Na2O,K2O,Total\n"
        "EC1,Grt,3829,0.05,21.7,25,0.5,6.4,8.6,0.02,bdl,\n"
        "EC1,Cpx,55.6,0.08,9.8,4.4,0.03,8.2,13.6,7.1,0.01,60\n"
        "EC1,Phe,46.0,0.6,30.8,2.2,0.01,3.4,0.01,0.4,10.6,\n"
        "EC2,Grt,38.5,0.05,21.7,25,0.5,6.4,8.6,0.02,0,\n"
        "EC2,Cpx,55.6,0.08,9.8,4.4,0.03,8.2,n.d,7.1,0.01,\n"
        "EC2,Phe,50.5,0.6,26.8,2.2,0.01,3.4,0.01,0.4,10.6,100\n")
    path = str(tmp_path / "suspect.csv")
    args = ["-m", "7", "-t", "1600"]
    assert_agrees(dict(model=7, temperature=1600), args, path, [path], str(tmp_path))
    frame = pd.read_csv(path)
    assert_agrees(dict(model=7, temperature=1600, name="suspect.csv"), args, frame,
                  ["suspect.csv"], str(tmp_path))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        notes = list(varno96.compute(frame, model=7, temperature=1600)["note"])
    assert "garnet: SiO2 3829.00 wt%" in notes[0] and "below detection, read as 0" in notes[0]
    assert "phengite: charge balance makes all of its iron ferric" in notes[0]
    assert "(below detection) in a major oxide of clinopyroxene" in notes[1]
