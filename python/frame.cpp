#include "frame.hpp"

#include <charconv>
#include <cmath>

namespace varno96 {

namespace {

void put_field(std::string &out, const std::string &text, const char *special) {
    if (text.find_first_of(special) == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string frame_text(const std::vector<frame_column> &columns, std::size_t rows) {
    std::string out;
    out.reserve((rows + 1) * columns.size() * 8);
    // The separator is the most frequent of tab, semicolon and comma outside quotes in the
    // header: names holding the others are quoted so that the tab stays it.
    for (std::size_t c = 0; c < columns.size(); c++) {
        if (c) out += '\t';
        put_field(out, columns[c].name, "\t\"\r\n,;");
    }
    out += '\n';
    char buffer[32];
    for (std::size_t r = 0; r < rows; r++) {
        for (std::size_t c = 0; c < columns.size(); c++) {
            if (c) out += '\t';
            const frame_column &col = columns[c];
            if (!col.numbers) {
                put_field(out, col.texts[r], "\t\"\r\n");
                continue;
            }
            const double x = col.numbers[r];
            if (std::isnan(x)) continue;
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
            out.append(buffer, end);
        }
        out += '\n';
    }
    return out;
}

} // namespace varno96
