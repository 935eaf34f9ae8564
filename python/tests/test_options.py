"""The keyword arguments: made and checked from the compiled part's table of options, with
Python's words for a wrong type or value, and what was run recorded with the result."""

import inspect
import os
import pydoc

import pandas as pd
import pytest

import varno96
from support import EXAMPLES, suite_long


@pytest.mark.parametrize("data,kwargs,error,message", [
    ("SUITE", dict(model=8), ValueError, "model must be an integer from 1 to 7, got 8"),
    ("SUITE", dict(model=7.5), ValueError, "model must be an integer from 1 to 7, got 7.5"),
    ("SUITE", dict(model="7"), TypeError, "model must be an integer from 1 to 7, got str '7'"),
    ("SUITE", dict(jobs=-1), ValueError, "jobs must be an integer from 1 to 256, got -1"),
    ("SUITE", dict(jobs=2.0, model=7.0), None, ""),
    ("SUITE", dict(powell="no"), TypeError, "powell must be True or False, got 'no'"),
    ("SUITE", dict(powell=True, at=600), ValueError, "powell=True excludes at=600"),
    ("SUITE", dict(temperature=float("nan")), ValueError,
     "temperature must be a finite number above -273.15, got nan"),
    ("SUITE", dict(temperature=float("inf")), ValueError,
     "temperature must be a finite number above -273.15, got inf"),
    ("SUITE", dict(temperature={"EC1": float("nan")}), ValueError,
     "temperature['EC1'] must be a finite number above -273.15, got nan"),
    ("SUITE", dict(temperature={"EC1": 650}), ValueError, "temperature: no value for sample A7"),
    ("SUITE", dict(seed=0), ValueError, "seed must be an integer from -99 to -1, got 0"),
    ("SUITE", dict(uncertainty=-1), ValueError,
     "uncertainty must be a finite number of at least 0, got -1"),
    ("SUITE", dict(combine="median"), ValueError,
     "combine must be 'mean' or 'each' or None, got 'median'"),
    ("SUITE", dict(combine=1), TypeError, "combine must be 'mean' or 'each' or None, got 1"),
    ("SUITE", dict(uncertainty=None), TypeError,
     "uncertainty must be a finite number of at least 0, got None"),
    ("SUITE", dict(name=5), TypeError, "name must be a str or a list of str, got int 5"),
    ("SUITE", dict(thermometers=["EG79", "XX1"]), ValueError, "got ['EG79', 'XX1']"),
    ("SUITE", dict(thermometers=7), TypeError, "thermometers must be a list of EG79"),
    ("SUITE", dict(ferric="some"), ValueError, "ferric: must be estimate or none"),
    ("SUITE", dict(ferric={"bt": "none"}), ValueError, "ferric takes the minerals"),
    ("SUITE", dict(ferric=["none"]), TypeError, "ferric must be 'estimate' or 'none'"),
    ("SUITE", dict(ferric_in_runs="twice"), ValueError,
     "ferric_in_runs must be 'each' or 'once'"),
    ("SUITE", dict(ferric="cpx=none"), None, ""),
    ("no-such-file.csv", {}, FileNotFoundError, "no-such-file.csv"),
    (".", {}, IsADirectoryError, ""),
    ("Sample\tMineral\tColour\nA\tGrt\tred\n", {}, ValueError,
     "text line 1: the header names no oxide column"),
    (pd.DataFrame({"SiO2": [1.0]}), {}, ValueError, "DataFrame line 1: no mineral column"),
    (pd.DataFrame({"Sample": ["A"], "Colour ": ["red"]}), {}, ValueError,
     "DataFrame line 1: no column names an oxide (SiO2, Al2O3, FeO, ...); the columns: "
     "['Sample', 'Colour ']"),
    (pd.DataFrame({"Sample": ["A"], "Mineral": ["Grt"], "SiO2": [1.0], "SiO2 ": [2.0]}), {},
     ValueError, "DataFrame line 1: columns 3 'SiO2' and 4 'SiO2 ' both give SiO2"),
    (42, {}, TypeError, "data must be a path, a table's text, a pandas DataFrame"),
])
def test_errors(data, kwargs, error, message):
    if isinstance(data, str) and data == "SUITE":
        data = os.path.join(EXAMPLES, "SUITE.PRN")
    options = dict(model=7, temperature=650) | kwargs
    if error is None:  # accepted
        assert len(varno96.compute(data, **options)) == 7
        return
    with pytest.raises(error) as raised:
        varno96.compute(data, **options)
    assert message in str(raised.value) and len(str(raised.value)) < 300
    with pytest.raises(ValueError, match="monte_carlo must be True"):
        varno96.pairs(os.path.join(EXAMPLES, "SUITE.PRN"), model=7, temperature=650, monte_carlo=False)


