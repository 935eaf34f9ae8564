#include "plot/scene.hpp"

#include "plot/text.hpp"

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

// What a name should not cover: the samples' marks; and less firmly the lines, given as
// small squares along the 1 s.d. ellipses and the 2 s.d. error bars.
struct obstacles {
    std::vector<rect> marks, lines;
};

obstacles obstacles_of(const batch_layout &layout, const batch_scene &scene) {
    obstacles r;
    const auto square = [](std::vector<rect> &to, const mm_point &m, double half) {
        to.push_back({m.x - half, m.y - half, m.x + half, m.y + half});
    };
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        square(r.marks, layout.marks[i], mark_half);
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
    const double pitch = legend_pitch * page.char_height;
    const double legend_h = pitch * static_cast<double>(layout.legend.size());
    layout.legend_box = {0.12 * page.width, 0.015 * page.height, 0.95 * page.width,
                         0.015 * page.height + legend_h};
    for (std::size_t i = 0; i < layout.legend.size(); i++)
        layout.legend[i].y = layout.legend_box.y1 - (static_cast<double>(i) + 0.5) * pitch;
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
