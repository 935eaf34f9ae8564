// Tables whose header row names the columns: the rows read into samples, from a text or from
// columns handed over (a DataFrame's).
#include "tables/named.hpp"

#include "io/io.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unordered_map>

namespace varno96 {

using namespace detail;

namespace {

enum class cell_reading { value, below_detection, negative, not_a_number };

// An oxide cell; a negative value is read as 0.
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

std::string base_name(const std::string &file) {
    std::string name = file.substr(file.find_last_of("/\\") + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The rows of a text, record by record: each field as the text has it.
class text_rows {
public:
    // `fields`: a vector to reuse, the header's.
    text_rows(records &rec, char sep, std::vector<std::string> fields)
        : rec_(rec), sep_(sep), fields_(std::move(fields)) {}

    bool next(int &line) {
        if (!rec_.next(fields_, line)) return false;
        number_++;
        return true;
    }
    int number() const { return number_; }
    std::string_view field(std::size_t c) const {
        return c < fields_.size() ? trimmed(fields_[c]) : std::string_view();
    }
    // A row cut short, or running on (a blank inside a field of a blank-separated table, a
    // decimal comma in a comma-separated one), would put values in the wrong columns.
    std::string width_problem(const layout &lay, std::size_t header_size) const {
        std::size_t width = fields_.size();
        while (width > 0 && trimmed(fields_[width - 1]).empty()) width--;
        if (fields_.size() > lay.last && width <= header_size) return {};
        const char *why = sep_ == 0     ? " (a blank inside a field moves the values along)"
                          : sep_ == ',' ? " (a decimal comma splits a value in two)"
                                        : "";
        return std::to_string(width) + " fields, the header has " + std::to_string(header_size) +
               why;
    }
    // An oxide cell: its reading, with `has` set when the cell is not empty.
    cell_reading oxide(std::size_t c, bool comma, REAL &x, bool &has) const {
        const std::string_view raw = field(c);
        has = has || !raw.empty();
        return read_cell(raw, comma, x);
    }
    std::string text(std::size_t c) const { return std::string(field(c)); }

private:
    records &rec_;
    char sep_;
    std::vector<std::string> fields_;
    int number_ = 0;
};

// The rows [first, last) of a table given as columns; the header is line 1, so row r is line
// r + 2. Rows without any value are left out, as blank lines of a text are.
class column_rows {
public:
    column_rows(const columns_input &t, std::size_t first, std::size_t last)
        : t_(t), row_(first), last_(last) {}
    std::size_t left() const { return last_ > row_ ? last_ - row_ : 0; }

    bool next(int &line) {
        for (; row_ < last_; row_++) {
            if (t_.rows_apart || !blank(row_)) {
                current_ = row_++;
                line = static_cast<int>(current_) + 2;
                return true;
            }
        }
        return false;
    }
    int number() const { return static_cast<int>(current_) + 1; }
    std::size_t row() const { return current_; }
    std::string_view field(std::size_t c) const {
        const table_column &col = t_.columns[c];
        if (!col.numbers) return trimmed(col.texts[current_]);
        const double x = col.numbers[current_];
        if (std::isnan(x)) return {};
#if defined(__GLIBCXX__)
        return {buffer_, std::to_chars(buffer_, buffer_ + sizeof buffer_, x).ptr};
#else
        // The shortest of 15 and 17 digits that reads back as x (this C++ library has no
        // to_chars for doubles).
        int n = std::snprintf(buffer_, sizeof buffer_, "%.15g", x);
        if (std::strtod(buffer_, nullptr) != x)
            n = std::snprintf(buffer_, sizeof buffer_, "%.17g", x);
        return {buffer_, static_cast<std::size_t>(n)};
#endif
    }
    std::string width_problem(const layout &, std::size_t) const { return {}; }
    cell_reading oxide(std::size_t c, bool comma, REAL &x, bool &has) const {
        const table_column &col = t_.columns[c];
        if (!col.numbers) {
            const std::string_view raw = trimmed(col.texts[current_]);
            has = has || !raw.empty();
            return read_cell(raw, comma && col.decimal_comma, x);
        }
        const double v = col.numbers[current_];
        x = 0;
        if (std::isnan(v)) return cell_reading::below_detection;
        has = true;
        if (!std::isfinite(v)) return cell_reading::not_a_number;
        if (v < 0) return cell_reading::negative;
        x = v == 0 ? 0 : v; // no -0
        return cell_reading::value;
    }
    std::string text(std::size_t c) const { return std::string(field(c)); }

private:
    bool blank(std::size_t r) const {
        for (const table_column &col : t_.columns)
            if (col.numbers ? !std::isnan(col.numbers[r]) : !trimmed(col.texts[r]).empty())
                return false;
        return true;
    }
    const columns_input &t_;
    std::size_t row_, last_, current_ = 0;
    mutable char buffer_[32];
};

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
                case cell_reading::below_detection:
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

} // namespace

namespace detail {

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

} // namespace detail

namespace {

// Where the first line that is not blank ends (a line end follows it), or npos.
std::size_t header_line_end(std::string_view bytes) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) return end;
        if (trimmed(bytes.substr(start, end - start)).size() > 0) return end;
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// The separator of the header, the first line that is not blank.
char header_separator(std::string_view bytes) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        if (trimmed(bytes.substr(start, end - start)).size() > 0 || end >= bytes.size()) break;
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    const std::size_t header_end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    return separator_of(bytes.substr(start, header_end - start));
}

// A table whose header row names the columns, from its records.
void read_named(const std::string &file, records &rec, std::size_t rows_expected, file_input &in) {
    const char sep = rec.separator();
    std::vector<std::string> fields;
    fields.reserve(32); // room for most headers, and the rows after them
    int line = 0;
    if (!rec.next(fields, line)) {
        in.error = file + ": no header line";
        return;
    }
    std::vector<std::string> header;
    header.reserve(fields.size());
    for (const std::string &f : fields) header.push_back(clipped(trimmed(f)));
    layout lay;
    std::vector<std::size_t> headless;
    if (!name_columns(file, file + " line " + std::to_string(line), fields, {}, true, lay, headless,
                      in))
        return;
    text_rows rows(rec, sep, std::move(fields));
    read_rows(rows, file, lay, header, headless, sep == ';' || sep == '\t', false, {}, nullptr,
              rows_expected, in);
    for (const int l : rec.unclosed)
        in.warnings.push_back(file + " line " + std::to_string(l) +
                              ": a quote is not closed; it is read as a character");
}

} // namespace

std::string line_place(const sample_input &s, int line) {
    if (s.place && *s.place) return (*s.place)(line);
    return detail::joined({s.file, " line ", std::to_string(line)});
}

file_input read_table(const std::string &file, std::string_view bytes) {
    file_input in;
    std::string decoded;
    if (bytes.size() >= 2 &&
        (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        decoded = from_utf16(bytes.substr(2), bytes[0] == '\xFF');
        bytes = decoded;
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    } else if (const char order = utf16_order(bytes)) {
        decoded = from_utf16(bytes, order == 'L');
        bytes = decoded;
    } else if (const container c = container_of(bytes); c != container::text) {
        in.workbook = c == container::workbook;
        in.error = file + (in.workbook ? ": an Excel workbook" : ": not a text table");
        return in;
    }
    if (detail::read_datafile_layout(file, bytes, in)) return in;

    records rec(bytes, header_separator(bytes));
    read_named(file, rec, static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')),
               in);
    return in;
}

file_input read_table(const std::string &file, const text_pieces &more, std::size_t size) {
    std::string head;
    bool ended = false;
    const auto read_more = [&] {
        const std::size_t had = head.size();
        head.resize(had + (1 << 20));
        const std::size_t got = more(head.data() + had, head.size() - had);
        head.resize(had + got);
        ended = got == 0;
    };
    // What tells the kind of text: its first 8192 bytes and its header line whole.
    const auto bom = [&] { return head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3u : 0u; };
    while (!ended && (head.size() < 8192 ||
                      header_line_end(std::string_view(head).substr(bom())) == std::string::npos))
        read_more();
    const auto whole = [&] {
        while (!ended) read_more();
        return read_table(file, head);
    };
    if (ended) return read_table(file, head);
    const std::string_view start(head);
    if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF") return whole();
    if (bom() == 0 && utf16_order(start) != 0) return whole();
    if (bom() == 0 && container_of(start) != container::text) return read_table(file, head);
    // The data-file layout is told by its header line, and read whole.
    file_input in;
    const std::string_view text = start.substr(bom());
    if (detail::read_datafile_layout(file, text.substr(0, header_line_end(text)), in))
        return whole();
    head.erase(0, bom());
    const char sep = header_separator(head);
    // As many rows in the whole text as in its head, with a margin.
    const std::size_t rows_expected =
        size > head.size()
            ? static_cast<std::size_t>(
                  static_cast<double>(std::count(head.begin(), head.end(), '\n')) *
                  static_cast<double>(size) / static_cast<double>(head.size()) * 1.25)
            : 0;
    records rec(std::move(head), more, sep);
    read_named(file, rec, rows_expected, in);
    return in;
}

file_input read_columns(const columns_input &t, std::size_t first, std::size_t last,
                        bool header_warnings) {
    file_input in;
    std::vector<std::string> header;
    for (const table_column &c : t.columns) header.push_back(clipped(trimmed(c.name)));
    layout lay;
    std::vector<std::size_t> headless;
    std::vector<std::string> names;
    for (const table_column &c : t.columns) names.push_back(c.name);
    if (!name_columns(t.file, t.file + " line 1", names, t.name_repr, header_warnings, lay,
                      headless, in))
        return in;
    column_rows rows(t, first, std::min(last, t.rows));
    read_rows(rows, t.file, lay, header, headless, true, t.rows_apart, t.row_name, &t.line_place,
              rows.left(), in);
    return in;
}

} // namespace varno96
