// One sample computed without the dialogue, through the same steps as the dialogue.
#pragma once

#include "api/centres.hpp"
#include "state/types.hpp"
#include "thermometry/keys.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varno96 {

// The dialogue's answers.
struct choices {
    int model = 0;              // garnet mixing model, 1..7
    bool one_site = false;      // one-site clinopyroxene
    double t_c = 0;             // trial temperature, degrees Celsius
    bool powell = false;        // the Powell estimate instead of the trial temperature
    std::optional<double> at_c; // or the table at another temperature
    double uncertainty = 1;     // per cent of a 100 wt% total
    bool monte_carlo = false;   // both passes of RSIZE runs
    std::int16_t seed = -1;     // Monte-Carlo seed, -99..-1
    // Thermometers to intersect with the barometer, in the order of the calibrations.
    std::vector<thermometry::any_key> thermometers;
    // The relative 1 sigma of Zr in rutile, per cent, that the Monte-Carlo runs perturb it by;
    // none: the standard error of the mean of the rutile spots (none with one spot).
    std::optional<double> zr_uncertainty;
    // Beyond the dialogue: the ferric iron of an analysis without Fe2O3 estimated by charge
    // balance (garnet, clinopyroxene, phengite), or all iron taken as Fe2+; and the Monte-Carlo
    // runs perturbing the analyses as entered and estimating their ferric iron afresh, or (as
    // the dialogue does) perturbing the analyses with the ferric iron first estimated.
    std::array<bool, 3> estimate_ferric{true, true, true};
    bool cpx_ferric_sites = false; // the clinopyroxene's estimate from its sites instead
    bool ferric_each_run = true;
};

// A row of the result table.
struct table_row {
    double t_c, p_kbar, lna_prp, lna_grs, lna_di, lna_mica, lnk;
};

// One Monte-Carlo pass: the (T, P) pairs of the runs with a value, their statistics, and the
// runs left out with why.
struct pass_result {
    std::vector<std::pair<double, double>> pairs; // degrees Celsius, kbar
    // Pass 2 with thermometers: for each run with a value, the intersection of each
    // thermometer asked (degrees Celsius, kbar), none where it has no value.
    std::vector<std::vector<std::optional<std::pair<double, double>>>> intersections;
    std::optional<double> p_mean, p_sd, t_mean, t_sd; // t_ only with Powell temperatures
    // Where the runs lie (pass 2), and the correlation of T and P; T only with Powell
    // temperatures.
    run_centre p_runs, t_runs;
    std::optional<double> rho;
    int left_out = 0;
    std::string why;
    std::vector<std::pair<std::string, int>> left; // each reason with its runs left out
};

// A mineral's formula as the dialogue's formula table shows it: the analysis with any
// estimated Fe2O3, its oxide total, cations per formula unit and their sum.
struct formula {
    VECTOR wt;
    double total = 0;
    VECTOR cat;
    double sum = 0;
};

// The three analyses of one sample in wt%, and the Zr of its rutile spots in ppm; the
// clinopyroxene's Cr2O3 in wt% (a table's Cr2O3 column), which only its ferric iron from its
// sites takes.
struct sample_wt {
    VECTOR grt, cpx, mica;
    std::vector<double> zr_ppm{};
    double cpx_cr2o3 = 0;
};

// Where a thermometer meets the barometer: the point, or why there is none; with Monte-Carlo
// the standard deviations and correlation of the runs' points of pass 2.
struct intersection {
    std::optional<double> t_c, p_kbar;
    std::optional<double> t_sd, p_sd, rho;
    run_centre t_runs, p_runs; // where those runs lie
    int runs = 0;     // the Monte-Carlo runs of pass 2 with a point, over which the spreads are
    std::string note; // why there is no point, that a calibration's range is left, few runs
};

struct sample_result {
    bool ok = false;
    std::array<std::optional<formula>, 3> formulae; // of the minerals recalculated
    std::array<table_row, 3> rows{};                // T - 50, T, T + 50
    std::optional<double> t_powell;                 // the estimate, when it has a value
    bool t_varies = false; // the table and the runs use Powell temperatures
    std::optional<std::array<pass_result, 2>> passes;
    std::vector<intersection> intersections; // one per thermometer asked
    std::string note;
};

// Computes one sample on a calculation of its own: nothing of it remains for the next, and
// samples on different threads share nothing.
sample_result compute_sample(const sample_wt &in, const choices &how);

} // namespace varno96
