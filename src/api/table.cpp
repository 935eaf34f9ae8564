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
    return how;
}

std::vector<sample_unit> sample_units(const std::vector<sample_input> &samples, combine_mode mode,
                                      front_end words) {
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
            u.problem = line_place(s, s.line) + ": sample " + clipped(s.name) +
                        " has " + counts + "; " +
                        option_either(words, option_of(&batch_options::combine), "mean", "each") + " uses them";
            u.several = true;
        }
        if (!u.problem.empty()) {
            units.push_back(std::move(u));
            continue;
        }
        const std::size_t combinations =
            s.analyses[0].size() * s.analyses[1].size() * s.analyses[2].size();
        if (mode == combine_mode::each && combinations > max_combinations) {
            u.problem = line_place(s, s.line) + ": sample " + clipped(s.name) +
                        " has " + std::to_string(combinations) +
                        " combinations of its analyses, more than " +
                        std::to_string(max_combinations) + "; " +
                        option_words(words, option_of(&batch_options::combine), "mean") + " uses them all";
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

namespace {

// The length of the UTF-8 character at text[i], or 0 for a byte that starts none or one cut
// short, overlong or a surrogate.
std::size_t utf8_length(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const unsigned c = at(0);
    const std::size_t n = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (n == 0) return 0;
    const unsigned second = at(1);
    const unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < n; k++)
        if ((at(k) & 0xC0) != 0x80) return 0;
    return n;
}

// `text` with its control characters (C0, DEL, and C1 in UTF-8) escaped as \0, \n, \r, \t or
// \xHH, and with `bytes` also each byte that is no part of a UTF-8 character; all else as it is.
// Without `bytes` (a table's cell) tabs and line ends stay: a quoted field holds them.
std::string escaped(std::string_view text, bool bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const auto plain = [bytes](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 0x20 && u < 0x7F) || (!bytes && (c == '\t' || c == '\n' || c == '\r'));
    };
    if (std::all_of(text.begin(), text.end(), plain)) return std::string(text);
    std::string line;
    line.reserve(text.size() + 8);
    const auto escape = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
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
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u < 0x80) {
            if (plain(text[i]))
                line += text[i];
            else
                escape(text[i]);
            i++;
            continue;
        }
        const std::size_t n = utf8_length(text, i);
        if (n == 2 && u == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            escape(text[i]); // U+0080 to U+009F: the C1 controls, CSI among them
            escape(text[i + 1]);
        } else if (n > 0) {
            line.append(text, i, n);
        } else if (bytes) {
            escape(text[i]);
        } else {
            line += text[i];
        }
        i += n > 0 ? n : 1;
    }
    return line;
}

} // namespace

std::string message_line(std::string_view message) { return escaped(message, true); }

std::string cell_text(std::string_view text) { return escaped(text, false); }

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
