#include "plot/labels.hpp"

#include <algorithm>
#include <limits>

namespace varno96::plot {

double rect::area() const { return std::max(0.0, x1 - x0) * std::max(0.0, y1 - y0); }

double overlap(const rect &a, const rect &b) {
    const double w = std::min(a.x1, b.x1) - std::max(a.x0, b.x0);
    const double h = std::min(a.y1, b.y1) - std::max(a.y0, b.y0);
    return w > 0 && h > 0 ? w * h : 0;
}

namespace {

// The box of a label at distance d in direction `slot` from its mark: right, left, above,
// below, then the four corners. Each slot gives the box's lower left corner as multiples of
// d, of the corner distance c = 0.7 d, of the label's width w and of its height h.
rect candidate(const label_request &l, int slot, double d) {
    struct offsets {
        double d, c, w, h;
    };
    static constexpr offsets x_of[8] = {{1, 0, 0, 0},    {-1, 0, -1, 0}, {0, 0, -0.5, 0},
                                        {0, 0, -0.5, 0}, {0, 1, 0, 0},   {0, 1, 0, 0},
                                        {0, -1, -1, 0},  {0, -1, -1, 0}};
    static constexpr offsets y_of[8] = {{0, 0, 0, -0.5}, {0, 0, 0, -0.5}, {1, 0, 0, 0},
                                        {-1, 0, 0, -1},  {0, 1, 0, 0},    {0, -1, 0, -1},
                                        {0, 1, 0, 0},    {0, -1, 0, -1}};
    const double c = 0.7 * d;
    const auto at = [&](const offsets &o) {
        return o.d * d + o.c * c + o.w * l.width + o.h * l.height;
    };
    const double x = l.x + at(x_of[slot]), y = l.y + at(y_of[slot]);
    return {x, y, x + l.width, y + l.height};
}

double cost(const rect &box, std::span<const rect> taken, std::span<const rect> marks,
            std::span<const rect> lines, const rect &frame) {
    double c = 0;
    for (const rect &t : taken) c += 10 * overlap(box, t);
    for (const rect &m : marks) c += 10 * overlap(box, m);
    for (const rect &l : lines) c += overlap(box, l);
    return c + 20 * (box.area() - overlap(box, frame));
}

} // namespace

std::vector<label_place> place_labels(std::span<const label_request> labels,
                                      std::span<const rect> marks, std::span<const rect> lines,
                                      const rect &frame, double gap) {
    constexpr double farther = 4; // mm^2 for each step out
    std::vector<label_place> placed;
    std::vector<rect> taken;
    for (const label_request &l : labels) {
        label_place best;
        double best_cost = std::numeric_limits<double>::infinity();
        for (int ring = 0; ring < 3; ring++) {
            const double d = gap + ring * 1.5 * l.height;
            for (int slot = 0; slot < 8; slot++) {
                const rect box = candidate(l, slot, d);
                const double c = cost(box, taken, marks, lines, frame) + farther * ring;
                if (c < best_cost) best_cost = c, best = {box, ring > 0};
            }
        }
        placed.push_back(best);
        taken.push_back(best.box);
    }
    return placed;
}

} // namespace varno96::plot
