// The diagram of a batch of samples drawn with PLplot as the scene lays it out: everything but
// the axes' boxes and numbers in mm on the page.
#include "plot/canvas.hpp"
#include "plot/output.hpp"
#include "plot/plot.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace varno96::plot {

namespace {

// PLplot's line widths are in points on these pages.
constexpr double pt_width(double pt) { return pt; }

class drawing {
public:
    drawing(canvas &c, const batch_scene &scene, const batch_layout &layout)
        : c_(c), scene_(scene), layout_(layout), centres_(centre_lines(scene, layout)) {}

    void page(std::size_t number) {
        page_ = number;
        if (number > 0) c_.next_page();
        const bool panels = !layout_.panels.empty();
        if (!panels) {
            frame(layout_.frame, true, true);
            in_frame(layout_.frame, scene_.marks, true);
        }
        for (const panel &p : layout_.panels) {
            if (p.page != number) continue;
            frame(p.frame, p.t_numbers, p.p_numbers);
            in_frame(p.frame, std::span(&scene_.marks[p.mark], 1), false);
            c_.page_world(layout_.page.width, layout_.page.height);
            // The name below the ticks of the frame's top and clear of those of its side.
            text(utf8_text(scene_.marks[p.mark].label),
                 {p.frame.x0 + 1.5, p.frame.y1 - 1.5 - char_mm(name_pt) / 2}, 0, name_pt, ink);
        }
        c_.page_world(layout_.page.width, layout_.page.height);
        for (const placed_text &t : layout_.reaction_labels)
            if (t.page == number) text(t.text, t.at, t.angle, t.pt, ink);
        legend();
        if (!scene_.title.empty())
            text(plot_text(scene_.title), {layout_.page.width / 2, layout_.top_title}, 0, title_pt,
                 ink, 0.5);
    }

private:
    canvas &c_;
    const batch_scene &scene_;
    const batch_layout &layout_;
    const std::vector<centre_line> centres_;
    std::size_t page_ = 0;

    void text(const std::string &s, const mm_point &at, double angle, double pt, colour col,
              double just = 0) {
        plstream &p = c_.pl();
        p.col0(col);
        p.schr(char_mm(pt), 1.0);
        const double a = angle * std::numbers::pi / 180;
        p.ptex(at.x, at.y, std::cos(a), std::sin(a), just, s.c_str());
    }

    // With `dash_mm`, dashed: the lengths of dash and gap.
    void line(std::span<const mm_point> points, colour col, double width_pt,
              std::span<const double> dash_mm = {}) {
        std::vector<PLFLT> x, y;
        for (const mm_point &q : points) x.push_back(q.x), y.push_back(q.y);
        plstream &p = c_.pl();
        p.col0(col);
        p.width(pt_width(width_pt));
        if (dash_mm.size() == 2) {
            const PLINT mark = static_cast<PLINT>(std::lround(1000 * dash_mm[0])),
                        space = static_cast<PLINT>(std::lround(1000 * dash_mm[1])); // micrometres
            p.styl(1, &mark, &space);
        }
        p.line(static_cast<PLINT>(x.size()), x.data(), y.data());
        p.lsty(1);
    }

    void filled(const std::vector<mm_point> &outline, const mm_point &at, double scale,
                colour col) {
        // From the middle of the first edge round to it again: the SVG device outlines a
        // filled shape as an open line, whose ends would otherwise notch a corner.
        std::vector<PLFLT> x, y;
        const std::size_t n = outline.size();
        x.push_back(at.x + scale * (outline[0].x + outline[1].x) / 2);
        y.push_back(at.y + scale * (outline[0].y + outline[1].y) / 2);
        for (std::size_t i = 1; i <= n; i++) {
            x.push_back(at.x + scale * outline[i % n].x);
            y.push_back(at.y + scale * outline[i % n].y);
        }
        c_.pl().col0(col);
        c_.pl().fill(static_cast<PLINT>(x.size()), x.data(), y.data());
    }

    static std::vector<mm_point> circle(double r) {
        std::vector<mm_point> out;
        for (int k = 0; k < 24; k++) {
            const double a = 2 * std::numbers::pi * k / 24;
            out.push_back({r * std::cos(a), r * std::sin(a)});
        }
        return out;
    }

