// The text of a table: case, blanks, and UTF-16 as UTF-8.
#include "tables/named.hpp"

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

} // namespace

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

} // namespace varno96::detail
