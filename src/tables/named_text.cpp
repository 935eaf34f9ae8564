// The text of a table: case, blanks, and UTF-16 as UTF-8.
#include "tables/named_text.hpp"

#include <algorithm>
#include <array>

namespace varno96::detail {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view s) {
    std::string r(s);
    for (char &c : r) c = lower(c);
    return r;
}

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

namespace {

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

// The length of the UTF-8 character at bytes[i]: 0 for a byte that starts none (or one that is
// overlong or a surrogate), -1 for one cut short by the end of the bytes.
int utf8_at(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned c = at(0);
    if (c < 0x80) return 1;
    const int n = c >= 0xC2 && c < 0xE0   ? 2
                  : c >= 0xE0 && c < 0xF0 ? 3
                  : c >= 0xF0 && c < 0xF5 ? 4
                                          : 0;
    if (n == 0) return 0;
    const unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    for (int k = 1; k < n; k++) {
        if (i + static_cast<std::size_t>(k) >= bytes.size()) return -1;
        const unsigned b = at(static_cast<std::size_t>(k));
        if (k == 1 ? b < low || b > high : (b & 0xC0) != 0x80) return 0;
    }
    return n;
}

// Windows-1252 from 0x80 to 0x9F; U+FFFD where it has no character.
constexpr std::array<unsigned, 32> cp1252_high{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

bool is_utf8(std::string_view bytes, bool cut_end) {
    for (std::size_t i = 0; i < bytes.size();) {
        const int n = utf8_at(bytes, i);
        if (n < 0) return cut_end;
        if (n == 0) return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

std::string from_cp1252(std::string_view bytes, std::string *rest) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size();) {
        const int n = utf8_at(bytes, i);
        if (n < 0 && rest) {
            *rest = std::string(bytes.substr(i));
            return out;
        }
        if (n > 0) {
            out.append(bytes.substr(i, static_cast<std::size_t>(n)));
            i += static_cast<std::size_t>(n);
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i++]);
        put_utf8(out, c < 0xA0 ? cp1252_high[c - 0x80] : c);
    }
    if (rest) rest->clear();
    return out;
}

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

char utf16_order(std::string_view bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 1024) & ~std::size_t{1};
    std::size_t even = 0, odd = 0;
    for (std::size_t i = 0; i < n; i++) (i % 2 ? odd : even) += bytes[i] == '\0';
    if (n < 4) return 0;
    if (odd * 2 >= n / 2 && even * 10 <= odd) return 'L';
    if (even * 2 >= n / 2 && odd * 10 <= even) return 'B';
    return 0;
}

container container_of(std::string_view bytes) {
    const auto starts = [&](std::string_view magic) {
        return bytes.substr(0, magic.size()) == magic;
    };
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

} // namespace varno96::detail
