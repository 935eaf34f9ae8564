#include "plot/labels.hpp"

#include <algorithm>
#include <cmath>
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

// Boxes sorted into square cells over an area (what lies outside falls into its edge cells),
// so that a label meets only the boxes near it: a batch of a thousand samples has tens of
// thousands of boxes along its ellipses.
class box_grid {
public:
    box_grid(const rect &area, double cell)
        : area_(area), cell_(cell), nx_(count(area.x1 - area.x0)), ny_(count(area.y1 - area.y0)),
          cells_(static_cast<std::size_t>(nx_ * ny_)) {}
    void add(const rect &box) {
        const entry e{box, ix(box.x0), iy(box.y0)};
        for (int j = e.j0; j <= iy(box.y1); j++)
            for (int i = e.i0; i <= ix(box.x1); i++) at(i, j).push_back(e);
    }
    // Adds weight x the overlap of `box` with each box added (the boxes in no cell it touches
    // add nothing), or stops once the sum reaches `enough`.
    void add_overlaps(const rect &box, double weight, double &sum, double enough) const {
        const int i0 = ix(box.x0), i1 = ix(box.x1), j0 = iy(box.y0), j1 = iy(box.y1);
        for (int j = j0; j <= j1; j++)
            for (int i = i0; i <= i1; i++) {
                for (const entry &e : at(i, j)) {
                    const double o = overlap(box, e.box);
                    // A box in several cells counts in the first of them that this one meets.
                    if (o > 0 && i == std::max(e.i0, i0) && j == std::max(e.j0, j0))
                        sum += weight * o;
                }
                if (sum >= enough) return;
            }
    }

private:
    struct entry {
        rect box;
        int i0, j0; // its first cell
    };
    rect area_;
    double cell_;
    int nx_, ny_;
    std::vector<std::vector<entry>> cells_;
    int count(double length) const {
        return std::max(1, static_cast<int>(std::ceil(length / cell_)));
    }
    int index(double v, double from, int n) const {
        const double k = std::floor((v - from) / cell_);
        return std::isnan(k) ? 0 : static_cast<int>(std::clamp(k, 0.0, static_cast<double>(n - 1)));
    }
    int ix(double x) const { return index(x, area_.x0, nx_); }
    int iy(double y) const { return index(y, area_.y0, ny_); }
    std::vector<entry> &at(int i, int j) { return cells_[static_cast<std::size_t>(j * nx_ + i)]; }
    const std::vector<entry> &at(int i, int j) const {
        return cells_[static_cast<std::size_t>(j * nx_ + i)];
    }
};

} // namespace

std::vector<label_place> place_labels(std::span<const label_request> labels,
                                      std::span<const rect> marks, std::span<const rect> lines,
                                      const rect &frame, double gap) {
    constexpr double farther = 4; // mm^2 for each step out
    constexpr double cell_mm = 1.5;
    std::vector<label_place> placed;
    // Labels stand at most a few of their heights beyond the frame; what lies farther out
    // shares the edge cells.
    const rect area{frame.x0 - 50, frame.y0 - 50, frame.x1 + 50, frame.y1 + 50};
    box_grid taken(area, cell_mm), near_marks(area, cell_mm), near_lines(area, cell_mm);
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
