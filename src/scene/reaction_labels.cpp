#include "scene/reaction_labels.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <span>
#include <utility>

namespace varno96::plot {

namespace {

// Whether the point `p` (mm) lies under the label `t`, with a margin of 1 mm at its ends.
bool under(const placed_text &t, const mm_point &p, const text_width &width) {
    const double ch = char_mm(t.pt), tw = width(t.text, ch);
    const double ux = std::cos(t.angle * std::numbers::pi / 180),
                 uy = std::sin(t.angle * std::numbers::pi / 180);
    const double along = (p.x - t.at.x) * ux + (p.y - t.at.y) * uy;
    const double across = -(p.x - t.at.x) * uy + (p.y - t.at.y) * ux;
    return along > -1 && along < tw + 1 && std::abs(across) < ch;
}

// How much of sample `m`'s drawing a reaction's label would cover in `frame`: its marks count
// ten, each point of its ellipses, of its barometer line and of its own reaction line one.
double covered(const placed_text &label, const batch_layout &layout, const rect &frame,
               const batch_mark &m, const text_width &width) {
    const auto inside = [&](const pt_point &q) {
        return under(label, layout.to_mm(q, frame), width) ? 1.0 : 0.0;
    };
    const auto along = [&](const std::array<pt_point, 2> &line) {
        double score = 0;
        for (int k = 0; k <= 40; k++) {
            const double f = k / 40.0;
            const auto &[a, b] = line;
            score += inside({a.t_c + f * (b.t_c - a.t_c), a.p_kbar + f * (b.p_kbar - a.p_kbar)});
        }
        return score;
    };
    double score = 0;
    for (const thermometer_mark &t : m.intersections) {
        score += 10 * inside(t.at);
        for (const pt_point &q : t.ellipse1) score += inside(q);
    }
    if (m.point) score += 10 * inside(m.at);
    if (m.barometer) score += along(*m.barometer);
    if (m.lowest_pressure && label.text != m.lowest_pressure->label)
        score += along(m.lowest_pressure->ends);
    return score;
}

// The label `text` along the line `ends` in `frame`, where it covers least of the samples
// `marks` and of the labels `placed` (the first of equals, nearest the line's high-temperature
// end, above it before below), with what it covers; none where the line is too short to hold
// it.
std::optional<std::pair<placed_text, double>>
line_label(const batch_scene &scene, const batch_layout &layout, const rect &frame,
           std::size_t page, const std::array<pt_point, 2> &ends, const std::string &text,
           std::span<const std::size_t> marks, std::span<const placed_text> placed,
           const text_width &width) {
    const double ch = char_mm(reaction_pt);
    const mm_point a = layout.to_mm(ends[0], frame), b = layout.to_mm(ends[1], frame);
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double tw = width(text, ch);
    if (length < tw + 1) return std::nullopt;
    const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    std::optional<std::pair<placed_text, double>> best;
    for (double back = std::min(tw + 1.5, length - 0.5); back <= length - 0.5; back += 2)
        for (const double up : {0.75 * ch, -0.75 * ch}) {
            const placed_text t{text,
                                {b.x - back * ux - up * uy, b.y - back * uy + up * ux},
                                std::atan2(uy, ux) * 180 / std::numbers::pi,
                                reaction_pt,
                                page};
            // The whole label within the frame.
            bool within = true;
            for (const double along : {0.0, tw})
                for (const double across : {-0.6 * ch, 0.6 * ch}) {
                    const double x = t.at.x + along * ux - across * uy,
                                 y = t.at.y + along * uy + across * ux;
                    within = within && x > frame.x0 && x < frame.x1 && y > frame.y0 && y < frame.y1;
                }
            if (!within) continue;
            double cost = 0;
            for (const std::size_t i : marks)
                cost += covered(t, layout, frame, scene.marks[i], width);
            // Another label crossed costs as much as a mark: its start, middle and end.
            for (const placed_text &o : placed) {
                if (o.page != page) continue;
                const double ow = width(o.text, char_mm(o.pt)),
                             oa = o.angle * std::numbers::pi / 180;
                for (const double f : {0.0, 0.5, 1.0})
                    cost +=
                        under(t, {o.at.x + f * ow * std::cos(oa), o.at.y + f * ow * std::sin(oa)},
                              width)
                            ? 10
                            : 0;
            }
            if (!best || cost < best->second) best = {t, cost};
        }
    return best;
}

// Reaction r's label (of the scene's reactions) in `frame`.
std::optional<std::pair<placed_text, double>>
reaction_label(const batch_scene &scene, const batch_layout &layout, const rect &frame,
               std::size_t page, std::size_t r, std::span<const std::size_t> marks,
               const text_width &width) {
    const reaction_line &line = scene.reactions[r];
    return line_label(scene, layout, frame, page, line.ends,
                      std::string(reference_reactions[line.which].label), marks, {}, width);
}

} // namespace

// With more samples than are named, where the marks fill the frame, at the line's
// high-temperature end.
void label_reactions(const batch_scene &scene, batch_layout &layout, const text_width &width) {
    std::vector<std::size_t> all(scene.names ? scene.marks.size() : 0);
    for (std::size_t i = 0; i < all.size(); i++) all[i] = i;
    for (std::size_t r = 0; r < scene.reactions.size(); r++)
        if (const auto t = reaction_label(scene, layout, layout.frame, 0, r, all, width))
            layout.reaction_labels.push_back(t->first);
}

// Each reference reaction labelled once a page, in the panel where its label covers least of
// the sample drawn there: every panel has the same axes, and a label over a sample's marks
// hides what the figure is for. A sample's own line is labelled in its panel, clear of the
// labels there.
void label_reactions(const batch_scene &scene, batch_layout &layout, std::size_t page,
                     const text_width &width) {
    for (std::size_t r = 0; r < scene.reactions.size(); r++) {
        std::optional<std::pair<placed_text, double>> best;
        for (const panel &p : layout.panels) {
            if (p.page != page) continue;
            const std::size_t only[] = {p.mark};
            const auto t = reaction_label(scene, layout, p.frame, page, r, only, width);
            if (t && (!best || t->second < best->second)) best = t;
        }
        if (best) layout.reaction_labels.push_back(best->first);
    }
    const std::size_t references = layout.reaction_labels.size();
    for (const panel &p : layout.panels) {
        const auto &line = scene.marks[p.mark].lowest_pressure;
        if (p.page != page || !line) continue;
        const std::size_t only[] = {p.mark};
        const auto placed = std::span(layout.reaction_labels).first(references);
        if (const auto t = line_label(scene, layout, p.frame, page, line->ends, line->label, only,
                                      placed, width))
            layout.reaction_labels.push_back(t->first);
    }
}

} // namespace varno96::plot
