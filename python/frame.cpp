#include "frame.hpp"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace varno96 {

value_columns::value_columns(std::vector<column> c) : columns(std::move(c)) {
    numbers.resize(columns.size());
    texts.resize(columns.size());
}

std::size_t value_columns::rows() const {
    for (std::size_t c = 0; c < columns.size(); c++)
        return columns[c].type == column::text ? texts[c].size() : numbers[c].size();
    return 0;
}

void value_columns::add(const std::vector<cell> &row) {
    for (std::size_t c = 0; c < columns.size(); c++) {
        if (columns[c].type == column::text)
            texts[c].push_back(row[c].text);
        else
            numbers[c].push_back(row[c].value);
    }
}

namespace {

// The samples of one part read, computed, and their rows and pairs added in order.
void compute_part(const std::vector<sample_input> &samples, const call_input &in, bool by_row,
                  const choices &how, const call_options &o, call_result &out) {
    const std::vector<sample_unit> units = sample_units(samples, o.batch.combine);
    auto last_check = std::chrono::steady_clock::now();
    const auto check = [&] {
        if (!o.check) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_check < std::chrono::milliseconds(50)) return;
        last_check = now;
        o.check();
    };
    const auto temperature_of = [&](const sample_unit &u) {
        if (by_row)
            return in.row_temperatures[static_cast<std::size_t>(u.in->line - 2)];
        const auto it = o.sample_temperatures.find(u.in->name);
        if (it == o.sample_temperatures.end())
            throw std::invalid_argument("temperature: no value for sample " + u.in->name);
        return it->second;
    };
    if (!o.by_sample) {
        compute_units(units, how, o.jobs, [&](std::size_t i, const sample_result &r) {
            check();
            out.rows.add(result_cells(units[i], r, how, o.batch));
            if (o.with_pairs)
                for (const auto &p : pair_cells(units[i], r, o.batch)) out.pairs.add(p);
        });
        return;
    }
    // A temperature per sample: the units of each temperature computed together, as a call of
    // their own would compute them, and their rows put back in order.
    std::map<double, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < units.size(); i++) groups[temperature_of(units[i])].push_back(i);
    std::vector<std::vector<cell>> rows(units.size());
    std::vector<std::vector<std::vector<cell>>> pairs(o.with_pairs ? units.size() : 0);
    for (const auto &[t, members] : groups) {
        std::vector<sample_unit> part;
        part.reserve(members.size());
        for (const std::size_t i : members) part.push_back(units[i]);
        choices at = how;
        at.t_c = t;
        batch_options b = o.batch;
        b.temperature = t;
        compute_units(part, at, o.jobs, [&](std::size_t j, const sample_result &r) {
            check();
            rows[members[j]] = result_cells(part[j], r, at, b);
            if (o.with_pairs) pairs[members[j]] = pair_cells(part[j], r, b);
        });
    }
    for (std::size_t i = 0; i < units.size(); i++) {
        out.rows.add(rows[i]);
        if (o.with_pairs)
            for (const auto &p : pairs[i]) out.pairs.add(p);
    }
}

void add_messages(const file_input &in, const std::string &name, call_result &out) {
    for (std::string &m : file_messages(in, name)) out.messages.push_back(std::move(m));
}

} // namespace

call_result run_call(std::vector<call_input> &inputs, const call_options &o) {
    call_result out{value_columns(result_columns(o.batch)), value_columns(pair_columns(o.batch)),
                    {}, 0, {}, {}};
    const choices how = choices_of(o.batch);
    out.seed = how.seed;
    for (call_input &in : inputs) {
        // A wide frame whose rows are samples apart: a part at a time, so that no more than a
        // part's samples are held at once.
        const bool in_parts = in.frame && in.frame->rows_apart;
        const std::size_t rows = in.frame ? in.frame->rows : 0;
        const std::size_t part = in_parts ? std::max<std::size_t>(o.part, 1) : rows;
        std::size_t first = 0;
        const std::size_t before = out.rows.rows();
        bool wide = false;
        do {
            file_input read = in.frame ? read_columns(*in.frame, first, first + part, first == 0)
                                       : read_table(in.name, in.text);
            if (!read.error.empty()) throw std::invalid_argument(read.error);
            if (!in.frame) std::string().swap(in.text);
            add_messages(read, in.name, out);
            wide = read.wide;
            compute_part(read.samples, in, read.wide && !in.row_temperatures.empty(), how, o, out);
            first += part;
        } while (in_parts && first < rows);
        out.input_rows.push_back(out.rows.rows() - before);
        out.input_wide.push_back(wide);
    }
    return out;
}

} // namespace varno96
