// What a diagram shows, worked out from the results before anything is drawn: the marks in
// diagram coordinates, the statistics of each cloud, the texts and the axis ranges; and the
// diagram of a batch laid out on its page, which the PLplot pictures and the browser page
// both draw, so that the two agree on where everything goes.
#pragma once

#include "scene/cloud.hpp"
#include "scene/figure_options.hpp"
#include "scene/labels.hpp"
#include "scene/results.hpp"
#include "scene/samples.hpp"

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

// Sizes of text in points at the final width: journals ask 6 to 8 pt, axis titles and the
// legend 7 pt or more. A character height in mm as PLplot sets it: its fonts have an em of 1.25
// character heights.
inline constexpr double tick_pt = 7, axis_title_pt = 7.5, legend_pt = 7, name_pt = 6,
                        reaction_pt = 6, title_pt = 8.5;
constexpr double char_mm(double pt) { return pt * 25.4 / 72 / 1.25; }
// Line widths in points, none under the 0.25 pt journals ask.
inline constexpr double frame_line_pt = 0.6, ellipse_line_pt = 0.75, barometer_line_pt = 0.4,
                        reaction_line_pt = 0.6, leader_line_pt = 0.35, centre_line_pt = 0.4;

// Each calibration's colour, by its place in the table of calibrations (EG79, P85, K88, A94,
// KR00, KR78, GH82), the same in every figure whichever others are asked: blue, vermillion,
// bluish green, reddish purple (Okabe & Ito's, the green and purple darkened), then violet, olive
// and crimson, chosen to differ pairwise by CIEDE2000 25 or more (and 20 or more from black and
// the greys of the lines) with a contrast of 3.5:1 or more on white. Each has its own marker
// too (see marker_outline). Then the Zr-in-rutile calibrations (TPE07, WWT06, FW07, K20):
// brown, dark green, dusky purple and dark teal, darker, 21 or more from every other colour
// and 20 or more from black and the greys. Spreads, barometer lines and reactions are black
// or grey.
struct rgb {
    int r = 0, g = 0, b = 0;
};
inline constexpr std::array<rgb, 11> thermometer_colours{{{0, 114, 178},
                                                          {213, 94, 0},
                                                          {0, 140, 100},
                                                          {190, 80, 150},
                                                          {90, 0, 240},
                                                          {150, 135, 0},
                                                          {165, 15, 30},
                                                          {105, 75, 30},
                                                          {45, 90, 0},
                                                          {90, 60, 105},
                                                          {0, 90, 90}}};
inline constexpr rgb barometer_rgb{100, 100, 100}, reaction_rgb{140, 140, 140}, spread_rgb{0, 0, 0};
// The reactions dashed (dash, gap in mm), so that they are not taken for barometer lines; a
// sample's albite = jadeite + quartz in shorter dashes, apart from the end-members' beside it.
inline constexpr std::array<double, 2> reaction_dash_mm{1.5, 1.0},
    lowest_pressure_dash_mm{0.7, 0.7};

// The reference reactions eclogite figures show, straight lines P(kbar) = p0 + slope T(°C),
// each with its low-pressure side first in its label.
struct reaction {
    std::string_view label;
    double p0_kbar = 0, kbar_per_c = 0;
};
inline constexpr std::array<reaction, 2> reference_reactions{{
    {"Qz = Coe", 19.5, 0.0102},     // Bohlen & Boettcher (1982) JGR 87, 7073-7078, as usually cited
    {"Ab = Jd + Qz", 0.35, 0.0265}, // Holland (1980) Am. Mineral. 65, 129-134, abstract: ±0.5 kbar
}};

// A reaction where it crosses the frame: its two ends on the frame's edges, in the figure's
// unit.
struct reaction_line {
    std::size_t which = 0; // index into reference_reactions
    std::array<pt_point, 2> ends;
};

// A sample's own reaction line, its ends on the frame's edges, and its label.
struct sample_reaction {
    std::array<pt_point, 2> ends;
    std::string label;
};
// What the legend says of a sample's albite = jadeite + quartz.
inline constexpr std::string_view lowest_pressure_words = "Ab = Jd + Qz at its a(jd): lowest P";

