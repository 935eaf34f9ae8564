#include "scene/scene.hpp"

#include "scene/text.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varno96::plot {

double estimated_text_width(std::string_view utf8, double char_height) {
    // Advance widths of DejaVu Sans (Debian's sans-serif) in hundredths of an em, from ' '
    // to '~'; anything else counts as a capital.
    static constexpr unsigned char ascii[95] = {
        32,  40, 46, 84, 64, 95, 78, 28, 39, 39, 50, 84, 32, 36, 32, 34, // ' ' to '/'
        64,  64, 64, 64, 64, 64, 64, 64, 64, 64, 34, 34, 84, 84, 84, 53, // '0' to '?'
        100, 68, 69, 70, 77, 63, 58, 78, 75, 30, 30, 66, 56, 86, 75, 79, // '@' to 'O'
        60,  79, 70, 64, 61, 73, 68, 99, 69, 61, 69, 39, 34, 39, 84, 50, // 'P' to '_'
        50,  61, 64, 55, 64, 62, 35, 64, 63, 28, 28, 58, 28, 97, 63, 61, // '`' to 'o'
        64,  64, 41, 52, 39, 63, 59, 82, 59, 59, 53, 64, 34, 64, 84};    // 'p' to '~'
    double ems = 0;
    for (std::size_t i = 0; i < utf8.size(); i++) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 32 && c < 127)
            ems += ascii[c - 32] / 100.0;
        else if ((c & 0xC0) != 0x80) // the first byte of a character beyond ASCII
            ems += 0.7;
    }
    return 1.25 * char_height * ems;
}

mm_point batch_layout::to_mm(const pt_point &q) const {
    return {frame.x0 + (q.t_c - t_axis.lo) / (t_axis.hi - t_axis.lo) * (frame.x1 - frame.x0),
            frame.y0 + (q.p_kbar - p_axis.lo) / (p_axis.hi - p_axis.lo) * (frame.y1 - frame.y0)};
}

pt_point batch_layout::from_mm(const mm_point &m) const {
    return {t_axis.lo + (m.x - frame.x0) / (frame.x1 - frame.x0) * (t_axis.hi - t_axis.lo),
            p_axis.lo + (m.y - frame.y0) / (frame.y1 - frame.y0) * (p_axis.hi - p_axis.lo)};
}

std::vector<mm_point> marker_outline(std::size_t index) {
    const double r = marker_radius;
    // A regular polygon of n corners, the first at `turn` degrees from the x axis; with
    // `inner`, a star whose notches lie that fraction of r from the centre.
    const auto polygon = [r](int n, double turn, double size, double inner = 0) {
        std::vector<mm_point> out;
        const int corners = inner > 0 ? 2 * n : n;
        for (int k = 0; k < corners; k++) {
            const double a = (turn + 360.0 * k / corners) * std::numbers::pi / 180;
            const double radius = inner > 0 && k % 2 ? inner * r : size * r;
            out.push_back({radius * std::cos(a), radius * std::sin(a)});
        }
        return out;
    };
    // A cross of arms `w` mm wide, turned by `turn` degrees.
    const auto cross = [r](double w, double turn) {
        const double h = w / 2, a = 1.05 * r;
        const double xy[12][2] = {{h, h},   {a, h},   {a, -h}, {h, -h}, {h, -a}, {-h, -a},
                                  {-h, -h}, {-a, -h}, {-a, h}, {-h, h}, {-h, a}, {h, a}};
        const double c = std::cos(turn * std::numbers::pi / 180);
        const double s = std::sin(turn * std::numbers::pi / 180);
        std::vector<mm_point> out;
        for (const auto &[x, y] : xy) out.push_back({c * x - s * y, s * x + c * y});
        return out;
    };
    switch (index % thermometer_colours.size()) {
    case 0:
        return polygon(4, 45, 1.1);
    case 1:
        return polygon(3, 90, 1.25);
    case 2:
        return polygon(4, 90, 1.25);
    case 3:
        return polygon(3, -90, 1.25);
    case 4:
        return cross(0.75, 0);
    case 5:
        return cross(0.75, 45);
    default:
        return polygon(5, 90, 1.35, 0.5);
    }
}

