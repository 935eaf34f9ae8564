#include "api/table.hpp"

#include "api/options.hpp"

#include "io/io.hpp"
#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

namespace varno96 {

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<const char *, 3> short_names{"grt", "cpx", "phe"};

cell text_cell(std::string text) { return {std::move(text), none}; }

// Fixed notation with d decimals, as the report rounds; empty when there is no value.
cell number_cell(const std::optional<double> &x, int d) {
    if (!x || !std::isfinite(*x)) return {{}, none};
    return {FMT(*x, 0, d), *x};
}

cell integer_cell(long long n) { return {std::to_string(n), static_cast<double>(n)}; }

void append(std::string &to, const std::string &what) {
    if (what.empty()) return;
    to += (to.empty() ? "" : "; ") + what;
}

std::string count(std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

std::string option_error(const batch_options &o) {
    const auto refusal = check_options(o);
    return refusal ? command_line_words(*refusal) : std::string();
}

choices choices_of(const batch_options &o) {
    choices how;
    how.model = static_cast<int>(o.model);
    how.one_site = o.one_site;
    how.t_c = o.temperature;
    how.powell = o.powell;
    how.at_c = o.at;
    how.uncertainty = o.uncertainty;
    how.monte_carlo = o.monte_carlo;
    how.seed = static_cast<std::int16_t>(o.seed ? *o.seed : CLOCKSEED());
    how.thermometers = o.thermometers;
    how.estimate_ferric = o.estimate_ferric;
    how.ferric_each_run = o.ferric_each_run;
    return how;
}

std::optional<combine_mode> combine_of(std::string_view word) {
    if (word == "mean") return combine_mode::mean;
    if (word == "each") return combine_mode::each;
    return std::nullopt;
}

std::vector<sample_unit> sample_units(const std::vector<sample_input> &samples, combine_mode mode) {
    std::vector<sample_unit> units;
    units.reserve(samples.size());
    for (const sample_input &s : samples) {
        sample_unit u;
        u.in = &s;
        for (std::size_t k = 0; k < 3; k++) u.count[k] = static_cast<int>(s.analyses[k].size());
        u.problem = s.problem;
        const bool repeated =
            std::any_of(u.count.begin(), u.count.end(), [](int n) { return n > 1; });
        if (u.problem.empty() && repeated && mode == combine_mode::none) {
            std::string counts;
            for (std::size_t k = 0; k < 3; k++)
                if (u.count[k] > 1)
                    counts += (counts.empty() ? "" : ", ") +
                              count(static_cast<std::size_t>(u.count[k]),
                                    (std::string(mineral_names[k]) + " analyse").c_str());
            u.problem = s.file + " line " + std::to_string(s.line) + ": sample " + clipped(s.name) +
                        " has " + counts + "; --combine mean or --combine each uses them";
        }
        if (!u.problem.empty()) {
            units.push_back(std::move(u));
            continue;
        }
        const std::size_t combinations =
            s.analyses[0].size() * s.analyses[1].size() * s.analyses[2].size();
        if (mode == combine_mode::each && combinations > max_combinations) {
            u.problem = s.file + " line " + std::to_string(s.line) + ": sample " + clipped(s.name) +
                        " has " + std::to_string(combinations) +
                        " combinations of its analyses, more than " +
                        std::to_string(max_combinations) + "; --combine mean uses them all";
            units.push_back(std::move(u));
            continue;
        }
        if (mode == combine_mode::each) {
            for (const analysis &g : s.analyses[0])
                for (const analysis &c : s.analyses[1])
                    for (const analysis &m : s.analyses[2]) {
                        sample_unit e = u;
                        e.count = {1, 1, 1};
                        e.wt = {g.wt, c.wt, m.wt};
                        std::size_t k = 0;
                        remarks notes;
                        for (const analysis *a : {&g, &c, &m}) {
                            notes.add(a->notes);
                            e.labels[k++] =
                                a->label.empty() ? "line " + std::to_string(a->line) : a->label;
                        }
                        e.note = notes.text();
                        units.push_back(std::move(e));
                    }
            continue;
        }
        // One analysis, or the oxide-by-oxide mean of several, of each mineral.
        VECTOR *wt[3] = {&u.wt.grt, &u.wt.cpx, &u.wt.mica};
        remarks notes;
        for (std::size_t k = 0; k < 3; k++) {
            const auto &list = s.analyses[k];
            for (int i = 1; i <= NEL; i++) {
                REAL sum = 0;
                for (const analysis &a : list) sum += a.wt[i];
                (*wt[k])[i] = list.size() == 1 ? sum : sum / static_cast<REAL>(list.size());
            }
            for (const analysis &a : list) notes.add(a.notes);
        }
        u.note = notes.text();
        units.push_back(std::move(u));
    }
    return units;
}

std::vector<column> result_columns(const batch_options &o) {
    using c = column;
    std::vector<column> cols{{"file", c::text},
                             {"sample", c::text},
                             {"model", c::integer},
                             {"cpx", c::text},
                             {"T_C", c::number},
                             {"P_kbar", c::number},
                             {"P_minus50_kbar", c::number},
                             {"P_plus50_kbar", c::number},
                             {"lna_prp", c::number},
                             {"lna_grs", c::number},
                             {"lna_di", c::number},
                             {"lna_mica", c::number},
                             {"lnK", c::number},
                             {"T_powell_C", c::number},
                             {"note", c::text}};
    if (o.combine == combine_mode::mean)
        for (const char *m : short_names) cols.push_back({std::string("n_") + m, c::integer});
    // Not "cpx": that column already names the clinopyroxene model.
    if (o.combine == combine_mode::each)
        for (const char *m : short_names) cols.push_back({std::string(m) + "_label", c::text});
    if (o.monte_carlo)
        for (const char *name :
             {"mc_seed", "P1_mean_kbar", "P1_sd_kbar", "P2_mean_kbar", "P2_sd_kbar", "T1_mean_C",
              "T1_sd_C", "T2_mean_C", "T2_sd_C", "mc_left_out"})
            cols.push_back(
                {name, name == std::string("mc_seed") || name == std::string("mc_left_out")
                           ? c::integer
                           : c::number});
    for (const thermometry::key k : o.thermometers) {
        const std::string key(thermometry::about(k).name);
        cols.push_back({"T_" + key + "_C", c::number});
        cols.push_back({"P_" + key + "_kbar", c::number});
        if (o.monte_carlo) {
            cols.push_back({"T_" + key + "_sd_C", c::number});
            cols.push_back({"P_" + key + "_sd_kbar", c::number});
            cols.push_back({"rho_" + key, c::number});
            cols.push_back({"n_" + key, c::integer});
        }
    }
    if (o.formulae)
        for (const char *m : short_names) {
            for (int i = 1; i <= NEL; i++)
                cols.push_back({std::string(m) + "_" + oxide_names[static_cast<std::size_t>(i - 1)],
                                c::number});
            cols.push_back({std::string(m) + "_total", c::number});
            for (int i = 1; i <= NEL; i++)
                cols.push_back(
                    {std::string(m) + "_" + cation_names[static_cast<std::size_t>(i - 1)],
                     c::number});
            cols.push_back({std::string(m) + "_sum", c::number});
        }
    return cols;
}

std::vector<cell> result_cells(const sample_unit &u, const sample_result &r, const choices &how,
                               const batch_options &o) {
    using opt = std::optional<double>;
    const bool ok = u.problem.empty() && r.ok;
    const table_row &mid = r.rows[1];
    const auto value = [&](double x, int d) { return number_cell(ok ? opt(x) : opt(), d); };
    std::string note = u.problem;
    if (u.problem.empty()) {
        note = u.note;
        append(note, r.note);
        if (r.ok)
            for (std::size_t k = 0; k < o.thermometers.size() && k < r.intersections.size(); k++)
                if (!r.intersections[k].note.empty())
                    append(note, std::string(thermometry::about(o.thermometers[k]).name) + ": " +
                                     r.intersections[k].note);
    }
    std::vector<cell> f{text_cell(u.in->file),
                        text_cell(u.in->name),
                        integer_cell(how.model),
                        text_cell(how.one_site ? "1-site" : "2-site"),
                        value(mid.t_c, 0),
                        value(r.rows[1].p_kbar, 2),
                        value(r.rows[0].p_kbar, 2),
                        value(r.rows[2].p_kbar, 2),
                        value(mid.lna_prp, 4),
                        value(mid.lna_grs, 4),
                        value(mid.lna_di, 4),
                        value(mid.lna_mica, 4),
                        value(mid.lnk, 4),
                        number_cell(ok ? r.t_powell : opt(), 0),
                        text_cell(note)};
    if (o.combine == combine_mode::mean)
        for (int n : u.count) f.push_back(integer_cell(n));
    if (o.combine == combine_mode::each)
        for (const std::string &label : u.labels) f.push_back(text_cell(label));
    if (o.monte_carlo) {
        f.push_back(integer_cell(how.seed));
        const pass_result blank;
        const bool passes = ok && r.passes;
        const pass_result &p1 = passes ? (*r.passes)[0] : blank;
        const pass_result &p2 = passes ? (*r.passes)[1] : blank;
        for (const cell &c :
             {number_cell(p1.p_mean, 3), number_cell(p1.p_sd, 3), number_cell(p2.p_mean, 3),
              number_cell(p2.p_sd, 3), number_cell(p1.t_mean, 0), number_cell(p1.t_sd, 0),
              number_cell(p2.t_mean, 0), number_cell(p2.t_sd, 0)})
            f.push_back(c);
        f.push_back(passes ? integer_cell(p1.left_out + p2.left_out) : text_cell({}));
    }
    for (std::size_t k = 0; k < o.thermometers.size(); k++) {
        const intersection blank;
        const intersection &x = ok && k < r.intersections.size() ? r.intersections[k] : blank;
        for (const cell &c : {number_cell(x.t_c, 1), number_cell(x.p_kbar, 2)}) f.push_back(c);
        if (o.monte_carlo) {
            for (const cell &c :
                 {number_cell(x.t_sd, 1), number_cell(x.p_sd, 2), number_cell(x.rho, 3)})
                f.push_back(c);
            f.push_back(ok && r.passes ? integer_cell(x.runs) : text_cell({}));
        }
    }
    if (o.formulae)
        for (const std::optional<formula> &m : r.formulae) {
            const bool shown = u.problem.empty() && m.has_value();
            for (int i = 1; i <= NEL; i++)
                f.push_back(number_cell(shown ? opt(m->wt[i]) : opt(), 2));
            f.push_back(number_cell(shown ? opt(m->total) : opt(), 2));
            for (int i = 1; i <= NEL; i++)
                f.push_back(number_cell(shown ? opt(m->cat[i]) : opt(), 3));
            f.push_back(number_cell(shown ? opt(m->sum) : opt(), 3));
        }
    return f;
}

std::vector<column> pair_columns(const batch_options &o) {
    using c = column;
    std::vector<column> cols{{"file", c::text},
                             {"sample", c::text},
                             {"pass", c::integer},
                             {"T_C", c::number},
                             {"P_kbar", c::number}};
    if (o.combine == combine_mode::each)
        for (const char *m : short_names) cols.push_back({std::string(m) + "_label", c::text});
    for (const thermometry::key k : o.thermometers) {
        const std::string key(thermometry::about(k).name);
        cols.push_back({"T_" + key + "_C", c::number});
        cols.push_back({"P_" + key + "_kbar", c::number});
    }
    return cols;
}

std::vector<std::vector<cell>> pair_cells(const sample_unit &u, const sample_result &r,
                                          const batch_options &o) {
    std::vector<std::vector<cell>> rows;
    if (!u.problem.empty() || !r.ok || !r.passes) return rows;
    for (int j = 1; j <= 2; j++) {
        const pass_result &pass = (*r.passes)[static_cast<std::size_t>(j - 1)];
        for (std::size_t n = 0; n < pass.pairs.size(); n++) {
            const auto &[t, p] = pass.pairs[n];
            std::vector<cell> row{text_cell(u.in->file),
                                  text_cell(u.in->name),
                                  integer_cell(j),
                                  {FMT(t, 0, 0), t},
                                  {FMT(p, 0, 2), p}};
            if (o.combine == combine_mode::each)
                for (const std::string &label : u.labels) row.push_back(text_cell(label));
            // The intersections of the run, pass 2 only, with the digits of the table.
            for (std::size_t k = 0; k < o.thermometers.size(); k++) {
                std::optional<std::pair<double, double>> x;
                if (n < pass.intersections.size() && k < pass.intersections[n].size())
                    x = pass.intersections[n][k];
                row.push_back(number_cell(x ? std::optional(x->first) : std::nullopt, 1));
                row.push_back(number_cell(x ? std::optional(x->second) : std::nullopt, 2));
            }
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csv_line(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); i++) line += (i ? "," : "") + csv_field(fields[i]);
    return line + "\r\n";
}

std::string csv_line(const std::vector<cell> &cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); i++) {
        if (i) line += ',';
        line += csv_field(cells[i].text);
    }
    return line + "\r\n";
}

std::string csv_header(const std::vector<column> &columns) {
    std::vector<std::string> names;
    for (const column &c : columns) names.push_back(c.name);
    return csv_line(names);
}

void compute_units(const std::vector<sample_unit> &units, const choices &how, unsigned threads,
                   const std::function<void(std::size_t, const sample_result &)> &row,
                   const std::function<void(std::size_t, std::size_t)> &progress) {
#ifdef __EMSCRIPTEN__
    threads = 1; // one thread per Web Worker
#endif
    const auto one = [&](const sample_unit &u) {
        if (!u.problem.empty()) return sample_result{};
        if (!u.t_c) return compute_sample(u.wt, how);
        choices own = how;
        own.t_c = *u.t_c;
        return compute_sample(u.wt, own);
    };
    if (threads <= 1 || units.size() < 2) {
        for (std::size_t i = 0; i < units.size(); i++) {
            if (progress) progress(i, units.size());
            row(i, one(units[i]));
        }
        if (progress) progress(units.size(), units.size());
        return;
    }
    // `threads` workers compute the units in order of taking; this thread hands each result to
    // `row` as soon as the results before it are handed on, so that writing the rows overlaps
    // the computing. A window bounds the results waiting (Monte-Carlo pairs included).
    const std::size_t n = units.size(), window = std::min<std::size_t>(n, 64 * threads);
    std::vector<sample_result> slots(window);
    std::vector<char> ready(window, 0);
    std::mutex m;
    std::condition_variable done, room;
    std::size_t next = 0, handed = 0; // units taken by a worker, and handed to `row`
    bool stop = false;
    std::exception_ptr failure;
    const auto fail = [&](std::exception_ptr e) { // with m held
        if (!failure) failure = e;
        stop = true;
        done.notify_all();
        room.notify_all();
    };
    const auto work = [&] {
        std::unique_lock lock(m);
        for (;;) {
            room.wait(lock, [&] { return stop || next >= n || next < handed + window; });
            if (stop || next >= n) return;
            const std::size_t i = next++;
            lock.unlock();
            sample_result r;
            try {
                r = one(units[i]);
            } catch (...) {
                lock.lock();
                fail(std::current_exception());
                return;
            }
            lock.lock();
            slots[i % window] = std::move(r);
            ready[i % window] = 1;
            if (i == handed) done.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads && t < n; t++) pool.emplace_back(work);
    try {
        for (std::size_t i = 0; i < n; i++) {
            std::unique_lock lock(m);
            done.wait(lock, [&] { return stop || ready[i % window]; });
            if (stop) break;
            const sample_result r = std::move(slots[i % window]);
            ready[i % window] = 0;
            lock.unlock();
            if (progress) progress(i, n);
            row(i, r);
            lock.lock();
            handed = i + 1;
            room.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(m);
        fail(std::current_exception());
    }
    for (std::thread &t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    if (progress) progress(n, n);
}

std::string unit_name(const sample_unit &u) {
    std::string name = u.in->name;
    if (!u.labels[0].empty()) name += " " + u.labels[0] + "/" + u.labels[1] + "/" + u.labels[2];
    return name;
}

std::string batch_title(const std::vector<std::string> &files, const choices &how) {
    std::string title;
    for (const std::string &f : files)
        title += (title.empty() ? "" : ", ") + f.substr(f.find_last_of("/\\") + 1);
    title +=
        ": model " + std::to_string(how.model) + (how.one_site ? ", 1-site" : ", 2-site") + " Cpx";
    if (how.powell) title += ", Powell T";
    return title;
}

std::string message_line(std::string_view message) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(message.size());
    for (const char c : message) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            line += c;
            continue;
        }
        line += '\\';
        switch (c) {
        case '\0':
            line += '0';
            break;
        case '\n':
            line += 'n';
            break;
        case '\r':
            line += 'r';
            break;
        case '\t':
            line += 't';
            break;
        default:
            line += 'x';
            line += hex[u >> 4];
            line += hex[u & 0xF];
        }
    }
    return line;
}

std::string rows_summary(std::size_t without_result, std::size_t rows) {
    if (without_result == 0) return {};
    return grouped(without_result) + " of " + grouped(rows) + " row" + (rows == 1 ? "" : "s") +
           " without a result (" + (without_result == 1 ? "its" : "their") + " note says why)";
}

std::vector<std::string> file_messages(const file_input &in, const std::string &file) {
    std::vector<std::string> said = in.warnings;
    if (!in.error.empty())
        said.push_back(in.error);
    else if (in.samples.empty())
        said.push_back(file + ": no analysis after the header");
    return said;
}

} // namespace varno96
