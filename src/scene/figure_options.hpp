// The figure as asked: its final width (one journal column 80-90 mm, two 160-180 mm), a title
// only when asked (a journal sets its own caption), the unit of pressure, one panel for all
// samples or one for each, and the reference reactions. The option table (api/options.hpp)
// names the field each option of the figure sets.
#pragma once

#include <string>

namespace varno96::plot {

enum class pressure_unit { kbar, gpa };
enum class figure_layout { overlay, panels };
struct figure_options {
    double width_mm = 85;
    std::string title;
    pressure_unit unit = pressure_unit::kbar;
    figure_layout layout = figure_layout::overlay;
    bool reactions = true;
};
inline constexpr double min_width_mm = 60, max_width_mm = 180;

} // namespace varno96::plot
