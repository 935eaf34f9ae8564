// The table of the result's columns: every column's name, unit, digits, meaning, the options
// that bring it and how its cell is made from a result, in one place (the pairs file's columns
// are in pair_columns.cpp).
#include "api/columns.hpp"
#include "api/label_columns.hpp"

#include "api/combine.hpp"
#include "api/plausibility.hpp"
#include "api/sample.hpp"
#include "thermometry/jadeite.hpp"

#include <optional>
#include <string>
#include <utility>

namespace varno96 {

namespace {

using opt = std::optional<double>;
using src = const cell_source &;

void append(std::string &to, const std::string &what) {
    if (what.empty()) return;
    to += (to.empty() ? "" : "; ") + what;
}

// The lowest pressure of a row with a result, at T_C, from its clinopyroxene's formula.
thermometry::outcome<thermometry::lowest_pressure> lowest(src s) {
    if (!s.ok || !s.r.formulae[1]) return {{}, "no result"};
    return thermometry::lowest_pressure_jd(s.r.formulae[1]->cat, s.how.one_site, s.r.rows[1].t_c);
}

// Why a row with a result has no lowest pressure.
std::string lowest_pressure_note(src s) {
    if (!s.ok || !s.r.formulae[1]) return {};
    const auto p = lowest(s);
    return p ? std::string() : "P_min_jd: " + std::string(p.why);
}

// Why a row has no result, or what its reading and calculation noted.
std::string note_of(src s) {
    if (!s.u.problem.empty()) return s.u.problem;
    std::string note = s.u.note;
    append(note, s.r.note);
    append(note, lowest_pressure_note(s));
    for (const std::string &suspect : plausibility_notes(s.u, s.r, s.how)) append(note, suspect);
    if (s.r.ok)
        for (std::size_t k = 0; k < s.o.thermometers.size() && k < s.r.intersections.size(); k++)
            if (!s.r.intersections[k].note.empty())
                append(note, std::string(thermometry::about(s.o.thermometers[k]).name) + ": " +
                                 s.r.intersections[k].note);
    return note;
}

// The middle row of the table (at T) and the rows 50 degrees either side, of a row with a
// result.
opt at(src s, std::size_t row, double table_row::*field) {
    return s.ok ? opt(s.r.rows[row].*field) : opt();
}

// A Monte-Carlo pass of a row with a result.
const pass_result &pass(src s, std::size_t j) {
    static const pass_result blank;
    return s.ok && s.r.passes ? (*s.r.passes)[j] : blank;
}

const intersection &met(src s) {
    static const intersection blank;
    return s.ok && s.k < s.r.intersections.size() ? s.r.intersections[s.k] : blank;
}

// The formula of the row's mineral, when it was recalculated.
const formula *formula_of(src s) {
    const auto &m = s.r.formulae[s.k];
    return s.u.problem.empty() && m ? &*m : nullptr;
}

using col = column;
constexpr auto mc = &batch_options::monte_carlo;
constexpr auto combine = &batch_options::combine;
constexpr auto thermometers = &batch_options::thermometers;
constexpr auto formulae = &batch_options::formulae;
constexpr auto minerals = column_over::mineral;
constexpr auto each_key = column_over::thermometer;

using role = column_role;

// Where the runs lie: a statistic of a series of pass 2, and of a thermometer's intersections.
template <run_centre pass_result::*series, std::optional<double> run_centre::*stat>
opt of_pass2(src s) {
    return (pass(s, 1).*series).*stat;
}
template <run_centre intersection::*series, std::optional<double> run_centre::*stat>
opt of_met(src s) {
    return (met(s).*series).*stat;
}
constexpr column_spec pass2_stat(std::string_view name, std::string_view unit, int decimals,
                                 std::string_view meaning, opt (*value)(src), column_role r) {
    return {.name = name,
            .unit = unit,
            .decimals = decimals,
            .meaning = meaning,
            .by = mc,
            .value = value,
            .role = r};
}
constexpr column_spec met_stat(std::string_view name, std::string_view unit, int decimals,
                               std::string_view meaning, opt (*value)(src), column_role r) {
    return {.name = name,
            .unit = unit,
            .decimals = decimals,
            .meaning = meaning,
            .by = thermometers,
            .also = mc,
            .over = each_key,
            .value = value,
            .role = r};
}
constexpr auto p2 = &pass_result::p_runs, t2 = &pass_result::t_runs;
constexpr auto met_t = &intersection::t_runs, met_p = &intersection::p_runs;
constexpr auto p16 = &run_centre::p16, p50 = &run_centre::p50, p84 = &run_centre::p84,
               mean = &run_centre::mean;
const column_spec result_table[] = {
    {.name = "file",
     .kind = col::text,
     .meaning = "The file the sample was read from (a workbook with its sheet in brackets), or "
                "“pasted cells”.",
     .text = [](src s) { return s.u.in->file; },
     .role = column_role::file},
    {.name = "sample",
     .kind = col::text,
     .meaning =
         "The sample, as named in its table (with “each combination”, one row per combination).",
     .text = [](src s) { return s.u.in->name; },
     .role = column_role::sample},
    {.name = "model",
     .kind = col::integer,
     .meaning = "The garnet mixing model, by its number in the list of models.",
     .value = [](src s) { return opt(s.how.model); }},
    {.name = "cpx",
     .kind = col::text,
     .meaning = "The clinopyroxene model: 2-site (disordered, the default) or 1-site.",
     .text = [](src s) { return std::string(s.how.one_site ? "1-site" : "2-site"); }},
    {.name = "T_C",
     .unit = "°C",
     .meaning = "The temperature of the result: the trial temperature, the Powell temperature or "
                "the table’s other temperature.",
     .value = [](src s) { return at(s, 1, &table_row::t_c); },
     .role = column_role::temperature},
    {.name = "P_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure at T_C.",
     .value = [](src s) { return at(s, 1, &table_row::p_kbar); },
     .role = column_role::pressure},
    {.name = "P_minus50_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure at T_C − 50 °C.",
     .value = [](src s) { return at(s, 0, &table_row::p_kbar); },
     .role = role::pressure_minus50},
    {.name = "P_plus50_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure at T_C + 50 °C.",
     .value = [](src s) { return at(s, 2, &table_row::p_kbar); },
     .role = role::pressure_plus50},
    {.name = "lna_prp",
     .decimals = 4,
     .meaning = "ln a(pyrope) of the garnet at T_C, from the garnet model.",
     .value = [](src s) { return at(s, 1, &table_row::lna_prp); }},
    {.name = "lna_grs",
     .decimals = 4,
     .meaning = "ln a(grossular) of the garnet at T_C, from the garnet model.",
     .value = [](src s) { return at(s, 1, &table_row::lna_grs); }},
    {.name = "lna_di",
     .decimals = 4,
     .meaning = "ln a(diopside) of the clinopyroxene at T_C, from the one-site or two-site model.",
     .value = [](src s) { return at(s, 1, &table_row::lna_di); }},
    {.name = "lna_mica",
     .decimals = 4,
     .meaning = "ln [a(muscovite)/a(celadonite)] of the phengite (ideal mixing).",
     .value = [](src s) { return at(s, 1, &table_row::lna_mica); }},
    {.name = "lnK",
     .decimals = 4,
     .meaning = "ln K of pyrope + 2 grossular + 3 celadonite = 6 diopside + 3 muscovite at T_C.",
     .value = [](src s) { return at(s, 1, &table_row::lnk); }},
    {.name = "lna_jd",
     .decimals = 4,
     .meaning = "ln a(jadeite) of the clinopyroxene for P_min_jd_kbar: ideal mixing on its "
                "sites, X_Na(M2) × X_Al(M1) (with the one-site model the smaller of the two), "
                "the same at every temperature.",
     .value =
         [](src s) {
             const auto p = lowest(s);
             return p ? opt(p.value->ln_a_jd) : opt();
         },
     .role = role::ln_a_jd},
    {.name = "P_min_jd_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The lowest pressure of a rock with quartz and without albite at T_C: albite = "
                "jadeite + quartz (Holland 1980), P (bar) = 350 + 26.5 T(°C) − R T(K) ln(a_ab / "
                "a_jd) / 1.734, with this a(jd) and a(albite) = 1; empty without a(jd) (the note "
                "says why).",
     .value =
         [](src s) {
             const auto p = lowest(s);
             return p ? opt(p.value->p_kbar) : opt();
         },
     .role = role::lowest_pressure},
    {.name = "T_powell_C",
     .unit = "°C",
     .meaning = "The Powell (1985) temperature at the pressure found at the trial temperature, one "
                "step as the dialogue gives it; empty without a value. T_P85_C is where the same "
                "calibration meets the barometer, so the two differ a little.",
     .value = [](src s) { return s.ok ? s.r.t_powell : opt(); }},
    {.name = "note",
     .kind = col::text,
     .meaning =
         "Why a sample has no result (its numbers are then empty), a Powell temperature "
         "outside 100–1200 °C, Monte-Carlo runs left out or without a value and why, a "
         "value as entered outside the 16th to 84th percentiles of its runs, or what makes a "
         "result suspect: an oxide above 100 wt%, a total or a cation sum off, a ferric "
         "estimate of most of the iron, a temperature outside 200–1500 °C or a pressure "
         "outside 0–100 kbar.",
     .text = note_of,
     .role = column_role::note},
    {.name = "n_{mineral}",
     .kind = col::integer,
     .meaning = "How many garnet, clinopyroxene and phengite analyses were averaged.",
     .by = combine,
     .by_value = "mean",
     .over = minerals,
     .value = [](src s) { return opt(s.u.count[s.k]); }},
    mineral_label_column,
    rutile_label_column,
    {.name = "mc_seed",
     .kind = col::integer,
     .meaning = "The Monte-Carlo seed, −99 to −1: the same seed gives the same runs.",
     .by = mc,
     .value = [](src s) { return opt(s.how.seed); },
     .role = role::seed},
    {.name = "P1_mean_kbar",
     .unit = "kbar",
     .decimals = 3,
     .meaning = "The mean of P in Monte-Carlo pass 1 (the analyses perturbed).",
     .by = mc,
     .value = [](src s) { return pass(s, 0).p_mean; }},
    {.name = "P1_sd_kbar",
     .unit = "kbar",
     .decimals = 3,
     .meaning = "The standard deviation of P in Monte-Carlo pass 1.",
     .by = mc,
     .value = [](src s) { return pass(s, 0).p_sd; }},
    {.name = "P2_mean_kbar",
     .unit = "kbar",
     .decimals = 3,
     .meaning = "The mean of P in pass 2 (the analyses and the mixing parameters perturbed).",
     .by = mc,
     .value = [](src s) { return pass(s, 1).p_mean; },
     .role = role::p_mean},
    {.name = "P2_sd_kbar",
     .unit = "kbar",
     .decimals = 3,
     .meaning = "The standard deviation of P in pass 2.",
     .by = mc,
     .value = [](src s) { return pass(s, 1).p_sd; },
     .role = role::p_sd},
    pass2_stat("P2_p16_kbar", "kbar", 3,
               "The 16th percentile of P over the runs of pass 2 with a value: linear between "
               "their order statistics (Hyndman & Fan 1996, type 7, numpy.percentile's "
               "default), so that the Monte-Carlo pairs file gives it.",
               of_pass2<p2, p16>, role::p_p16),
    pass2_stat("P2_p50_kbar", "kbar", 3, "The median of P in pass 2, by the same definition.",
               of_pass2<p2, p50>, role::p_p50),
    pass2_stat("P2_p84_kbar", "kbar", 3,
               "The 84th percentile of P in pass 2: from the 16th to the 84th lie the middle 68 % "
               "of the runs.",
               of_pass2<p2, p84>, role::p_p84),
    {.name = "T1_mean_C",
     .unit = "°C",
     .meaning = "The mean of T in pass 1, with the Powell temperature only.",
     .by = mc,
     .value = [](src s) { return pass(s, 0).t_mean; }},
    {.name = "T1_sd_C",
     .unit = "°C",
     .meaning = "The standard deviation of T in pass 1, with the Powell temperature only.",
     .by = mc,
     .value = [](src s) { return pass(s, 0).t_sd; }},
    {.name = "T2_mean_C",
     .unit = "°C",
     .meaning = "The mean of T in pass 2, with the Powell temperature only.",
     .by = mc,
     .value = [](src s) { return pass(s, 1).t_mean; },
     .role = role::t_mean},
    {.name = "T2_sd_C",
     .unit = "°C",
     .meaning = "The standard deviation of T in pass 2, with the Powell temperature only.",
     .by = mc,
     .value = [](src s) { return pass(s, 1).t_sd; },
     .role = role::t_sd},
    pass2_stat("T2_p16_C", "°C", 0,
               "The 16th percentile of T in pass 2 (as P2_p16_kbar), with the Powell "
               "temperature only.",
               of_pass2<t2, p16>, role::t_p16),
    pass2_stat("T2_p50_C", "°C", 0, "The median of T in pass 2, with the Powell temperature only.",
               of_pass2<t2, p50>, role::t_p50),
    pass2_stat("T2_p84_C", "°C", 0,
               "The 84th percentile of T in pass 2, with the Powell temperature only.",
               of_pass2<t2, p84>, role::t_p84),
    pass2_stat(
        "rho2", "", 3,
        "The correlation of T and P over the runs of pass 2, with the Powell temperature "
        "only.",
        [](src s) { return pass(s, 1).rho; }, role::rho),
    {.name = "mc_left_out",
     .kind = col::integer,
     .meaning = "The Monte-Carlo runs of both passes (400) left out because a perturbed analysis "
                "had no value; the note says why. The runs perturb the analyses (by default as "
                "entered, ferric iron estimated afresh in each run) and, in pass 2, the mixing "
                "parameters; they leave out the thermometers' own calibration error.",
     .by = mc,
     .value =
         [](src s) {
             return s.ok && s.r.passes ? opt(pass(s, 0).left_out + pass(s, 1).left_out) : opt();
         },
     .may_be_empty = true},
    {.name = "T_{key}_C",
     .unit = "°C",
     .decimals = 1,
     .meaning = "Where the thermometer meets the barometer: T; empty when they do not meet within "
                "200–1500 °C or the minerals give no K_D (the note says why).",
     .by = thermometers,
     .over = each_key,
     .value = [](src s) { return met(s).t_c; },
     .role = role::temperature},
    {.name = "P_{key}_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "Where the thermometer meets the barometer: P.",
     .by = thermometers,
     .over = each_key,
     .value = [](src s) { return met(s).p_kbar; },
     .role = role::pressure},
    met_stat("T_{key}_mean_C", "°C", 1,
             "The mean of that T over the runs of pass 2 with an intersection, the runs of its "
             "standard deviation; empty, as all its spreads, where T_{key}_C is.",
             of_met<met_t, mean>, role::t_mean),
    {.name = "T_{key}_sd_C",
     .unit = "°C",
     .decimals = 1,
     .meaning = "The standard deviation of that T over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).t_sd; },
     .role = role::t_sd},
    met_stat("T_{key}_p16_C", "°C", 1,
             "The 16th percentile of that T over those runs: linear between their order "
             "statistics (Hyndman & Fan 1996, type 7, numpy.percentile's default), so that the "
             "Monte-Carlo pairs file gives it.",
             of_met<met_t, p16>, role::t_p16),
    met_stat("T_{key}_p50_C", "°C", 1, "The median of that T over those runs.", of_met<met_t, p50>,
             role::t_p50),
    met_stat("T_{key}_p84_C", "°C", 1,
             "The 84th percentile of that T: from the 16th to the 84th lie the middle 68 % of the "
             "runs.",
             of_met<met_t, p84>, role::t_p84),
    met_stat("P_{key}_mean_kbar", "kbar", 2, "The mean of that P over the runs of pass 2.",
             of_met<met_p, mean>, role::p_mean),
    {.name = "P_{key}_sd_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The standard deviation of that P over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).p_sd; },
     .role = role::p_sd},
    met_stat("P_{key}_p16_kbar", "kbar", 2, "The 16th percentile of that P (as T_{key}_p16_C).",
             of_met<met_p, p16>, role::p_p16),
    met_stat("P_{key}_p50_kbar", "kbar", 2, "The median of that P.", of_met<met_p, p50>,
             role::p_p50),
    met_stat("P_{key}_p84_kbar", "kbar", 2, "The 84th percentile of that P.", of_met<met_p, p84>,
             role::p_p84),
    {.name = "rho_{key}",
     .decimals = 3,
     .meaning = "The correlation of that T and P over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).rho; },
     .role = role::rho},
    {.name = "n_{key}",
     .kind = col::integer,
     .meaning = "The runs of pass 2 (of 200) with that intersection, over which its spreads are "
                "taken; when any has none, the note says how many and why.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return s.ok && s.r.passes ? opt(met(s).runs) : opt(); },
     .may_be_empty = true,
     .role = role::runs},
    {.name = "{mineral}_{oxide}",
     .unit = "wt%",
     .decimals = 2,
     .meaning =
         "Each mineral’s oxides, Fe2O3 as estimated by charge balance (none with --ferric none).",
     .by = formulae,
     .over = minerals,
     .elements = column_elements::oxide,
     .value =
         [](src s) {
             const formula *f = formula_of(s);
             return f ? opt(f->wt[s.i]) : opt();
         }},
    {.name = "{mineral}_total",
     .unit = "wt%",
     .decimals = 2,
     .meaning = "The total of the mineral’s oxides.",
     .by = formulae,
     .over = minerals,
     .value =
         [](src s) {
             const formula *f = formula_of(s);
             return f ? opt(f->total) : opt();
         }},
    {.name = "{mineral}_{cation}",
     .unit = "apfu",
     .decimals = 3,
     .meaning =
         "Cations per formula unit: garnet on 12, clinopyroxene on 6, phengite on 11 oxygens.",
     .by = formulae,
     .over = minerals,
     .elements = column_elements::cation,
     .value =
         [](src s) {
             const formula *f = formula_of(s);
             return f ? opt(f->cat[s.i]) : opt();
         }},
    {.name = "{mineral}_sum",
     .unit = "apfu",
     .decimals = 3,
     .meaning = "The sum of the mineral’s cations.",
     .by = formulae,
     .over = minerals,
     .value =
         [](src s) {
             const formula *f = formula_of(s);
             return f ? opt(f->sum) : opt();
         }},
};

} // namespace

std::span<const column_spec> result_column_table() { return result_table; }

} // namespace varno96
