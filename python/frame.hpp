// The batch as the Python module runs it: tables given as text or as a DataFrame's columns
// (read by their names, a large wide frame a part at a time), a temperature per sample if
// asked, and the rows and pairs gathered as columns of values rather than rows of cells.
#pragma once

#include "api/batch.hpp"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace varno96 {

// One input: a table's text, or a frame's columns.
struct call_input {
    std::string name;
    std::string text;
    std::optional<columns_input> frame;
    // A frame's trial temperature of each row, taken when it is read as one sample per row;
    // empty: by sample name.
    std::vector<double> row_temperatures;
};

struct call_options {
    batch_options batch;
    bool with_pairs = false;
    unsigned jobs = 1;
    std::size_t part = 65536; // rows of a wide frame read and computed at a time
    // The trial temperature of each sample by name, where a frame's rows have none;
    // `by_sample` false: batch.temperature for every sample.
    bool by_sample = false;
    std::map<std::string, double> sample_temperatures;
    // The Zr of the rutile (ppm) of every sample, or of each by name, in place of the table's
    // rutile rows; neither: the rows'.
    std::optional<double> zr_all;
    std::map<std::string, double> sample_zr;
    // Called between rows now and then; an exception from it ends the call.
    std::function<void()> check;
};

// Columns of a table: numbers, whole numbers (as double) or texts, one value per row.
struct value_columns {
    std::vector<column> columns;
    std::vector<std::vector<double>> numbers; // empty for a text column
    std::vector<std::vector<std::string>> texts;

    explicit value_columns(std::vector<column> c);
    std::size_t rows() const;
    void reserve(std::size_t rows);
    void add(const std::vector<cell> &row);
};

struct call_result {
    value_columns rows, pairs;
    std::vector<std::string> messages;
    long long seed = 0;
    std::vector<std::size_t> input_rows; // the rows of each input
    std::vector<char> input_wide;        // whether each input has one sample per row
    std::size_t several = 0;     // samples without a result for several analyses of a mineral
    std::size_t failed_rows = 0; // rows without a result
};

// Reads and computes every input as varno96-batch does, through run_batch; an input that is
// not a table at all throws std::invalid_argument, as does a sample without a temperature.
call_result run_call(std::vector<call_input> &inputs, const call_options &o);

} // namespace varno96
