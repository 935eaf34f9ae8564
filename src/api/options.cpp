#include "api/options.hpp"

#include "io/textio.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <variant>

namespace varno96 {

// clang-format off
const std::array<option_spec, 14> batch_option_table{{
    {"model", "m", "model", "Garnet mixing model", option_kind::integer, 1, NMODELS, {}, "N", {},
     true, "Garnet mixing model, 1 to 7 (see the manual)", {}, {}, &batch_options::model,
     "How a(pyrope) and a(grossular) are computed from the garnet; the models and their "
     "references are under About, below the results.",
     "Choose a model…"},
    {"one-site", {}, "one_site", "One-site clinopyroxene", option_kind::flag, {}, {}, {}, {}, {},
     false, "One-site clinopyroxene (default: the disordered two-site model)",
     {}, {}, &batch_options::one_site,
     "a(di) as the smaller of Ca and X<sub>Mg,M1</sub>, ideal, instead of the disordered "
     "two-site model."},
    {"temperature", "t", "temperature", "Trial temperature (°C)", option_kind::number, {}, {}, {},
     "C", {}, true, "Trial temperature in degrees Celsius", {}, {}, &batch_options::temperature,
     "The temperature of the result, and the one at which the pressure for the Powell "
     "temperature is found."},
    {"powell", {}, "powell", "Powell (1985) temperature", option_kind::flag, {}, {}, {}, {}, {},
     false,
     "Use the Powell (1985) temperature, in the Monte-Carlo runs too; not with --at", "at", {},
     &batch_options::powell,
     "The result at the Powell (1985) garnet–clinopyroxene temperature instead of the trial "
     "temperature; each Monte-Carlo run takes its own."},
    {"at", {}, "at", "Table at another temperature (°C)", option_kind::number, {}, {},
     {}, "C", {}, false,
     "The table at this temperature (C) instead; the Powell estimate stays at the trial "
     "temperature's pressure",
     "powell", {}, &batch_options::at,
     "Optional: gives the result at this temperature instead; the trial temperature still gives the "
     "Powell temperature. Not with the Powell temperature."},
    {"uncertainty", "u", "uncertainty", "Analytical uncertainty (%)",
     option_kind::number, 0, {}, {}, "PCT", "1", false,
     "Analytical uncertainty, per cent of a 100 wt% total", {}, {}, &batch_options::uncertainty,
     "Per cent of a 100 wt% total, Monte-Carlo only: an oxide of w wt% is perturbed with a standard deviation of "
     "u·√(w/100) wt%."},
    {"monte-carlo", {}, "monte_carlo", "Monte-Carlo error propagation", option_kind::flag, {}, {},
     {}, {}, {}, false, "Monte-Carlo error propagation: two passes of 200 runs", {}, {},
     &batch_options::monte_carlo,
     "Two passes of 200 runs: pass 1 perturbs the analyses, pass 2 the mixing parameters too; "
     "gives the mean and spread of P (and T)."},
    {"seed", {}, "seed", "Monte-Carlo seed",
     option_kind::integer, -99, -1, {}, "N", {}, false,
     "Monte-Carlo seed from -99 to -1 instead of one drawn from the clock", {}, {},
     &batch_options::seed,
     "From −99 to −1, or empty for one from the clock. The same seed gives the same runs, so that a result can be repeated; the seed used is "
     "shown with the results."},
    {"combine", {}, "combine", "Several analyses of a mineral", option_kind::choice,
     {}, {}, "mean|each", "mean|each", {}, false,
     "Several analyses of a mineral in a sample: their mean, or each combination (default: no "
     "result)",
     {}, {}, &batch_options::combine,
     "Their oxide-by-oxide mean, or one row for each garnet × clinopyroxene × phengite "
     "combination.",
     "no result (the default)|their mean|each combination"},
    {"formulae", {}, "formulae", "Formulae columns", option_kind::flag, {}, {}, {}, {}, {}, false,
     "Add each mineral's recalculated analysis and cations per formula unit", {}, {},
     &batch_options::formulae,
     "Adds each mineral's recalculated oxides and cations per formula unit, to check phengite "
     "Si, omphacite Na and the cation sums."},
    {"thermometers", {}, "thermometers", "Thermometers intersected with the barometer",
     option_kind::list, {}, {}, "EG79|P85|K88|A94|KR00|KR78|GH82", "LIST", {}, false,
     "Where the barometer meets each of these thermometers, comma-separated, or all: EG79, P85, "
     "K88, A94, KR00 (garnet-clinopyroxene), KR78, GH82 (garnet-phengite)",
     {}, {}, &batch_options::thermometers,
     "Each one checked gives where it meets the barometer (columns T_<var>key</var>_C and "
     "P_<var>key</var>_kbar, with Monte-Carlo their spread), and on the diagram each sample's "
     "barometer line with a marker for each; references under About."},
    {"ferric", {}, "ferric", "Ferric iron of an analysis without Fe2O3", option_kind::choice, {},
     {}, "estimate|none", "[MINERAL=]estimate|none", "estimate", false,
     "Ferric iron of an analysis entered without Fe2O3: estimated by charge balance, or none "
     "(all iron Fe2+, the formula as recalculated); for all minerals, or per mineral as in "
     "phe=none or grt=estimate,cpx=none,phe=none (grt, cpx, phe)",
     {}, {}, &batch_options::estimate_ferric,
     "Estimated by charge balance (the default), or none: all iron Fe<sup>2+</sup>, the "
     "formula as recalculated. An entered Fe<sub>2</sub>O<sub>3</sub> is kept either way.",
     "|estimated|none"},
    {"ferric-in-runs", {}, "ferric_in_runs", "Ferric iron in the Monte-Carlo runs",
     option_kind::choice, {}, {}, "each|once", "each|once", "each", false,
     "each: every Monte-Carlo run perturbs the analyses as entered (an oxide perturbed below 0 "
     "taken as 0) and estimates their ferric iron afresh; once: the runs perturb the analyses "
     "with the ferric iron of the first calculation, as the dialogue does",
     {}, {}, &batch_options::ferric_in_runs,
     "Each run perturbs the analyses as entered and estimates their ferric iron afresh, so that "
     "the spreads include the error of the estimate; or the runs perturb the analyses with the "
     "ferric iron first estimated, as the dialogue does.",
     // The menu's first words short enough for its box at a laptop's width.
     "estimated anew (default)|estimated in each run|estimated once, as the dialogue"},
    // One thread per Web Worker: no control on the page.
    {"jobs", "j", "jobs", "Threads", option_kind::integer, 1, 256, {}, "N", {}, false,
     "Compute on N threads (default: the number of cores)", {}, {}, &batch_options::jobs},
}};

// ---- The options of the batch's P-T figure (with --plot) ----
const std::array<option_spec, 5> plot_option_table{{
    {"plot-width", {}, "width", "Figure width (mm)", option_kind::number, 60, 180, {}, "MM", "85",
     false, "Width of the figure in mm at its final size: 85 for one column, 170 for two", {},
     "plot", {}},
    {"plot-title", {}, "title", "Figure title", option_kind::text, {}, {}, {}, "TEXT", {}, false,
     "A title above the figure (default: none; a journal sets its own caption)", {}, "plot", {}},
    {"plot-units", {}, "units", "Pressure unit", option_kind::choice, {}, {}, "kbar|GPa",
     "kbar|GPa", "kbar", false, "Unit of pressure on the figure", {}, "plot", {}},
    {"plot-layout", {}, "layout", "Figure layout", option_kind::choice, {}, {}, "overlay|panels",
     "overlay|panels", "overlay", false,
     "All samples in one panel, or one small panel per sample", {}, "plot", {}},
    {"plot-reactions", {}, "reactions", "Reference reactions", option_kind::choice, {}, {},
     "reference|none", "reference|none", "reference", false,
     "Quartz = coesite and albite = jadeite + quartz drawn on the figure, or none", {}, "plot", {}},
}};
// ---- end of the figure's options ----
// clang-format on

const char *kind_name(option_kind kind) {
    switch (kind) {
    case option_kind::integer:
        return "integer";
    case option_kind::number:
        return "number";
    case option_kind::flag:
        return "flag";
    case option_kind::choice:
        return "choice";
    case option_kind::list:
        return "list";
    case option_kind::text:
        return "text";
    }
    return "";
}

const option_spec &option_named(std::string_view name) {
    for (const option_spec &s : batch_option_table)
        if (s.name == name) return s;
    throw std::out_of_range("no option " + std::string(name));
}

std::string number_text(double x) {
    // The shortest text that reads back as x, as the option was typed or near it.
    if (!std::isfinite(x)) return std::isnan(x) ? "nan" : x > 0 ? "inf" : "-inf";
    std::string s = FMT(x, 0, 6);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
        const bool point = s.back() == '.';
        s.pop_back();
        if (point) break;
    }
    return s;
}

