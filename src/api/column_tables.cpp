// The tables of columns: every column's name, unit, digits, meaning, the options that bring it
// and how its cell is made from a result, in one place.
#include "api/columns.hpp"

#include "api/combine.hpp"
#include "api/plausibility.hpp"
#include "api/sample.hpp"

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

// Why a row has no result, or what its reading and calculation noted.
std::string note_of(src s) {
    if (!s.u.problem.empty()) return s.u.problem;
    std::string note = s.u.note;
    append(note, s.r.note);
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

// The intersection of thermometer k in a run of pass 2 of the pairs file.
std::optional<std::pair<double, double>> run_met(src s) {
    const pass_result &p = (*s.r.passes)[static_cast<std::size_t>(s.pass - 1)];
    if (s.run < p.intersections.size() && s.k < p.intersections[s.run].size())
        return p.intersections[s.run][s.k];
    return std::nullopt;
}

const std::pair<double, double> &run_pair(src s) {
    return (*s.r.passes)[static_cast<std::size_t>(s.pass - 1)].pairs[s.run];
}

using col = column;
constexpr auto mc = &batch_options::monte_carlo;
constexpr auto combine = &batch_options::combine;
constexpr auto thermometers = &batch_options::thermometers;
constexpr auto formulae = &batch_options::formulae;
constexpr auto minerals = column_over::mineral;
constexpr auto each_key = column_over::thermometer;

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
     .value = [](src s) { return at(s, 0, &table_row::p_kbar); }},
    {.name = "P_plus50_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure at T_C + 50 °C.",
     .value = [](src s) { return at(s, 2, &table_row::p_kbar); }},
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
    {.name = "T_powell_C",
     .unit = "°C",
     .meaning = "The Powell (1985) temperature at the pressure found at the trial temperature, one "
                "step as the dialogue gives it; empty without a value. T_P85_C is where the same "
                "calibration meets the barometer, so the two differ a little.",
     .value = [](src s) { return s.ok ? s.r.t_powell : opt(); }},
    {.name = "note",
     .kind = col::text,
     .meaning = "Why a sample has no result (its numbers are then empty), a Powell temperature "
                "outside 100–1200 °C, Monte-Carlo runs left out and why, or what makes a result "
                "suspect: an oxide above 100 wt%, a total or a cation sum off, a ferric estimate "
                "of most of the iron, a temperature outside 200–1500 °C or a pressure outside "
                "0–100 kbar.",
     .text = note_of,
     .role = column_role::note},
    {.name = "n_{mineral}",
     .kind = col::integer,
     .meaning = "How many garnet, clinopyroxene and phengite analyses were averaged.",
     .by = combine,
     .by_value = "mean",
     .over = minerals,
     .value = [](src s) { return opt(s.u.count[s.k]); }},
    // Not "cpx": that column already names the clinopyroxene model.
    {.name = "{mineral}_label",
     .kind = col::text,
     .meaning = "The label of the row’s garnet, clinopyroxene and phengite analysis, or its line.",
     .by = combine,
     .by_value = "each",
     .over = minerals,
     .text = [](src s) { return s.u.labels[s.k]; },
     .role = column_role::label},
    {.name = "mc_seed",
     .kind = col::integer,
     .meaning = "The Monte-Carlo seed, −99 to −1: the same seed gives the same runs.",
     .by = mc,
     .value = [](src s) { return opt(s.how.seed); }},
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
     .value = [](src s) { return pass(s, 1).p_mean; }},
    {.name = "P2_sd_kbar",
     .unit = "kbar",
     .decimals = 3,
     .meaning = "The standard deviation of P in pass 2.",
     .by = mc,
     .value = [](src s) { return pass(s, 1).p_sd; }},
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
     .value = [](src s) { return pass(s, 1).t_mean; }},
    {.name = "T2_sd_C",
     .unit = "°C",
     .meaning = "The standard deviation of T in pass 2, with the Powell temperature only.",
     .by = mc,
     .value = [](src s) { return pass(s, 1).t_sd; }},
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
     .value = [](src s) { return met(s).t_c; }},
    {.name = "P_{key}_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "Where the thermometer meets the barometer: P.",
     .by = thermometers,
     .over = each_key,
     .value = [](src s) { return met(s).p_kbar; }},
    {.name = "T_{key}_sd_C",
     .unit = "°C",
     .decimals = 1,
     .meaning = "The standard deviation of that T over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).t_sd; }},
    {.name = "P_{key}_sd_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The standard deviation of that P over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).p_sd; }},
    {.name = "rho_{key}",
     .decimals = 3,
     .meaning = "The correlation of that T and P over the runs of pass 2.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return met(s).rho; }},
    {.name = "n_{key}",
     .kind = col::integer,
     .meaning = "The runs of pass 2 (of 200) with that intersection, over which its spreads are "
                "taken; under 100, the note says why the others have none.",
     .by = thermometers,
     .also = mc,
     .over = each_key,
     .value = [](src s) { return s.ok && s.r.passes ? opt(met(s).runs) : opt(); },
     .may_be_empty = true},
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

const column_spec pair_table[] = {
    {.name = "file",
     .kind = col::text,
     .meaning = "The file the sample was read from.",
     .text = [](src s) { return s.u.in->file; },
     .role = column_role::file},
    {.name = "sample",
     .kind = col::text,
     .meaning = "The sample, as named in its table.",
     .text = [](src s) { return s.u.in->name; },
     .role = column_role::sample},
    {.name = "pass",
     .kind = col::integer,
     .meaning = "The Monte-Carlo pass: 1, the analyses perturbed; 2, the mixing parameters too.",
     .value = [](src s) { return opt(s.pass); },
     .role = column_role::pass},
    {.name = "T_C",
     .unit = "°C",
     .meaning = "The temperature of the run.",
     .value = [](src s) { return opt(run_pair(s).first); },
     .role = column_role::temperature},
    {.name = "P_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure of the run.",
     .value = [](src s) { return opt(run_pair(s).second); },
     .role = column_role::pressure},
    {.name = "{mineral}_label",
     .kind = col::text,
     .meaning = "The label of the row’s garnet, clinopyroxene and phengite analysis, or its line.",
     .by = combine,
     .by_value = "each",
     .over = minerals,
     .text = [](src s) { return s.u.labels[s.k]; },
     .role = column_role::label},
    // The intersections of the run, pass 2 only, with the digits of the table.
    {.name = "T_{key}_C",
     .unit = "°C",
     .decimals = 1,
     .meaning = "Where the thermometer meets the barometer in the run: T (pass 2 only).",
     .by = thermometers,
     .over = each_key,
     .value =
         [](src s) {
             const auto x = run_met(s);
             return x ? opt(x->first) : opt();
         }},
    {.name = "P_{key}_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "Where the thermometer meets the barometer in the run: P (pass 2 only).",
     .by = thermometers,
     .over = each_key,
     .value =
         [](src s) {
             const auto x = run_met(s);
             return x ? opt(x->second) : opt();
         }},
};

} // namespace

std::span<const column_spec> result_column_table() { return result_table; }
std::span<const column_spec> pair_column_table() { return pair_table; }

} // namespace varno96
