// A whole batch, the one way every front end computes one: the inputs read in order, their
// samples computed (on threads when asked), and each row handed on in order with its cells,
// its Monte-Carlo pairs and its point in the diagram.
#pragma once

#include "api/columns.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "api/words.hpp"
#include "scene/samples.hpp"
#include "tables/reader.hpp"

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace varno96 {

// One input: a file's name and contents, or the error that left it unread.
struct table_text {
    table_text(std::string name_, std::string text_, std::string error_ = {})
        : name(std::move(name_)), text(std::move(text_)), error(std::move(error_)) {}
    std::string name; // the file name the notes give
    std::string text;
    std::string error; // "PATH: cannot open: ..." when it could not be read
    // Or the text opened when its turn comes and read a piece at a time (tables/reader.hpp): a
    // std::runtime_error from opening or reading is the input's error.
    std::function<text_pieces()> open;
    std::size_t size = 0; // of the text opened, in bytes, when known
    // A table given as columns instead (a DataFrame), of which the rows [first, last) are
    // read, the header's warnings only with the first row; read_columns (tables/reader.hpp).
    const columns_input *columns = nullptr;
    std::size_t first = 0, last = static_cast<std::size_t>(-1);
};

// A failure of the calculation's own reading or writing (the shared field reader, a number
// without a value), as an exception of the library.
struct run_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct batch_row {
    std::size_t index;
    const sample_unit &unit;
    const sample_result &result;
    const std::vector<cell> &cells;
    const std::vector<std::vector<cell>> &pairs; // empty unless the hooks ask for them
    bool ok;                                     // the row has a result
};

// Samples of one name found in several inputs, each input's analyses computed alone: said in
// one warning that names the option that joins them.
class spread_samples {
public:
    void add(const std::vector<sample_input> &samples);
    // The warning, in the words of `words`; empty when no name is in several inputs.
    std::string warning(front_end words) const;

private:
    std::unordered_map<std::string, std::size_t> index_;                  // into files_
    std::vector<std::pair<std::string, std::vector<std::string>>> files_; // of each name
};

// How the tables of a batch are read under its options.
reading reading_of(const batch_options &o);

struct batch_hooks {
    unsigned threads = 1;
    front_end words = front_end::command_line; // of the messages and notes that name an option
    bool pairs = false;                        // make each row's pair cells
    bool points = false;                       // keep each row's point of the diagram
    // Before each row and at the end: rows done, rows in all.
    std::function<void(std::size_t, std::size_t)> progress;
    // Each row, in order, on the calling thread.
    std::function<void(const batch_row &)> row;
    // Each message of an input (warnings, an input not read), as varno96-batch writes it:
    // one line, its control characters escaped (message_line).
    std::function<void(const std::string &)> message;
    // An input that could not be read or is not a table at all, with its error; the default
    // goes on with the other inputs (its error is also a message). A front end may throw.
    std::function<void(const std::string &name, const std::string &error)> unreadable;
    // The trial temperature of a row, by the input it comes from (its index in `inputs`) and
    // its unit, when it is not the options' one: each row is then computed as a batch with
    // its temperature alone would compute it.
    std::function<double(std::size_t input, const sample_unit &)> temperature;
    // The Zr of a sample's rutile (ppm) when the front end gives it rather than the table's
    // rutile rows: the one value the Zr-in-rutile thermometers take, in place of any spots.
    std::function<std::optional<double>(const sample_unit &)> zr_ppm;
    // Where the samples found in several inputs are gathered, when the front end reads its
    // inputs in several batches; none: this batch says them (without join).
    spread_samples *spread = nullptr;
};

struct batch_summary {
    choices how; // the seed drawn, when none was given
    std::vector<column> columns, pair_columns;
    std::vector<std::string> names; // of the inputs
    std::vector<bool> wide;         // of the inputs: read as one sample per row
    std::size_t rows = 0;
    std::size_t failed_rows = 0;   // rows without a result
    std::size_t failed_inputs = 0; // inputs not read, or without an analysis
    std::size_t several = 0;       // samples without a result for several analyses of a mineral
    std::vector<plot::batch_sample> points; // of the rows with a result, with hooks.points
    std::string title;                      // of the diagram
};

// Reads and computes `inputs` under `o`, which must have no error (check_options). Throws
// run_error for a failure of the calculation's own input or output, and whatever a hook throws.
batch_summary run_batch(const std::vector<table_text> &inputs, const batch_options &o,
                        const batch_hooks &hooks);

// A whole batch kept in memory, for tests and benchmarks.
struct batch_result {
    std::vector<column> columns;
    std::vector<std::vector<cell>> rows;
    std::vector<column> pair_columns;
    std::vector<std::vector<cell>> pairs;
    std::vector<std::string> messages; // what varno96-batch writes on standard error
    std::size_t failed = 0;            // rows without a result, and files not read
    long long seed = 0;                // the seed used
};
batch_result compute_batch(const std::vector<table_text> &inputs, const batch_options &o,
                           bool with_pairs = true, unsigned threads = 1,
                           const std::function<void(std::size_t, std::size_t)> &progress = {});

// The title of a batch's diagram: the files without their folders, then the answers that
// shaped every point ("SUITE.PRN: model 7, 2-site Cpx, Powell T").
std::string batch_title(const std::vector<std::string> &files, const choices &how);

// The point of a row with a result in the batch's diagram, with the barometer line and the
// intersections of the thermometers asked (those of r.intersections, in their order), and its
// albite = jadeite + quartz for its clinopyroxene's a(jd) (of the `one_site` model or not).
plot::batch_sample diagram_point(const sample_unit &u, const sample_result &r,
                                 const std::vector<thermometry::any_key> &thermometers,
                                 bool one_site);

} // namespace varno96
