"""Eclogite geobarometry from garnet, clinopyroxene and phengite analyses.

The calculation of ``varno96-batch`` for pandas: a table of analyses in (a file, its text or
a DataFrame), a DataFrame of results out, with the batch's columns and, formatted with the
batch's decimals, the batch's digits.

>>> import varno96
>>> rows = varno96.compute("SUITE.PRN", model=7, temperature=650)   # doctest: +SKIP
>>> rows[["sample", "T_C", "P_kbar"]]                               # doctest: +SKIP
"""

import inspect
import os
import warnings

import numpy as np
import pandas as pd

from . import _frames, _options, _varno96
from ._plot import plot
from ._varno96 import __version__, model_titles as _model_titles
from ._varno96 import model_references as _model_references
from ._varno96 import compute as _compute

__all__ = ["compute", "pairs", "plot", "cite", "models", "columns", "thermometers",
           "TableWarning", "__version__"]


class TableWarning(UserWarning):
    """What ``varno96-batch`` reports on standard error about a table: columns ignored,
    oxides missing (read as 0), rows of other minerals, a table without analyses."""


# The garnet mixing models: the menu number (the ``model`` argument) as the index, the title as
# the menu shows it, and the publication to cite (empty for ideal mixing). A result takes them
# with rows.join(varno96.models, on="model").
models = pd.DataFrame(
    {"title": _model_titles(), "reference": _model_references()},
    index=pd.RangeIndex(1, len(_model_titles()) + 1, name="model"),
)

# Every column a result can have, by its name: its kind, unit, decimals (of a number), what it
# means, the option that brings it, what it is for (its role) and, of a thermometer's columns,
# the calibration's key.
columns = pd.DataFrame(_varno96.columns()).set_index("name")[
    ["unit", "meaning", "kind", "decimals", "option", "template", "role", "key"]].astype(
        {"decimals": "Int64"})


# The thermometers of the ``thermometers`` argument, indexed by key (the Fe-Mg exchange ones,
# then those of Zr in rutile): the minerals, the publication, the formula (T in kelvin, P in kbar unless said,
# X_Ca = Ca/(Ca+Mg+Fe2++Mn), X_Mn alike and X_Mg = Mg/(Mg+Fe2+) of the garnet, K_D as the
# manual page of varno96-batch defines it), the conditions of the calibration's experiments
# ("range") and the error its authors state ("error"), in the paper's words with its page, and
# "as summarised in a peer's notes, not confirmed against the paper" where that is all there
# is. An intersection outside the range keeps its value and the note says so; the stated error
# is not in the Monte-Carlo spreads. Each adds the columns T_<key>_C and P_<key>_kbar.
thermometers = pd.DataFrame(_varno96.thermometer_table()).set_index("key")

# Rows of a wide frame read and computed at a time: the memory of a call is the frame's, its
# result's and a part's.
_PART = 65536

# The batch's options, with their kinds and bounds, as the compiled part describes them.
_OPTIONS = _options.Options(_varno96.options())


def _processors():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:  # not on Linux
        return os.cpu_count() or 1


def _by_sample(keyword, mapping, checked):
    """A value per sample (a mapping or a Series) checked value by value with
    `checked(value, label)`, as a dict by sample name."""
    if isinstance(mapping, pd.Series) and not mapping.index.is_unique:
        duplicated = mapping.index[mapping.index.duplicated()].unique().tolist()
        raise ValueError(f"{keyword} must have one value per sample, got several for "
                         f"{duplicated}")
    out = {key: checked(value, f"{keyword}[{key!r}]") for key, value in mapping.items()}
    if not out:
        raise ValueError(f"{keyword} must have a value per sample, got an empty mapping")
    return out


def _temperatures(temperature):
    """A per-sample temperature checked value by value, as a dict by sample name; None for
    one temperature."""
    if not _frames.is_mapping(temperature):
        return None
    return _by_sample("temperature", temperature,
                      lambda value, label: _OPTIONS.value("temperature", value, label=label))


