#!/usr/bin/env python3
"""Speed of varno96.compute on a DataFrame: 10,000 samples without Monte-Carlo, in the wide
layout (one sample per row) and the long one (one analysis per row), and with Monte-Carlo
against varno96-batch on the same table.

    taskset -c 0 /usr/bin/python3 bench/python_compute.py [BUILD-FOLDER]

The build folder (default: build) holds python/ and varno96-batch. Figures are the best of
several runs, in seconds of processor time (of this process, or of the program run), which a
machine shared with other work disturbs less than the time on the clock; the two-thread
figures are times on the clock.
"""

import os
import resource
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build"))
sys.path.insert(0, os.path.join(BUILD, "python"))

import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402
import varno96  # noqa: E402

OXIDES = ["SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O"]


def example_analyses():
    """The six eclogites of the example with a result, as (sample, mineral, oxides)."""
    rows = []
    with open(os.path.join(HERE, "..", "examples", "SUITE.PRN")) as f:
        for line in f.read().splitlines()[1:]:
            fields = line.split()
            if len(fields) >= 16 and fields[1] != "RT2":
                rows.append((fields[1], fields[2], [float(x) for x in fields[6:16]]))
    return rows


def frames(n):
    """n samples, the example's eclogites in turn, in the long and the wide layout."""
    base = example_analyses()
    per_sample = 3
    kinds = len(base) // per_sample
    long_rows = []
    for i in range(n):
        for sample, mineral, wt in base[(i % kinds) * per_sample:(i % kinds + 1) * per_sample]:
            long_rows.append([f"S{i}", mineral] + wt)
    long = pd.DataFrame(long_rows, columns=["Sample", "Mineral"] + OXIDES)
    parts = []
    for mineral in ("Grt", "Cpx", "Phe"):
        part = long[long["Mineral"] == mineral].set_index("Sample")[OXIDES]
        parts.append(part.add_suffix("_" + mineral))
    wide = pd.concat(parts, axis=1).reset_index()
    return long, wide


def best(what, repeat=5, clock=time.process_time):
    times = []
    for _ in range(repeat):
        start = clock()
        what()
        times.append(clock() - start)
    return min(times)


def children_time():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def main():
    n = 10_000
    long, wide = frames(n)
    print(f"varno96 {varno96.__version__}, {n} samples, CPUs allowed: {len(os.sched_getaffinity(0))}")
    for label, frame in (("wide", wide), ("long", long)):
        # The first call also pays for the memory the process takes from the system.
        first = best(lambda: varno96.compute(frame, model=7, temperature=650, jobs=1), repeat=1)
        t = best(lambda: varno96.compute(frame, model=7, temperature=650, jobs=1), repeat=7)
        print(f"compute, {label} DataFrame, no Monte-Carlo: {t:.4f} s ({t / n * 1e6:.2f} us per "
              f"sample); the first call {first:.4f} s")

    # Monte-Carlo: the module against the program on one table, one thread each.
    m = 500
    _, mc_frame = frames(m)
    batch = os.path.join(BUILD, "varno96-batch")
    options = dict(model=7, temperature=650, powell=True, monte_carlo=True, seed=-42)
    t_module = best(lambda: varno96.compute(mc_frame, **options, jobs=1), repeat=3)
    print(f"compute, Monte-Carlo, {m} samples, 1 thread: {t_module:.3f} s ({t_module / m * 1e6:.0f} us per sample)")
    if os.path.exists(batch):
        with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
            mc_frame.to_csv(f, index=False)
        try:
            command = [batch, "-m", "7", "-t", "650", "--powell", "--monte-carlo", "--seed", "-42",
                       "-j", "1", f.name]
            t_batch = best(lambda: subprocess.run(command, stdout=subprocess.DEVNULL, check=True),
                           repeat=3, clock=children_time)
        finally:
            os.unlink(f.name)
        print(f"varno96-batch -j 1, the same table as CSV: {t_batch:.3f} s ({t_batch / m * 1e6:.0f} us per sample); "
              f"module / program: {t_module / t_batch:.2f}")
    if len(os.sched_getaffinity(0)) > 1:
        from concurrent.futures import ThreadPoolExecutor
        halves = [mc_frame.iloc[: m // 2], mc_frame.iloc[m // 2:]]

        def pool():
            with ThreadPoolExecutor(2) as ex:
                list(ex.map(lambda part: varno96.compute(part, **options, jobs=1), halves))
        t_one = best(lambda: varno96.compute(mc_frame, **options, jobs=1), repeat=3,
                     clock=time.perf_counter)
        t_pool = best(pool, repeat=3, clock=time.perf_counter)
        t_jobs = best(lambda: varno96.compute(mc_frame, **options, jobs=2), repeat=3,
                      clock=time.perf_counter)
        print(f"on the clock: one thread {t_one:.3f} s; a pool of two compute calls {t_pool:.3f} s "
              f"({t_one / t_pool:.2f}x); jobs=2 {t_jobs:.3f} s ({t_one / t_jobs:.2f}x)")


if __name__ == "__main__":
    main()
