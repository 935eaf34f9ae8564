// Where the Monte-Carlo runs lie in a figure: their moments, and the lines that join a value
// as entered to the mean of its runs where the runs' ellipse is centred away from its marker.
#include "scene/scene.hpp"

#include <cmath>

namespace varno96::plot {

namespace {

// Calls f(mark, intersection, at, mean, marker radius) for each spread drawn as an ellipse.
template <typename F> void each_spread(const batch_scene &scene, const F &f) {
    for (std::size_t i = 0; i < scene.marks.size(); i++) {
        const batch_mark &m = scene.marks[i];
        if (m.point && m.spread && !m.spread->ellipse1.empty())
            f(i, no_intersection, m.at, m.spread->mean, sample_radius);
        for (std::size_t k = 0; k < m.intersections.size(); k++)
            if (!m.intersections[k].ellipse1.empty())
                f(i, k, m.intersections[k].at, m.intersections[k].mean, marker_radius);
    }
}

// Farther apart than the marker, `radius` mm scaled, is wide.
bool apart(const mm_point &a, const mm_point &b, double radius, double scale) {
    return std::hypot(b.x - a.x, b.y - a.y) > 2 * radius * scale;
}

} // namespace

run_moments moments_of(const std::vector<std::pair<double, double>> &runs) {
    run_moments m;
    m.n = runs.size();
    if (runs.size() < 2) return m;
    std::vector<pt_point> cloud;
    for (const auto &[t, p] : runs) cloud.push_back({t, p});
    const cloud_stats s = describe(cloud);
    m.t_mean = s.mean.t_c, m.p_mean = s.mean.p_kbar;
    m.t_sd = std::sqrt(s.var_t), m.p_sd = std::sqrt(s.var_p);
    if (s.var_t > 0 && s.var_p > 0) m.rho = s.cov_tp / (m.t_sd * m.p_sd);
    return m;
}

std::vector<centre_line> centre_lines(const batch_scene &scene, const batch_layout &layout) {
    std::vector<centre_line> lines;
    each_spread(scene, [&](std::size_t i, std::size_t k, const pt_point &at, const pt_point &mean,
                           double radius) {
        const bool panels = !layout.panels.empty();
        const rect &frame = panels ? layout.panels[i].frame : layout.frame;
        const mm_point from = layout.to_mm(at, frame), to = layout.to_mm(mean, frame);
        if (apart(from, to, radius, layout.mark_scale))
            lines.push_back({i, k, panels ? layout.panels[i].page : 0, {{from, to}}});
    });
    return lines;
}

bool any_centre_line(const batch_scene &scene, double w, double h, double scale) {
    bool any = false;
    const double per_t = w / (scene.t_axis.hi - scene.t_axis.lo),
                 per_p = h / (scene.p_axis.hi - scene.p_axis.lo);
    each_spread(scene, [&](std::size_t, std::size_t, const pt_point &at, const pt_point &mean,
                           double radius) {
        const mm_point from{at.t_c * per_t, at.p_kbar * per_p},
            to{mean.t_c * per_t, mean.p_kbar * per_p};
        any = any || apart(from, to, radius, scale);
    });
    return any;
}

} // namespace varno96::plot
