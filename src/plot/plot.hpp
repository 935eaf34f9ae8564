// P-T diagrams: of one run of the dialogue (its result table and Monte-Carlo clouds), and of
// a batch of samples. The picture's format follows the file name: .svg, .pdf or .ps.
#pragma once

#include "scene/samples.hpp"
#include "scene/scene.hpp"

#include <string>
#include <vector>

namespace varno96::plot {

struct run_report;
struct pt_pairs;

// The diagram of one run: the barometer through the result table, the pairs of both
// Monte-Carlo passes with each pass's mean and 1 and 2 s.d. ellipses (Powell temperatures) or
// P error bars (fixed temperature). Throws std::runtime_error with a one-line message naming
// the file on failure; writes whole or not at all.
void write_run_diagram(const run_report &report, const pt_pairs &pairs, const std::string &path);

// The diagram of a batch as `scene.hpp` lays it out (make_batch_scene, layout_batch): one
// panel for all samples, or one for each (on several pages of a PDF or PostScript file when
// they do not fit one). Returns what the figure leaves out, in words, for a message (empty for
// nothing). Throws std::runtime_error with a one-line message naming the file on failure, and
// when no sample has a result (no figure of an empty frame); writes whole or not at all.
std::string write_batch_diagram(const std::vector<batch_sample> &samples, int left_off,
                                const figure_options &options, const std::string &path);

} // namespace varno96::plot
