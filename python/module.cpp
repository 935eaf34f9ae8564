// _varno96: the tables library for the Python package varno96. Tables in (texts, or a
// DataFrame's columns), the batch's rows and Monte-Carlo pairs out as columns of values; the
// package varno96 makes DataFrames of them.
#include "frame.hpp"

#include "api/batch.hpp"
#include "api/options.hpp"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
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

// A frame handed over as (name, column names, columns, rows): each column a float64 array
// (NaN where empty) or an object array.
struct frame_input {
    std::vector<frame_column> columns;
    std::vector<py::array> kept; // the arrays whose numbers the columns point at
    std::size_t rows = 0;
};

frame_input frame_of(const py::list &names, const py::list &columns, std::size_t rows) {
    frame_input f;
    f.rows = rows;
    for (std::size_t c = 0; c < columns.size(); c++) {
        frame_column col;
        col.name = names[c].cast<std::string>();
        const py::array a = columns[c].cast<py::array>();
        if (a.ndim() != 1 || static_cast<std::size_t>(a.shape(0)) != rows)
            throw py::value_error("column " + col.name + ": not one value per row");
        if (a.dtype().is(py::dtype::of<double>()) && (a.flags() & py::array::c_style)) {
            col.numbers = static_cast<const double *>(a.data());
            f.kept.push_back(a);
        } else if (a.dtype().kind() == 'O') {
            col.texts.reserve(rows);
            auto *const *items = static_cast<PyObject *const *>(a.data());
            const auto stride = a.strides(0) / static_cast<py::ssize_t>(sizeof(PyObject *));
            for (std::size_t r = 0; r < rows; r++)
                col.texts.push_back(cell_text(items[static_cast<py::ssize_t>(r) * stride]));
        } else {
            throw py::type_error("column " + col.name + ": float64 or object values expected");
        }
        f.columns.push_back(std::move(col));
    }
    return f;
}

// Columns of cells as Python values: a list of str for text, a float64 array otherwise.
py::list columns_of(const std::vector<column> &columns,
                    const std::vector<std::vector<cell>> &rows) {
    py::list out;
    for (std::size_t c = 0; c < columns.size(); c++) {
        if (columns[c].type == column::text) {
            py::list texts(rows.size());
            // Repeated texts (the file, the clinopyroxene model) share one str.
            py::object last;
            const std::string *last_text = nullptr;
            for (std::size_t r = 0; r < rows.size(); r++) {
                const std::string &t = rows[r][c].text;
                if (!last_text || t != *last_text) {
                    last = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
                        t.data(), static_cast<Py_ssize_t>(t.size()), "replace"));
                    if (!last) throw py::error_already_set();
                    last_text = &t;
                }
                texts[r] = last;
            }
            out.append(texts);
        } else {
            py::array_t<double> values(static_cast<py::ssize_t>(rows.size()));
            double *v = values.mutable_data();
            for (std::size_t r = 0; r < rows.size(); r++) v[r] = rows[r][c].value;
            out.append(values);
        }
    }
    return out;
}

py::list described(const std::vector<column> &columns) {
    py::list out;
    for (const column &c : columns)
        out.append(py::make_tuple(c.name, c.type == column::text     ? "text"
                                          : c.type == column::number ? "number"
                                                                     : "integer"));
    return out;
}

struct outcome {
    std::vector<std::string> messages;
    std::vector<std::vector<cell>> rows, pairs;
    long long seed = 0;
};

// Reads every input and computes its samples, as varno96-batch does; an input that is not a
// table at all is an error rather than a message, so that a call on one table does not
// quietly give no rows.
outcome run(const std::vector<table_text> &inputs, const batch_options &o, bool with_pairs,
            unsigned jobs) {
    outcome out;
    batch_hooks hooks;
    hooks.threads = jobs;
    hooks.pairs = with_pairs;
    hooks.unreadable = [](const std::string &, const std::string &error) {
        throw py::value_error(error);
    };
    hooks.message = [&](const std::string &m) { out.messages.push_back(m); };
    hooks.row = [&](const batch_row &r) {
        out.rows.push_back(r.cells);
        for (const auto &p : r.pairs) out.pairs.push_back(p);
    };
    out.seed = run_batch(inputs, o, hooks).how.seed;
    return out;
}

