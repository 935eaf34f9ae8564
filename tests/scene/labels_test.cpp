// Names placed in crowds: a leader never runs through a name or a mark placed before it, nor
// across another leader, whatever its direction.
#include "scene/labels.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace varno96::plot;

namespace {

// Whether the segment passes through the inside of the box (sampled every 0.02 mm).
bool through(const rect &box, double x0, double y0, double x1, double y1) {
    const int n = static_cast<int>(std::ceil(std::hypot(x1 - x0, y1 - y0) / 0.02));
    for (int k = 0; k <= n; k++) {
        const double f = static_cast<double>(k) / std::max(n, 1);
        const double x = x0 + f * (x1 - x0), y = y0 + f * (y1 - y0);
        if (x > box.x0 + 1e-6 && x < box.x1 - 1e-6 && y > box.y0 + 1e-6 && y < box.y1 - 1e-6)
            return true;
    }
    return false;
}

// Whether two segments cross at a point inside both.
bool cross(const std::array<double, 4> &a, const std::array<double, 4> &b) {
    const auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    const double d1 = side(a[0], a[1], a[2], a[3], b[0], b[1]);
    const double d2 = side(a[0], a[1], a[2], a[3], b[2], b[3]);
    const double d3 = side(b[0], b[1], b[2], b[3], a[0], a[1]);
    const double d4 = side(b[0], b[1], b[2], b[3], a[2], a[3]);
    return d1 * d2 < 0 && d3 * d4 < 0;
}

} // namespace

TEST(Labels, LeadersRunClearOfNamesMarksAndOtherLeaders) {
    std::size_t leaders = 0;
    for (unsigned seed = 1; seed <= 8; seed++) {
        std::mt19937 random(seed);
        std::normal_distribution<double> normal;
        const rect frame{0, 0, 80, 55};
        std::vector<label_request> labels;
        std::vector<rect> marks;
        for (int i = 0; i < 120; i++) {
            const double x = std::clamp(40 + 9 * normal(random), 1.0, 79.0);
            const double y = std::clamp(27 + 6 * normal(random), 1.0, 54.0);
            labels.push_back({x, y, 4 + 3 * std::fabs(normal(random)), 2.4});
            marks.push_back({x - 1, y - 1, x + 1, y + 1});
        }
        const auto placed = place_labels(labels, marks, {}, frame, 1.2);
        std::vector<std::array<double, 4>> drawn;
        for (std::size_t i = 0; i < placed.size(); i++) {
            if (!placed[i] || !placed[i]->distant) continue;
            const label_request &l = labels[i];
            const std::array<double, 4> leader{l.x, l.y, placed[i]->end_x, placed[i]->end_y};
            leaders++;
            SCOPED_TRACE("seed " + std::to_string(seed) + ", label " + std::to_string(i));
            for (std::size_t j = 0; j < i; j++)
                if (placed[j]) {
                    EXPECT_FALSE(through(placed[j]->box, l.x, l.y, leader[2], leader[3]));
                }
            for (std::size_t j = 0; j < marks.size(); j++) {
                const bool own_start = marks[j].x0 <= l.x && l.x <= marks[j].x1 &&
                                       marks[j].y0 <= l.y && l.y <= marks[j].y1;
                if (!own_start) {
                    EXPECT_FALSE(through(marks[j], l.x, l.y, leader[2], leader[3])) << j;
                }
            }
            for (const auto &other : drawn) EXPECT_FALSE(cross(leader, other));
            drawn.push_back(leader);
        }
    }
    EXPECT_GT(leaders, 40u); // the crowds do need leaders
}
