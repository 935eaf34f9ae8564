#include "scene/scene.hpp"

#include "scene/reaction_labels.hpp"
#include "scene/text.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <tuple>

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

mm_point batch_layout::to_mm(const pt_point &q, const rect &in) const {
    return {in.x0 + (q.t_c - t_axis.lo) / (t_axis.hi - t_axis.lo) * (in.x1 - in.x0),
            in.y0 + (q.p_kbar - p_axis.lo) / (p_axis.hi - p_axis.lo) * (in.y1 - in.y0)};
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
    case 6:
        return polygon(5, 90, 1.35, 0.5);
    case 7: // the Zr-in-rutile calibrations
        return polygon(6, 90, 1.15);
    case 8:
        return polygon(5, 90, 1.2);
    case 9:
        return polygon(5, -90, 1.2);
    default:
        return polygon(4, 90, 1.35, 0.45);
    }
}

namespace {

// The legend's entries, in the order they are read: what the marks and spreads are, then the
// calibrations in the table's order. Keys alone in one column; with the citation from 150 mm;
// with `lines`, what joins a value as entered to the mean of its runs.
std::vector<legend_row> legend_of(const batch_scene &scene, bool lines) {
    bool any_ellipse = false, any_bar = false, any_point = false;
    for (const batch_mark &m : scene.marks) {
        if (m.spread) (m.spread->bar2 ? any_bar : any_ellipse) = true;
        any_point = any_point || m.point;
    }
    const std::string runs = std::to_string(scene.runs) + " Monte-Carlo runs, about their mean";
    std::vector<legend_row> rows;
    if (any_point) rows.push_back({legend_kind::mark, "Sample (T, P)", 0});
    if (scene.density) {
        rows.push_back({legend_kind::density, "Shade: results per hexagon", 0});
    } else {
        if (any_ellipse || scene.thermometer_spread)
            rows.push_back({legend_kind::ellipse1, "1σ of " + runs, 0});
        if (any_bar) rows.push_back({legend_kind::bar1, "±1σ in P of " + runs, 0});
        if (lines) rows.push_back({legend_kind::centre, std::string(centre_words), 0});
    }
    if (scene.barometers) rows.push_back({legend_kind::barometer, "Barometer P(T)", 0});
    if (std::any_of(scene.marks.begin(), scene.marks.end(),
                    [](const batch_mark &m) { return m.lowest_pressure.has_value(); }))
        rows.push_back({legend_kind::lowest_pressure, std::string(lowest_pressure_words), 0});
    const bool cited = scene.options.width_mm >= 150;
    for (const thermometer_entry &e : scene.thermometers)
        rows.push_back({legend_kind::thermometer,
                        cited ? e.text : e.text.substr(0, e.text.find(' ')), 0, 0, e.colour});
    return rows;
}

// What a name should not cover: the samples' marks, then the thermometers' markers; and less
// firmly the lines, given as small squares along the 1 s.d. ellipses, the error bars and the
// barometer lines.
struct obstacles {
    std::vector<rect> marks, lines;
};

obstacles obstacles_of(const batch_layout &layout, const batch_scene &scene) {
    obstacles r;
    const auto square = [](std::vector<rect> &to, const mm_point &m, double half) {
        to.push_back({m.x - half, m.y - half, m.x + half, m.y + half});
    };
    const auto along = [&](const mm_point &a, const mm_point &b, double half) {
        const int n = static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / 1.5));
        for (int k = 0; k <= n; k++) {
            const double f = static_cast<double>(k) / std::max(n, 1);
            square(r.lines, {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)}, half);
        }
    };
    for (std::size_t i = 0; i < scene.marks.size(); i++)
        if (scene.marks[i].point) square(r.marks, layout.marks[i], mark_half);
    for (const batch_mark &m : scene.marks)
        for (const thermometer_mark &x : m.intersections) {
            square(r.marks, layout.to_mm(x.at), mark_half);
            for (std::size_t k = 0; k < x.ellipse1.size(); k += 3)
                square(r.lines, layout.to_mm(x.ellipse1[k]), 0.3);
        }
    for (const reaction_line &line : scene.reactions)
        along(layout.to_mm(line.ends[0]), layout.to_mm(line.ends[1]), 0.3);
    for (const centre_line &line : centre_lines(scene, layout))
        along(line.ends[0], line.ends[1], 0.3);
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        if (const auto &line = scene.marks[i].barometer)
            along(layout.to_mm((*line)[0]), layout.to_mm((*line)[1]), 0.25);
        const auto &spread = scene.marks[i].spread;
        if (!spread) continue;
        for (std::size_t k = 0; k < spread->ellipse1.size(); k += 3)
            square(r.lines, layout.to_mm(spread->ellipse1[k]), 0.3);
        if (const auto &bar = spread->bar1) {
            const mm_point low = layout.to_mm({bar->t_c, bar->p_low});
            const mm_point high = layout.to_mm({bar->t_c, bar->p_high});
            r.lines.push_back({low.x - 0.5, low.y, low.x + 0.5, high.y});
        }
    }
    return r;
}

