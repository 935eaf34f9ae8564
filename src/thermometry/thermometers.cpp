// The calibrations, each as T(P) = (numerator at P = 0 + dnum/dP * P) / denominator.
#include "thermometry/thermometry.hpp"

#include "io/number_text.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace varno96::thermometry {

namespace {

// T = (num0 + dnum_dp P) / den, P in kbar.
outcome<line> over(double num0, double dnum_dp, double den) {
    if (den == 0) return {{}, "the thermometer has no value (its denominator ln K_D + c is 0)"};
    const line l{num0 / den, dnum_dp / den};
    if (!std::isfinite(l.t0) || !std::isfinite(l.dt_dp))
        return {{}, "the thermometer has no value (out of range)"};
    return {l, {}};
}

// P in GPa = P in kbar / 10; P in bar = P in kbar * 1000.
constexpr double gpa_per_kbar = 0.1, bar_per_kbar = 1000;

// clang-format off
outcome<line> eg79(const exchange &x) { // Ellis & Green (1979): T = (3104 X_Ca + 3030 + 10.86 P) / (ln K_D + 1.9034)
    return over(3104 * x.x_ca + 3030, 10.86, x.ln_kd + 1.9034);
}
outcome<line> p85(const exchange &x) { // Powell (1985): T = (3140 X_Ca + 2790 + 10 P) / (ln K_D + 1.735)
    return over(3140 * x.x_ca + 2790, 10, x.ln_kd + 1.735);
}
outcome<line> k88(const exchange &x) { // Krogh (1988): T = (-6173 X_Ca^2 + 6731 X_Ca + 1879 + 10 P) / (ln K_D + 1.393)
    return over(-6173 * x.x_ca * x.x_ca + 6731 * x.x_ca + 1879, 10, x.ln_kd + 1.393);
}
outcome<line> a94(const exchange &x) { // Ai (1994): T = (-1629 X_Ca^2 + 3648.55 X_Ca - 6.59 Mg# + 1987.98 + 17.66 P) / (ln K_D + 1.076), Mg# = 100 X_Mg
    const double mg_number = 100 * x.x_mg;
    return over(-1629 * x.x_ca * x.x_ca + 3648.55 * x.x_ca - 6.59 * mg_number + 1987.98, 17.66, x.ln_kd + 1.076);
}
outcome<line> kr00(const exchange &x) { // Krogh Ravna (2000): T = (1939.9 + 3270 X_Ca - 1396 X_Ca^2 + 3319 X_Mn - 3535 X_Mn^2 + 1105 X_Mg - 3561 X_Mg^2 + 2324 X_Mg^3 + 169.4 P[GPa]) / (ln K_D + 1.223)
    const double x_ca = x.x_ca, x_mn = x.x_mn, x_mg = x.x_mg;
    return over(1939.9 + 3270 * x_ca - 1396 * x_ca * x_ca + 3319 * x_mn - 3535 * x_mn * x_mn + 1105 * x_mg - 3561 * x_mg * x_mg + 2324 * x_mg * x_mg * x_mg,
                169.4 * gpa_per_kbar, x.ln_kd + 1.223);
}
outcome<line> kr78(const exchange &x) { // Krogh & Råheim (1978): T = (3685 + 77.1 P) / (ln K_D + 3.52)
    return over(3685, 77.1, x.ln_kd + 3.52);
}
outcome<line> gh82(const exchange &x) { // Green & Hellman (1982), basaltic: T = (5170 + 0.036 P[bar]) / (ln K_D + 4.17)
    return over(5170, 0.036 * bar_per_kbar, x.ln_kd + 4.17);
}
// clang-format on

// Ca/(Ca+Mg+Fe2++Mn), Mn/(Ca+Mg+Fe2++Mn) and Mg/(Mg+Fe2+) of a garnet with Mg.
exchange garnet_fractions(const VECTOR &grt) {
    const double sum = grt[CA] + grt[MG] + grt[FE2] + grt[MN];
    return {grt[CA] / sum, grt[MN] / sum, grt[MG] / (grt[MG] + grt[FE2]), 0};
}

outcome<exchange> with_kd(const VECTOR &grt, double fe_mg_grt, double fe_mg_other) {
    const double kd = fe_mg_grt / fe_mg_other;
    if (!(kd > 0) || !std::isfinite(kd))
        return {{}, "K_D has no logarithm (a mineral without Fe or Mg)"};
    exchange x = garnet_fractions(grt);
    x.ln_kd = std::log(kd);
    if (!std::isfinite(x.x_ca) || !std::isfinite(x.x_mn) || !std::isfinite(x.x_mg))
        return {{}, "the garnet's X_Ca, X_Mn or X_Mg has no value"};
    return {x, {}};
}

// The checks that apply to every mineral: cations that are numbers and not negative.
bool sound(const VECTOR &cat) {
    return std::all_of(cat.V.begin(), cat.V.end(),
                       [](double c) { return c >= 0 && std::isfinite(c); });
}

} // namespace

