"""Where the Monte-Carlo runs lie: the means and percentiles of varno96-batch's table against
its own pairs file, as numpy computes them (numpy.percentile's default, "linear"), for a grid of
samples and options."""

import os
import subprocess

import numpy as np
import pandas as pd
import pytest

import varno96
from support import BATCH, EXAMPLES, decimals, needs_batch

KEYS = list(varno96.thermometers.index)
GRID = [  # the batch's options beyond -m 7 -t 650 --monte-carlo --thermometers all
    ["SUITE.PRN", "--seed", "-5"],
    ["SUITE.PRN", "--seed", "-5", "--ferric-in-runs", "once"],
    ["SUITE.PRN", "--seed", "-42", "--powell", "-u", "2"],
    ["SUITE.PRN", "--seed", "-9", "--at", "600", "--ferric-in-runs", "once"],
    ["EPMA-EXPORT.csv", "--seed", "-3", "--combine", "each", "--powell"],
]


def within(got, want, column, pairs_decimals):
    """Equal up to the rounding of the two files: half a unit of the table's last decimal and
    half of the pairs file's."""
    return abs(got - want) <= 0.5 * 10.0 ** -decimals(column) + 0.5 * 10.0 ** -pairs_decimals + 1e-9


@needs_batch
@pytest.mark.parametrize("args", GRID, ids=lambda a: " ".join(a))
def test_the_tables_centres_are_those_of_its_pairs_file(args, tmp_path):
    pt = tmp_path / "pt.csv"
    run = subprocess.run([BATCH, "-m", "7", "-t", "650", "--monte-carlo", "--thermometers", "all",
                          "--pt", str(pt), "-o", str(tmp_path / "rows.csv"), *args],
                         cwd=EXAMPLES, capture_output=True)
    assert run.returncode in (0, 1), run.stderr
    rows, pairs = pd.read_csv(tmp_path / "rows.csv"), pd.read_csv(pt)
    labels = [c for c in ("grt_label", "cpx_label", "phe_label") if c in rows]
    runs = pairs[pairs["pass"] == 2].groupby(["file", "sample", *labels], sort=False)
    checked = 0
    for _, row in rows[rows["P_kbar"].notna()].iterrows():
        of = runs.get_group(tuple(row[["file", "sample", *labels]]))
        series = [("P2_{}_kbar", of["P_kbar"], 2)]
        if "--powell" in args:
            series.append(("T2_{}_C", of["T_C"], 0))
        for key in KEYS:
            t, p = of[f"T_{key}_C"].dropna(), of[f"P_{key}_kbar"].dropna()
            assert row[f"n_{key}"] == len(t) == len(p), key
            if np.isnan(row[f"T_{key}_C"]):  # no spread beside no value
                assert all(np.isnan(row[f"{c}_{key}_{s}_{u}"]) for c, u in (("T", "C"), ("P", "kbar"))
                           for s in ("mean", "sd", "p16", "p50", "p84")), key
                continue
            series += [(f"T_{key}_{{}}_C", t, 1), (f"P_{key}_{{}}_kbar", p, 2)]
        for name, values, digits in series:
            assert len(values) > 1, name
            want = dict(zip(("p16", "p50", "p84"), np.percentile(values, [16, 50, 84])))
            if "2_" not in name:  # pass 2's mean and s.d. are the columns P2_mean, T2_sd ...
                want |= {"mean": values.mean(), "sd": values.std(ddof=1)}
            for stat, value in want.items():
                column = name.format(stat)
                assert within(row[column], value, column, digits), (row["sample"], column,
                                                                     row[column], value)
                checked += 1
        assert within(row["P2_mean_kbar"], of["P_kbar"].mean(), "P2_mean_kbar", 2)
    assert checked > 300
