// A pandas DataFrame as the text of a table the reader reads: tab-separated with a header row,
// so that a frame's columns are named, matched and read exactly as a file's are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace varno96 {

// One column of a frame: numbers (NaN: an empty cell), or the text of each cell.
struct frame_column {
    std::string name;
    const double *numbers = nullptr; // rows values, or nullptr for text
    std::vector<std::string> texts;
};

// The header and one line per row; a number is written with the fewest digits that read back
// as the same double, a NaN as an empty cell (below detection), and a field holding a tab, a
// quote or a line end (or, in the header, a comma or semicolon) is quoted as RFC 4180 has it.
std::string frame_text(const std::vector<frame_column> &columns, std::size_t rows);

} // namespace varno96
