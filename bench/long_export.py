#!/usr/bin/env python3
"""A long microprobe export for timing varno96-batch: one analysis per row, made by repeating the
rows of examples/EPMA-EXPORT.csv under new sample names, and the time Python's csv module takes
merely to parse it to floats, the figure the batch is measured against.

    python3 bench/long_export.py make OUT.csv [LINES] [--scattered]
    python3 bench/long_export.py parse OUT.csv

`make` writes LINES data lines (default 200,000) after the header: the first garnet,
clinopyroxene and phengite row of each example sample, its name numbered by repetition (EC1-1,
A7-1, ..., EC1-2, ...), so that each sample is computed without --combine. With --scattered the
garnets of a block of samples come first, then their clinopyroxenes, then their phengites, so
that rows of one sample lie far apart. `parse` reads OUT.csv with csv.reader and converts every
oxide cell to a float (an empty or below-detection cell to 0), and prints the seconds taken.
Measure both with /usr/bin/time -v: peak memory and CPU seconds.
"""

import csv
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE = os.path.join(HERE, "..", "examples", "EPMA-EXPORT.csv")


def example_rows():
    with open(EXAMPLE, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f))
    header, first = rows[0], {}
    for row in rows[1:]:
        first.setdefault((row[0], row[1]), row)
    samples = list(dict.fromkeys(row[0] for row in rows[1:]))
    return header, [[first[(s, m)] for m in ("Grt", "Cpx", "Phe")] for s in samples]


def make(out, lines, scattered):
    header, samples = example_rows()
    block = 1000  # samples whose rows are scattered among each other
    with open(out, "w", newline="") as f:
        w = csv.writer(f, lineterminator="\r\n")
        w.writerow(header)
        written, n = 0, 0
        while written < lines:
            group = []
            for _ in range(block):
                s = samples[n % len(samples)]
                name = f"{s[0][0]}-{n // len(samples) + 1}"
                group.append([[name] + row[1:] for row in s])
                n += 1
            order = ([g[k] for k in range(3) for g in group] if scattered
                     else [row for g in group for row in g])
            for row in order[: lines - written]:
                w.writerow(row)
            written += min(len(order), lines - written)


def parse(path):
    start = time.perf_counter()
    total, n = 0.0, 0
    with open(path, newline="") as f:
        rows = csv.reader(f)
        next(rows)
        for row in rows:
            for cell in row[3:]:
                try:
                    total += float(cell)
                except ValueError:
                    pass
            n += 1
    print(f"{time.perf_counter() - start:.3f} s, {n} rows")


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "make":
        args = [a for a in sys.argv[3:] if a != "--scattered"]
        make(sys.argv[2], int(args[0]) if args else 200_000, "--scattered" in sys.argv)
    elif len(sys.argv) == 3 and sys.argv[1] == "parse":
        parse(sys.argv[2])
    else:
        sys.exit(__doc__)
