#include "plot/labels.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <utility>

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

// Boxes sorted into square cells, so that a label meets only the boxes near it: a batch of a
// thousand samples has tens of thousands of boxes along its ellipses.
class box_grid {
public:
    explicit box_grid(double cell) : cell_(cell) {}
    void add(const rect &box) {
        const auto index = static_cast<std::uint32_t>(boxes_.size());
        boxes_.push_back(box);
        seen_.push_back(0);
        for (long i = key(box.x0); i <= key(box.x1); i++)
            for (long j = key(box.y0); j <= key(box.y1); j++) cells_[cell(i, j)].push_back(index);
    }
    // Adds weight x the overlap of `box` with each box added (the boxes in no cell it touches
    // would add nothing), or stops once the sum reaches `enough`.
    void add_overlaps(const rect &box, double weight, double &sum, double enough) const {
        visit_++;
        for (long i = key(box.x0); i <= key(box.x1); i++)
            for (long j = key(box.y0); j <= key(box.y1); j++) {
                const auto at = cells_.find(cell(i, j));
                if (at == cells_.end()) continue;
                for (std::uint32_t k : at->second)
                    if (seen_[k] != visit_) {
                        seen_[k] = visit_;
                        sum += weight * overlap(box, boxes_[k]);
                    }
                if (sum >= enough) return;
            }
    }

private:
    double cell_;
    std::vector<rect> boxes_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
    mutable std::vector<std::uint64_t> seen_; // the last visit that counted each box
    mutable std::uint64_t visit_ = 0;
    static std::uint64_t cell(long i, long j) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) << 32 | static_cast<std::uint32_t>(j);
    }
    // Far beyond the page (1 m) cells are lumped at its edge.
    long key(double v) const {
        return std::isnan(v) ? 0 : static_cast<long>(std::floor(std::clamp(v, -1000.0, 1000.0) / cell_));
    }
};

} // namespace

std::vector<label_place> place_labels(std::span<const label_request> labels,
                                      std::span<const rect> marks, std::span<const rect> lines,
                                      const rect &frame, double gap) {
    constexpr double farther = 4; // mm^2 for each step out
    constexpr double cell_mm = 1.5;
    std::vector<label_place> placed;
    box_grid taken(cell_mm), near_marks(cell_mm), near_lines(cell_mm);
    for (const rect &m : marks) near_marks.add(m);
    for (const rect &l : lines) near_lines.add(l);
    // Covering another label or a mark costs most, a line less, beyond the frame most of all.
    // Every term is positive or zero: a place whose sum reaches `enough` cannot be the best.
    const auto cost = [&](const rect &box, double enough) {
        double c = 0;
        taken.add_overlaps(box, 10, c, enough);
        if (c < enough) near_marks.add_overlaps(box, 10, c, enough);
        if (c < enough) near_lines.add_overlaps(box, 1, c, enough);
        if (c >= enough) return std::numeric_limits<double>::infinity();
        return c + 20 * (box.area() - overlap(box, frame));
    };
    for (const label_request &l : labels) {
        label_place best;
        double best_cost = std::numeric_limits<double>::infinity();
        // A ring farther out costs at least `farther` more: none there can beat a free place.
        for (int ring = 0; ring < 3 && farther * ring < best_cost; ring++) {
            const double d = gap + ring * 1.5 * l.height;
            for (int slot = 0; slot < 8; slot++) {
                const rect box = candidate(l, slot, d);
                const double c = cost(box, best_cost - farther * ring) + farther * ring;
                if (c < best_cost) best_cost = c, best = {box, ring > 0};
            }
        }
        placed.push_back(best);
        taken.add(best.box);
    }
    return placed;
}

} // namespace varno96::plot
