// Placing the names of samples beside their marks on a diagram so that they neither cover
// one another nor other samples' marks, where the room allows.
#pragma once

#include <optional>
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

// Where a label went: its box, and whether it stands away from its mark; a leader line then
// joins the mark to the point of the box nearest to it, (end_x, end_y).
struct label_place {
    rect box;
    bool distant = false;
    double end_x = 0, end_y = 0;
};

// Greedy placement in the given order: each label takes the best of eight positions around
// its mark (right, left, above, below, then the corners), `gap` mm away or one or two rings
// farther out. A position must lie inside the frame and cover no label placed before it and
// no mark but its own (marks[i] is the mark of labels[i]); of those left, crossing a line
// (given as small boxes along it) costs by the area crossed, and a ring farther out costs as
// much as a small crossing, so that a label stays by its mark when that only crosses a line.
// A leader, too, keeps clear of the other marks and of the labels and leaders placed before.
// A label with no such position gets none: where the marks crowd, only some are written.
std::vector<std::optional<label_place>> place_labels(std::span<const label_request> labels,
                                                     std::span<const rect> marks,
                                                     std::span<const rect> lines, const rect &frame,
                                                     double gap);

} // namespace varno96::plot