    // The box with ticks, numbers on the sides asked, and the axis titles there.
    void frame(const rect &f, bool t_numbers, bool p_numbers) {
        plstream &p = c_.pl();
        const double w = layout_.page.width, h = layout_.page.height;
        p.vpor(f.x0 / w, f.x1 / w, f.y0 / h, f.y1 / h);
        p.wind(scene_.t_axis.lo, scene_.t_axis.hi, scene_.p_axis.lo, scene_.p_axis.hi);
        p.col0(ink);
        p.width(pt_width(frame_line_pt));
        p.schr(char_mm(tick_pt), 1.0);
        const bool t_ticks = !scene_.sample_axis;
        p.box(t_numbers && t_ticks ? "bcnst"
              : t_ticks            ? "bcst"
                                   : "bc",
              scene_.t_step, 0, p_numbers ? "bcnstv" : "bcst", scene_.p_step, 0);
        const double em_tick = 1.25 * char_mm(tick_pt), ch_title = char_mm(axis_title_pt);
        p.schr(ch_title, 1.0);
        if (t_numbers)
            p.mtex("b", (0.8 + em_tick + 0.8 + 1.25 * ch_title * 0.75) / ch_title, 0.5, 0.5,
                   scene_.t_label.c_str());
        if (p_numbers)
            p.mtex("l", (0.8 + 2.0 * em_tick + 1.0 + 0.3 * ch_title) / ch_title, 0.5, 0.5,
                   scene_.p_label.c_str());
    }

    // The marks of one frame, drawn in mm on the page.
    void in_frame(const rect &f, std::span<const batch_mark> marks, bool overlay) {
        c_.page_world(layout_.page.width, layout_.page.height);
        const auto mm = [&](const pt_point &q) { return layout_.to_mm(q, f); };
        const auto path = [&](std::span<const pt_point> points) {
            std::vector<mm_point> out;
            for (const pt_point &q : points) out.push_back(mm(q));
            return out;
        };
        for (const reaction_line &r : scene_.reactions)
            line(path(r.ends), reaction_grey, reaction_line_pt, reaction_dash_mm);
        for (const batch_mark &m : marks)
            if (m.lowest_pressure)
                line(path(m.lowest_pressure->ends), reaction_grey, reaction_line_pt,
                     lowest_pressure_dash_mm);
        for (const batch_mark &m : marks)
            if (m.barometer) line(path(*m.barometer), barometer_grey, barometer_line_pt);
        const double scale = layout_.mark_scale;
        if (overlay && scene_.density) {
            plstream &p = c_.pl();
            for (const hex_bin &b : layout_.bins) {
                const rgb col = b.colour == no_calibration
                                    ? rgb{60, 60, 60}
                                    : thermometer_colours[b.colour % thermometer_colours.size()];
                p.scol0a(shade, col.r, col.g, col.b, 0.15 + 0.75 * b.weight);
                std::vector<mm_point> hexagon;
                for (int k = 0; k < 6; k++) {
                    const double a = (30 + 60 * k) * std::numbers::pi / 180;
                    hexagon.push_back(
                        {layout_.hex_radius * std::cos(a), layout_.hex_radius * std::sin(a)});
                }
                filled(hexagon, b.centre, 1, shade);
            }
            return;
        }
        for (const batch_mark &m : marks) {
            if (!m.spread) continue;
            if (m.spread->bar1) {
                const mm_point lo = mm({m.spread->bar1->t_c, m.spread->bar1->p_low});
                const mm_point hi = mm({m.spread->bar1->t_c, m.spread->bar1->p_high});
                const mm_point stem[] = {lo, hi};
                line(stem, ink, ellipse_line_pt);
                for (double y : {lo.y, hi.y}) {
                    const mm_point cap[] = {{lo.x - 0.6, y}, {lo.x + 0.6, y}};
                    line(cap, ink, ellipse_line_pt);
                }
            } else {
                line(path(m.spread->ellipse1), ink, ellipse_line_pt);
            }
        }
        for (const batch_mark &m : marks)
            for (const thermometer_mark &x : m.intersections)
                if (!x.ellipse1.empty())
                    line(path(x.ellipse1), thermometer_colour(x.colour), ellipse_line_pt);
        // The lines from each value as entered to the mean of its runs, beneath the markers.
        for (const centre_line &l : centres_)
            if (l.page == page_ && (overlay || &scene_.marks[l.mark] == marks.data()))
                line(l.ends,
                     l.intersection == no_intersection
                         ? ink
                         : thermometer_colour(
                               scene_.marks[l.mark].intersections[l.intersection].colour),
                     centre_line_pt);
        for (const batch_mark &m : marks)
            if (m.point) filled(circle(sample_radius), mm(m.at), scale, ink);
        for (const batch_mark &m : marks)
            for (const thermometer_mark &x : m.intersections)
                filled(marker_outline(x.colour), mm(x.at), scale, thermometer_colour(x.colour));
        if (!overlay) return;
        for (const batch_label &l : layout_.labels) {
            if (l.leader) line(*l.leader, leader_grey, leader_line_pt);
            const rect &b = l.box;
            text(plot_text(scene_.marks[l.mark].label), {b.x0 + label_inset, (b.y0 + b.y1) / 2}, 0,
                 name_pt, ink);
        }
    }

