// Test support for the P-T diagrams: the built varno96-plot run in a scratch folder (with the
// result files of a golden run, support/golden.hpp), and an SVG picture read back into P-T
// coordinates. VARNO96_PLOT_PROGRAM is set by the build.
#pragma once

#include "support/golden.hpp"
#include "support/scratch.hpp"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace varno96::test {

using plot_run = run_result;

// varno96-plot with `args`, started in `where`.
plot_run run_plot(const std::vector<std::string> &args, const std::filesystem::path &where);

// A text and a line of an SVG picture, in its drawing coordinates (y up).
struct svg_text {
    std::string text, fill;
    double x = 0, y = 0;
    double size = 0; // pt
};
struct svg_line {
    std::string stroke, fill; // fill "none" for a line, else a filled polygon
    double width = 0;
    std::vector<std::pair<double, double>> points;
};

// An SVG picture as PLplot's svg device writes it, parsed as XML (throws when it is not
// well formed), with the axes read from the tick labels: T = t0 + t1 x, P = p0 + p1 y (t0 and
// t1 are 0 on a samples' axis, which has none).
struct svg_picture {
    std::vector<svg_text> texts;
    std::vector<svg_line> lines;
    double t0 = 0, t1 = 0, p0 = 0, p1 = 0;
    double tick_label_y = 0; // of the T tick labels: below them lies the legend

    std::pair<double, double> pt(double x, double y) const { return {t0 + t1 * x, p0 + p1 * y}; }
    // Texts that are `glyph` in colour `fill` within the diagram (above the T tick labels).
    std::vector<svg_text> marks(const std::string &glyph, const std::string &fill) const;
    bool has_text(const std::string &text) const;
    // The points, in (T, P), of every line (not filled) drawn in `stroke` at `width` within
    // the diagram.
    std::vector<std::pair<double, double>> line_points(const std::string &stroke,
                                                       double width) const;
    // The filled polygons of colour `fill` within the diagram, and below it (the legend's).
    std::pair<std::size_t, std::size_t> filled(const std::string &fill) const;
};
svg_picture read_svg(const std::string &xml);

// Number of "T P" lines of pass 1 and of pass 2 of a VARNOPT.RES text.
std::pair<std::size_t, std::size_t> pair_counts(const std::string &pt_file);

} // namespace varno96::test
