// Rows as CSV (RFC 4180, CR LF).
#include "api/table.hpp"

namespace varno96 {

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csv_line(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); i++) line += (i ? "," : "") + csv_field(fields[i]);
    return line + "\r\n";
}

std::string csv_line(const std::vector<cell> &cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); i++) {
        if (i) line += ',';
        line += csv_field(cells[i].text);
    }
    return line + "\r\n";
}

std::string csv_header(const std::vector<column> &columns) {
    std::vector<std::string> names;
    for (const column &c : columns) names.push_back(c.name);
    return csv_line(names);
}

} // namespace varno96