// A thermometer's intersection with a sample's barometer, the analyses' as entered, with the
// 1 s.d. ellipse of its Monte-Carlo runs about their mean (none with fewer than two runs).
struct thermometer_mark {
    std::size_t colour = 0; // index into thermometer_colours, the calibration's
    pt_point at;
    std::vector<pt_point> ellipse1;
    pt_point mean; // of the runs, the ellipse's centre
};

struct batch_mark {
    std::string label;
    pt_point at;       // where its name goes beside it
    bool point = true; // `at` is the sample's result, drawn (not with thermometers)
    std::optional<cloud_spread> spread; // of pass 2, when the sample had it
    // With thermometers: the sample's barometer line, from the frame's edge to its edge.
    std::optional<std::array<pt_point, 2>> barometer;
    std::vector<thermometer_mark> intersections;
    // In its panel: its albite = jadeite + quartz from edge to edge of the frame, labelled with
    // its a(jd) ("a(jd) 0.43"). The overlay draws none: one line a sample would hide the marks.
    std::optional<sample_reaction> lowest_pressure;
};

// A thermometer drawn, as the legend names it: "KR00 Krogh Ravna (2000)".
struct thermometer_entry {
    std::size_t colour = 0;
    std::string text;
};

// Points are in the figure's unit of pressure (pt_point::p_kbar holds GPa in a figure in GPa).
struct batch_scene {
    figure_options options;
    std::string title, subtitle;
    std::string t_label = "T (°C)"; // or the samples' axis, numbered from 1, without ticks
    std::string p_label = "P (kbar)";
    bool sample_axis = false;
    std::vector<batch_mark> marks;
    axis_range t_axis, p_axis;
    double t_step = 0, p_step = 0;               // between ticks
    bool barometers = false;                     // some sample's barometer line is drawn
    std::vector<thermometer_entry> thermometers; // each calibration drawn, in the table's order
    std::vector<reaction_line> reactions;        // those crossing the frame
    std::size_t runs = 0;            // Monte-Carlo runs behind a spread (the most of any sample)
    bool names = true;               // the samples' names written (up to many_samples)
    bool density = false;            // hexagonal bins instead of ellipses (beyond dense_samples)
    bool thermometer_spread = false; // some intersection has a 1σ ellipse
};

// Beyond this many samples an overlay writes no names and draws small marks; beyond the
// second it draws the density of the marks (hexagonal bins) instead of ellipses.
inline constexpr std::size_t many_samples = 50, dense_samples = 500;

// When every sample has one temperature (the table's T kept fixed), their marks and P error
// bars would lie on one vertical line: the horizontal axis then holds the samples in the order
// of the batch, 1, 2, ..., and its label gives the temperature. Not with thermometers, whose
// intersections have temperatures of their own.

// `left_off` samples without a result are counted in the subtitle. With thermometers, a
// sample is drawn as its barometer line and the intersections; its own mark (at the trial
// temperature) then only anchors its name, at the middle of its intersections.
batch_scene make_batch_scene(const std::vector<batch_sample> &samples, int left_off,
                             const figure_options &options = {});

// A step between ticks of 1, 2 or 5 times a power of ten giving about `ticks` ticks on `range`.
double tick_step(const axis_range &range, int ticks);

// ---- The batch's diagram on its page ---------------------------------------------------

// The page of a run's diagram, 510 x 454 points.
inline constexpr double page_width_pt = 510, page_height_pt = 454;

