// Tables whose header row names the columns: told from the other kinds of text, their header
// read, then their rows, from a text or from columns handed over (a DataFrame's).
#include "tables/named_rows.hpp"

#include <algorithm>

namespace varno96 {

using namespace detail;

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

// The message of a text read as Windows-1252, once per file.
std::string recoded(const std::string &file) {
    return file + ": the text is not UTF-8: read as Windows-1252 (Western European), its names "
                  "written as UTF-8";
}

// The text of `more` with its bytes that are no UTF-8 read as Windows-1252, a piece at a time.
class recoding {
public:
    explicit recoding(const text_pieces &more) : more_(more) {}
    std::size_t operator()(char *to, std::size_t n) {
        while (at_ == out_.size() && !ended_) {
            std::string raw = std::move(rest_);
            const std::size_t had = raw.size();
            raw.resize(had + (1 << 16));
            const std::size_t got = more_(raw.data() + had, raw.size() - had);
            raw.resize(had + got);
            ended_ = got == 0;
            recoded_ = recoded_ || !is_utf8(raw, !ended_);
            out_ = from_cp1252(raw, ended_ ? nullptr : &rest_);
            at_ = 0;
        }
        const std::size_t k = std::min(n, out_.size() - at_);
        std::copy_n(out_.data() + at_, k, to);
        at_ += k;
        return k;
    }
    bool recoded() const { return recoded_; }

private:
    const text_pieces &more_;
    std::string rest_, out_;
    std::size_t at_ = 0;
    bool ended_ = false, recoded_ = false;
};

// A table whose header row names the columns, from its records.
void read_named(const std::string &file, records &rec, std::size_t rows_expected,
                const reading &how, file_input &in) {
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
    if (!name_columns(file, file + " line " + std::to_string(line), fields, {}, true, how, lay,
                      headless, in))
        return;
    text_rows rows(rec, sep, std::move(fields));
    read_rows(rows, file, lay, header, headless, sep == ';' || sep == '\t', false, {}, nullptr,
              rows_expected, how, in);
    for (const int l : rec.unclosed)
        in.warnings.push_back(file + " line " + std::to_string(l) +
                              ": a quote is not closed; it is read as a character");
}

} // namespace

std::string line_place(const sample_input &s, int line) {
    if (s.place && *s.place) return (*s.place)(line);
    return detail::joined({s.file, " line ", std::to_string(line)});
}

file_input read_table(const std::string &file, std::string_view bytes, const reading &how) {
    file_input in;
    std::string decoded;
    bool latin = false;
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
    if (decoded.empty() && !is_utf8(bytes)) { // after a UTF-8 mark too
        decoded = from_cp1252(bytes);
        bytes = decoded;
        latin = true;
    }
    if (!detail::read_datafile_layout(file, bytes, in, how)) {
        records rec(bytes, header_separator(bytes));
        read_named(file, rec,
                   static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')), how, in);
    }
    if (latin) in.warnings.push_back(recoded(file));
    return in;
}

file_input read_table(const std::string &file, const text_pieces &more, std::size_t size,
                      const reading &how) {
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
        return read_table(file, head, how);
    };
    if (ended) return read_table(file, head, how);
    const std::string_view start(head);
    if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF") return whole();
    if (bom() == 0 && utf16_order(start) != 0) return whole();
    if (bom() == 0 && container_of(start) != container::text) return read_table(file, head, how);
    // The data-file layout is told by its header line, and read whole.
    file_input in;
    const std::string_view text = start.substr(bom());
    if (detail::read_datafile_layout(file, text.substr(0, header_line_end(text)), in, how))
        return whole();
    head.erase(0, bom());
    // Bytes that are no UTF-8 as Windows-1252: the head now, the rest as it comes.
    std::string rest;
    const bool latin = !is_utf8(head, true);
    head = from_cp1252(head, &rest);
    const text_pieces after_head = [&](char *to, std::size_t n) {
        if (rest.empty()) return more(to, n);
        const std::size_t k = std::min(n, rest.size());
        std::copy_n(rest.data(), k, to);
        rest.erase(0, k);
        return k;
    };
    recoding rest_recoded(after_head);
    const text_pieces recoded_more = std::ref(rest_recoded);
    const char sep = header_separator(head);
    // As many rows in the whole text as in its head, with a margin.
    const std::size_t rows_expected =
        size > head.size()
            ? static_cast<std::size_t>(
                  static_cast<double>(std::count(head.begin(), head.end(), '\n')) *
                  static_cast<double>(size) / static_cast<double>(head.size()) * 1.25)
            : 0;
    records rec(std::move(head), recoded_more, sep);
    read_named(file, rec, rows_expected, how, in);
    if (latin || rest_recoded.recoded()) in.warnings.push_back(recoded(file));
    return in;
}

file_input read_columns(const columns_input &t, std::size_t first, std::size_t last,
                        bool header_warnings, const reading &how) {
    file_input in;
    reading own = how;
    if (!t.sample_column.empty()) own.sample_column = t.sample_column;
    if (t.only != mineral::unknown) own.only = t.only;
    own.rutile_only = own.rutile_only || t.rutile_only;
    const std::string &said = t.said_as.empty() ? t.file : t.said_as;
    std::vector<std::string> header;
    for (const table_column &c : t.columns) header.push_back(clipped(trimmed(c.name)));
    layout lay;
    std::vector<std::size_t> headless;
    std::vector<std::string> names;
    for (const table_column &c : t.columns) names.push_back(c.name);
    if (!name_columns(said, said + " line 1", names, t.name_repr, header_warnings, own, lay,
                      headless, in))
        return in;
    column_rows rows(t, first, std::min(last, t.rows));
    read_rows(rows, said, lay, header, headless, true, t.rows_apart, t.row_name, &t.line_place,
              rows.left(), own, in);
    for (sample_input &s : in.samples) s.file = t.file;
    return in;
}

} // namespace varno96