std::string names_left_out(std::size_t left_out, std::size_t of) {
    if (left_out == 1) return "1 name not written: no room beside its mark";
    return std::to_string(left_out) + " of " + std::to_string(of) +
           " names not written: no room beside their marks";
}

// The legend's entries in rows from `x0`, each as wide as its symbol and text, a row full at
// `x1`; returns the rows' count. y is set from the first row's middle downwards.
std::size_t flow(std::vector<legend_row> &rows, double x0, double x1, double top, double ch,
                 const text_width &width) {
    const double pitch = legend_pitch * ch, gap = 2.0 * ch;
    double x = x0;
    std::size_t row = 0;
    for (legend_row &e : rows) {
        const double w = legend_symbol + 0.8 + width(e.text, ch);
        if (x > x0 && x + w > x1) {
            x = x0;
            row++;
        }
        e.x = x;
        e.y = top - (static_cast<double>(row) + 0.5) * pitch;
        x += w + gap;
    }
    return rows.empty() ? 0 : row + 1;
}

// The hexagonal bins of the thermometers' markers (or the samples' points without them) in the
// frame, pointed tops, `r` mm centre to corner: each point in the bin of the nearest centre.
std::vector<hex_bin> bins_of(const batch_scene &scene, const batch_layout &layout, double r) {
    const double w = std::sqrt(3.0) * r, h = 1.5 * r;
    std::map<std::tuple<std::size_t, long, long>, std::size_t> counts;
    const auto add = [&](std::size_t colour, const mm_point &m) {
        const double fy = (m.y - layout.frame.y0) / h;
        long best_row = 0, best_col = 0;
        double best = std::numeric_limits<double>::infinity();
        for (long row = std::lround(fy) - 1; row <= std::lround(fy) + 1; row++) {
            const double shift = (row % 2 != 0) ? 0.5 : 0.0;
            const long col = std::lround((m.x - layout.frame.x0) / w - shift);
            const double cx = layout.frame.x0 + (static_cast<double>(col) + shift) * w;
            const double cy = layout.frame.y0 + static_cast<double>(row) * h;
            const double d = std::hypot(m.x - cx, m.y - cy);
            if (d < best) best = d, best_row = row, best_col = col;
        }
        counts[{colour, best_row, best_col}]++;
    };
    for (const batch_mark &m : scene.marks) {
        if (m.point) add(no_calibration, layout.to_mm(m.at));
        for (const thermometer_mark &x : m.intersections) add(x.colour, layout.to_mm(x.at));
    }
    std::map<std::size_t, std::size_t> most;
    for (const auto &[where, n] : counts)
        most[std::get<0>(where)] = std::max(most[std::get<0>(where)], n);
    std::vector<hex_bin> bins;
    for (const auto &[where, n] : counts) {
        const auto &[colour, row, col] = where;
        const double shift = (row % 2 != 0) ? 0.5 : 0.0;
        bins.push_back({colour,
                        {layout.frame.x0 + (static_cast<double>(col) + shift) * w,
                         layout.frame.y0 + static_cast<double>(row) * h},
                        n,
                        static_cast<double>(n) / static_cast<double>(most[colour])});
    }
    return bins;
}

