// A batch run for the page: the tables as bytes in, run_batch with the page's words, and back
// the rows as text, the CSV files as bytes and the messages of varno96-batch.
#include "batch.hpp"

#include "api/cite.hpp"
#include "api/csv.hpp"
#include "api/words.hpp"
#include "checks.hpp"
#include "diagram.hpp"
#include "scene/text.hpp"
#include "tables.hpp"

#include <cstddef>
#include <exception>
#include <string>

namespace varno96::web {

using emscripten::val;

namespace {

val bytes_of(const std::string &s) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(s.size(), s.data()));
}

std::string string_of(const val &bytes) {
    std::string s(bytes["length"].as<std::size_t>(), '\0');
    val(emscripten::typed_memory_view(s.size(), s.data())).call<void>("set", bytes);
    return s;
}

} // namespace

batch::batch(const val &inputs, const val &fields, const val &progress) {
    const checked_options c = check(fields);
    if (!c.ok) {
        result_.set("optionErrors", c.errors);
        return;
    }
    o_ = c.o;
    try {
        run(inputs, progress);
    } catch (const std::exception &e) { result_.set("error", plot::utf8_text(e.what())); }
}

val batch::diagram(const val &figure) const {
    if (done_.points.empty()) return val::undefined();
    return web::diagram(done_.points, static_cast<int>(done_.rows - done_.points.size()), figure);
}

val batch::pairs() const {
    if (!o_.monte_carlo || results_.size() != units_.size()) return val::undefined();
    std::string csv = csv_header(pair_columns(o_));
    for (std::size_t i = 0; i < units_.size(); i++)
        for (const auto &row : pair_cells(units_[i], results_[i], o_)) append_csv_line(csv, row);
    return bytes_of(csv);
}

void batch::run(const val &inputs, const val &progress) {
    val messages = val::array();
    std::vector<table_text> tables;
    const auto n_inputs = inputs["length"].as<std::size_t>();
    for (std::size_t i = 0; i < n_inputs; i++)
        tables.push_back({inputs[i]["name"].as<std::string>(), string_of(inputs[i]["bytes"]), {}});
    std::string csv;
    // The rows' texts in one string, cells and rows apart by the unit and record separators,
    // which utf8_text leaves in no text.
    std::string texts;
    val ok_rows = val::array();
    batch_hooks hooks;
    hooks.words = front_end::page;
    hooks.points = true;
    hooks.message = [&](const std::string &said) {
        messages.call<void>("push", plot::utf8_text(said));
    };
    hooks.progress = [&](std::size_t done, std::size_t total) {
        if (!progress.isUndefined()) progress(done, total);
    };
    hooks.row = [&](const batch_row &r) {
        append_csv_line(csv, r.cells);
        for (std::size_t k = 0; k < r.cells.size(); k++)
            texts += (k ? "\x1f" : "") + plot::utf8_text(r.cells[k].text);
        texts += '\x1e';
        ok_rows.call<void>("push", r.ok);
        // The pairs file is made when asked for, after the table is shown.
        names_.push_back({r.unit.in->file, r.unit.in->name, 0, {}, {}});
        units_.push_back(r.unit);
        units_.back().in = &names_.back();
        results_.push_back(r.result);
    };
    done_ = run_batch(tables, o_, hooks);
    result_.set("columns", result_column_values(done_.columns, o_));
    result_.set("rows", texts);
    result_.set("ok", ok_rows);
    result_.set("messages", messages);
    result_.set("failed", done_.failed_rows + done_.failed_inputs);
    result_.set("hint", combine_hint(front_end::page, done_.several));
    // The control the hint's action sets, and to what: the mean of the analyses.
    const option_spec &combine = option_of(&batch_options::combine);
    result_.set("hintControl", std::string(combine.name));
    result_.set("hintValue", std::string("mean"));
    // The citation of exactly this run: its seed, drawn or given.
    batch_options ran = o_;
    if (ran.monte_carlo) ran.seed = done_.how.seed;
    result_.set("cite", cite_text(ran, trial_temperature::given, VARNO96_RELEASE));
    result_.set("bibtex", bytes_of(cite_bibtex(ran)));
    result_.set("seed", static_cast<int>(done_.how.seed));
    result_.set("csv", bytes_of(csv_header(done_.columns) + csv));
    result_.set("monteCarlo", o_.monte_carlo);
}

} // namespace varno96::web
