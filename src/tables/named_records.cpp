// Records of fields, split as RFC 4180 has them, at the separator of the header line.
#include "tables/named_records.hpp"

#include <algorithm>

namespace varno96::detail {

char separator_of(std::string_view header) {
    int tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (char c : header) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        tabs += c == '\t', semicolons += c == ';', commas += c == ',';
    }
    if (tabs == 0 && semicolons == 0 && commas == 0) return 0;
    if (tabs >= semicolons && tabs >= commas) return '\t';
    return semicolons >= commas ? ';' : ',';
}

bool records::read_more(std::size_t i) {
    while (i >= buffer_.size() && !ended_) {
        const std::size_t had = buffer_.size();
        buffer_.resize(had + piece);
        const std::size_t got = (*more_)(buffer_.data() + had, piece);
        buffer_.resize(had + got);
        text_ = buffer_;
        ended_ = got == 0;
    }
    return i < buffer_.size();
}

void records::read_record(std::vector<std::string> &fields, std::size_t &n) {
    const bool blanks = sep_ == 0;
    if (blanks)
        while (have(pos_) && (text_[pos_] == ' ' || text_[pos_] == '\t')) pos_++;
    if (have(pos_) && at_line_end()) { // an empty line
        end_line();
        return;
    }
    while (have(pos_)) {
        std::string &f = field(fields, n);
        // Blanks before a quote belong to no field.
        std::size_t q = pos_;
        while (have(q) && text_[q] == ' ') q++;
        if (have(q) && text_[q] == '"') {
            const int opened = line_;
            bool closed = false;
            pos_ = q + 1;
            while (have(pos_)) {
                const char c = text_[pos_];
                if (c == '"') {
                    if (have(pos_ + 1) && text_[pos_ + 1] == '"') {
                        f += '"';
                        pos_ += 2;
                        continue;
                    }
                    pos_++;
                    closed = true;
                    break;
                }
                if (c == '\n' || (c == '\r' && !(have(pos_ + 1) && text_[pos_ + 1] == '\n')))
                    line_++;
                f += c;
                pos_++;
            }
            // A quote never closed would take every row after it into one field: it is
            // read as a character of its field instead, and said.
            if (!closed) {
                unclosed.push_back(opened);
                pos_ = q;
                line_ = opened;
                f.clear();
            }
        }
        // Unquoted text, or what follows a closing quote, up to the separator.
        const std::size_t start = pos_;
        while (have(pos_) && !at_line_end() &&
               (blanks ? text_[pos_] != ' ' && text_[pos_] != '\t' : text_[pos_] != sep_))
            pos_++;
        f.append(text_.substr(start, pos_ - start));
        if (!have(pos_)) return;
        if (at_line_end()) {
            end_line();
            return;
        }
        pos_++; // the separator
        if (blanks) {
            while (have(pos_) && (text_[pos_] == ' ' || text_[pos_] == '\t')) pos_++;
            if (!have(pos_)) return;
            if (at_line_end()) {
                end_line();
                return;
            }
        }
    }
}

} // namespace varno96::detail
