// _varno96: the tables library for the Python package varno96. Tables in (texts, or a
// DataFrame's columns), the batch's rows and Monte-Carlo pairs out as columns of values; the
// package varno96 makes DataFrames of them.
#include "frame.hpp"
#include "options.hpp"

#include "activity/references.hpp"
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/columns.hpp"
#include "api/messages.hpp"
#include "api/options.hpp"
#include "io/io.hpp"
#include "io/nearest.hpp"
#include "io/textio.hpp"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace py = pybind11;

namespace varno96 {

namespace {

// The text of one cell of an object column: strings as they are, numbers with the digits that
// read back as the same value, a missing value (None, NaN) empty.
std::string cell_text(PyObject *o) {
    if (PyUnicode_Check(o)) {
        Py_ssize_t n = 0;
        const char *s = PyUnicode_AsUTF8AndSize(o, &n);
        if (!s) throw py::error_already_set();
        return {s, static_cast<std::size_t>(n)};
    }
    if (o == Py_None) return {};
    if (PyFloat_Check(o)) {
        const double x = PyFloat_AS_DOUBLE(o);
        if (std::isnan(x)) return {};
        char buffer[32];
        return {buffer, std::to_chars(buffer, buffer + sizeof buffer, x).ptr};
    }
    return py::str(o).cast<std::string>();
}

// One input as the package hands it over: a table's text, or a frame's columns (each a
// float64 array, NaN where empty, whose numbers are read where they are, or an object array,
// whose cells are taken as texts), with its row names and row temperatures.
struct input {
    std::string name;
    std::optional<std::string> text; // none: a frame
    std::vector<std::string> column_names;
    py::list columns;
    std::size_t rows = 0;
    bool rows_apart = true;
    // The row names: the labels of the frame's index, or a (start, step) of a range index.
    std::optional<std::vector<std::string>> row_names;
    std::optional<std::pair<long long, long long>> row_range;
    std::optional<std::vector<double>> row_temperatures;
    // A frame made of one frame per mineral: (mineral, first row, index labels as Python
    // shows them) of each, so that a message names the frame and row the reader gave.
    std::vector<std::tuple<std::string, std::size_t, std::vector<std::string>>> parts;
    // A frame of one mineral (its keyword: garnet, cpx, mica or rutile), said as `said_as`, its
    // samples named by the column `sample_column`; empty: a frame of any minerals.
    std::string mineral, said_as, sample_column;
};

struct frame_input {
    columns_input table;
    std::vector<py::array> kept; // the arrays whose numbers the columns point at
};

// A header as Python writes a str (its repr), for the names of a DataFrame's columns.
std::string python_repr(std::string_view s) {
    const char q = s.find('\'') != std::string_view::npos && s.find('"') == std::string_view::npos
                       ? '"'
                       : '\'';
    std::string r(1, q);
    for (const char c : s) {
        if (c == '\\' || c == q)
            r += std::string{'\\', c};
        else if (c == '\n')
            r += "\\n";
        else if (c == '\r')
            r += "\\r";
        else if (c == '\t')
            r += "\\t";
        else
            r += c;
    }
    return r + q;
}

frame_input frame_of(const input &in) {
    frame_input f;
    f.table.file = in.name;
    f.table.name_repr = python_repr;
    const std::size_t rows = in.rows;
    f.table.rows = rows;
    f.table.rows_apart = in.rows_apart;
    if (in.row_range)
        f.table.row_name = [range = *in.row_range](std::size_t r) {
            return std::to_string(range.first + static_cast<long long>(r) * range.second);
        };
    else if (in.row_names)
        f.table.row_name = [names = *in.row_names](std::size_t r) { return names[r]; };
    if (!in.parts.empty())
        f.table.line_place = [parts = in.parts](int line) {
            const auto row = static_cast<std::size_t>(line - 2);
            for (const auto &[mineral, first, labels] : parts)
                if (row >= first && row - first < labels.size())
                    return mineral + " frame, row " + std::to_string(row - first) + " (index " +
                           labels[row - first] + ")";
            return "DataFrame line " + std::to_string(line);
        };
    f.table.said_as = in.said_as;
    f.table.sample_column = in.sample_column;
    if (!in.mineral.empty()) {
        f.table.rutile_only = rutile_of(in.mineral);
        if (!f.table.rutile_only) f.table.only = mineral_of(in.mineral);
    }
    if (in.columns.size() != in.column_names.size())
        throw py::value_error("one name per column expected");
    for (std::size_t c = 0; c < in.columns.size(); c++) {
        table_column col;
        col.name = in.column_names[c];
        const py::array a = in.columns[c].cast<py::array>();
        if (a.ndim() != 1 || static_cast<std::size_t>(a.shape(0)) != rows)
            throw py::value_error("column " + col.name + ": not one value per row");
        if (a.dtype().is(py::dtype::of<double>()) && (a.flags() & py::array::c_style)) {
            col.numbers = static_cast<const double *>(a.data());
            f.kept.push_back(a);
        } else if (a.dtype().kind() == 'O') {
            col.texts.reserve(rows);
            auto *const *items = static_cast<PyObject *const *>(a.data());
            const auto stride = a.strides(0) / static_cast<py::ssize_t>(sizeof(PyObject *));
            for (std::size_t r = 0; r < rows; r++) {
                PyObject *item = items[static_cast<py::ssize_t>(r) * stride];
                col.texts.push_back(cell_text(item));
                // Text written with decimal points (pandas' read_csv without decimal=","):
                // "55,6" among it is a typing error, not a decimal comma.
                REAL x = 0;
                if (col.decimal_comma && PyUnicode_Check(item) &&
                    col.texts.back().find('.') != std::string::npos &&
                    READREAL(col.texts.back(), x))
                    col.decimal_comma = false;
            }
        } else {
            throw py::type_error("column " + col.name + ": float64 or object values expected");
        }
        f.table.columns.push_back(std::move(col));
    }
    return f;
}

// Columns of values as Python values: a list of str for text; the other columns as the rows
// of one float64 array (block), the numbers before the whole numbers, so that a DataFrame
// takes the numbers as they are. Each column's memory is given back once copied.
py::tuple columns_of(value_columns &v) {
    std::vector<std::size_t> order;
    for (const auto kind : {column::number, column::integer})
        for (std::size_t c = 0; c < v.columns.size(); c++)
            if (v.columns[c].type == kind) order.push_back(c);
    const auto rows = static_cast<py::ssize_t>(v.rows());
    py::array_t<double> block({static_cast<py::ssize_t>(order.size()), rows});
    std::vector<py::object> out(v.columns.size());
    for (std::size_t j = 0; j < order.size(); j++) {
        std::vector<double> &column = v.numbers[order[j]];
        double *row = block.mutable_data() + static_cast<py::ssize_t>(j) * rows;
        std::copy(column.begin(), column.end(), row);
        std::vector<double>().swap(column);
        out[order[j]] = block[py::int_(j)];
    }
    for (std::size_t c = 0; c < v.columns.size(); c++) {
        if (v.columns[c].type != column::text) continue;
        std::vector<std::string> &column = v.texts[c];
        py::list texts(column.size());
        // Repeated texts (the file, the clinopyroxene model) share one str.
        py::object last;
        const std::string *last_text = nullptr;
        for (std::size_t r = 0; r < column.size(); r++) {
            const std::string &t = column[r];
            if (!last_text || t != *last_text) {
                last = py::reinterpret_steal<py::object>(
                    PyUnicode_DecodeUTF8(t.data(), static_cast<Py_ssize_t>(t.size()), "replace"));
                if (!last) throw py::error_already_set();
                last_text = &t;
            }
            texts[r] = last;
        }
        std::vector<std::string>().swap(column);
        out[c] = std::move(texts);
    }
    return py::make_tuple(py::cast(out), block);
}

const char *kind_word(column::kind kind) {
    return kind == column::text ? "text" : kind == column::number ? "number" : "integer";
}

// A column as the package takes it: its name and the entry of the column table it comes from.
py::dict column_dict(const column &c, const std::optional<batch_options> &o) {
    py::dict d;
    d["name"] = c.name;
    d["kind"] = kind_word(c.type);
    d["unit"] = std::string(c.entry->unit);
    d["decimals"] = c.type == column::number ? py::object(py::int_(c.entry->decimals)) : py::none();
    d["nullable"] = c.entry->may_be_empty;
    d["meaning"] = column_meaning(c, o);
    d["template"] = std::string(c.entry->name);
    d["option"] = brought_by(*c.entry);
    d["role"] = role_name(c.entry->role);
    d["key"] = column_key(c, o);
    return d;
}

py::list described(const std::vector<column> &columns, const std::optional<batch_options> &o) {
    py::list out;
    for (const column &c : columns) out.append(column_dict(c, o));
    return out;
}

// Every column a result can have, in the order of a table with every option.
py::list every_column() { return described(result_columns(std::nullopt), std::nullopt); }

// The columns every pairs file has (without the thermometers' and the labels').
py::list pair_columns_of_any() {
    const batch_options o;
    return described(pair_columns(o), o);
}

py::dict compute(const std::vector<input> &items, const py::dict &options,
                 const py::object &temperatures, bool with_pairs, std::size_t part,
                 const py::object &zr) {
    call_options c;
    batch_options &o = c.batch;
    o = options_of<batch_options>(batch_option_table, options);
    if (!temperatures.is_none()) {
        c.by_sample = true;
        c.sample_temperatures = temperatures.cast<std::map<std::string, double>>();
    }
    if (py::isinstance<py::dict>(zr))
        c.sample_zr = zr.cast<std::map<std::string, double>>();
    else if (!zr.is_none())
        c.zr_all = zr.cast<double>();
    if (const std::string why = option_error(o); !why.empty()) throw py::value_error(why);
    c.jobs = static_cast<unsigned>(o.jobs.value_or(1));
    c.with_pairs = with_pairs;
    c.part = part;
    // Ctrl-C: the interpreter's signal handlers run between rows, the lock taken briefly.
    c.check = [] {
        py::gil_scoped_acquire held;
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    };

    std::vector<call_input> inputs;
    std::vector<frame_input> frames;
    frames.reserve(items.size());
    for (const input &item : items) {
        call_input in;
        in.name = item.name;
        if (item.text) {
            in.text = *item.text;
        } else {
            frames.push_back(frame_of(item));
            in.frame = std::move(frames.back().table);
            if (item.row_temperatures) in.row_temperatures = *item.row_temperatures;
        }
        inputs.push_back(std::move(in));
    }
    call_result out{value_columns({}), value_columns({}), {}, 0, {}, {}, 0, 0};
    std::optional<std::string> refused;
    {
        py::gil_scoped_release free;
        try {
            out = run_call(inputs, c);
        } catch (const std::invalid_argument &e) { refused = e.what(); }
    }
    if (refused) throw py::value_error(*refused);
    py::dict result;
    result["summary"] = rows_summary(out.failed_rows, out.rows.rows());
    result["columns"] = described(out.rows.columns, o);
    const py::tuple rows = columns_of(out.rows);
    result["values"] = rows[0];
    result["block"] = rows[1];
    result["pair_columns"] = described(out.pairs.columns, o);
    const py::tuple pairs = columns_of(out.pairs);
    result["pairs"] = pairs[0];
    result["pair_block"] = pairs[1];
    result["messages"] = out.messages;
    result["hint"] = combine_hint(front_end::python, out.several);
    result["seed"] = out.seed;
    result["input_rows"] = out.input_rows;
    result["input_wide"] = std::vector<bool>(out.input_wide.begin(), out.input_wide.end());
    return result;
}

// The methods paragraph and references of the options (by their Python names), as
// varno96-batch --cite prints them; `trial`: "given", "per sample" or "unsaid"; `zr_given`: the
// rutile's Zr given (zr_ppm=) rather than read.
std::string cite(const py::dict &options, const std::string &trial, bool bibtex, bool zr_given) {
    const batch_options o = options_of<batch_options>(batch_option_table, options);
    if (const std::string why = option_error(o); !why.empty()) throw py::value_error(why);
    const trial_temperature t = trial == "given"        ? trial_temperature::given
                                : trial == "per sample" ? trial_temperature::per_sample
                                                        : trial_temperature::unsaid;
    return bibtex ? cite_bibtex(o) : cite_text(o, t, VARNO96_RELEASE, zr_given);
}

// The thermometers of the thermometers argument, by key: the minerals, the reference, the
// formula, the conditions of the calibration's experiments and the error its authors state,
// each in the paper's words with its page and how far it was confirmed.
py::list thermometer_table() {
    py::list out;
    for (const thermometry::calibration &c : thermometry::calibrations) {
        py::dict d;
        d["key"] = std::string(c.name);
        d["minerals"] =
            std::string(c.pair == thermometry::mineral_pair::grt_cpx ? "garnet-clinopyroxene"
                                                                     : "garnet-phengite");
        d["reference"] = reference_text(c.citation);
        d["formula"] = std::string(thermometry::formula(c.id));
        d["range"] = thermometry::stated_text(c.stated.range);
        d["error"] = thermometry::stated_text(c.stated.error);
        out.append(d);
    }
    for (const thermometry::zr_calibration &c : thermometry::zr_calibrations) {
        py::dict d;
        d["key"] = std::string(c.name);
        d["minerals"] = std::string("rutile (Zr), with zircon and quartz or coesite");
        d["reference"] = reference_text(c.citation);
        std::string forms;
        for (const thermometry::silica f : thermometry::zr_fields(c.id)) {
            const std::string field(thermometry::name(f));
            forms += (forms.empty() ? "" : "; ") + (field.empty() ? "" : field + ": ") +
                     std::string(thermometry::zr_formula(c.id, f));
        }
        d["formula"] = forms;
        d["range"] = thermometry::stated_text(c.stated.range);
        d["error"] = thermometry::stated_text(c.stated.error);
        out.append(d);
    }
    return out;
}

// The menu titles of the garnet models, without the padding of the menu.
std::vector<std::string> model_titles() {
    std::vector<std::string> titles;
    for (int i = 1; i <= NMODELS; i++) {
        std::string t = MODEL[i];
        t.erase(t.find_last_not_of(' ') + 1);
        titles.push_back(t);
    }
    return titles;
}

// The publications of the garnet models, by menu number; empty for ideal mixing.
std::vector<std::string> model_references() {
    std::vector<std::string> out;
    for (int i = 1; i <= NMODELS; i++) out.push_back(garnet_model_reference(i));
    return out;
}

} // namespace

} // namespace varno96