std::optional<std::vector<thermometry::key>> thermometers_of(std::string_view list) {
    std::array<bool, thermometry::n_calibrations> asked{};
    std::size_t words = 0;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view word = list.substr(start, end - start);
        while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
        while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
        start = end + 1;
        if (word.empty()) continue;
        words++;
        if (thermometry::same_name(word, "all"))
            asked.fill(true);
        else if (const auto k = thermometry::find(word))
            asked[thermometry::index(*k)] = true;
        else
            return std::nullopt;
    }
    if (words == 0) return std::nullopt;
    std::vector<thermometry::key> keys;
    for (const thermometry::calibration &c : thermometry::calibrations)
        if (asked[thermometry::index(c.id)]) keys.push_back(c.id);
    return keys;
}

std::optional<ferric_estimates> ferric_of(std::string_view words) {
    const auto estimate = [](std::string_view w) -> std::optional<bool> {
        if (w == "estimate") return true;
        if (w == "none") return false;
        return std::nullopt;
    };
    if (const auto all = estimate(words)) return ferric_estimates{*all, *all, *all};
    ferric_estimates each{true, true, true};
    std::array<bool, 3> given{};
    constexpr std::array<std::string_view, 3> minerals{"grt", "cpx", "phe"};
    for (std::size_t start = 0; start <= words.size();) {
        std::size_t end = words.find(',', start);
        if (end == std::string_view::npos) end = words.size();
        const std::string_view item = words.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        const auto m = std::find(minerals.begin(), minerals.end(), item.substr(0, eq));
        const auto e = estimate(item.substr(eq + 1));
        if (m == minerals.end() || !e) return std::nullopt;
        const auto k = static_cast<std::size_t>(m - minerals.begin());
        if (given[k]) return std::nullopt; // a mineral twice
        given[k] = true, each[k] = *e;
    }
    return each;
}

