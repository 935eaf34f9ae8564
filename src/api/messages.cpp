#include "api/messages.hpp"

#include "tables/named_columns.hpp"

#include <algorithm>

namespace varno96 {

namespace {

// The length of the UTF-8 character at text[i], or 0 for a byte that starts none or one cut
// short, overlong or a surrogate.
std::size_t utf8_length(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const unsigned c = at(0);
    const std::size_t n = c >= 0xC2 && c < 0xE0   ? 2
                          : c >= 0xE0 && c < 0xF0 ? 3
                          : c >= 0xF0 && c < 0xF5 ? 4
                                                  : 0;
    if (n == 0) return 0;
    const unsigned second = at(1);
    const unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < n; k++)
        if ((at(k) & 0xC0) != 0x80) return 0;
    return n;
}

// `text` with its control characters (C0, DEL, and C1 in UTF-8) and each byte that is no part
// of a UTF-8 character escaped as \0, \n, \r, \t or \xHH; all else as it is. Without `bytes`
// (a table's cell) tabs and line ends stay: a quoted field holds them.
std::string escaped(std::string_view text, bool bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const auto plain = [bytes](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 0x20 && u < 0x7F) || (!bytes && (c == '\t' || c == '\n' || c == '\r'));
    };
    if (std::all_of(text.begin(), text.end(), plain)) return std::string(text);
    std::string line;
    line.reserve(text.size() + 8);
    const auto escape = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        line += '\\';
        switch (c) {
        case '\0':
            line += '0';
            break;
        case '\n':
            line += 'n';
            break;
        case '\r':
            line += 'r';
            break;
        case '\t':
            line += 't';
            break;
        default:
            line += 'x';
            line += hex[u >> 4];
            line += hex[u & 0xF];
        }
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u < 0x80) {
            if (plain(text[i]))
                line += text[i];
            else
                escape(text[i]);
            i++;
            continue;
        }
        const std::size_t n = utf8_length(text, i);
        if (n == 2 && u == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            escape(text[i]); // U+0080 to U+009F: the C1 controls, CSI among them
            escape(text[i + 1]);
        } else if (n > 0) {
            line.append(text, i, n);
        } else {
            escape(text[i]); // never a byte that is no UTF-8, in a line or in a cell
        }
        i += n > 0 ? n : 1;
    }
    return line;
}

} // namespace

std::string message_line(std::string_view message) { return escaped(message, true); }

std::string cell_text(std::string_view text) { return escaped(text, false); }

std::string rows_summary(std::size_t without_result, std::size_t rows) {
    if (without_result == 0) return {};
    return grouped(without_result) + " of " + grouped(rows) + " row" + (rows == 1 ? "" : "s") +
           " without a result (" + (without_result == 1 ? "its" : "their") + " note says why)";
}

std::vector<std::string> file_messages(const file_input &in, const std::string &file,
                                       front_end words, std::string_view chosen) {
    std::vector<std::string> said = in.warnings;
    if (in.one_sample && !in.samples.empty()) {
        const sample_input &s = in.samples.front();
        std::vector<std::string> counts;
        for (std::size_t k = 0; k < 3; k++)
            if ((*in.one_sample)[k] > 0)
                counts.push_back(std::to_string((*in.one_sample)[k]) + " " + mineral_names[k]);
        std::string text = file +
                           ": no sample column (Sample, Sample ID, Sample No., Rock, Name, "
                           "ID, ...): its " +
                           detail::list(counts) + " analyses are computed as one sample, " +
                           quoted(s.name) + "; ";
        if (s.unnamed && !s.unnamed->empty())
            text += detail::list(*s.unnamed) + " may" + " name the samples: ";
        said.push_back(text +
                       option_words(words, option_of(&batch_options::sample_column),
                                    words == front_end::python ? "\"NAME\"" : "NAME") +
                       " names the column");
    }
    if (in.error.empty() && in.unchosen_rows > 0) {
        std::string text = file + ": " + grouped(in.unchosen_rows) + " row" +
                           (in.unchosen_rows == 1 ? "" : "s") +
                           " left out by the choice of spots " + std::string(chosen);
        if (!in.unchosen_samples.empty())
            text += "; none left of sample" +
                    std::string(in.unchosen_samples.size() > 1 ? "s " : " ") +
                    detail::list(in.unchosen_samples);
        said.push_back(text);
    }
    if (!in.error.empty())
        said.push_back(in.error);
    else if (in.samples.empty() && in.unchosen_rows == 0)
        said.push_back(file + ": no analysis after the header");
    return said;
}

} // namespace varno96
