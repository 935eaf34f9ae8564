// The lowest pressure of a quartz-bearing eclogite without albite: albite = jadeite + quartz
// (Holland 1980) with the clinopyroxene's a(jadeite) and a(albite) = 1.
//
// Units: T in degrees Celsius (kelvin = T + 273.15), P in bar where said and kbar otherwise,
// natural logarithms; the gas constant is the program's, GCONST = 8.3143 J/(mol K).
#pragma once

#include "activity/references.hpp"
#include "scene/samples.hpp"
#include "state/types.hpp"
#include "thermometry/thermometry.hpp"

namespace varno96::thermometry {

inline constexpr reference holland_1980{
    "Holland T.J.B.",
    1980,
    "The reaction albite = jadeite + quartz determined experimentally in the range 600–1200 °C",
    "American Mineralogist",
    "65",
    "129–134",
    {},
    {},
    {},
    {},
    "Holland (1980)"};

// The reaction's volume change, J/bar: the constant of the activity-corrected form below (as
// a peer's worked example takes it; not given in the part of the paper confirmed).
inline constexpr double albite_jadeite_quartz_dv = 1.734;

// ln a(jadeite) of a clinopyroxene's formula on 6 oxygens (cations p.f.u.), ideal mixing on
// the sites the barometer's clinopyroxene model fills (Si and then Al on the 2 tetrahedral
// positions, the Al left on M1; Na on M2): two-site X_Na(M2) X_Al(M1), or with one_site the
// smaller of the two, as the one-site a(diopside) is the smaller of Ca and X_Mg(M1). No value
// without Na or without Al on M1.
outcome<double> ln_a_jadeite(const VECTOR &cpx, bool one_site);

// P (bar) of albite = jadeite + quartz at t_c for ln K = ln(a_ab / a_jd), a(quartz) = 1:
// P = 350 + 26.5 T(C) - R T(K) ln K / 1.734 (Holland 1980, p. 129: P = 0.35 + 0.0265 T(C)
// kbar for the end-members).
double albite_jadeite_quartz_bar(double t_c, double ln_k);

// The lowest pressure of a rock with quartz and without albite at t_c, kbar: the reaction's
// for the clinopyroxene's a(jd) and a(albite) = 1; no value where a(jd) has none.
struct lowest_pressure {
    double ln_a_jd, p_kbar;
};
outcome<lowest_pressure> lowest_pressure_jd(const VECTOR &cpx, bool one_site, double t_c);

// The sample's line of the figure: the reaction for this ln a(jd), P (kbar) at 0 and 1000 C.
plot::jadeite_line albite_jadeite_quartz_line(double ln_a_jd);

// What Holland (1980) states of the experiments and the line. The earlier experiments it
// cites locate the reaction precisely at 500-600 C (p. 129), so a temperature below 600 C is
// not noted.
inline constexpr stated_range holland_1980_range{
    .t_c = {600, 1200},
    .source = "Holland 1980, p. 129",
    .range = {"experiments at 600–1200 °C, the line P = 0.35 + 0.0265 T(°C) kbar (p. 129, the "
              "abstract)"},
    .error = {"± 0.50 kbar on the line (p. 129, the abstract)"}};

} // namespace varno96::thermometry
