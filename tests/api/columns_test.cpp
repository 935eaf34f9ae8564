// The table of columns: each documented, each made, and the help (hence the manual page) naming
// every one of them.
#include "api/batch.hpp"
#include "api/columns.hpp"
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace varno96;

// Every way the options shape the columns.
std::vector<batch_options> shapes() {
    std::vector<batch_options> all;
    for (const combine_mode combine : {combine_mode::none, combine_mode::mean, combine_mode::each})
        for (const bool mc : {false, true})
            for (const bool formulae : {false, true})
                for (const char *keys : {"", "KR00,EG79", "all"}) {
                    batch_options o;
                    o.model = 7, o.temperature = 650, o.seed = -5;
                    o.combine = combine, o.monte_carlo = mc, o.formulae = formulae;
                    if (*keys) o.thermometers = *thermometers_of(keys);
                    all.push_back(o);
                }
    return all;
}

TEST(Columns, EachIsDocumentedAndMade) {
    for (const auto &table : {result_column_table(), pair_column_table()})
        for (const column_spec &c : table) {
            EXPECT_FALSE(c.meaning.empty()) << c.name;
            EXPECT_EQ(c.text != nullptr, c.kind == column::text) << c.name;
            EXPECT_EQ(c.value != nullptr, c.kind != column::text) << c.name;
            EXPECT_TRUE(c.unit.empty() || c.kind == column::number) << c.name;
        }
}

// A series' statistics carry the digits of its mean, and a thermometer's those of its value: a
// percentile written with other digits than the mean beside it reads as more or less precise.
TEST(Columns, StatisticsOfARunSeriesHaveItsDigits) {
    const std::regex stat(R"(([TP](2|_\{key\}))_(mean|sd|p16|p50|p84)_(C|kbar))");
    std::map<std::string, std::set<int>> digits; // by series and unit
    std::map<std::string, int> values;
    for (const column_spec &c : result_column_table()) {
        const std::string name(c.name);
        std::smatch m;
        if (std::regex_match(name, m, stat)) digits[m[1].str() + m[4].str()].insert(c.decimals);
        if (name == "T_{key}_C" || name == "P_{key}_kbar") values[name] = c.decimals;
    }
    ASSERT_EQ(digits.size(), 4u); // T2, P2 and each thermometer's T and P
    for (const auto &[series, d] : digits) EXPECT_EQ(d.size(), 1u) << series;
    EXPECT_EQ(*digits["T_{key}C"].begin(), values["T_{key}_C"]);
    EXPECT_EQ(*digits["P_{key}kbar"].begin(), values["P_{key}_kbar"]);
}

// Progress is said as the rows are made, and once at the end with every row made.
TEST(Columns, ProgressEndsAtEveryRow) {
    const std::vector<table_text> suite{{"SUITE.PRN", test::suite_text()},
                                        {"AGAIN.PRN", test::suite_text()}};
    batch_options o;
    o.model = 7, o.temperature = 650;
    std::vector<std::pair<std::size_t, std::size_t>> said;
    const batch_result r = compute_batch(
        suite, o, false, 1, [&](std::size_t i, std::size_t n) { said.emplace_back(i, n); });
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), std::make_pair(r.rows.size(), r.rows.size()));
    for (std::size_t j = 1; j < said.size(); j++) EXPECT_LE(said[j - 1].first, said[j].first);
    EXPECT_EQ(
        std::count_if(said.begin(), said.end(), [](const auto &p) { return p.first == p.second; }),
        1);
}

// Under any options, the columns are distinct, each one of those any batch can write, and each
// row has a cell for each.
TEST(Columns, EveryShapeIsPartOfTheWholeAndEveryRowFillsIt) {
    std::set<std::string> every;
    for (const column &c : result_columns(std::nullopt)) EXPECT_TRUE(every.insert(c.name).second);
    const std::vector<table_text> suite{{"SUITE.PRN", test::suite_text()}};
    for (const batch_options &o : shapes()) {
        std::set<std::string> seen;
        for (const column &c : result_columns(o)) {
            EXPECT_TRUE(seen.insert(c.name).second) << c.name;
            EXPECT_TRUE(every.count(c.name)) << c.name;
        }
        const batch_result r = compute_batch(suite, o);
        ASSERT_FALSE(r.rows.empty());
        for (const auto &row : r.rows) EXPECT_EQ(row.size(), r.columns.size());
        for (const auto &row : r.pairs) EXPECT_EQ(row.size(), r.pair_columns.size());
        EXPECT_EQ(r.pairs.empty(), !o.monte_carlo);
    }
}

// The front ends find a row's sample, point, note and the spreads the figure draws by their
// roles: each role but a label's belongs to one entry of a table, and once more to one entry
// of the thermometers' family (whose columns also have their calibration's key); the point's
// to a number.
TEST(Columns, EachRoleHasOneColumn) {
    for (const auto &table : {result_column_table(), pair_column_table()}) {
        std::set<std::pair<column_role, bool>> seen;
        for (const column_spec &c : table) {
            if (c.role == column_role::none || c.role == column_role::label) continue;
            const bool keyed = c.over == column_over::thermometer;
            EXPECT_TRUE(seen.insert({c.role, keyed}).second) << c.name;
            if (c.role == column_role::temperature || c.role == column_role::pressure) {
                EXPECT_EQ(c.kind, column::number) << c.name;
            }
            EXPECT_NE(std::string(role_name(c.role)), "") << c.name;
        }
        for (const column_role r : {column_role::file, column_role::sample,
                                    column_role::temperature, column_role::pressure})
            EXPECT_TRUE(seen.count({r, false})) << role_name(r);
    }
    // What the figure reads of a result: the barometer line and the seed, the lowest pressure's
    // a(jd), and the moments of pass 2 and of each thermometer.
    std::set<std::pair<std::string, std::string>> roles;
    for (const column &c : result_columns(std::nullopt))
        roles.insert({role_name(c.entry->role), column_key(c, std::nullopt)});
    for (const char *r : {"seed", "pressure_minus50", "pressure_plus50", "ln_a_jd",
                          "lowest_pressure", "t_mean", "p_mean", "t_sd", "p_sd", "rho"})
        EXPECT_TRUE(roles.count({r, ""})) << r;
    for (const char *r : {"temperature", "pressure", "t_mean", "p_mean", "t_sd", "p_sd", "rho",
                          "runs", "t_p16", "t_p50", "t_p84", "p_p16", "p_p50", "p_p84"})
        for (const char *key : {"EG79", "GH82"}) EXPECT_TRUE(roles.count({r, key})) << r << key;
}

TEST(Columns, TheHelpNamesEveryColumn) {
    const test::scratch dir;
    const test::run_result r = test::run(VARNO96_BATCH, {"--help"}, dir);
    for (const auto &table : {result_column_table(), pair_column_table()})
        for (const column_spec &c : table)
            EXPECT_NE(r.out.find("  " + std::string(c.name) + " "), std::string::npos) << c.name;
    EXPECT_NE(r.out.find("*Columns*\n"), std::string::npos); // a section of the manual page
}

} // namespace
