// The parts of the reader of tables whose header row names the columns, shared by its files:
// decoding (named_text.cpp), records (named_records.cpp), column names (named_columns.cpp) and
// rows (named.cpp).
#pragma once

#include "tables/reader.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varno96::detail {

// ---- Text -------------------------------------------------------------------------------

char lower(char c);
std::string lowered(std::string_view s);
// Without blanks, tabs and the no-break spaces a spreadsheet leaves around a cell.
std::string_view trimmed(std::string_view s);
// UTF-16 text after its byte-order mark (Excel's "Unicode text") as UTF-8; an unpaired
// surrogate becomes U+FFFD, an odd last byte is dropped.
std::string from_utf16(std::string_view bytes, bool little);
// UTF-16 without a byte-order mark, as some exports write it: text mostly of ASCII has a NUL
// as every other byte, after each character (little-endian, 'L') or before it ('B'). 0: not
// so. Looks at the first 1024 bytes.
char utf16_order(std::string_view bytes);
// The start of a file that holds no text table: a workbook, a picture, an archive, a PDF, or
// bytes of which a quarter or more are control characters or no UTF-8 (random bytes, about
// half are; a text in Latin-1 has a few, a table with a stray NUL one). Looks at the first
// 8192 bytes.
enum class container { text, workbook, binary };
container container_of(std::string_view bytes);

// ---- Records ----------------------------------------------------------------------------

// The separator of the header line: the most frequent of tab, semicolon and comma outside
// quotes (in that order when as frequent), or 0 for runs of blanks when none appears.
char separator_of(std::string_view header);

// Splits text into records of fields: separated by `sep` (or runs of blanks and tabs when 0),
// a quoted field may hold separators, line ends and doubled quotes; lines end with CR LF, LF
// or CR.
class records {
public:
    records(std::string_view text, char sep) : text_(text), sep_(sep) {}
    // The text that `more` hands over a piece at a time after `head`: only the part not yet
    // read is held, and a record is never cut.
    records(std::string head, const text_pieces &more, char sep)
        : text_(head), sep_(sep), buffer_(std::move(head)), more_(&more) {
        text_ = buffer_;
    }
    records(const records &) = delete;
    char separator() const { return sep_; }
    records &operator=(const records &) = delete;

    std::vector<int> unclosed; // lines of quotes read as characters, never closed

    // The next record that is not blank, and the line it starts on; false at the end.
    bool next(std::vector<std::string> &fields, int &line) {
        while (have(pos_)) {
            if (more_ && pos_ >= piece) { // what was read is let go, between records only
                buffer_.erase(0, pos_);
                text_ = buffer_;
                pos_ = 0;
            }
            line = line_;
            std::size_t n = 0;
            read_record(fields, n);
            fields.resize(n);
            if (std::any_of(fields.begin(), fields.end(),
                            [](const std::string &f) { return !trimmed(f).empty(); }))
                return true;
        }
        return false;
    }

private:
    std::string &field(std::vector<std::string> &fields, std::size_t &n) {
        if (n == fields.size()) fields.emplace_back();
        fields[n].clear();
        return fields[n++];
    }

    // Whether the text has a character at i, reading more of it when it can.
    bool have(std::size_t i) { return i < text_.size() || (more_ && read_more(i)); }
    bool read_more(std::size_t i);

    bool at_line_end() const { return text_[pos_] == '\r' || text_[pos_] == '\n'; }

    void end_line() {
        if (text_[pos_] == '\r' && have(pos_ + 1) && text_[pos_ + 1] == '\n') pos_++;
        pos_++;
        line_++;
    }

    void read_record(std::vector<std::string> &fields, std::size_t &n);

    static constexpr std::size_t piece = 1 << 20;
    std::string_view text_;
    char sep_;
    std::string buffer_; // of the text read a piece at a time
    const text_pieces *more_ = nullptr;
    bool ended_ = false; // `more_` said the text ends
    std::size_t pos_ = 0;
    int line_ = 1;
};

// ---- Column names -----------------------------------------------------------------------

// Where each mineral's oxides are: for the long layout one set (index 0), for the wide one set
// per mineral.
struct layout {
    std::array<std::array<int, NEL + 1>, 3> at{}; // column + 1 of each oxide slot; 0: none
    std::array<bool, 3> fe2o3_total{};            // the FeO slot holds all iron as Fe2O3
    int sample = -1, mineral_col = -1, label = -1;
    bool wide = false;
    std::size_t last = 0; // the last column read
};

// How a message writes the name of a column: none, quoted as any text is.
using name_writer = std::function<std::string(std::string_view)>;

// The columns a header row names: false with in.error when it cannot be read; what it leaves
// unused or missing in in.warnings when `warn`. With `written`, columns in conflict are shown
// as it writes their names, blanks and all, and a header without an oxide as a list of them.
bool name_columns(const std::string &file, const std::string &at_header,
                  const std::vector<std::string> &fields, const name_writer &written, bool warn,
                  layout &lay, std::vector<std::size_t> &headless, file_input &in);

// The items, the first `most` of them and a count of the rest.
std::string list(const std::vector<std::string> &items, std::size_t most = 20);

} // namespace varno96::detail
