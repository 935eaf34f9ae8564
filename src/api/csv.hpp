// Rows as CSV (RFC 4180, CR LF): fields quoted where they hold a comma, a quote or a line end.
#pragma once

#include "api/columns.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

std::string csv_field(std::string_view text);
std::string csv_line(const std::vector<std::string> &fields);
std::string csv_line(const std::vector<cell> &cells);
// The same added to `to`: a file of hundreds of thousands of lines made without a string each.
void append_csv_field(std::string &to, std::string_view text);
void append_csv_line(std::string &to, const std::vector<cell> &cells);
std::string csv_header(const std::vector<column> &columns);

} // namespace varno96
