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

// Where a thermometer meets a sample's barometer: the calibration's key ("KR00"), as the legend
// names it ("KR00 Krogh Ravna (2000)"), its place in the table of calibrations (its colour and
// marker in every figure), the point, and the point of each Monte-Carlo run of pass 2 that has
// one.
struct batch_intersection {
    std::string legend;
    std::size_t colour = 0;
    double t_c = 0, p_kbar = 0;
    std::vector<std::pair<double, double>> runs; // (T_C, P_kbar)
    // Without the runs, their moments as a table gives them (NaN for none), and their number.
    double t_sd = std::numeric_limits<double>::quiet_NaN(), p_sd = t_sd, rho = t_sd;
    std::size_t runs_n = 0;
};

struct batch_sample {
    std::string label;
    double t_c = 0;
    double p_kbar = 0;
    // (T_C, P_kbar) pairs of Monte-Carlo pass 2, empty without it
    std::vector<std::pair<double, double>> pass2;
    bool t_varies = false;
    std::size_t runs = 0; // Monte-Carlo runs of pass 2, with a result or not
    // With thermometers: two points of the sample's barometer line P(T), (T_C, P_kbar) (the
    // table's rows at T - 50 and T + 50), and each thermometer's intersection with it.
    std::optional<std::array<std::pair<double, double>, 2>> barometer;
    std::vector<batch_intersection> intersections;
};

} // namespace varno96::plot
