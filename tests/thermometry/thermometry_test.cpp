// The Fe-Mg exchange thermometers and their intersections with the barometer.
#include "api/batch.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "api/sample.hpp"
#include "barometry/barometry.hpp"
#include "state/calculation.hpp"
#include "thermometry/thermometry.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <regex>

namespace {

using namespace varno96;
using namespace varno96::thermometry;

constexpr double kelvin = 273.15;

double barometer_at(double t_k, double lnk) {
    return BARO::A + BARO::B * t_k + BARO::C * t_k * lnk;
}

// The published worked example: garnet and clinopyroxene in wt%, formulae by the program's own
// recalculation (ferric iron by charge balance). The phengite is left empty: the two formulae
// come back although the sample has no result.
outcome<exchange> worked_grt_cpx() {
    sample_wt in{};
    in.grt[SIO2] = 38.53, in.grt[AL2O3] = 21.85, in.grt[FEO] = 33.77, in.grt[MNO] = 4.86;
    in.grt[MGO] = 2.30, in.grt[CAO] = 0.87;
    in.cpx[SIO2] = 53.14, in.cpx[TIO2] = 0.08, in.cpx[AL2O3] = 2.06, in.cpx[FEO] = 9.48;
    in.cpx[MNO] = 0.11, in.cpx[MGO] = 11.30, in.cpx[CAO] = 22.57, in.cpx[NA2O] = 1.33;
    choices how;
    how.model = 1, how.t_c = 700;
    const sample_result r = compute_sample(in, how);
    EXPECT_FALSE(r.ok);
    if (!r.formulae[0] || !r.formulae[1]) return {{}, "no formulae"};
    EXPECT_GT(r.formulae[1]->cat[FE3], 0); // the clinopyroxene's ferric iron
    return grt_cpx(r.formulae[0]->cat, r.formulae[1]->cat);
}

// Published temperatures, degrees Celsius, from the published ln K_D 2.9981 (to 0.01 C, its
// rounding) and from the program's formulae (ln K_D 2.9976, 0.06 C higher: the clinopyroxene's
// Fe2+/Mg differs by 0.05 %, its Fe3+ by 0.0001 p.f.u.).
TEST(Thermometers, PublishedWorkedValues) {
    const outcome<exchange> x = worked_grt_cpx();
    ASSERT_TRUE(x) << x.why;
    EXPECT_NEAR(x.value->ln_kd, 2.9981, 0.001);
    EXPECT_NEAR(x.value->x_ca, 0.0254, 0.0001);
    exchange published = *x.value, phe{};
    published.ln_kd = 2.9981;
    phe.ln_kd = 2.25382;
    const struct {
        key k;
        const exchange &at;
        double p_kbar, t_c, tolerance;
    } cases[] = {
        {key::kr00, *x.value, 3, 314.695, 0.1},   {key::kr00, *x.value, 6, 326.735, 0.1},
        {key::eg79, *x.value, 3, 367.755, 0.1},   {key::eg79, *x.value, 6, 374.402, 0.1},
        {key::kr00, published, 3, 314.695, 0.01}, {key::kr00, published, 6, 326.735, 0.01},
        {key::eg79, published, 3, 367.755, 0.01}, {key::eg79, published, 6, 374.402, 0.01},
        {key::kr78, phe, 3, 405.136, 0.001},      {key::kr78, phe, 6, 445.196, 0.001},
    };
    for (const auto &c : cases) {
        const outcome<double> t = t_kelvin(c.k, c.at, c.p_kbar);
        ASSERT_TRUE(t) << about(c.k).name << " " << t.why;
        EXPECT_NEAR(*t.value - kelvin, c.t_c, c.tolerance)
            << about(c.k).name << " at " << c.p_kbar << " kbar, ln K_D " << c.at.ln_kd;
    }
    // This garnet has X_Ca 0.025, below the range of every calibration that states one.
    for (const calibration &c : calibrations) {
        EXPECT_EQ(range_note(c.id, 900, 30, *x.value).find("X_Ca") != std::string::npos,
                  c.stated.x_ca.stated())
            << c.name;
        EXPECT_EQ(find(c.name), c.id);
        ASSERT_TRUE(thermometer(c.id, *x.value)) << c.name;
    }
    EXPECT_EQ(find("kr00"), key::kr00);
    EXPECT_FALSE(find("KR0"));
    // A legend's short citation agrees with the full one: first author and year.
    for (const calibration &c : calibrations) {
        const std::string_view cited = c.cited;
        const std::string full = reference_text(c.citation);
        EXPECT_EQ(full.substr(0, cited.find_first_of(" &")),
                  cited.substr(0, cited.find_first_of(" &")))
            << c.name;
        EXPECT_NE(full.find(cited.substr(cited.find('('))), std::string_view::npos) << c.name;
    }
}

// What each pair takes of the formulae, and the pairs without a K_D.
TEST(Thermometers, Exchange) {
    VECTOR grt{}, cpx{}, phe{};
    grt[FE2] = 2, grt[FE3] = 0.1, grt[MG] = 0.5, grt[CA] = 0.4, grt[MN] = 0.1;
    cpx[FE2] = 0.1, cpx[FE3] = 0.05, cpx[MG] = 0.5;
    phe[FE2] = 0.1, phe[FE3] = 0.1, phe[MG] = 0.4;
    const outcome<exchange> c = grt_cpx(grt, cpx);
    ASSERT_TRUE(c) << c.why;
    EXPECT_DOUBLE_EQ(c.value->x_mg, 0.5 / 2.5); // of Fe2+ only
    EXPECT_DOUBLE_EQ(c.value->ln_kd, std::log((2 / 0.5) / (0.1 / 0.5)));
    const outcome<exchange> p = grt_phe(grt, phe); // all iron in both
    ASSERT_TRUE(p) << p.why;
    EXPECT_DOUBLE_EQ(p.value->ln_kd, std::log((2.1 / 0.5) / (0.2 / 0.4)));

    VECTOR no_fe2 = cpx, no_mg = grt, negative = cpx, no_fe = phe;
    no_fe2[FE2] = 0, no_mg[MG] = 0, negative[MG] = -0.1, no_fe[FE2] = no_fe[FE3] = 0;
    EXPECT_FALSE(grt_cpx(grt, no_fe2)); // K_D would be infinite
    EXPECT_FALSE(grt_cpx(no_mg, cpx));
    EXPECT_FALSE(grt_cpx(grt, negative));
    EXPECT_FALSE(grt_phe(grt, no_fe));
    EXPECT_TRUE(grt_phe(grt, no_fe2)); // Fe3+ alone is iron to the phengite calibrations
    EXPECT_FALSE(thermometer(key::p85, exchange{0, 0, 0, -1.735})); // a denominator of 0
    EXPECT_FALSE(t_kelvin(key::kr78, exchange{0, 0, 0, -3.6}, 10)); // below 0 K
}

// The garnet models of the program: ln K = a + b/T at one pressure, exactly. The three rows
// of a sample's table are at T - 50, T, T + 50 and the same pressure of the mixing parameters.
TEST(LnkForm, ExactForEveryGarnetModel) {
    sample_wt in{};
    const double grt[] = {38.5, 0.05, 21.7, 0, 25, 0.5, 6.4, 8.6, 0.02, 0};
    const double cpx[] = {55.6, 0.08, 9.8, 0, 4.4, 0.03, 8.2, 13.6, 7.1, 0.01};
    const double phe[] = {50.8, 0.55, 26.4, 0, 2.1, 0.02, 3.3, 0.02, 0.55, 10.6};
    for (int i = 1; i <= NEL; i++) {
        const auto s = static_cast<std::size_t>(i - 1);
        in.grt[i] = grt[s], in.cpx[i] = cpx[s], in.mica[i] = phe[s];
    }
    for (int model = 1; model <= NMODELS; model++) {
        choices how;
        how.model = model, how.t_c = 700;
        const sample_result r = compute_sample(in, how);
        ASSERT_TRUE(r.ok) << model << " " << r.note;
        const table_row &lo = r.rows[0], &mid = r.rows[1], &hi = r.rows[2];
        const double b = (lo.lnk - hi.lnk) / (1 / (lo.t_c + kelvin) - 1 / (hi.t_c + kelvin));
        const double a = lo.lnk - b / (lo.t_c + kelvin);
        EXPECT_NEAR(a + b / (mid.t_c + kelvin), mid.lnk, 1e-11) << "model " << model;
    }
}

// A thermometer of each kind: steep and shallow in P.
const line thermometers[] = {{600, 12}, {900, 2}, {1100, -5}};

// The answer substituted back into both equations.
void expect_on_both(const line &th, const lnk_function &lnk, const outcome<pt> &r, double tol_p) {
    ASSERT_TRUE(r) << r.why;
    const auto [t, p] = *r.value;
    EXPECT_NEAR(t, th.at(p), 0.01);
    EXPECT_NEAR(p, barometer_at(t, lnk(t, p)), tol_p);
}

TEST(Intersection, ClosedFormAndIterationAgree) {
    for (const lnk_form truth : {lnk_form{1.5, 3800, 0}, lnk_form{1.2, 4200, -6}}) {
        const lnk_function lnk = [truth](double t, double p) { return truth.at(t, p); };
        fit_points at;
        at.depends_on_p = truth.c != 0;
        const outcome<lnk_form> form = fit(lnk, at);
        ASSERT_TRUE(form) << form.why;
        EXPECT_NEAR(form.value->a, truth.a, 1e-9);
        EXPECT_NEAR(form.value->b, truth.b, 1e-6);
        EXPECT_NEAR(form.value->c, truth.c, 1e-9);
        EXPECT_LT(misfit(lnk, *form.value, at), 1e-12);
        for (const line &th : thermometers) {
            const outcome<pt> closed = intersect(th, *form.value);
            expect_on_both(th, lnk, closed, 1e-9);
            const outcome<pt> iterated = intersect(th, lnk, 5.0);
            expect_on_both(th, lnk, iterated, 1e-9);
            EXPECT_NEAR(iterated.value->t_k, closed.value->t_k, 1e-6);
        }
    }
}

double other_form(double t, double p) {
    return 1.5 + (3800 - 4 * p) / t + 0.4 * std::log(t / 1000) + 2e-4 * p * p;
}

// ln K of a form the closed form does not cover: the iteration still converges, and
// intersect_all notices the misfit and iterates.
TEST(Intersection, IterationOnOtherForms) {
    const lnk_function lnk = other_form;
    for (const line &th : thermometers) expect_on_both(th, lnk, intersect(th, lnk, 20.0), 0.001);

    const outcome<exchange> x = worked_grt_cpx();
    ASSERT_TRUE(x) << x.why;
    const exchange phe{0, 0, 0, 2.25382};
    const auto line_of = [&](const calibration &c) {
        return *thermometer(c.id, c.pair == mineral_pair::grt_cpx ? *x.value : phe).value;
    };
    int evaluations = 0;
    const auto counted = [&evaluations](const lnk_function &f) -> lnk_function {
        return [&evaluations, f](double t, double p) { return ++evaluations, f(t, p); };
    };
    fit_points at;
    at.depends_on_p = true;
    const auto found = intersect_all({*x.value, {}}, {phe, {}}, counted(lnk), at);
    for (const calibration &c : calibrations)
        expect_on_both(line_of(c), lnk, found[index(c.id)], 0.001);
    EXPECT_GT(evaluations, 4 + 7); // the fit and its check, then iterations

    // ln K exactly of the form: 4 evaluations for all seven.
    evaluations = 0;
    const lnk_form truth{1.2, 4200, -6};
    const lnk_function exact = [truth](double t, double p) { return truth.at(t, p); };
    const auto closed = intersect_all({*x.value, {}}, {{}, "no phengite"}, counted(exact), at);
    EXPECT_EQ(evaluations, 4);
    expect_on_both(line_of(about(key::eg79)), exact, closed[index(key::eg79)], 1e-9);
    EXPECT_EQ(closed[index(key::kr78)].why, "no phengite");
    // Fitted as if it did not depend on P: the check notices, and the answers are iterated.
    const auto caught = intersect_all({*x.value, {}}, {phe, {}}, exact, fit_points{});
    for (const calibration &c : calibrations)
        expect_on_both(line_of(c), exact, caught[index(c.id)], 0.001);
}

TEST(Intersection, NoValue) {
    const lnk_form form{1.5, 3800, 0};
    const lnk_function lnk = [form](double t, double p) { return form.at(t, p); };
    // At 300 K whatever the pressure: below the window, either way.
    const line cold{300, 0};
    EXPECT_FALSE(intersect(cold, form));
    EXPECT_FALSE(intersect(cold, lnk, 20.0));
    EXPECT_FALSE(intersect(line{2000, 0}, lnk, 20.0)); // above it
    // A thermometer parallel to the barometer: the same line, or never meeting.
    const barometer_line b = *barometer(form).value;
    const line parallel{500, 1 / b.dp_dt};
    EXPECT_FALSE(intersect(parallel, form));
    EXPECT_FALSE(intersect(parallel, lnk, 20.0));
    // Too few steps; ln K without a value; a misfit whose root the secant cannot reach.
    EXPECT_TRUE(intersect(thermometers[0], other_form, 20.0));
    EXPECT_FALSE(intersect(thermometers[0], other_form, 20.0, {.max_steps = 2}));
    const lnk_function none = [](double, double) {
        return std::numeric_limits<double>::quiet_NaN();
    };
    EXPECT_EQ(intersect(thermometers[0], none, 20.0).why,
              "ln K has no value on the way to the intersection");
    EXPECT_FALSE(fit(none));
    // g(P) = cbrt(P - 20) along the thermometer: every secant step overshoots.
    const lnk_function cube_root = [](double t, double p) {
        return (p + std::cbrt(p - 20) - BARO::A - BARO::B * t) / (BARO::C * t);
    };
    const outcome<pt> r = intersect(thermometers[1], cube_root, 25.0);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.why.empty());
}

} // namespace

