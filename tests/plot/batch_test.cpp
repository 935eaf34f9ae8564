// The batch's figure drawn by PLplot as the scene lays it out: sizes in points at its width,
// texts kept as text, each calibration's colour and marker, reactions, panels on pages, no
// figure without a sample, names where the layout puts them.
#include "plot/plot.hpp"
#include "plot/support.hpp"
#include "scene/scene.hpp"

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
        r.push_back(
            {"S" + std::to_string(i + 1),
             t,
             p,
             spread ? moments_of(cloud(t, p, fixed ? 0 : 15, seed + static_cast<unsigned>(i), 40))
                    : run_moments{},
             !fixed,
             0,
             {},
             {}});
    }
    return r;
}

bool inside(const rect &box, const rect &frame) {
    return box.x0 >= frame.x0 && box.x1 <= frame.x1 && box.y0 >= frame.y0 && box.y1 <= frame.y1;
}

// A sample on the barometer P = p + slope (T - t), met by the calibrations of the given places
// at the given temperatures, each with a cloud of 200 runs when `runs`.
batch_sample on_barometer(const std::string &label, double t, double p, double slope,
                          const std::vector<std::pair<std::size_t, double>> &met, bool runs) {
    const auto at = [&](double tt) { return p + slope * (tt - t); };
    batch_sample s{label, t, p, {}, false, runs ? 200u : 0u, {}, {}};
    s.barometer = {{{t - 50, at(t - 50)}, {t + 50, at(t + 50)}}};
    for (const auto &[colour, tt] : met)
        s.intersections.push_back(
            {"T" + std::to_string(colour) + " Someone (2000)", colour, tt, at(tt),
             runs ? moments_of(cloud(tt, at(tt), 25, static_cast<unsigned>(colour + 40)))
                  : run_moments{}});
    return s;
}

std::string hex(const rgb &c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c.r, c.g, c.b);
    return buffer;
}

// The middles of the filled shapes of colour `fill` within the diagram: the mean of their
// corners (each drawn from the middle of its first edge, round to its first corner again).
std::vector<std::pair<double, double>> filled_at(const svg_picture &svg, const std::string &fill) {
    std::vector<std::pair<double, double>> r;
    for (const svg_line &l : svg.lines) {
        if (l.fill != fill || l.points.empty() || l.points.front().second <= svg.tick_label_y)
            continue;
        double x = 0, y = 0;
        for (std::size_t i = 1; i < l.points.size(); i++)
            x += l.points[i].first, y += l.points[i].second;
        const auto n = static_cast<double>(l.points.size() - 1);
        r.emplace_back(x / n, y / n);
    }
    return r;
}

} // namespace

