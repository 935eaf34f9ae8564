#include "scene/text.hpp"

#include <cstdint>

namespace varno96::plot {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0.
std::size_t sequence_length(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    std::uint32_t code = 0;
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0)
        n = 2, code = b & 0x1Fu;
    else if ((b & 0xF0) == 0xE0)
        n = 3, code = b & 0x0Fu;
    else if ((b & 0xF8) == 0xF0)
        n = 4, code = b & 0x07u;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; k++) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond Unicode are not text.
    static constexpr std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[n] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return n;
}

} // namespace

std::string utf8_text(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        const auto b = static_cast<unsigned char>(raw[i]);
        const std::size_t n = sequence_length(raw, i);
        if (n == 1) {
            out += b < 0x20 || b == 0x7F ? ' ' : raw[i];
        } else if (n > 1) {
            out.append(raw.substr(i, n));
        } else if (b >= 0xA0) { // Latin-1 letter or sign
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        } else {
            out += ' '; // Latin-1 control range
        }
        i += n > 0 ? n : 1;
    }
    return out;
}

std::string plot_text(std::string_view raw) {
    std::string out;
    for (char c : utf8_text(raw)) {
        out += c;
        if (c == '#') out += '#';
    }
    return out;
}

std::size_t text_length(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) n++;
    return n;
}

} // namespace varno96::plot
