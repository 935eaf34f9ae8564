// The batch diagram as the batch tool calls it: every sample marked and named, spreads of
// pass 2, samples without a result counted, and failures that leave nothing; and its layout,
// which the picture draws: the legend and the frame, and names that stay inside the frame,
// clear of one another and of the marks, or are left out and counted.
#include "plot/plot.hpp"
#include "scene/scene.hpp"
#include "plot/support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>
#include <set>
#include <stdexcept>

using namespace varno96::plot;
using namespace varno96::test;

namespace {

std::vector<std::pair<double, double>> cloud(double t, double p, double sd_t, unsigned seed,
                                             int n = 200) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    std::vector<std::pair<double, double>> r;
    for (int i = 0; i < n; i++) r.emplace_back(t + sd_t * normal(random), p + 1.5 * normal(random));
    return r;
}

// n samples scattered about a few centres, each with a small cloud when `spread`.
std::vector<batch_sample> crowd(std::size_t n, bool spread, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform;
    std::vector<batch_sample> r;
    for (std::size_t i = 0; i < n; i++) {
        const double t = 450 + 50 * static_cast<double>(i % 4) + 30 * normal(random);
        const double p = 20 + 2 * static_cast<double>(i % 3) + 2 * normal(random);
        const bool fixed = uniform(random) < 0.2;
        r.push_back({"S" + std::to_string(i + 1),
                     t,
                     p,
                     spread ? cloud(t, p, fixed ? 0 : 15, seed + static_cast<unsigned>(i), 40)
                            : std::vector<std::pair<double, double>>{},
                     !fixed,
                     {},
                     {}});
    }
    return r;
}

bool inside(const rect &box, const rect &frame) {
    return box.x0 >= frame.x0 && box.x1 <= frame.x1 && box.y0 >= frame.y0 && box.y1 <= frame.y1;
}

} // namespace

TEST(BatchDiagram, EverySampleIsMarkedAndNamedBesideItsMark) {
    // Three samples close together, one at a fixed temperature, one without Monte-Carlo.
    std::vector<batch_sample> samples{
        {"EC1", 640, 26.2, cloud(640, 26.2, 20, 1), true, {}, {}},
        {"EC2 #3", 645, 26.6, cloud(645, 26.6, 20, 2), true, {}, {}},
        {"EC3", 650, 25.8, cloud(650, 25.8, 0, 3), false, {}, {}},
        {"Grünschiefer", 560, 18.0, {}, false, {}, {}},
    };
    plot_scratch dir;
    write_batch_diagram(samples, 2, "Suite", (dir / "batch.svg").string());
    EXPECT_EQ(dir.names(), std::vector<std::string>{"batch.svg"});
    const svg_picture svg = read_svg(slurp(dir / "batch.svg"));
    EXPECT_TRUE(svg.has_text("Suite (2 samples without a result not shown)"));
    const auto marks = svg.marks("●", "#000000");
    ASSERT_EQ(marks.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); i++) {
        const auto [t, p] = svg.pt(marks[i].x, marks[i].y);
        EXPECT_NEAR(t, samples[i].t_c, 0.5);
        EXPECT_NEAR(p, samples[i].p_kbar, 0.05);
        const auto name = std::find_if(svg.texts.begin(), svg.texts.end(), [&](const svg_text &x) {
            return x.text == samples[i].label;
        });
        ASSERT_NE(name, svg.texts.end()) << samples[i].label;
        // Beside the mark: within 15 points (about 5 mm) of it, and not on it.
        const double d = std::hypot(name->x - marks[i].x, name->y - marks[i].y);
        EXPECT_GT(d, 3) << samples[i].label;
        EXPECT_LT(d, 45) << samples[i].label;
    }
    // Two ellipses of each sample with Powell temperatures, the error bars of the fixed one.
    EXPECT_EQ(svg.line_points("#804E00", 1.6).size(), 2u * 121);
    EXPECT_EQ(svg.line_points("#804E00", 3.0).size(), 2u);
}

