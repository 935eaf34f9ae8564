// Fe-Mg exchange thermometers (garnet-clinopyroxene and garnet-phengite) and where each meets
// the barometer of prp + 2 grs + 3 cel = 6 di + 3 mu in the P-T plane.
//
// Units: T in kelvin, P in kbar, ln K and ln K_D natural logarithms. A result without a value
// comes back empty with the reason in words; reasons are static text, so results are cheap to
// make in the Monte-Carlo runs.
//
// Use, for one sample (or one Monte-Carlo run):
//   const auto cpx_pair = thermometry::grt_cpx(grt_cat, cpx_cat);     // cations p.f.u.
//   const auto phe_pair = thermometry::grt_phe(grt_cat, phe_cat);
//   const auto found = thermometry::intersect_all(cpx_pair, phe_pair, lnk, {.depends_on_p = ...});
//   found[index(key::kr00)].value->t_k ...
// where lnk(T, P) is ln K of the sample's activities at T (and, for a garnet model whose
// Margules parameters have a volume term, at P), NaN when it has none.
#pragma once

#include "activity/references.hpp"
#include "state/types.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varno96::thermometry {

// A value, or the reason (static text) why there is none.
template <typename T> struct outcome {
    std::optional<T> value;
    std::string_view why; // empty when there is a value
    explicit operator bool() const { return value.has_value(); }
};

// ---- The calibrations -------------------------------------------------------------------------

// The minerals whose Fe-Mg exchange a calibration uses.
enum class mineral_pair { grt_cpx, grt_phe };

// The calibrations, in the order of the table `calibrations`.
enum class key { eg79, p85, k88, a94, kr00, kr78, gh82 };
inline constexpr std::size_t n_calibrations = 7;
constexpr std::size_t index(key k) { return static_cast<std::size_t>(k); }

// What a paper states of its calibration: the conditions of its experiments (temperature in
// degrees Celsius, pressure in kbar, the garnet's X_Ca and X_Mg), each none (0, 0) where it
// states none or none is established here; where a report's note says they stand; the range
// and the error its authors state, in words, with the page and how far they were confirmed.
struct limits {
    double low = 0, high = 0;
    constexpr bool stated() const { return low < high; }
    constexpr bool holds(double x) const { return !stated() || (x >= low && x <= high); }
};
// Words of a paper, with its page; `summarised` where they are known only from a peer's
// summary of the paper, not confirmed against it.
struct stated_words {
    std::string_view words = {};
    bool summarised = false;
};
struct stated_range {
    limits t_c = {}, p_kbar = {}, x_ca = {}, x_mg = {};
    std::string_view source = {}; // where the limits stand: "Green & Hellman 1982, p. 253"
    stated_words range = {};      // the conditions of the experiments, or that none are known
    stated_words error = {};      // the error its authors state, or that none is established
};
// The words as a reader gets them: "... (p. 213), as summarised in a peer's notes, not
// confirmed against the paper" where they are a summary.
std::string stated_text(const stated_words &w);

// A note for a point at t_c (degrees Celsius), p_kbar and, where a garnet takes part, its
// X_Ca and X_Mg, outside the stated conditions: "outside 800 to 1000 C, the temperatures of its
// experiments (Green & Hellman 1982, p. 253)"; empty inside them.
struct conditions {
    double t_c, p_kbar;
    std::optional<double> x_ca = {}, x_mg = {};
};
std::string range_note(const stated_range &s, const conditions &at);

struct calibration {
    key id;
    std::string_view name;  // short name, e.g. "EG79"
    reference citation;     // the paper (its `cited` is the calibration's own, below)
    std::string_view cited; // as a figure's legend cites it: "Ellis & Green (1979)"
    mineral_pair pair;
    std::string_view note; // what the calibration assumes, for a report's notes
    stated_range stated;
};

