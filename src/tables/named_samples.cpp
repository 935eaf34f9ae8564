// Rows read into samples: each oxide cell read, the rows of a sample gathered, and what the
// rows leave unused said.
#include "tables/named_rows.hpp"

#include "io/io.hpp"

#include <algorithm>
#include <map>
#include <optional>
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

namespace {

// A label that is a whole number written with a point, as a spreadsheet writes a number
// column ("31.0"), written as the whole number.
std::string label_of(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0) return std::string(text);
    const std::size_t sign = text[0] == '-' || text[0] == '+';
    const std::string_view whole = text.substr(sign, point - sign),
                           fraction = text.substr(point + 1);
    const auto digits = [](std::string_view d, bool some) {
        return (!some || !d.empty()) &&
               std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(whole, true) || fraction.empty() ||
        fraction.find_first_not_of('0') != std::string_view::npos)
        return std::string(text);
    return std::string(text.substr(0, point));
}

// The columns that may name the samples of a table without a sample column: those of no use
// that hold text and several values.
class sample_candidates {
public:
    explicit sample_candidates(const std::vector<std::size_t> &columns) : seen_(columns.size()) {
        for (std::size_t i = 0; i < columns.size(); i++) seen_[i].column = columns[i];
    }
    // `comma`: a number may have a decimal comma, as the table's cells are read.
    template <class Rows> void look(const Rows &rows, bool comma) {
        for (column &c : seen_) {
            if (c.several && c.text) continue;
            const std::string_view v = rows.field(c.column);
            if (v.empty()) continue;
            REAL x = 0;
            c.text = c.text || detail::read_number(v, comma, x) == detail::cell_kind::not_a_number;
            if (!c.first)
                c.first = std::string(v);
            else
                c.several = c.several || *c.first != v;
        }
    }
    std::vector<std::string> names(const std::vector<std::string> &header) const {
        std::vector<std::string> out;
        for (const column &c : seen_)
            if (c.several && c.text) out.push_back(quoted(header[c.column]));
        return out;
    }

private:
    struct column {
        std::size_t column = 0;
        std::optional<std::string> first;
        bool several = false, text = false;
    };
    std::vector<column> seen_;
};

// The Zr of a row: of a rutile row its Zr (ppm) or its ZrO2 (wt%), converted, never both; of
// a wide table's row its Zr_rt_ppm. No value where the cell is empty, below detection or 0.
struct zr_read {
    std::optional<double> ppm;
    std::optional<std::string> problem;
};
template <class Rows>
zr_read read_zr(const Rows &rows, const layout &lay, bool comma, bool long_row) {
    zr_read out;
    const auto cell = [&](int c, REAL &x) {
        bool has = false;
        if (c < 0) return std::pair(cell_reading::below_detection, false);
        const cell_reading r = rows.oxide(static_cast<std::size_t>(c), comma, x, has);
        return std::pair(r, has);
    };
    REAL zr = 0, zro2 = 0;
    const auto [r_zr, has_zr] = cell(lay.zr, zr);
    const auto [r_zro2, has_zro2] = cell(long_row ? lay.zro2 : -1, zro2);
    if (has_zr && has_zro2) {
        out.problem = "a rutile row with both Zr (ppm) and ZrO2 (wt%): give one of them";
        return out;
    }
    const bool ppm = has_zr;
    const cell_reading r = ppm ? r_zr : r_zro2;
    const int c = ppm ? lay.zr : lay.zro2;
    if (r == cell_reading::not_a_number) {
        out.problem =
            detail::joined({"the rutile's ", ppm ? "Zr " : "ZrO2 ",
                            quoted(rows.field(static_cast<std::size_t>(c))), " is not a number"});
        return out;
    }
    const double x = ppm ? zr : zro2 * 1e4 * zr_per_zro2; // ZrO2 wt% to Zr ppm
    if (r == cell_reading::value && x > 0) out.ppm = x;
    return out;
}

} // namespace

