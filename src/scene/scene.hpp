// What a diagram shows, worked out from the results before anything is drawn: the marks in
// diagram coordinates, the statistics of each cloud, the texts and the axis ranges; and the
// diagram of a batch laid out on its page, which the PLplot pictures and the browser page
// both draw, so that the two agree on where everything goes.
#pragma once

#include "scene/cloud.hpp"
#include "scene/labels.hpp"
#include "scene/samples.hpp"
#include "scene/results.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// The thermometers' colours and markers, by their place among the thermometers asked, so
// that the first few are the most distinct: Okabe & Ito's blue, vermillion, bluish green and
// reddish purple, then their sky blue, orange and yellow, each darkened where needed to a
// contrast of 3.3:1 or more against white. Each has its own marker shape too (see
// marker_outline).
struct rgb {
    int r = 0, g = 0, b = 0;
};
inline constexpr std::array<rgb, 7> thermometer_colours{{{0, 114, 178},
                                                         {213, 94, 0},
                                                         {0, 158, 115},
                                                         {196, 116, 160},
                                                         {71, 149, 193},
                                                         {189, 130, 0},
                                                         {151, 144, 42}}};

// A thermometer's intersection with a sample's barometer, with the 1 s.d. ellipse of its
// Monte-Carlo runs (none with fewer than two runs).
struct thermometer_mark {
    std::size_t colour = 0; // index into thermometer_colours
    pt_point at;
    std::vector<pt_point> ellipse1;
};

struct batch_mark {
    std::string label;
    pt_point at;
    std::optional<cloud_spread> spread; // of pass 2, when the sample had it
    // With thermometers: the sample's barometer line, from the frame's edge to its edge.
    std::optional<std::array<pt_point, 2>> barometer;
    std::vector<thermometer_mark> intersections;
};

// A thermometer drawn, as the legend names it: "KR00 Krogh Ravna (2000)".
struct thermometer_entry {
    std::size_t colour = 0;
    std::string text;
};

struct batch_scene {
    std::string title, subtitle;
    std::string t_label = "T (°C)"; // or the samples' axis, numbered from 1, without ticks
    bool sample_axis = false;
    std::vector<batch_mark> marks;
    axis_range t_axis, p_axis;
    bool barometers = false;                     // some sample's barometer line is drawn
    std::vector<thermometer_entry> thermometers; // each colour drawn once, in its order
};

// When every sample has one temperature (the table's T kept fixed), their marks and P error
// bars would lie on one vertical line: the horizontal axis then holds the samples in the order
// of the batch, 1, 2, ..., and its label gives the temperature. Not with thermometers, whose
// intersections have temperatures of their own.

batch_scene make_batch_scene(const std::vector<batch_sample> &samples, int left_off,
                             const std::string &title);

// ---- The batch's diagram on its page ---------------------------------------------------

// The page of the diagrams, 510 x 454 points: room for the diagram, a title above it and a
// legend below.
inline constexpr double page_width_pt = 510, page_height_pt = 454;

struct page_geometry {
    double width = page_width_pt * 25.4 / 72, height = page_height_pt * 25.4 / 72; // mm
    double char_height = 3.400775; // mm at scale 1, as PLplot sets it on this page
};

// Width in mm of UTF-8 text set in characters `char_height` mm high.
using text_width = std::function<double(std::string_view utf8, double char_height)>;

// The estimate without a font at hand: the advance widths of the usual sans-serif font, in
// ems of 1.25 character heights (as PLplot's devices set their fonts).
double estimated_text_width(std::string_view utf8, double char_height);

struct mm_point {
    double x = 0, y = 0;
};

// One entry of the legend: what its symbol shows, its text, and where it is: the left end of
// its symbol and the middle of its row. A thermometer's entry has its colour and marker.
enum class legend_kind { mark, ellipse1, ellipse2, bar1, bar2, barometer, thermometer };
struct legend_row {
    legend_kind kind = legend_kind::mark;
    std::string text;
    double y = 0;
    double x = 0;
    std::size_t colour = 0; // of a thermometer
};

// A sample's name where it is written: its box (the text starts label_inset mm into it,
// centred in height), and a leader from the mark to the box when it stands apart.
struct batch_label {
    std::size_t mark = 0; // index into the scene's marks
    rect box;
    std::optional<std::array<mm_point, 2>> leader;
};

// Everything in mm from the page's lower left corner, y upwards.
struct batch_layout {
    page_geometry page;
    rect frame;                // the diagram's axes box
    axis_range t_axis, p_axis; // the frame's ranges
    std::string subtitle;      // below the scene's title; empty for none
    // The legend, in the lower margin: its box, and its entries, top down, legend_pitch
    // character heights apart. The sample's mark and spreads each have a row of their own;
    // the barometer line and the thermometers follow two to a row, in columns half the box
    // apart. (PLplot draws each column as a legend of its own, from its lower left corner.)
    rect legend_box;
    std::vector<legend_row> legend;
    std::vector<mm_point> marks;     // one for each of the scene's marks
    std::vector<batch_label> labels; // the names written, in the order of the marks
    std::size_t unwritten = 0;       // names left out for want of room; their marks are drawn
    double label_char = 0;           // mm, the height of the names' characters

    mm_point to_mm(const pt_point &q) const;
    pt_point from_mm(const mm_point &m) const;
};

// The marker of the thermometer of colour `index`, filled: a square, a triangle pointing up, a
// diamond, a triangle pointing down, a cross, a saltire and a star, each about marker_radius
// mm from its point, as a polygon in mm about (0, 0), y upwards.
std::vector<mm_point> marker_outline(std::size_t index);

// Sizes the layout and its front ends share (mm unless said otherwise).
inline constexpr double legend_pitch = 1.9;  // from one legend row to the next, in characters
inline constexpr double label_scale = 0.75;  // of the names, to the page's characters
inline constexpr double label_inset = 0.4;   // from a name's box to its text
inline constexpr double mark_half = 1.4;     // of the square around a mark that names keep off
inline constexpr double marker_radius = 1.3; // of a thermometer's marker

// The diagram of `scene` on `page`: the frame within the margins left for the title and the
// legend, and each sample's name placed beside its mark, clear of the other names, the
// samples' marks and the thermometers' markers and inside the frame; a name that finds no such
// place is left out (and counted), and the names are placed in the order of the batch. `width`
// measures the names.
batch_layout layout_batch(const batch_scene &scene, const page_geometry &page = {},
                          const text_width &width = estimated_text_width);

} // namespace varno96::plot
