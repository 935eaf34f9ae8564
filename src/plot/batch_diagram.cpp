// The diagram of a batch of samples, each with its name beside it, drawn as laid out.
#include "plot/canvas.hpp"
#include "plot/plot.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <algorithm>
#include <functional>
#include <vector>

namespace varno96::plot {

namespace {

constexpr double sample_scale = 0.6;

legend_entry entry_of(const legend_row &row) {
    switch (row.kind) {
    case legend_kind::mark:
        return {row.text, ink, sample_glyph, sample_scale, 0, false};
    case legend_kind::ellipse1:
        return {row.text, pass2_dark, nullptr, 1, 1.6, false};
    case legend_kind::ellipse2:
        return {row.text, pass2_faint, nullptr, 1, 1.0, true};
    case legend_kind::bar1:
        return {row.text, pass2_dark, nullptr, 1, 3.0, false};
    case legend_kind::bar2:
        break;
    case legend_kind::barometer:
        return {row.text, barometer_grey, nullptr, 1, 0.8, false};
    case legend_kind::thermometer: // its marker drawn apart
        return {row.text, thermometer_colour(row.colour), nullptr, 1, 0, false};
    }
    return {row.text, pass2_dark, nullptr, 1, 1.0, false};
}

// A thermometer's marker about `at` (mm on the page), in the current world coordinates.
void draw_marker(canvas &c, std::size_t index, const mm_point &at,
                 const std::function<pt_point(const mm_point &)> &to_world) {
    std::vector<pt_point> corners;
    for (const mm_point &m : marker_outline(index))
        corners.push_back(to_world({at.x + m.x, at.y + m.y}));
    c.polygon(corners, thermometer_colour(index));
}

// The names written, on translucent paper so that lines beneath do not break them up.
void draw_labels(canvas &c, const batch_scene &scene, const batch_layout &layout) {
    const double height = layout.label_char;
    for (const batch_label &l : layout.labels) {
        if (l.leader) {
            const pt_point leader[] = {layout.from_mm((*l.leader)[0]),
                                       layout.from_mm((*l.leader)[1])};
            c.polyline(leader, leader_grey, 0.6);
        }
        const rect &b = l.box;
        c.fill({b.x0, b.y0 + 0.15 * height, b.x1, b.y1 - 0.15 * height}, label_ground);
        const pt_point at = layout.from_mm({b.x0 + label_inset, (b.y0 + b.y1) / 2});
        c.pl().col0(ink);
        c.pl().schr(0, label_scale);
        c.pl().ptex(at.t_c, at.p_kbar, 1, 0, 0, plot_text(scene.marks[l.mark].label).c_str());
    }
    c.pl().schr(0, 1.0);
}

} // namespace

void write_batch_diagram(const std::vector<batch_sample> &samples, int left_off,
                         const std::string &title, const std::string &path) {
    const batch_scene scene = make_batch_scene(samples, left_off, title);
    canvas c(path);
    const page_geometry page{c.page_width_mm(), c.page_height_mm(), c.char_height_mm()};
    const batch_layout layout = layout_batch(scene, page);

    // Each column of the legend as a legend of its own, its rows where the layout puts them.
    std::vector<double> columns;
    for (const legend_row &row : layout.legend)
        if (std::find(columns.begin(), columns.end(), row.x) == columns.end())
            columns.push_back(row.x);
    const double pitch = legend_pitch * page.char_height;
    for (double x : columns) {
        std::vector<legend_entry> entries;
        double lowest = layout.legend_box.y1;
        for (const legend_row &row : layout.legend)
            if (row.x == x) {
                entries.push_back(entry_of(row));
                lowest = std::min(lowest, row.y);
            }
        c.legend(entries, x / page.width, (lowest - pitch / 2) / page.height);
        // The legend's world is the page, from 0 to 1; a marker where PLplot puts a single
        // symbol: half a symbol's width (half a character) into the plot area, which begins
        // a border of 0.4 characters in (PLplot measures widths across in character heights
        // as a fraction of the page's height).
        const double across = page.char_height * page.width / page.height;
        const double middle = x + 0.4 * across + 0.25 * across;
        for (const legend_row &row : layout.legend)
            if (row.x == x && row.kind == legend_kind::thermometer)
                draw_marker(c, row.colour, {middle, row.y}, [&](const mm_point &m) {
                    return pt_point{m.x / page.width, m.y / page.height};
                });
    }
    c.axes(scene.t_axis, scene.p_axis, layout.frame, scene.t_label, !scene.sample_axis);
    c.titles(plot_text(scene.title), layout.subtitle);

    // The barometer lines beneath everything, then the spreads, the marks and the names.
    for (const batch_mark &m : scene.marks)
        if (m.barometer) c.polyline(*m.barometer, barometer_grey, 0.8);
    for (const batch_mark &m : scene.marks) {
        if (!m.spread) continue;
        if (m.spread->bar2) {
            c.bar(*m.spread->bar2, pass2_dark, 1.0, 2.0);
            c.bar(*m.spread->bar1, pass2_dark, 3.0, 0);
        } else {
            c.polyline(m.spread->ellipse2, pass2_faint, 1.0, true);
            c.polyline(m.spread->ellipse1, pass2_dark, 1.6);
        }
    }
    for (const batch_mark &m : scene.marks)
        for (const thermometer_mark &x : m.intersections)
            if (!x.ellipse1.empty()) c.polyline(x.ellipse1, thermometer_colour(x.colour), 1.0);
    for (const batch_mark &m : scene.marks)
        c.marks(std::span(&m.at, 1), sample_glyph, ink, sample_scale);
    for (const batch_mark &m : scene.marks)
        for (const thermometer_mark &x : m.intersections)
            draw_marker(c, x.colour, layout.to_mm(x.at),
                        [&](const mm_point &at) { return layout.from_mm(at); });
    draw_labels(c, scene, layout);
    c.finish();
}

} // namespace varno96::plot
