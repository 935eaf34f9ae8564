// Zr-in-rutile thermometers (rutile with zircon and quartz or coesite) and where each meets the
// barometer, kept apart from the Fe-Mg exchange calibrations: none of them depends on iron.
//
// Units as in thermometry.hpp: T in kelvin, P in kbar, Zr in ppm by weight (µg/g) of the
// rutile; ln natural and log decimal logarithms. Each calibration is T linear in P (or
// constant) for one Zr content, so it meets the barometer in closed form as the exchange
// thermometers do.
//
// What could be confirmed against the papers: Tomkins et al.'s symbols and units (phi ppm Zr,
// P in kbar, R = 0.0083144 kJ/K) and experiments (10, 20, 30 kbar and 1 atm), and Watson et
// al.'s experiments, both from the abstracts (p. 703, p. 413). The constants of every form are
// those of a peer's transcription that the abstracts, as stored, either leave out (Tomkins et
// al.: equations stripped) or cut off (Watson et al.); Ferry & Watson's and Kohn's papers
// could not be read at all. Neither stated range nor stated error is established beyond what
// zr_calibrations says.
//
// Use, for one sample with ln K of the form `form` (thermometry::fit):
//   const auto found = thermometry::zr_intersect(zr_key::tpe07, zr_ppm, form);
//   found.value->at.t_k, found.value->field ...
#pragma once

#include "activity/references.hpp"
#include "thermometry/thermometry.hpp"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace varno96::thermometry {

// The calibrations, in the order of the table `zr_calibrations`.
enum class zr_key { tpe07, wwt06, fw07, k20 };
inline constexpr std::size_t n_zr_calibrations = 4;
constexpr std::size_t index(zr_key k) { return static_cast<std::size_t>(k); }

// The SiO2 field a form of a calibration is for: any (a form for all), α-quartz, β-quartz,
// quartz (α or β), coesite; and, for a point, the boundaries between them.
enum class silica {
    any,
    alpha_quartz,
    beta_quartz,
    quartz,
    coesite,
    alpha_beta_boundary,
    quartz_coesite_boundary
};
// "alpha-quartz", "coesite", "the alpha/beta-quartz boundary", ...; empty for `any`.
std::string_view name(silica s);

// ---- The SiO2 fields -----------------------------------------------------------------------

// The α = β quartz transition: the critical temperature of quartz's Landau model in Holland &
// Powell (2011), Tc = Tc0 + (Vmax / Smax) P with Tc0 = 847 K, Smax = 4.95 J/(K mol) and Vmax =
// 0.1188 J/bar (as transcribed in a peer's code of that data set, not confirmed against the
// paper): T(K) = 847 + 24.0 P(kbar).
inline constexpr double alpha_beta_t0_k = 847, alpha_beta_k_per_kbar = 1000 * 0.1188 / 4.95;
inline constexpr reference holland_powell_2011{
    "Holland T.J.B., Powell R.",
    2011,
    "An improved and extended internally consistent thermodynamic dataset for phases of "
    "petrological interest, involving a new equation of state for solids",
    "Journal of Metamorphic Geology",
    "29",
    "333–383",
    "10.1111/j.1525-1314.2010.00923.x",
    {},
    {},
    {},
    "Holland & Powell (2011)"};

// The α = β quartz transition temperature at P, kelvin.
constexpr double alpha_beta_quartz_k(double p_kbar) {
    return alpha_beta_t0_k + alpha_beta_k_per_kbar * p_kbar;
}
// The pressure of quartz = coesite at T, kbar, as the figure draws it: P(kbar) = 19.5 + 0.0102
// T(C), after Bohlen & Boettcher (1982).
double quartz_coesite_kbar(double t_k);
// The field stable at T and P: coesite at and above quartz = coesite, else β-quartz at and
// above the α = β transition, else α-quartz.
silica silica_at(double t_k, double p_kbar);

// ---- The calibrations ----------------------------------------------------------------------

struct zr_calibration {
    zr_key id;
    std::string_view name;  // short name, e.g. "TPE07"
    reference citation;     // the paper
    std::string_view cited; // as a legend cites it: "Tomkins et al. (2007)"
    std::string_view note;  // what the calibration assumes
    stated_range stated;
};