TEST(BatchDiagram, EmptyBatchAndFailuresThatLeaveNothing) {
    plot_scratch dir;
    write_batch_diagram({}, 3, "Nothing", (dir / "empty.pdf").string());
    EXPECT_EQ(slurp(dir / "empty.pdf").substr(0, 5), "%PDF-");

    const std::string missing = (dir / "none" / "b.svg").string();
    try {
        write_batch_diagram({{"A", 600, 20, {}, false, {}, {}}}, 0, "T", missing);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + missing + ": No such file or directory");
    }
    EXPECT_THROW(write_batch_diagram({}, 0, "T", (dir / "b.png").string()), std::runtime_error);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"empty.pdf"});
}

TEST(BatchDiagram, SamplesAtOneFixedTemperatureStandSideBySide) {
    const std::vector<batch_sample> samples{{"A", 650, 25, cloud(650, 25, 0, 4), false, {}, {}},
                                            {"B", 650, 27, cloud(650, 27, 0, 5), false, {}, {}},
                                            {"C", 650, 22, cloud(650, 22, 0, 6), false, {}, {}}};
    plot_scratch dir;
    write_batch_diagram(samples, 0, "Suite", (dir / "batch.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "batch.svg"));
    // The horizontal axis holds the samples, not temperatures that were never computed.
    EXPECT_TRUE(svg.has_text("Sample, all at 650 °C"));
    EXPECT_FALSE(svg.has_text("T (°C)"));
    const auto marks = svg.marks("●", "#000000");
    ASSERT_EQ(marks.size(), 3u);
    for (std::size_t i = 0; i < 3; i++) {
        if (i > 0) { EXPECT_GT(marks[i].x, marks[i - 1].x + 20); } // in batch order, apart
        EXPECT_NEAR(svg.p0 + svg.p1 * marks[i].y, samples[i].p_kbar, 0.05);
    }
}

TEST(BatchLayout, LegendFrameAndNamesLeftOut) {
    using enum legend_kind;
    std::vector<batch_sample> both = crowd(6, true, 11);
    both[0].t_varies = true, both[1].t_varies = false; // an ellipse and a bar at least
    both[1].pass2 = cloud(both[1].t_c, both[1].p_kbar, 0, 12);
    struct {
        const char *what;
        std::vector<batch_sample> samples;
        std::vector<legend_kind> legend;
        std::string subtitle; // "" when every name is written
    } cases[] = {
        {"no samples", {}, {mark}, "No sample with a result"},
        {"no Monte-Carlo", crowd(5, false, 1), {mark}, ""},
        {"Powell temperatures",
         {{"A", 600, 20, cloud(600, 20, 30, 2), true, {}, {}}},
         {mark, ellipse1, ellipse2},
         ""},
        {"a fixed temperature",
         {{"A", 600, 20, cloud(600, 20, 0, 3), false, {}, {}}},
         {mark, bar1, bar2},
         ""},
        {"both", both, {mark, ellipse1, ellipse2, bar1, bar2}, ""},
        {"a thousand in a heap", crowd(1000, false, 4), {mark}, "of 1000 names not written"},
    };
    const page_geometry page;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const batch_layout layout = layout_batch(make_batch_scene(c.samples, 0, "T"));
        std::vector<legend_kind> kinds;
        for (const legend_row &row : layout.legend) kinds.push_back(row.kind);
        EXPECT_EQ(kinds, c.legend);
        // The legend's rows top down in its box, the frame a tenth of the page above it.
        EXPECT_NEAR(layout.legend_box.y1 - layout.legend_box.y0,
                    legend_pitch * page.char_height * static_cast<double>(kinds.size()), 1e-9);
        EXPECT_GT(layout.legend.front().y, layout.legend.back().y - 1e-9);
        EXPECT_NEAR(layout.frame.y0, layout.legend_box.y1 + 0.1 * page.height, 1e-9);
        EXPECT_NEAR(layout.frame.y1, 0.88 * page.height, 1e-9);
        EXPECT_EQ(layout.marks.size(), c.samples.size());
        EXPECT_EQ(layout.labels.size() + layout.unwritten, c.samples.size());
        if (c.subtitle.empty() || c.samples.empty()) {
            EXPECT_EQ(layout.subtitle, c.subtitle);
            EXPECT_EQ(layout.unwritten, 0u);
        } else {
            EXPECT_NE(layout.subtitle.find(std::to_string(layout.unwritten) + " " + c.subtitle),
                      std::string::npos)
                << layout.subtitle;
            EXPECT_GT(layout.unwritten, 900u);
            EXPECT_FALSE(layout.labels.empty());
        }
    }
}

TEST(BatchLayout, PictureDrawsTheLayout) {
    // The frame, each name written where the layout puts it, and no other name.
    const std::vector<batch_sample> samples = crowd(300, true, 5);
    const batch_layout layout = layout_batch(make_batch_scene(samples, 0, "Heap"));
    ASSERT_GT(layout.unwritten, 0u);
    plot_scratch dir;
    write_batch_diagram(samples, 0, "Heap", (dir / "heap.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "heap.svg"));
    const auto pt = [](double mm) { return mm * 72 / 25.4; };
    const auto [t_lo, p_lo] = svg.pt(pt(layout.frame.x0), pt(layout.frame.y0));
    const auto [t_hi, p_hi] = svg.pt(pt(layout.frame.x1), pt(layout.frame.y1));
    EXPECT_NEAR(t_lo, layout.t_axis.lo, 0.5);
    EXPECT_NEAR(t_hi, layout.t_axis.hi, 0.5);
    EXPECT_NEAR(p_lo, layout.p_axis.lo, 0.05);
    EXPECT_NEAR(p_hi, layout.p_axis.hi, 0.05);
    EXPECT_TRUE(svg.has_text(layout.subtitle));
    std::size_t names = 0;
    for (const svg_text &t : svg.texts)
        names += t.text.size() > 1 && t.text[0] == 'S' && std::isdigit(t.text[1]);
    EXPECT_EQ(names, layout.labels.size());
    for (const batch_label &l : layout.labels) {
        const std::string &name = samples[l.mark].label;
        const auto text = std::find_if(svg.texts.begin(), svg.texts.end(),
                                       [&](const svg_text &x) { return x.text == name; });
        ASSERT_NE(text, svg.texts.end()) << name;
        EXPECT_NEAR(text->x, pt(l.box.x0 + label_inset), 0.5) << name;
        EXPECT_LT(text->y, pt(l.box.y1)) << name;
        EXPECT_GT(text->y, pt(l.box.y0)) << name;
    }
}

TEST(BatchLayout, NamesStayInsideTheFrameClearOfOneAnotherAndOfTheMarks) {
    // Random batches of 10 to 2000 samples, with and without spreads.
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> log_n(std::log(10.0), std::log(2000.0));
    for (int k = 0; k < 12; k++) {
        const auto n = static_cast<std::size_t>(std::exp(log_n(random)));
        const batch_scene scene =
            make_batch_scene(crowd(n, k % 2 == 0, static_cast<unsigned>(k)), 0, "Random");
        const batch_layout layout = layout_batch(scene);
        SCOPED_TRACE(std::to_string(n) + " samples");
        ASSERT_EQ(layout.labels.size() + layout.unwritten, n);
        for (std::size_t i = 0; i < layout.labels.size(); i++) {
            const batch_label &l = layout.labels[i];
            EXPECT_TRUE(inside(l.box, layout.frame)) << l.mark;
            if (i > 0) { EXPECT_GT(l.mark, layout.labels[i - 1].mark); }
            for (std::size_t j = 0; j < i; j++)
                EXPECT_EQ(overlap(l.box, layout.labels[j].box), 0)
                    << l.mark << " and " << layout.labels[j].mark;
            for (std::size_t m = 0; m < n; m++) {
                const mm_point at = layout.marks[m];
                const rect mark{at.x - mark_half, at.y - mark_half, at.x + mark_half,
                                at.y + mark_half};
                if (m != l.mark) { EXPECT_EQ(overlap(l.box, mark), 0) << l.mark << " on " << m; }
            }
        }
    }
}

namespace {

// A sample on the barometer P = p + slope (T - t), met by the thermometers of the given
// colours at the given temperatures, each with a cloud of 200 runs when `runs`.
batch_sample on_barometer(const std::string &label, double t, double p, double slope,
                          const std::vector<std::pair<std::size_t, double>> &met, bool runs) {
    const auto at = [&](double tt) { return p + slope * (tt - t); };
    batch_sample s{label, t, p, {}, false, {}, {}};
    s.barometer = {{{t - 50, at(t - 50)}, {t + 50, at(t + 50)}}};
    for (const auto &[colour, tt] : met)
        s.intersections.push_back({"T" + std::to_string(colour) + " Someone (2000)", colour, tt,
                                   at(tt),
                                   runs ? cloud(tt, at(tt), 25, static_cast<unsigned>(colour + 40))
                                        : decltype(s.pass2){}});
    return s;
}

bool within(const pt_point &q, const batch_scene &scene) {
    const double e = 1e-9;
    return q.t_c >= scene.t_axis.lo - e && q.t_c <= scene.t_axis.hi + e &&
           q.p_kbar >= scene.p_axis.lo - e && q.p_kbar <= scene.p_axis.hi + e;
}

} // namespace

TEST(BatchLayout, Thermometers) {
    using enum legend_kind;
    std::vector<batch_sample> one_t; // all at 650 °C, met by all seven thermometers
    for (int i = 0; i < 3; i++) {
        std::vector<std::pair<std::size_t, double>> met;
        for (std::size_t k = 0; k < 7; k++)
            met.emplace_back(k, 450 + 40.0 * static_cast<double>(k) + 10 * i);
        one_t.push_back(
            on_barometer("S" + std::to_string(i + 1), 650, 20 + 2.0 * i, -0.01 * i, met, false));
    }
    std::vector<batch_sample> far{on_barometer("F", 650, 25, 0.01, {{1, 1200}}, true)};
    far[0].pass2 = cloud(650, 25, 0, 7);
    struct {
        const char *what;
        std::vector<batch_sample> samples;
        std::vector<legend_kind> legend;
        std::size_t rows; // of the legend
    } cases[] = {
        {"two thermometers, without Monte-Carlo",
         {on_barometer("A", 600, 20, -0.01, {{0, 500}, {2, 750}}, false),
          on_barometer("B", 650, 24, 0.005, {{0, 520}}, false)},
         {mark, barometer, thermometer, thermometer},
         3},
        {"Monte-Carlo runs, and an intersection far from the sample",
         far,
         {mark, bar1, bar2, barometer, thermometer},
         4},
        {"samples at one temperature, all seven thermometers",
         one_t,
         {mark, barometer, thermometer, thermometer, thermometer, thermometer, thermometer,
          thermometer, thermometer},
         5},
        {"a barometer that no thermometer meets",
         {on_barometer("N", 600, 20, 0.02, {}, false)},
         {mark, barometer},
         2},
    };
    const page_geometry page;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const batch_scene scene = make_batch_scene(c.samples, 0, "T");
        const batch_layout layout = layout_batch(scene);
        // The temperatures of the intersections on the axis, not the samples side by side.
        EXPECT_FALSE(scene.sample_axis);
        std::vector<legend_kind> kinds;
        std::set<double> rows;
        std::size_t last_colour = 0;
        for (const legend_row &row : layout.legend) {
            kinds.push_back(row.kind);
            rows.insert(row.y);
            if (row.kind != thermometer) continue;
            // Each calibration once, by its colour, under the name it came with.
            EXPECT_EQ(row.text, "T" + std::to_string(row.colour) + " Someone (2000)");
            if (&row != &layout.legend.front() && (&row - 1)->kind == thermometer) {
                EXPECT_GT(row.colour, last_colour);
            }
            last_colour = row.colour;
        }
        EXPECT_EQ(kinds, c.legend);
        // The barometer and the thermometers two to a row, in two columns.
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_NEAR(layout.legend_box.y1 - layout.legend_box.y0,
                    legend_pitch * page.char_height * static_cast<double>(c.rows), 1e-9);
        std::set<double> columns;
        for (const legend_row &row : layout.legend) columns.insert(row.x);
        const auto paired = std::count(kinds.begin(), kinds.end(), barometer) +
                            std::count(kinds.begin(), kinds.end(), thermometer);
        EXPECT_EQ(columns.size(), paired > 1 ? 2u : 1u);
        std::vector<rect> markers;
        for (std::size_t i = 0; i < c.samples.size(); i++) {
            const batch_mark &m = scene.marks[i];
            ASSERT_EQ(m.intersections.size(), c.samples[i].intersections.size());
            for (const thermometer_mark &x : m.intersections) {
                EXPECT_TRUE(within(x.at, scene));
                EXPECT_EQ(x.ellipse1.empty(), c.samples[i].intersections[0].runs.empty());
                for (const pt_point &q : x.ellipse1) EXPECT_TRUE(within(q, scene));
                const mm_point at = layout.to_mm(x.at);
                markers.push_back(
                    {at.x - mark_half, at.y - mark_half, at.x + mark_half, at.y + mark_half});
            }
            // The barometer from edge to edge of the frame, through the sample's point.
            ASSERT_TRUE(m.barometer.has_value());
            for (const pt_point &end : *m.barometer) {
                EXPECT_TRUE(within(end, scene));
                const double e = 1e-6;
                EXPECT_TRUE(std::fabs(end.t_c - scene.t_axis.lo) < e ||
                            std::fabs(end.t_c - scene.t_axis.hi) < e ||
                            std::fabs(end.p_kbar - scene.p_axis.lo) < e ||
                            std::fabs(end.p_kbar - scene.p_axis.hi) < e);
            }
            const auto &[a, b] = *m.barometer;
            EXPECT_NEAR((b.t_c - a.t_c) * (m.at.p_kbar - a.p_kbar) -
                            (b.p_kbar - a.p_kbar) * (m.at.t_c - a.t_c),
                        0, 1e-6);
        }
        // No name on a marker.
        for (const batch_label &l : layout.labels)
            for (const rect &r : markers) EXPECT_EQ(overlap(l.box, r), 0) << l.mark;
    }
}

TEST(BatchDiagram, PictureDrawsTheThermometers) {
    // Two samples, one met by two thermometers with runs, the other by one without.
    std::vector<batch_sample> samples{on_barometer("A", 600, 20, -0.01, {{0, 500}, {3, 700}}, true),
                                      on_barometer("B", 650, 24, 0.005, {{0, 520}}, false)};
    plot_scratch dir;
    write_batch_diagram(samples, 0, "Suite", (dir / "t.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "t.svg"));
    // A marker for each intersection and each thermometer of the legend, in its colour.
    EXPECT_EQ(svg.filled("#0072B2"), std::make_pair(std::size_t{2}, std::size_t{1}));
    EXPECT_EQ(svg.filled("#C474A0"), std::make_pair(std::size_t{1}, std::size_t{1}));
    // The ellipses of the runs, and a barometer line for each sample.
    EXPECT_EQ(svg.line_points("#0072B2", 1.0).size(), 121u);
    EXPECT_EQ(svg.line_points("#C474A0", 1.0).size(), 121u);
    const auto lines = svg.line_points("#5A5A5A", 0.8);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 2; i++) {
        const auto [t0, p0] = lines[2 * i];
        const auto [t1, p1] = lines[2 * i + 1];
        const batch_sample &s = samples[i];
        EXPECT_NEAR(p0 + (p1 - p0) * (s.t_c - t0) / (t1 - t0), s.p_kbar, 0.05);
    }
    EXPECT_TRUE(svg.has_text("T3 Someone (2000)"));
}
