"""The batch's options as keyword arguments: each checked against the table of options of
the compiled part (name, kind, bounds, choices, default, excludes, needs) before the
computation, so that a wrong type is a TypeError and a wrong value a ValueError, each naming
the keyword as Python spells it."""

import functools
import inspect
import math
import numbers

import numpy as np


def _shown(value):
    if isinstance(value, float) and value.is_integer():
        return str(int(value))  # the table's bounds: 1.0 reads 1
    return repr(value) if isinstance(value, str) else str(value)


def _is_bool(value):
    return isinstance(value, (bool, np.bool_))


class Options:
    """The checks built from `table`, a list of dicts as `_varno96.options()` gives them."""

    def __init__(self, table):
        self.table = list(table)
        self.by_python = {o["python"]: o for o in self.table}
        self.by_name = {o["name"]: o for o in self.table}

    def _range_words(self, option):
        low, high = option.get("min"), option.get("max")
        if low is not None and high is not None:
            return f" from {_shown(low)} to {_shown(high)}"
        if low is not None and option.get("min_excluded"):
            return f" above {_shown(low)}"
        if low is not None:
            return f" of at least {_shown(low)}"
        if high is not None:
            return f" of at most {_shown(high)}"
        return ""

    @staticmethod
    def _may_be_none(option):
        return (not option.get("required") and option["kind"] != "flag"
                and option.get("default") is None)

    def value(self, keyword, value, label=None):
        """`value` of the option `keyword` as the compiled part takes it; TypeError or
        ValueError naming `label` (by default the keyword)."""
        option = self.by_python[keyword]
        label = label or keyword
        kind = option["kind"]
        if value is None:
            if self._may_be_none(option):
                return None
            raise TypeError(f"{label} must be {self._kind_words(option)}, got None")
        if kind == "flag":
            if not _is_bool(value):
                raise TypeError(f"{label} must be True or False, got {_shown(value)}")
            return bool(value)
        if kind == "list":
            # Keys of the choices (any case) or "all", as a list or one text separated by commas.
            words = value.split(",") if isinstance(value, str) else value
            if not isinstance(words, (list, tuple)) or not all(isinstance(w, str) for w in words):
                raise TypeError(f"{label} must be {self._kind_words(option)}, got {_shown(value)}")
            words = [w.strip() for w in words if w.strip()]
            known = {c.lower() for c in option.get("choices") or []} | {"all"}
            if not words or any(w.lower() not in known for w in words):
                raise ValueError(f"{label} must be {self._kind_words(option)}, got {value!r}")
            return ",".join(words)
        if kind == "choice" and option.get("per_mineral"):
            # One word for all minerals, or per mineral as a dict or as the command line's text.
            if isinstance(value, dict):
                minerals = ("grt", "cpx", "phe")
                if not all(isinstance(k, str) and isinstance(v, str) for k, v in value.items()):
                    raise TypeError(f"{label} must be 'estimate' or 'none', or a dict of them by "
                                    f"mineral ('cpx': 'sites' too), got {_shown(value)}")
                given = {k.lower(): v for k, v in value.items()}
                unknown = [k for k in value if k.lower() not in minerals]
                if unknown or not value or len(given) < len(value):
                    raise ValueError(f"{label} takes the minerals 'grt', 'cpx', 'phe', got "
                                     f"{value!r}")
                return ",".join(f"{k}={given[k]}" for k in minerals if k in given)
            if not isinstance(value, str):
                raise TypeError(f"{label} must be 'estimate' or 'none', or a dict of them by "
                                f"mineral ('cpx': 'sites' too), got {_shown(value)}")
            return value  # the compiled part checks the words
        if kind == "choice":
            choices = option.get("choices") or []
            if not isinstance(value, str):
                raise TypeError(f"{label} must be {self._kind_words(option)}, got {_shown(value)}")
            # Any case, as the command line takes them: the word as the table spells it.
            same = [c for c in choices if c.casefold() == value.casefold()]
            if not same:
                raise ValueError(f"{label} must be {self._kind_words(option)}, got {value!r}")
            return same[0]
        if kind == "text":
            # A text; several of a list option (the spots chosen) separated by semicolons.
            texts = [value] if isinstance(value, str) else value
            if (option.get("several") and isinstance(texts, (list, tuple)) and texts and
                    all(isinstance(t, str) for t in texts)):
                return ";".join(texts)
            if not isinstance(value, str):
                raise TypeError(f"{label} must be {self._kind_words(option)}, got {_shown(value)}")
            return value
        if _is_bool(value) or not isinstance(value, numbers.Real):
            raise TypeError(f"{label} must be {self._kind_words(option)}, got "
                            f"{type(value).__name__} {_shown(value)}")
        if kind == "integer":
            if isinstance(value, numbers.Integral):
                number = int(value)
            elif math.isfinite(value) and float(value).is_integer():
                number = int(value)
            else:
                raise ValueError(f"{label} must be {self._kind_words(option)}, got {value}")
        else:
            number = float(value)
            if not math.isfinite(number):
                raise ValueError(f"{label} must be {self._kind_words(option)}, got {value}")
        low, high = option.get("min"), option.get("max")
        below = low is not None and (number < low or (option.get("min_excluded") and number == low))
        if below or (high is not None and number > high):
            raise ValueError(f"{label} must be {self._kind_words(option)}, got {value}")
        return number

    def _kind_words(self, option):
        kind = option["kind"]
        if kind == "flag":
            return "True or False"
        if kind == "list":
            keys = ", ".join(option.get("choices") or [])
            return f"a list of {keys} (or 'all'), or one text of them separated by commas"
        if kind == "choice":
            words = " or ".join(repr(c) for c in option.get("choices") or [])
            return words + (" or None" if self._may_be_none(option) else "")
        if kind == "text":
            return "a str or a list of str" if option.get("several") else "a str"
        what = "an integer" if kind == "integer" else "a finite number"
        return what + self._range_words(option)

    def given(self, keyword, value):
        """Whether the option was given: a flag set, a value that is not None."""
        if self.by_python[keyword]["kind"] == "flag":
            return bool(value)
        return value is not None

    def checked(self, options):
        """The options (a dict by keyword) checked one by one, then against each other."""
        out = {}
        for keyword, value in options.items():
            out[keyword] = self.value(keyword, value) if keyword in self.by_python else value
        for keyword, value in out.items():
            option = self.by_python.get(keyword)
            if option is None or not self.given(keyword, value):
                continue
            for other_name in option.get("excludes") or []:
                other = self.by_name[other_name]["python"]
                if other in out and self.given(other, out[other]):
                    raise ValueError(f"{keyword}={options[keyword]!r} excludes "
                                     f"{other}={options[other]!r}")
            for other_name in option.get("needs") or []:
                other = self.by_name[other_name]["python"]
                if other in out and not self.given(other, out[other]):
                    needed = "True" if self.by_name[other_name]["kind"] == "flag" else "a value"
                    raise ValueError(f"{keyword}={options[keyword]!r} needs {other}={needed}")
        return out


    def default(self, option):
        """The keyword's default as the table gives it: False for a flag, the default's text
        as the kind's value, else None; none (inspect.Parameter.empty) when it is required."""
        if option.get("required"):
            return inspect.Parameter.empty
        if option["kind"] == "flag":
            return False
        text = option.get("default")
        if text is None:
            return None
        return {"integer": int, "number": float}.get(option["kind"], str)(text)

    def keywords(self, before=(), after=(), **defaults):
        """A decorator giving a function the options as keyword-only arguments with the
        table's defaults (or those of `defaults`), after the parameters `before` and before
        `after` (inspect.Parameter). The function is called with the dict of the options by
        keyword, in the table's order, and the other arguments."""
        options = [inspect.Parameter(o["python"], inspect.Parameter.KEYWORD_ONLY,
                                     default=defaults.get(o["python"], self.default(o)))
                   for o in self.table]
        signature = inspect.Signature([*before, *options, *after])

        def decorate(function):
            @functools.wraps(function)
            def call(*args, **kwargs):
                bound = _bound(function.__name__, signature, args, kwargs)
                bound.apply_defaults()
                given = dict(bound.arguments)
                chosen = {o["python"]: given.pop(o["python"]) for o in self.table}
                return function(chosen, **given)

            call.__signature__ = signature  # what help() and inspect show
            return call

        return decorate


def _bound(name, signature, args, kwargs):
    """`signature` bound to the arguments; a TypeError in Python's own words where it has
    them, an unknown keyword with the nearest known one."""
    try:
        return signature.bind(*args, **kwargs)
    except TypeError as error:
        parameters = signature.parameters
        unknown = [k for k in kwargs if k not in parameters]
        missing = [p.name for p in parameters.values()
                   if p.kind is p.KEYWORD_ONLY and p.default is p.empty and p.name not in kwargs]
        if unknown:
            from ._varno96 import nearest
            near = nearest(unknown[0], [p for p in parameters if p not in kwargs])
            hint = f"; did you mean {near!r}?" if near else ""
            raise TypeError(f"{name}() got an unexpected keyword argument {unknown[0]!r}{hint}") \
                from None
        if missing:
            words = (" and ".join(repr(m) for m in missing) if len(missing) < 3 else
                     ", ".join(repr(m) for m in missing[:-1]) + f", and {missing[-1]!r}")
            plural = "s" if len(missing) > 1 else ""
            raise TypeError(f"{name}() missing {len(missing)} required keyword-only "
                            f"argument{plural}: {words}") from None
        raise TypeError(f"{name}() {error}") from None
