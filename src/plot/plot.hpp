// P-T diagrams: of one run of the dialogue (its result table and Monte-Carlo clouds), and of
// a batch of samples. The picture's format follows the file name: .svg, .pdf or .ps.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varno96::plot {

struct run_report;
struct pt_pairs;

// The diagram of one run: the barometer through the result table, the pairs of both
// Monte-Carlo passes with each pass's mean and 1 and 2 s.d. ellipses (Powell temperatures) or
// P error bars (fixed temperature). Throws std::runtime_error with a one-line message naming
// the file on failure; writes whole or not at all.
void write_run_diagram(const run_report &report, const pt_pairs &pairs, const std::string &path);

// Where a thermometer meets a sample's barometer: the calibration as the legend names it
// ("KR00 Krogh Ravna (2000)"), the thermometer's place among those asked (its colour and
// marker), the point, and the point of each Monte-Carlo run of pass 2 that has one.
struct batch_intersection {
    std::string legend;
    std::size_t colour = 0;
    double t_c = 0, p_kbar = 0;
    std::vector<std::pair<double, double>> runs; // (T_C, P_kbar)
};

struct batch_sample {
    std::string label;
    double t_c = 0;
    double p_kbar = 0;
    // (T_C, P_kbar) pairs of Monte-Carlo pass 2, empty without it
    std::vector<std::pair<double, double>> pass2;
    bool t_varies = false;
    // With thermometers: two points of the sample's barometer line P(T), (T_C, P_kbar) (the
    // table's rows at T - 50 and T + 50), and each thermometer's intersection with it.
    std::optional<std::array<std::pair<double, double>, 2>> barometer;
    std::vector<batch_intersection> intersections;
};

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
