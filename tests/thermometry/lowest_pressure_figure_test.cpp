// Each sample's albite = jadeite + quartz in its panel of the batch's figure.
#include "api/batch.hpp"
#include "api/columns.hpp"
#include "api/options.hpp"
#include "scene/scene.hpp"
#include "thermometry/jadeite.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

using namespace varno96;

std::string suite_text() {
    std::ifstream file(VARNO96_EXAMPLES "/SUITE.PRN", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

// The panel's line is the equation for the a(jd) its row gives, at both its ends (two
// temperatures), in the figure's unit; labelled with that a(jd) once, inside its panel; said
// in the legend; none in the overlay. At one fixed temperature too: panels keep an axis of T.
TEST(LowestPressure, EachPanelDrawsItsSamplesLine) {
    const struct {
        const char *thermometers;
        plot::pressure_unit unit;
        bool one_site;
    } cases[] = {{"", plot::pressure_unit::kbar, false},
                 {"all", plot::pressure_unit::gpa, false},
                 {"KR00,EG79", plot::pressure_unit::kbar, true}};
    for (const auto &c : cases) {
        batch_options o;
        o.model = 7, o.temperature = 650, o.one_site = c.one_site;
        if (*c.thermometers) o.thermometers = *thermometers_of(c.thermometers);
        batch_hooks hooks;
        hooks.points = true;
        std::vector<std::vector<cell>> rows;
        hooks.row = [&](const batch_row &r) {
            if (r.ok) rows.push_back(r.cells);
        };
        const batch_summary b = run_batch({table_text("SUITE.PRN", suite_text())}, o, hooks);
        const auto ln_a = std::find_if(b.columns.begin(), b.columns.end(), [](const column &k) {
            return k.entry->role == column_role::ln_a_jd;
        });
        ASSERT_NE(ln_a, b.columns.end());
        plot::figure_options f;
        f.layout = plot::figure_layout::panels, f.unit = c.unit;
        const plot::batch_scene scene = plot::make_batch_scene(b.points, 0, f);
        const plot::batch_layout layout = plot::layout_batch(scene);
        const double per_kbar = c.unit == plot::pressure_unit::gpa ? 0.1 : 1;
        EXPECT_FALSE(scene.sample_axis) << c.thermometers;
        ASSERT_EQ(scene.marks.size(), rows.size());
        ASSERT_GT(rows.size(), 3u);
        for (std::size_t i = 0; i < rows.size(); i++) {
            const std::string &label = scene.marks[i].label;
            const double a =
                std::stod(rows[i][static_cast<std::size_t>(ln_a - b.columns.begin())].text);
            const auto &line = scene.marks[i].lowest_pressure;
            ASSERT_TRUE(line) << label;
            EXPECT_GT(line->ends[1].t_c - line->ends[0].t_c, 10) << label;
            for (const plot::pt_point &end : line->ends) // lna_jd has 4 decimals: 0.3 bar
                EXPECT_NEAR(end.p_kbar,
                            per_kbar * thermometry::albite_jadeite_quartz_bar(end.t_c, -a) / 1000,
                            per_kbar * 5e-4)
                    << label;
            EXPECT_NEAR(std::stod(line->label.substr(line->label.find(' '))), std::exp(a),
                        0.05 * std::exp(a)) // two significant digits
                << label;
            const plot::panel &p = layout.panels[i];
            const auto in_panel =
                std::count_if(layout.reaction_labels.begin(), layout.reaction_labels.end(),
                              [&](const plot::placed_text &t) {
                                  return t.text == line->label && t.page == p.page &&
                                         t.at.x > p.frame.x0 && t.at.x < p.frame.x1 &&
                                         t.at.y > p.frame.y0 && t.at.y < p.frame.y1;
                              });
            EXPECT_EQ(in_panel, 1) << label;
        }
        EXPECT_EQ(std::count_if(layout.legend.begin(), layout.legend.end(),
                                [](const plot::legend_row &r) {
                                    return r.kind == plot::legend_kind::lowest_pressure;
                                }),
                  1);
        // The overlay: none, and nothing in its legend of them.
        f.layout = plot::figure_layout::overlay;
        const plot::batch_scene overlay = plot::make_batch_scene(b.points, 0, f);
        for (const plot::batch_mark &m : overlay.marks) EXPECT_FALSE(m.lowest_pressure);
        for (const plot::legend_row &r : plot::layout_batch(overlay).legend)
            EXPECT_NE(r.kind, plot::legend_kind::lowest_pressure);
    }
}

} // namespace