// The option table, for the package's checks of its keyword arguments.
py::list options() {
    py::list out;
    for (const option_spec &s : batch_option_table) {
        py::dict d;
        d["name"] = std::string(s.name);
        d["python"] = std::string(s.python);
        d["page"] = std::string(s.label);
        d["kind"] = s.kind == option_kind::integer  ? "integer"
                    : s.kind == option_kind::number ? "number"
                    : s.kind == option_kind::flag   ? "flag"
                                                    : "choice";
        d["min"] = s.low ? py::object(py::float_(*s.low)) : py::none();
        d["max"] = s.high ? py::object(py::float_(*s.high)) : py::none();
        py::list choices;
        for (std::string_view rest = s.choices; !rest.empty();) {
            const std::size_t bar = rest.find('|');
            choices.append(std::string(rest.substr(0, bar)));
            rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
        }
        d["choices"] = choices;
        d["default"] = s.default_text.empty() ? py::none() : py::object(py::str(std::string(s.default_text)));
        d["required"] = s.required;
        d["help"] = std::string(s.help);
        py::list excludes, needs;
        if (!s.excludes.empty()) excludes.append(std::string(s.excludes));
        if (!s.needs.empty()) needs.append(std::string(s.needs));
        d["excludes"] = excludes;
        d["needs"] = needs;
        out.append(d);
    }
    return out;
}

py::dict compute(const py::list &items, long long model, double temperature, bool powell,
                 std::optional<double> at, bool one_site, double uncertainty, bool monte_carlo,
                 std::optional<long long> seed, std::optional<std::string> combine, bool formulae,
                 bool with_pairs, unsigned jobs) {
    batch_options o;
    o.model = model;
    o.temperature = temperature;
    o.powell = powell;
    o.at = at;
    o.one_site = one_site;
    o.uncertainty = uncertainty;
    o.monte_carlo = monte_carlo;
    o.seed = seed;
    o.formulae = formulae;
    if (combine) {
        const auto mode = combine_of(*combine);
        if (!mode) throw py::value_error("--combine: must be mean or each: " + *combine);
        o.combine = *mode;
    }
    if (const std::string why = option_error(o); !why.empty()) throw py::value_error(why);
    if (jobs < 1) throw py::value_error("jobs: must be 1 or more");

    // (name, text) or (name, column names, columns, rows).
    std::vector<table_text> inputs;
    std::vector<std::pair<std::size_t, frame_input>> frames;
    for (const py::handle item : items) {
        const py::tuple t = item.cast<py::tuple>();
        table_text in{t[0].cast<std::string>(), {}, {}};
        if (t.size() == 2)
            in.text = t[1].cast<std::string>();
        else
            frames.emplace_back(
                inputs.size(),
                frame_of(t[1].cast<py::list>(), t[2].cast<py::list>(), t[3].cast<std::size_t>()));
        inputs.push_back(std::move(in));
    }
    outcome out;
    {
        py::gil_scoped_release free;
        for (auto &[i, f] : frames) inputs[i].text = frame_text(f.columns, f.rows);
        out = run(inputs, o, with_pairs, jobs);
    }
    py::dict result;
    result["columns"] = described(result_columns(o));
    result["values"] = columns_of(result_columns(o), out.rows);
    result["pair_columns"] = described(pair_columns(o));
    result["pairs"] = columns_of(pair_columns(o), out.pairs);
    result["messages"] = out.messages;
    result["seed"] = out.seed;
    return result;
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

} // namespace

} // namespace varno96

PYBIND11_MODULE(_varno96, m) {
    using namespace pybind11::literals;
    m.doc() = "The compiled part of varno96: use the package varno96.";
    m.attr("__version__") = VARNO96_RELEASE;
    m.def("compute", &varno96::compute, "inputs"_a, py::kw_only(), "model"_a, "temperature"_a,
          "powell"_a, "at"_a, "one_site"_a, "uncertainty"_a, "monte_carlo"_a, "seed"_a, "combine"_a,
          "formulae"_a, "pairs"_a, "jobs"_a,
          "Reads and computes the tables `inputs`; see varno96.compute.");
    m.def("options", &varno96::options, "The batch options: names, kinds, ranges and help.");
    m.def("model_titles", &varno96::model_titles,
          "The garnet models' titles, as the menu shows them.");
}