inline constexpr std::array<calibration, n_calibrations> calibrations{{
    {key::eg79,
     "EG79",
     {"Ellis D.J., Green D.H.", 1979,
      "An experimental study of the effect of Ca upon garnet–clinopyroxene Fe–Mg exchange "
      "equilibria",
      "Contributions to Mineralogy and Petrology", "71", "13–22"},
     "Ellis & Green (1979)",
     mineral_pair::grt_cpx,
     "garnet-clinopyroxene Fe2+-Mg, ln K_D linear in garnet X_Ca",
     {.t_c = {750, 1300},
      .p_kbar = {24, 30},
      .source = "Ellis & Green 1979, p. 20",
      .range = {"experiments at 24–30 kbar and 750–1300 °C, adequate to garnet X_Ca of about 0.5 "
                "(p. 20)",
                true},
      .error = {"“within ±5 %” of the experiments' temperatures (p. 20)", true}}},
    {key::p85,
     "P85",
     {"Powell R.", 1985,
      "Regression diagnostics and robust regression in geothermometer/geobarometer calibration: "
      "the garnet–clinopyroxene geothermometer revisited",
      "Journal of Metamorphic Geology", "3", "231–243"},
     "Powell (1985)",
     mineral_pair::grt_cpx,
     "garnet-clinopyroxene Fe2+-Mg, a recalibration of Ellis & Green (1979)",
     {.t_c = {700, 1500},
      .x_ca = {0.056, 0.459},
      .source = "Powell 1985, pp. 238–241",
      .range = {"49 experiments at 30 kbar, 700–1500 °C, garnet X_Ca 0.056–0.459 (pp. 238–241)",
                true},
      .error = {"composition-dependent, no single figure (pp. 238–241)", true}}},
    {key::k88,
     "K88",
     {"Krogh E.J.", 1988,
      "The garnet–clinopyroxene Fe–Mg geothermometer — a reinterpretation of existing experimental "
      "data",
      "Contributions to Mineralogy and Petrology", "99", "44–48"},
     "Krogh (1988)",
     mineral_pair::grt_cpx,
     "garnet-clinopyroxene Fe2+-Mg, curvilinear in garnet X_Ca",
     {.t_c = {600, 1300},
      .x_ca = {0.10, 0.50},
      .source = "Krogh 1988, p. 47",
      .range = {"experiments at 600–1300 °C, garnet X_Ca 0.10–0.50 (p. 47)", true},
      .error = {"residuals of the experiments −80 to +84 °C (p. 47)", true}}},
    {key::a94,
     "A94",
     {"Ai Y.", 1994, "A revision of the garnet–clinopyroxene Fe2+–Mg exchange geothermometer",
      "Contributions to Mineralogy and Petrology", "115", "467–473"},
     "Ai (1994)",
     mineral_pair::grt_cpx,
     "garnet-clinopyroxene Fe2+-Mg, with garnet X_Ca and Mg#",
     {.t_c = {600, 1500},
      .p_kbar = {10, 60},
      .source = "Ai 1994, p. 469",
      .range = {"experiments at 600–1500 °C and 10–60 kbar (p. 469)", true},
      .error = {"“within about ±100 °C” (p. 469)", true}}},
    {key::kr00,
     "KR00",
     {"Krogh Ravna E.", 2000,
      "The garnet–clinopyroxene Fe2+–Mg geothermometer: an updated calibration",
      "Journal of Metamorphic Geology", "18", "211–219"},
     "Krogh Ravna (2000)",
     mineral_pair::grt_cpx,
     "garnet-clinopyroxene Fe2+-Mg, with garnet X_Ca, X_Mn and X_Mg",
     {.t_c = {600, 1740},
      .p_kbar = {10, 60},
      .x_ca = {0.09, 0.47},
      .x_mg = {0.035, 0.89},
      .source = "Krogh Ravna 2000, p. 213",
      .range = {"experiments at 600–1740 °C and 1.0–6.0 GPa, garnet X_Ca 0.09–0.47 and Mg# "
                "0.035–0.89 (p. 213)",
                true},
      .error = {"“within about ±100 °C” on the retained experiments (p. 213)", true}}},
    {key::kr78,
     "KR78",
     {"Krogh E.J., Råheim A.", 1978,
      "Temperature and pressure dependence of Fe–Mg partitioning between garnet and phengite, with "
      "particular reference to eclogites",
      "Contributions to Mineralogy and Petrology", "66", "75–80"},
     "Krogh & Råheim (1978)",
     mineral_pair::grt_phe,
     "garnet-phengite Fe-Mg, all iron as analysed",
     {.t_c = {700, 1000},
      .source = "Krogh & Råheim 1978",
      .range = {"experiments at 700, 900 and 1000 °C and 30 kbar, a preliminary calibration (page "
                "not known)",
                true},
      .error = {"none established"}}},
    {key::gh82,
     "GH82",
     {"Green T.H., Hellman P.L.", 1982,
      "Fe–Mg partitioning between coexisting garnet and phengite at high pressure, and comments on "
      "a garnet–phengite geothermometer",
      "Lithos", "15", "253–266"},
     "Green & Hellman (1982)",
     mineral_pair::grt_phe,
     "garnet-phengite Fe-Mg, all iron as analysed, basaltic compositions",
     // Green & Hellman (1982), p. 253 (the abstract): experiments at 20-35 kbar and 800-1000 C.
     {.t_c = {800, 1000},
      .p_kbar = {20, 35},
      .source = "Green & Hellman 1982, p. 253",
      .range = {"experiments at 20–35 kbar and 800–1000 °C, not to be used outside the "
                "compositions studied (p. 253, the abstract)"},
      .error = {"the basaltic equation “within about 50 °C” (p. 260)", true}}},
}};

