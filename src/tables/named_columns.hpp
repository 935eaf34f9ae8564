// Column names: the columns a header row gives each oxide of each mineral, the sample, the
// mineral and the label (named_columns.cpp).
#pragma once

#include "tables/reader.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varno96::detail {

// Where each mineral's oxides are: for the long layout one set (index 0), for the wide one set
// per mineral.
struct layout {
    std::array<std::array<int, NEL + 1>, 3> at{}; // column + 1 of each oxide slot; 0: none
    std::array<bool, 3> fe2o3_total{};            // the FeO slot holds all iron as Fe2O3
    int sample = -1, mineral_col = -1, label = -1;
    std::array<int, 3> total{-1, -1, -1}; // the Total column of each set, or -1
    bool wide = false;
    std::size_t last = 0; // the last column read
};

// How a message writes the name of a column: none, quoted as any text is.
using name_writer = std::function<std::string(std::string_view)>;

// The columns a header row names: false with in.error when it cannot be read; what it leaves
// unused or missing in in.warnings when `warn`. With `written`, columns in conflict are shown
// as it writes their names, blanks and all, and a header without an oxide as a list of them.
bool name_columns(const std::string &file, const std::string &at_header,
                  const std::vector<std::string> &fields, const name_writer &written, bool warn,
                  layout &lay, std::vector<std::size_t> &headless, file_input &in);

// The items, the first `most` of them and a count of the rest.
std::string list(const std::vector<std::string> &items, std::size_t most = 20);

} // namespace varno96::detail
