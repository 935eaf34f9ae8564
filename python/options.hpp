// The tables of options for the package: each entry as the dict of its checks (varno96's
// _options.Options), and the keyword arguments, by their Python names, each setting its field
// as the table says.
#pragma once

#include "api/options.hpp"

#include <pybind11/pybind11.h>

#include <span>
#include <string>
#include <variant>

namespace varno96 {

// A yes-or-no field set by a choice of two words (--plot-reactions reference|none) is a flag
// in Python.
inline bool python_flag(const option_spec &s) {
    return s.kind == option_kind::flag ||
           std::holds_alternative<bool plot::figure_options::*>(s.field);
}

inline pybind11::dict option_dict(const option_spec &s) {
    namespace py = pybind11;
    py::dict d;
    d["name"] = std::string(s.name);
    d["python"] = std::string(s.python);
    d["page"] = std::string(s.label);
    d["kind"] = python_flag(s) ? "flag" : kind_name(s.kind);
    d["min"] = s.low ? py::object(py::float_(*s.low)) : py::none();
    d["max"] = s.high ? py::object(py::float_(*s.high)) : py::none();
    d["min_excluded"] = s.low_excluded; // the number must lie above min
    py::list choices;
    if (!python_flag(s))
        for (const std::string_view w : choice_words(s.choices)) choices.append(std::string(w));
    d["choices"] = choices;
    d["default"] = s.default_text.empty() || python_flag(s)
                       ? py::none()
                       : py::object(py::str(std::string(s.default_text)));
    d["required"] = s.required;
    d["help"] = std::string(s.help);
    // The options it names that are keywords too (not varno96-batch's own --plot).
    const auto keyword = [](std::string_view name) {
        return !name.empty() && !option_named(name).python.empty();
    };
    py::list excludes, needs;
    if (keyword(s.excludes)) excludes.append(std::string(s.excludes));
    if (keyword(s.needs)) needs.append(std::string(s.needs));
    d["excludes"] = excludes;
    d["needs"] = needs;
    // Given per mineral, as a dict or as the command line's text.
    d["per_mineral"] = std::holds_alternative<ferric_estimates batch_options::*>(s.field);
    // Given several times, each adding to a list (the spots chosen).
    d["several"] = std::holds_alternative<std::vector<std::string> batch_options::*>(s.field);
    return d;
}

// The entries of a table with a keyword in Python.
inline pybind11::list option_list(std::span<const option_spec> table) {
    pybind11::list out;
    for (const option_spec &s : table)
        if (!s.python.empty()) out.append(option_dict(s));
    return out;
}

// `options`: the keyword arguments by their Python names, checked by the package; each sets
// its field of `Options` as the table says.
template <class Options>
Options options_of(std::span<const option_spec> table, const pybind11::dict &options) {
    namespace py = pybind11;
    Options o;
    for (const option_spec &s : table) {
        const py::str key(std::string(s.python));
        if (s.python.empty() || !options.contains(key) || options[key].is_none()) continue;
        const py::handle v = options[key];
        option_value value;
        if (python_flag(s))
            value = v.cast<bool>();
        else if (s.kind == option_kind::integer)
            value = v.cast<long long>();
        else if (s.kind == option_kind::number)
            value = v.cast<double>();
        else
            value = v.cast<std::string>();
        if (const auto refused = set_option(s, o, value))
            throw py::value_error(std::string(s.python) + ": " + *refused);
    }
    return o;
}

} // namespace varno96
