// Column names: the columns a header row gives each oxide of each mineral, the sample, the
// mineral and the label (named_columns.cpp).
#pragma once

#include "tables/reader.hpp"

#include <algorithm>
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
    // Zr of rutile rows: in ppm or as ZrO2 wt% (long layout); in ppm, Zr_rt_ppm (wide).
    int zr = -1, zro2 = -1;
    std::array<int, 3> total{-1, -1, -1}; // the Total column of each set, or -1
    std::array<int, 3> cr2o3{-1, -1, -1}; // the Cr2O3 column of each set (reading::cr2o3), or -1
    bool wide = false;
    mineral only = mineral::unknown; // a table of one mineral
    bool rutile_only = false;        // a table of rutile alone
    std::size_t last = 0;            // the last column read
    // The choice of spots: of each mineral, each column read and its values chosen (plain);
    // or, when one of its columns is missing, the refusal to give on its first row.
    std::array<std::vector<std::pair<std::size_t, std::vector<std::string>>>, 3> chosen;
    std::array<std::string, 3> unchoosable;
    std::vector<std::size_t> others; // columns of no use that may name samples
};

// How a message writes the name of a column: none, quoted as any text is.
using name_writer = std::function<std::string(std::string_view)>;

// The columns a header row names: false with in.error when it cannot be read; what it leaves
// unused or missing in in.warnings when `warn`. With `written`, columns in conflict are shown
// as it writes their names, blanks and all, and a header without an oxide as a list of them.
bool name_columns(const std::string &file, const std::string &at_header,
                  const std::vector<std::string> &fields, const name_writer &written, bool warn,
                  const reading &how, layout &lay, std::vector<std::size_t> &headless,
                  file_input &in);

// The column of `fields` that `name` names as the user wrote it: the one whose header is it,
// else the one alike without case and blanks; -1 for none, -2 for several alike.
int named_column(const std::vector<std::string> &fields, std::string_view name);

// The columns the choice of spots `how.where` reads, in lay.chosen (lay.wide and lay.at set):
// false with `error` when a column it needs is missing from a header that needs it now, or
// is named by several; `used` marks the columns read. `columns` lists the header's columns.
bool choose_columns(const std::string &at_header, const std::vector<std::string> &fields,
                    const reading &how, const std::string &columns, layout &lay,
                    std::vector<bool> &used, std::string &error);

// Whether the analysis of mineral `k` in a row is chosen; `field(c)` gives the row's cell.
template <class Field> bool chosen(const layout &lay, std::size_t k, const Field &field) {
    for (const auto &[c, values] : lay.chosen[k]) {
        const std::string cell = plain(field(c));
        if (std::find(values.begin(), values.end(), cell) == values.end()) return false;
    }
    return true;
}

// The items, the first `most` of them and a count of the rest.
std::string list(const std::vector<std::string> &items, std::size_t most = 20);

} // namespace varno96::detail
