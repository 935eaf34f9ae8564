// Where the Monte-Carlo runs of a series lie, beside how widely: their mean and percentiles, and
// the notes that say where the value as entered lies among them and how many runs have none.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varno96 {

// The mean and the 16th, 50th and 84th percentiles of the runs with a value; none with fewer
// than two runs, as the standard deviation beside them.
struct run_centre {
    std::optional<double> mean, p16, p50, p84;
};

// The centre of `values`, which it reorders. The percentile p is linear between the order
// statistics about the virtual index (n - 1) p: Hyndman & Fan (1996) type 7, numpy.percentile's
// default "linear"; each order statistic is found by partial selection (a sort of every series
// of every sample would cost more).
run_centre centre_of(std::vector<double> &values);

// The correlation of T and P over `points`; none with fewer than two or without spread.
std::optional<double> correlation(std::span<const std::pair<double, double>> points);

// Every run without a value counted, with each reason, the commonest first: "132 of 200
// Monte-Carlo runs have a value; 68 without: <why> 65, <why> 3". Empty when all `total` have one.
std::string runs_without_note(int runs, int total,
                              std::vector<std::pair<std::string, int>> without);

// A value as entered beside its runs: the value, the runs with a value (in any order) and their
// centre, and how a note writes them.
struct among_runs {
    double value = 0;
    std::span<const double> values;
    const run_centre &centre;
    std::string_view symbol; // "" for a calibration (the note names it), else "P" or "T"
    std::string_view unit;   // "°C" or "kbar"
    int decimals = 0;
    std::string_view runs; // "its runs", "the runs of pass 2"
};

// Whether the value lies outside the runs' 16th-84th percentiles; below them, above them or not.
int outside(const among_runs &a);

// The clause for a value outside its runs, "498.9 °C as entered lies below 85 % of its runs
// (median 645.4 °C)", followed by ": <cause>" when a cause is given; empty inside.
std::string outside_runs_note(const among_runs &a, std::string_view cause = {});

// The cause of a garnet-clinopyroxene temperature below its runs that the runs establish: in
// `all_ferric` runs the clinopyroxene's charge-balance Fe3+ estimate took all its iron, so that
// they have no Fe2+ and no temperature; as K_D grows without bound the temperature falls towards
// 0 K, so these runs would be the coldest of all. When, counted so, at least 16 % of the runs
// lie below the value, the runs are said to be missing their coldest. Empty otherwise.
std::string missing_cold_runs_cause(const among_runs &a, int all_ferric);

} // namespace varno96
