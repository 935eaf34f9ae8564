// Placing the names of samples beside their marks on a diagram so that they neither cover
// one another nor other samples' marks, where the room allows.
#pragma once

#include <span>
#include <vector>

namespace varno96::plot {

// A rectangle on the page, in mm.
struct rect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double area() const;
};
double overlap(const rect &a, const rect &b);

// A label of the given size (mm) to go beside the mark at (x, y).
struct label_request {
    double x = 0, y = 0, width = 0, height = 0;
};

// Where a label went: its box, and whether it stands away from its mark (a leader line
// then joins them).
struct label_place {
    rect box;
    bool distant = false;
};

// Greedy placement in the given order: each label takes the best of eight positions around
// its mark (right, left, above, below, then the corners), `gap` mm away or farther out.
// Covering another label or a mark costs most, crossing a line (given as small boxes along
// it) less, standing beyond the frame most of all; a farther position costs as much as a
// small overlap, so that a label stays by its mark when that only crosses a line.
std::vector<label_place> place_labels(std::span<const label_request> labels,
                                      std::span<const rect> marks, std::span<const rect> lines,
                                      const rect &frame, double gap);

} // namespace varno96::plot
