#include "api/options.hpp"

#include "api/sample.hpp"
#include "io/textio.hpp"
#include "state/random.hpp"
#include "tables/reader.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>

namespace varno96 {

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

namespace {

// Every table, in the order of varno96-batch's help.
constexpr std::array<std::span<const option_spec>, 3> tables{
    batch_option_table, output_option_table, plot_option_table};

} // namespace

const option_spec &option_named(std::string_view name) {
    for (const auto table : tables)
        for (const option_spec &s : table)
            if (s.name == name) return s;
    throw std::out_of_range("no option " + std::string(name));
}

std::vector<std::string_view> choice_words(std::string_view list) {
    std::vector<std::string_view> words;
    if (list.empty()) return words;
    for (std::size_t start = 0;;) {
        const std::size_t bar = list.find('|', start);
        words.push_back(list.substr(start, bar - start));
        if (bar == std::string_view::npos) return words;
        start = bar + 1;
    }
}

bool same_word(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::size_t> choice_index(const option_spec &s, std::string_view word) {
    const std::vector<std::string_view> words = choice_words(s.choices);
    const auto at = std::find_if(words.begin(), words.end(),
                                 [&](std::string_view w) { return same_word(w, word); });
    if (at == words.end()) return std::nullopt;
    return static_cast<std::size_t>(at - words.begin());
}

bool asks_zr(const batch_options &o) {
    return std::any_of(o.thermometers.begin(), o.thermometers.end(),
                       [](const thermometry::any_key &k) { return thermometry::rutile_key(k); });
}

std::optional<std::vector<thermometry::any_key>> thermometers_of(std::string_view list) {
    std::array<bool, thermometry::n_thermometers> asked{};
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
        else if (const auto k = thermometry::find_any(word))
            asked[thermometry::place(*k)] = true;
        else
            return std::nullopt;
    }
    if (words == 0) return std::nullopt;
    std::vector<thermometry::any_key> keys;
    for (std::size_t i = 0; i < thermometry::n_thermometers; i++)
        if (asked[i]) keys.push_back(thermometry::thermometer_at(i));
    return keys;
}

std::optional<ferric_estimates> ferric_of(std::string_view words) {
    // sites only for the clinopyroxene (k = 1).
    const auto estimate = [](std::string_view w, std::size_t k) -> std::optional<ferric_estimate> {
        if (same_word(w, "estimate")) return ferric_estimate::charge_balance;
        if (same_word(w, "none")) return ferric_estimate::none;
        if (same_word(w, "sites") && k == 1) return ferric_estimate::sites;
        return std::nullopt;
    };
    if (const auto all = estimate(words, 0)) return ferric_estimates{*all, *all, *all};
    ferric_estimates each = by_charge_balance;
    std::array<bool, 3> given{};
    constexpr std::array<std::string_view, 3> minerals{"grt", "cpx", "phe"};
    for (std::size_t start = 0; start <= words.size();) {
        std::size_t end = words.find(',', start);
        if (end == std::string_view::npos) end = words.size();
        const std::string_view item = words.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        const auto m = std::find_if(minerals.begin(), minerals.end(), [&](std::string_view n) {
            return same_word(n, item.substr(0, eq));
        });
        if (m == minerals.end()) return std::nullopt;
        const auto k = static_cast<std::size_t>(m - minerals.begin());
        const auto e = estimate(item.substr(eq + 1), k);
        if (!e) return std::nullopt;
        if (given[k]) return std::nullopt; // a mineral twice
        given[k] = true, each[k] = *e;
    }
    return each;
}

std::optional<ferric_runs> ferric_in_runs_of(std::string_view word) {
    if (same_word(word, "each")) return ferric_runs::each;
    if (same_word(word, "once")) return ferric_runs::once;
    return std::nullopt;
}

std::optional<std::string> range_refusal(const option_spec &s, double x) {
    if ((s.low && (x < *s.low || (s.low_excluded && x == *s.low))) || (s.high && x > *s.high))
        return range_words(s);
    return std::nullopt;
}

std::string range_words(const option_spec &s) {
    const auto whole = [](double x) { return std::to_string(static_cast<long long>(x)); };
    if (s.kind == option_kind::integer && s.low && s.high)
        return "must be a whole number from " + whole(*s.low) + " to " + whole(*s.high);
    if (std::holds_alternative<std::vector<std::string> batch_options::*>(s.field))
        return "must be COLUMN=VALUE, or MINERAL:COLUMN=VALUE with grt, cpx or phe, several "
               "separated by semicolons";
    if (std::holds_alternative<ferric_estimates batch_options::*>(s.field))
        return "must be estimate or none, or minerals with theirs, e.g. phe=none or "
               "grt=estimate,cpx=none; cpx=sites for the clinopyroxene's from its sites";
    const std::vector<std::string_view> words = choice_words(s.choices);
    if (s.kind == option_kind::choice) {
        // The choices, the last after "or"; an empty one is the option without a value.
        std::string said;
        for (std::size_t i = 0; i < words.size(); i++)
            said += (i == 0                 ? ""
                     : i + 1 < words.size() ? ", "
                                            : " or ") +
                    (words[i].empty() ? std::string("nothing") : std::string(words[i]));
        return "must be " + said;
    }
    if (s.kind == option_kind::list) {
        std::string said;
        for (const std::string_view w : words) said += (said.empty() ? "" : ", ") + std::string(w);
        return "must be all or keys from " + said + ", separated by commas";
    }
    if (s.low && s.low_excluded && !s.high) return "must be a number above " + number_text(*s.low);
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
    for (const auto table : tables)
        for (const option_spec &s : table)
            if (s.field == field) return s;
    throw std::out_of_range("no option of that field");
}

std::optional<combine_mode> combine_of(std::string_view word) {
    // The modes after none, in the order of the option's choices.
    const auto i = choice_index(option_of(&batch_options::combine), word);
    return i ? std::optional(static_cast<combine_mode>(*i + 1)) : std::nullopt;
}

namespace {

// The type of a field, and the options it belongs to.
template <class> struct member;
template <class T, class C> struct member<T C::*> {
    using type = T;
    using owner = C;
};

// The value `v` of option `s` as its field of type T takes it; none when it is none.
template <class T> std::optional<T> parsed(const option_spec &s, const option_value &v) {
    const auto *word = std::get_if<std::string>(&v);
    const auto choice = [&]() -> std::optional<std::size_t> {
        return word ? choice_index(s, *word) : std::nullopt;
    };
    if constexpr (std::is_same_v<T, bool>) {
        if (const auto *b = std::get_if<bool>(&v)) return *b;
        if (s.kind != option_kind::choice) return std::nullopt;
        const auto i = choice();
        return i ? std::optional(*i == 0) : std::nullopt; // yes for the first of two words
    } else if constexpr (std::is_same_v<T, long long> ||
                         std::is_same_v<T, std::optional<long long>>) {
        // An optional field takes the number itself: no value is no number.
        const auto n = whole_of(v);
        return n ? std::optional<T>(*n) : std::nullopt;
    } else if constexpr (std::is_same_v<T, double> || std::is_same_v<T, std::optional<double>>) {
        const auto x = number_of(v);
        return x ? std::optional<T>(*x) : std::nullopt;
    } else if constexpr (std::is_same_v<T, combine_mode>) {
        return word ? combine_of(*word) : std::nullopt;
    } else if constexpr (std::is_same_v<T, std::vector<thermometry::any_key>>) {
        return word ? thermometers_of(*word) : std::nullopt;
    } else if constexpr (std::is_same_v<T, ferric_estimates>) {
        return word ? ferric_of(*word) : std::nullopt;
    } else if constexpr (std::is_same_v<T, ferric_runs>) {
        return word ? ferric_in_runs_of(*word) : std::nullopt;
    } else if constexpr (std::is_enum_v<T>) { // in the order of the choices
        const auto i = choice();
        return i ? std::optional(static_cast<T>(*i)) : std::nullopt;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return word ? std::optional(*word) : std::nullopt;
    } else if constexpr (std::is_same_v<T, std::vector<std::string>>) { // the spots chosen
        if (!word) return std::nullopt;
        const auto choices = spot_choices_of(*word);
        if (!choices) return std::nullopt;
        T texts;
        for (const spot_choice &c : *choices) texts.push_back(c.text);
        return texts;
    } else { // a word of the choices, none of them given alone
        static_assert(std::is_same_v<T, std::optional<std::string>>);
        if (!word || (s.kind == option_kind::choice && !choice())) return std::nullopt;
        return T(*word);
    }
}

// Sets the field of `s` in `o`: a batch's numbers are checked later, with each other
// (check_options); those of the others here.
template <class Options>
std::optional<std::string> set_field(const option_spec &s, Options &o, const option_value &v) {
    return std::visit(
        [&](auto f) -> std::optional<std::string> {
            using field = member<decltype(f)>;
            if constexpr (!std::is_same_v<typename field::owner, Options>) {
                throw std::invalid_argument("--" + std::string(s.name) + " sets no field of these");
            } else {
                auto value = parsed<typename field::type>(s, v);
                if constexpr (std::is_same_v<typename field::type, double> &&
                              !std::is_same_v<Options, batch_options>)
                    if (value && (!std::isfinite(*value) || (s.low && *value < *s.low) ||
                                  (s.high && *value > *s.high)))
                        value.reset();
                if (!value) return range_words(s) + ": " + value_text(v);
                if constexpr (std::is_same_v<typename field::type, std::vector<std::string>>)
                    (o.*f).insert((o.*f).end(), value->begin(), value->end()); // one more
                else
                    o.*f = *value;
                return std::nullopt;
            }
        },
        s.field);
}

} // namespace

std::optional<std::string> set_option(const option_spec &s, batch_options &o,
                                      const option_value &v) {
    return set_field(s, o, v);
}

std::optional<std::string> set_option(const option_spec &s, plot::figure_options &o,
                                      const option_value &v) {
    return set_field(s, o, v);
}

std::optional<std::string> set_option(const option_spec &s, output_options &o,
                                      const option_value &v) {
    return set_field(s, o, v);
}

bool option_given(const option_spec &s, const batch_options &o) {
    return std::visit(
        overloaded{
            [&](bool batch_options::*f) { return o.*f; },
            [&](std::optional<long long> batch_options::*f) { return (o.*f).has_value(); },
            [&](std::optional<double> batch_options::*f) { return (o.*f).has_value(); },
            [&](combine_mode batch_options::*f) { return o.*f != combine_mode::none; },
            [&](std::vector<thermometry::any_key> batch_options::*f) { return !(o.*f).empty(); },
            [&](std::string batch_options::*f) { return !(o.*f).empty(); },
            [&](std::vector<std::string> batch_options::*f) { return !(o.*f).empty(); },
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
        if (const auto why = range_refusal(s, *x)) return option_refusal{&s, *why, number_text(*x)};
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

std::string option_error(const batch_options &o) {
    const auto refusal = check_options(o);
    return refusal ? command_line_words(*refusal) : std::string();
}

choices choices_of(const batch_options &o) {
    choices how;
    how.model = static_cast<int>(o.model);
    how.one_site = o.one_site;
    how.t_c = o.temperature;
    how.powell = o.powell;
    how.at_c = o.at;
    how.uncertainty = o.uncertainty;
    how.monte_carlo = o.monte_carlo;
    how.seed = static_cast<std::int16_t>(o.seed ? *o.seed : clock_seed());
    how.thermometers = o.thermometers;
    how.zr_uncertainty = o.zr_uncertainty;
    for (std::size_t k = 0; k < 3; k++)
        how.estimate_ferric[k] = o.estimate_ferric[k] != ferric_estimate::none;
    how.cpx_ferric_sites = o.estimate_ferric[1] == ferric_estimate::sites;
    how.ferric_each_run = o.ferric_in_runs == ferric_runs::each;
    return how;
}

bool on_command_line(const option_spec &s, int argc, const char *const *argv) {
    const std::string dashes = dashed(s), dash = "-" + std::string(s.short_name);
    for (int i = 1; i < argc; i++) {
        const std::string_view arg = argv[i];
        if (arg == "--") return false; // the rest are files
        if (arg == dashes || arg.starts_with(dashes + "=") ||
            (!s.short_name.empty() && arg == dash))
            return true;
    }
    return false;
}

std::string dashed(const option_spec &s) { return "--" + std::string(s.name); }

std::string command_line_words(const option_refusal &r) {
    if (r.other)
        return dashed(*r.option) + (r.needs ? " requires " : " excludes ") + dashed(*r.other);
    return dashed(*r.option) + ": " + r.why + ": " + r.value;
}

} // namespace varno96
