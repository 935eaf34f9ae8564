// The diagram's maths without PLplot: cloud statistics, covariance ellipses and error bars,
// axis ranges, label placement and text for PLplot. Writing a picture is
// tests/plot/output_test.cpp.
#include "scene/cloud.hpp"
#include "scene/labels.hpp"
#include "scene/text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

using namespace varno96::plot;

namespace {

// (x - m)' S^-1 (x - m) for the cloud's covariance S.
double mahalanobis2(const cloud_stats &s, const pt_point &q) {
    const double dt = q.t_c - s.mean.t_c, dp = q.p_kbar - s.mean.p_kbar;
    const double det = s.var_t * s.var_p - s.cov_tp * s.cov_tp;
    return (s.var_p * dt * dt - 2 * s.cov_tp * dt * dp + s.var_t * dp * dp) / det;
}

bool inside(const std::vector<pt_point> &ring, const pt_point &q) {
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const pt_point &a = ring[i], &b = ring[j];
        if ((a.p_kbar > q.p_kbar) != (b.p_kbar > q.p_kbar) &&
            q.t_c < (b.t_c - a.t_c) * (q.p_kbar - a.p_kbar) / (b.p_kbar - a.p_kbar) + a.t_c)
            in = !in;
    }
    return in;
}

} // namespace

TEST(Cloud, MeanAndCovarianceOfAKnownCloud) {
    const std::vector<pt_point> cloud{{501, 20}, {499, 20}, {500, 22}, {500, 18}};
    const cloud_stats s = describe(cloud);
    EXPECT_EQ(s.n, 4u);
    EXPECT_DOUBLE_EQ(s.mean.t_c, 500);
    EXPECT_DOUBLE_EQ(s.mean.p_kbar, 20);
    EXPECT_DOUBLE_EQ(s.var_t, 2.0 / 3); // n - 1 denominators, as the report's s.d.
    EXPECT_DOUBLE_EQ(s.var_p, 8.0 / 3);
    EXPECT_DOUBLE_EQ(s.cov_tp, 0);

    // Axis-parallel: k s.d. along T and along P.
    const auto ring = covariance_ellipse(s, 2, 8);
    ASSERT_EQ(ring.size(), 9u);
    EXPECT_DOUBLE_EQ(ring.front().t_c, ring.back().t_c); // closed
    double t_hi = 0, p_hi = 0;
    for (const auto &q : ring) t_hi = std::max(t_hi, q.t_c), p_hi = std::max(p_hi, q.p_kbar);
    EXPECT_NEAR(t_hi, 500 + 2 * std::sqrt(2.0 / 3), 1e-9);
    EXPECT_NEAR(p_hi, 20 + 2 * std::sqrt(8.0 / 3), 1e-9);

    const error_bar bar = p_error_bar(s, 2);
    EXPECT_DOUBLE_EQ(bar.t_c, 500);
    EXPECT_NEAR(bar.p_low, 20 - 2 * std::sqrt(8.0 / 3), 1e-12);
    EXPECT_NEAR(bar.p_high, 20 + 2 * std::sqrt(8.0 / 3), 1e-12);

    EXPECT_THROW(describe({}), std::invalid_argument);
    const cloud_stats one = describe(std::vector<pt_point>{{650, 26}});
    EXPECT_EQ(one.var_t + one.var_p + one.cov_tp, 0);
}

TEST(Cloud, EllipseOfACorrelatedCloudLiesAtMahalanobisDistanceK) {
    const std::vector<pt_point> cloud{{480, 24},   {495, 25.5}, {500, 25},
                                      {510, 27.5}, {520, 27},   {530, 29}};
    const cloud_stats s = describe(cloud);
    ASSERT_GT(s.cov_tp, 0);
    for (double k : {1.0, 2.0})
        for (const pt_point &q : covariance_ellipse(s, k))
            ASSERT_NEAR(mahalanobis2(s, q), k * k, 1e-9);
}

TEST(Cloud, EllipseOfACloudOnALineIsASegmentAlongIt) {
    const std::vector<pt_point> cloud{{500, 20}, {510, 21}, {520, 22}};
    const cloud_stats s = describe(cloud);
    for (const pt_point &q : covariance_ellipse(s, 1))
        EXPECT_NEAR(q.p_kbar - 20, (q.t_c - 500) / 10, 1e-9);
}