// clang-format off
std::string_view formula(key k) {
    switch (k) {
    case key::eg79: return "T = (3104 X_Ca + 3030 + 10.86 P) / (ln K_D + 1.9034)"; // Ellis & Green (1979)
    case key::p85: return "T = (3140 X_Ca + 2790 + 10 P) / (ln K_D + 1.735)"; // Powell (1985)
    case key::k88: return "T = (-6173 X_Ca^2 + 6731 X_Ca + 1879 + 10 P) / (ln K_D + 1.393)"; // Krogh (1988)
    case key::a94: return "T = (-1629 X_Ca^2 + 3648.55 X_Ca - 6.59 Mg# + 1987.98 + 17.66 P) / (ln K_D + 1.076), Mg# = 100 X_Mg"; // Ai (1994)
    case key::kr00: return "T = (1939.9 + 3270 X_Ca - 1396 X_Ca^2 + 3319 X_Mn - 3535 X_Mn^2 + 1105 X_Mg - 3561 X_Mg^2 + 2324 X_Mg^3 + 169.4 P[GPa]) / (ln K_D + 1.223)"; // Krogh Ravna (2000)
    case key::kr78: return "T = (3685 + 77.1 P) / (ln K_D + 3.52)"; // Krogh & Råheim (1978)
    case key::gh82: return "T = (5170 + 0.036 P[bar]) / (ln K_D + 4.17)"; // Green & Hellman (1982), basaltic
    }
    return {};
}
// clang-format on

bool same_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char p, char q) {
        return std::toupper(static_cast<unsigned char>(p)) ==
               std::toupper(static_cast<unsigned char>(q));
    });
}

std::optional<key> find(std::string_view name) {
    for (const calibration &c : calibrations)
        if (same_name(c.name, name)) return c.id;
    return std::nullopt;
}

outcome<exchange> grt_cpx(const VECTOR &grt, const VECTOR &cpx) {
    if (!sound(grt) || !sound(cpx)) return {{}, "a formula has a negative or missing cation"};
    if (!(grt[MG] > 0) || !(cpx[MG] > 0))
        return {{}, "no garnet-clinopyroxene K_D (a mineral without Mg)"};
    if (!(grt[FE2] > 0) || !(cpx[FE2] > 0))
        return {{}, "no garnet-clinopyroxene K_D (a mineral without Fe2+)"};
    return with_kd(grt, grt[FE2] / grt[MG], cpx[FE2] / cpx[MG]);
}

outcome<exchange> grt_phe(const VECTOR &grt, const VECTOR &phe) {
    if (!sound(grt) || !sound(phe)) return {{}, "a formula has a negative or missing cation"};
    if (!(grt[MG] > 0) || !(phe[MG] > 0))
        return {{}, "no garnet-phengite K_D (a mineral without Mg)"};
    const double fe_grt = grt[FE2] + grt[FE3], fe_phe = phe[FE2] + phe[FE3];
    if (!(fe_grt > 0) || !(fe_phe > 0))
        return {{}, "no garnet-phengite K_D (a mineral without Fe)"};
    return with_kd(grt, fe_grt / grt[MG], fe_phe / phe[MG]);
}

outcome<line> thermometer(key k, const exchange &x) {
    switch (k) {
    case key::eg79:
        return eg79(x);
    case key::p85:
        return p85(x);
    case key::k88:
        return k88(x);
    case key::a94:
        return a94(x);
    case key::kr00:
        return kr00(x);
    case key::kr78:
        return kr78(x);
    case key::gh82:
        return gh82(x);
    }
    return {{}, "no such calibration"};
}

outcome<double> t_kelvin(key k, const exchange &x, double p_kbar) {
    const outcome<line> l = thermometer(k, x);
    if (!l) return {{}, l.why};
    const double t = l.value->at(p_kbar);
    if (!(t > 0) || !std::isfinite(t))
        return {{}, "the thermometer gives no temperature above 0 K"};
    return {t, {}};
}

std::string stated_text(const stated_words &w) {
    std::string text(w.words);
    if (w.summarised) text += ", as summarised in a peer's notes, not confirmed against the paper";
    return text;
}

std::string range_note(const stated_range &s, const conditions &at) {
    // Each quantity outside its limits, and what the limits are of.
    std::vector<std::string> outside;
    std::vector<std::string_view> of;
    const auto check = [&](const limits &l, std::optional<double> x, std::string_view before,
                           std::string_view unit, std::string_view what) {
        if (!x || l.holds(*x)) return;
        outside.push_back(std::string(before) + number_text(l.low) + " to " + number_text(l.high) +
                          std::string(unit));
        of.push_back(what);
    };
    check(s.t_c, at.t_c, "", " C", "temperatures");
    check(s.p_kbar, at.p_kbar, "", " kbar", "pressures");
    check(s.x_ca, at.x_ca, "garnet X_Ca ", "", "compositions");
    check(s.x_mg, at.x_mg, "garnet Mg# ", "", "compositions");
    if (outside.empty()) return {};
    std::string note = "outside ";
    for (std::size_t i = 0; i < outside.size(); i++)
        note += (i == 0 ? "" : i + 1 == outside.size() ? " and " : ", ") + outside[i];
    const bool one_kind = std::all_of(of.begin(), of.end(), [&](auto w) { return w == of[0]; });
    note += ", the " + std::string(one_kind ? of[0] : "conditions") + " of its experiments (" +
            std::string(s.source) + (s.range.summarised ? ", a peer's summary, unconfirmed" : "") +
            ")";
    return note;
}

std::string range_note(key k, double t_c, double p_kbar, const exchange &x) {
    return range_note(about(k).stated, {t_c, p_kbar, x.x_ca, x.x_mg});
}

} // namespace varno96::thermometry
