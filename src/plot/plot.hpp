// P-T diagrams: of one run of the dialogue (its result table and Monte-Carlo clouds), and of
// a batch of samples. The picture's format follows the file name: .svg, .pdf or .ps.
#pragma once

#include "scene/samples.hpp"

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

// One diagram of a batch: each sample's (T, P) with its pass-2 1σ/2σ ellipse (t_varies) or
// P error bars (fixed T) and its name beside it; `left_off` samples without a result are
// counted in the title. With thermometers, each sample's barometer line across the diagram
// and a marker in each thermometer's colour where it meets it, with the 1σ ellipse of its
// Monte-Carlo runs, and a legend naming the calibrations. An empty batch gives empty axes. Throws
// std::runtime_error with a one-line message naming the file on failure; writes whole or not at
// all.
void write_batch_diagram(const std::vector<batch_sample> &samples, int left_off,
                         const std::string &title, const std::string &path);

} // namespace varno96::plot