def _zr_ppm(zr_ppm):
    """The Zr of the rutile: one value in ppm for every sample, or a dict of one per sample
    name; None for the table's rutile rows."""
    def checked(value, label):
        if isinstance(value, (bool, np.bool_)) or not isinstance(value, (int, float, np.number)):
            raise TypeError(f"{label} must be a number of ppm, got {value!r}")
        if not np.isfinite(value) or value <= 0:
            raise ValueError(f"{label} must be a number of ppm above 0, got {value!r}")
        return float(value)
    if zr_ppm is None:
        return None
    if not _frames.is_mapping(zr_ppm):
        return checked(zr_ppm, "zr_ppm")
    return {str(k): v for k, v in _by_sample("zr_ppm", zr_ppm, checked).items()}


def _run(data, minerals, name, with_pairs, options, zr_ppm=None):
    rutile = minerals.get("rutile")
    given = {k: v for k, v in minerals.items() if v is not None and k != "rutile"}
    on = options["on"]
    zr = _zr_ppm(zr_ppm)
    per_sample = _temperatures(options["temperature"])
    # A key per mineral (a dict) is the frames' own; the sample column is set on each.
    checked = _OPTIONS.checked({k: (0.0 if k == "temperature" and per_sample is not None
                                    else None if k == "on" and given else v)
                                for k, v in options.items()})
    if checked["jobs"] is None:
        checked["jobs"] = _processors()
    if given:
        if data is not None:
            raise TypeError("give either data or garnet=, cpx= and mica=, not both")
        if not (on is None or isinstance(on, (str, dict))):
            raise TypeError(f"on must be a str or a dict of them by mineral, got {on!r}")
        items = [minerals[k] for k, _ in _frames.MINERALS]
        inputs = _frames.per_mineral_inputs(minerals, on, name)
        checked["join"] = True  # the frames are one table
    elif data is None:
        raise TypeError("data, or garnet=, cpx= and mica=, must be given"
                        + (" with rutile=" if rutile is not None else ""))
    else:
        items, inputs = _frames.table_inputs(data, name, per_sample)
        if rutile is not None:
            # The rutile frame is read as one table with the data, joined by sample.
            inputs += _frames.per_mineral_inputs({"rutile": rutile}, on, name, (_frames.RUTILE,))
            checked["join"] = True
    temperatures = None if per_sample is None else {str(k): v for k, v in per_sample.items()}
    result = _compute(inputs, checked, temperatures, pairs=with_pairs, part=_PART, zr=zr)
    for message in result["messages"]:
        warnings.warn(message, TableWarning, stacklevel=4)
    if per_sample is not None:
        unused = _unused_keys(per_sample, items, result)
        if unused:
            warnings.warn(f"temperature has values for keys that name no sample: {unused}",
                          TableWarning, stacklevel=4)
    if isinstance(zr, dict):
        unused = _unused_keys(zr, items, result)
        if unused:
            warnings.warn(f"zr_ppm has values for keys that name no sample: {unused}",
                          TableWarning, stacklevel=4)
    # As the command line ends: how many rows have no result, then the fix for several analyses.
    if result["summary"]:
        warnings.warn(result["summary"], TableWarning, stacklevel=4)
    if result["hint"]:
        warnings.warn(result["hint"], TableWarning, stacklevel=4)
    # What was run, for the record: each option as given or as defaulted.
    given = dict(options, jobs=checked["jobs"])
    if per_sample is not None:
        given["temperature"] = dict(per_sample)
    if zr is not None:
        given["zr_ppm"] = zr
    result["attrs"] = {"release": __version__, "options": given, "seed": result["seed"],
                       "uncertainty": checked["uncertainty"]}
    return items, result


