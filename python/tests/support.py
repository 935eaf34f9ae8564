"""What the tests of the module share: the batch program run, its CSV read as the module's
frames are compared, the example suite as DataFrames, and the options compared."""

import csv
import io
import math
import os
import subprocess
import tempfile
import warnings

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
    return text.replace("--join", "join=True").replace("--sample-column NAME", 'on="NAME"')


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
    return header, rows, messages + ([hint] if hint else [])


OPTIONS = [  # (keyword arguments, the batch's options)
    (dict(model=7, temperature=650), ["-m", "7", "-t", "650"]),
    (dict(model=7, temperature=650, powell=True, monte_carlo=True, seed=-42,
          thermometers="TPE07,wwt06", zr_uncertainty=5),
     ["-m", "7", "-t", "650", "--powell", "--monte-carlo", "--seed", "-42",
      "--thermometers", "TPE07,wwt06", "--zr-uncertainty", "5"]),
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
    # Ferric iron: once as the dialogue's runs, none for all minerals or per mineral.
    (dict(model=7, temperature=650, monte_carlo=True, seed=-5, thermometers="KR00,GH82",
          ferric_in_runs="once", ferric="none"),
     ["-m", "7", "-t", "650", "--monte-carlo", "--seed", "-5", "--thermometers", "KR00,GH82",
      "--ferric-in-runs", "once", "--ferric", "none"]),
    (dict(model=7, temperature=650, monte_carlo=True, seed=-5, formulae=True,
          thermometers="EG79", ferric={"phe": "none", "grt": "estimate"}),
     ["-m", "7", "-t", "650", "--monte-carlo", "--seed", "-5", "--formulae", "--thermometers",
      "EG79", "--ferric", "grt=estimate,phe=none"]),
    # The clinopyroxene's ferric iron from its sites, afresh in every run.
    (dict(model=7, temperature=650, monte_carlo=True, seed=-5, formulae=True,
          thermometers="EG79,K88", ferric={"cpx": "sites"}),
     ["-m", "7", "-t", "650", "--monte-carlo", "--seed", "-5", "--formulae", "--thermometers",
      "EG79,K88", "--ferric", "cpx=sites"]),
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
        # Written in a folder of its own: the examples' folder is read by other tests meanwhile.
        with tempfile.TemporaryDirectory() as folder:
            pt = os.path.join(folder, "pt.csv")
            batch(args + ["--pt", pt] + files, cwd)
            with open(pt, newline="") as f:
                pt_header, *pt_rows = list(csv.reader(f))
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            pairs = varno96.pairs(data, **kwargs)
        assert list(pairs.columns) == pt_header
        assert as_text(pairs) == pt_rows


def example_files():
    return sorted(f for f in os.listdir(EXAMPLES)
                  if f.upper().endswith((".PRN", ".TXT", ".CSV")))


def suite_long():
    """The example suite as a DataFrame of one analysis per row, as from a spreadsheet."""
    f = pd.read_csv(os.path.join(EXAMPLES, "SUITE.PRN"), sep=r"\s+", float_precision="round_trip")
    return f.rename(columns={"Min": "Mineral"})[["Sample", "Mineral"] + OXIDES]


def suite_wide(long):
    parts = [long[long["Mineral"] == m].set_index("Sample")[OXIDES].add_suffix("_" + m)
             for m in ("Grt", "Cpx", "Phe")]
    return pd.concat(parts, axis=1).reset_index()
