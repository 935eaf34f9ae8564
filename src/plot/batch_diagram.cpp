// The diagram of a batch of samples, each with its name beside it, drawn as laid out.
#include "plot/canvas.hpp"
#include "plot/plot.hpp"
#include "plot/scene.hpp"
#include "plot/text.hpp"

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
    }
    return {row.text, pass2_dark, nullptr, 1, 1.0, false};
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

    std::vector<legend_entry> entries;
    for (const legend_row &row : layout.legend) entries.push_back(entry_of(row));
    c.legend(entries, layout.legend_box.x0 / page.width, layout.legend_box.y0 / page.height);
    c.axes(scene.t_axis, scene.p_axis, layout.frame, scene.t_label, !scene.sample_axis);
    c.titles(plot_text(scene.title), layout.subtitle);

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
        c.marks(std::span(&m.at, 1), sample_glyph, ink, sample_scale);
    draw_labels(c, scene, layout);
    c.finish();
}

} // namespace varno96::plot
