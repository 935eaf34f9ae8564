// The clinopyroxene's ferric iron from its sites (--ferric cpx=sites), against the formula
// computed directly, in the first calculation and afresh in every Monte-Carlo run.
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "chemistry/ferric_sites.hpp"
#include "state/calculation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Fe3+/(Fe2+ + Fe3+) of a clinopyroxene analysis without Fe2O3 and with `cr2o3` wt% Cr2O3,
// from its sites, computed directly: the formula of the eleven oxides on 6 oxygens, Al(IV) =
// 2 - Si within 0..Al, Fe3+ = Na + Al(IV) - Al(VI) - 2 Ti - Cr within 0..Fe.
double direct_ratio(const VECTOR &wt, double cr2o3 = 0) {
    double oxygen = 3 * cr2o3 / 151.990;
    for (int i = 1; i <= NEL; i++) oxygen += NO[i] * wt[i] / MW[i];
    const auto cation = [&](int i) { return NM[i] * wt[i] / MW[i] * 6 / oxygen; };
    const double cr = 2 * cr2o3 / 151.990 * 6 / oxygen;
    const double al_iv = std::min(std::max(2 - cation(SI), 0.0), cation(AL));
    const double fe3 = cation(NA) + al_iv - (cation(AL) - al_iv) - 2 * cation(TI) - cr;
    return std::min(std::max(fe3, 0.0), cation(FE2)) / cation(FE2);
}

double ratio(const VECTOR &cat) { return cat[FE3] / (cat[FE2] + cat[FE3]); }

// The identity on a few formulae: the limits 0 and the total iron, Al(IV) at most the Al.
TEST(FerricSites, TheSiteFormula) {
    const struct {
        double si, ti, al, fe2, na, cr, fe3;
    } cases[] = {
        {1.95, 0.01, 0.50, 0.20, 0.50, 0.00, 0.50 + 0.05 - 0.45 - 0.02},
        {1.95, 0.01, 0.50, 0.20, 0.50, 0.03, 0.50 + 0.05 - 0.45 - 0.02 - 0.03},
        {2.02, 0.00, 0.30, 0.20, 0.40, 0.00, 0.10}, // Si above 2
        {1.90, 0.00, 0.05, 0.30, 0.10, 0.00, 0.15}, // Al(IV) is the Al
        {1.98, 0.05, 0.60, 0.20, 0.30, 0.00, 0.00}, // below 0
        {1.95, 0.00, 0.30, 0.20, 0.30, 0.20, 0.00}, // below 0 by the Cr
        {1.90, 0.00, 0.10, 0.05, 0.40, 0.00, 0.05}, // above the iron
    };
    for (const auto &c : cases) {
        VECTOR cat{};
        cat[SI] = c.si, cat[TI] = c.ti, cat[AL] = c.al, cat[FE2] = c.fe2, cat[NA] = c.na;
        EXPECT_NEAR(cpx_ferric_from_sites(cat, c.cr), c.fe3, 1e-12) << c.si << " " << c.cr;
    }
}

// compute_sample: the clinopyroxene's formula has the sites' Fe3+/Fe of its analysis and its
// Cr2O3, its ten oxides' cations on 6 oxygens without the Cr; the garnet's and the phengite's
// are those of charge balance; an entered Fe2O3 is kept. Cr2O3 changes nothing else, and
// nothing at all by charge balance.
TEST(FerricSites, TheFirstCalculation) {
    choices how;
    how.model = 7, how.t_c = 650;
    choices sites = how;
    sites.cpx_ferric_sites = true;
    int differs = 0, by_cr = 0;
    for (const double cr2o3 : {0.0, 0.3, 1.2})
        for (sample_wt in : suite()) {
            in.cpx_cr2o3 = cr2o3;
            SCOPED_TRACE(cr2o3);
            const sample_result want = compute_sample(in, how), got = compute_sample(in, sites);
            ASSERT_EQ(want.ok, got.ok);
            if (!got.ok) continue;
            ASSERT_EQ(in.cpx[FE2O3], 0);
            EXPECT_NEAR(ratio(got.formulae[1]->cat), direct_ratio(in.cpx, cr2o3), 1e-4);
            sample_wt without = in;
            without.cpx_cr2o3 = 0;
            const sample_result none = compute_sample(without, sites);
            by_cr += ratio(got.formulae[1]->cat) < ratio(none.formulae[1]->cat) - 1e-4;
            EXPECT_EQ(want.rows[1].p_kbar, compute_sample(without, how).rows[1].p_kbar);
            VECTOR ten; // the formula of the analysis with the estimated Fe2O3
            calculation c;
            c.RECALC(got.formulae[1]->wt, ten, 6, 10);
            EXPECT_EQ(got.formulae[1]->cat.V, ten.V);
            EXPECT_EQ(got.formulae[0]->cat.V, want.formulae[0]->cat.V);
            EXPECT_EQ(got.formulae[2]->cat.V, want.formulae[2]->cat.V);
            differs += std::abs(got.rows[1].p_kbar - want.rows[1].p_kbar) > 0.01;
            in.cpx[FE2O3] = 0.7; // entered: kept, as with charge balance
            EXPECT_EQ(compute_sample(in, sites).formulae[1]->cat.V,
                      compute_sample(in, how).formulae[1]->cat.V);
        }
    EXPECT_GT(differs, 0); // the estimate matters to the pressure
    EXPECT_GT(by_cr, 0);   // and so does the Cr
}

