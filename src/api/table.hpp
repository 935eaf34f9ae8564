// The table of results of many samples: the options of a batch, the rows each sample gives
// (one, or one per combination of its analyses), their columns as text with the report's
// decimals and as numbers at full precision, and the same as CSV (RFC 4180, CR LF).
#pragma once

#include "api/columns.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "api/words.hpp"
#include "tables/reader.hpp"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

// The refusal of the first option out of its range or in conflict with another, in the words
// of varno96-batch ("--model: must be a whole number from 1 to 7: 8"); empty when none. The
// checks are those of the option table (api/options.hpp).
std::string option_error(const batch_options &o);
// The answers of the options, which must have no error; the seed given or drawn.
choices choices_of(const batch_options &o);

// One calculation: a sample, or one combination of its analyses.
struct sample_unit {
    const sample_input *in = nullptr;
    sample_wt wt;
    std::array<int, 3> count{};          // analyses of each mineral taken
    std::array<std::string, 3> labels{}; // with combine each: the analysis of each mineral
    std::string problem;                 // why it cannot be computed
    std::string note;                    // what the reader changed in its analyses
    std::optional<double> t_c;           // its own trial temperature, not the batch's
    bool several = false; // no result for several analyses of a mineral, without combining
};

// With combine each, a sample with more combinations gets no result rather than a run without
// end.
inline constexpr std::size_t max_combinations = 10000;

// The calculations of the samples under `mode`, in order; their problems name the options in
// the words of `words`.
std::vector<sample_unit> sample_units(const std::vector<sample_input> &samples, combine_mode mode,
                                      front_end words = front_end::command_line);
// How many of them sample `s` gives.
std::size_t unit_count(const sample_input &s, combine_mode mode);

std::string csv_field(std::string_view text);
std::string csv_line(const std::vector<std::string> &fields);
std::string csv_line(const std::vector<cell> &cells);
// The same added to `to`: a file of hundreds of thousands of lines made without a string each.
void append_csv_field(std::string &to, std::string_view text);
void append_csv_line(std::string &to, const std::vector<cell> &cells);
std::string csv_header(const std::vector<column> &columns);

// Computes every unit, on `threads` threads (1: this one), and hands each result to `row` in
// the order of the units, on the calling thread, while the next are computed.
// `progress(done, total)` is called before each row and at the end. The results do not depend
// on the number of threads; an exception from a unit or from `row` ends the computing and is
// thrown on.
void compute_units(const std::vector<sample_unit> &units, const choices &how, unsigned threads,
                   const std::function<void(std::size_t, const sample_result &)> &row,
                   const std::function<void(std::size_t, std::size_t)> &progress = {});

// A row's name in a diagram: its sample, and with combine each the analyses combined.
std::string unit_name(const sample_unit &u);
// The title of a batch's diagram: the files without their folders, then the answers that
// shaped every point ("SUITE.PRN: model 7, 2-site Cpx, Powell T").
std::string batch_title(const std::vector<std::string> &files, const choices &how);

// The messages of one file read, as varno96-batch reports them: its error and warnings.
std::vector<std::string> file_messages(const file_input &in, const std::string &file);

// A message as one line of standard error, whole: NUL and the other control characters escaped
// (\0, \n, \r, \t, \xHH, C1 controls too), and the bytes that are no UTF-8 (\xHH); all else
// as it is.
std::string message_line(std::string_view message);
// A text cell of a table (a name, a note): its control characters escaped as in messages.
std::string cell_text(std::string_view text);
// The end of a run: "2 of 7 rows without a result (their note says why)"; empty when every row
// has one.
std::string rows_summary(std::size_t without_result, std::size_t rows);

} // namespace varno96