def _unused_keys(per_sample, items, result):
    """The keys of a per-sample temperature that match no sample's name and no row of a
    frame of one sample per row."""
    roles = [c["role"] for c in result["columns"]]
    used = set(result["values"][roles.index("sample")]) if "sample" in roles else set()
    for item, wide in zip(items, result["input_wide"]):
        if wide and isinstance(item, pd.DataFrame):
            used.update(str(label) for label in item.index)
    return [key for key in per_sample if str(key) not in used]


# The arguments besides the options: the data, and its name or its frames per mineral.
_DATA = [inspect.Parameter("data", inspect.Parameter.POSITIONAL_OR_KEYWORD, default=None)]
_INPUTS = [inspect.Parameter(k, inspect.Parameter.KEYWORD_ONLY, default=None)
           for k in ("name", "garnet", "cpx", "mica", "rutile", "zr_ppm")]


@_OPTIONS.keywords(before=_DATA, after=_INPUTS)
def compute(options, data=None, name=None, garnet=None, cpx=None, mica=None, rutile=None,
            zr_ppm=None):
    """Compute every sample of a table of analyses, as ``varno96-batch`` does.

    Parameters
    ----------
    data : str, os.PathLike, bytes, pandas.DataFrame or list of these, optional
        A path to any table ``varno96-batch`` reads; the text of one (a str holding a line
        end, or bytes, UTF-16 included); or a DataFrame in either layout of a table: one
        analysis per row with a sample and a mineral column (``Sample``, ``Mineral``, ...), or
        one sample per row with suffixed oxide columns (``SiO2_Grt``, ``SiO2_Cpx``,
        ``SiO2_Phe``, ...). A DataFrame is read by its column names, with the names and
        synonyms of the tables; a named index is read as columns; an empty or NaN cell is
        below detection (0). A list is computed as one batch, in order.
    model : int
        The garnet mixing model, 1 to 7 (see ``varno96.models``).
    temperature : float, dict or pandas.Series
        The trial temperature, degrees Celsius; or one per sample, by the sample's name (or,
        for a frame of one sample per row, by its index label). Each sample is computed as a
        call with its temperature alone would compute it.
    powell : bool, default False
        Use the Powell (1985) garnet-clinopyroxene temperature, in the Monte-Carlo runs too.
    at : float, optional
        Give the table at this temperature (degrees Celsius) instead; not with ``powell``.
    one_site : bool, default False
        The one-site clinopyroxene model instead of the two-site (disordered) one.
    uncertainty : float, default 1.0
        Analytical uncertainty, per cent of a 100 wt% total.
    monte_carlo : bool, default False
        Both Monte-Carlo passes of 200 runs.
    seed : int, optional
        The Monte-Carlo seed, -99 to -1; drawn from the clock when not given (the result's
        ``mc_seed`` says which).
    combine : {None, "mean", "each"}
        Several analyses of a mineral in a sample: no result (None), their oxide-by-oxide
        mean (columns ``n_grt``, ``n_cpx``, ``n_phe``), or one row per combination (columns
        ``grt_label``, ``cpx_label``, ``phe_label`` name the analyses).
    formulae : bool, default False
        Add each mineral's recalculated analysis and cations per formula unit.
    thermometers : str or list of str, optional
        Where the barometer meets each of these Fe-Mg exchange thermometers: keys such as
        ``["EG79", "K88"]`` or ``"EG79,K88"``, or ``"all"`` (the keys, with their minerals,
        references, formulae and ranges: ``varno96.thermometers``); adds their columns (with
        ``monte_carlo`` also ``n_<key>``, the runs of pass 2 with that intersection). The
        Zr-in-rutile keys ``"TPE07"``, ``"WWT06"``, ``"FW07"``, ``"K20"`` take the Zr of the
        sample's rutile rows (mineral ``"Rt"``, a column ``"Zr"`` in ppm or ``"ZrO2"`` in wt%).
    zr_uncertainty : float, optional
        With ``monte_carlo``: the relative 1 sigma of Zr in rutile, per cent, by which the runs
        perturb it; by default the standard error of the mean of the rutile spots (none for
        one spot, which the note says).
    ferric : {"estimate", "none"} or dict, default "estimate"
        Ferric iron of an analysis entered without Fe2O3: estimated by charge balance, or
        none (all iron Fe2+, the formula as recalculated); for all minerals, or per mineral
        as ``{"phe": "none"}`` (keys ``"grt"``, ``"cpx"``, ``"phe"``; the others estimated).
        ``{"cpx": "sites"}``: the clinopyroxene's from its sites, Fe3+ = Na + Al(IV) - Al(VI)
        - 2 Ti - Cr on 6 oxygens with all iron Fe2+, between 0 and the total iron (after
        Lindsley 1983), Cr from the table's Cr2O3 column (read only then; 0 without one); in
        the first calculation and, with ``ferric_in_runs="each"``, afresh in every run.
    ferric_in_runs : {"each", "once"}, default "each"
        ``"each"``: every Monte-Carlo run perturbs the analyses as entered (an oxide
        perturbed below 0 taken as 0) and estimates their ferric iron afresh, so that the
        spreads include the error of the estimate; ``"once"``: the runs perturb the analyses
        with the ferric iron of the first calculation, as the dialogue does. The runs leave
        out the thermometers' own calibration error.
    name : str or list of str, optional
        The file name the ``file`` column and the messages give an input; by default the
        path as given, ``"DataFrame"`` or ``"text"``.
    jobs : int, optional
        Threads computing the samples; by default one per processor this process may use.
        The rows do not depend on it.
    garnet, cpx, mica : pandas.DataFrame, optional
        Instead of ``data``: one frame of analyses per mineral (several spots of a sample as
        ``combine`` says), matched on the column ``on``. An oxide column is read whatever
        its synonym or mineral suffix (``SiO2_Gt``, ``FeOt``); blanks around the headers are
        dropped.
    rutile : pandas.DataFrame, optional
        The rutile analyses of the samples, for the Zr-in-rutile thermometers: a column of Zr
        in ppm (``Zr``, ``Zr (ppm)``, ``Zr_ppm``) or of ZrO2 in wt%, matched on ``on`` (by
        default its index) as ``garnet``, ``cpx`` and ``mica`` are; with ``data`` read as one
        table with it (as ``join`` reads a list). Rows naming another mineral in a mineral
        column are left out, and said; its other columns (TiO2, ...) are not used.
    zr_ppm : float, dict or pandas.Series, optional
        The Zr of the rutile in ppm, for every sample, or one per sample by the sample's name,
        in place of any rutile rows (a sample's note says when it has some): the
        Zr-in-rutile thermometers take it as one spot, perturbed in the Monte-Carlo runs only
        by ``zr_uncertainty``.
    on : str or dict, optional
        The column naming the samples, case and blanks ignored (by default the first of
        ``Sample``, ``Sample ID``, ``Sample No.``, ``Rock``, ``Rock ID``, ``Specimen``,
        ``Name``, ``ID``, ...); for ``garnet``, ``cpx`` and ``mica`` also a dict of one per
        mineral (``{"garnet": "Sample_ID_Gt", ...}``), by default their index. A table
        without one is one sample, and a TableWarning says so.
    mineral : str, optional
        The column naming the minerals (by default ``Mineral``, ``Min``, ``Phase``, ...). In
        ``garnet``, ``cpx`` and ``mica`` rows naming another mineral are left out, and said.
    join : bool, default False
        The inputs of a list read as one table: the analyses of a sample in several of them
        joined (``garnet=``, ``cpx=`` and ``mica=`` always are).
    where : str or list of str, optional
        Only the analyses whose column holds the value, before combining:
        ``"Location=rim"``, or ``"grt:Location=rim"`` for the garnet alone; several as a
        list (each column must match, a column named twice either value).

    Returns
    -------
    pandas.DataFrame
        One row per sample (or combination), the columns of ``varno96-batch``: numbers as
        float64 at full precision (NaN where the batch's cell is empty), ``model``,
        ``mc_seed`` and the counts as int64 (``mc_left_out`` as Int64, empty without a
        result), names and ``note`` as str. A sample without a result is a row whose
        ``note`` says why. Rounded to the batch's decimals, each value is the batch's text.
        The index is the frame's: for a frame of one sample per row its index, for one of
        one analysis per row the sample (with ``combine="each"`` also the analyses), so that
        ``frame.join(rows)`` works; files and texts have the default index. The columns,
        with their units and meanings: ``varno96.columns``. ``attrs["varno96"]`` records what
        was run: the release, every option as given or defaulted, the seed drawn or given and
        the uncertainty u.

    Raises
    ------
    TypeError
        An argument of the wrong type (``powell must be True or False, got 'no'``).
    ValueError
        An option out of range or in conflict with another (``model must be an integer from
        1 to 7, got 8``), or an input that is not a table (the message names it and its
        line; for a DataFrame whose columns name no oxide, its columns).
    OSError
        A file that cannot be read.
    KeyboardInterrupt
        Ctrl-C, within a fraction of a second.

    Warns
    -----
    TableWarning
        What the batch reports on standard error: columns ignored, oxides missing.

    Notes
    -----
    Messages count lines as in the table's text: for a DataFrame the header is line 1, so
    line N is the row at position N - 2; with ``garnet=``, ``cpx=`` and ``mica=`` they name
    the frame, its row (by position) and its index label ("garnet frame, row 11 (index
    'EC1-3')"). The computation runs without the global interpreter lock, so calls from
    several threads run at once.

    The rows of ``garnet=``, ``cpx=`` and ``mica=`` are indexed by sample, the frames
    themselves usually not (a RangeIndex), so ``garnet.join(rows)`` matches nothing. Join on
    the sample instead: ``garnet.join(rows, on="Sample", rsuffix="_result")`` (the column
    given as ``on``), or ``garnet.set_index("Sample").join(rows)``; with ``combine="each"``
    the rows' index also holds the analyses (``rows.reset_index()`` gives them as columns).

    A sample with several analyses of a mineral has no result unless ``combine`` says how to
    use them; a TableWarning then names the fix.
    """
    minerals = dict(garnet=garnet, cpx=cpx, mica=mica, rutile=rutile)
    items, result = _run(data, minerals, name, False, options, zr_ppm)
    index = _frames.result_index(items, result, result["values"], result["columns"])
    rows = _frames.result_frame(result["columns"], result["values"], result["block"], index)
    rows.attrs["varno96"] = result["attrs"]
    return rows