// Each run of pass 1 with ferric iron afresh: the run's clinopyroxene formula has the sites'
// Fe3+/Fe of the run's perturbed analysis.
TEST(FerricSites, AfreshInEveryRun) {
    for (const double cr2o3 : {0.0, 0.8}) {
        const sample_wt in = suite()[0];
        calculation c;
        c.CPXCR2O3 = cr2o3;
        c.INITIALISE();
        c.GRTWT = in.grt, c.CPXWT = in.cpx, c.MICAWT = in.mica;
        c.entered = {in.grt, in.cpx, in.mica};
        c.ferric_each_run = true, c.cpx_ferric_sites = true;
        c.T = 650 + 273.15, c.CHOICE = 7, c.TOTERR = 1, c.SDMIX = false;
        c.STARTMODEL();
        ASSERT_TRUE(
            c.FIRSTCALC(&calculation::GARNET, c.GRTWT) && c.FIRSTCALC(&calculation::CPX, c.CPXWT) &&
            c.FIRSTCALC(&calculation::WHITEMICA, c.MICAWT) && c.TRIALPRESSURE() && c.MIXING());
        c.TT = c.T;
        ASSERT_TRUE(c.TABLEROW(0));
        int runs = 0;
        c.after_run = [&](int, const calculation::run_record &r) {
            runs++;
            EXPECT_NEAR(ratio(r.cat[1]), direct_ratio(r.wt[1], cr2o3), 1e-4) << "run " << runs;
        };
        c.GLISET = 0, c.IDUM = -5;
        LEFTOUTLIST left;
        EXPECT_EQ(c.RUNPASS(1, left), RSIZE);
        EXPECT_EQ(runs, RSIZE);
    }
}

// A batch with cpx=sites on a table with Cr2O3 (two clinopyroxene analyses, combined by their
// mean) gives the result of the sample with the mean Cr2O3, and another than without the
// column; without cpx=sites the column is ignored and said so, every cell as without it.
TEST(FerricSites, ABatchTakesTheTablesCr2O3) {
    const std::array<const char *, 4> rows{
        "EC1,Grt,38.50,0.05,21.70,0.00,25.00,0.50,6.40,8.60,0.02,0.00,0.02",
        "EC1,Cpx,55.60,0.08,9.80,0.00,4.40,0.03,8.20,13.60,7.10,0.01,0.40",
        "EC1,Cpx,55.60,0.08,9.80,0.00,4.40,0.03,8.20,13.60,7.10,0.01,1.00",
        "EC1,Phe,50.80,0.55,26.40,0.00,2.10,0.02,3.30,0.02,0.55,10.60,b.d.l."};
    const auto table = [&](bool cr) {
        std::string t = "Sample,Mineral,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O";
        t += cr ? ",Cr2O3\n" : "\n";
        for (const std::string r : rows) t += (cr ? r : r.substr(0, r.rfind(','))) + "\n";
        return t;
    };
    const auto texts = [](const batch_result &b) {
        std::vector<std::string> all;
        for (const cell &c : b.rows.at(0)) all.push_back(c.text);
        return all;
    };
    batch_options o;
    o.model = 7, o.temperature = 650, o.combine = combine_mode::mean;
    for (const bool sites : {false, true}) {
        SCOPED_TRACE(sites);
        o.estimate_ferric = sites ? *ferric_of("cpx=sites") : by_charge_balance;
        const batch_result with = compute_batch({table_text("F.csv", table(true))}, o);
        const batch_result without = compute_batch({table_text("F.csv", table(false))}, o);
        ASSERT_EQ(with.rows.size(), 1u);
        const bool ignored = std::find(with.messages.begin(), with.messages.end(),
                                       "F.csv: column \"Cr2O3\" ignored") != with.messages.end();
        EXPECT_EQ(ignored, !sites);
        if (!sites) {
            EXPECT_EQ(texts(with), texts(without));
            continue;
        }
        EXPECT_NE(texts(with), texts(without));
        const file_input in = read_table("F.csv", table(false));
        sample_wt wt = sample_units(in.samples, combine_mode::mean).at(0).wt;
        wt.cpx_cr2o3 = 0.70;
        const sample_result r = compute_sample(wt, choices_of(o));
        ASSERT_TRUE(r.ok);
        EXPECT_NEAR(ratio(r.formulae[1]->cat), direct_ratio(wt.cpx, 0.70), 1e-4);
        const auto at = std::find_if(with.columns.begin(), with.columns.end(),
                                     [](const column &c) { return c.name == "P_kbar"; });
        ASSERT_NE(at, with.columns.end());
        const auto p = [&](const batch_result &b) {
            return b.rows.at(0).at(static_cast<std::size_t>(at - with.columns.begin())).value;
        };
        EXPECT_EQ(p(with), r.rows[1].p_kbar);
        EXPECT_GT(std::abs(p(with) - p(without)), 0.01); // the Cr matters to the pressure
    }
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
