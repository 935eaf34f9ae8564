// The lowest pressure of a quartz-bearing rock without albite, from albite = jadeite + quartz.
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "thermometry/jadeite.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

using namespace varno96;
using namespace varno96::thermometry;

std::string suite_text() {
    std::ifstream file(VARNO96_EXAMPLES "/SUITE.PRN", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

std::vector<sample_wt> suite() {
    std::vector<sample_wt> out;
    for (const sample_unit &u :
         sample_units(read_table("SUITE.PRN", suite_text()).samples, combine_mode::none))
        if (u.problem.empty()) out.push_back(u.wt);
    return out;
}

// A peer's worked value: ln K = ln(a_ab / a_jd) = 2.41973 at 700 C gives 7609.23 bar. The ln K
// printed to 5 decimals fixes P to 0.024 bar: R = 8.3143 with T = 973.15 K reproduces it, where
// R = 8.3144 gives 7609.10 and 8.314 gives 7609.64. With ln K = 0, the end-members' line.
TEST(LowestPressure, TheWorkedValueOfAlbiteJadeiteQuartz) {
    EXPECT_NEAR(albite_jadeite_quartz_bar(700, 2.41973), 7609.23, 0.03);
    EXPECT_DOUBLE_EQ(albite_jadeite_quartz_bar(600, 0), 350 + 26.5 * 600);
}

// a(jd) from the sites, against a direct placement: Si then Al on 2 tetrahedral positions, the
// Al left on M1 (at most 1), Na on M2; one-site the smaller of the two.
TEST(LowestPressure, JadeiteActivityFromTheSites) {
    const struct {
        double si, al, na;
        double two_site, one_site; // a(jd); 0: none
    } cases[] = {
        {1.98, 0.50, 0.40, 0.40 * 0.48, 0.40},
        {2.02, 0.30, 0.35, 0.35 * 0.30, 0.30}, // Si above 2: all Al on M1
        {2.00, 1.20, 0.90, 0.90 * 1.00, 0.90}, // M1 full
        {1.90, 0.40, 0.05, 0.05 * 0.30, 0.05},
        {1.80, 0.20, 0.30, 0, 0}, // all Al tetrahedral, a residue of rounding on M1
        {2.00, 0.40, 0.00, 0, 0}, // no Na
    };
    for (const auto &c : cases) {
        VECTOR cpx{};
        cpx[SI] = c.si, cpx[AL] = c.al, cpx[NA] = c.na, cpx[CA] = 0.6, cpx[MG] = 0.5;
        for (const bool one : {false, true}) {
            const outcome<double> a = ln_a_jadeite(cpx, one);
            const double want = one ? c.one_site : c.two_site;
            EXPECT_EQ(bool(a), want > 0) << c.si << " " << c.al << " " << c.na;
            if (a) { EXPECT_NEAR(*a.value, std::log(want), 1e-12) << c.si << " " << one; }
        }
    }
}

// The batch's lna_jd and P_min_jd_kbar of the suite are those of each sample's clinopyroxene
// formula at T_C, with either clinopyroxene model; --cite names the reaction and its paper.
TEST(LowestPressure, TheColumnsOfTheBatch) {
    const std::vector<sample_wt> samples = suite();
    for (const bool one : {false, true}) {
        batch_options o;
        o.model = 7, o.temperature = 650, o.one_site = one;
        const batch_result b = compute_batch({table_text("SUITE.PRN", suite_text())}, o);
        const auto at = [&](const std::string &name) {
            const auto i = std::find_if(b.columns.begin(), b.columns.end(),
                                        [&](const column &c) { return c.name == name; });
            EXPECT_NE(i, b.columns.end()) << name;
            return static_cast<std::size_t>(i - b.columns.begin());
        };
        EXPECT_EQ(at("lna_jd"), at("lnK") + 1);
        EXPECT_EQ(at("P_min_jd_kbar"), at("lnK") + 2);
        ASSERT_EQ(b.rows.size(), samples.size());
        std::size_t k = 0;
        for (const auto &row : b.rows) {
            const sample_result r = compute_sample(samples[k++], choices_of(o));
            if (!r.ok) { // RT2: no result, no lowest pressure
                EXPECT_TRUE(row[at("P_min_jd_kbar")].text.empty());
                continue;
            }
            const auto p = lowest_pressure_jd(r.formulae[1]->cat, one, r.rows[1].t_c);
            ASSERT_TRUE(p) << p.why;
            EXPECT_NEAR(std::stod(row[at("lna_jd")].text), p.value->ln_a_jd, 5e-5);
            EXPECT_NEAR(std::stod(row[at("P_min_jd_kbar")].text), p.value->p_kbar, 5e-3);
            EXPECT_LT(p.value->p_kbar, 0.35 + 0.0265 * 650); // a(jd) < 1: below the end-members'
        }
    }
    batch_options o;
    o.model = 7, o.temperature = 650;
    const std::string cited = cite_text(o, trial_temperature::given, "1");
    EXPECT_NE(cited.find("albite = jadeite + quartz after Holland (1980)"), std::string::npos);
    EXPECT_NE(cited.find("a(jadeite) = X_Na(M2)·X_Al(M1)"), std::string::npos);
    EXPECT_NE(cited.find("Holland T.J.B. (1980) The reaction albite = jadeite + quartz"),
              std::string::npos);
}

} // namespace