TEST(BatchDiagram, ASuiteAtAColumnsWidth) {
    std::vector<batch_sample> samples;
    for (int i = 0; i < 6; i++) {
        std::vector<std::pair<std::size_t, double>> met;
        for (std::size_t k = 0; k < 7; k++)
            met.emplace_back(k, 420 + 50.0 * static_cast<double>(k) + 8 * i);
        samples.push_back(
            on_barometer("EC" + std::to_string(i + 1), 650, 18 + 2.0 * i, -0.01 * i, met, true));
    }
    plot_scratch dir;
    const std::string said =
        write_batch_diagram(samples, 2, figure_options{}, (dir / "suite.svg").string());
    EXPECT_EQ(said, "2 samples without a result not shown");
    const std::string xml = slurp(dir / "suite.svg");
    EXPECT_NE(xml.find("width=\"241pt\""), std::string::npos); // 85 mm
    const svg_picture svg = read_svg(xml);
    // Texts as text, none under 6 pt, the numbers, axis titles and legend 7 pt or more.
    for (const svg_text &t : svg.texts) EXPECT_GE(t.size, 6) << t.text;
    for (const char *text :
         {"T (°C)", "P (kbar)", "1σ of 200 Monte-Carlo runs, about their mean", "T6", "600"}) {
        const auto it = std::find_if(svg.texts.begin(), svg.texts.end(),
                                     [&](const svg_text &x) { return x.text == text; });
        ASSERT_NE(it, svg.texts.end()) << text;
        EXPECT_GE(it->size, 7) << text;
    }
    for (const char *text : {"EC1", "EC6", "Qz = Coe", "Ab = Jd + Qz"})
        EXPECT_TRUE(svg.has_text(text)) << text;
    for (const svg_line &l : svg.lines)
        if (l.fill == "none") { EXPECT_GE(l.width, 0.25); }
    // Each calibration's marker in its colour at each intersection and once in the legend, with
    // its 1σ ellipse; the intersections where the samples put them.
    for (std::size_t k = 0; k < 7; k++) {
        SCOPED_TRACE(k);
        EXPECT_EQ(svg.filled(hex(thermometer_colours[k])),
                  std::make_pair(std::size_t{6}, std::size_t{1}));
        EXPECT_EQ(svg.line_points(hex(thermometer_colours[k]), ellipse_line_pt).size(), 6u * 121);
        const auto at = filled_at(svg, hex(thermometer_colours[k]));
        for (std::size_t i = 0; i < 6; i++) {
            const auto [t, p] = svg.pt(at[i].first, at[i].second);
            EXPECT_NEAR(t, samples[i].intersections[k].t_c, 1.5);
            EXPECT_NEAR(p, samples[i].intersections[k].p_kbar, 0.1);
        }
    }
    // The barometers in grey, the reactions dashed in lighter grey, each dash on a reaction's
    // line; no title.
    EXPECT_EQ(svg.line_points(hex(barometer_rgb), barometer_line_pt).size(), 12u);
    const auto dashes = svg.line_points(hex(reaction_rgb), reaction_line_pt);
    EXPECT_GT(dashes.size(), 20u);
    for (const auto &[t, p] : dashes) {
        EXPECT_LT(std::min(std::abs(p - (19.5 + 0.0102 * t)), std::abs(p - (0.35 + 0.0265 * t))),
                  0.2)
            << t << " " << p;
    }
    EXPECT_FALSE(svg.has_text("Suite"));

    // In GPa, 170 mm wide, with a title.
    figure_options o;
    o.unit = pressure_unit::gpa;
    o.width_mm = 170;
    o.title = "Suite";
    write_batch_diagram(samples, 0, o, (dir / "wide.svg").string());
    const std::string wide = slurp(dir / "wide.svg");
    EXPECT_NE(wide.find("width=\"482pt\""), std::string::npos);
    const svg_picture gpa = read_svg(wide);
    EXPECT_TRUE(gpa.has_text("P (GPa)"));
    EXPECT_TRUE(gpa.has_text("Suite"));
    EXPECT_TRUE(gpa.has_text("T6 Someone (2000)"));
    const auto at = filled_at(gpa, hex(thermometer_colours[0]));
    EXPECT_NEAR(gpa.pt(at[0].first, at[0].second).second, samples[0].intersections[0].p_kbar / 10,
                0.01);
}

TEST(BatchDiagram, NoFigureWithoutASampleAndFailuresThatLeaveNothing) {
    plot_scratch dir;
    const std::string empty = (dir / "empty.pdf").string();
    try {
        write_batch_diagram({}, 3, {}, empty);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "no sample has a result: no diagram written to " + empty);
    }
    const std::string missing = (dir / "none" / "b.svg").string();
    try {
        write_batch_diagram({{"A", 600, 20, {}, false, 0, {}, {}}}, 0, {}, missing);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + missing + ": No such file or directory");
    }
    EXPECT_THROW(write_batch_diagram({{"A", 600, 20, {}, false, 0, {}, {}}}, 0, {},
                                     (dir / "b.png").string()),
                 std::runtime_error);
    EXPECT_TRUE(dir.names().empty());
}