// The convention: k = 1 and k = 2 enclose 39.3 % and 86.5 % of a bivariate normal cloud.
TEST(Cloud, OneAndTwoSigmaEllipsesEncloseTheChiSquareShares) {
    std::mt19937 random(1985);
    std::normal_distribution<double> normal;
    std::vector<pt_point> cloud;
    for (int i = 0; i < 20000; i++) {
        const double a = normal(random), b = normal(random);
        cloud.push_back({600 + 30 * a, 25 + 1.5 * (0.6 * a + 0.8 * b)});
    }
    const cloud_stats s = describe(cloud);
    for (auto [k, share] :
         {std::pair{1.0, 1 - std::exp(-0.5)}, std::pair{2.0, 1 - std::exp(-2.0)}}) {
        const auto ring = covariance_ellipse(s, k, 360);
        double in = 0;
        for (const pt_point &q : cloud) in += inside(ring, q);
        EXPECT_NEAR(in / static_cast<double>(cloud.size()), share, 0.012) << "k = " << k;
    }
}

TEST(Cloud, PaddedRangeWidensAndKeepsAMinimumSpan) {
    const axis_range r = padded_range(500, 400, 0.1, 1);
    EXPECT_DOUBLE_EQ(r.lo, 390);
    EXPECT_DOUBLE_EQ(r.hi, 510);
    const axis_range single = padded_range(17.25, 17.25, 0.1, 1);
    EXPECT_DOUBLE_EQ(single.lo, 16.75);
    EXPECT_DOUBLE_EQ(single.hi, 17.75);
}

TEST(Labels, CrowdedMarksGetLabelsThatDoNotOverlap) {
    // Five marks 1 mm apart, labels 12 x 4 mm: each must find its own room.
    std::vector<label_request> labels;
    std::vector<rect> marks;
    for (int i = 0; i < 5; i++) {
        labels.push_back({50.0 + i, 50.0 + i, 12, 4});
        marks.push_back({49.0 + i, 49.0 + i, 51.0 + i, 51.0 + i});
    }
    const rect frame{0, 0, 100, 100};
    const auto placed = place_labels(labels, marks, {}, frame, 1.5);
    ASSERT_EQ(placed.size(), 5u);
    for (std::size_t i = 0; i < placed.size(); i++) {
        ASSERT_TRUE(placed[i]) << i;
        const rect &box = placed[i]->box;
        EXPECT_DOUBLE_EQ(overlap(box, frame), box.area());
        for (const rect &m : marks) EXPECT_EQ(overlap(box, m), 0) << i;
        for (std::size_t j = 0; j < i; j++) EXPECT_EQ(overlap(box, placed[j]->box), 0) << i << j;
        // Near its own mark.
        EXPECT_LT(
            std::hypot((box.x0 + box.x1) / 2 - labels[i].x, (box.y0 + box.y1) / 2 - labels[i].y),
            25);
    }
}

TEST(Labels, ALabelStaysInsideTheFrameOrIsNotPlaced) {
    const label_request l{98, 50, 20, 4};
    const auto placed = place_labels(std::span(&l, 1), {}, {}, rect{0, 0, 100, 100}, 1.5);
    ASSERT_TRUE(placed[0]);
    EXPECT_LE(placed[0]->box.x1, 98);
    EXPECT_FALSE(placed[0]->distant);
    // Wider than the frame: none.
    const label_request wide{50, 50, 101, 4};
    EXPECT_FALSE(place_labels(std::span(&wide, 1), {}, {}, rect{0, 0, 100, 100}, 1.5)[0]);
}

TEST(Text, LabelsBecomeValidUtf8WithPlplotEscapesDoubled) {
    EXPECT_EQ(plot_text("No #3"), "No ##3");
    EXPECT_EQ(utf8_text("Gr\xfcnschiefer"), "Grünschiefer"); // Latin-1
    EXPECT_EQ(utf8_text("Grünschiefer"), "Grünschiefer");    // UTF-8 stays
    EXPECT_EQ(utf8_text("a\tb\x01"), "a b ");                // controls
    EXPECT_EQ(utf8_text("\xc0\xaf"), "À¯"); // an overlong form is no UTF-8: Latin-1
    EXPECT_EQ(text_length("±1σ"), 3u);
}