inline constexpr std::array<zr_calibration, n_zr_calibrations> zr_calibrations{{
    {zr_key::tpe07,
     "TPE07",
     {"Tomkins H.S., Powell R., Ellis D.J.", 2007,
      "The pressure dependence of the zirconium-in-rutile thermometer",
      "Journal of Metamorphic Geology", "25", "703–713"},
     "Tomkins et al. (2007)",
     "Zr in rutile with zircon and an SiO2 phase, a(SiO2) = 1; its α-quartz, β-quartz or coesite "
     "form where the intersection lies",
     // Tomkins et al. (2007), p. 703 (the abstract): piston-cylinder experiments at 10, 20 and
     // 30 kbar and 1 atm furnace experiments; their temperatures are not in the abstract.
     {.p_kbar = {0, 30},
      .source = "Tomkins et al. 2007, p. 703",
      .range = {"piston-cylinder experiments at 10, 20 and 30 kbar and furnace experiments at 1 "
                "atm, in ZrO2–TiO2–SiO2 (p. 703, the abstract); their temperatures are not "
                "established"},
      .error = {"none established"}}},
    {zr_key::wwt06,
     "WWT06",
     {"Watson E.B., Wark D.A., Thomas J.B.", 2006,
      "Crystallization thermometers for zircon and "
      "rutile",
      "Contributions to Mineralogy and Petrology", "151", "413–433", "10.1007/s00410-006-0068-5"},
     "Watson et al. (2006)",
     "Zr in rutile with zircon and quartz, no pressure term",
     // Watson et al. (2006), p. 413 (the abstract): rutile grown at 1-1.4 GPa and 675-1450 C,
     // with natural rutile from 0.35-3 GPa and 470-1070 C.
     {.t_c = {470, 1450},
      .p_kbar = {3.5, 30},
      .source = "Watson et al. 2006, p. 413",
      .range = {"experiments at 1–1.4 GPa and 675–1450 °C, with natural rutile from 0.35–3 GPa "
                "and 470–1070 °C (p. 413, the abstract)"},
      .error = {"none established (the uncertainties of its constants are not in the part of "
                "the abstract confirmed)"}}},
    {zr_key::fw07,
     "FW07",
     {"Ferry J.M., Watson E.B.", 2007,
      "New thermodynamic models and revised calibrations for the Ti-in-zircon and Zr-in-rutile "
      "thermometers",
      "Contributions to Mineralogy and Petrology", "154", "429–437", "10.1007/s00410-007-0201-0"},
     "Ferry & Watson (2007)",
     "Zr in rutile with zircon, a(SiO2) = 1 and a(TiO2) = 1 (quartz or coesite, and rutile), no "
     "pressure term",
     {.range = {"not established"}, .error = {"not established"}}},
    {zr_key::k20,
     "K20",
     {"Kohn M.J.", 2020, "A refined zirconium-in-rutile thermometer", "American Mineralogist",
      "105", "963–971"},
     "Kohn (2020)",
     "Zr in rutile with zircon and quartz or coesite; its quartz or coesite form where the "
     "intersection lies",
     {.range = {"not established"}, .error = {"not established"}}},
}};

constexpr const zr_calibration &about(zr_key k) { return zr_calibrations[index(k)]; }
// The calibration of a short name ("TPE07", any case); empty when there is none.
std::optional<zr_key> find_zr(std::string_view name);

// The fields a calibration has forms for, in the order they are tried: TPE07 α-quartz,
// β-quartz, coesite; K20 quartz, coesite; WWT06 and FW07 one form for any.
std::span<const silica> zr_fields(zr_key k);
// The calibration's thermometer for its form of field f at zr_ppm; no value for Zr not above
// 0, a field it has no form for, or a denominator not above 0.
outcome<line> zr_thermometer(zr_key k, silica f, double zr_ppm);
// The form as its source writes it, T in kelvin, P in kbar unless said.
std::string_view zr_formula(zr_key k, silica f);

// Where the calibration at zr_ppm meets the barometer, and the field of its form.
struct zr_point {
    pt at;
    silica field;
};
// With ln K of this form, in closed form. Of a calibration's forms, that of the first field
// (in the order of zr_fields) whose intersection lies in that field; where none does, the
// barometer meets a boundary between two fields whose forms cross it each into the other's
// field, and the point is that boundary's on the barometer (its field the boundary). No value
// outside t_min_k..t_max_k, as the exchange thermometers.
outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_form &form);
// The same by iteration on any ln K (intersect, from p_start_kbar).
outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_function &lnk,
                               double p_start_kbar);
// The same against ln K fitted once (fit_checked), as intersect_all takes it.
outcome<zr_point> zr_intersect(zr_key k, double zr_ppm, const lnk_function &lnk, const fitted &f,
                               const fit_points &at = {});
// The note for a point outside the conditions of the calibration's experiments; empty inside.
std::string range_note(zr_key k, double t_c, double p_kbar);

} // namespace varno96::thermometry
