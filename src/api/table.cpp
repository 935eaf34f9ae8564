#include "api/table.hpp"
#include "state/random.hpp"

#include "api/options.hpp"

#include "io/io.hpp"
#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

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
    how.seed = static_cast<std::int16_t>(o.seed ? *o.seed : clock_seed());
    how.thermometers = o.thermometers;
    return how;
}

std::optional<combine_mode> combine_of(std::string_view word) {
    if (word == "mean") return combine_mode::mean;
    if (word == "each") return combine_mode::each;
    return std::nullopt;
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
        if (o.monte_carlo)
            for (const cell &c :
                 {number_cell(x.t_sd, 1), number_cell(x.p_sd, 2), number_cell(x.rho, 3)})
                f.push_back(c);
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
