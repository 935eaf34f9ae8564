// The statistics drawn on a P-T diagram: the mean and covariance of a cloud of Monte-Carlo
// (T, P) pairs, its covariance ellipses, and the error bars on P when T was held fixed.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace varno96::plot {

struct pt_point {
    double t_c = 0;    // temperature, degrees C
    double p_kbar = 0; // pressure, kbar
};

// Sample mean and covariance (n - 1 denominators, like the report's s.d.).
struct cloud_stats {
    std::size_t n = 0;
    pt_point mean;
    double var_t = 0, var_p = 0, cov_tp = 0;
};

// Throws std::invalid_argument for an empty cloud; one pair has zero spread.
cloud_stats describe(std::span<const pt_point> cloud);

// The ellipse k standard deviations out along each principal axis of the covariance: every
// point is at Mahalanobis distance k from the mean. For a bivariate normal cloud k = 1
// encloses 1 - exp(-1/2) = 39.3 % of the pairs and k = 2 encloses 1 - exp(-2) = 86.5 %
// (not the 68 % and 95 % of one variable). A closed polyline of segments + 1 points; a
// cloud without spread in one direction gives a segment traced back and forth.
std::vector<pt_point> covariance_ellipse(const cloud_stats &stats, double k, int segments = 120);

// P from mean - k s.d. to mean + k s.d. at the mean temperature: the cloud of a fixed
// temperature, where the ellipse degenerates to this bar.
struct error_bar {
    double t_c = 0, p_low = 0, p_high = 0;
};
error_bar p_error_bar(const cloud_stats &stats, double k);

// Lowest and highest value of a set to be drawn, widened by `fraction` of its span on each
// side, and to at least `min_span` in all so that a single value still gets an axis.
struct axis_range {
    double lo = 0, hi = 0;
};
axis_range padded_range(double lo, double hi, double fraction, double min_span);

// The extent in T and in P of a set of points; widened with include().
struct pt_box {
    double t_lo = 0, t_hi = 0, p_lo = 0, p_hi = 0;
    bool empty = true;
    void include(const pt_point &point);
    void include(std::span<const pt_point> points);
};

} // namespace varno96::plot
