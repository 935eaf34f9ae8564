"""DataFrames to tables and results to DataFrames, for the compiled part."""

import os

import numpy as np
import pandas as pd


def column_name(name):
    """A column label as the header of a table: the levels of a MultiIndex column joined by
    "_", so that ("SiO2", "Grt") reads as SiO2_Grt."""
    if isinstance(name, tuple):
        return "_".join(str(level) for level in name if str(level) != "")
    return str(name)


def frame_input(name, frame):
    """A DataFrame as (name, column names, columns, rows): a named index becomes columns (the
    sample as the index, say); numbers as float64 with NaN where empty, anything else as
    objects, missing values as None."""
    if any(level is not None for level in frame.index.names):
        frame = frame.reset_index()
    names, columns = [], []
    # By position: two columns of one name go to the reader, which says which oxide they give.
    for i, label in enumerate(frame.columns):
        series = frame.iloc[:, i]
        dtype = series.dtype
        if pd.api.types.is_numeric_dtype(dtype) and not pd.api.types.is_bool_dtype(dtype):
            values = series.to_numpy(dtype=np.float64, na_value=np.nan)
        else:
            values = series.to_numpy(dtype=object, na_value=None)
        names.append(column_name(label))
        columns.append(np.ascontiguousarray(values))
    return (name, names, columns, len(frame))


def table_inputs(data, name):
    """The inputs of one call: a path, a table's text, bytes, a DataFrame, or a list of
    these, each with the name the results and messages give it."""
    items = list(data) if isinstance(data, (list, tuple)) else [data]
    if name is None:
        names = [None] * len(items)
    elif isinstance(name, str):
        if len(items) != 1:
            raise ValueError("name: one name per input, as a list")
        names = [name]
    else:
        names = list(name)
        if len(names) != len(items):
            raise ValueError(f"name: {len(names)} names for {len(items)} inputs")
    inputs = []
    for item, given in zip(items, names):
        if isinstance(item, pd.DataFrame):
            inputs.append(frame_input(given or "DataFrame", item))
        elif isinstance(item, bytes):
            inputs.append((given or "text", item))
        elif isinstance(item, str) and ("\n" in item or "\r" in item):
            inputs.append((given or "text", item.encode("utf-8")))
        elif isinstance(item, (str, os.PathLike)):
            path = os.fspath(item)
            with open(path, "rb") as file:
                inputs.append((given or path, file.read()))
        else:
            raise TypeError(
                "data: a path, a table's text, a pandas DataFrame or a list of these, "
                f"not {type(item).__name__}")
    return inputs


def result_frame(columns, values):
    """The compiled part's columns as a DataFrame: numbers as float64 (NaN where the table
    has no value), whole numbers as int64 (Int64 where a cell may be empty), text as str."""
    data = {}
    for i, ((name, kind), column) in enumerate(zip(columns, values)):
        if kind == "text":
            data[i] = pd.Series(column, dtype=object)
        elif kind == "integer":
            if name == "mc_left_out" or np.isnan(column).any():
                data[i] = pd.array(column, dtype="Int64")  # NaN becomes <NA>
            else:
                data[i] = column.astype(np.int64)
        else:
            data[i] = column
    # By position, so that a column is never lost to another of the same name.
    frame = pd.DataFrame(data, columns=range(len(columns)))
    frame.columns = [name for name, _ in columns]
    return frame
