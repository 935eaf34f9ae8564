"""DataFrames to the compiled part's inputs and its columns to DataFrames."""

import collections.abc
import os

import numpy as np
import pandas as pd

from ._varno96 import Input


def column_name(name):
    """A column label as the header of a table: the levels of a MultiIndex column joined by
    "_", so that ("SiO2", "Grt") reads as SiO2_Grt."""
    if isinstance(name, tuple):
        return "_".join(str(level) for level in name if str(level) != "")
    return str(name)


def _row_temperatures(frame, temperature):
    """The temperature of each row by its index label, when the mapping has every label."""
    if temperature is None:
        return None
    try:
        return [float(temperature[label]) for label in frame.index]
    except (KeyError, IndexError, TypeError):
        return None


def text_input(name, text):
    """A table's text (bytes) as the compiled part takes it."""
    table = Input()
    table.name = name
    table.text = text
    return table


def frame_input(name, frame, temperature=None, parts=None):
    """A DataFrame as the compiled part takes it: its columns with their names, its row names
    and row temperatures. Columns are read by their names: a named index becomes columns (the
    sample as the index, say); numbers as float64 with NaN where empty, anything else as
    objects."""
    table = Input()
    table.name = name
    index = frame.index
    if isinstance(index, pd.RangeIndex):
        table.row_range = (index.start, index.step)
    else:
        table.row_names = [str(label) for label in index]
    table.row_temperatures = _row_temperatures(frame, temperature)
    if any(level is not None for level in frame.index.names):
        frame = frame.reset_index()
    names, columns = [], []
    for i, label in enumerate(frame.columns):
        series = frame.iloc[:, i]
        dtype = series.dtype
        if dtype == np.float64:
            values = series.to_numpy()  # the frame's own numbers, NaN where empty
        elif pd.api.types.is_numeric_dtype(dtype) and not pd.api.types.is_bool_dtype(dtype):
            values = series.to_numpy(dtype=np.float64, na_value=np.nan)
        else:
            values = series.to_numpy(dtype=object, na_value=None)
        names.append(column_name(label))
        columns.append(np.ascontiguousarray(values))
    table.column_names = names
    table.columns = columns
    table.rows = len(frame)
    if parts:
        table.parts = parts
    return table


MINERALS = (("garnet", "Grt"), ("cpx", "Cpx"), ("mica", "Phe"))
# A frame of rutile analyses may come with them: only its Zr is read.
RUTILE = ("rutile", "Rt")


def _plain(name):
    return "".join(str(name).split()).casefold()


def _matching(key_name, frame):
    """The column (or named index level) of `frame` that `key_name` names, as the oxide
    headers are matched: blanks and case ignored; None for none. Its own name first."""
    for names in (frame.columns, [n for n in frame.index.names if n is not None]):
        if key_name in names:
            return key_name
        alike = [n for n in names if _plain(column_name(n)) == _plain(key_name)]
        if len(alike) == 1:
            return alike[0]
        if len(alike) > 1:
            raise ValueError(f"{key_name!r} matches several columns: {alike}")
    return None


def per_mineral_inputs(frames, on, name, kinds=MINERALS + (RUTILE,)):
    """One frame per mineral (garnet, cpx, mica; rutile if given) as inputs read as one table:
    each of its mineral alone (rows naming another in a mineral column left out, and said), the
    key column `on` (one name, or a dict of one per mineral; by default each frame's index)
    naming the samples, the other columns as they are; a message names the frame and its row."""
    inputs = []
    for keyword, mineral in kinds:
        frame = frames.get(keyword)
        if frame is None and keyword == RUTILE[0]:
            continue
        if frame is None:
            raise TypeError(f"{keyword}: a DataFrame of {keyword} analyses is needed with "
                            "garnet=, cpx= and mica=")
        if not isinstance(frame, pd.DataFrame):
            raise TypeError(f"{keyword} must be a pandas DataFrame, not {type(frame).__name__}")
        labels = [repr(label) for label in frame.index]
        key_name = on.get(keyword) if isinstance(on, dict) else on
        if key_name is not None and key_name not in frame.columns:
            found = _matching(key_name, frame)
            if found is None:
                raise ValueError(f"{keyword}: no column {key_name!r} to match the samples on "
                                 f"(columns: {[column_name(c) for c in frame.columns]})")
            key_name = found
        if key_name is None or key_name not in frame.columns:
            # The index names the samples: a column of a name no other column has.
            key_name = key_name if key_name is not None else frame.index.name
            taken = {column_name(c) for c in frame.columns}
            while key_name is None or column_name(key_name) in taken:
                key_name = "index" if key_name is None else f"{column_name(key_name)}_"
            frame = frame.rename_axis(key_name).reset_index()
        if isinstance(frame[key_name], pd.DataFrame):
            raise ValueError(f"{keyword}: several columns {key_name!r}")
        table = frame_input(name or "DataFrame", frame.reset_index(drop=True),
                            parts=[(keyword, 0, labels)])
        table.mineral = mineral
        table.said_as = f"{keyword} frame"
        table.sample_column = column_name(key_name)
        inputs.append(table)
    return inputs


