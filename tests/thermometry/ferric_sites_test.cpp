// The clinopyroxene's ferric iron from its sites (--ferric cpx=sites), against the formula
// computed directly, in the first calculation and afresh in every Monte-Carlo run.
#include "api/cite.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "chemistry/ferric_sites.hpp"
#include "state/calculation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace varno96;

std::vector<sample_wt> suite() {
    std::ifstream file(VARNO96_EXAMPLES "/SUITE.PRN", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    std::vector<sample_wt> out;
    for (const sample_unit &u :
         sample_units(read_table("SUITE.PRN", text).samples, combine_mode::none))
        if (u.problem.empty()) out.push_back(u.wt);
    return out;
}

// Fe3+/(Fe2+ + Fe3+) of a clinopyroxene analysis without Fe2O3, from its sites, computed
// directly: the formula on 6 oxygens, Al(IV) = 2 - Si within 0..Al, Fe3+ = Na + Al(IV) -
// Al(VI) - 2 Ti (no Cr) within 0..Fe.
double direct_ratio(const VECTOR &wt) {
    calculation c;
    VECTOR cat;
    c.RECALC(wt, cat, 6, 10);
    const double al_iv = std::min(std::max(2 - cat[SI], 0.0), cat[AL]);
    const double fe3 = cat[NA] + al_iv - (cat[AL] - al_iv) - 2 * cat[TI];
    return std::min(std::max(fe3, 0.0), cat[FE2]) / cat[FE2];
}

double ratio(const VECTOR &cat) { return cat[FE3] / (cat[FE2] + cat[FE3]); }

// The identity on a few formulae: the limits 0 and the total iron, Al(IV) at most the Al.
TEST(FerricSites, TheSiteFormula) {
    const struct {
        double si, ti, al, fe2, na, fe3;
    } cases[] = {
        {1.95, 0.01, 0.50, 0.20, 0.50, 0.50 + 0.05 - 0.45 - 0.02},
        {2.02, 0.00, 0.30, 0.20, 0.40, 0.10}, // Si above 2
        {1.90, 0.00, 0.05, 0.30, 0.10, 0.15}, // Al(IV) is the Al
        {1.98, 0.05, 0.60, 0.20, 0.30, 0.00}, // below 0
        {1.90, 0.00, 0.10, 0.05, 0.40, 0.05}, // above the iron
    };
    for (const auto &c : cases) {
        VECTOR cat{};
        cat[SI] = c.si, cat[TI] = c.ti, cat[AL] = c.al, cat[FE2] = c.fe2, cat[NA] = c.na;
        EXPECT_NEAR(cpx_ferric_from_sites(cat), c.fe3, 1e-12) << c.si << " " << c.al;
    }
}

// compute_sample: the clinopyroxene's formula has the sites' Fe3+/Fe of its analysis, the
// garnet's and the phengite's are those of charge balance; an entered Fe2O3 is kept.
TEST(FerricSites, TheFirstCalculation) {
    choices how;
    how.model = 7, how.t_c = 650;
    choices sites = how;
    sites.cpx_ferric_sites = true;
    int differs = 0;
    for (sample_wt in : suite()) {
        const sample_result want = compute_sample(in, how), got = compute_sample(in, sites);
        ASSERT_EQ(want.ok, got.ok);
        if (!got.ok) continue;
        ASSERT_EQ(in.cpx[FE2O3], 0);
        EXPECT_NEAR(ratio(got.formulae[1]->cat), direct_ratio(in.cpx), 1e-4);
        EXPECT_EQ(got.formulae[0]->cat.V, want.formulae[0]->cat.V);
        EXPECT_EQ(got.formulae[2]->cat.V, want.formulae[2]->cat.V);
        differs += std::abs(got.rows[1].p_kbar - want.rows[1].p_kbar) > 0.01;
        in.cpx[FE2O3] = 0.7; // entered: kept, as with charge balance
        EXPECT_EQ(compute_sample(in, sites).formulae[1]->cat.V,
                  compute_sample(in, how).formulae[1]->cat.V);
    }
    EXPECT_GT(differs, 0); // the estimate matters to the pressure
}

// Each run of pass 1 with ferric iron afresh: the run's clinopyroxene formula has the sites'
// Fe3+/Fe of the run's perturbed analysis.
TEST(FerricSites, AfreshInEveryRun) {
    const sample_wt in = suite()[0];
    calculation c;
    c.INITIALISE();
    c.GRTWT = in.grt, c.CPXWT = in.cpx, c.MICAWT = in.mica;
    c.entered = {in.grt, in.cpx, in.mica};
    c.ferric_each_run = true, c.cpx_ferric_sites = true;
    c.T = 650 + 273.15, c.CHOICE = 7, c.TOTERR = 1, c.SDMIX = false;
    c.STARTMODEL();
    ASSERT_TRUE(c.FIRSTCALC(&calculation::GARNET, c.GRTWT) &&
                c.FIRSTCALC(&calculation::CPX, c.CPXWT) &&
                c.FIRSTCALC(&calculation::WHITEMICA, c.MICAWT) && c.TRIALPRESSURE() && c.MIXING());
    c.TT = c.T;
    ASSERT_TRUE(c.TABLEROW(0));
    int runs = 0;
    c.after_run = [&](int, const calculation::run_record &r) {
        runs++;
        EXPECT_NEAR(ratio(r.cat[1]), direct_ratio(r.wt[1]), 1e-4) << "run " << runs;
    };
    c.GLISET = 0, c.IDUM = -5;
    LEFTOUTLIST left;
    EXPECT_EQ(c.RUNPASS(1, left), RSIZE);
    EXPECT_EQ(runs, RSIZE);
}

// The batch's words and the methods paragraph, which names the formula and its attribution.
TEST(FerricSites, TheOptionAndTheMethods) {
    batch_options o;
    o.model = 7, o.temperature = 650;
    o.estimate_ferric = *ferric_of("phe=none,cpx=sites");
    EXPECT_TRUE(choices_of(o).cpx_ferric_sites);
    EXPECT_EQ(choices_of(o).estimate_ferric, (std::array<bool, 3>{true, true, false}));
    const std::string text = cite_text(o, trial_temperature::given, "1");
    EXPECT_NE(text.find("the clinopyroxene’s from its sites, Fe3+ = Na + Al(IV) − Al(VI) − 2Ti − "
                        "Cr on 6 oxygens"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("that of the garnet by charge balance; the iron of the phengite was all "
                        "taken as Fe2+"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nLindsley D.H. (1983) Pyroxene thermometry. American Mineralogist 68, "
                        "477–493"),
              std::string::npos)
        << text;
    o.estimate_ferric = by_charge_balance;
    EXPECT_EQ(cite_text(o, trial_temperature::given, "1").find("Lindsley"), std::string::npos);
}

} // namespace
