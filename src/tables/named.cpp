// Tables whose header row names the columns: the text decoded, the separator found from the
// header, the fields split as RFC 4180 has them, the columns named, and the cells read.
#include "tables/reader.hpp"

#include "io/io.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>

namespace varno96 {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view s) {
    std::string r(s);
    for (char &c : r) c = lower(c);
    return r;
}

// Without blanks, tabs and the no-break spaces a spreadsheet leaves around a cell.
std::string_view trimmed(std::string_view s) {
    const auto nbsp = [&](std::size_t i) { return s[i] == '\xC2' && s[i + 1] == '\xA0'; };
    for (;;) {
        if (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        else if (s.size() >= 2 && nbsp(0))
            s.remove_prefix(2);
        else if (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
            s.remove_suffix(1);
        else if (s.size() >= 2 && nbsp(s.size() - 2))
            s.remove_suffix(2);
        else
            return s;
    }
}

void put_utf8(std::string &out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 text after its byte-order mark (Excel's "Unicode text") as UTF-8; an unpaired
// surrogate becomes U+FFFD, an odd last byte is dropped.
std::string from_utf16(std::string_view bytes, bool little) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]),
                   b = static_cast<unsigned char>(bytes[i + 1]);
        return little ? a | (b << 8) : (a << 8) | b;
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned code = static_cast<unsigned>(unit(i));
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const auto next = static_cast<unsigned>(unit(i + 2));
            if (next >= 0xDC00 && next < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                i += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        put_utf8(out, code);
    }
    return out;
}

// UTF-16 without a byte-order mark, as some exports write it: text mostly of ASCII has a NUL
// as every other byte, after each character (little-endian) or before it. 0: not so.
char utf16_order(std::string_view bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 1024) & ~std::size_t{1};
    std::size_t even = 0, odd = 0;
    for (std::size_t i = 0; i < n; i++) (i % 2 ? odd : even) += bytes[i] == '\0';
    if (n < 4) return 0;
    if (odd * 2 >= n / 2 && even * 10 <= odd) return 'L';
    if (even * 2 >= n / 2 && odd * 10 <= even) return 'B';
    return 0;
}

// The start of a file that holds no text table: a workbook, a picture, an archive, a PDF, or
// bytes of which a quarter or more are control characters or no UTF-8 (random bytes, about
// half are; a text in Latin-1 has a few, a table with a stray NUL one).
enum class container { text, workbook, binary };
container container_of(std::string_view bytes) {
    const auto starts = [&](std::string_view magic) { return bytes.substr(0, magic.size()) == magic; };
    if (starts("PK\x03\x04") || starts("\xD0\xCF\x11\xE0")) return container::workbook;
    for (const std::string_view magic :
         {std::string_view("\x89PNG"), std::string_view("\xFF\xD8\xFF"), std::string_view("GIF8"),
          std::string_view("%PDF"), std::string_view("\x1F\x8B"), std::string_view("PK\x05\x06")})
        if (starts(magic)) return container::binary;
    const std::string_view head = bytes.substr(0, 8192);
    std::size_t odd = 0;
    for (std::size_t i = 0; i < head.size();) {
        const auto c = static_cast<unsigned char>(head[i]);
        if (c < 0x80) {
            odd += c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A;
            i++;
            continue;
        }
        const std::size_t length = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        std::size_t k = 1;
        while (length > 0 && k < length && i + k < head.size() &&
               (static_cast<unsigned char>(head[i + k]) & 0xC0) == 0x80)
            k++;
        if (length == 0 || (k < length && i + k < head.size())) {
            odd++; // a byte that starts no character, or a character cut short
            i++;
        } else {
            i += k;
        }
    }
    return odd * 4 >= head.size() && !head.empty() ? container::binary : container::text;
}

// ---- Records ----------------------------------------------------------------------------

// The separator of the header line: the most frequent of tab, semicolon and comma outside
// quotes (in that order when as frequent), or 0 for runs of blanks when none appears.
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

// Splits text into records of fields: separated by `sep` (or runs of blanks and tabs when 0),
// a quoted field may hold separators, line ends and doubled quotes; lines end with CR LF, LF
// or CR.
class records {
public:
    records(std::string_view text, char sep) : text_(text), sep_(sep) {}

    std::vector<int> unclosed; // lines of quotes read as characters, never closed

