// The batch diagram as the batch tool calls it: every sample marked and named, spreads of
// pass 2, samples without a result counted, and failures that leave nothing.
#include "plot/plot.hpp"
#include "plot/support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

using namespace varno96::plot;
using namespace varno96::test;

namespace {

std::vector<std::pair<double, double>> cloud(double t, double p, double sd_t, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    std::vector<std::pair<double, double>> r;
    for (int i = 0; i < 200; i++)
        r.emplace_back(t + sd_t * normal(random), p + 1.5 * normal(random));
    return r;
}

} // namespace

TEST(BatchDiagram, EverySampleIsMarkedAndNamedBesideItsMark) {
    // Three samples close together, one at a fixed temperature, one without Monte-Carlo.
    std::vector<batch_sample> samples{
        {"EC1", 640, 26.2, cloud(640, 26.2, 20, 1), true},
        {"EC2 #3", 645, 26.6, cloud(645, 26.6, 20, 2), true},
        {"EC3", 650, 25.8, cloud(650, 25.8, 0, 3), false},
        {"Grünschiefer", 560, 18.0, {}, false},
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
        write_batch_diagram({{"A", 600, 20, {}, false}}, 0, "T", missing);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + missing + ": No such file or directory");
    }
    EXPECT_THROW(write_batch_diagram({}, 0, "T", (dir / "b.png").string()), std::runtime_error);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"empty.pdf"});
}

TEST(BatchDiagram, SamplesAtOneFixedTemperatureStandSideBySide) {
    const std::vector<batch_sample> samples{{"A", 650, 25, cloud(650, 25, 0, 4), false},
                                            {"B", 650, 27, cloud(650, 27, 0, 5), false},
                                            {"C", 650, 22, cloud(650, 22, 0, 6), false}};
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
