// Readers of the two files a run of the dialogue leaves in its folder: the report (VARNO.RES,
// or LPT1 when it went to the printer) and the Monte-Carlo pairs (VARNOPT.RES).
#pragma once

#include "scene/cloud.hpp"

#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace varno96::plot {

// A file that cannot be read or is not laid out as the program writes it; the message is one
// line and names the file (and the line, where there is one).
class input_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Monte-Carlo statistics of one pass as the report prints them: the T row only when the
// temperature varied (Powell temperatures), no rows at all when fewer than two runs had a
// value.
struct pass_summary {
    std::optional<double> t_mean, t_sd, p_mean, p_sd;
    std::vector<std::string> left_out; // "N of 200 runs left out: why"
};

struct run_report {
    std::string garnet_model;         // as the "Grt:" line names it, without the padding
    std::string cpx_model;            // "1-site Cpx" or "2-site Cpx"
    std::string sample;               // the sample label, or the data file's name
    bool from_file = false;           // sample names a data file ("Data from ...")
    std::array<pt_point, 3> table{};  // the result table: trial T and 50 degrees either side
    std::vector<pass_summary> passes; // none, or the two Monte-Carlo passes
};

// Pass 1 perturbs the analyses only, pass 2 the mixing parameters too. Both empty when the
// run did no Monte-Carlo propagation.
struct pt_pairs {
    std::vector<pt_point> pass1, pass2;
    bool present = false; // the file holds the two passes (possibly without pairs)
};

run_report parse_report(const std::string &text, const std::string &name);
pt_pairs parse_pt_pairs(const std::string &text, const std::string &name);

// The report of the run in `folder`: VARNO.RES, or LPT1 when only that one is there.
std::filesystem::path report_path(const std::filesystem::path &folder);

// The report's Monte-Carlo statistics against the pairs: both or neither have the two
// passes, and each pass's printed means agree with the mean of its pairs as far as the
// rounding of the two files allows. Returns the first disagreement in words, if any.
std::optional<std::string> mismatch(const run_report &report, const pt_pairs &pairs);

// The temperature of the Monte-Carlo runs varied: Powell temperatures. Read from the T rows of
// the report, or from the pairs when a pass had too few runs for statistics.
bool temperature_varies(const run_report &report, const pt_pairs &pairs);

// Every pair of both passes has the same temperature (true without pairs).
bool one_temperature(const pt_pairs &pairs);

} // namespace varno96::plot
