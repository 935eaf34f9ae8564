#include "api/columns.hpp"

#include "api/table.hpp"
#include "io/textio.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <variant>

namespace varno96 {

namespace {

using opt = std::optional<double>;
using src = const cell_source &;
constexpr double none = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<const char *, 3> short_names{"grt", "cpx", "phe"};

void append(std::string &to, const std::string &what) {
    if (what.empty()) return;
    to += (to.empty() ? "" : "; ") + what;
}

// Why a row has no result, or what its reading and calculation noted.
std::string note_of(src s) {
    if (!s.u.problem.empty()) return s.u.problem;
    std::string note = s.u.note;
    append(note, s.r.note);
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

// clang-format off
const column_spec result_table[] = {
    {"file", {}, col::text, 0, "The file the sample was read from (a workbook with its sheet in brackets), or “pasted cells”.",
     {}, {}, {}, column_over::once, column_elements::none, nullptr, [](src s) { return s.u.in->file; }, false, column_role::file},
    {"sample", {}, col::text, 0, "The sample, as named in its table (with “each combination”, one row per combination).",
     {}, {}, {}, column_over::once, column_elements::none, nullptr, [](src s) { return s.u.in->name; }, false, column_role::sample},
    {"model", {}, col::integer, 0, "The garnet mixing model, by its number in the list of models.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return opt(s.how.model); }},
    {"cpx", {}, col::text, 0, "The clinopyroxene model: 2-site (disordered, the default) or 1-site.",
     {}, {}, {}, column_over::once, column_elements::none, nullptr,
     [](src s) { return std::string(s.how.one_site ? "1-site" : "2-site"); }},
    {"T_C", "°C", col::number, 0, "The temperature of the result: the trial temperature, the Powell temperature or the table’s other temperature.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::t_c); }, nullptr, false, column_role::temperature},
    {"P_kbar", "kbar", col::number, 2, "The pressure at T_C.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::p_kbar); }, nullptr, false, column_role::pressure},
    {"P_minus50_kbar", "kbar", col::number, 2, "The pressure at T_C − 50 °C.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 0, &table_row::p_kbar); }},
    {"P_plus50_kbar", "kbar", col::number, 2, "The pressure at T_C + 50 °C.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 2, &table_row::p_kbar); }},
    {"lna_prp", {}, col::number, 4, "ln a(pyrope) of the garnet at T_C, from the garnet model.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::lna_prp); }},
    {"lna_grs", {}, col::number, 4, "ln a(grossular) of the garnet at T_C, from the garnet model.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::lna_grs); }},
    {"lna_di", {}, col::number, 4, "ln a(diopside) of the clinopyroxene at T_C, from the one-site or two-site model.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::lna_di); }},
    {"lna_mica", {}, col::number, 4, "ln [a(muscovite)/a(celadonite)] of the phengite (ideal mixing).",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::lna_mica); }},
    {"lnK", {}, col::number, 4, "ln K of pyrope + 2 grossular + 3 celadonite = 6 diopside + 3 muscovite at T_C.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return at(s, 1, &table_row::lnk); }},
    {"T_powell_C", "°C", col::number, 0, "The Powell (1985) temperature at the pressure found at the trial temperature, one step as the dialogue gives it; empty without a value. T_P85_C is where the same calibration meets the barometer, so the two differ a little.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return s.ok ? s.r.t_powell : opt(); }},
    {"note", {}, col::text, 0, "Why a sample has no result (its numbers are then empty), a Powell temperature outside 100–1200 °C, or Monte-Carlo runs left out and why.",
     {}, {}, {}, column_over::once, column_elements::none, nullptr, note_of, false, column_role::note},
    {"n_{mineral}", {}, col::integer, 0, "How many garnet, clinopyroxene and phengite analyses were averaged.",
     combine, "mean", {}, minerals, column_elements::none, [](src s) { return opt(s.u.count[s.k]); }},
    // Not "cpx": that column already names the clinopyroxene model.
    {"{mineral}_label", {}, col::text, 0, "The label of the row’s garnet, clinopyroxene and phengite analysis, or its line.",
     combine, "each", {}, minerals, column_elements::none, nullptr, [](src s) { return s.u.labels[s.k]; }, false, column_role::label},
    {"mc_seed", {}, col::integer, 0, "The Monte-Carlo seed, −99 to −1: the same seed gives the same runs.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return opt(s.how.seed); }},
    {"P1_mean_kbar", "kbar", col::number, 3, "The mean of P in Monte-Carlo pass 1 (the analyses perturbed).",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 0).p_mean; }},
    {"P1_sd_kbar", "kbar", col::number, 3, "The standard deviation of P in Monte-Carlo pass 1.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 0).p_sd; }},
    {"P2_mean_kbar", "kbar", col::number, 3, "The mean of P in pass 2 (the analyses and the mixing parameters perturbed).",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 1).p_mean; }},
    {"P2_sd_kbar", "kbar", col::number, 3, "The standard deviation of P in pass 2.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 1).p_sd; }},
    {"T1_mean_C", "°C", col::number, 0, "The mean of T in pass 1, with the Powell temperature only.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 0).t_mean; }},
    {"T1_sd_C", "°C", col::number, 0, "The standard deviation of T in pass 1, with the Powell temperature only.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 0).t_sd; }},
    {"T2_mean_C", "°C", col::number, 0, "The mean of T in pass 2, with the Powell temperature only.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 1).t_mean; }},
    {"T2_sd_C", "°C", col::number, 0, "The standard deviation of T in pass 2, with the Powell temperature only.",
     mc, {}, {}, column_over::once, column_elements::none, [](src s) { return pass(s, 1).t_sd; }},
    {"mc_left_out", {}, col::integer, 0, "The Monte-Carlo runs of both passes (400) left out because a perturbed analysis had no value; the note says why. The runs perturb the analyses (by default as entered, ferric iron estimated afresh in each run) and, in pass 2, the mixing parameters; they leave out the thermometers' own calibration error.",
     mc, {}, {}, column_over::once, column_elements::none,
     [](src s) { return s.ok && s.r.passes ? opt(pass(s, 0).left_out + pass(s, 1).left_out) : opt(); },
     nullptr, true},
    {"T_{key}_C", "°C", col::number, 1, "Where the thermometer meets the barometer: T; empty when they do not meet within 200–1500 °C or the minerals give no K_D (the note says why).",
     thermometers, {}, {}, each_key, column_elements::none, [](src s) { return met(s).t_c; }},
    {"P_{key}_kbar", "kbar", col::number, 2, "Where the thermometer meets the barometer: P.",
     thermometers, {}, {}, each_key, column_elements::none, [](src s) { return met(s).p_kbar; }},
    {"T_{key}_sd_C", "°C", col::number, 1, "The standard deviation of that T over the runs of pass 2.",
     thermometers, {}, mc, each_key, column_elements::none, [](src s) { return met(s).t_sd; }},
    {"P_{key}_sd_kbar", "kbar", col::number, 2, "The standard deviation of that P over the runs of pass 2.",
     thermometers, {}, mc, each_key, column_elements::none, [](src s) { return met(s).p_sd; }},
    {"rho_{key}", {}, col::number, 3, "The correlation of that T and P over the runs of pass 2.",
     thermometers, {}, mc, each_key, column_elements::none, [](src s) { return met(s).rho; }},
    {"n_{key}", {}, col::integer, 0, "The runs of pass 2 (of 200) with that intersection, over which its spreads are taken; under 100, the note says why the others have none.",
     thermometers, {}, mc, each_key, column_elements::none,
     [](src s) { return s.ok && s.r.passes ? opt(met(s).runs) : opt(); }, nullptr, true},
    {"{mineral}_{oxide}", "wt%", col::number, 2, "Each mineral’s oxides, Fe2O3 as estimated by charge balance (none with --ferric none).",
     formulae, {}, {}, minerals, column_elements::oxide,
     [](src s) { const formula *f = formula_of(s); return f ? opt(f->wt[s.i]) : opt(); }},
    {"{mineral}_total", "wt%", col::number, 2, "The total of the mineral’s oxides.",
     formulae, {}, {}, minerals, column_elements::none,
     [](src s) { const formula *f = formula_of(s); return f ? opt(f->total) : opt(); }},
    {"{mineral}_{cation}", "apfu", col::number, 3, "Cations per formula unit: garnet on 12, clinopyroxene on 6, phengite on 11 oxygens.",
     formulae, {}, {}, minerals, column_elements::cation,
     [](src s) { const formula *f = formula_of(s); return f ? opt(f->cat[s.i]) : opt(); }},
    {"{mineral}_sum", "apfu", col::number, 3, "The sum of the mineral’s cations.",
     formulae, {}, {}, minerals, column_elements::none,
     [](src s) { const formula *f = formula_of(s); return f ? opt(f->sum) : opt(); }},
};

const column_spec pair_table[] = {
    {"file", {}, col::text, 0, "The file the sample was read from.",
     {}, {}, {}, column_over::once, column_elements::none, nullptr, [](src s) { return s.u.in->file; }, false, column_role::file},
    {"sample", {}, col::text, 0, "The sample, as named in its table.",
     {}, {}, {}, column_over::once, column_elements::none, nullptr, [](src s) { return s.u.in->name; }, false, column_role::sample},
    {"pass", {}, col::integer, 0, "The Monte-Carlo pass: 1, the analyses perturbed; 2, the mixing parameters too.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return opt(s.pass); }, nullptr, false, column_role::pass},
    {"T_C", "°C", col::number, 0, "The temperature of the run.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return opt(run_pair(s).first); }, nullptr, false, column_role::temperature},
    {"P_kbar", "kbar", col::number, 2, "The pressure of the run.",
     {}, {}, {}, column_over::once, column_elements::none, [](src s) { return opt(run_pair(s).second); }, nullptr, false, column_role::pressure},
    {"{mineral}_label", {}, col::text, 0, "The label of the row’s garnet, clinopyroxene and phengite analysis, or its line.",
     combine, "each", {}, minerals, column_elements::none, nullptr, [](src s) { return s.u.labels[s.k]; }, false, column_role::label},
    // The intersections of the run, pass 2 only, with the digits of the table.
    {"T_{key}_C", "°C", col::number, 1, "Where the thermometer meets the barometer in the run: T (pass 2 only).",
     thermometers, {}, {}, each_key, column_elements::none,
     [](src s) { const auto x = run_met(s); return x ? opt(x->first) : opt(); }},
    {"P_{key}_kbar", "kbar", col::number, 2, "Where the thermometer meets the barometer in the run: P (pass 2 only).",
     thermometers, {}, {}, each_key, column_elements::none,
     [](src s) { const auto x = run_met(s); return x ? opt(x->second) : opt(); }},
};
// clang-format on

// An entry's condition resolved once: the options of its fields, the value asked for, and
// where its family of entries ends.
struct condition {
    const option_spec *by = nullptr, *also = nullptr;
    std::optional<batch_options> value; // with by_value: the options with only that value set
    std::size_t last = 0;               // one past the family that starts at this entry
};

std::vector<condition> conditions_of(std::span<const column_spec> table) {
    std::vector<condition> out(table.size());
    for (std::size_t j = 0; j < table.size(); j++) {
        const column_spec &c = table[j];
        condition &k = out[j];
        if (c.by) k.by = &option_of(*c.by);
        if (c.also) k.also = &option_of(*c.also);
        if (!c.by_value.empty()) {
            k.value = batch_options{};
            set_option(*k.by, *k.value, std::string(c.by_value));
        }
        k.last = j + 1;
        if (c.over != column_over::once)
            while (k.last < table.size() && table[k.last].over == c.over &&
                   table[k.last].by == c.by && table[k.last].by_value == c.by_value)
                k.last++;
    }
    return out;
}

const std::vector<condition> &conditions(std::span<const column_spec> table) {
    static const std::vector<condition> result = conditions_of(result_table),
                                        pairs = conditions_of(pair_table);
    return table.data() == result_table ? result : pairs;
}

bool brings(const condition &k, const std::optional<batch_options> &o) {
    if (!o) return true;
    if (k.by && !option_given(*k.by, *o)) return false;
    if (k.value && !std::visit([&](auto f) { return (*k.value).*f == (*o).*f; }, k.by->field))
        return false;
    return !k.also || option_given(*k.also, *o);
}

// Calls f(entry, k, i) for each column of `table` under `o` in order (every column with `o`
// empty): a family over the minerals or the thermometers repeats its entries for each.
template <typename F>
void each_column(std::span<const column_spec> table, const std::optional<batch_options> &o,
                 const F &f) {
    const std::vector<condition> &when = conditions(table);
    const std::size_t n_keys = o ? o->thermometers.size() : thermometry::n_calibrations;
    for (std::size_t first = 0; first < table.size();) {
        const column_spec &head = table[first];
        const std::size_t last = when[first].last;
        const std::size_t times = head.over == column_over::once      ? 1
                                  : head.over == column_over::mineral ? short_names.size()
                                                                      : n_keys;
        // Whether each entry of the family is in the table, once for all its repeats.
        std::array<bool, 8> in{};
        for (std::size_t j = first; j < last; j++) in.at(j - first) = brings(when[j], o);
        for (std::size_t k = 0; k < times; k++)
            for (std::size_t j = first; j < last; j++) {
                const column_spec &c = table[j];
                if (!in[j - first]) continue;
                if (c.elements == column_elements::none)
                    f(c, k, 0);
                else
                    for (int i = 1; i <= NEL; i++) f(c, k, i);
            }
        first = last;
    }
}

std::string name_of(const column_spec &c, std::size_t k, int i,
                    const std::optional<batch_options> &o) {
    std::string name(c.name);
    const auto put = [&](std::string_view field, std::string_view text) {
        if (const std::size_t at = name.find(field); at != std::string::npos)
            name.replace(at, field.size(), text);
    };
    if (c.over == column_over::mineral) put("{mineral}", short_names[k]);
    if (c.over == column_over::thermometer)
        put("{key}",
            thermometry::about(o ? o->thermometers[k] : thermometry::calibrations[k].id).name);
    if (c.elements == column_elements::oxide)
        put("{oxide}", oxide_names[static_cast<std::size_t>(i - 1)]);
    if (c.elements == column_elements::cation)
        put("{cation}", cation_names[static_cast<std::size_t>(i - 1)]);
    return name;
}

std::vector<column> columns_of(std::span<const column_spec> table,
                               const std::optional<batch_options> &o) {
    std::vector<column> cols;
    each_column(table, o, [&](const column_spec &c, std::size_t k, int i) {
        cols.push_back({name_of(c, k, i, o), c.kind, &c, k, i});
    });
    return cols;
}

cell cell_of(const column_spec &c, const cell_source &s) {
    if (c.text) return {cell_text(c.text(s)), none}; // names and notes: control characters escaped
    const opt x = c.value(s);
    if (!x || !std::isfinite(*x)) return {{}, none};
    if (c.kind == column::integer) return {std::to_string(static_cast<long long>(*x)), *x};
    // Fixed notation with the report's decimals.
    return {FMT(*x, 0, c.decimals), *x};
}

} // namespace

const char *role_name(column_role role) {
    switch (role) {
    case column_role::none:
        return "";
    case column_role::file:
        return "file";
    case column_role::sample:
        return "sample";
    case column_role::label:
        return "label";
    case column_role::pass:
        return "pass";
    case column_role::temperature:
        return "temperature";
    case column_role::pressure:
        return "pressure";
    case column_role::note:
        return "note";
    }
    return "";
}

std::span<const column_spec> result_column_table() { return result_table; }
std::span<const column_spec> pair_column_table() { return pair_table; }

std::vector<column> result_columns(const std::optional<batch_options> &o) {
    return columns_of(result_table, o);
}

std::vector<column> pair_columns(const batch_options &o) { return columns_of(pair_table, o); }

std::vector<cell> result_cells(const sample_unit &u, const sample_result &r, const choices &how,
                               const batch_options &o) {
    std::vector<cell> cells;
    cell_source s{u, r, how, o, u.problem.empty() && r.ok};
    each_column(result_table, o, [&](const column_spec &c, std::size_t k, int i) {
        s.k = k, s.i = i;
        cells.push_back(cell_of(c, s));
    });
    return cells;
}

std::vector<std::vector<cell>> pair_cells(const sample_unit &u, const sample_result &r,
                                          const batch_options &o) {
    std::vector<std::vector<cell>> rows;
    if (!u.problem.empty() || !r.ok || !r.passes) return rows;
    const choices how{};
    cell_source s{u, r, how, o, true};
    rows.reserve((*r.passes)[0].pairs.size() + (*r.passes)[1].pairs.size());
    std::size_t width = 0;
    for (s.pass = 1; s.pass <= 2; s.pass++)
        for (s.run = 0; s.run < (*r.passes)[static_cast<std::size_t>(s.pass - 1)].pairs.size();
             s.run++) {
            std::vector<cell> row;
            row.reserve(width);
            each_column(pair_table, o, [&](const column_spec &c, std::size_t k, int i) {
                s.k = k, s.i = i;
                row.push_back(cell_of(c, s));
            });
            width = row.size();
            rows.push_back(std::move(row));
        }
    return rows;
}

std::string column_meaning(const column &c, const std::optional<batch_options> &o) {
    std::string meaning(c.entry->meaning);
    if (c.entry->over == column_over::thermometer) {
        const thermometry::key k = o ? o->thermometers[c.k] : thermometry::calibrations[c.k].id;
        meaning += " " + std::string(thermometry::about(k).name) + ": " +
                   reference_text(thermometry::about(k).citation);
    }
    return meaning;
}

std::string brought_by(const column_spec &c) {
    std::string words;
    if (c.by) words = dashed(option_of(*c.by));
    if (!c.by_value.empty()) words += " " + std::string(c.by_value);
    if (c.also) words += " and " + dashed(option_of(*c.also));
    return words;
}

std::string columns_help(std::string_view pairs_file) {
    std::string keys, oxides, cations;
    for (const thermometry::calibration &k : thermometry::calibrations)
        keys += (keys.empty() ? "" : ", ") + std::string(k.name);
    for (const char *x : oxide_names) oxides += (oxides.empty() ? "" : ", ") + std::string(x);
    for (const char *x : cation_names) cations += (cations.empty() ? "" : ", ") + std::string(x);
    std::string text;
    const auto list = [&](std::span<const column_spec> table) {
        for (const column_spec &c : table) {
            // As the options are listed: the name, then its meaning from the 29th column.
            std::string tag = "  " + std::string(c.name), about(c.unit);
            if (c.kind == column::number)
                about += (about.empty() ? "" : ", ") + std::to_string(c.decimals) + " decimal" +
                         (c.decimals == 1 ? "" : "s");
            if (!about.empty()) tag += " (" + about + ")";
            const auto width = static_cast<std::size_t>(
                std::count_if(tag.begin(), tag.end(), [](char b) { return (b & 0xC0) != 0x80; }));
            text += tag +
                    (width + 2 <= 28 ? std::string(28 - width, ' ') : "\n" + std::string(28, ' '));
            text += std::string(c.meaning);
            if (c.by) text += " With " + brought_by(c) + ".";
            text += "\n";
        }
    };
    // A line "*Name*" starts a section of the manual page that help2man makes of --help.
    text += "*Columns*\nOf the CSV table:\n";
    list(result_table);
    text += "\nOf " + std::string(pairs_file) + ":\n";
    list(pair_table);
    text += "\nIn the names, {mineral} is grt, cpx or phe; {key} a thermometer's key (" + keys +
            "); {oxide} one of " + oxides + "; {cation} one of " + cations + ".\n";
    return text;
}

} // namespace varno96