def table_inputs(data, name, temperature=None, parts=None):
    """The inputs of one call: a path, a table's text, bytes, a DataFrame, or a list of
    these, each with the name the results and messages give it."""
    items = list(data) if isinstance(data, (list, tuple)) else [data]
    if not (name is None or isinstance(name, str) or
            (isinstance(name, (list, tuple)) and all(isinstance(n, str) for n in name))):
        raise TypeError(f"name must be a str or a list of str, got {type(name).__name__} {name!r}")
    if name is None:
        names = [None] * len(items)
    elif isinstance(name, str):
        if len(items) != 1:
            raise ValueError("name must be one name per input, as a list")
        names = [name]
    else:
        names = list(name)
        if len(names) != len(items):
            raise ValueError(f"name must be one name per input: {len(names)} names for "
                             f"{len(items)} inputs")
    inputs = []
    for item, given in zip(items, names):
        if isinstance(item, pd.DataFrame):
            inputs.append(frame_input(given or "DataFrame", item, temperature, parts))
        elif isinstance(item, bytes):
            inputs.append(text_input(given or "text", item))
        elif isinstance(item, str) and ("\n" in item or "\r" in item):
            inputs.append(text_input(given or "text", item.encode("utf-8")))
        elif isinstance(item, (str, os.PathLike)):
            path = os.fspath(item)
            with open(path, "rb") as file:
                inputs.append(text_input(given or path, file.read()))
        else:
            raise TypeError(
                "data must be a path, a table's text, a pandas DataFrame or a list of these, "
                f"not {type(item).__name__}")
    return items, inputs


def result_index(items, result, values, columns):
    """The index of the rows: a wide frame's rows keep its index; a long frame's rows are
    indexed by their sample (and the analyses combined, with combine="each": the columns of
    each mineral's label). Files, texts and lists mixing the layouts keep the default index."""
    if not items or not all(isinstance(i, pd.DataFrame) for i in items):
        return None
    wide = result["input_wide"]
    if all(wide):
        pieces = [frame.index for frame in items]
        index = pieces[0].append(pieces[1:]) if len(pieces) > 1 else pieces[0]
        return index if len(index) == sum(result["input_rows"]) else None
    if any(wide):
        return None
    roles = [c["role"] for c in columns]
    arrays = [values[roles.index("sample")]]
    arrays += [values[i] for i, role in enumerate(roles) if role == "label"]
    if len(arrays) == 1:
        return pd.Index(arrays[0], dtype=object)
    return pd.MultiIndex.from_arrays(arrays)


def result_frame(columns, values, block, index=None):
    """The compiled part's columns (dicts of the column table) as a DataFrame: numbers as
    float64 (NaN where the table has no value), whole numbers as int64 (Int64 where a cell may
    be empty), text as str. The numbers come as the first rows of `block`, which the frame
    keeps without a copy."""
    numbers = [i for i, c in enumerate(columns) if c["kind"] == "number"]
    frame = pd.DataFrame(block[:len(numbers)].T, index=index, columns=numbers, copy=False)
    # The other columns in their places, by position, so that a column is never lost to
    # another of the same name.
    for i, (c, column) in enumerate(zip(columns, values)):
        if c["kind"] == "number":
            continue
        if c["kind"] == "text":
            value = pd.Series(column, dtype=object, index=index)
        elif c["nullable"] or np.isnan(column).any():
            value = pd.Series(pd.array(column, dtype="Int64"), index=index)  # NaN: <NA>
        else:
            value = pd.Series(column.astype(np.int64), index=index)
        frame.insert(i, i, value)
    frame.columns = [c["name"] for c in columns]
    return frame


def is_mapping(value):
    return isinstance(value, (collections.abc.Mapping, pd.Series))
