// Rows read into samples: each oxide cell read, the rows of a sample gathered, and what the
// rows leave unused said.
#include "tables/named_rows.hpp"

#include "io/io.hpp"

#include <map>
#include <unordered_map>

namespace varno96::detail {

namespace {

std::string base_name(const std::string &file) {
    std::string name = file.substr(file.find_last_of("/\\") + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

cell_reading read_cell(std::string_view raw, bool comma, REAL &x) {
    switch (detail::read_number(raw, comma, x)) {
    case detail::cell_kind::below_detection:
        return cell_reading::below_detection;
    case detail::cell_kind::not_a_number:
        return cell_reading::not_a_number;
    case detail::cell_kind::value:
        break;
    }
    if (x < 0) {
        x = 0;
        return cell_reading::negative;
    }
    if (x == 0) x = 0; // no -0
    return cell_reading::value;
}

// Reads the rows into samples: in.samples, their problems, and what the rows leave unused in
// in.warnings. With `apart`, each row of a wide table is a sample of its own.
template <class Rows>
void read_rows(Rows &rows, const std::string &file, const layout &lay,
               const std::vector<std::string> &header, const std::vector<std::size_t> &headless,
               bool comma, bool apart, const std::function<std::string(std::size_t)> &row_name_of,
               const std::function<std::string(int)> *place, std::size_t rows_expected,
               file_input &in) {
    const auto at_line = [&](int l) {
        return place && *place ? (*place)(l) : detail::joined({file, " line ", std::to_string(l)});
    };
    // Room, never touched unless used, for as many samples as rows: growing would hold the
    // samples twice while they move.
    in.samples.reserve(rows_expected);
    std::unordered_map<std::string, std::size_t> index;
    std::map<std::string, int> others; // rows of other minerals, by name quoted
    std::vector<remarks> problems;     // of each sample
    std::vector<int> empty_rows;
    const std::string file_sample = file == "-" ? "standard input" : base_name(file);
    std::map<std::size_t, int>
        headless_used;           // a column without heading, the first line with a value
    std::size_t last_sample = 0; // rows of one sample usually follow each other
    int line = 0;
    apart = apart && lay.wide;
    in.wide = lay.wide;
    while (rows.next(line)) {
        const auto where = [&] { return at_line(line); };
        const auto where_column = [&](std::size_t col) {
            return detail::joined({at_line(line), ", column ", header[col]});
        };
        std::string row_name;
        if (lay.sample < 0 && lay.wide) {
            const auto r = static_cast<std::size_t>(rows.number() - 1);
            row_name = row_name_of ? row_name_of(r) : "row " + std::to_string(rows.number());
        }
        const std::string_view name = lay.sample >= 0
                                          ? rows.field(static_cast<std::size_t>(lay.sample))
                                      : lay.wide ? std::string_view(row_name)
                                                 : std::string_view(file_sample);
        std::size_t k0 = 0;
        if (!lay.wide) {
            const mineral m =
                mineral_of(rows.field(static_cast<std::size_t>(lay.mineral_col)), true);
            if (m == mineral::unknown) {
                const std::string_view what = rows.field(static_cast<std::size_t>(lay.mineral_col));
                others[quoted(what.empty() ? "(none)" : what)]++;
                continue;
            }
            k0 = static_cast<std::size_t>(m);
        }
        if (apart) {
            last_sample = in.samples.size();
            in.samples.push_back(sample_input{file, std::string(name), line, {}, {}});
            in.samples.back().place = place;
            problems.emplace_back();
        } else if (in.samples.empty() || in.samples[last_sample].name != name) {
            const auto [it, added] = index.try_emplace(std::string(name), in.samples.size());
            if (added) {
                in.samples.push_back(sample_input{file, std::string(name), line, {}, {}});
                in.samples.back().place = place;
                problems.emplace_back();
            }
            last_sample = it->second;
        }
        sample_input &s = in.samples[last_sample];
        remarks &problem = problems[last_sample];
        if (lay.sample >= 0 && name.empty())
            problem.add(where(),
                        "the " + header[static_cast<std::size_t>(lay.sample)] + " cell is empty",
                        {}, "row");
        if (const std::string why = rows.width_problem(lay, header.size()); !why.empty()) {
            problem.add(where(), why, {}, "row");
            continue;
        }
        for (const std::size_t c : headless)
            if (!rows.field(c).empty()) headless_used.emplace(c, line);
        for (std::size_t k = lay.wide ? 0 : k0; k <= (lay.wide ? 2 : k0); k++) {
            const std::size_t set = lay.wide ? k : 0;
            analysis a;
            a.line = line;
            if (lay.label >= 0) a.label = rows.field(static_cast<std::size_t>(lay.label));
            bool has = false;
            for (int i = 1; i <= NEL; i++) {
                const int c = lay.at[set][static_cast<std::size_t>(i)] - 1;
                if (c < 0) continue;
                const auto col = static_cast<std::size_t>(c);
                switch (rows.oxide(col, comma, a.wt[i], has)) {
                case cell_reading::value:
                    break;
                case cell_reading::below_detection:
                    // A word for it ("n.d.", "bdl", "<0.01", "-"); an empty cell is said once
                    // for the file, as a missing column is.
                    if (rows.field(col).empty()) break;
                    if (major_oxide(k, i))
                        problem.add(where_column(col),
                                    detail::joined({quoted(rows.field(col)),
                                                    " (below detection) in a major oxide of ",
                                                    mineral_names[k]}));
                    else
                        a.notes.add(where_column(col),
                                    quoted(rows.field(col)) + " below detection, read as 0",
                                    "below detection");
                    break;
                case cell_reading::negative:
                    a.notes.add(where_column(col),
                                clipped(rows.text(col)) + " below background, read as 0",
                                "below background");
                    break;
                case cell_reading::not_a_number:
                    problem.add(where_column(col),
                                detail::joined({quoted(rows.field(col)), " is not a number"}));
                    break;
                }
            }
            if (const int c = lay.total[set]; c >= 0) {
                REAL total = 0;
                bool filled = false;
                if (rows.oxide(static_cast<std::size_t>(c), comma, total, filled) ==
                    cell_reading::value)
                    a.total = total;
            }
            if (lay.fe2o3_total[set] && a.wt[FEO] != 0) {
                a.wt[FEO] = a.wt[FEO] * 0.89981; // FeO/Fe2O3 per iron: 71.846 / 79.845
                a.notes.add({}, "total iron given as Fe2O3 read as FeO (x 0.89981)");
            }
            if (!has) {
                if (!lay.wide) empty_rows.push_back(line);
                continue;
            }
            s.analyses[k].push_back(std::move(a));
        }
    }
    for (std::size_t i = 0; i < in.samples.size(); i++) {
        sample_input &s = in.samples[i];
        for (std::size_t k = 0; k < 3; k++)
            if (s.analyses[k].empty())
                problems[i].add(at_line(s.line),
                                detail::joined({"no ", mineral_names[k], " analysis of sample ",
                                                clipped(s.name)}));
        s.problem = problems[i].text();
    }
    for (const auto &[c, first] : headless_used)
        in.warnings.push_back(file + ": column " + std::to_string(c + 1) +
                              " has no heading: its values (from line " + std::to_string(first) +
                              ") are ignored");
    if (!others.empty()) {
        std::vector<std::string> names;
        for (const auto &[name, n] : others) names.push_back(name + " (" + std::to_string(n) + ")");
        in.warnings.push_back(file + ": rows of other minerals ignored: " + list(names));
    }
    if (!empty_rows.empty()) {
        std::vector<std::string> lines;
        for (int l : empty_rows) lines.push_back(std::to_string(l));
        in.warnings.push_back(file + ": rows without any oxide value ignored, on line" +
                              (lines.size() > 1 ? "s " : " ") + list(lines));
    }
}

template void read_rows(text_rows &, const std::string &, const layout &,
                        const std::vector<std::string> &, const std::vector<std::size_t> &, bool,
                        bool, const std::function<std::string(std::size_t)> &,
                        const std::function<std::string(int)> *, std::size_t, file_input &);
template void read_rows(column_rows &, const std::string &, const layout &,
                        const std::vector<std::string> &, const std::vector<std::size_t> &, bool,
                        bool, const std::function<std::string(std::size_t)> &,
                        const std::function<std::string(int)> *, std::size_t, file_input &);

cell_kind read_number(std::string_view raw, bool comma, REAL &x) {
    const std::string_view s = trimmed(raw);
    x = 0;
    if (s.empty() || s == "-" || s[0] == '<') return cell_kind::below_detection;
    if (std::isalpha(static_cast<unsigned char>(s[0])) && s.size() <= 6) {
        std::string w = lowered(s);
        for (const char *mark : {"n.d.", "n.d", "nd", "n.a.", "n.a", "na", "n/a", "bdl", "b.d.l.",
                                 "b.d.l", "bd", "b.d."})
            if (w == mark) return cell_kind::below_detection;
    }
    bool ok;
    if (comma && s.find(',') != std::string_view::npos && s.find('.') == std::string_view::npos &&
        std::count(s.begin(), s.end(), ',') == 1) {
        std::string t(s);
        t[t.find(',')] = '.';
        ok = READFIELD(t, x);
    } else if (s[0] == '.') {
        ok = READFIELD(std::string(s), x);
    } else {
        ok = READREAL(s, x);
    }
    return ok ? cell_kind::value : cell_kind::not_a_number;
}

} // namespace varno96::detail
