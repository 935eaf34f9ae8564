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

namespace detail {

std::string joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view p : parts) size += p.size();
    std::string s;
    s.reserve(size);
    for (const std::string_view p : parts) s += p;
    return s;
}

} // namespace detail

std::string grouped(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
        s += digits[i];
    }
    return s;
}

bool remarks::counted(const entry &e, std::size_t times) {
    if (!said_) return false;
    auto &entries_ = said_->entries;
    auto &index_ = said_->index;
    entry *said = nullptr;
    const bool placed = !e.where.empty();
    if (entries_.size() <= unindexed_most) {
        for (entry &s : entries_)
            if ((!s.where.empty()) == placed && s.key() == e.key()) {
                said = &s;
                break;
            }
    } else if (const auto it = index_[placed].find(e.key()); it != index_[placed].end()) {
        said = it->second;
    }
    if (said == nullptr) return false;
    if (!e.where.empty()) said->more += times;
    return true;
}

void remarks::insert(entry &&e, std::size_t times) {
    if (!said_) said_ = std::make_unique<store>();
    auto &entries_ = said_->entries;
    auto &index_ = said_->index;
    e.more = times - 1;
    entries_.push_back(std::move(e));
    if (entries_.size() == unindexed_most + 1)
        index();
    else if (entries_.size() > unindexed_most)
        index_[!entries_.back().where.empty()].emplace(entries_.back().key(), &entries_.back());
}

void remarks::index() {
    if (!said_) return;
    auto &entries_ = said_->entries;
    auto &index_ = said_->index;
    for (auto &i : index_) i.clear();
    if (entries_.size() > unindexed_most)
        for (entry &e : entries_) index_[!e.where.empty()].emplace(e.key(), &e);
}

void remarks::add(std::string where, std::string what, std::string_view alike, const char *place) {
    // A remark without a place is the same as another of its words; with one, keys of either
    // kind stay apart.
    std::string same_as(where.empty() ? std::string_view() : alike);
    entry e{std::move(where), std::move(what), std::move(same_as), place};
    if (!counted(e, 1)) insert(std::move(e), 1);
}

void remarks::add(const remarks &other) {
    if (!other.said_) return;
    for (const entry &e : other.said_->entries)
        if (!counted(e, e.more + 1)) insert(entry(e), e.more + 1);
}

std::string remarks::text() const {
    if (!said_) return {};
    const auto &entries_ = said_->entries;
    std::string s;
    std::size_t size = 0, i = 0;
    for (const entry &e : entries_) {
        if (i++ == shown_most) break;
        size += e.where.size() + e.what.size() + 4;
    }
    s.reserve(size);
    i = 0;
    for (const entry &e : entries_) {
        if (i == shown_most) break;
        if (i++ > 0) s += "; ";
        if (!e.where.empty()) {
            s += e.where;
            s += ": ";
        }
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