std::optional<ferric_runs> ferric_in_runs_of(std::string_view word) {
    if (word == "each") return ferric_runs::each;
    if (word == "once") return ferric_runs::once;
    return std::nullopt;
}

std::string range_words(const option_spec &s) {
    const auto whole = [](double x) { return std::to_string(static_cast<long long>(x)); };
    if (s.kind == option_kind::integer && s.low && s.high)
        return "must be a whole number from " + whole(*s.low) + " to " + whole(*s.high);
    if (s.name == "ferric")
        return "must be estimate or none, or minerals with theirs, e.g. phe=none or "
               "grt=estimate,cpx=none";
    if (s.kind == option_kind::choice) {
        std::string words(s.choices);
        const std::size_t bar = words.find('|');
        return "must be " + words.substr(0, bar) + " or " + words.substr(bar + 1);
    }
    if (s.kind == option_kind::list) {
        std::string words(s.choices);
        for (std::size_t bar; (bar = words.find('|')) != std::string::npos;)
            words.replace(bar, 1, ", ");
        return "must be all or keys from " + words + ", separated by commas";
    }
    if (s.low && *s.low == 0 && !s.high) return "must not be negative";
    if (s.kind == option_kind::number && s.low && s.high)
        return "must be a number from " + number_text(*s.low) + " to " + number_text(*s.high);
    return "must be a number";
}

namespace {

template <class... F> struct overloaded : F... { using F::operator()...; };
template <class... F> overloaded(F...) -> overloaded<F...>;

// A whole number of a value: itself, or a number without a fraction.
std::optional<long long> whole_of(const option_value &v) {
    if (const auto *n = std::get_if<long long>(&v)) return *n;
    if (const auto *x = std::get_if<double>(&v))
        if (std::isfinite(*x) && std::trunc(*x) == *x && std::abs(*x) < 1e15)
            return static_cast<long long>(*x);
    return std::nullopt;
}

std::optional<double> number_of(const option_value &v) {
    if (const auto *x = std::get_if<double>(&v)) return *x;
    if (const auto *n = std::get_if<long long>(&v)) return static_cast<double>(*n);
    return std::nullopt;
}

std::string value_text(const option_value &v) {
    return std::visit(overloaded{[](bool b) { return std::string(b ? "true" : "false"); },
                                 [](long long n) { return std::to_string(n); },
                                 [](double x) { return number_text(x); },
                                 [](const std::string &t) { return t; }},
                      v);
}

// The value of a number option in `o`, when it is given.
std::optional<double> number_in(const option_spec &s, const batch_options &o) {
    return std::visit(
        overloaded{[&](long long batch_options::*f) { return std::optional(double(o.*f)); },
                   [&](double batch_options::*f) { return std::optional(o.*f); },
                   [&](std::optional<long long> batch_options::*f) {
                       return o.*f ? std::optional(double(*(o.*f))) : std::nullopt;
                   },
                   [&](std::optional<double> batch_options::*f) { return o.*f; },
                   [](auto) { return std::optional<double>(); }},
        s.field);
}

} // namespace

