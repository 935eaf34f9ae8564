#include "scene/cloud.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace varno96::plot {

cloud_stats describe(std::span<const pt_point> cloud) {
    if (cloud.empty()) throw std::invalid_argument("a cloud without pairs has no mean");
    cloud_stats s;
    s.n = cloud.size();
    for (const pt_point &q : cloud) {
        s.mean.t_c += q.t_c;
        s.mean.p_kbar += q.p_kbar;
    }
    const double n = static_cast<double>(s.n);
    s.mean.t_c /= n;
    s.mean.p_kbar /= n;
    if (s.n < 2) return s;
    // Two passes: deviations from the mean keep the sums small and exact enough.
    for (const pt_point &q : cloud) {
        const double dt = q.t_c - s.mean.t_c, dp = q.p_kbar - s.mean.p_kbar;
        s.var_t += dt * dt;
        s.var_p += dp * dp;
        s.cov_tp += dt * dp;
    }
    s.var_t /= n - 1;
    s.var_p /= n - 1;
    s.cov_tp /= n - 1;
    return s;
}

std::vector<pt_point> covariance_ellipse(const cloud_stats &stats, double k, int segments) {
    // Eigenvalues and the angle of the major axis of the symmetric 2 x 2 covariance.
    const double a = stats.var_t, b = stats.cov_tp, c = stats.var_p;
    const double half_sum = (a + c) / 2, radius = std::hypot((a - c) / 2, b);
    const double major = std::sqrt(std::max(half_sum + radius, 0.0));
    const double minor = std::sqrt(std::max(half_sum - radius, 0.0));
    const double theta = radius > 0 ? std::atan2(b, (a - c) / 2) / 2 : 0;
    const double ct = std::cos(theta), st = std::sin(theta);
    segments = std::max(segments, 4);
    std::vector<pt_point> ring;
    ring.reserve(static_cast<std::size_t>(segments) + 1);
    for (int i = 0; i <= segments; i++) {
        const double phi = 2 * std::numbers::pi * (i % segments) / segments;
        const double u = k * major * std::cos(phi), v = k * minor * std::sin(phi);
        ring.push_back({stats.mean.t_c + u * ct - v * st, stats.mean.p_kbar + u * st + v * ct});
    }
    return ring;
}

error_bar p_error_bar(const cloud_stats &stats, double k) {
    const double sd = std::sqrt(stats.var_p);
    return {stats.mean.t_c, stats.mean.p_kbar - k * sd, stats.mean.p_kbar + k * sd};
}

axis_range padded_range(double lo, double hi, double fraction, double min_span) {
    if (hi < lo) std::swap(lo, hi);
    const double pad = (hi - lo) * fraction;
    lo -= pad;
    hi += pad;
    if (hi - lo < min_span) {
        const double centre = (lo + hi) / 2;
        lo = centre - min_span / 2;
        hi = centre + min_span / 2;
    }
    return {lo, hi};
}

void pt_box::include(const pt_point &q) {
    if (empty) {
        t_lo = t_hi = q.t_c;
        p_lo = p_hi = q.p_kbar;
        empty = false;
        return;
    }
    t_lo = std::min(t_lo, q.t_c);
    t_hi = std::max(t_hi, q.t_c);
    p_lo = std::min(p_lo, q.p_kbar);
    p_hi = std::max(p_hi, q.p_kbar);
}

void pt_box::include(std::span<const pt_point> points) {
    for (const pt_point &q : points) include(q);
}

} // namespace varno96::plot
