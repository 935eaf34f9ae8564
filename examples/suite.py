#!/usr/bin/env python3
"""The example suite of eclogites in a notebook's steps: read, compute with Monte-Carlo,
look at the results, draw them.

    PYTHONPATH=build/python python3 examples/suite.py      # from the source folder
    python3 /usr/share/doc/varno96/examples/suite.py      # once installed

Each step below can be a cell of a Jupyter notebook. The diagram goes to suite-PT.png in the
current folder when matplotlib is installed (apt-get install python3-matplotlib).
"""

import os

import pandas as pd

import varno96

here = os.path.dirname(os.path.abspath(__file__))

# The analyses: any table varno96-batch reads, or a DataFrame of one (pd.read_excel of a
# microprobe export, say). Here the data file of the suite, as a DataFrame of the oxides.
analyses = pd.read_csv(os.path.join(here, "SUITE.PRN"), sep=r"\s+")
print(analyses.head(3).to_string(index=False), "\n")

# Pressures with garnet model 7 (Sengupta et al. 1989), the two-site clinopyroxene model and
# the Powell (1985) temperature, with both Monte-Carlo passes; a fixed seed repeats the runs.
options = dict(model=7, temperature=650, powell=True, monte_carlo=True, seed=-42)
rows = varno96.compute(analyses, **options)
print(rows[["sample", "T_C", "P_kbar", "P2_mean_kbar", "P2_sd_kbar", "note"]]
      .to_string(index=False, float_format="{:.2f}".format), "\n")

# A sample without a result has a row that says why.
for sample, note in rows.loc[rows["P_kbar"].isna(), ["sample", "note"]].itertuples(index=False):
    print(f"{sample}: {note}")

# What to cite for the garnet model.
print("\nGarnet model:", varno96.models.loc[7, "reference"])

# Every Monte-Carlo run of both passes (pass 2: analyses and mixing parameters perturbed).
clouds = varno96.pairs(analyses, **options)
print(clouds.groupby("pass").size().to_string(), "\n")

try:
    import matplotlib
except ImportError:
    print("\nmatplotlib is not installed: no diagram")
else:
    if not os.environ.get("DISPLAY") and not os.environ.get("MPLBACKEND"):
        matplotlib.use("Agg")  # no screen: draw to the file only
    import matplotlib.pyplot as plt

    # The figure varno96-batch --plot draws, one journal column wide: each sample's 1σ ellipse
    # of pass 2 and its name, the reference reactions; layout="panels" gives one per sample.
    ax = varno96.plot(rows, clouds, width=85)
    ax.figure.savefig("suite-PT.png", dpi=300)
    print("\nP-T diagram: suite-PT.png")
    if matplotlib.get_backend().lower() != "agg":
        plt.show()
