// A PLplot page drawn into memory and written to its file whole when finished, with the
// colours, marks and axes that the diagrams share.
#pragma once

#include "scene/cloud.hpp"
#include "scene/labels.hpp"
#include "scene/scene.hpp"

#include <plstream.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <utility>

namespace varno96::plot {

// Colour map 0. The two passes are blue and orange (Okabe & Ito), which stay apart as dark and
// light grey in print; their statistics are drawn in darker shades of the same hues.
enum colour : PLINT {
    paper = 0,
    ink = 1,
    pass1_colour = 2,
    pass1_dark = 3,
    pass2_colour = 4,
    pass2_dark = 5,
    pass1_marks = 6, // translucent, for clouds of many pairs
    pass2_marks = 7,
    leader_grey = 8,
    pass2_faint = 9,   // 2 s.d. ellipses of a batch, many of which overlap
    label_ground = 10, // translucent paper behind labels that cross lines
    barometer_grey = 11,
    reaction_grey = 12,
    shade = 13,             // set before each use: a hexagon's colour and weight
    thermometer_first = 14, // then one for each of thermometer_colours (scene.hpp)
};
colour thermometer_colour(std::size_t index);

// Glyphs of the marks (drawn as text, centred on the point).
inline constexpr const char *pass1_glyph = "●";
inline constexpr const char *pass2_glyph = "▲";
inline constexpr const char *table_glyph = "■";
inline constexpr const char *mean_glyph = "◆";
inline constexpr const char *sample_glyph = "●";

inline constexpr PLINT dashed_style = 3; // PLplot's long dashes
// The width of a legend's symbols and lines, as a fraction of the page's width.
inline constexpr double legend_plot_width = 0.06;

// One line of a legend: a symbol, a line, or both (symbol empty for none).
struct legend_entry {
    std::string text;
    colour c = ink;
    const char *symbol = nullptr;
    double symbol_scale = 1;
    double line_width = 0; // 0 for no line
    bool dashed = false;
};

class canvas {
public:
    // Chooses the device from the name's ending; throws std::runtime_error naming `path` when
    // the ending is not .svg, .pdf or .ps or this PLplot has no such device.
    explicit canvas(std::string path, double width_pt = page_width_pt,
                    double height_pt = page_height_pt);
    // Ends the page and begins another of the same size (PDF and PostScript).
    void next_page();
    // Sets the world to mm on the page, from its lower left corner, for a page laid out
    // `width` x `height` mm.
    void page_world(double width, double height);
    ~canvas();
    canvas(const canvas &) = delete;
    canvas &operator=(const canvas &) = delete;

    plstream &pl() { return *stream_; }
    // Ends the page and writes the file whole; throws std::runtime_error naming the file.
    void finish();

    // The viewport (normalised page coordinates) and world window of the diagram, with a
    // box, ticks and axis titles.
    void axes(const axis_range &t_axis, const axis_range &p_axis, double bottom,
              const std::string &t_label = "T (°C)", bool t_numbers = true);
    // The same with the frame given in mm on the page.
    void axes(const axis_range &t_axis, const axis_range &p_axis, const rect &frame,
              const std::string &t_label, bool t_numbers);
    // The page's size in mm.
    double page_width_mm() const { return page_mm_[1] - page_mm_[0]; }
    double page_height_mm() const { return page_mm_[3] - page_mm_[2]; }
    // A title line above the diagram, and a smaller second line under it (when not empty).
    void titles(const std::string &title, const std::string &subtitle);

    void polyline(std::span<const pt_point> points, colour c, double width, bool dashed = false);
    void fill(const rect &box_mm, colour c);
    // A filled polygon, in world coordinates.
    void polygon(std::span<const pt_point> corners, colour c);
    void marks(std::span<const pt_point> points, const char *glyph, colour c, double scale);
    // A mean: the glyph in its pass's colour with a dark rim.
    void mean_mark(const pt_point &at, colour fill, colour rim, double scale);
    // A vertical P error bar with end caps `cap` mm wide.
    void bar(const error_bar &bar, colour c, double width, double cap);

    // A legend in the page's lower margin, drawn before the axes are set: `x` from the
    // page's left edge (right edge when `from_right`) and `y` from its foot, as fractions of
    // the page. Returns its width and height in the same measure.
    std::pair<double, double> legend(std::span<const legend_entry> entries, double x, double y,
                                     bool from_right = false);

    // Millimetres on the page of a diagram point, and the reverse.
    void to_mm(const pt_point &point, double &x, double &y);
    pt_point from_mm(double x, double y);
    // The diagram's frame in mm, and the height in mm of the current characters.
    rect frame_mm();
    double char_height_mm();
    // Estimated width in mm of text at the current size: a font of PLplot's devices has an
    // em of 1.25 character heights, and sans-serif text averages 0.6 em per character.
    double text_width_mm(const std::string &utf8);

    // Where PLplot's output collects until finish().
    struct memory_file {
        std::string bytes;
        std::size_t at = 0;
        bool closed = false;
    };

private:
    std::string path_;
    memory_file memory_;
    std::FILE *file_ = nullptr;
    std::unique_ptr<plstream> stream_;
    double page_mm_[4]{}; // subpage: x min, x max, y min, y max
    void close_stream();
};

} // namespace varno96::plot