// The names of samples drawn as barometer lines, in the right margin at the height where each
// line leaves the frame, moved apart just enough to be read, with a leader from the line's end
// where a name moved or the line leaves through the top or the foot.
void name_lines(const batch_scene &scene, batch_layout &layout, const text_width &width) {
    const double h = 1.35 * layout.label_char;
    struct end {
        std::size_t mark;
        mm_point at;
        double y;
    };
    std::vector<end> ends;
    for (std::size_t i = 0; i < scene.marks.size(); i++)
        if (const auto &line = scene.marks[i].barometer) {
            const mm_point at = layout.to_mm((*line)[1]);
            ends.push_back({i, at, at.y});
        } else {
            layout.unwritten++;
        }
    std::sort(ends.begin(), ends.end(), [](const end &a, const end &b) { return a.y < b.y; });
    const double low = layout.frame.y0 + h / 2, high = layout.frame.y1 - h / 2;
    // Up from the lowest, then down from the highest, then up again: names keep their order
    // and stay within the frame's height where there is room for them all.
    for (int sweep = 0; sweep < 3; sweep++) {
        for (std::size_t k = 0; k < ends.size(); k++) {
            if (k > 0) ends[k].y = std::max(ends[k].y, ends[k - 1].y + h);
            ends[k].y = std::max(ends[k].y, low);
        }
        for (std::size_t k = ends.size(); k-- > 0;) {
            if (k + 1 < ends.size()) ends[k].y = std::min(ends[k].y, ends[k + 1].y - h);
            ends[k].y = std::min(ends[k].y, high);
        }
    }
    const double x0 = layout.frame.x1 + 1.2;
    for (const end &e : ends) {
        const double w = width(utf8_text(scene.marks[e.mark].label), layout.label_char);
        batch_label label{
            e.mark, {x0, e.y - h / 2, x0 + w + 2 * label_inset, e.y + h / 2}, std::nullopt};
        if (std::fabs(e.y - e.at.y) > 0.3 || e.at.x < layout.frame.x1 - 0.5)
            label.leader = {{e.at, {x0, e.y}}};
        layout.labels.push_back(label);
    }
    std::sort(layout.labels.begin(), layout.labels.end(),
              [](const batch_label &a, const batch_label &b) { return a.mark < b.mark; });
}

} // namespace

