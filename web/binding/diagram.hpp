// The batch's P-T diagram laid out on its page, as the page draws it (SVG, its canvas, PNG).
#pragma once

#include "scene/samples.hpp"

#include <emscripten/val.h>

#include <vector>

namespace varno96::web {

// The figure as `figure` asks it ({width, units, layout, reactions}) for these samples, of a
// batch that left `left_off` rows without a result: its frames, legend, reactions, marks and
// names in mm from the page's top left corner, y downwards.
emscripten::val diagram(const std::vector<plot::batch_sample> &samples, int left_off,
                        const emscripten::val &figure);

} // namespace varno96::web
