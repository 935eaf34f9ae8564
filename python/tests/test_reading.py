"""The export read as microprobe software and pandas users give it: the sample column under
another name, spots chosen by a column, files joined, Windows text; each call agreeing with
varno96-batch on the same files, and per-mineral frames filtered from the export computed as
the export itself."""

import os
import warnings

import pandas as pd
import pytest

import varno96
from support import EXAMPLES, as_text, assert_agrees, assert_same, batch, needs_batch

EXPORT = os.path.join(EXAMPLES, "EPMA-EXPORT.csv")
MEAN = (dict(model=7, temperature=650, combine="mean"), ["-m", "7", "-t", "650", "--combine",
                                                          "mean"])


def export_lines():
    with open(EXPORT, encoding="utf-8-sig") as f:
        return f.read().splitlines()


def renamed(old, new):
    rows = export_lines()
    rows[0] = rows[0].replace(old, new, 1)
    return rows


def located():
    rows = export_lines()
    return [rows[0] + ",Location"] + [r + (",rim" if i % 2 else ", Core ")
                                      for i, r in enumerate(rows[1:])]


def by_mineral(mineral):
    rows = export_lines()
    return [rows[0]] + [r for r in rows[1:] if f",{mineral}," in r]


def windows():
    return [r.replace("EC1,", "Grün-1,").replace("A7,", "€-7,") for r in export_lines()]


# (files written, keyword arguments, the batch's options); the files are computed in order.
CASES = {
    "name": ({"T.csv": renamed("Sample", "Name")}, {}, []),
    "rock_id": ({"T.csv": renamed("Sample", " rock ID")}, {}, []),
    "phase": ({"T.csv": renamed("Mineral", "Phase")}, {}, []),
    "not_recognised": ({"T.csv": renamed("Sample", "Gestein")}, {}, []),
    "named": ({"T.csv": renamed("Sample", "Gestein")}, dict(on="gestein"),
              ["--sample-column", "gestein"]),
    "mineral_named": ({"T.csv": renamed("Mineral", "Kind")}, dict(mineral="KIND"),
                      ["--mineral-column", "KIND"]),
    "where": ({"L.csv": located()}, dict(where="grt:Location=rim"),
              ["--where", "grt:Location=rim"]),
    "where_several": ({"L.csv": located()}, dict(where=["Location=rim", "cpx:location=core"]),
                      ["--where", "Location=rim", "--where", "cpx:location=core"]),
    "joined": ({f"{m}.csv": by_mineral(m) for m in ("Grt", "Cpx", "Phe")}, dict(join=True),
               ["--join"]),
    "not_joined": ({f"{m}.csv": by_mineral(m) for m in ("Grt", "Cpx", "Phe")}, {}, []),
    "windows_1252": ({"W.csv": windows()}, {}, []),
}


@needs_batch
@pytest.mark.parametrize("case", CASES)
def test_read_as_the_batch_reads(case, tmp_path, monkeypatch):
    files, kwargs, args = CASES[case]
    for name, rows in files.items():
        encoding = "cp1252" if case == "windows_1252" else "utf-8"
        (tmp_path / name).write_bytes("\r\n".join(rows + [""]).encode(encoding))
    monkeypatch.chdir(tmp_path)
    names = list(files)
    assert_agrees(MEAN[0] | kwargs, MEAN[1] + args, names if len(names) > 1 else names[0],
                  names, str(tmp_path))


def export_frame():
    return pd.read_csv(EXPORT, encoding="utf-8-sig")


def _placeless(rows):
    """The rows with the clauses of their notes that name a cell's place left out: a frame per
    mineral and the one combined frame put the same cell in other rows."""
    def kept(note):
        return "; ".join(c for c in note.split("; ") if "below detection" not in c)
    return rows.assign(note=rows["note"].map(kept))


def test_frames_filtered_from_the_export_are_the_export():
    """The natural filter of a combined export, each frame keeping its Mineral and Sample
    columns, with the key column or the index; rows of another mineral left out and said."""
    a = export_frame()
    expected = varno96.compute(a, **MEAN[0])
    frames = {k: a[a.Mineral == m] for k, m in (("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe"))}
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        assert_same(_placeless(varno96.compute(**frames, on="Sample", **MEAN[0])),
                    _placeless(expected))
        by_index = {k: f.set_index("Sample", drop=False) for k, f in frames.items()}
        assert_same(_placeless(varno96.compute(**by_index, **MEAN[0])), _placeless(expected))
    # Paragonite among the mica, a garnet among the clinopyroxene: left out, and said.
    paragonite = frames["mica"].iloc[:3].assign(Mineral="Pg", K2O=1.0, Na2O=6.0)
    mixed = dict(frames, mica=pd.concat([frames["mica"], paragonite]),
                 cpx=pd.concat([frames["cpx"], frames["garnet"].iloc[:1]]))
    with pytest.warns(varno96.TableWarning) as said:
        rows = varno96.compute(**mixed, on="Sample", **MEAN[0])
    messages = [str(w.message) for w in said]
    assert 'mica frame: rows of other minerals than phengite left out: "Pg" (3)' in messages
    assert 'cpx frame: rows of other minerals than clinopyroxene left out: "Grt" (1)' in messages
    numbers = [c for c in expected.columns if c != "note"]
    assert_same(rows[numbers], expected[numbers])
    assert 'rows of other minerals left out: "Grt" (1), "Pg" (2)' in rows.loc["EC1", "note"]
    assert 'rows of other minerals left out: "Pg" (1)' in rows.loc["A7", "note"]
    assert "rows of other minerals" not in rows.loc["B12", "note"]


def test_a_frame_without_a_sample_column_says_so_once():
    a = export_frame().rename(columns={"Sample": "Gestein"})
    with pytest.warns(varno96.TableWarning) as said:
        rows = varno96.compute(a, **MEAN[0])
    alone = [str(w.message) for w in said if "no sample column" in str(w.message)]
    assert len(alone) == 1 and 'on="NAME" names the column' in alone[0], alone
    assert len(rows) == 1 and "\"Gestein\" may name the samples" in rows["note"].iloc[0]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        assert_same(varno96.compute(a, on="Gestein", **MEAN[0]),
                    varno96.compute(export_frame(), **MEAN[0]))


@needs_batch
def test_a_doubled_column_is_said_as_the_batch_says_it(tmp_path):
    """Of two Total columns of a DataFrame the first is read and the second ignored, as in its
    CSV, in the same words."""
    a = export_frame()
    doubled = pd.concat([a, a[["Total"]]], axis=1)
    doubled.to_csv(tmp_path / "T.csv", index=False)
    with pytest.warns(varno96.TableWarning) as said:
        rows = varno96.compute(doubled, name="T.csv", **MEAN[0])
    _, expected, messages = batch(MEAN[1] + ["T.csv"], str(tmp_path))
    assert [str(w.message) for w in said] == messages
    assert messages[0] == 'T.csv: columns "Cr2O3", 15 "Total" ignored'
    assert as_text(rows) == expected
