// Rows as CSV (RFC 4180, CR LF).
#include "api/csv.hpp"

namespace varno96 {

void append_csv_field(std::string &to, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        to += text;
        return;
    }
    to += '"';
    for (char c : text) {
        if (c == '"') to += '"';
        to += c;
    }
    to += '"';
}

std::string csv_field(std::string_view text) {
    std::string field;
    append_csv_field(field, text);
    return field;
}

std::string csv_line(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); i++) {
        if (i) line += ',';
        append_csv_field(line, fields[i]);
    }
    return line + "\r\n";
}

void append_csv_line(std::string &to, const std::vector<cell> &cells) {
    for (std::size_t i = 0; i < cells.size(); i++) {
        if (i) to += ',';
        append_csv_field(to, cells[i].text);
    }
    to += "\r\n";
}

std::string csv_line(const std::vector<cell> &cells) {
    std::string line;
    append_csv_line(line, cells);
    return line;
}

std::string csv_header(const std::vector<column> &columns) {
    std::vector<std::string> names;
    for (const column &c : columns) names.push_back(c.name);
    return csv_line(names);
}

} // namespace varno96