batch_layout layout_batch(const batch_scene &scene, bool one_page, const text_width &width) {
    batch_layout layout;
    const double w = std::clamp(scene.options.width_mm, min_width_mm, max_width_mm);
    layout.page.width = w;
    layout.page.char_height = char_mm(legend_pt);
    layout.t_axis = scene.t_axis;
    layout.p_axis = scene.p_axis;
    layout.label_char = char_mm(name_pt);
    layout.subtitle = scene.marks.empty() ? "No sample with a result" : scene.subtitle;
    const bool panels = scene.options.layout == figure_layout::panels;
    if (!panels && !scene.names) layout.mark_scale = many_scale;
    if (panels) layout.mark_scale = 0.75;

    // Margins: to the left the P numbers and title, below the T numbers and title, to the right
    // half the last T number, above the title when there is one.
    const double em_tick = 1.25 * char_mm(tick_pt), em_title = 1.25 * char_mm(axis_title_pt);
    const double left = 1.0 + em_title + 1.0 + 2.0 * em_tick + 0.8;
    const double bottom = 0.8 + em_tick + 0.8 + em_title + 0.8;
    double right = 1.2 * em_tick;
    // Room for the names of the barometer lines beside the frame.
    const bool line_names = !panels && scene.names && scene.barometers;
    if (line_names) {
        double longest = 0;
        for (const batch_mark &m : scene.marks)
            longest = std::max(longest, width(utf8_text(m.label), char_mm(name_pt)));
        right = std::max(right, 1.2 + std::min(longest, 0.2 * w) + 2 * label_inset + 0.5);
    }
    const double top = scene.title.empty() ? 2.0 : 2.5 + 1.25 * char_mm(title_pt) + 1.0;
    const double ch = layout.page.char_height;

    const double frame_w = w - left - right;
    std::size_t per_page = 1, columns = 1;
    double cell_w = frame_w, cell_h = 0.68 * frame_w;
    const double gap = panels ? 1.5 : 0;
    if (panels) {
        // About 24 mm a panel, no more columns than panels.
        columns = std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(frame_w / 24)), 1,
                                          std::max<std::size_t>(scene.marks.size(), 1));
        cell_w = (frame_w - gap * static_cast<double>(columns - 1)) / static_cast<double>(columns);
        cell_h = 0.8 * cell_w;
    }
    layout.legend = legend_of(scene, any_centre_line(scene, cell_w, cell_h, layout.mark_scale));
    const std::size_t rows = flow(layout.legend, left - 4.0, w - 1.0, 0, ch, width);
    const double legend_h = legend_pitch * ch * static_cast<double>(rows);
    if (panels) {
        const std::size_t total_rows = (scene.marks.size() + columns - 1) / columns;
        const double room = max_page_mm - top - bottom - legend_h - 2.0;
        const auto fit = static_cast<std::size_t>(std::floor((room + gap) / (cell_h + gap)));
        const std::size_t page_rows =
            one_page ? std::max<std::size_t>(total_rows, 1)
                     : std::clamp<std::size_t>(fit, 1, std::max<std::size_t>(total_rows, 1));
        per_page = page_rows * columns;
        layout.pages = std::max<std::size_t>(1, (scene.marks.size() + per_page - 1) / per_page);
        const std::size_t shown_rows = std::min(page_rows, std::max<std::size_t>(total_rows, 1));
        layout.page.height =
            top + static_cast<double>(shown_rows) * (cell_h + gap) - gap + bottom + legend_h + 2.0;
    } else {
        layout.page.height = top + cell_h + bottom + legend_h + 2.0;
    }
    const double legend_top = legend_h + 1.5;
    for (legend_row &e : layout.legend) e.y += legend_top;
    layout.legend_box = {left - 4.0, 1.5, w - 1.0, legend_top};
    if (!scene.title.empty()) layout.top_title = layout.page.height - 2.5 - char_mm(title_pt);
    const double frame_top = layout.page.height - top;
    layout.frame = {left, frame_top - cell_h, left + cell_w, frame_top};

    if (panels) {
        for (std::size_t i = 0; i < scene.marks.size(); i++) {
            const std::size_t on_page = i % per_page, col = on_page % columns,
                              row = on_page / columns;
            panel p;
            p.mark = i;
            p.page = i / per_page;
            const double x0 = left + static_cast<double>(col) * (cell_w + gap);
            const double y1 = frame_top - static_cast<double>(row) * (cell_h + gap);
            p.frame = {x0, y1 - cell_h, x0 + cell_w, y1};
            p.p_numbers = col == 0;
            // The lowest panel of its column on its page.
            const std::size_t last = std::min(scene.marks.size(), (p.page + 1) * per_page) - 1;
            p.t_numbers = on_page + columns > last % per_page;
            layout.panels.push_back(p);
        }
        for (std::size_t page = 0; page < layout.pages; page++)
            label_reactions(scene, layout, page, width);
        return layout;
    }

    label_reactions(scene, layout, width);
    for (const batch_mark &m : scene.marks) layout.marks.push_back(layout.to_mm(m.at));
    if (scene.density) {
        layout.hex_radius = 1.1;
        layout.bins = bins_of(scene, layout, layout.hex_radius);
    }
    if (!scene.names) return layout;
    if (line_names) {
        name_lines(scene, layout, width);
        if (layout.unwritten > 0)
            layout.subtitle = names_left_out(layout.unwritten, scene.marks.size());
        return layout;
    }
    std::vector<label_request> requests;
    for (std::size_t i = 0; i < scene.marks.size(); i++)
        requests.push_back(
            {layout.marks[i].x, layout.marks[i].y,
             width(utf8_text(scene.marks[i].label), layout.label_char) + 2 * label_inset,
             1.4 * layout.label_char});
    const obstacles avoid = obstacles_of(layout, scene);
    const auto places = place_labels(requests, avoid.marks, avoid.lines, layout.frame, 1.2);
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