namespace suite {

std::vector<sample_wt> samples() {
    std::ifstream file(VARNO96_EXAMPLES "/SUITE.PRN", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    const file_input in = read_table("SUITE.PRN", text);
    std::vector<sample_wt> out;
    for (const sample_unit &u : sample_units(in.samples, combine_mode::none))
        if (u.problem.empty()) out.push_back(u.wt);
    return out;
}

} // namespace suite

// Each intersection of the suite substituted back: the barometer at its temperature gives its
// pressure, and the thermometer at its pressure its temperature. Model 6 takes its mixing
// parameters at the trial pressure in the table, so only the others can be checked this way.
TEST(Intersection, SuiteSubstitutedBackIntoBothEquations) {
    const std::vector<sample_wt> samples = suite::samples();
    ASSERT_EQ(samples.size(), 7u);
    std::vector<key> all;
    for (const calibration &c : calibrations) all.push_back(c.id);
    int checked = 0;
    for (int model : {1, 2, 3, 4, 5, 7})
        for (const sample_wt &in : samples) {
            choices how;
            how.model = model, how.t_c = 650, how.thermometers = {all.begin(), all.end()};
            const sample_result r = compute_sample(in, how);
            if (!r.ok) continue;
            ASSERT_EQ(r.intersections.size(), all.size());
            for (std::size_t k = 0; k < all.size(); k++) {
                const intersection &x = r.intersections[k];
                if (!x.t_c) continue;
                choices at = how;
                at.thermometers.clear(), at.at_c = *x.t_c;
                EXPECT_NEAR(compute_sample(in, at).rows[1].p_kbar, *x.p_kbar, 0.001)
                    << "model " << model << " " << about(all[k]).name;
                const bool phe = about(all[k]).pair == mineral_pair::grt_phe;
                const auto pair = phe ? grt_phe(r.formulae[0]->cat, r.formulae[2]->cat)
                                      : grt_cpx(r.formulae[0]->cat, r.formulae[1]->cat);
                EXPECT_NEAR(*t_kelvin(all[k], *pair.value, *x.p_kbar).value - kelvin, *x.t_c, 0.01);
                checked++;
            }
        }
    EXPECT_EQ(checked, 6 * 6 * 7); // RT2 has no result
}

// Thermometers add columns and change no other cell, Monte-Carlo runs included; the same seed
// gives the same spreads.
TEST(Intersection, ThermometersChangeNoOtherCellAndFollowTheSeed) {
    const std::vector<sample_wt> samples = suite::samples();
    for (int model : {6, 7})
        for (bool powell : {false, true}) {
            choices how;
            how.model = model, how.t_c = 650, how.powell = powell, how.monte_carlo = true;
            how.seed = -5;
            choices with = how;
            with.thermometers = {key::p85, key::kr00, key::gh82};
            const sample_result plain = compute_sample(samples[0], how);
            const sample_result a = compute_sample(samples[0], with);
            const sample_result b = compute_sample(samples[0], with);
            ASSERT_TRUE(plain.ok && a.ok && b.ok);
            for (std::size_t j = 0; j < 2; j++)
                EXPECT_EQ((*plain.passes)[j].pairs, (*a.passes)[j].pairs);
            EXPECT_EQ(plain.rows[1].p_kbar, a.rows[1].p_kbar);
            ASSERT_EQ(a.intersections.size(), 3u);
            EXPECT_EQ((*a.passes)[1].intersections.size(), (*a.passes)[1].pairs.size());
            for (std::size_t k = 0; k < 3; k++) {
                ASSERT_TRUE(a.intersections[k].t_sd && a.intersections[k].rho);
                EXPECT_EQ(*a.intersections[k].t_sd, *b.intersections[k].t_sd);
                EXPECT_EQ(*a.intersections[k].rho, *b.intersections[k].rho);
                EXPECT_GT(*a.intersections[k].t_sd, 1); // the runs do scatter
                EXPECT_LT(std::abs(*a.intersections[k].rho), 1);
            }
        }
}

// The lists of --thermometers, thermometers= and the page's boxes: any case, any order, blanks
// and repeats; each calibration once, in the order of the table; anything else refused, with
// the keys it may be.
TEST(Options, ThermometerLists) {
    const struct {
        const char *list;
        std::optional<std::vector<any_key>> keys;
    } cases[] = {
        {"KR00", std::vector<any_key>{key::kr00}},
        {"kr00, eg79 ,KR00", std::vector<any_key>{key::eg79, key::kr00}},
        {"GH82,P85,", std::vector<any_key>{key::p85, key::gh82}},
        {"k20,TPE07,kr00", std::vector<any_key>{key::kr00, zr_key::tpe07, zr_key::k20}},
        {"ALL",
         std::vector<any_key>{key::eg79, key::p85, key::k88, key::a94, key::kr00, key::kr78,
                              key::gh82, zr_key::tpe07, zr_key::wwt06, zr_key::fw07, zr_key::k20}},
        {"All,KR78",
         std::vector<any_key>{key::eg79, key::p85, key::k88, key::a94, key::kr00, key::kr78,
                              key::gh82, zr_key::tpe07, zr_key::wwt06, zr_key::fw07, zr_key::k20}},
        {"", std::nullopt},
        {" , ", std::nullopt},
        {"KR00,XX", std::nullopt},
        {"KR0", std::nullopt},
        {"alll", std::nullopt},
    };
    for (const auto &c : cases) EXPECT_EQ(thermometers_of(c.list), c.keys) << c.list;
    EXPECT_EQ(range_words(option_named("thermometers")),
              "must be all or keys from EG79, P85, K88, A94, KR00, KR78, GH82, TPE07, WWT06, FW07, "
              "K20, separated by commas");
}

// A clinopyroxene without iron gives the garnet-clinopyroxene calibrations no K_D: their cells
// are empty with a note, and the garnet-phengite ones still give theirs.
TEST(Intersection, APairWithoutAValueLeavesTheOthers) {
    sample_wt in = suite::samples()[0];
    in.cpx[FEO] = 0;
    choices how;
    how.model = 7, how.t_c = 650;
    for (const calibration &c : calibrations) how.thermometers.push_back(c.id);
    const sample_result r = compute_sample(in, how);
    ASSERT_TRUE(r.ok) << r.note;
    for (std::size_t k = 0; k < calibrations.size(); k++) {
        const bool phe = calibrations[k].pair == mineral_pair::grt_phe;
        EXPECT_EQ(r.intersections[k].t_c.has_value(), phe) << calibrations[k].name;
        EXPECT_EQ(r.intersections[k].note.find("K_D") == std::string::npos, phe)
            << calibrations[k].name;
    }
}

// ---- Ferric iron: estimated afresh in each Monte-Carlo run, or not at all ---------------------

namespace ferric {

// The calculation of a sample up to its Monte-Carlo runs, as compute_sample makes it.
void prepare(calculation &c, const sample_wt &in, bool each_run) {
    c.INITIALISE();
    c.GRTWT = in.grt, c.CPXWT = in.cpx, c.MICAWT = in.mica;
    c.entered = {in.grt, in.cpx, in.mica};
    c.ferric_each_run = each_run;
    for (std::size_t k = 0; k < 3; k++) c.estimate_ferric[k] = c.entered[k][FE2O3] == 0;
    c.T = 650 + kelvin, c.CHOICE = 7, c.TOTERR = 1, c.SDMIX = false;
    c.STARTMODEL();
    ASSERT_TRUE(c.FIRSTCALC(&calculation::GARNET, c.GRTWT) &&
                c.FIRSTCALC(&calculation::CPX, c.CPXWT) &&
                c.FIRSTCALC(&calculation::WHITEMICA, c.MICAWT) && c.TRIALPRESSURE() && c.MIXING());
    c.TT = c.T;
    ASSERT_TRUE(c.TABLEROW(0));
}

} // namespace ferric

// Pass 1 on fixed draws: each run perturbs the analyses as entered (an entered Fe2O3 too), an
// oxide perturbed below 0 is taken as 0, and the run's formulae are those its analyses give
// computed directly, ferric iron estimated afresh where none was entered.
TEST(FerricInRuns, EachRunPerturbsTheAnalysesAsEnteredAndEstimatesAfresh) {
    sample_wt in = suite::samples()[0];
    in.grt[TIO2] = 0.02;  // a trace, perturbed below 0 in some runs
    in.mica[FE2O3] = 0.8; // entered: perturbed, never estimated
    calculation c;
    ferric::prepare(c, in, true);
    std::vector<calculation::run_record> runs;
    c.after_run = [&](int, const calculation::run_record &r) { runs.push_back(r); };
    c.GLISET = 0, c.IDUM = -5;
    LEFTOUTLIST left;
    ASSERT_EQ(c.RUNPASS(1, left), RSIZE);
    // The draws of the first run, made again: garnet, clinopyroxene, phengite in turn.
    random_stream draws;
    draws.IDUM = -5;
    const std::array<VECTOR, 3> entered{in.grt, in.cpx, in.mica};
    for (std::size_t k = 0; k < 3; k++)
        for (int i = 1; i <= NEL; i++) {
            const double w = entered[k][i];
            const double want =
                w < 0.01 ? w : std::max(0.0, w + draws.GASDEV(draws.IDUM) * std::sqrt(w / 100));
            EXPECT_EQ(runs[0].wt[k][i], want) << "mineral " << k << " oxide " << i;
        }
    choices how;
    how.model = 7, how.t_c = 650;
    int clamped = 0;
    for (const calculation::run_record &run : runs) {
        clamped += run.wt[0][TIO2] == 0;
        EXPECT_NE(run.wt[2][FE2O3], in.mica[FE2O3]);
        const sample_result direct = compute_sample({run.wt[0], run.wt[1], run.wt[2]}, how);
        for (std::size_t k = 0; k < 3; k++)
            for (int i = 1; i <= NEL; i++)
                ASSERT_EQ(run.cat[k][i], direct.formulae[k]->cat[i]) << "mineral " << k;
    }
    EXPECT_GT(clamped, 0);
    EXPECT_GT(runs[0].cat[1][FE3], 0); // the clinopyroxene's ferric iron, estimated in the run
}

// n_<key>: the pass-2 pairs with that calibration's point; whenever any run has none, a note
// says how many and why, in one clause whose reasons count every run without.
TEST(FerricInRuns, EachCalibrationCountsTheRunsOfItsSpreads) {
    std::ifstream file(VARNO96_EXAMPLES "/SUITE.PRN", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    batch_options o;
    o.model = 7, o.temperature = 650, o.monte_carlo = true, o.seed = -5;
    for (const calibration &c : calibrations) o.thermometers.push_back(c.id);
    int few = 0;
    for (double u : {1.0, 8.0}) {
        o.uncertainty = u;
        const batch_result b = compute_batch({table_text("SUITE.PRN", text)}, o);
        const auto at = [](const std::vector<column> &cols, const std::string &name) {
            const auto i = std::find_if(cols.begin(), cols.end(),
                                        [&](const column &c) { return c.name == name; });
            EXPECT_NE(i, cols.end()) << name;
            return static_cast<std::size_t>(i - cols.begin());
        };
        for (const auto &row : b.rows) {
            if (row[at(b.columns, "T_C")].text.empty()) continue;
            const std::string sample = row[at(b.columns, "sample")].text;
            const std::string &note = row[at(b.columns, "note")].text;
            for (const calibration &c : calibrations) {
                const std::string key(c.name);
                const std::size_t t = at(b.pair_columns, "T_" + key + "_C");
                long n = 0;
                for (const auto &pair : b.pairs)
                    n += pair[1].text == sample && pair[2].text == "2" && !pair[t].text.empty();
                EXPECT_EQ(row[at(b.columns, "n_" + key)].text, std::to_string(n)) << sample << key;
                const std::string words = key + ": " + std::to_string(n) +
                                          " of 200 Monte-Carlo runs have a value; " +
                                          std::to_string(200 - n) + " without: ";
                const std::size_t said = note.find(words);
                EXPECT_EQ(said != std::string::npos, n < 200) << note;
                few += n < 100;
                if (said == std::string::npos) continue;
                // "<why> 41, <why> 4": the number ending each reason (a reason may hold a comma).
                const std::size_t from = said + words.size();
                const std::string clause = note.substr(from, note.find("; ", from) - from);
                long counted = 0;
                const std::regex count(R"( (\d+)(?=, |$))");
                for (std::sregex_iterator m(clause.begin(), clause.end(), count), end; m != end;
                     ++m)
                    counted += std::stol((*m)[1]);
                EXPECT_EQ(counted, 200 - n) << clause;
            }
        }
    }
    EXPECT_GT(few, 0);
}

// --ferric none: each formula is the analysis as entered, recalculated with all iron Fe2+; per
// mineral, the others keep their estimate.
TEST(Ferric, NoneGivesTheFormulaeRecalculatedWithoutAnEstimate) {
    constexpr std::array<double, 3> oxygens{12, 6, 11};
    for (const sample_wt &in : suite::samples()) {
        const std::array<VECTOR, 3> entered{in.grt, in.cpx, in.mica};
        choices how;
        how.model = 7, how.t_c = 650;
        const sample_result estimated = compute_sample(in, how);
        for (std::size_t none = 0; none < 3; none++) {
            choices without = how;
            without.estimate_ferric[none] = false;
            const sample_result r = compute_sample(in, without);
            for (std::size_t k = 0; k < 3; k++) {
                if (!r.formulae[k] || !estimated.formulae[k]) continue;
                const varno96::formula &f = *r.formulae[k];
                if (k != none) {
                    EXPECT_EQ(f.cat.V, estimated.formulae[k]->cat.V);
                    continue;
                }
                calculation c;
                VECTOR cat;
                c.RECALC(entered[k], cat, oxygens[k], 10);
                EXPECT_EQ(f.wt.V, entered[k].V);
                EXPECT_EQ(f.cat.V, cat.V);
                EXPECT_EQ(f.cat[FE3], 0);
            }
        }
    }
}

// The words of --ferric and --ferric-in-runs, ferric= and ferric_in_runs= and the page.
TEST(Options, FerricWords) {
    using three = std::array<ferric_estimate, 3>;
    constexpr auto e = ferric_estimate::charge_balance, n = ferric_estimate::none,
                   s = ferric_estimate::sites;
    const struct {
        const char *words;
        std::optional<three> estimate;
    } cases[] = {
        {"estimate", three{e, e, e}},
        {"none", three{n, n, n}},
        {"phe=none", three{e, e, n}},
        {"grt=estimate,cpx=none,phe=none", three{e, n, n}},
        {"cpx=none,grt=none", three{n, n, e}},
        {"cpx=sites", three{e, s, e}},
        {"CPX=Sites", three{e, s, e}},
        {"grt=none,cpx=sites", three{n, s, e}},
        {"sites", std::nullopt}, // the clinopyroxene's alone
        {"grt=sites", std::nullopt},
        {"", std::nullopt},
        {"None", three{n, n, n}},
        {"PHE=Estimate,cpx=NONE", three{e, n, e}},
        {"phe=none,phe=estimate", std::nullopt},
        {"bt=none", std::nullopt},
        {"phe=", std::nullopt},
        {"phe=none,", std::nullopt},
    };
    for (const auto &c : cases) EXPECT_EQ(ferric_of(c.words), c.estimate) << c.words;
    EXPECT_EQ(ferric_in_runs_of("each"), ferric_runs::each);
    EXPECT_EQ(ferric_in_runs_of("once"), ferric_runs::once);
    EXPECT_EQ(ferric_in_runs_of("twice"), std::nullopt);
}