    void legend() {
        for (const legend_row &row : layout_.legend) {
            const mm_point mid{row.x + legend_symbol / 2, row.y};
            const mm_point across[] = {{row.x, row.y}, {row.x + legend_symbol, row.y}};
            switch (row.kind) {
            case legend_kind::mark:
                filled(circle(sample_radius), mid, 1, ink);
                break;
            case legend_kind::ellipse1:
            case legend_kind::ellipse2: {
                std::vector<mm_point> e;
                for (int k = 0; k <= 32; k++) {
                    const double a = 2 * std::numbers::pi * k / 32;
                    e.push_back({mid.x + 2.0 * std::cos(a), mid.y + 0.9 * std::sin(a)});
                }
                line(e, ink, ellipse_line_pt);
                break;
            }
            case legend_kind::bar1:
            case legend_kind::bar2: {
                const mm_point stem[] = {{mid.x, mid.y - 1.2}, {mid.x, mid.y + 1.2}};
                line(stem, ink, ellipse_line_pt);
                break;
            }
            case legend_kind::barometer:
                line(across, barometer_grey, barometer_line_pt);
                break;
            case legend_kind::lowest_pressure:
                line(across, reaction_grey, reaction_line_pt, lowest_pressure_dash_mm);
                break;
            case legend_kind::centre:
                line(across, ink, centre_line_pt);
                filled(circle(sample_radius), {row.x + 0.6, row.y}, 1, ink);
                break;
            case legend_kind::thermometer:
                filled(marker_outline(row.colour), mid, 1, thermometer_colour(row.colour));
                break;
            case legend_kind::density: {
                c_.pl().scol0a(shade, 60, 60, 60, 0.5);
                std::vector<mm_point> hexagon;
                for (int k = 0; k < 6; k++) {
                    const double a = (30 + 60 * k) * std::numbers::pi / 180;
                    hexagon.push_back({1.1 * std::cos(a), 1.1 * std::sin(a)});
                }
                filled(hexagon, mid, 1, shade);
                break;
            }
            }
            text(plot_text(row.text), {row.x + legend_symbol + 0.8, row.y}, 0, legend_pt, ink);
        }
    }
};

} // namespace

std::string write_batch_diagram(const std::vector<batch_sample> &samples, int left_off,
                                const figure_options &options, const std::string &path) {
    if (samples.empty())
        throw std::runtime_error("no sample has a result: no diagram written to " + path);
    const batch_scene scene = make_batch_scene(samples, left_off, options);
    const bool one_page = format_of(path) == picture_format::svg;
    const batch_layout layout = layout_batch(scene, one_page);
    canvas c(path, layout.page.width * 72 / 25.4, layout.page.height * 72 / 25.4);
    drawing d(c, scene, layout);
    for (std::size_t page = 0; page < layout.pages; page++) d.page(page);
    c.finish();
    std::string said = scene.subtitle;
    if (layout.unwritten > 0) said += (said.empty() ? "" : "; ") + layout.subtitle;
    return said;
}

} // namespace varno96::plot
