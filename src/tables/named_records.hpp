// Records of fields, split as RFC 4180 has them, at the separator of the header line
// (named_records.cpp).
#pragma once

#include "tables/named_text.hpp"
#include "tables/reader.hpp"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varno96::detail {

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

} // namespace varno96::detail