@_OPTIONS.keywords(before=_DATA, after=_INPUTS, monte_carlo=True)
def pairs(options, data=None, name=None, garnet=None, cpx=None, mica=None, rutile=None,
          zr_ppm=None):
    """The Monte-Carlo temperature-pressure pairs of every sample, as ``varno96-batch --pt``
    writes them.

    The arguments are those of ``compute`` (below); ``monte_carlo`` must be true (the default
    here). To have the pairs of the runs behind ``compute``'s rows, give both the same
    ``seed`` (without one, take the ``mc_seed`` of the rows, or ``attrs["varno96"]["seed"]``).

    Returns
    -------
    pandas.DataFrame
        Columns ``file``, ``sample``, ``pass`` (1: analyses perturbed, 2: mixing parameters
        too), ``T_C``, ``P_kbar``, and with ``combine="each"`` the analyses ``grt_label``,
        ``cpx_label``, ``phe_label``. Up to 200 rows per pass and sample: runs without a
        value are left out, and samples without a result have none.

    Raises
    ------
    TypeError, ValueError, OSError, KeyboardInterrupt
        As ``compute``; ValueError also when ``monte_carlo`` is false.
    """
    monte_carlo = options["monte_carlo"]
    if monte_carlo is not True and not (isinstance(monte_carlo, np.bool_) and monte_carlo):
        _OPTIONS.value("monte_carlo", monte_carlo)
        raise ValueError("monte_carlo must be True for the pairs, which are those of the "
                         "Monte-Carlo runs")
    minerals = dict(garnet=garnet, cpx=cpx, mica=mica, rutile=rutile)
    _, result = _run(data, minerals, name, True, options, zr_ppm)
    runs = _frames.result_frame(result["pair_columns"], result["pairs"], result["pair_block"])
    runs.attrs["varno96"] = result["attrs"]
    return runs