TEST(BatchDiagram, SamplesAtOneFixedTemperatureStandSideBySide) {
    const std::vector<batch_sample> samples{
        {"A", 650, 25, moments_of(cloud(650, 25, 0, 4)), false, 200, {}, {}},
        {"B", 650, 27, moments_of(cloud(650, 27, 0, 5)), false, 200, {}, {}},
        {"C", 650, 22, moments_of(cloud(650, 22, 0, 6)), false, 200, {}, {}}};
    plot_scratch dir;
    write_batch_diagram(samples, 0, {}, (dir / "batch.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "batch.svg"));
    // The horizontal axis holds the samples, not temperatures that were never computed.
    EXPECT_TRUE(svg.has_text("Sample, all at 650 °C"));
    EXPECT_FALSE(svg.has_text("T (°C)"));
    EXPECT_TRUE(svg.has_text("±1σ in P of 200 Monte-Carlo runs, about their mean"));
    const auto marks = filled_at(svg, "#000000");
    ASSERT_EQ(marks.size(), 3u);
    for (std::size_t i = 0; i < 3; i++) {
        if (i > 0) { EXPECT_GT(marks[i].first, marks[i - 1].first + 20); } // in order, apart
        EXPECT_NEAR(svg.p0 + svg.p1 * marks[i].second, samples[i].p_kbar, 0.05);
    }
}

TEST(BatchDiagram, PanelsOnAsManyPagesAsTheyNeed) {
    std::vector<batch_sample> samples;
    for (int i = 0; i < 40; i++)
        samples.push_back(on_barometer("P" + std::to_string(i + 1), 650, 15 + 0.3 * i, 0.01,
                                       {{0, 500}, {5, 750}}, false));
    figure_options o;
    o.layout = figure_layout::panels;
    const batch_layout layout = layout_batch(make_batch_scene(samples, 0, o), false);
    ASSERT_GT(layout.pages, 1u);
    plot_scratch dir;
    write_batch_diagram(samples, 0, o, (dir / "panels.pdf").string());
    const std::string pdf = slurp(dir / "panels.pdf");
    std::size_t pages = 0;
    for (std::size_t at = 0; (at = pdf.find("/Type /Page", at)) != std::string::npos; at++)
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    EXPECT_EQ(pages, layout.pages);
    // An SVG has one page: every panel with its name on it.
    write_batch_diagram(samples, 0, o, (dir / "panels.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "panels.svg"));
    for (const batch_sample &s : samples) EXPECT_TRUE(svg.has_text(s.label)) << s.label;
    EXPECT_EQ(svg.filled(hex(thermometer_colours[5])).first +
                  svg.filled(hex(thermometer_colours[5])).second,
              41u);
}

// A panel's own albite = jadeite + quartz as the scene has it: every point of the grey dashes
// on the sample's line, its a(jd) written, the legend saying what it is.
TEST(BatchDiagram, APanelDrawsItsSamplesLowestPressure) {
    batch_sample s{"JD", 650, 18, {}, false, 0, {}, {}};
    s.lowest_pressure = jadeite_line{std::log(0.4), {{{0, 5}, {1000, 25}}}};
    figure_options o;
    o.layout = figure_layout::panels, o.reactions = false;
    plot_scratch dir;
    write_batch_diagram({s}, 0, o, (dir / "jd.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "jd.svg"));
    std::size_t dashes = 0;
    for (const svg_line &l : svg.lines) dashes += l.stroke == hex(reaction_rgb) && l.fill == "none";
    EXPECT_GT(dashes, 4u);
    const auto points = svg.line_points(hex(reaction_rgb), reaction_line_pt);
    ASSERT_GT(points.size(), 8u);
    for (const auto &[t, p] : points) EXPECT_NEAR(p, 5 + 0.02 * t, 0.1) << t;
    EXPECT_TRUE(svg.has_text("a(jd) 0.40"));
    EXPECT_TRUE(svg.has_text(std::string(lowest_pressure_words)));
}

TEST(BatchLayout, PictureDrawsTheLayout) {
    // The frame, each name written where the layout puts it, and no other name.
    const std::vector<batch_sample> samples = crowd(45, true, 5);
    const batch_layout layout = layout_batch(make_batch_scene(samples, 0));
    ASSERT_GT(layout.labels.size(), 20u);
    plot_scratch dir;
    write_batch_diagram(samples, 0, {}, (dir / "heap.svg").string());
    const svg_picture svg = read_svg(slurp(dir / "heap.svg"));
    const auto pt = [&](double mm) { return mm * 241 / 85; };
    const auto [t_lo, p_lo] = svg.pt(pt(layout.frame.x0), pt(layout.frame.y0));
    const auto [t_hi, p_hi] = svg.pt(pt(layout.frame.x1), pt(layout.frame.y1));
    EXPECT_NEAR(t_lo, layout.t_axis.lo, 0.5);
    EXPECT_NEAR(t_hi, layout.t_axis.hi, 0.5);
    EXPECT_NEAR(p_lo, layout.p_axis.lo, 0.05);
    EXPECT_NEAR(p_hi, layout.p_axis.hi, 0.05);
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
    // Random batches of 10 to 50 samples, with and without spreads.
    std::mt19937 random(2026);
    std::uniform_int_distribution<std::size_t> count(10, 50);
    for (int k = 0; k < 12; k++) {
        const std::size_t n = count(random);
        const batch_scene scene =
            make_batch_scene(crowd(n, k % 2 == 0, static_cast<unsigned>(k)), 0);
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
