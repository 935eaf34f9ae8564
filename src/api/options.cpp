#include "api/options.hpp"

#include "api/table.hpp"
#include "io/textio.hpp"

#include <cmath>
#include <stdexcept>

namespace varno96 {

// clang-format off
const std::array<option_spec, 12> batch_option_table{{
    {"model", "m", "model", "Garnet mixing model", option_kind::integer, 1, NMODELS, {}, "N", {},
     true, "Garnet mixing model, 1 to 7 (see the manual)", {}, {}},
    {"one-site", {}, "one_site", "One-site clinopyroxene", option_kind::flag, {}, {}, {}, {}, {},
     false, "One-site clinopyroxene (default: the disordered two-site model)", {}, {}},
    {"temperature", "t", "temperature", "Trial temperature (°C)", option_kind::number, {}, {}, {},
     "C", {}, true, "Trial temperature in degrees Celsius", {}, {}},
    {"powell", {}, "powell", "Powell (1985) temperature", option_kind::flag, {}, {}, {}, {}, {},
     false, "Use the Powell (1985) temperature, in the Monte-Carlo runs too; not with --at",
     "at", {}},
    {"at", {}, "at", "Table at another temperature (°C)", option_kind::number, {}, {}, {}, "C", {},
     false,
     "The table at this temperature (C) instead; the Powell estimate stays at the trial "
     "temperature's pressure",
     "powell", {}},
    {"uncertainty", "u", "uncertainty", "Analytical uncertainty (%)", option_kind::number, 0, {},
     {}, "PCT", "1", false, "Analytical uncertainty, per cent of a 100 wt% total", {}, {}},
    {"monte-carlo", {}, "monte_carlo", "Monte-Carlo error propagation", option_kind::flag, {}, {},
     {}, {}, {}, false, "Monte-Carlo error propagation: two passes of 200 runs", {}, {}},
    {"seed", {}, "seed", "Monte-Carlo seed", option_kind::integer, -99, -1, {}, "N", {}, false,
     "Monte-Carlo seed from -99 to -1 instead of one drawn from the clock", {}, {}},
    {"combine", {}, "combine", "Several analyses of a mineral", option_kind::choice, {}, {},
     "mean|each", "mean|each", {}, false,
     "Several analyses of a mineral in a sample: their mean, or each combination (default: no "
     "result)",
     {}, {}},
    {"formulae", {}, "formulae", "Formulae columns", option_kind::flag, {}, {}, {}, {}, {}, false,
     "Add each mineral's recalculated analysis and cations per formula unit", {}, {}},
    {"thermometers", {}, "thermometers", "Thermometers intersected with the barometer",
     option_kind::list, {}, {}, "EG79|P85|K88|A94|KR00|KR78|GH82", "LIST", {}, false,
     "Where the barometer meets each of these thermometers, comma-separated, or all: EG79, P85, "
     "K88, A94, KR00 (garnet-clinopyroxene), KR78, GH82 (garnet-phengite)",
     {}, {}},
    {"jobs", "j", "jobs", "Threads", option_kind::integer, 1, 256, {}, "N", {}, false,
     "Compute on N threads (default: the number of cores)", {}, {}},
}};

// ---- The options of the batch's P-T figure (with --plot) ----
const std::array<option_spec, 5> plot_option_table{{
    {"plot-width", {}, "width", "Figure width (mm)", option_kind::number, 60, 180, {}, "MM", "85",
     false, "Width of the figure in mm at its final size: 85 for one column, 170 for two", {},
     "plot"},
    {"plot-title", {}, "title", "Figure title", option_kind::text, {}, {}, {}, "TEXT", {}, false,
     "A title above the figure (default: none; a journal sets its own caption)", {}, "plot"},
    {"plot-units", {}, "units", "Pressure unit", option_kind::choice, {}, {}, "kbar|GPa",
     "kbar|GPa", "kbar", false, "Unit of pressure on the figure", {}, "plot"},
    {"plot-layout", {}, "layout", "Figure layout", option_kind::choice, {}, {}, "overlay|panels",
     "overlay|panels", "overlay", false,
     "All samples in one panel, or one small panel per sample", {}, "plot"},
    {"plot-reactions", {}, "reactions", "Reference reactions", option_kind::choice, {}, {},
     "reference|none", "reference|none", "reference", false,
     "Quartz = coesite and albite = jadeite + quartz drawn on the figure, or none", {}, "plot"},
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

std::string range_words(const option_spec &s) {
    const auto whole = [](double x) { return std::to_string(static_cast<long long>(x)); };
    if (s.kind == option_kind::integer && s.low && s.high)
        return "must be a whole number from " + whole(*s.low) + " to " + whole(*s.high);
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

option_refusal refused(std::string_view name, std::string why, std::string value) {
    return {&option_named(name), std::move(why), std::move(value), nullptr};
}

// A number option: finite, and in its range.
std::optional<option_refusal> number(std::string_view name, double x) {
    const option_spec &s = option_named(name);
    if (!std::isfinite(x)) return refused(name, "not a number", number_text(x));
    if ((s.low && x < *s.low) || (s.high && x > *s.high))
        return refused(name, range_words(s), number_text(x));
    return std::nullopt;
}

std::optional<option_refusal> whole(std::string_view name, long long n) {
    const option_spec &s = option_named(name);
    const auto low = static_cast<long long>(*s.low), high = static_cast<long long>(*s.high);
    if (n < low || n > high) return refused(name, range_words(s), std::to_string(n));
    return std::nullopt;
}

} // namespace

std::optional<option_refusal> check_options(const batch_options &o) {
    if (auto r = whole("model", o.model)) return r;
    if (auto r = number("temperature", o.temperature)) return r;
    if (o.at)
        if (auto r = number("at", *o.at)) return r;
    if (auto r = number("uncertainty", o.uncertainty)) return r;
    if (o.seed)
        if (auto r = whole("seed", *o.seed)) return r;
    if (o.powell && o.at)
        return option_refusal{&option_named("powell"), {}, {}, &option_named("at")};
    return std::nullopt;
}

std::string command_line_words(const option_refusal &r) {
    if (r.other)
        return "--" + std::string(r.option->name) + " excludes --" + std::string(r.other->name);
    return "--" + std::string(r.option->name) + ": " + r.why + ": " + r.value;
}

} // namespace varno96