    // The next record that is not blank, and the line it starts on; false at the end.
    bool next(std::vector<std::string> &fields, int &line) {
        while (pos_ < text_.size()) {
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

    bool at_line_end() const { return text_[pos_] == '\r' || text_[pos_] == '\n'; }

    void end_line() {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') pos_++;
        pos_++;
        line_++;
    }

    void read_record(std::vector<std::string> &fields, std::size_t &n) {
        const bool blanks = sep_ == 0;
        if (blanks)
            while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) pos_++;
        if (pos_ < text_.size() && at_line_end()) { // an empty line
            end_line();
            return;
        }
        while (pos_ < text_.size()) {
            std::string &f = field(fields, n);
            // Blanks before a quote belong to no field.
            std::size_t q = pos_;
            while (q < text_.size() && text_[q] == ' ') q++;
            if (q < text_.size() && text_[q] == '"') {
                const int opened = line_;
                bool closed = false;
                pos_ = q + 1;
                while (pos_ < text_.size()) {
                    const char c = text_[pos_];
                    if (c == '"') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                            f += '"';
                            pos_ += 2;
                            continue;
                        }
                        pos_++;
                        closed = true;
                        break;
                    }
                    if (c == '\n' ||
                        (c == '\r' && !(pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n')))
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
            while (pos_ < text_.size() && !at_line_end() &&
                   (blanks ? text_[pos_] != ' ' && text_[pos_] != '\t' : text_[pos_] != sep_))
                pos_++;
            f.append(text_.substr(start, pos_ - start));
            if (pos_ >= text_.size()) return;
            if (at_line_end()) {
                end_line();
                return;
            }
            pos_++; // the separator
            if (blanks) {
                while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) pos_++;
                if (pos_ >= text_.size()) return;
                if (at_line_end()) {
                    end_line();
                    return;
                }
            }
        }
    }

    std::string_view text_;
    char sep_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// ---- Column names -----------------------------------------------------------------------

// A header as letters, digits, * and $ (for Σ) only, in lower case: Unicode subscript digits
// read as digits, unit decorations (wt%, wt.%, [wt%], _wt) and other punctuation dropped.
std::string name_key(std::string_view header) {
    // Never longer than the header: written in place, then cut to its length.
    std::string s(header.size(), '\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < header.size(); i++) {
        const auto c = static_cast<unsigned char>(header[i]);
        if (c == 0xE2 && i + 2 < header.size() &&
            static_cast<unsigned char>(header[i + 1]) == 0x82) {
            const auto d = static_cast<unsigned char>(header[i + 2]);
            if (d >= 0x80 && d <= 0x89) { // U+2080..U+2089
                s[n++] = static_cast<char>('0' + (d - 0x80));
                i += 2;
                continue;
            }
        }
        if (c == 0xCE && i + 1 < header.size() &&
            static_cast<unsigned char>(header[i + 1]) == 0xA3) {
            s[n++] = '$'; // Σ, a sum
            i++;
            continue;
        }
        s[n++] = lower(static_cast<char>(c));
    }
    s.resize(n);
    // Units: "wt%" and its spellings anywhere, "wt" as a word of its own ("SiO2_wt", "SiO2 wt",
    // not the start of "wtSiO2"); then a lone "%" with the other punctuation.
    const auto alnum = [&](std::size_t i) {
        return i < s.size() && std::isalnum(static_cast<unsigned char>(s[i]));
    };
    std::string key(s.size(), '\0');
    std::size_t k = 0;
    for (std::size_t i = 0; i < s.size(); i++) {
        if (s[i] == 'w' && s.compare(i, 2, "wt") == 0) {
            std::size_t unit = 0;
            for (const char *u : {"wt.%", "wt%", "wt. %", "wt %"})
                if (s.compare(i, std::char_traits<char>::length(u), u) == 0)
                    unit = std::char_traits<char>::length(u);
            if (unit == 0 && (i == 0 || !alnum(i - 1)) && !alnum(i + 2)) unit = 2;
            if (unit > 0) {
                i += unit - 1;
                continue;
            }
        }
        const char c = s[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '*' || c == '$') key[k++] = c;
    }
    key.resize(k);
    return key;
}

enum class iron { none, total_feo, total_fe2o3 };

struct oxide_name {
    int slot;   // 1..NEL
    iron total; // all iron given as FeO or as Fe2O3
};

// The oxide a key names, alone or followed by the rest (a mineral suffix).
const std::vector<std::pair<std::string, oxide_name>> &oxide_keys() {
    static const std::vector<std::pair<std::string, oxide_name>> keys = [] {
        std::vector<std::pair<std::string, oxide_name>> k;
        for (int i = 1; i <= NEL; i++)
            k.push_back({lowered(oxide_names[static_cast<std::size_t>(i - 1)]), {i, iron::none}});
        for (const char *n : {"feot", "feo*", "feotot", "feototal", "$feo", "feo$"})
            k.push_back({n, {FEO, iron::total_feo}});
        for (const char *n : {"fe2o3t", "fe2o3*", "fe2o3tot", "fe2o3total", "$fe2o3"})
            k.push_back({n, {FEO, iron::total_fe2o3}});
        // Longest first, so that "feot" is not taken for "feo" followed by "t".
        std::stable_sort(k.begin(), k.end(), [](const auto &a, const auto &b) {
            return a.first.size() > b.first.size();
        });
        return k;
    }();
    return keys;
}

struct named_oxide {
    oxide_name oxide;
    mineral suffix; // unknown: no suffix
};

std::optional<named_oxide> oxide_of(std::string_view key) {
    for (const auto &[name, oxide] : oxide_keys()) {
        if (key.empty() || key[0] != name[0] || key.compare(0, name.size(), name) != 0) continue;
        const std::string_view rest = key.substr(name.size());
        if (rest.empty()) return named_oxide{oxide, mineral::unknown};
        const mineral m = mineral_of(rest);
        if (m != mineral::unknown) return named_oxide{oxide, m};
    }
    return std::nullopt;
}

enum class role { sample, mineral, label };

// The role of a column that is not an oxide, with its rank among the names of that role;
// `h` is the header trimmed, `key` its name_key.
std::optional<std::pair<role, int>> role_of(std::string_view h, std::string_view key) {
    using namespace std::string_view_literals;
    if (h == "#") return std::pair{role::label, 6};
    int rank = 0;
    for (const std::string_view n :
         {"sample"sv, "sampleid"sv, "samplename"sv, "rock"sv, "specimen"sv}) {
        if (key == n) return std::pair{role::sample, rank};
        rank++;
    }
    rank = 0;
    for (const std::string_view n : {"mineral"sv, "min"sv, "phase"sv}) {
        if (key == n) return std::pair{role::mineral, rank};
        rank++;
    }
    rank = 0;
    for (const std::string_view n : {"point"sv, "label"sv, "analysis"sv, "comment"sv, "no"sv}) {
        if (key == n) return std::pair{role::label, rank};
        rank++;
    }
    return std::nullopt;
}

// ---- Cells ------------------------------------------------------------------------------

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

// The items, the first `most` of them and a count of the rest.
std::string list(const std::vector<std::string> &items, std::size_t most = 20) {
    std::string s;
    for (std::size_t i = 0; i < items.size() && i < most; i++) {
        if (i > 0) s += ", ";
        s += items[i];
    }
    if (items.size() > most) s += " and " + grouped(items.size() - most) + " more";
    return s;
}

std::string base_name(const std::string &file) {
    std::string name = file.substr(file.find_last_of("/\\") + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Where each mineral's oxides are: for the long layout one set (index 0), for the wide one set
// per mineral.
struct layout {
    std::array<std::array<int, NEL + 1>, 3> at{}; // column + 1 of each oxide slot; 0: none
    std::array<bool, 3> fe2o3_total{};            // the FeO slot holds all iron as Fe2O3
    int sample = -1, mineral_col = -1, label = -1;
    bool wide = false;
    std::size_t last = 0; // the last column read
};

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

mineral mineral_of(std::string_view field, bool numbered) {
    const std::string_view f = trimmed(field);
    const auto starts = [&](const char *n, std::size_t len) {
        if (f.size() < len) return false;
        for (std::size_t i = 0; i < len; i++)
            if (lower(f[i]) != n[i]) return false;
        return true;
    };
    const auto is = [&](std::initializer_list<const char *> names) {
        for (const char *n : names) {
            const std::size_t len = std::char_traits<char>::length(n);
            if (!starts(n, len)) continue;
            if (f.size() == len) return true;
            const auto next = static_cast<unsigned char>(f[len]);
            if (numbered && !std::isalpha(next)) return true;
        }
        return false;
    };
    if (is({"grt", "gt", "garnet"})) return mineral::garnet;
    if (is({"cpx", "omp", "omph", "omphacite"})) return mineral::clinopyroxene;
    if (is({"phe", "ph", "phen", "phengite", "ms", "mu", "musc", "muscovite", "wm", "white mica",
            "mica"}))
        return mineral::phengite;
    return mineral::unknown;
}

namespace {

// A header as Python writes a str (its repr), for the names of a DataFrame's columns.
std::string python_repr(std::string_view s) {
    const char q = s.find('\'') != std::string_view::npos && s.find('"') == std::string_view::npos
                       ? '"'
                       : '\'';
    std::string r(1, q);
    for (const char c : s) {
        if (c == '\\' || c == q)
            r += std::string{'\\', c};
        else if (c == '\n')
            r += "\\n";
        else if (c == '\r')
            r += "\\r";
        else if (c == '\t')
            r += "\\t";
        else
            r += c;
    }
    return r + q;
}

// The columns a header row names: false with in.error when it cannot be read; what it leaves
// unused or missing in in.warnings when `warn`. With `python_names`, columns in conflict are
// shown as Python writes their names, blanks and all.
bool name_columns(const std::string &file, const std::string &at_header,
                  const std::vector<std::string> &fields, bool python_names, bool warn, layout &lay,
                  std::vector<std::size_t> &headless, file_input &in) {
    std::vector<std::string> ignored;
    std::map<role, std::pair<int, int>> roles; // column and rank
    bool suffixed = false;
    std::vector<std::pair<std::size_t, named_oxide>> oxides;
    oxides.reserve(fields.size());
    for (std::size_t c = 0; c < fields.size(); c++) {
        const std::string_view h = trimmed(fields[c]);
        if (h.empty()) {
            headless.push_back(c);
            continue;
        }
        const std::string key = name_key(h);
        if (const auto ox = oxide_of(key)) {
            oxides.push_back({c, *ox});
            suffixed = suffixed || ox->suffix != mineral::unknown;
            continue;
        }
        if (const auto r = role_of(h, key)) {
            const auto it = roles.find(r->first);
            if (it == roles.end() || r->second < it->second.second) {
                if (it != roles.end())
                    ignored.push_back(
                        quoted(trimmed(fields[static_cast<std::size_t>(it->second.first)])));
                roles[r->first] = {static_cast<int>(c), r->second};
            } else {
                ignored.push_back(quoted(h));
            }
            continue;
        }
        ignored.push_back(quoted(h));
    }
    if (oxides.empty() && python_names) {
        std::string found;
        for (const std::string &f : fields) {
            found += (found.empty() ? "" : ", ") + python_repr(f);
            if (found.size() > 4 * quoted_most) break; // enough to quote
        }
        in.error = at_header +
                   ": no column names an oxide (SiO2, Al2O3, FeO, ...); the columns: [" +
                   clipped(found) + "]";
        return false;
    }
    if (oxides.empty()) {
        std::string found;
        for (const std::string &f : fields) {
            found += (found.empty() ? "" : " ") + f;
            if (found.size() > 4 * quoted_most) break; // enough to quote
        }
        in.error =
            at_header +
            ": the header names no oxide column (SiO2, Al2O3, FeO, ...) and is "
            "not one of six fields and the oxides SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O "
            "K2O (found: " +
            clipped(found) + ")";
        return false;
    }
    lay.wide = suffixed;
    for (const auto &[c, ox] : oxides) {
        if (lay.wide && ox.suffix == mineral::unknown) {
            ignored.push_back(quoted(trimmed(fields[c])) + " (no mineral suffix)");
            continue;
        }
        const auto k = static_cast<std::size_t>(lay.wide ? ox.suffix : mineral::garnet);
        int &slot = lay.at[k][static_cast<std::size_t>(ox.oxide.slot)];
        if (slot != 0) {
            const auto shown = [&](std::size_t col) {
                return python_names ? python_repr(fields[col]) : quoted(trimmed(fields[col]));
            };
            in.error =
                at_header + ": columns " + shown(static_cast<std::size_t>(slot - 1)) + " and " +
                shown(c) + " both give " +
                (ox.oxide.slot == FEO ? "the iron"
                                      : oxide_names[static_cast<std::size_t>(ox.oxide.slot - 1)]) +
                (lay.wide ? std::string(" of ") + mineral_names[k] : "");
            return false;
        }
        slot = static_cast<int>(c) + 1;
        lay.fe2o3_total[k] = lay.fe2o3_total[k] || ox.oxide.total == iron::total_fe2o3;
        lay.last = std::max(lay.last, c);
    }
    if (roles.count(role::sample)) lay.sample = roles[role::sample].first;
    if (roles.count(role::mineral)) lay.mineral_col = roles[role::mineral].first;
    if (roles.count(role::label)) lay.label = roles[role::label].first;
    if (lay.wide && lay.mineral_col >= 0) {
        ignored.push_back(quoted(trimmed(fields[static_cast<std::size_t>(lay.mineral_col)])));
        lay.mineral_col = -1;
    }
    if (!lay.wide && lay.mineral_col < 0) {
        in.error = at_header +
                   ": no mineral column (Mineral, Min or Phase) to tell garnet, "
                   "clinopyroxene and phengite apart, and no oxide column with a mineral suffix "
                   "(SiO2_Grt, SiO2_Cpx, SiO2_Phe)";
        return false;
    }
    for (int c : {lay.sample, lay.mineral_col, lay.label})
        if (c >= 0) lay.last = std::max(lay.last, static_cast<std::size_t>(c));
    if (!warn) return true;

    // What was read but will not be used, and what is missing, once per file.
    if (!ignored.empty())
        in.warnings.push_back(file + ": column" + (ignored.size() > 1 ? "s " : " ") +
                              list(ignored) + " ignored");
    constexpr std::array<const char *, 3> suffixes{"_Grt", "_Cpx", "_Phe"};
    std::vector<std::string> missing, absent;
    bool ferric = false;
    for (std::size_t k = 0; k < (lay.wide ? 3u : 1u); k++) {
        const auto &at = lay.at[k];
        if (lay.wide && std::all_of(at.begin() + 1, at.end(), [](int c) { return c == 0; })) {
            absent.push_back(mineral_names[k]);
            continue;
        }
        for (int i = 1; i <= NEL; i++)
            if (at[static_cast<std::size_t>(i)] == 0) {
                missing.push_back(std::string(oxide_names[static_cast<std::size_t>(i - 1)]) +
                                  (lay.wide ? suffixes[k] : ""));
                ferric = ferric || i == FE2O3;
            }
    }
    if (!missing.empty())
        in.warnings.push_back(file + ": no " + list(missing, missing.size()) + " column" +
                              (missing.size() > 1 ? "s" : "") + ": read as 0" +
                              (ferric ? " (Fe2O3 as 0 is estimated by charge balance)" : ""));
    if (!absent.empty()) in.warnings.push_back(file + ": no column of " + list(absent) + " oxides");
    return true;
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
               const std::function<std::string(int)> *place, file_input &in) {
    const auto at_line = [&](int l) {
        return place && *place ? (*place)(l) : detail::joined({file, " line ", std::to_string(l)});
    };
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

std::string line_place(const sample_input &s, int line) {
    if (s.place && *s.place) return (*s.place)(line);
    return detail::joined({s.file, " line ", std::to_string(line)});
}

std::string oxide_column(std::string_view header) {
    const auto ox = oxide_of(name_key(trimmed(header)));
    if (!ox) return {};
    if (ox->oxide.total == iron::total_fe2o3) return "Fe2O3T";
    return oxide_names[static_cast<std::size_t>(ox->oxide.slot - 1)];
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

    // The header: the first line that is not blank.
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        if (trimmed(bytes.substr(start, end - start)).size() > 0 || end >= bytes.size()) break;
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    const std::size_t header_end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    const char sep = separator_of(bytes.substr(start, header_end - start));
    records rec(bytes, sep);
    std::vector<std::string> fields;
    fields.reserve(32); // room for most headers, and the rows after them
    int line = 0;
    if (!rec.next(fields, line)) {
        in.error = file + ": no header line";
        return in;
    }
    std::vector<std::string> header;
    header.reserve(fields.size());
    for (const std::string &f : fields) header.push_back(clipped(trimmed(f)));
    layout lay;
    std::vector<std::size_t> headless;
    if (!name_columns(file, file + " line " + std::to_string(line), fields, false, true, lay,
                      headless, in))
        return in;
    text_rows rows(rec, sep, std::move(fields));
    read_rows(rows, file, lay, header, headless, sep == ';' || sep == '\t', false, {}, nullptr, in);
    for (const int l : rec.unclosed)
        in.warnings.push_back(file + " line " + std::to_string(l) +
                              ": a quote is not closed; it is read as a character");
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
    if (!name_columns(t.file, t.file + " line 1", names, true, header_warnings, lay, headless, in))
        return in;
    column_rows rows(t, first, std::min(last, t.rows));
    read_rows(rows, t.file, lay, header, headless, true, t.rows_apart, t.row_name, &t.line_place,
              in);
    return in;
}

} // namespace varno96