constexpr const calibration &about(key k) { return calibrations[index(k)]; }
// Two names alike but for the case of their letters.
bool same_name(std::string_view a, std::string_view b);
// The calibration of a short name ("KR00", any case); empty when there is none.
std::optional<key> find(std::string_view name);

// ---- The exchange of one mineral pair ---------------------------------------------------------

// What the thermometers need of a garnet and its partner.
struct exchange {
    double x_ca;  // garnet Ca/(Ca+Mg+Fe2++Mn)
    double x_mn;  // garnet Mn/(Ca+Mg+Fe2++Mn)
    double x_mg;  // garnet Mg/(Mg+Fe2+)
    double ln_kd; // ln K_D of the pair, see grt_cpx and grt_phe
};

// From cations p.f.u. (the slots of VECTOR): K_D = (Fe2+/Mg)grt / (Fe2+/Mg)cpx.
// No value when a mineral lacks Mg or Fe2+ (K_D not positive or not finite).
outcome<exchange> grt_cpx(const VECTOR &grt, const VECTOR &cpx);
// K_D = (Fe/Mg)grt / (Fe/Mg)phe with all iron, Fe2+ + Fe3+, as the calibrations measured it;
// the garnet's X_Ca, X_Mn and X_Mg are those of grt_cpx.
outcome<exchange> grt_phe(const VECTOR &grt, const VECTOR &phe);

// ---- The thermometers: each linear in P ------------------------------------------------------

// T(P) = t0 + dt_dp * P, T in kelvin, P in kbar.
struct line {
    double t0, dt_dp;
    constexpr double at(double p_kbar) const { return t0 + dt_dp * p_kbar; }
};

// The thermometer of calibration k for one exchange; no value when its denominator
// (ln K_D + constant) is zero or the line is not finite.
outcome<line> thermometer(key k, const exchange &x);
// T at P; no value also when T is not above 0 K.
outcome<double> t_kelvin(key k, const exchange &x, double p_kbar);
// The calibration's formula as its paper writes it, T in kelvin and P in kbar unless said:
// "T = (3140 X_Ca + 2790 + 10 P) / (ln K_D + 1.735)".
std::string_view formula(key k);
// The note for an intersection at p_kbar and t_c (degrees Celsius) with the exchange x outside
// the conditions of the calibration's experiments; empty inside, or where none are established.
std::string range_note(key k, double t_c, double p_kbar, const exchange &x);

// ---- Where a thermometer meets the barometer --------------------------------------------------

// ln K of the sample at T (kelvin) and P (kbar); NaN when it has no value.
using lnk_function = std::function<double(double t_k, double p_kbar)>;

struct pt {
    double t_k, p_kbar;
};

// The window of answers: 200-1500 degrees Celsius.
inline constexpr double t_min_k = 200 + 273.15, t_max_k = 1500 + 273.15;

