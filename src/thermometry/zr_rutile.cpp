// The Zr-in-rutile calibrations, each as T(P) = (numerator at P = 0 + dnum/dP * P) /
// denominator for one Zr content, and the SiO2 field where each meets the barometer.
#include "thermometry/zr_rutile.hpp"

#include "scene/scene.hpp"

#include <cmath>
#include <functional>

namespace varno96::thermometry {

namespace {

// T = (num0 + dnum_dp P) / den, P in kbar; no value unless den > 0 and the line is finite.
outcome<line> over(double num0, double dnum_dp, double den) {
    if (!(den > 0))
        return {{}, "the Zr-in-rutile thermometer has no value (its denominator is not above 0)"};
    const line l{num0 / den, dnum_dp / den};
    if (!std::isfinite(l.t0) || !std::isfinite(l.dt_dp))
        return {{}, "the Zr-in-rutile thermometer has no value (out of range)"};
    return {l, {}};
}

constexpr double bar_per_kbar = 1000;
constexpr double r_kj = 0.0083144, r_j = 8.3145; // the gas constant as each paper takes it

// clang-format off
outcome<line> tpe07(silica f, double phi) { // Tomkins et al. (2007): T = (a + b P) / (c - R ln phi), R = 0.0083144 kJ/K (symbols and R: p. 703)
    const double ln_phi = std::log(phi);
    switch (f) {
    case silica::alpha_quartz: return over(83.9, 0.410, 0.1428 - r_kj * ln_phi); // T = (83.9 + 0.410 P) / (0.1428 - R ln phi)
    case silica::beta_quartz: return over(85.7, 0.473, 0.1453 - r_kj * ln_phi); // T = (85.7 + 0.473 P) / (0.1453 - R ln phi)
    case silica::coesite: return over(88.1, 0.206, 0.1412 - r_kj * ln_phi); // T = (88.1 + 0.206 P) / (0.1412 - R ln phi)
    default: return {{}, "Tomkins et al. (2007) has no form for this SiO2 field"};
    }
}
outcome<line> k20(silica f, double c) { // Kohn (2020): T = (a + b P[bar] - 0.130 C) / (d - R ln C), R = 8.3145 J/(mol K)
    const double ln_c = std::log(c);
    switch (f) {
    case silica::quartz: return over(71360 - 0.130 * c, 0.378 * bar_per_kbar, 130.66 - r_j * ln_c); // T = (71360 + 0.378 P - 0.130 C) / (130.66 - R ln C)
    case silica::coesite: return over(73910 - 0.130 * c, 0.247 * bar_per_kbar, 129.65 - r_j * ln_c); // T = (73910 + 0.247 P - 0.130 C) / (129.65 - R ln C)
    default: return {{}, "Kohn (2020) has no form for this SiO2 field"};
    }
}
outcome<line> wwt06(double zr) { // Watson et al. (2006), p. 413: log(ppm Zr) = 7.36 - 4470 / T
    return over(4470, 0, 7.36 - std::log10(zr));
}
outcome<line> fw07(double zr) { // Ferry & Watson (2007): log(ppm Zr) = 7.42 - 4530 / T - log a(SiO2), a(SiO2) = a(TiO2) = 1
    return over(4530, 0, 7.42 - std::log10(zr));
}
// clang-format on

constexpr std::array<silica, 3> tpe07_fields{silica::alpha_quartz, silica::beta_quartz,
                                             silica::coesite};
constexpr std::array<silica, 2> k20_fields{silica::quartz, silica::coesite};
constexpr std::array<silica, 1> one_form{silica::any};

// Whether a form for field f holds at a point of field `at`.
bool covers(silica f, silica at) {
    return f == silica::any || f == at ||
           (f == silica::quartz && (at == silica::alpha_quartz || at == silica::beta_quartz));
}

// The boundaries as lines T(P), kelvin: alpha = beta quartz, and quartz = coesite.
line alpha_beta_line() { return {alpha_beta_t0_k, alpha_beta_k_per_kbar}; }
line quartz_coesite_line() {
    const plot::reaction &r = plot::reference_reactions[0];
    return {273.15 - r.p0_kbar / r.kbar_per_c, 1 / r.kbar_per_c};
}

using meet_function = std::function<outcome<pt>(const line &)>;

// Whether the forms of fields `low` and `high` of calibration k put the boundary point b on
// their two sides: each form's temperature at b's pressure against b's.
bool bracketed(zr_key k, double zr, silica low, silica high, const pt &b) {
    const outcome<line> a = zr_thermometer(k, low, zr), c = zr_thermometer(k, high, zr);
    if (!a || !c) return false;
    return (a.value->at(b.p_kbar) - b.t_k) * (c.value->at(b.p_kbar) - b.t_k) <= 0;
}

outcome<zr_point> choose(zr_key k, double zr, const meet_function &meet) {
    std::string_view why;
    bool some = false;
    for (const silica f : zr_fields(k)) {
        const outcome<line> l = zr_thermometer(k, f, zr);
        if (!l) return {{}, l.why};
        const outcome<pt> p = meet(*l.value);
        if (!p) {
            if (why.empty()) why = p.why;
            continue;
        }
        some = true;
        if (covers(f, silica_at(p.value->t_k, p.value->p_kbar))) return {zr_point{*p.value, f}, {}};
    }
    if (!some) return {{}, why};
    // Each form meets the barometer outside its own field: the barometer meets a boundary
    // between two fields whose forms lie on either side of it.
    const bool has_beta = zr_fields(k).size() == 3;
    if (has_beta) {
        const outcome<pt> b = meet(alpha_beta_line());
        if (b && b.value->p_kbar < quartz_coesite_kbar(b.value->t_k) &&
            bracketed(k, zr, silica::alpha_quartz, silica::beta_quartz, *b.value))
            return {zr_point{*b.value, silica::alpha_beta_boundary}, {}};
    }
    const outcome<pt> b = meet(quartz_coesite_line());
    if (b) {
        const silica quartz = !has_beta ? silica::quartz
                              : b.value->t_k >= alpha_beta_quartz_k(b.value->p_kbar)
                                  ? silica::beta_quartz
                                  : silica::alpha_quartz;
        if (bracketed(k, zr, quartz, silica::coesite, *b.value))
            return {zr_point{*b.value, silica::quartz_coesite_boundary}, {}};
    }
    return {{}, "no form of the calibration meets the barometer in its own SiO2 field"};
}

// A Zr content the thermometers take.
std::string_view no_zr(double zr) {
    if (!(zr > 0) || !std::isfinite(zr)) return "no Zr-in-rutile temperature without Zr";
    if (zr >= 1e6) return "no Zr-in-rutile temperature for Zr of 10^6 ppm or more";
    return {};
}

} // namespace

std::string_view name(silica s) {
    switch (s) {
    case silica::any:
        return {};
    case silica::alpha_quartz:
        return "alpha-quartz";
    case silica::beta_quartz:
        return "beta-quartz";
    case silica::quartz:
        return "quartz";
    case silica::coesite:
        return "coesite";
    case silica::alpha_beta_boundary:
        return "the alpha/beta-quartz boundary";
    case silica::quartz_coesite_boundary:
        return "the quartz/coesite boundary";
    }
    return {};
}

double quartz_coesite_kbar(double t_k) {
    const plot::reaction &r = plot::reference_reactions[0];
    return r.p0_kbar + r.kbar_per_c * (t_k - 273.15); // P = 19.5 + 0.0102 T(C)
}

silica silica_at(double t_k, double p_kbar) {
    if (p_kbar >= quartz_coesite_kbar(t_k)) return silica::coesite;
    return t_k >= alpha_beta_quartz_k(p_kbar) ? silica::beta_quartz : silica::alpha_quartz;
}

std::optional<zr_key> find_zr(std::string_view name) {
    for (const zr_calibration &c : zr_calibrations)
        if (same_name(c.name, name)) return c.id;
    return std::nullopt;
}

std::span<const silica> zr_fields(zr_key k) {
    switch (k) {
    case zr_key::tpe07:
        return tpe07_fields;
    case zr_key::k20:
        return k20_fields;
    case zr_key::wwt06:
    case zr_key::fw07:
        return one_form;
    }
    return {};
}

outcome<line> zr_thermometer(zr_key k, silica f, double zr_ppm) {
    if (const std::string_view why = no_zr(zr_ppm); !why.empty()) return {{}, why};
    switch (k) {
    case zr_key::tpe07:
        return tpe07(f, zr_ppm);
    case zr_key::k20:
        return k20(f, zr_ppm);
    case zr_key::wwt06:
        return f == silica::any ? wwt06(zr_ppm)
                                : outcome<line>{{}, "Watson et al. (2006) has one form"};
    case zr_key::fw07:
        return f == silica::any ? fw07(zr_ppm)
                                : outcome<line>{{}, "Ferry & Watson (2007) has one form"};
    }
    return {{}, "no such calibration"};
}

// clang-format off
std::string_view zr_formula(zr_key k, silica f) {
    switch (k) {
    case zr_key::tpe07:
        if (f == silica::alpha_quartz) return "T = (83.9 + 0.410 P) / (0.1428 - R ln phi), phi ppm Zr, R = 0.0083144 kJ/K"; // Tomkins et al. (2007), alpha-quartz
        if (f == silica::beta_quartz) return "T = (85.7 + 0.473 P) / (0.1453 - R ln phi), phi ppm Zr, R = 0.0083144 kJ/K"; // beta-quartz
        if (f == silica::coesite) return "T = (88.1 + 0.206 P) / (0.1412 - R ln phi), phi ppm Zr, R = 0.0083144 kJ/K"; // coesite
        return {};
    case zr_key::k20:
        if (f == silica::quartz) return "T = (71360 + 0.378 P[bar] - 0.130 C) / (130.66 - R ln C), C ppm Zr, R = 8.3145 J/(mol K)"; // Kohn (2020), quartz
        if (f == silica::coesite) return "T = (73910 + 0.247 P[bar] - 0.130 C) / (129.65 - R ln C), C ppm Zr, R = 8.3145 J/(mol K)"; // coesite
        return {};
    case zr_key::wwt06: return f == silica::any ? "log(ppm Zr) = 7.36 - 4470 / T" : ""; // Watson et al. (2006)
    case zr_key::fw07: return f == silica::any ? "log(ppm Zr) = 7.42 - 4530 / T - log a(SiO2), a(SiO2) = a(TiO2) = 1" : ""; // Ferry & Watson (2007)
    }
    return {};
}
// clang-format on

outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_form &form) {
    return choose(k, zr_ppm, [&](const line &l) { return intersect(l, form); });
}

outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_function &lnk,
                               double p_start_kbar) {
    return choose(k, zr_ppm, [&](const line &l) { return intersect(l, lnk, p_start_kbar); });
}

outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_function &lnk, const fitted &f,
                               const fit_points &at) {
    return choose(k, zr_ppm, [&](const line &l) { return intersect(l, lnk, f, at); });
}

std::string range_note(zr_key k, double t_c, double p_kbar) {
    return range_note(about(k).stated, {t_c, p_kbar});
}

} // namespace varno96::thermometry
