// What a diagram shows, worked out from the results before anything is drawn: the marks in
// diagram coordinates, the statistics of each cloud, the texts and the axis ranges.
#pragma once

#include "plot/cloud.hpp"
#include "plot/plot.hpp"
#include "plot/results.hpp"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace varno96::plot {

// A cloud's mean with its 1 and 2 s.d. ellipses (temperature varied) or P error bars (fixed
// temperature, drawn at the mean's T).
struct cloud_spread {
    pt_point mean;
    std::vector<pt_point> ellipse1, ellipse2;
    std::optional<error_bar> bar1, bar2;
};

struct pass_scene {
    std::string legend;                 // what the pass perturbs, and how many runs it has
    std::vector<pt_point> marks;        // the pairs as drawn
    std::optional<cloud_spread> spread; // none without pairs
};

struct run_scene {
    std::string title, subtitle;
    std::string barometer; // the garnet and clinopyroxene models
    std::array<pt_point, 3> table{};
    bool monte_carlo = false;
    bool powell = false; // the runs took Powell temperatures, else one fixed temperature
    bool strips = false; // every pair has one temperature: passes side by side, with bars
    std::array<pass_scene, 2> passes;
    axis_range t_axis, p_axis;
};

// When every pair has one temperature (a fixed one, or Powell temperatures that did not
// vary), the two clouds would lie on one vertical line. Each pass is drawn beside it instead,
// pass 1 left and pass 2 right: its error bars and mean nearest the line, its pairs in a strip
// farther out, spread evenly across the strip. Offsets and half width as fractions of the
// table's span of temperature.
inline constexpr double bar_offset = 0.02, strip_offset = 0.06, strip_half_width = 0.02;

run_scene make_run_scene(const run_report &report, const pt_pairs &pairs);

struct batch_mark {
    std::string label;
    pt_point at;
    std::optional<cloud_spread> spread; // of pass 2, when the sample had it
};

struct batch_scene {
    std::string title, subtitle;
    std::string t_label = "T (°C)"; // or the samples' axis, numbered from 1, without ticks
    bool sample_axis = false;
    std::vector<batch_mark> marks;
    axis_range t_axis, p_axis;
};

// When every sample has one temperature (the table's T kept fixed), their marks and P error
// bars would lie on one vertical line: the horizontal axis then holds the samples in the order
// of the batch, 1, 2, ..., and its label gives the temperature.

batch_scene make_batch_scene(const std::vector<batch_sample> &samples, int left_off,
                             const std::string &title);

} // namespace varno96::plot
