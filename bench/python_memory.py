#!/usr/bin/env python3
"""Peak memory of varno96.compute on a large wide DataFrame (one sample per row) against
varno96-batch on the same table as a CSV, each measured with /usr/bin/time -v (maximum
resident set size) in a process of its own.

    /usr/bin/python3 bench/python_memory.py [BUILD-FOLDER] [ROWS]

The build folder (default: build) holds python/ and varno96-batch; ROWS defaults to 1,000,000.
The Python figure includes the interpreter, pandas and the frame itself.
"""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build"))
ROWS = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000

# Run in the child: the frame made there, so that its memory counts as the user's would.
MAKE_FRAME = r"""
import sys
import numpy as np, pandas as pd
OXIDES = ["SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O"]
base = {}
with open(sys.argv[1]) as f:
    for line in f.read().splitlines()[1:]:
        fields = line.split()
        if len(fields) >= 16 and fields[1] != "RT2":
            base.setdefault(fields[1], {})[fields[2]] = [float(x) for x in fields[6:16]]
samples = list(base)
n = int(sys.argv[2])
pick = np.arange(n) % len(samples)
data = {"Sample": np.array([f"S{i}" for i in range(n)], dtype=object)}
for mineral in ("Grt", "Cpx", "Phe"):
    table = np.array([base[s][mineral] for s in samples])
    for j, oxide in enumerate(OXIDES):
        data[f"{oxide}_{mineral}"] = table[pick, j]
frame = pd.DataFrame(data)
"""

CHILD = MAKE_FRAME + r"""
import resource
if sys.argv[3] == "csv":
    frame.to_csv(sys.argv[4], index=False)
else:
    print(f"frame: {frame.memory_usage(deep=True).sum() / 1e6:.0f} MB, process before compute: "
          f"{resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1e3:.0f} MB", file=sys.stderr)
    import varno96
    rows = varno96.compute(frame, model=7, temperature=650)
    assert len(rows) == n
"""


def peak(command, env=None):
    run = subprocess.run(["/usr/bin/time", "-v", *command], capture_output=True, text=True,
                         env=env)
    if run.returncode != 0:
        sys.exit(run.stderr)
    kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr).group(1))
    seconds = re.search(r"Elapsed \(wall clock\) time.*: (\S+)", run.stderr).group(1)
    return kb / 1e3, seconds, run.stderr


def main():
    suite = os.path.join(HERE, "..", "examples", "SUITE.PRN")
    env = dict(os.environ, PYTHONPATH=os.path.join(BUILD, "python"))
    with tempfile.TemporaryDirectory() as tmp:
        csv = os.path.join(tmp, "wide.csv")
        subprocess.run([sys.executable, "-c", CHILD, suite, str(ROWS), "csv", csv], check=True)
        mb, t, _ = peak([os.path.join(BUILD, "varno96-batch"), "-m", "7", "-t", "650", csv,
                         "-o", os.path.join(tmp, "out.csv")])
        print(f"varno96-batch, {ROWS} rows as CSV ({os.path.getsize(csv) / 1e6:.0f} MB): "
              f"peak {mb:.0f} MB, {t}")
    mb, t, err = peak([sys.executable, "-c", CHILD, suite, str(ROWS), "frame"], env=env)
    before = [line for line in err.splitlines() if line.startswith("frame:")]
    print(f"varno96.compute, {ROWS}-row wide DataFrame: peak {mb:.0f} MB, {t} ({before[0]})")


if __name__ == "__main__":
    main()
