#include "scene/labels.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace varno96::plot {

double rect::area() const { return std::max(0.0, x1 - x0) * std::max(0.0, y1 - y0); }

double overlap(const rect &a, const rect &b) {
    const double w = std::min(a.x1, b.x1) - std::max(a.x0, b.x0);
    const double h = std::min(a.y1, b.y1) - std::max(a.y0, b.y0);
    return w > 0 && h > 0 ? w * h : 0;
}

namespace {

// Whether the segment from (x0, y0) to (x1, y1) meets the rectangle (Liang and Barsky's
// clipping: the part of the segment within each pair of edges, narrowed edge by edge).
bool meets(const rect &r, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - r.x0, r.x1 - x0, y0 - r.y0, r.y1 - y0};
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 4; i++) {
        if (p[i] == 0) {
            if (q[i] < 0) return false; // parallel to the edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

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
    void add(const rect &box, std::size_t id = 0) {
        const entry e{box, id, ix(box.x0), iy(box.y0)};
        for (int j = e.j0; j <= iy(box.y1); j++)
            for (int i = e.i0; i <= ix(box.x1); i++) at(i, j).push_back(e);
    }
    // Adds the overlap of `box` with each box added (the boxes in no cell it touches add
    // nothing), or stops once the sum reaches `enough`.
    void add_overlaps(const rect &box, double &sum, double enough) const {
        const int i0 = ix(box.x0), i1 = ix(box.x1), j0 = iy(box.y0), j1 = iy(box.y1);
        for (int j = j0; j <= j1; j++)
            for (int i = i0; i <= i1; i++) {
                for (const entry &e : at(i, j)) {
                    const double o = overlap(box, e.box);
                    // A box in several cells counts in the first of them that this one meets.
                    if (o > 0 && i == std::max(e.i0, i0) && j == std::max(e.j0, j0)) sum += o;
                }
                if (sum >= enough) return;
            }
    }

    // Whether `box` overlaps a box added, other than the one added with id `except`.
    bool any_overlap(const rect &box, std::size_t except = npos) const {
        for (int j = iy(box.y0); j <= iy(box.y1); j++)
            for (int i = ix(box.x0); i <= ix(box.x1); i++)
                for (const entry &e : at(i, j))
                    if (e.id != except && overlap(box, e.box) > 0) return true;
        return false;
    }
    // Whether the segment from (x0, y0) to (x1, y1) meets a box added, other than those
    // holding its start (a leader cannot leave the marks heaped on its own).
    bool any_met(double x0, double y0, double x1, double y1) const {
        for (int j = iy(std::min(y0, y1)); j <= iy(std::max(y0, y1)); j++)
            for (int i = ix(std::min(x0, x1)); i <= ix(std::max(x0, x1)); i++)
                for (const entry &e : at(i, j)) {
                    const bool start_in =
                        e.box.x0 <= x0 && x0 <= e.box.x1 && e.box.y0 <= y0 && y0 <= e.box.y1;
                    if (!start_in && meets(e.box, x0, y0, x1, y1)) return true;
                }
        return false;
    }
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    struct entry {
        rect box;
        std::size_t id;
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

std::vector<std::optional<label_place>> place_labels(std::span<const label_request> labels,
                                                     std::span<const rect> marks,
                                                     std::span<const rect> lines, const rect &frame,
                                                     double gap) {
    constexpr double farther = 4; // mm^2 for each ring out
    constexpr double cell_mm = 1.5;
    std::vector<std::optional<label_place>> placed;
    placed.reserve(labels.size());
    // Labels stay inside the frame; what lies outside it shares the edge cells.
    box_grid taken(frame, cell_mm), near_marks(frame, cell_mm), near_lines(frame, cell_mm);
    for (std::size_t i = 0; i < marks.size(); i++) near_marks.add(marks[i], i);
    for (const rect &l : lines) near_lines.add(l);
    const auto inside = [&frame](const rect &box) {
        return box.x0 >= frame.x0 && box.x1 <= frame.x1 && box.y0 >= frame.y0 && box.y1 <= frame.y1;
    };
    for (std::size_t k = 0; k < labels.size(); k++) {
        const label_request &l = labels[k];
        std::optional<label_place> best;
        double best_cost = std::numeric_limits<double>::infinity();
        // A ring farther out costs at least `farther` more: none there can beat a free place.
        for (int ring = 0; ring < 3 && farther * ring < best_cost; ring++) {
            const double d = gap + ring * 1.5 * l.height;
            for (int slot = 0; slot < 8; slot++) {
                const rect box = candidate(l, slot, d);
                if (!inside(box) || taken.any_overlap(box) || near_marks.any_overlap(box, k))
                    continue;
                double c = farther * ring;
                near_lines.add_overlaps(box, c, best_cost);
                if (c >= best_cost) continue;
                const label_place place{box, ring > 0, std::clamp(l.x, box.x0, box.x1),
                                        std::clamp(l.y, box.y0, box.y1)};
                // A leader that met a label, a leader or another mark on its way would
                // point at the wrong one.
                if (place.distant && (taken.any_met(l.x, l.y, place.end_x, place.end_y) ||
                                      near_marks.any_met(l.x, l.y, place.end_x, place.end_y)))
                    continue;
                best_cost = c, best = place;
            }
        }
        placed.push_back(best);
        if (!best) continue;
        taken.add(best->box);
        if (best->distant) {
            // The leader as small squares edge to edge, which later labels and leaders keep
            // clear of.
            const double dx = best->end_x - l.x, dy = best->end_y - l.y;
            const double half = 0.15;
            const int n = static_cast<int>(std::ceil(std::hypot(dx, dy) / (2 * half)));
            for (int i = 0; i <= n; i++) {
                const double f = static_cast<double>(i) / std::max(n, 1);
                const double x = l.x + f * dx, y = l.y + f * dy;
                taken.add({x - half, y - half, x + half, y + half});
            }
        }
    }
    return placed;
}

} // namespace varno96::plot