namespace varno96 {
void add_figure(py::module_ &m); // figure.cpp
}

PYBIND11_MODULE(_varno96, m) {
    using namespace pybind11::literals;
    m.doc() = "The compiled part of varno96: use the package varno96.";
    m.attr("__version__") = VARNO96_RELEASE;
    py::class_<varno96::input>(m, "Input", "One table: its text, or a frame's columns.")
        .def(py::init<>())
        .def_readwrite("name", &varno96::input::name)
        .def_readwrite("text", &varno96::input::text)
        .def_readwrite("column_names", &varno96::input::column_names)
        .def_readwrite("columns", &varno96::input::columns)
        .def_readwrite("rows", &varno96::input::rows)
        .def_readwrite("rows_apart", &varno96::input::rows_apart)
        .def_readwrite("row_names", &varno96::input::row_names)
        .def_readwrite("row_range", &varno96::input::row_range)
        .def_readwrite("row_temperatures", &varno96::input::row_temperatures)
        .def_readwrite("parts", &varno96::input::parts)
        .def_readwrite("mineral", &varno96::input::mineral)
        .def_readwrite("said_as", &varno96::input::said_as)
        .def_readwrite("sample_column", &varno96::input::sample_column);
    m.def("compute", &varno96::compute, "inputs"_a, "options"_a, "temperatures"_a = py::none(),
          "pairs"_a = false, "part"_a = 65536, "zr"_a = py::none(),
          "Reads and computes the tables `inputs`; see varno96.compute.");
    m.def("columns", &varno96::every_column,
          "Every column a result can have: name, kind, unit, decimals, meaning, option, role, "
          "key.");
    m.def("pair_columns", &varno96::pair_columns_of_any,
          "The columns every table of pairs has: name, kind, unit, meaning, role, key.");
    m.def("model_references", &varno96::model_references,
          "The publications of the garnet models, by menu number.");
    m.def(
        "options", [] { return varno96::option_list(varno96::batch_option_table); },
        "The batch options: names, kinds, ranges and help.");
    m.def(
        "figure_options", [] { return varno96::option_list(varno96::plot_option_table); },
        "The options of the P-T figure: names, kinds, ranges and help.");
    m.def("cite", &varno96::cite, "options"_a, "trial"_a, "bibtex"_a, "zr_given"_a = false,
          "The methods paragraph and references of the options; see varno96.cite.");
    m.def("thermometer_table", &varno96::thermometer_table,
          "The thermometers: key, minerals, reference, formula and range.");
    m.def(
        "oxide_columns",
        [](const std::vector<std::string> &headers) {
            py::list out;
            for (const std::string &h : headers) {
                const std::string oxide = varno96::oxide_column(h);
                out.append(oxide.empty() ? py::object(py::none()) : py::object(py::str(oxide)));
            }
            return out;
        },
        "The oxide each header names, as the header of its slot, or None.");
    m.def(
        "nearest",
        [](const std::string &typed, const std::vector<std::string> &names) {
            const std::vector<std::string_view> known(names.begin(), names.end());
            const auto near = varno96::nearest_name(typed, known);
            return near ? py::object(py::str(std::string(*near))) : py::object(py::none());
        },
        "typed"_a, "names"_a, "The name of `names` meant by `typed` mistyped, or None.");
    m.def("model_titles", &varno96::model_titles,
          "The garnet models' titles, as the menu shows them.");
    varno96::add_figure(m);
}
