// The Zr-in-rutile calibrations, the SiO2 field each form is chosen in, and where they meet the
// barometer.
#include "barometry/barometry.hpp"
#include "thermometry/zr_rutile.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {

using namespace varno96::thermometry;

constexpr double kelvin = 273.15;

// Each form on a grid of Zr and P against an evaluation of the published equations by other
// means (Python, to 0.0001 C). At 100 ppm and 10 kbar the α-quartz form of Tomkins et al. gives
// 568.9 C, as a worked example of it does.
TEST(ZrInRutile, EachFormOnAGridOfZrAndPressure) {
    const struct {
        zr_key k;
        silica field;
        double zr_ppm, p_kbar, t_c;
    } cases[] = {
        {zr_key::tpe07, silica::alpha_quartz, 100, 10, 568.8685},
        {zr_key::tpe07, silica::alpha_quartz, 30, 5, 477.3668},
        {zr_key::tpe07, silica::alpha_quartz, 1000, 40, 901.7886},
        {zr_key::tpe07, silica::beta_quartz, 100, 10, 571.9051},
        {zr_key::tpe07, silica::beta_quartz, 300, 25, 723.2590},
        {zr_key::tpe07, silica::beta_quartz, 1000, 5, 729.1130},
        {zr_key::tpe07, silica::coesite, 100, 10, 602.9488},
        {zr_key::tpe07, silica::coesite, 30, 40, 580.0122},
        {zr_key::tpe07, silica::coesite, 1000, 25, 840.0680},
        {zr_key::k20, silica::quartz, 100, 10, 540.1741},
        {zr_key::k20, silica::quartz, 300, 40, 765.3562},
        {zr_key::k20, silica::quartz, 1000, 5, 725.4097},
        {zr_key::k20, silica::coesite, 100, 10, 562.7381},
        {zr_key::k20, silica::coesite, 30, 25, 516.8324},
        {zr_key::k20, silica::coesite, 1000, 40, 885.3276},
        {zr_key::wwt06, silica::any, 100, 10, 560.8052},
        {zr_key::wwt06, silica::any, 30, 40, 486.6821},
        {zr_key::wwt06, silica::any, 1000, 5, 752.0794},
        {zr_key::fw07, silica::any, 100, 10, 562.6434},
        {zr_key::fw07, silica::any, 300, 25, 643.3200},
        {zr_key::fw07, silica::any, 1000, 40, 751.7369},
    };
    for (const auto &c : cases) {
        const outcome<line> l = zr_thermometer(c.k, c.field, c.zr_ppm);
        ASSERT_TRUE(l) << about(c.k).name << " " << l.why;
        EXPECT_NEAR(l.value->at(c.p_kbar) - kelvin, c.t_c, 1e-3)
            << about(c.k).name << " " << name(c.field) << " " << c.zr_ppm << " ppm " << c.p_kbar
            << " kbar";
        EXPECT_FALSE(zr_formula(c.k, c.field).empty());
    }
    // A field without a form, and Zr a thermometer does not take.
    EXPECT_FALSE(zr_thermometer(zr_key::tpe07, silica::quartz, 100));
    EXPECT_FALSE(zr_thermometer(zr_key::k20, silica::beta_quartz, 100));
    EXPECT_FALSE(zr_thermometer(zr_key::wwt06, silica::coesite, 100));
    for (const double zr : {0.0, -5.0, std::nan(""), 1e6})
        for (const zr_calibration &c : zr_calibrations)
            EXPECT_FALSE(zr_thermometer(c.id, zr_fields(c.id)[0], zr)) << c.name << " " << zr;
    EXPECT_EQ(find_zr("tpe07"), zr_key::tpe07);
    EXPECT_FALSE(find_zr("EG79"));
}

// The fields: quartz = coesite as the figure draws it, and the α = β transition of Holland &
// Powell's quartz; the point of each just either side of each boundary.
TEST(ZrInRutile, TheSilicaFields) {
    EXPECT_NEAR(alpha_beta_quartz_k(0) - kelvin, 573.85, 1e-9); // 847 K at 1 bar
    EXPECT_NEAR(alpha_beta_quartz_k(10) - kelvin, 813.85, 1e-9);
    EXPECT_NEAR(quartz_coesite_kbar(700 + kelvin), 19.5 + 0.0102 * 700, 1e-12);
    const double e = 1e-6;
    const double t_ab = alpha_beta_quartz_k(10);
    EXPECT_EQ(silica_at(t_ab - e, 10), silica::alpha_quartz);
    EXPECT_EQ(silica_at(t_ab + e, 10), silica::beta_quartz);
    for (const double t_k : {900.0, 1700.0}) { // from α-quartz and from β-quartz
        const double p = quartz_coesite_kbar(t_k);
        EXPECT_NE(silica_at(t_k, p - e), silica::coesite) << t_k;
        EXPECT_EQ(silica_at(t_k, p + e), silica::coesite) << t_k;
    }
    EXPECT_EQ(silica_at(1700, quartz_coesite_kbar(1700) - e), silica::beta_quartz);
}

