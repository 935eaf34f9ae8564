// The batch's figure as the scene makes it, before any drawing: colours that stay apart and
// readable, texts large enough at a journal's column width, the reference reactions where the
// papers put them, panels, densities and a compact legend.
#include "scene/scene.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <set>

using namespace varno96::plot;

namespace {

struct lab {
    double l, a, b;
};

double linear(int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// WCAG 2 contrast of a colour on white.
double contrast_on_white(const rgb &c) {
    const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    return 1.05 / (y + 0.05);
}

// sRGB (D65) to CIELAB.
lab lab_of(const rgb &c) {
    const double r = linear(c.r), g = linear(c.g), b = linear(c.b);
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// CIEDE2000 colour difference (Sharma, Wu & Dalal 2005, Color Res. Appl. 30, 21-30).
double ciede2000(const lab &p, const lab &q) {
    const double deg = std::numbers::pi / 180;
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b), cb = (c1 + c2) / 2;
    const double g = 0.5 * (1 - std::sqrt(std::pow(cb, 7) / (std::pow(cb, 7) + std::pow(25, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double c1p = std::hypot(a1, p.b), c2p = std::hypot(a2, q.b);
    const auto hue = [&](double b, double a) {
        const double h = std::atan2(b, a) / deg;
        return h < 0 ? h + 360 : h;
    };
    const double h1 = c1p == 0 ? 0 : hue(p.b, a1), h2 = c2p == 0 ? 0 : hue(q.b, a2);
    double dh = 0;
    if (c1p * c2p != 0)
        dh = std::fabs(h2 - h1) <= 180 ? h2 - h1 : h2 - h1 > 180 ? h2 - h1 - 360 : h2 - h1 + 360;
    const double dl = q.l - p.l, dc = c2p - c1p;
    const double dhh = 2 * std::sqrt(c1p * c2p) * std::sin(dh / 2 * deg);
    const double lb = (p.l + q.l) / 2, cbp = (c1p + c2p) / 2;
    double hb = h1 + h2;
    if (c1p * c2p != 0)
        hb = std::fabs(h1 - h2) <= 180 ? (h1 + h2) / 2
             : h1 + h2 < 360           ? (h1 + h2 + 360) / 2
                                       : (h1 + h2 - 360) / 2;
    const double t = 1 - 0.17 * std::cos((hb - 30) * deg) + 0.24 * std::cos(2 * hb * deg) +
                     0.32 * std::cos((3 * hb + 6) * deg) - 0.20 * std::cos((4 * hb - 63) * deg);
    const double dtheta = 30 * std::exp(-std::pow((hb - 275) / 25, 2));
    const double rc = 2 * std::sqrt(std::pow(cbp, 7) / (std::pow(cbp, 7) + std::pow(25, 7)));
    const double sl = 1 + 0.015 * (lb - 50) * (lb - 50) / std::sqrt(20 + (lb - 50) * (lb - 50));
    const double sc = 1 + 0.045 * cbp, sh = 1 + 0.015 * cbp * t;
    const double rt = -std::sin(2 * dtheta * deg) * rc;
    return std::sqrt(std::pow(dl / sl, 2) + std::pow(dc / sc, 2) + std::pow(dhh / sh, 2) +
                     rt * (dc / sc) * (dhh / sh));
}

std::vector<std::pair<double, double>> cloud(double t, double p, unsigned seed, int n = 200) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    std::vector<std::pair<double, double>> r;
    for (int i = 0; i < n; i++) r.emplace_back(t + 20 * normal(random), p + 1.5 * normal(random));
    return r;
}

// A sample on the barometer P = p - 0.01 (T - t) met by each calibration of `keys` (their places
// in the table) at its own temperature, with 200 runs each.
batch_sample sample(const std::string &label, double t, double p,
                    const std::vector<std::size_t> &keys, unsigned seed) {
    batch_sample s;
    s.label = label, s.t_c = t, s.p_kbar = p, s.runs = 200;
    const auto at = [&](double tt) { return p - 0.01 * (tt - t); };
    s.barometer = {{{t - 50, at(t - 50)}, {t + 50, at(t + 50)}}};
    for (std::size_t k : keys) {
        const double tt = 420 + 50.0 * static_cast<double>(k);
        s.intersections.push_back({"K" + std::to_string(k) + " Someone (2000)", k, tt, at(tt),
                                   moments_of(cloud(tt, at(tt), seed + static_cast<unsigned>(k)))});
    }
    return s;
}

std::vector<batch_sample> suite(std::size_t n, const std::vector<std::size_t> &keys) {
    std::vector<batch_sample> r;
    for (std::size_t i = 0; i < n; i++)
        r.push_back(sample("S" + std::to_string(i + 1), 650, 20 + 0.9 * static_cast<double>(i % 9),
                           keys, static_cast<unsigned>(i)));
    return r;
}

const std::vector<std::size_t> all_keys{0, 1, 2, 3, 4, 5, 6};

} // namespace

TEST(FigureColours, ElevenThatStayApartAndReadOnWhite) {
    // The published test pairs of the difference first.
    struct {
        lab p, q;
        double de;
    } sharma[] = {{{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
                  {{50, 0, 0}, {50, -1, 2}, 2.3669},
                  {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
                  {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644}};
    for (const auto &s : sharma) EXPECT_NEAR(ciede2000(s.p, s.q), s.de, 5e-5);

    const std::vector<rgb> greys{spread_rgb, barometer_rgb, reaction_rgb};
    for (std::size_t i = 0; i < thermometer_colours.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_GE(contrast_on_white(thermometer_colours[i]), 3.5);
        for (std::size_t j = 0; j < i; j++)
            // The four of Zr in rutile, after the seven, 21 or more from every other.
            EXPECT_GE(ciede2000(lab_of(thermometer_colours[i]), lab_of(thermometer_colours[j])),
                      i < 7 ? 25 : 21)
                << j;
        for (const rgb &g : greys)
            EXPECT_GE(ciede2000(lab_of(thermometer_colours[i]), lab_of(g)), 20);
    }
    // The black, the greys: hue-less.
    for (const rgb &g : greys) EXPECT_TRUE(g.r == g.g && g.g == g.b);
    // Each marker its own shape.
    std::set<std::size_t> corners;
    for (std::size_t i = 0; i < thermometer_colours.size(); i++)
        corners.insert(marker_outline(i).size() * 100 +
                       static_cast<std::size_t>(std::lround(
                           10 * std::atan2(marker_outline(i)[0].y, marker_outline(i)[0].x))));
    EXPECT_EQ(corners.size(), thermometer_colours.size());
    // And each upright: its outline its own mirror image about the vertical.
    for (std::size_t i = 0; i < thermometer_colours.size(); i++)
        for (const mm_point &p : marker_outline(i)) {
            bool mirrored = false;
            for (const mm_point &q : marker_outline(i))
                mirrored = mirrored || (std::abs(q.x + p.x) < 1e-9 && std::abs(q.y - p.y) < 1e-9);
            EXPECT_TRUE(mirrored) << "marker " << i << " at " << p.x << ", " << p.y;
        }
}

TEST(FigureColours, ACalibrationKeepsItsColourWhateverElseIsAsked) {
    for (const auto &keys :
         {std::vector<std::size_t>{5}, std::vector<std::size_t>{2, 5}, all_keys}) {
        const batch_scene scene = make_batch_scene(suite(2, keys), 0);
        ASSERT_EQ(scene.thermometers.size(), keys.size());
        for (std::size_t k = 0; k < keys.size(); k++)
            EXPECT_EQ(scene.thermometers[k].colour, keys[k]);
        for (const batch_mark &m : scene.marks)
            for (std::size_t k = 0; k < keys.size(); k++)
                EXPECT_EQ(m.intersections[k].colour, keys[k]);
    }
}

TEST(FigureSizes, TextsAndLinesAtAColumnsWidth) {
    for (double pt : {tick_pt, axis_title_pt, legend_pt, name_pt, reaction_pt, title_pt})
        EXPECT_GE(pt, 6);
    for (double pt : {axis_title_pt, legend_pt}) EXPECT_GE(pt, 7);
    for (double w :
         {frame_line_pt, ellipse_line_pt, barometer_line_pt, reaction_line_pt, leader_line_pt})
        EXPECT_GE(w, 0.25);
    // 7 pt is 2.47 mm from baseline to baseline of a solid setting: a character height of
    // 1.98 mm in PLplot's measure.
    EXPECT_NEAR(1.25 * char_mm(7), 7 * 25.4 / 72, 1e-12);

    // At 85 mm, all seven calibrations with Monte-Carlo: the page is 85 mm wide, the legend
    // within a fifth of its height, its rows inside the page, the names and legend in their
    // sizes, no title.
    const batch_scene scene = make_batch_scene(suite(7, all_keys), 0);
    const batch_layout layout = layout_batch(scene);
    EXPECT_DOUBLE_EQ(layout.page.width, 85);
    EXPECT_TRUE(scene.title.empty());
    EXPECT_LE(layout.legend_box.y1 - layout.legend_box.y0, layout.page.height / 5);
    EXPECT_NEAR(layout.page.char_height, char_mm(legend_pt), 1e-12);
    EXPECT_NEAR(layout.label_char, char_mm(name_pt), 1e-12);
    for (const legend_row &row : layout.legend) {
        EXPECT_GE(row.x, 0);
        EXPECT_LE(row.x + legend_symbol + estimated_text_width(row.text, layout.page.char_height),
                  85);
        EXPECT_GT(row.y, 0);
        EXPECT_LT(row.y, layout.frame.y0);
    }
    ASSERT_GE(layout.legend.size(), 2u);
    EXPECT_EQ(layout.legend[0].text, "1σ of 200 Monte-Carlo runs, about their mean");
    EXPECT_EQ(layout.legend.back().text, "K6"); // the key alone at a column's width
    // Every name written, beside the frame, none over another.
    EXPECT_EQ(layout.labels.size(), 7u);
    for (std::size_t i = 0; i < layout.labels.size(); i++) {
        EXPECT_GE(layout.labels[i].box.x0, layout.frame.x1);
        EXPECT_LE(layout.labels[i].box.x1, 85);
        for (std::size_t j = 0; j < i; j++)
            EXPECT_EQ(overlap(layout.labels[i].box, layout.labels[j].box), 0);
    }
    // Two columns: the citations too; a title when asked.
    figure_options wide;
    wide.width_mm = 170;
    wide.title = "Suite";
    const batch_layout two = layout_batch(make_batch_scene(suite(7, all_keys), 0, wide));
    EXPECT_DOUBLE_EQ(two.page.width, 170);
    EXPECT_EQ(two.legend.back().text, "K6 Someone (2000)");
    EXPECT_GT(two.top_title, two.frame.y1);
}

TEST(FigureReactions, WhereThePapersPutThemAndOnlyWhereTheyCrossTheFrame) {
    for (pressure_unit unit : {pressure_unit::kbar, pressure_unit::gpa}) {
        figure_options o;
        o.unit = unit;
        const double per_kbar = unit == pressure_unit::gpa ? 0.1 : 1;
        // Samples from 300 to 900 °C and 10 to 35 kbar: both reactions cross.
        std::vector<batch_sample> samples{sample("A", 300, 10, {}, 1), sample("B", 900, 35, {}, 2)};
        samples[0].barometer.reset(), samples[1].barometer.reset();
        const batch_scene scene = make_batch_scene(samples, 0, o);
        EXPECT_EQ(scene.p_label, unit == pressure_unit::gpa ? "P (GPa)" : "P (kbar)");
        EXPECT_NEAR(scene.marks[1].at.p_kbar, 35 * per_kbar, 1e-12);
        ASSERT_EQ(scene.reactions.size(), 2u);
        const double slopes[] = {0.0102, 0.0265}, p0[] = {19.5, 0.35};
        for (const reaction_line &r : scene.reactions) {
            for (const pt_point &end : r.ends) {
                // On the line of the paper, and on an edge of the frame.
                EXPECT_NEAR(end.p_kbar, per_kbar * (p0[r.which] + slopes[r.which] * end.t_c), 1e-9);
                const double e = 1e-9;
                EXPECT_TRUE(std::fabs(end.t_c - scene.t_axis.lo) < e ||
                            std::fabs(end.t_c - scene.t_axis.hi) < e ||
                            std::fabs(end.p_kbar - scene.p_axis.lo) < e ||
                            std::fabs(end.p_kbar - scene.p_axis.hi) < e);
            }
        }
        // Labelled with the minerals, along the line, within the frame.
        const batch_layout layout = layout_batch(scene);
        ASSERT_EQ(layout.reaction_labels.size(), 2u);
        EXPECT_EQ(layout.reaction_labels[0].text, "Qz = Coe");
        EXPECT_EQ(layout.reaction_labels[1].text, "Ab = Jd + Qz");
        for (const placed_text &t : layout.reaction_labels) {
            EXPECT_GT(t.angle, 0);
            EXPECT_GT(t.at.x, layout.frame.x0);
            EXPECT_LT(t.at.y, layout.frame.y1);
        }
        // Left out when asked, and where a line misses the frame: at 700-800 °C and 15-22 kbar
        // quartz = coesite lies above.
        o.reactions = false;
        EXPECT_TRUE(make_batch_scene(samples, 0, o).reactions.empty());
        o.reactions = true;
        std::vector<batch_sample> low{sample("L", 700, 15, {}, 3), sample("M", 800, 22, {}, 4)};
        low[0].barometer.reset(), low[1].barometer.reset();
        const batch_scene shallow = make_batch_scene(low, 0, o);
        ASSERT_EQ(shallow.reactions.size(), 1u);
        EXPECT_EQ(shallow.reactions[0].which, 1u);
    }
}

// In panels a reaction is labelled once a page, inside a panel and over none of the marks of the
// sample drawn there; in the overlay it is labelled inside the frame.
TEST(FigureReactions, LabelledOnceAPageClearOfTheSamplesMarks) {
    for (const figure_layout how : {figure_layout::panels, figure_layout::overlay}) {
        figure_options o;
        o.layout = how;
        // The first sample's marks strung along quartz = coesite: its panel has no room.
        std::vector<batch_sample> samples = suite(7, all_keys);
        for (batch_intersection &x : samples[0].intersections) {
            x.p_kbar = 19.5 + 0.0102 * x.t_c;
            x.runs = moments_of(cloud(x.t_c, x.p_kbar, 1));
        }
        const batch_scene scene = make_batch_scene(samples, 0, o);
        const batch_layout layout = layout_batch(scene);
        // Albite = jadeite + quartz cuts only a corner of these samples' frame: room for its
        // label in the overlay, not in a panel.
        ASSERT_EQ(layout.reaction_labels.size(),
                  how == figure_layout::panels ? layout.pages : scene.reactions.size());
        for (const placed_text &t : layout.reaction_labels) {
            SCOPED_TRACE(t.text);
            const double ux = std::cos(t.angle * std::numbers::pi / 180),
                         uy = std::sin(t.angle * std::numbers::pi / 180);
            const double tw = estimated_text_width(t.text, char_mm(t.pt));
            const auto holds = [](const rect &r, const mm_point &p) {
                return p.x > r.x0 && p.x < r.x1 && p.y > r.y0 && p.y < r.y1;
            };
            const rect &frame =
                how == figure_layout::overlay ? layout.frame : [&]() -> const rect & {
                for (const panel &q : layout.panels)
                    if (holds(q.frame, t.at)) return q.frame;
                return layout.frame;
            }();
            // The whole label, a character high, within its frame.
            const double h = 0.6 * char_mm(t.pt);
            for (const double along : {0.0, tw})
                for (const double across : {-h, h})
                    EXPECT_TRUE(holds(frame, {t.at.x + along * ux - across * uy,
                                              t.at.y + along * uy + across * ux}))
                        << along << " " << across;
            if (how == figure_layout::overlay) continue;
            const auto p = std::find_if(layout.panels.begin(), layout.panels.end(),
                                        [&](const panel &q) { return &q.frame == &frame; });
            ASSERT_NE(p, layout.panels.end());
            for (const thermometer_mark &m : scene.marks[p->mark].intersections) {
                const mm_point c = layout.to_mm(m.at, p->frame);
                const double along = (c.x - t.at.x) * ux + (c.y - t.at.y) * uy;
                const double across = -(c.x - t.at.x) * uy + (c.y - t.at.y) * ux;
                EXPECT_FALSE(along > 0 && along < tw && std::abs(across) < char_mm(t.pt))
                    << scene.marks[p->mark].label;
            }
        }
    }
}

// The names of the barometer lines beside the frame, within its height, in the order of the
// lines' ends, even for lines that leave through the frame's foot.
TEST(FigureLayouts, LineNamesWithinTheFrameInTheirLinesOrder) {
    std::vector<batch_sample> samples = suite(7, {0, 5});
    for (std::size_t i = 0; i < 3; i++) // steep: out through the foot
        samples[i].barometer = {{{550, 30.0 + static_cast<double>(i)}, {750, 10.0}}};
    const batch_scene scene = make_batch_scene(samples, 0);
    const batch_layout layout = layout_batch(scene);
    ASSERT_EQ(layout.labels.size(), samples.size());
    std::vector<std::pair<double, double>> ends; // (line's end, name) heights
    for (const batch_label &l : layout.labels) {
        EXPECT_GE(l.box.y0, layout.frame.y0 - 1e-9) << scene.marks[l.mark].label;
        EXPECT_LE(l.box.y1, layout.frame.y1 + 1e-9) << scene.marks[l.mark].label;
        ends.emplace_back(layout.to_mm((*scene.marks[l.mark].barometer)[1]).y, l.box.y0);
    }
    std::sort(ends.begin(), ends.end());
    for (std::size_t k = 1; k < ends.size(); k++) EXPECT_LE(ends[k - 1].second, ends[k].second);
}

// Each ellipse is centred on the mean of its runs and each marker at the value of the analyses
// as entered; a line joins the two where they lie farther apart than the marker is wide (then
// the legend says what it is), and none where the marker would hide it. A sample's own spread
// alike.
TEST(FigureSpreads, AboutTheRunsMeanJoinedToTheValueAsEntered) {
    batch_sample s = sample("S", 650, 22, {0, 5}, 7);
    s.intersections[0].runs.t_mean = s.intersections[0].t_c + 60; // far from its marker
    s.intersections[1].runs.t_mean = s.intersections[1].t_c + 0.5;
    s.intersections[1].runs.p_mean = s.intersections[1].p_kbar;
    batch_sample own = sample("O", 600, 18, {}, 3);
    own.barometer.reset();
    own.t_varies = true;
    own.pass2 = moments_of(cloud(560, 20, 4));
    const batch_scene scene = make_batch_scene({s, own}, 0);
    const batch_layout layout = layout_batch(scene);
    const auto centre = [](const std::vector<pt_point> &ellipse) { // of the closed polyline
        pt_point c;
        for (std::size_t i = 0; i + 1 < ellipse.size(); i++)
            c.t_c += ellipse[i].t_c, c.p_kbar += ellipse[i].p_kbar;
        const auto n = static_cast<double>(ellipse.size() - 1);
        return pt_point{c.t_c / n, c.p_kbar / n};
    };
    for (std::size_t k = 0; k < 2; k++) {
        const thermometer_mark &x = scene.marks[0].intersections[k];
        const batch_intersection &in = s.intersections[k];
        EXPECT_EQ(x.at.t_c, in.t_c);
        EXPECT_EQ(x.at.p_kbar, in.p_kbar);
        EXPECT_NEAR(centre(x.ellipse1).t_c, in.runs.t_mean, 1e-9);
        EXPECT_NEAR(centre(x.ellipse1).p_kbar, in.runs.p_mean, 1e-9);
        EXPECT_EQ(x.mean.t_c, in.runs.t_mean);
    }
    const batch_mark &o = scene.marks[1];
    EXPECT_EQ(o.at.t_c, 600);
    EXPECT_NEAR(centre(o.spread->ellipse1).t_c, own.pass2.t_mean, 1e-9);
    EXPECT_NEAR(centre(o.spread->ellipse1).p_kbar, own.pass2.p_mean, 1e-9);
    const std::vector<centre_line> lines = centre_lines(scene, layout);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].mark, 0u);
    EXPECT_EQ(lines[0].intersection, 0u);
    EXPECT_NEAR(lines[0].ends[0].x, layout.to_mm(scene.marks[0].intersections[0].at).x, 1e-9);
    EXPECT_NEAR(lines[0].ends[1].x, layout.to_mm(scene.marks[0].intersections[0].mean).x, 1e-9);
    EXPECT_EQ(lines[1].mark, 1u);
    EXPECT_EQ(lines[1].intersection, no_intersection);
    const auto said = [](const batch_layout &l) {
        return std::count_if(l.legend.begin(), l.legend.end(),
                             [](const legend_row &r) { return r.kind == legend_kind::centre; });
    };
    EXPECT_EQ(said(layout), 1);
    // Each run where its value is: no line, nor a word of one.
    s.intersections[0].runs.t_mean = s.intersections[0].t_c;
    s.intersections[0].runs.p_mean = s.intersections[0].p_kbar;
    const batch_scene close = make_batch_scene({s}, 0);
    EXPECT_TRUE(centre_lines(close, layout_batch(close)).empty());
    EXPECT_EQ(said(layout_batch(close)), 0);
}

// The axes hold what is drawn, the 1σ ellipses, and no more: a cloud spread over hundreds of
// degrees (Powell temperatures with ferric iron estimated in each run) gave an axis from below
// 0 °C, out to where its undrawn 2σ ellipse reached.
TEST(FigureLayouts, AxesHoldTheEllipsesDrawn) {
    batch_sample wide = sample("W", 500, 25, {}, 3);
    wide.barometer.reset();
    wide.t_varies = true;
    std::vector<std::pair<double, double>> runs;
    for (int i = 0; i < 200; i++)
        runs.emplace_back(500 + 300 * std::sin(i), 25 + 2 * std::cos(3.0 * i));
    wide.pass2 = moments_of(runs);
    const batch_scene scene = make_batch_scene({wide}, 0);
    ASSERT_TRUE(scene.marks[0].spread);
    double lo = 1e9, hi = -1e9;
    for (const pt_point &q : scene.marks[0].spread->ellipse1)
        lo = std::min(lo, q.t_c), hi = std::max(hi, q.t_c);
    EXPECT_LE(scene.t_axis.lo, lo);
    EXPECT_GE(scene.t_axis.hi, hi);
    EXPECT_GT(scene.t_axis.lo, lo - 0.1 * (hi - lo));
    EXPECT_LT(scene.t_axis.hi, hi + 0.1 * (hi - lo));
}

TEST(FigureLayouts, PanelsOnePerSampleAndDensitiesBeyondFiveHundred) {
    figure_options o;
    o.layout = figure_layout::panels;
    for (std::size_t n : {1u, 7u, 40u}) {
        SCOPED_TRACE(std::to_string(n) + " samples");
        const batch_scene scene = make_batch_scene(suite(n, {0, 5}), 0, o);
        EXPECT_TRUE(scene.names);
        for (bool one_page : {true, false}) {
            const batch_layout layout = layout_batch(scene, one_page);
            ASSERT_EQ(layout.panels.size(), n);
            std::set<std::size_t> pages;
            for (std::size_t i = 0; i < n; i++) {
                const panel &p = layout.panels[i];
                EXPECT_EQ(p.mark, i);
                pages.insert(p.page);
                EXPECT_GE(p.frame.x0, 0);
                EXPECT_LE(p.frame.x1, layout.page.width);
                EXPECT_GT(p.frame.y0, layout.legend_box.y1);
                EXPECT_LE(p.frame.y1, layout.page.height);
                // Shared axes: the same size, numbers only on the outer edges.
                EXPECT_NEAR(p.frame.x1 - p.frame.x0, layout.frame.x1 - layout.frame.x0, 1e-9);
                EXPECT_EQ(p.p_numbers, p.frame.x0 == layout.frame.x0);
                for (std::size_t j = 0; j < i; j++)
                    if (layout.panels[j].page == p.page) {
                        EXPECT_EQ(overlap(p.frame, layout.panels[j].frame), 0);
                        if (layout.panels[j].frame.x0 == p.frame.x0) {
                            EXPECT_FALSE(layout.panels[j].t_numbers);
                        }
                    }
            }
            EXPECT_EQ(pages.size(), layout.pages);
            EXPECT_EQ(layout.pages == 1, one_page || n <= 20) << layout.pages;
            if (!one_page) { EXPECT_LE(layout.page.height, max_page_mm); }
        }
    }

    // The overlay: names up to 50 samples, small marks beyond, densities beyond 500.
    for (std::size_t n : {50u, 51u, 500u, 501u}) {
        SCOPED_TRACE(std::to_string(n) + " samples");
        const batch_scene scene = make_batch_scene(suite(n, {0, 5}), 0);
        const batch_layout layout = layout_batch(scene);
        EXPECT_EQ(scene.names, n <= many_samples);
        EXPECT_EQ(layout.labels.size() + layout.unwritten, scene.names ? n : 0);
        EXPECT_DOUBLE_EQ(layout.mark_scale, n <= many_samples ? 1 : many_scale);
        EXPECT_EQ(scene.density, n > dense_samples);
        EXPECT_EQ(layout.bins.empty(), n <= dense_samples);
        if (layout.bins.empty()) continue;
        // Every intersection in one bin of its calibration, each calibration's fullest at 1.
        std::size_t counted = 0;
        std::map<std::size_t, double> fullest;
        for (const hex_bin &b : layout.bins) {
            counted += b.count;
            fullest[b.colour] = std::max(fullest[b.colour], b.weight);
            EXPECT_GE(b.centre.x, layout.frame.x0 - layout.hex_radius);
            EXPECT_LE(b.centre.x, layout.frame.x1 + layout.hex_radius);
        }
        EXPECT_EQ(counted, 2 * n);
        EXPECT_EQ(fullest, (std::map<std::size_t, double>{{0, 1.0}, {5, 1.0}}));
        EXPECT_EQ(layout.legend[0].kind, legend_kind::density);
    }
}

TEST(FigureLayouts, TickStepsOfOneTwoOrFive) {
    EXPECT_DOUBLE_EQ(tick_step({400, 900}, 5), 100);
    EXPECT_DOUBLE_EQ(tick_step({14, 33}, 5), 5);
    EXPECT_DOUBLE_EQ(tick_step({1.4, 3.3}, 4), 0.5);
    EXPECT_DOUBLE_EQ(tick_step({0, 0.7}, 5), 0.2);
    // Two numbered ticks at least: 500 alone would fall in a panel's 290-910 degrees.
    EXPECT_DOUBLE_EQ(tick_step({290, 910}, 3), 200);
    EXPECT_DOUBLE_EQ(tick_step({1.05, 1.95}, 1), 0.2); // not 1 (none) nor 0.5 (1.5 alone)
}
