// What a batch hands to its diagram: each sample's result, its Monte-Carlo pairs and where the
// thermometers meet its barometer.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varno96::plot {

// Monte-Carlo runs as a table gives them: how many have a value, their mean, standard
// deviations and the correlation of T and P (NaN for none). The figure draws them from these
// alone, so that a table read back draws what its batch drew.
struct run_moments {
    std::size_t n = 0;
    double t_mean = std::numeric_limits<double>::quiet_NaN(), p_mean = t_mean, t_sd = t_mean,
           p_sd = t_mean, rho = t_mean;
};

// The moments of runs at hand, (T_C, P_kbar) pairs, as a table gives them; the correlation
// NaN without spread in T or P.
run_moments moments_of(const std::vector<std::pair<double, double>> &runs);

// Where a thermometer meets a sample's barometer: the calibration's key ("KR00"), as the legend
// names it ("KR00 Krogh Ravna (2000)"), its place in the table of calibrations (its colour and
// marker in every figure), the point of the analyses as entered, and the runs of pass 2 that
// have one.
struct batch_intersection {
    std::string legend;
    std::size_t colour = 0;
    double t_c = 0, p_kbar = 0;
    run_moments runs;
};

// The sample's albite = jadeite + quartz, the lowest pressure of a rock with quartz and without
// albite: its clinopyroxene's ln a(jd) and two points (T_C, P_kbar) of the line.
struct jadeite_line {
    double ln_a_jd = 0;
    std::array<std::pair<double, double>, 2> line{};
};

struct batch_sample {
    std::string label;
    double t_c = 0;
    double p_kbar = 0;
    run_moments pass2; // of Monte-Carlo pass 2 (n 0 without it)
    bool t_varies = false;
    std::size_t runs = 0; // Monte-Carlo runs of pass 2, with a result or not
    // With thermometers: two points of the sample's barometer line P(T), (T_C, P_kbar) (the
    // table's rows at T - 50 and T + 50), and each thermometer's intersection with it.
    std::optional<std::array<std::pair<double, double>, 2>> barometer;
    std::vector<batch_intersection> intersections;
    std::optional<jadeite_line> lowest_pressure{}; // none where a(jd) has no value
};

} // namespace varno96::plot