@_OPTIONS.keywords(before=[inspect.Parameter("result", inspect.Parameter.POSITIONAL_OR_KEYWORD,
                                              default=None)],
                   after=[inspect.Parameter("bibtex", inspect.Parameter.KEYWORD_ONLY,
                                            default=False)], temperature=None, model=None)
def cite(options, result=None, bibtex=False):
    """The methods paragraph of a run and the full references of what it names, as
    ``varno96-batch --cite`` prints them; with ``bibtex=True`` the references as BibTeX
    entries, as ``varno96-batch --cite=bibtex`` prints them.

    ``cite(rows)`` cites exactly the run of a result of ``compute`` or ``pairs`` (from its
    ``attrs["varno96"]``), the seed drawn for it and a ``zr_ppm`` given included. ``cite(model=7, temperature=650,
    ...)`` cites the options given, the keyword arguments of ``compute``, checked alike;
    ``temperature`` may be left out, and a per-sample mapping is said as such. Paste the text
    into a manuscript as it is, or ``print`` it.

    >>> print(varno96.cite(rows))                                     # doctest: +SKIP
    >>> print(varno96.cite(model=7, temperature=650))                 # doctest: +SKIP
    """
    if result is not None:
        record = getattr(result, "attrs", {}).get("varno96") if hasattr(result, "attrs") else None
        if not isinstance(record, dict) or "options" not in record:
            raise TypeError(f"result must be a DataFrame of varno96.compute or varno96.pairs, "
                            f"got {type(result).__name__}")
        given = [k for k, v in options.items() if v != _OPTIONS.default(_OPTIONS.by_python[k])
                 and not (k in ("temperature", "model") and v is None)]
        if given:
            raise TypeError(f"cite() takes a result or options, not both: got {given[0]}=")
        ran = {k: v for k, v in record["options"].items() if k in options}
        if ran.get("monte_carlo"):
            ran["seed"] = record["seed"]  # drawn or given, the runs' own
        options = options | ran
    elif options["model"] is None:
        raise TypeError("cite() missing 1 required keyword-only argument: 'model' (or give a "
                        "result of varno96.compute)")
    temperature = options["temperature"]
    per_sample = _frames.is_mapping(temperature)
    checked = _OPTIONS.checked(options | {"temperature": 0.0 if per_sample or temperature is None
                                          else temperature})
    if not isinstance(bibtex, bool):
        raise TypeError(f"bibtex must be True or False, got {bibtex!r}")
    trial = "per sample" if per_sample else "unsaid" if temperature is None else "given"
    zr_given = result is not None and record["options"].get("zr_ppm") is not None
    return _varno96.cite(checked, trial, bibtex, zr_given)


def _parameters(doc):
    """The Parameters section of a numpydoc docstring, without its heading."""
    start = doc.index("    Parameters\n    ----------\n") + len("    Parameters\n    ----------\n")
    return doc[start:doc.index("\n    Returns\n")]


# pairs takes the keywords of compute: its help describes each of them.
pairs.__doc__ = pairs.__doc__.replace(
    "\n    Returns\n", "\n    Parameters\n    ----------\n" + _parameters(compute.__doc__) +
    "\n    Returns\n", 1)