namespace {

std::vector<legend_row> legend_of(const batch_scene &scene) {
    bool any_ellipse = false, any_bar = false;
    for (const batch_mark &m : scene.marks)
        if (m.spread) (m.spread->bar2 ? any_bar : any_ellipse) = true;
    std::vector<legend_row> rows{{legend_kind::mark, "Sample result (T, P)", 0}};
    if (any_ellipse) {
        rows.push_back({legend_kind::ellipse1,
                        "1σ ellipse of Monte-Carlo pass 2 (analyses and mixing parameters)", 0});
        rows.push_back({legend_kind::ellipse2, "2σ ellipse", 0});
    }
    if (any_bar) {
        rows.push_back({legend_kind::bar1, "±1σ in P of Monte-Carlo pass 2 (fixed T)", 0});
        rows.push_back({legend_kind::bar2, "±2σ in P", 0});
    }
    return rows;
}

// The entries that go two to a row: the barometer line and the thermometers.
std::vector<legend_row> paired_entries(const batch_scene &scene) {
    std::vector<legend_row> entries;
    if (scene.barometers)
        entries.push_back({legend_kind::barometer, "Barometer P(T) of each sample", 0});
    for (const thermometer_entry &e : scene.thermometers)
        entries.push_back({legend_kind::thermometer, e.text, 0, 0, e.colour});
    return entries;
}

// What a name should not cover: the samples' marks, then the thermometers' markers; and less
// firmly the lines, given as small squares along the 1 s.d. ellipses, the 2 s.d. error bars
// and the barometer lines.
struct obstacles {
    std::vector<rect> marks, lines;
};

obstacles obstacles_of(const batch_layout &layout, const batch_scene &scene) {
    obstacles r;
    const auto square = [](std::vector<rect> &to, const mm_point &m, double half) {
        to.push_back({m.x - half, m.y - half, m.x + half, m.y + half});
    };
    for (std::size_t i = 0; i < scene.marks.size(); i++)
        square(r.marks, layout.marks[i], mark_half);
    for (const batch_mark &m : scene.marks)
        for (const thermometer_mark &x : m.intersections) {
            square(r.marks, layout.to_mm(x.at), mark_half);
            for (std::size_t k = 0; k < x.ellipse1.size(); k += 3)
                square(r.lines, layout.to_mm(x.ellipse1[k]), 0.4);
        }
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        if (const auto &line = scene.marks[i].barometer) {
            const mm_point a = layout.to_mm((*line)[0]), b = layout.to_mm((*line)[1]);
            const int n = static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / 1.5));
            for (int k = 0; k <= n; k++) {
                const double f = static_cast<double>(k) / std::max(n, 1);
                square(r.lines, {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)}, 0.3);
            }
        }
        const auto &spread = scene.marks[i].spread;
        if (!spread) continue;
        for (std::size_t k = 0; k < spread->ellipse1.size(); k += 3)
            square(r.lines, layout.to_mm(spread->ellipse1[k]), 0.4);
        if (const auto &bar = spread->bar2) {
            const mm_point low = layout.to_mm({bar->t_c, bar->p_low});
            const mm_point high = layout.to_mm({bar->t_c, bar->p_high});
            r.lines.push_back({low.x - 0.6, low.y, low.x + 0.6, high.y});
        }
    }
    return r;
}

std::string names_left_out(std::size_t left_out, std::size_t of) {
    if (left_out == 1) return "1 name not written: no room beside its mark";
    return std::to_string(left_out) + " of " + std::to_string(of) +
           " names not written: no room beside their marks";
}

} // namespace

batch_layout layout_batch(const batch_scene &scene, const page_geometry &page,
                          const text_width &width) {
    batch_layout layout;
    layout.page = page;
    layout.t_axis = scene.t_axis;
    layout.p_axis = scene.p_axis;
    layout.label_char = label_scale * page.char_height;
    layout.subtitle = scene.marks.empty() ? "No sample with a result" : scene.subtitle;

    // The legend a little above the page's foot, the frame a tenth of the page above it, with
    // room to its left for the P axis's numbers and title and to its right for the last
    // T tick's number.
    layout.legend = legend_of(scene);
    const std::vector<legend_row> paired = paired_entries(scene);
    const std::size_t rows = layout.legend.size() + (paired.size() + 1) / 2;
    const double pitch = legend_pitch * page.char_height;
    const double legend_h = pitch * static_cast<double>(rows);
    layout.legend_box = {0.12 * page.width, 0.015 * page.height, 0.95 * page.width,
                         0.015 * page.height + legend_h};
    const double half = (layout.legend_box.x1 - layout.legend_box.x0) / 2;
    for (std::size_t i = 0; i < layout.legend.size(); i++) {
        layout.legend[i].x = layout.legend_box.x0;
        layout.legend[i].y = layout.legend_box.y1 - (static_cast<double>(i) + 0.5) * pitch;
    }
    const std::size_t single = layout.legend.size();
    for (std::size_t i = 0; i < paired.size(); i++) {
        legend_row row = paired[i];
        const std::size_t at = single + i / 2;
        row.x = layout.legend_box.x0 + static_cast<double>(i % 2) * half;
        row.y = layout.legend_box.y1 - (static_cast<double>(at) + 0.5) * pitch;
        layout.legend.push_back(row);
    }
    layout.frame = {0.12 * page.width, layout.legend_box.y1 + 0.1 * page.height, 0.95 * page.width,
                    0.88 * page.height};

    for (const batch_mark &m : scene.marks) layout.marks.push_back(layout.to_mm(m.at));
    std::vector<label_request> requests;
    for (std::size_t i = 0; i < scene.marks.size(); i++)
        requests.push_back(
            {layout.marks[i].x, layout.marks[i].y,
             width(utf8_text(scene.marks[i].label), layout.label_char) + 2 * label_inset,
             1.5 * layout.label_char});
    const obstacles avoid = obstacles_of(layout, scene);
    const auto places = place_labels(requests, avoid.marks, avoid.lines, layout.frame, 1.6);
    for (std::size_t i = 0; i < places.size(); i++) {
        if (!places[i]) {
            layout.unwritten++;
            continue;
        }
        batch_label label{i, places[i]->box, std::nullopt};
        if (places[i]->distant)
            label.leader = {{layout.marks[i], {places[i]->end_x, places[i]->end_y}}};
        layout.labels.push_back(label);
    }
    if (layout.unwritten > 0) layout.subtitle = names_left_out(layout.unwritten, places.size());
    return layout;
}

} // namespace varno96::plot