struct page_geometry {
    double width = 85, height = 70;          // mm
    double char_height = char_mm(legend_pt); // mm, of the legend's characters
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
enum class legend_kind {
    mark,
    ellipse1,
    ellipse2,
    bar1,
    bar2,
    barometer,
    thermometer,
    density,
    centre,         // the line from a value as entered to the mean of its runs
    lowest_pressure // a sample's albite = jadeite + quartz
};
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

// One sample's panel: its frame on its page, and which of its edges carry numbers.
struct panel {
    std::size_t mark = 0, page = 0;
    rect frame;
    bool t_numbers = false, p_numbers = false;
};

// A hexagonal bin of the density drawn beyond dense_samples: a calibration's intersections, or
// the samples' results (colour no_calibration), `weight` its count over the largest count of
// the same colour.
inline constexpr std::size_t no_calibration = static_cast<std::size_t>(-1);
struct hex_bin {
    std::size_t colour = no_calibration;
    mm_point centre;
    std::size_t count = 0;
    double weight = 0;
};

// A text set at an angle (degrees anticlockwise), starting at `at` and centred in height.
struct placed_text {
    std::string text;
    mm_point at;
    double angle = 0;
    double pt = reaction_pt;
    std::size_t page = 0;
};

// Everything in mm from the page's lower left corner, y upwards.
struct batch_layout {
    page_geometry page;
    std::size_t pages = 1;
    rect frame;                // the overlay's axes box (the first panel's)
    axis_range t_axis, p_axis; // the frame's ranges
    std::string subtitle;      // what the figure leaves out, for a message; empty for none
    double top_title = 0;      // the title's baseline, when there is a title
    // The legend below the frame, on every page: its box, and its entries in rows of
    // legend_pitch character heights, each entry's symbol legend_symbol mm wide.
    rect legend_box;
    std::vector<legend_row> legend;
    std::vector<mm_point> marks;     // one for each of the scene's marks (overlay)
    std::vector<batch_label> labels; // the names written, in the order of the marks
    std::size_t unwritten = 0;       // names left out for want of room; their marks are drawn
    double label_char = 0;           // mm, the height of the names' characters
    double mark_scale = 1;           // of marks and markers: smaller beyond many_samples
    std::vector<panel> panels;       // with figure_layout::panels, one for each mark
    std::vector<hex_bin> bins;       // beyond dense_samples
    double hex_radius = 0;           // mm, centre to corner
    std::vector<placed_text> reaction_labels; // of the reference reactions and the samples'

    mm_point to_mm(const pt_point &q) const;
    pt_point from_mm(const mm_point &m) const;
    mm_point to_mm(const pt_point &q, const rect &in) const;
};

// The marker of the calibration of colour `index`, filled: a square, a triangle pointing up, a
// diamond, a triangle pointing down, a cross, a saltire and a star, each about marker_radius
// mm from its point, as a polygon in mm about (0, 0), y upwards.
std::vector<mm_point> marker_outline(std::size_t index);

// Sizes the layout and its front ends share (mm unless said otherwise).
inline constexpr double legend_pitch = 1.6;  // from one legend row to the next, in characters
inline constexpr double legend_symbol = 4.5; // the width of a legend entry's symbol
inline constexpr double label_scale = name_pt / legend_pt; // of the names, to the legend's
inline constexpr double label_inset = 0.3;                 // from a name's box to its text
inline constexpr double mark_half = 1.0;      // of the square around a mark that names keep off
inline constexpr double marker_radius = 1.0;  // of a thermometer's marker
inline constexpr double sample_radius = 0.65; // of a sample's point
inline constexpr double many_scale = 0.6;     // of marks and markers beyond many_samples
// The tallest page of panels (a journal's page, less its caption).
inline constexpr double max_page_mm = 220;

// A thin line from a marker at the value as entered to the mean of its runs, the centre of its
// ellipse, where the two lie farther apart than the marker is wide (otherwise the marker hides
// it): the mark, its intersection (no_intersection: the sample's own spread), the page and the
// ends in mm.
inline constexpr std::size_t no_intersection = static_cast<std::size_t>(-1);
struct centre_line {
    std::size_t mark = 0, intersection = no_intersection, page = 0;
    std::array<mm_point, 2> ends;
};
std::vector<centre_line> centre_lines(const batch_scene &scene, const batch_layout &layout);
// What the legend says of them, after the entry of the 1 s.d. ellipses about the runs' mean.
inline constexpr std::string_view centre_words =
    "Markers: the analyses as entered, joined to that mean";
// Whether `scene` in frames of w x h mm with marks scaled by `scale` draws any such line.
bool any_centre_line(const batch_scene &scene, double w, double h, double scale);

// The diagram of `scene` at its width: the frame (or the grid of panels, on as many pages as
// they need; all on one page with `one_page`) within margins for the numbers, the axis titles
// and the legend; each sample's name beside its mark, clear of the other names, the samples'
// marks and the thermometers' markers and inside the frame; a name that finds no such place is
// left out (and counted), and the names are placed in the order of the batch. `width`
// measures the texts.
batch_layout layout_batch(const batch_scene &scene, bool one_page = true,
                          const text_width &width = estimated_text_width);

} // namespace varno96::plot
