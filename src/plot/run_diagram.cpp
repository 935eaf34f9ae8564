// The diagram of one run of the dialogue.
#include "plot/canvas.hpp"
#include "plot/plot.hpp"
#include "scene/scene.hpp"
#include "scene/text.hpp"

#include <algorithm>

namespace varno96::plot {

namespace {

constexpr colour mark_colours[2] = {pass1_marks, pass2_marks};
constexpr colour pass_colours[2] = {pass1_colour, pass2_colour};
constexpr colour dark_colours[2] = {pass1_dark, pass2_dark};
constexpr const char *glyphs[2] = {pass1_glyph, pass2_glyph};
constexpr double mark_scale = 0.55, mean_scale = 0.95;

// The clouds and their means on the left, the spread on the right, and the barometer on a
// row of its own above them: its name is long.
std::vector<legend_entry> clouds_legend(const run_scene &scene) {
    if (!scene.monte_carlo) return {};
    std::vector<legend_entry> entries;
    for (std::size_t k = 0; k < 2; k++)
        entries.push_back({plot_text(scene.passes[k].legend), pass_colours[k], glyphs[k],
                           mark_scale * 1.2, 0, false});
    entries.push_back({"Mean of each pass", ink, mean_glyph, mean_scale, 0, false});
    return entries;
}

std::vector<legend_entry> spread_legend(const run_scene &scene) {
    if (!scene.monte_carlo) return {};
    if (!scene.strips)
        return {{"1σ ellipse (39 %)", ink, nullptr, 1, 1.6, false},
                {"2σ ellipse (86 %)", ink, nullptr, 1, 1.2, true}};
    return {{"±1σ in P", ink, nullptr, 1, 3.0, false}, {"±2σ in P", ink, nullptr, 1, 1.0, false}};
}

// Returns the height of the legends as a fraction of the page.
double draw_legends(canvas &c, const run_scene &scene) {
    constexpr double left = 0.12, right = 0.03, foot = 0.015;
    const double below = std::max(c.legend(clouds_legend(scene), left, foot).second,
                                  c.legend(spread_legend(scene), right, foot, true).second);
    const std::vector<legend_entry> barometer{
        {plot_text(scene.barometer), ink, table_glyph, 0.55, 1.5, false}};
    return foot + below + c.legend(barometer, left, foot + below).second;
}

void draw_spread(canvas &c, const cloud_spread &s, std::size_t k) {
    if (s.bar2) {
        c.bar(*s.bar2, dark_colours[k], 1.0, 2.4);
        c.bar(*s.bar1, dark_colours[k], 3.0, 0);
    } else {
        c.polyline(s.ellipse2, dark_colours[k], 1.2, true);
        c.polyline(s.ellipse1, dark_colours[k], 1.6);
    }
}

} // namespace

void write_run_diagram(const run_report &report, const pt_pairs &pairs, const std::string &path) {
    const run_scene scene = make_run_scene(report, pairs);
    canvas c(path);
    c.axes(scene.t_axis, scene.p_axis, draw_legends(c, scene) + 0.1);
    c.titles(plot_text(scene.title), plot_text(scene.subtitle));

    // Pass 2, the wider cloud, first so that pass 1 stays visible on top of it.
    for (std::size_t k : {1u, 0u})
        c.marks(scene.passes[k].marks, glyphs[k], mark_colours[k], mark_scale);
    c.polyline(scene.table, ink, 1.5);
    c.marks(scene.table, table_glyph, ink, 0.55);
    for (std::size_t k : {1u, 0u})
        if (scene.passes[k].spread) draw_spread(c, *scene.passes[k].spread, k);
    for (std::size_t k : {1u, 0u})
        if (scene.passes[k].spread)
            c.mean_mark(scene.passes[k].spread->mean, pass_colours[k], ink, mean_scale);
    c.finish();
}

} // namespace varno96::plot
