// The batch results as CSV (RFC 4180: CR LF line ends; a field holding a comma, a quote or a
// line end is quoted, its quotes doubled).
#pragma once

#include "batch/sample.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

std::string csv_field(std::string_view text);
std::string csv_line(const std::vector<std::string> &fields);

// Column names of the result rows; with Monte-Carlo columns when `monte_carlo`.
std::vector<std::string> result_columns(bool monte_carlo);
// One result row, numbers with the decimals the report prints, empty where there is none.
std::vector<std::string> result_fields(const sample_input &in, const sample_result &r,
                                       const choices &how);

// Column names and rows of the Monte-Carlo pairs, with the digits of the P-T file.
std::vector<std::string> pair_columns();
std::string pair_lines(const sample_input &in, const sample_result &r);

} // namespace varno96
