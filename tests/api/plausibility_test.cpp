// What makes a row suspect: each finding is a clause of its note, the numbers are kept.
#include "api/batch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace varno96;

// EC1 as a microprobe table: an empty Total, so that the sum of the oxides is checked.
const std::string header = "Sample,Mineral,SiO2,TiO2,Al2O3,FeO,MnO,MgO,CaO,Na2O,K2O,Total\n";
const std::string garnet = "EC1,Grt,38.5,0.05,21.7,25,0.5,6.4,8.6,0.02,0,\n";
const std::string cpx = "EC1,Cpx,55.6,0.08,9.8,4.4,0.03,8.2,13.6,7.1,0.01,\n";
const std::string phengite = "EC1,Phe,50.5,0.6,26.8,2.2,0.01,3.4,0.01,0.4,10.6,\n";

struct suspect_case {
    const char *what;
    std::string grt = garnet, omp = cpx, phe = phengite;
    double t_c = 650;
    std::optional<double> at = {};
    const char *ferric = "estimate";
    std::vector<std::string> says = {}; // the clauses of the note, in order
};

TEST(Plausibility, EachSuspectResultKeepsItsNumbersAndSaysWhy) {
    const std::string ferric = "clinopyroxene: charge balance makes 65 % of its iron ferric, "
                               "more than half";
    const std::vector<suspect_case> cases{
        {.what = "EC1 as measured", .says = {ferric}},
        {.what = "SiO2 typed without its point",
         .grt = "EC1,Grt,3829,0.05,21.7,25,0.5,6.4,8.6,0.02,0,\n",
         .says = {"the Powell 1985 temperature 84 C lies outside 100 to 1200 C",
                  "garnet: SiO2 3829.00 wt%, more than 100.00 wt%",
                  "garnet: total 3891.27 wt% (the sum of its oxides), outside 97–102 wt% for an "
                  "anhydrous mineral",
                  "garnet: 6.041 cations per 12 oxygens, not 8 ± 0.10", ferric,
                  "the pressure -180.57 kbar lies below 0.00 kbar"}},
        {.what = "too much silica for a garnet, its total sound",
         .grt = "EC1,Grt,44.5,0.05,21.7,25,0.5,6.4,8.6,0.02,0,100.8\n",
         .says = {"garnet: 7.896 cations per 12 oxygens, not 8 ± 0.10", ferric}},
        {.what = "a clinopyroxene's Total column",
         .omp = "EC1,Cpx,55.6,0.08,9.8,4.4,0.03,8.2,13.6,7.1,0.01,60\n",
         .says = {"clinopyroxene: total 60.00 wt% (its Total column), outside 97–102 wt% for an "
                  "anhydrous mineral",
                  ferric}},
        {.what = "a phengite totalling 100 wt% has no room for its water",
         .phe = "EC1,Phe,50.5,0.6,26.8,2.2,0.01,3.4,0.01,0.4,10.6,100\n",
         .says = {ferric, "phengite: total 100.00 wt% (its Total column), outside 92–97 wt% for a "
                          "hydrous mica"}},
        {.what = "a phengite whose iron all turns ferric",
         .phe = "EC1,Phe,46.0,0.6,30.8,2.2,0.01,3.4,0.01,0.4,10.6,\n",
         .says = {ferric, "phengite: charge balance makes all of its iron ferric"}},
        {.what = "a trial temperature above 1500 °C",
         .t_c = 1600,
         .says = {ferric, "the trial temperature 1600 °C lies outside 200–1500 °C"}},
        {.what = "a trial temperature a little above absolute zero",
         .t_c = -273.14,
         .says = {ferric, "the trial temperature -273 °C lies outside 200–1500 °C"}},
        {.what = "the clinopyroxene's ferric iron from its sites",
         .ferric = "cpx=sites",
         .says = {"clinopyroxene: its sites make 57 % of its iron ferric, more than half"}},
        {.what = "the table below 200 °C",
         .at = 199,
         .says = {ferric, "the table's temperature 199 °C lies outside 200–1500 °C"}},
    };
    for (const suspect_case &c : cases) {
        batch_options o;
        o.model = 7;
        o.temperature = c.t_c;
        o.at = c.at;
        o.estimate_ferric = *ferric_of(c.ferric);
        const batch_result r =
            compute_batch({{"EC1.csv", header + c.grt + c.omp + c.phe}}, o, false);
        ASSERT_EQ(r.rows.size(), 1u) << c.what;
        const std::vector<cell> &row = r.rows[0];
        EXPECT_FALSE(row.at(5).text.empty()) << c.what; // P_kbar kept
        const auto named = [&](std::string_view name) {
            const auto at_name = std::find_if(r.columns.begin(), r.columns.end(),
                                              [&](const column &k) { return k.name == name; });
            return static_cast<std::size_t>(at_name - r.columns.begin());
        };
        EXPECT_EQ(named("P_kbar"), 5u);
        const std::string &note = row.at(named("note")).text;
        std::size_t at = 0;
        const std::vector<std::string> &want = c.says;
        for (const std::string &clause : want) {
            const std::size_t found = note.find(clause, at);
            EXPECT_NE(found, std::string::npos) << c.what << ": " << clause << "\nin " << note;
            if (found != std::string::npos) at = found + clause.size();
        }
        std::size_t clauses = note.empty() ? 0 : 1;
        for (std::size_t k = note.find("; "); k != std::string::npos; k = note.find("; ", k + 1))
            clauses++;
        EXPECT_EQ(clauses, want.size()) << c.what << ": " << note;
    }
}

} // namespace