// ln K of the form that makes the barometer the line P = p0 + m T (kelvin, kbar).
lnk_form barometer_of(double p0, double m) {
    using namespace BARO;
    return {(m - B) / C, (p0 - A) / C, 0};
}

// Along two barometers, one crossing the α = β transition and one quartz = coesite, Zr from 3
// to 5000 ppm: each intersection lies in the field of its form and satisfies both equations,
// or lies on a boundary between the two forms that would each lie across it; the field of
// Tomkins et al. changes across each boundary, Kohn's across quartz = coesite.
TEST(ZrInRutile, TheFieldWhereTheIntersectionLies) {
    const struct {
        lnk_form form;
        zr_key k;
        std::set<silica> fields; // those the sweep meets, boundaries aside
    } cases[] = {
        {barometer_of(5.5, 0.005), zr_key::tpe07, {silica::alpha_quartz, silica::beta_quartz}},
        {barometer_of(-7, 0.03), zr_key::tpe07, {silica::alpha_quartz, silica::coesite}},
        {barometer_of(-7, 0.03), zr_key::k20, {silica::quartz, silica::coesite}},
        {barometer_of(-7, 0.03), zr_key::wwt06, {silica::any}},
    };
    for (const auto &c : cases) {
        const barometer_line b = *barometer(c.form).value;
        std::set<silica> met;
        silica last = silica::any;
        int changes = 0;
        for (double zr = 3; zr < 5000; zr *= 1.01) {
            const outcome<zr_point> r = zr_intersect(c.k, zr, c.form);
            if (!r) continue;
            const auto [t, p] = r.value->at;
            const silica f = r.value->field;
            EXPECT_NEAR(p, b.p0 + b.dp_dt * t, 1e-9) << zr; // on the barometer
            if (f == silica::alpha_beta_boundary) {
                EXPECT_NEAR(t, alpha_beta_quartz_k(p), 1e-6) << zr;
                continue;
            }
            if (f == silica::quartz_coesite_boundary) {
                EXPECT_NEAR(p, quartz_coesite_kbar(t), 1e-6) << zr;
                continue;
            }
            const line l = *zr_thermometer(c.k, f, zr).value;
            EXPECT_NEAR(t, l.at(p), 1e-6) << zr; // on its thermometer
            const silica at = silica_at(t, p);
            EXPECT_TRUE(f == silica::any || f == at ||
                        (f == silica::quartz && at != silica::coesite))
                << about(c.k).name << " " << zr << " ppm: " << name(f) << " at " << name(at);
            if (!met.empty() && f != last) changes++;
            met.insert(f), last = f;
        }
        EXPECT_EQ(met, c.fields) << about(c.k).name;
        EXPECT_EQ(changes, c.fields.size() - 1) << about(c.k).name;
    }
}

// Where the forms of two fields each meet the barometer across the boundary, the point is the
// boundary's; and the iteration on ln K agrees with the closed form.
TEST(ZrInRutile, ABoundaryBetweenTwoFormsAndTheIteration) {
    // Near 1000 ppm the α-quartz form runs hotter than the β-quartz one at the transition:
    // search the Zr whose two forms straddle it on this barometer.
    const lnk_form form = barometer_of(5.5, 0.005);
    int boundaries = 0;
    for (double zr = 500; zr < 3000; zr += 0.5) {
        const outcome<zr_point> r = zr_intersect(zr_key::tpe07, zr, form);
        ASSERT_TRUE(r) << zr << " " << r.why;
        if (r.value->field != silica::alpha_beta_boundary) continue;
        boundaries++;
        const pt b = r.value->at;
        const double t_a =
            zr_thermometer(zr_key::tpe07, silica::alpha_quartz, zr).value->at(b.p_kbar);
        const double t_b =
            zr_thermometer(zr_key::tpe07, silica::beta_quartz, zr).value->at(b.p_kbar);
        EXPECT_GT(t_a, b.t_k) << zr;
        EXPECT_LT(t_b, b.t_k) << zr;
    }
    EXPECT_GT(boundaries, 0);
    // The iteration on any ln K: that of the form, from 20 kbar.
    const lnk_function lnk = [form](double t, double p) { return form.at(t, p); };
    for (const zr_calibration &c : zr_calibrations)
        for (const double zr : {20.0, 300.0, 2000.0}) {
            const outcome<zr_point> closed = zr_intersect(c.id, zr, form);
            const outcome<zr_point> iterated = zr_intersect(c.id, zr, lnk, 20.0);
            ASSERT_EQ(bool(closed), bool(iterated)) << c.name << " " << zr;
            if (!closed) continue;
            EXPECT_EQ(closed.value->field, iterated.value->field) << c.name << " " << zr;
            EXPECT_NEAR(closed.value->at.t_k, iterated.value->at.t_k, 0.01) << c.name << " " << zr;
        }
    // Below the window of answers: no value, as for the exchange thermometers.
    EXPECT_FALSE(zr_intersect(zr_key::wwt06, 0.001, form));
}

} // namespace
