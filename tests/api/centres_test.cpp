// Where the Monte-Carlo runs lie: the percentiles' definition, the notes' words, and over the
// example suite each value as entered said to lie outside its runs exactly when it does.
#include "api/batch.hpp"
#include "api/centres.hpp"
#include "io/textio.hpp"
#include "support/readback.hpp"
#include "support/scratch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace varno96;

// numpy.percentile(values, [16, 50, 84]), its default ("linear", Hyndman & Fan type 7).
TEST(Centres, PercentilesAsNumpyGivesThem) {
    struct case_ {
        std::vector<double> values;
        double p16, p50, p84, mean;
    };
    const std::vector<case_> cases{
        {{4, 1, 3, 2}, 1.48, 2.5, 3.52, 2.5},
        {{10, 20}, 11.6, 15, 18.4, 15},
        {{2.0, -1.2, 4.4, 0.3, 2.0}, -0.24, 2.0, 2.864, 1.5},
        {{7, 7, 7}, 7, 7, 7, 7}, // equal neighbours: exactly theirs
    };
    for (case_ c : cases) {
        const run_centre r = centre_of(c.values);
        EXPECT_TRUE(std::is_sorted(c.values.begin(), c.values.end()));
        EXPECT_NEAR(*r.p16, c.p16, 1e-12);
        EXPECT_NEAR(*r.p50, c.p50, 1e-12);
        EXPECT_NEAR(*r.p84, c.p84, 1e-12);
        EXPECT_NEAR(*r.mean, c.mean, 1e-12);
    }
    // Found by selection, as by the definition on the sorted values, for any count and ties.
    std::mt19937 random(3);
    for (std::size_t n = 2; n <= 201; n += 7) {
        std::vector<double> values(n);
        for (double &x : values) x = static_cast<double>(random() % 50) / 4;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const auto defined = [&](double p) {
            const double h = static_cast<double>(n - 1) * p, lo = std::floor(h);
            const auto k = static_cast<std::size_t>(lo);
            return sorted[k] + (h - lo) * (sorted[std::min(k + 1, n - 1)] - sorted[k]);
        };
        const run_centre r = centre_of(values);
        EXPECT_NEAR(*r.p16, defined(0.16), 1e-12) << n;
        EXPECT_NEAR(*r.p50, defined(0.50), 1e-12) << n;
        EXPECT_NEAR(*r.p84, defined(0.84), 1e-12) << n;
    }
    std::vector<double> one{5}; // as the standard deviation: none of a single run
    EXPECT_FALSE(centre_of(one).p50 || centre_of(one).mean);
}

TEST(Centres, TheNotesWords) {
    std::vector<double> runs(100);
    std::iota(runs.begin(), runs.end(), 1.0); // 1 ... 100
    const run_centre c = centre_of(runs);
    const auto t = [&](double v) { return among_runs{v, runs, c, "", "°C", 1, "its runs"}; };
    const among_runs p{97, runs, c, "P", "kbar", 2, "the runs of pass 2"};
    EXPECT_EQ(outside_runs_note(t(5)), "5.0 °C as entered lies below 95 % of its runs (median "
                                       "50.5 °C)");
    EXPECT_EQ(outside_runs_note(p), "P 97.00 kbar as entered lies above 96 % of the runs of pass 2 "
                                    "(median 50.50 kbar)");
    EXPECT_EQ(outside_runs_note(t(16.84)), ""); // on the 16th percentile: among them
    EXPECT_EQ(outside_runs_note(t(84.16)), "");
    EXPECT_EQ(outside_runs_note(t(5), "why"), outside_runs_note(t(5)) + ": why");
    // The runs without a temperature counted as the coldest: the cause once they would put at
    // least 16 % of the runs below the value, never for a value above its runs.
    const std::string cause = "the clinopyroxene's Fe3+ estimate takes all its iron in 20 runs, "
                              "which have no Fe2+ and so no temperature: the coldest runs are "
                              "missing";
    EXPECT_EQ(missing_cold_runs_cause(t(5), 20), cause); // (4 + 20) / 120 below
    EXPECT_EQ(missing_cold_runs_cause(t(5), 10), "");    // (4 + 10) / 110
    EXPECT_EQ(missing_cold_runs_cause(t(5), 0), "");
    EXPECT_EQ(missing_cold_runs_cause(t(97), 50), "");
    EXPECT_EQ(missing_cold_runs_cause(t(50), 50), "");
    // Every run without a value counted, every reason with its runs, the commonest first.
    EXPECT_EQ(runs_without_note(200, 200, {}), "");
    EXPECT_EQ(runs_without_note(190, 200, {{"a, b", 2}, {"c", 7}, {"d", 1}}),
              "190 of 200 Monte-Carlo runs have a value; 10 without: c 7, a, b 2, d 1");
}

