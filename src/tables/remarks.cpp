// Quotes of the text read, and the remarks of a table counted rather than repeated.
#include "tables/reader.hpp"

namespace varno96 {

namespace {

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where the first `quoted_most` characters of UTF-8 text end (a byte that starts no character
// counts as one), and how many characters it has; npos when it has no more.
std::pair<std::size_t, std::size_t> cut_of(std::string_view text) {
    if (text.size() <= quoted_most) return {std::string_view::npos, 0};
    std::size_t end = std::string_view::npos, n = 0;
    for (std::size_t i = 0; i < text.size(); i++)
        if (!continuation(text[i]) && n++ == quoted_most) end = i;
    return {end, n};
}

} // namespace

std::string clipped(std::string_view text) {
    const auto [end, n] = cut_of(text);
    if (end == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, end)) + "… (" + grouped(n) + " characters)";
}

std::string quoted(std::string_view text) {
    const auto [end, n] = cut_of(text);
    if (end == std::string_view::npos) return "\"" + std::string(text) + "\"";
    return "\"" + std::string(text.substr(0, end)) + "…\" (" + grouped(n) + " characters)";
}

std::string grouped(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
        s += digits[i];
    }
    return s;
}

void remarks::add_entry(const entry &e, std::size_t times) {
    const auto [it, added] = index_.try_emplace(e.key, entries_.size());
    if (added) {
        entries_.push_back(e);
        entries_.back().more = times - 1;
    } else if (!e.where.empty()) {
        entries_[it->second].more += times;
    }
}

void remarks::add(const std::string &where, const std::string &what, const std::string &alike,
                  const char *place) {
    // A remark without a place is the same as another of its words; with one, keys of either
    // kind stay apart.
    std::string key = where.empty() ? "-" + what : "+" + (alike.empty() ? what : alike);
    add_entry(entry{where, what, std::move(key), place}, 1);
}

void remarks::add(const remarks &other) {
    for (const entry &e : other.entries_) add_entry(e, e.more + 1);
}

std::string remarks::text() const {
    std::string s;
    for (std::size_t i = 0; i < entries_.size() && i < shown_most; i++) {
        const entry &e = entries_[i];
        if (i > 0) s += "; ";
        if (!e.where.empty()) s += e.where + ": ";
        s += e.what;
        if (e.more > 0)
            s += ", and " + grouped(e.more) + " more " + e.place + (e.more == 1 ? "" : "s") +
                 " like it";
    }
    if (entries_.size() > shown_most)
        s += "; and " + grouped(entries_.size() - shown_most) + " more of other kinds";
    return s;
}

} // namespace varno96