const option_spec &option_of(const option_field &field) {
    for (const option_spec &s : batch_option_table)
        if (s.field == field) return s;
    throw std::out_of_range("no option of that field");
}

std::optional<combine_mode> combine_of(std::string_view word) {
    // The modes after none, in the order of the option's choices.
    std::string_view rest = option_of(&batch_options::combine).choices;
    for (int mode = 1; !rest.empty(); mode++) {
        const std::size_t bar = rest.find('|');
        if (rest.substr(0, bar) == word) return static_cast<combine_mode>(mode);
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
    return std::nullopt;
}

std::optional<std::string> set_option(const option_spec &s, batch_options &o,
                                      const option_value &v) {
    using answer = std::optional<std::string>;
    // The field takes the value as parsed, or the option refuses it in the table's words.
    const auto set = [&](auto batch_options::*f, const auto &parsed) -> answer {
        if (!parsed) return range_words(s) + ": " + value_text(v);
        o.*f = *parsed;
        return std::nullopt;
    };
    // A value given as a word, read by `parse`; none for anything else.
    const auto word = [&](auto parse) {
        const auto *w = std::get_if<std::string>(&v);
        return w ? parse(*w) : decltype(parse(std::string_view()))();
    };
    const auto flag =
        std::holds_alternative<bool>(v) ? std::optional(std::get<bool>(v)) : std::nullopt;
    return std::visit(
        overloaded{[&](bool batch_options::*f) { return set(f, flag); },
                   [&](long long batch_options::*f) { return set(f, whole_of(v)); },
                   [&](std::optional<long long> batch_options::*f) { return set(f, whole_of(v)); },
                   [&](double batch_options::*f) { return set(f, number_of(v)); },
                   [&](std::optional<double> batch_options::*f) { return set(f, number_of(v)); },
                   [&](combine_mode batch_options::*f) { return set(f, word(combine_of)); },
                   [&](std::vector<thermometry::key> batch_options::*f) {
                       return set(f, word(thermometers_of));
                   },
                   [&](ferric_estimates batch_options::*f) { return set(f, word(ferric_of)); },
                   [&](ferric_runs batch_options::*f) { return set(f, word(ferric_in_runs_of)); }},
        s.field);
}

bool option_given(const option_spec &s, const batch_options &o) {
    return std::visit(
        overloaded{[&](bool batch_options::*f) { return o.*f; },
                   [&](std::optional<long long> batch_options::*f) { return (o.*f).has_value(); },
                   [&](std::optional<double> batch_options::*f) { return (o.*f).has_value(); },
                   [&](combine_mode batch_options::*f) { return o.*f != combine_mode::none; },
                   [&](std::vector<thermometry::key> batch_options::*f) { return !(o.*f).empty(); },
                   [](auto) { return true; }},
        s.field);
}

std::optional<option_refusal> check_options(const batch_options &o) {
    // Each value in its range, in the order of the table.
    for (const option_spec &s : batch_option_table) {
        const auto x = number_in(s, o);
        if (!x) continue;
        if (s.kind == option_kind::integer) {
            const auto n = static_cast<long long>(*x);
            if ((s.low && n < static_cast<long long>(*s.low)) ||
                (s.high && n > static_cast<long long>(*s.high)))
                return option_refusal{&s, range_words(s), std::to_string(n)};
            continue;
        }
        if (!std::isfinite(*x)) return option_refusal{&s, "not a number", number_text(*x)};
        if ((s.low && *x < *s.low) || (s.high && *x > *s.high))
            return option_refusal{&s, range_words(s), number_text(*x)};
    }
    // Then each option given with one it excludes, or without one it needs.
    for (const option_spec &s : batch_option_table) {
        if (!option_given(s, o)) continue;
        if (!s.excludes.empty() && option_given(option_named(s.excludes), o))
            return option_refusal{&s, {}, {}, &option_named(s.excludes)};
        if (!s.needs.empty() && !option_given(option_named(s.needs), o))
            return option_refusal{&s, {}, {}, &option_named(s.needs), true};
    }
    return std::nullopt;
}

std::string dashed(const option_spec &s) { return "--" + std::string(s.name); }

std::string command_line_words(const option_refusal &r) {
    if (r.other)
        return dashed(*r.option) + (r.needs ? " requires " : " excludes ") + dashed(*r.other);
    return dashed(*r.option) + ": " + r.why + ": " + r.value;
}

} // namespace varno96
