#include "frame.hpp"

#include "api/messages.hpp"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace varno96 {

value_columns::value_columns(std::vector<column> c) : columns(std::move(c)) {
    numbers.resize(columns.size());
    texts.resize(columns.size());
}

std::size_t value_columns::rows() const {
    if (columns.empty()) return 0;
    return columns[0].type == column::text ? texts[0].size() : numbers[0].size();
}

void value_columns::reserve(std::size_t rows) {
    for (std::size_t c = 0; c < columns.size(); c++)
        if (columns[c].type != column::text) numbers[c].reserve(rows);
}

void value_columns::add(const std::vector<cell> &row) {
    for (std::size_t c = 0; c < columns.size(); c++) {
        if (columns[c].type == column::text)
            texts[c].push_back(row[c].text);
        else
            numbers[c].push_back(row[c].value);
    }
}

call_result run_call(std::vector<call_input> &inputs, const call_options &c) {
    batch_options o = c.batch;
    // One seed for every input and part, drawn once when none is given.
    if (!o.seed) o.seed = choices_of(o).seed;
    call_result out{value_columns(result_columns(o)),
                    value_columns(pair_columns(o)),
                    {},
                    *o.seed,
                    {},
                    {},
                    0,
                    0};
    std::size_t expected = 0; // rows known in advance: a wide frame's
    for (const call_input &in : inputs)
        if (in.frame && in.frame->rows_apart) expected += in.frame->rows;
    out.rows.reserve(expected);

    auto last_check = std::chrono::steady_clock::now();
    batch_hooks hooks;
    hooks.threads = c.jobs;
    hooks.words = front_end::python;
    hooks.pairs = c.with_pairs;
    hooks.message = [&](const std::string &m) { out.messages.push_back(m); };
    hooks.unreadable = [](const std::string &, const std::string &error) {
        throw std::invalid_argument(error);
    };
    hooks.row = [&](const batch_row &r) {
        if (c.check) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last_check >= std::chrono::milliseconds(50)) {
                last_check = now;
                c.check();
            }
        }
        out.rows.add(r.cells);
        if (!r.ok) out.failed_rows++;
        for (const auto &p : r.pairs) out.pairs.add(p);
    };
    const auto by_name = [&](std::size_t, const sample_unit &u) {
        const auto it = c.sample_temperatures.find(u.in->name);
        if (it == c.sample_temperatures.end())
            throw std::invalid_argument("temperature: no value for sample " + u.in->name);
        return it->second;
    };
    if (c.zr_all || !c.sample_zr.empty())
        hooks.zr_ppm = [&](const sample_unit &u) -> std::optional<double> {
            if (c.zr_all) return c.zr_all;
            const auto it = c.sample_zr.find(u.in->name);
            if (it == c.sample_zr.end()) return std::nullopt;
            return it->second;
        };
    std::vector<table_text> one;
    if (o.join) { // the inputs read as one table: one batch, its rows those of no one input
        for (call_input &in : inputs) {
            one.emplace_back(in.name, in.frame ? std::string() : std::move(in.text));
            if (in.frame) one.back().columns = &*in.frame;
        }
        if (c.by_sample) hooks.temperature = by_name;
        const batch_summary done = run_batch(one, o, hooks);
        out.several += done.several;
        out.input_rows.push_back(out.rows.rows());
        out.input_wide.push_back(
            std::all_of(done.wide.begin(), done.wide.end(), [](bool w) { return w; }));
        return out;
    }
    // Each input a batch of its own: a sample name in several of them said once at the end.
    spread_samples spread;
    hooks.spread = &spread;
    for (call_input &in : inputs) {
        one.clear();
        one.emplace_back(in.name, in.frame ? std::string() : std::move(in.text));
        table_text &t = one.back();
        // A wide frame whose rows are samples apart is read and computed a part at a time, so
        // that no more than a part's samples are held at once.
        bool by_row = false;
        std::size_t part = static_cast<std::size_t>(-1), rows = 0;
        if (in.frame) {
            t.columns = &*in.frame;
            rows = in.frame->rows;
            if (in.frame->rows_apart && read_columns(*in.frame, 0, 0, false).wide) {
                part = std::max<std::size_t>(c.part, 1);
                by_row = !in.row_temperatures.empty();
            }
        }
        hooks.temperature = nullptr;
        if (by_row)
            hooks.temperature = [&](std::size_t, const sample_unit &u) {
                return in.row_temperatures[static_cast<std::size_t>(u.in->line - 2)];
            };
        else if (c.by_sample)
            hooks.temperature = by_name;
        const std::size_t before = out.rows.rows();
        bool wide = false;
        for (std::size_t first = 0;; first += part) {
            t.first = first;
            t.last = part == static_cast<std::size_t>(-1) ? part : first + part;
            const batch_summary done = run_batch(one, o, hooks);
            wide = done.wide.front();
            out.several += done.several;
            if (t.last >= rows) break;
        }
        out.input_rows.push_back(out.rows.rows() - before);
        out.input_wide.push_back(wide);
    }
    if (const std::string w = spread.warning(front_end::python); !w.empty())
        out.messages.push_back(message_line(w));
    return out;
}

} // namespace varno96