const cell &cell_of(const batch_result &b, const std::vector<cell> &row, const std::string &name) {
    for (std::size_t i = 0; i < b.columns.size(); i++)
        if (b.columns[i].name == name) return row[i];
    ADD_FAILURE() << name;
    return row.front();
}
double value_of(const batch_result &b, const std::vector<cell> &row, const std::string &name) {
    return cell_of(b, row, name).value;
}

// Over the suite, with ferric iron estimated in each run or once, at a fixed or the Powell
// temperature: a value as entered outside the 16th to 84th percentiles of its runs is said, with
// the median of the table, and none inside; the cause only of a garnet-clinopyroxene value below.
TEST(Centres, AValueOutsideItsRunsIsSaidAndNoneInside) {
    int said = 0, caused = 0;
    for (const ferric_runs ferric : {ferric_runs::each, ferric_runs::once})
        for (const bool powell : {false, true})
            for (const double u : {1.0, 3.0}) {
                batch_options o;
                o.model = 7, o.temperature = 650, o.monte_carlo = true, o.seed = -5;
                o.uncertainty = u, o.powell = powell, o.ferric_in_runs = ferric;
                o.thermometers = *thermometers_of("all");
                const batch_result b =
                    compute_batch({table_text("SUITE.PRN", test::suite_text())}, o);
                for (const auto &row : b.rows) {
                    if (std::isnan(value_of(b, row, "T_C"))) continue;
                    const std::string &note = cell_of(b, row, "note").text;
                    SCOPED_TRACE(cell_of(b, row, "sample").text + ": " + note);
                    // The clause of the value of `at` beside the statistics `stats`...`unit`.
                    const auto clause = [&](const std::string &prefix, const std::string &at,
                                            const std::string &stats, const std::string &unit,
                                            int decimals) {
                        const double v = value_of(b, row, at);
                        const bool out = v < value_of(b, row, stats + "p16" + unit) ||
                                         v > value_of(b, row, stats + "p84" + unit);
                        const std::size_t from =
                            note.find(prefix + FMT(v, 0, decimals) +
                                      (unit == "_C" ? " °C" : " kbar") + " as entered lies ");
                        EXPECT_EQ(from != std::string::npos, out) << at;
                        if (from == std::string::npos) return std::string();
                        said++;
                        const std::string words = note.substr(from, note.find("; ", from) - from);
                        const std::string median =
                            "(median " + FMT(value_of(b, row, stats + "p50" + unit), 0, decimals);
                        EXPECT_NE(words.find(median), std::string::npos) << median;
                        return words;
                    };
                    clause("P ", "P_kbar", "P2_", "_kbar", 2);
                    if (powell) clause("T ", "T_C", "T2_", "_C", 0);
                    for (const thermometry::calibration &k : thermometry::calibrations) {
                        const std::string key(k.name), tag = key + ": ";
                        std::string words =
                            clause(tag, "T_" + key + "_C", "T_" + key + "_", "_C", 1);
                        if (words.empty()) {
                            clause(tag, "P_" + key + "_kbar", "P_" + key + "_", "_kbar", 2);
                        } else if (words.find("the coldest runs are missing") !=
                                   std::string::npos) {
                            caused++;
                            EXPECT_EQ(k.pair, thermometry::mineral_pair::grt_cpx) << key;
                            EXPECT_EQ(ferric, ferric_runs::each) << key;
                            EXPECT_NE(words.find(" lies below "), std::string::npos) << key;
                        }
                    }
                }
            }
    EXPECT_GT(said, 0);
    EXPECT_GT(caused, 0);
}

// No spread where the analyses as entered give no intersection, while its runs are counted.
TEST(Centres, NoSpreadBesideAnIntersectionWithoutAValue) {
    batch_options o;
    o.model = 1, o.temperature = 500, o.monte_carlo = true, o.seed = -5;
    o.combine = combine_mode::each, o.thermometers = *thermometers_of("EG79");
    const batch_result b = compute_batch(
        {table_text("EPMA-EXPORT.csv", test::slurp(VARNO96_EXAMPLES "/EPMA-EXPORT.csv"))}, o);
    int without = 0;
    for (const auto &row : b.rows) {
        if (!std::isnan(value_of(b, row, "T_EG79_C")) || std::isnan(value_of(b, row, "T_C")))
            continue;
        without++;
        for (const char *name : {"T_EG79_sd_C", "T_EG79_mean_C", "T_EG79_p50_C", "P_EG79_sd_kbar",
                                 "P_EG79_p84_kbar", "rho_EG79"})
            EXPECT_TRUE(std::isnan(value_of(b, row, name))) << name;
        const double n = value_of(b, row, "n_EG79");
        EXPECT_GT(n, 1);
        EXPECT_NE(cell_of(b, row, "note")
                      .text.find("EG79: " + FMT(n, 0, 0) +
                                 " of 200 Monte-Carlo runs have a "
                                 "value"),
                  std::string::npos);
    }
    EXPECT_GT(without, 0);
}

} // namespace