// Every Margules parameter of the garnet models is W_H - T W_S + P W_V and enters ln K divided by
// RT, and the ideal terms do not depend on T, so for one composition ln K = a + (b + c P) / T
// exactly (c = 0 unless a model has W_V: of the seven, Berman 1990 only). A Monte-Carlo run's
// random change of a W adds to W_H and keeps the form. The barometer P = A + B T + C T ln K is
// then a straight line in T, and each intersection the meeting of two straight lines.
struct lnk_form {
    double a, b, c;
    constexpr double at(double t_k, double p_kbar) const { return a + (b + c * p_kbar) / t_k; }
};

// Where ln K is evaluated to find its form: (t1, p1), (t2, p1), with depends_on_p also (t1, p2),
// and (check_t, check_p) to confirm it; the answers of a sample lie between.
struct fit_points {
    bool depends_on_p = false;
    double t1_k = 500 + 273.15, t2_k = 1000 + 273.15;
    double p1_kbar = 15, p2_kbar = 35;
    double check_t_k = 750 + 273.15, check_p_kbar = 25;
};

// The form through 2 (3 with depends_on_p) values of lnk; no value when one of them has none.
outcome<lnk_form> fit(const lnk_function &lnk, const fit_points &at = {});
// |lnk - form| at the check point, one more evaluation; NaN when lnk has no value there.
double misfit(const lnk_function &lnk, const lnk_form &form, const fit_points &at = {});

// The barometer as a line P(T) = p0 + dp_dt T for ln K of that form; no value when the
// pressure term cancels (1 - C c = 0).
struct barometer_line {
    double p0, dp_dt;
};
outcome<barometer_line> barometer(const lnk_form &form);

// The meeting point of a thermometer and the barometer with ln K of that form, in closed form.
// No value when they are parallel, or the point lies outside t_min_k..t_max_k.
outcome<pt> intersect(const line &thermometer, const lnk_form &form);

// The same by iteration on any lnk (secant on P, one lnk evaluation a step) from p_start_kbar:
// T = thermometer(P) and P = barometer(T, lnk(T, P)), converged when successive steps move T
// less than t_tol_k and P less than p_tol_kbar. No value when lnk has none on the way, after
// max_steps without convergence, or outside t_min_k..t_max_k.
struct solver_options {
    double t_tol_k = 0.01, p_tol_kbar = 0.001;
    int max_steps = 50;
};
outcome<pt> intersect(const line &thermometer, const lnk_function &lnk, double p_start_kbar,
                      const solver_options &how = {});

// Every calibration against the barometer for one sample or Monte-Carlo run: lnk is fitted once
// (2 or 3 evaluations) and confirmed at the check point (1 more); the intersections are then
// in closed form: 3 evaluations, 4 with depends_on_p. Where the check fails (misfit above
// 1e-9, e.g. depends_on_p false for a model with W_V) each intersection is iterated instead,
// from the closed-form answer (about 3 more evaluations each); where the fit has no value, from
// the middle of p1..p2. A calibration without its mineral pair has the pair's reason.
std::array<outcome<pt>, n_calibrations> intersect_all(const outcome<exchange> &cpx_pair,
                                                      const outcome<exchange> &phe_pair,
                                                      const lnk_function &lnk,
                                                      const fit_points &at = {});

// The same in two steps, so that other thermometers (Zr in rutile) meet the barometer of the
// same fit: ln K fitted and checked once, then each thermometer against it, in closed form
// where the fit is exact, else iterated from the closed-form answer.
struct fitted {
    outcome<lnk_form> form;
    bool closed = false;
};
fitted fit_checked(const lnk_function &lnk, const fit_points &at = {});
outcome<pt> intersect(const line &thermometer, const lnk_function &lnk, const fitted &f,
                      const fit_points &at = {});
std::array<outcome<pt>, n_calibrations> intersect_all(const outcome<exchange> &cpx_pair,
                                                      const outcome<exchange> &phe_pair,
                                                      const lnk_function &lnk, const fitted &f,
                                                      const fit_points &at = {});

} // namespace varno96::thermometry
