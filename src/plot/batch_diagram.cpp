// The diagram of a batch of samples, each with its name beside it.
#include "plot/canvas.hpp"
#include "plot/plot.hpp"
#include "plot/scene.hpp"
#include "plot/text.hpp"

#include <algorithm>

namespace varno96::plot {

namespace {

constexpr double sample_scale = 0.6, label_scale = 0.75;

// What a label should not cover: the samples' marks; and less firmly the lines, given as
// small squares along the 1 s.d. ellipses and the error bars.
struct label_obstacles {
    std::vector<rect> marks, lines;
};

label_obstacles obstacles(canvas &c, const batch_scene &scene) {
    label_obstacles r;
    const auto square = [&](std::vector<rect> &to, const pt_point &q, double half) {
        double x = 0, y = 0;
        c.to_mm(q, x, y);
        to.push_back({x - half, y - half, x + half, y + half});
    };
    for (const batch_mark &m : scene.marks) {
        square(r.marks, m.at, 1.4);
        if (!m.spread) continue;
        for (std::size_t i = 0; i < m.spread->ellipse1.size(); i += 3)
            square(r.lines, m.spread->ellipse1[i], 0.4);
        if (const auto &bar = m.spread->bar2) {
            double x = 0, y0 = 0, y1 = 0;
            c.to_mm({bar->t_c, bar->p_low}, x, y0);
            c.to_mm({bar->t_c, bar->p_high}, x, y1);
            r.lines.push_back({x - 0.6, y0, x + 0.6, y1});
        }
    }
    return r;
}

// Each sample's name placed beside its mark, clear of the other names and marks where there
// is room, on translucent paper so that lines beneath do not break it up.
void draw_labels(canvas &c, const batch_scene &scene) {
    c.pl().schr(0, label_scale);
    const double height = c.char_height_mm();
    std::vector<label_request> requests;
    for (const batch_mark &m : scene.marks) {
        label_request l;
        c.to_mm(m.at, l.x, l.y);
        l.width = c.text_width_mm(utf8_text(m.label)) + 0.8;
        l.height = height * 1.5;
        requests.push_back(l);
    }
    const label_obstacles avoid = obstacles(c, scene);
    const auto places = place_labels(requests, avoid.marks, avoid.lines, c.frame_mm(), 1.6);
    for (std::size_t i = 0; i < places.size(); i++) {
        const rect &b = places[i].box;
        if (places[i].distant) {
            // A leader from the mark to the nearest point of the label's box.
            const double x = std::clamp(requests[i].x, b.x0, b.x1);
            const double y = std::clamp(requests[i].y, b.y0, b.y1);
            const pt_point leader[] = {scene.marks[i].at, c.from_mm(x, y)};
            c.polyline(leader, leader_grey, 0.6);
        }
        c.fill({b.x0, b.y0 + 0.15 * height, b.x1, b.y1 - 0.15 * height}, label_ground);
        const pt_point at = c.from_mm(b.x0 + 0.4, (b.y0 + b.y1) / 2);
        c.pl().col0(ink);
        c.pl().schr(0, label_scale);
        c.pl().ptex(at.t_c, at.p_kbar, 1, 0, 0, plot_text(scene.marks[i].label).c_str());
    }
    c.pl().schr(0, 1.0);
}

} // namespace

void write_batch_diagram(const std::vector<batch_sample> &samples, int left_off,
                         const std::string &title, const std::string &path) {
    const batch_scene scene = make_batch_scene(samples, left_off, title);
    bool any_ellipse = false, any_bar = false;
    for (const batch_mark &m : scene.marks)
        if (m.spread) (m.spread->bar2 ? any_bar : any_ellipse) = true;

    canvas c(path);
    std::vector<legend_entry> entries{
        {"Sample result (T, P)", ink, sample_glyph, sample_scale, 0, false}};
    if (any_ellipse) {
        entries.push_back({"1σ ellipse of Monte-Carlo pass 2 (analyses and mixing parameters)",
                           pass2_dark, nullptr, 1, 1.6, false});
        entries.push_back({"2σ ellipse", pass2_faint, nullptr, 1, 1.0, true});
    }
    if (any_bar) {
        entries.push_back(
            {"±1σ in P of Monte-Carlo pass 2 (fixed T)", pass2_dark, nullptr, 1, 3.0, false});
        entries.push_back({"±2σ in P", pass2_dark, nullptr, 1, 1.0, false});
    }
    const double legend_height = 0.015 + c.legend(entries, 0.12, 0.015).second;
    c.axes(scene.t_axis, scene.p_axis, legend_height + 0.1, scene.t_label, !scene.sample_axis);
    c.titles(plot_text(scene.title), scene.marks.empty() ? "No sample with a result" : "");

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
    draw_labels(c, scene);
    c.finish();
}

} // namespace varno96::plot