// Reads the rows into samples: in.samples, their problems, and what the rows leave unused in
// in.warnings. With `apart`, each row of a wide table is a sample of its own.
template <class Rows>
void read_rows(Rows &rows, const std::string &file, const layout &lay,
               const std::vector<std::string> &header, const std::vector<std::size_t> &headless,
               bool comma, bool apart, const std::function<std::string(std::size_t)> &row_name_of,
               const std::function<std::string(int)> *place, std::size_t rows_expected,
               const reading &how, file_input &in) {
    const auto at_line = [&](int l) {
        return place && *place ? (*place)(l) : detail::joined({file, " line ", std::to_string(l)});
    };
    // Room, never touched unless used, for as many samples as rows: growing would hold the
    // samples twice while they move.
    in.samples.reserve(rows_expected);
    std::unordered_map<std::string, std::size_t> index;
    std::map<std::string, int> others; // rows of other minerals, by name quoted
    std::vector<remarks> problems;     // of each sample
    std::vector<int> empty_rows, zr_empty_rows;
    const std::string file_sample = file == "-" ? "standard input" : base_name(file);
    std::map<std::size_t, int>
        headless_used;           // a column without heading, the first line with a value
    std::size_t last_sample = 0; // rows of one sample usually follow each other
    int line = 0;
    apart = apart && lay.wide;
    in.wide = lay.wide;
    const sample_naming naming = lay.sample >= 0 ? sample_naming::column
                                 : lay.wide      ? sample_naming::row
                                                 : sample_naming::file;
    sample_candidates candidates(naming == sample_naming::file ? lay.others
                                                               : std::vector<std::size_t>());
    const auto field_of = [&](std::size_t c) { return rows.field(c); };
    while (rows.next(line)) {
        const auto where = [&] { return at_line(line); };
        const auto where_column = [&](std::size_t col) {
            return detail::joined({at_line(line), ", column ", header[col]});
        };
        std::string row_name;
        if (naming == sample_naming::row) {
            const auto r = static_cast<std::size_t>(rows.number() - 1);
            row_name = row_name_of ? row_name_of(r) : "row " + std::to_string(rows.number());
        }
        const std::string_view name =
            naming == sample_naming::column ? rows.field(static_cast<std::size_t>(lay.sample))
            : naming == sample_naming::row  ? std::string_view(row_name)
                                            : std::string_view(file_sample);
        std::size_t k0 = 0;
        std::string other;       // a mineral of no use, quoted
        bool rutile_row = false; // a rutile analysis: its Zr only
        if (!lay.wide) {
            const std::string_view cell =
                lay.mineral_col >= 0 ? rows.field(static_cast<std::size_t>(lay.mineral_col))
                                     : std::string_view();
            mineral m = mineral_of(cell, true);
            rutile_row = lay.only == mineral::unknown && m == mineral::unknown &&
                         (lay.zr >= 0 || lay.zro2 >= 0) && rutile_of(cell, true);
            // A table of one mineral: a row that names another, or none the reader knows, is
            // not of it; one that names none is.
            if (lay.rutile_only) {
                rutile_row = cell.empty() || rutile_of(cell, true);
                if (!rutile_row) other = quoted(cell);
            } else if (lay.only != mineral::unknown) {
                if (cell.empty()) m = lay.only;
                if (m != lay.only) other = quoted(cell);
            } else if (m == mineral::unknown && !rutile_row) {
                others[quoted(cell.empty() ? "(none)" : cell)]++;
                continue;
            }
            // A row of another mineral is counted alone, as of the table's mineral.
            k0 = rutile_row || lay.rutile_only
                     ? 0
                     : static_cast<std::size_t>(other.empty() ? m : lay.only);
            if (other.empty() && !rutile_row && !lay.unchoosable[k0].empty()) {
                in.error = lay.unchoosable[k0];
                in.samples.clear();
                return;
            }
        }
        // The minerals of the row chosen, and those left out by the choice of spots.
        const std::size_t k_first = lay.wide ? 0 : k0, k_last = lay.wide ? 2 : k0;
        std::array<bool, 3> take{};
        bool any = false;
        for (std::size_t k = k_first; k <= k_last; k++) {
            take[k] = other.empty() && chosen(lay, k, field_of);
            any = any || take[k];
        }
        any = any || rutile_row;
        if (apart) {
            last_sample = in.samples.size();
            in.samples.push_back(sample_input{file, std::string(name), line, {}, {}});
            in.samples.back().place = place;
            in.samples.back().naming = naming;
            problems.emplace_back();
        } else if (in.samples.empty() || in.samples[last_sample].name != name) {
            const auto [it, added] = index.try_emplace(std::string(name), in.samples.size());
            if (added) {
                in.samples.push_back(sample_input{file, std::string(name), line, {}, {}});
                in.samples.back().place = place;
                in.samples.back().naming = naming;
                problems.emplace_back();
            }
            last_sample = it->second;
        }
        sample_input &s = in.samples[last_sample];
        remarks &problem = problems[last_sample];
        if (!other.empty()) {
            s.others[other]++;
            continue;
        }
        if (!any) {
            in.unchosen_rows++;
            for (std::size_t k = k_first; k <= k_last; k++) s.unchosen[k]++;
            continue;
        }
        if (naming == sample_naming::column && name.empty())
            problem.add(where(),
                        "the " + header[static_cast<std::size_t>(lay.sample)] + " cell is empty",
                        {}, "row");
        if (const std::string why = rows.width_problem(lay, header.size()); !why.empty()) {
            problem.add(where(), why, {}, "row");
            continue;
        }
        for (const std::size_t c : headless)
            if (!rows.field(c).empty()) headless_used.emplace(c, line);
        candidates.look(rows, comma);
        if (rutile_row || (lay.wide && lay.zr >= 0)) {
            const auto zr = read_zr(rows, lay, comma, rutile_row);
            if (zr.problem)
                problem.add(where(), *zr.problem, {}, "row");
            else if (zr.ppm)
                s.rutile.push_back({*zr.ppm, line,
                                    lay.label >= 0
                                        ? label_of(rows.field(static_cast<std::size_t>(lay.label)))
                                        : std::string()});
            else if (rutile_row)
                zr_empty_rows.push_back(line);
            if (rutile_row) continue;
        }
        for (std::size_t k = k_first; k <= k_last; k++) {
            if (!take[k]) {
                s.unchosen[k]++;
                continue;
            }
            const std::size_t set = lay.wide ? k : 0;
            analysis a;
            a.line = line;
            if (lay.label >= 0) a.label = label_of(rows.field(static_cast<std::size_t>(lay.label)));
            bool has = false;
            // Oxide i (0: Cr2O3, which alone does not make a row an analysis) from column col.
            const auto read_oxide = [&](int i, std::size_t col, REAL &x) {
                bool filled = false;
                const cell_reading got = rows.oxide(col, comma, x, i > 0 ? has : filled);
                switch (got) {
                case cell_reading::value:
                    break;
                case cell_reading::below_detection:
                    // A word for it ("n.d.", "bdl", "<0.01", "-"); an empty cell is said once
                    // for the file, as a missing column is.
                    if (rows.field(col).empty()) break;
                    if (i > 0 && major_oxide(k, i))
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
            };
            for (int i = 1; i <= NEL; i++) {
                const int c = lay.at[set][static_cast<std::size_t>(i)] - 1;
                if (c >= 0) read_oxide(i, static_cast<std::size_t>(c), a.wt[i]);
            }
            if (const int c = lay.cr2o3[set]; c >= 0)
                read_oxide(0, static_cast<std::size_t>(c), a.cr2o3);
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
    // Samples of which the choice of spots left no row are no samples: they are counted.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < in.samples.size(); i++) {
        sample_input &s = in.samples[i];
        const bool none = std::all_of(s.analyses.begin(), s.analyses.end(),
                                      [](const auto &a) { return a.empty(); });
        const int left_out = s.unchosen[0] + s.unchosen[1] + s.unchosen[2];
        if (none && left_out > 0 && problems[i].empty() && s.others.empty()) {
            if (s.naming == sample_naming::column) in.unchosen_samples.push_back(quoted(s.name));
            continue;
        }
        for (std::size_t k = 0; k < 3; k++) s.seen[k] = static_cast<int>(s.analyses[k].size());
        if (!how.joined)
            for (std::size_t k = 0; k < 3; k++)
                if (s.analyses[k].empty())
                    problems[i].add(at_line(s.line),
                                    detail::joined({"no ", mineral_names[k], " analysis of sample ",
                                                    clipped(s.name)}));
        s.problem = problems[i].text();
        if (kept != i) in.samples[kept] = std::move(s);
        kept++;
    }
    in.samples.resize(kept);
    // A table without a sample column is one sample: said when that sample has several
    // analyses of a mineral, with the columns that may name samples.
    if (naming == sample_naming::file && !in.samples.empty()) {
        sample_input &s = in.samples.front();
        std::array<int, 3> n{};
        for (std::size_t k = 0; k < 3; k++) n[k] = static_cast<int>(s.analyses[k].size());
        if (std::any_of(n.begin(), n.end(), [](int c) { return c > 1; })) {
            in.one_sample = n;
            s.unnamed = candidates.names(header);
        }
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
    if (lay.only != mineral::unknown || lay.rutile_only) {
        std::map<std::string, int> left;
        for (const sample_input &s : in.samples)
            for (const auto &[name, n] : s.others) left[name] += n;
        std::vector<std::string> names;
        for (const auto &[name, n] : left) names.push_back(name + " (" + std::to_string(n) + ")");
        if (!names.empty())
            in.warnings.push_back(
                file + ": rows of other minerals than " +
                (lay.rutile_only ? "rutile" : mineral_names[static_cast<std::size_t>(lay.only)]) +
                " left out: " + list(names));
    }
    if (!zr_empty_rows.empty()) {
        std::vector<std::string> lines;
        for (int l : zr_empty_rows) lines.push_back(std::to_string(l));
        in.warnings.push_back(file + ": rutile rows without a Zr value above 0 ignored, on line" +
                              (lines.size() > 1 ? "s " : " ") + list(lines));
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
                        const std::function<std::string(int)> *, std::size_t, const reading &,
                        file_input &);
template void read_rows(column_rows &, const std::string &, const layout &,
                        const std::vector<std::string> &, const std::vector<std::size_t> &, bool,
                        bool, const std::function<std::string(std::size_t)> &,
                        const std::function<std::string(int)> *, std::size_t, const reading &,
                        file_input &);

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
