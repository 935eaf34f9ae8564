// albite = jadeite + quartz with the clinopyroxene's a(jd).
#include "thermometry/jadeite.hpp"

#include "chemistry/chemistry.hpp"
#include "scene/scene.hpp"

#include <algorithm>
#include <cmath>

namespace varno96::thermometry {

outcome<double> ln_a_jadeite(const VECTOR &cpx, bool one_site) {
    VECTOR c = cpx; // the placements use up this copy
    const REAL si_t = ASSIGNSITE(c[SI], 2, 1);
    ASSIGNSITE(c[AL], 2, 1 - si_t);
    const REAL al_m1 = ASSIGNSITE(c[AL], 1, 1);
    const REAL na_m2 = cpx[NA];
    if (!(na_m2 > 0) || !std::isfinite(na_m2))
        return {{}, "the clinopyroxene has no Na, so a(jadeite) has no value"};
    // Al filling the tetrahedral site to the last bit leaves a residue of rounding on M1.
    constexpr double none = 1e-9;
    if (!(al_m1 > none))
        return {{}, "the clinopyroxene has no Al on M1, so a(jadeite) has no value"};
    const double a = one_site ? std::min(na_m2, al_m1) : na_m2 * al_m1; // a(jd) = X_Na(M2) X_Al(M1)
    return {std::log(a), {}};
}

double albite_jadeite_quartz_bar(double t_c, double ln_k) {
    // The end-members' line as the figure draws it: P(kbar) = 0.35 + 0.0265 T(C).
    const plot::reaction &line = plot::reference_reactions[1];
    const double p0_bar = 1000 * line.p0_kbar, slope_bar = 1000 * line.kbar_per_c;
    // clang-format off
    return p0_bar + slope_bar * t_c - GCONST * (t_c + 273.15) * ln_k / albite_jadeite_quartz_dv; // P = 350 + 26.5 T(C) - R T(K) ln K / 1.734
    // clang-format on
}

plot::jadeite_line albite_jadeite_quartz_line(double ln_a_jd) {
    plot::jadeite_line r{ln_a_jd, {}};
    for (std::size_t k = 0; k < 2; k++) {
        const double t_c = 1000.0 * static_cast<double>(k);
        r.line[k] = {t_c, albite_jadeite_quartz_bar(t_c, -ln_a_jd) / 1000};
    }
    return r;
}

outcome<lowest_pressure> lowest_pressure_jd(const VECTOR &cpx, bool one_site, double t_c) {
    const outcome<double> ln_a = ln_a_jadeite(cpx, one_site);
    if (!ln_a) return {{}, ln_a.why};
    // ln K = ln(a_ab / a_jd) with a(albite) = 1.
    const double p_bar = albite_jadeite_quartz_bar(t_c, -*ln_a.value);
    if (!std::isfinite(p_bar)) return {{}, "the lowest pressure has no value"};
    return {lowest_pressure{*ln_a.value, p_bar / 1000}, {}};
}

} // namespace varno96::thermometry