def test_checks_follow_the_table_of_options():
    """The checks are made from the compiled part's table of options: its bounds, choices,
    exclusions and needs, whatever they are."""
    from varno96 import _options, _varno96
    table = _varno96.options()
    # Every option is a keyword of compute.
    keywords = inspect.signature(varno96.compute).parameters
    assert {o["python"] for o in table} <= set(keywords)
    for option in table:
        if option["name"] == "model":
            option["max"] = 3.0
    table.append(dict(name="depth", python="depth", page="Depth", kind="number", min=0.5,
                      max=None, choices=[], default=None, required=False, help="",
                      excludes=[], needs=["monte-carlo"]))
    checks = _options.Options(table)
    base = dict(model=2, temperature=650.0, monte_carlo=False)
    assert checks.checked(base | dict(model=3.0)) == base | dict(model=3)
    for extra, error, message in [
            (dict(model=4), ValueError, "model must be an integer from 1 to 3, got 4"),
            (dict(model=None), TypeError, "model must be an integer from 1 to 3, got None"),
            (dict(depth=5), ValueError, "depth=5 needs monte_carlo=True"),
            (dict(depth=0, monte_carlo=True), ValueError,
             "depth must be a finite number of at least 0.5, got 0"),
            (dict(monte_carlo=1), TypeError, "monte_carlo must be True or False, got 1")]:
        with pytest.raises(error) as raised:
            checks.checked(base | extra)
        assert str(raised.value) == message
    assert checks.checked(base | dict(depth=5, monte_carlo=True))["depth"] == 5.0


def test_one_signature_of_the_table_for_each_function():
    """compute, pairs and cite take every option of the table as a keyword-only argument, with
    the table's default, as help() shows them; a keyword missing or unknown is refused in
    Python's own words."""
    table = varno96._varno96.options()
    defaults = {varno96.compute: {}, varno96.pairs: {"monte_carlo": True},
                varno96.cite: {"temperature": None, "model": None}}
    for function, own in defaults.items():
        parameters = inspect.signature(function).parameters
        for option in table:
            p = parameters[option["python"]]
            assert p.kind is p.KEYWORD_ONLY, (function, p)
            if option["python"] in own:
                assert p.default == own[option["python"]]
            elif option["required"]:
                assert p.default is p.empty
            elif option["kind"] == "flag":
                assert p.default is False
            elif option["default"] is not None:
                assert str(p.default) in (option["default"], option["default"] + ".0")
            else:
                assert p.default is None
        shown = f"{function.__name__}{inspect.signature(function)}"
        assert shown in pydoc.render_doc(function, renderer=pydoc.plaintext)
    assert inspect.signature(varno96.compute).parameters["uncertainty"].default == 1.0
    assert list(inspect.signature(varno96.compute).parameters)[0] == "data"
    assert "bibtex" in inspect.signature(varno96.cite).parameters
    suite = os.path.join(EXAMPLES, "SUITE.PRN")
    for call, words in [
            (lambda: varno96.compute(suite, temperature=650),
             "compute() missing 1 required keyword-only argument: 'model'"),
            (lambda: varno96.pairs(suite),
             "pairs() missing 2 required keyword-only arguments: 'model' and 'temperature'"),
            (lambda: varno96.cite(model=7, temprature=650),
             "cite() got an unexpected keyword argument 'temprature'; did you mean "
             "'temperature'?"),
            (lambda: varno96.compute(suite, suite, model=7, temperature=650),
             "compute() too many positional arguments")]:
        with pytest.raises(TypeError) as raised:
            call()
        assert str(raised.value) == words


def test_what_was_run_travels_with_the_result():
    long = suite_long()
    temperatures = dict.fromkeys(long["Sample"].unique(), 600.0) | {"XX9": 650.0}
    with pytest.warns(varno96.TableWarning, match=r"keys that name no sample: \['XX9'\]"):
        rows = varno96.compute(long, model=7, temperature=temperatures, monte_carlo=True,
                               uncertainty=0.5)
    run = rows.attrs["varno96"]
    assert run["release"] == varno96.__version__
    assert run["seed"] == rows["mc_seed"].iloc[0] and -99 <= run["seed"] <= -1
    assert run["uncertainty"] == 0.5
    assert run["options"]["model"] == 7 and run["options"]["powell"] is False
    assert run["options"]["temperature"] == temperatures
    assert run["options"]["seed"] is None  # as given: drawn, and the seed above
    assert set(run["options"]) >= {"model", "temperature", "powell", "at", "one_site",
                                   "uncertainty", "monte_carlo", "seed", "combine",
                                   "formulae", "thermometers", "jobs"}


def test_help_describes_every_keyword_and_the_thermometers():
    """help(compute) and help(pairs) describe every keyword of the table of options, and
    varno96.thermometers every key the thermometers argument takes."""
    for function in (varno96.compute, varno96.pairs):
        for option in varno96._varno96.options():
            assert f"\n    {option['python']} : " in function.__doc__ or \
                f", {option['python']} : " in function.__doc__, (function, option["python"])
        assert "varno96-batch --help" not in function.__doc__
    keys = varno96.thermometers
    assert list(keys.index) == ["EG79", "P85", "K88", "A94", "KR00", "KR78", "GH82",
                                "TPE07", "WWT06", "FW07", "K20"]
    assert keys.loc["FW07", "formula"].startswith("log(ppm Zr) = 7.42 - 4530 / T")
    assert keys.loc["TPE07", "formula"].startswith("alpha-quartz: T = (83.9 + 0.410 P)")
    assert keys.loc["P85", "reference"].startswith("Powell R. (1985) Regression diagnostics")
    assert keys.loc["KR78", "minerals"] == "garnet-phengite"
    assert keys.loc["GH82", "range"].startswith("experiments at 20–35 kbar and 800–1000 °C")
    assert keys.loc["KR00", "error"] == ("“within about ±100 °C” on the retained experiments "
                                         "(p. 213), as summarised in a peer's notes, not "
                                         "confirmed against the paper")
    assert keys.loc["KR78", "error"] == "none established"
    assert all(f.startswith("T = (") for f in keys["formula"][:7])
