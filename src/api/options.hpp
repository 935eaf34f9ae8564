// The options, defined once: each entry of a table names an option, says how the front ends
// show it and which field it sets: of batch_options (the batch), of plot::figure_options (its
// P-T figure) or of output_options (what varno96-batch writes). varno96-batch makes its command
// line of the tables, the page its controls and the Python module its keyword arguments; the
// checks are the table's ranges, choices, exclusions and needs, so that all three refuse a
// value with the same words.
#pragma once

#include "io/number_text.hpp"
#include "scene/figure_options.hpp"
#include "thermometry/keys.hpp"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varno96 {

// What to do with several analyses of one mineral in a sample: give the sample no result,
// compute their oxide-by-oxide mean, or compute each combination of one analysis of each
// mineral.
enum class combine_mode { none, mean, each };

// Ferric iron in the Monte-Carlo runs: estimated afresh in each run from the analysis as
// entered, perturbed; or once, the runs perturbing the analysis with the first estimate.
enum class ferric_runs { each, once };
// How the ferric iron of an analysis without Fe2O3 is had: estimated by charge balance, none
// (all iron Fe2+), or from the sites of the clinopyroxene (its own choice); of the garnet, the
// clinopyroxene and the phengite.
enum class ferric_estimate { charge_balance, none, sites };
using ferric_estimates = std::array<ferric_estimate, 3>;
inline constexpr ferric_estimates by_charge_balance{ferric_estimate::charge_balance,
                                                    ferric_estimate::charge_balance,
                                                    ferric_estimate::charge_balance};

// Everything a batch is asked, as the front ends take it before any check.
struct batch_options {
    long long model = 0;
    bool one_site = false;
    double temperature = 0; // trial temperature, degrees Celsius
    bool powell = false;
    std::optional<double> at;
    double uncertainty = 1;
    bool monte_carlo = false;
    std::optional<long long> seed; // none: drawn from the clock
    combine_mode combine = combine_mode::none;
    bool formulae = false;
    std::vector<thermometry::any_key> thermometers; // in the order of the calibrations
    std::optional<double> zr_uncertainty;           // per cent; none: the rutile spots' SE
    ferric_estimates estimate_ferric = by_charge_balance;
    ferric_runs ferric_in_runs = ferric_runs::each;
    // How the tables are read: the sample and mineral columns named (empty: found by their
    // usual names), the inputs read as one table, the spots chosen ([MINERAL:]COLUMN=VALUE).
    std::string sample_column, mineral_column;
    bool join = false;
    std::vector<std::string> where;
    std::optional<long long> jobs; // threads; none: the front end's own choice
    bool operator==(const batch_options &) const = default;
};

// What varno96-batch writes besides the table: the files (empty: none; the table then goes to
// standard output), and with --cite the form of the citation instead ("": the methods
// paragraph and its references, "bibtex"), after computing the files named, if any.
struct output_options {
    std::string output, pairs, plot;
    std::optional<std::string> cite;
    std::string cite_file; // the citation of a run computed, instead of standard error
    bool operator==(const output_options &) const = default;
};

enum class option_kind { integer, number, flag, choice, list, text };

// The field an option sets: of the batch, of its figure, or of the program's outputs.
using option_field = std::variant<
    bool batch_options::*, long long batch_options::*, std::optional<long long> batch_options::*,
    double batch_options::*, std::optional<double> batch_options::*, combine_mode batch_options::*,
    std::vector<thermometry::any_key> batch_options::*, ferric_estimates batch_options::*,
    ferric_runs batch_options::*, std::string batch_options::*,
    std::vector<std::string> batch_options::*, double plot::figure_options::*,
    std::string plot::figure_options::*, plot::pressure_unit plot::figure_options::*,
    plot::figure_layout plot::figure_options::*, bool plot::figure_options::*,
    std::string output_options::*, std::optional<std::string> output_options::*>;

struct option_spec {
    std::string_view name = {};       // --name on the command line, the page's field id
    std::string_view short_name = {}; // -x, or empty
    std::string_view python = {};     // the keyword argument
    std::string_view label = {};      // the page's words
    option_kind kind = option_kind::flag;
    std::optional<double> low = {}, high = {}; // the range of a number, where it has one
    bool low_excluded = false;                 // the number must lie above `low`, not on it
    // Of a choice or a list, separated by '|' (choice_words); a choice's enumeration takes
    // them in its order, a yes-or-no field is yes for the first. An empty word: the option may
    // be given without a value.
    std::string_view choices = {};
    std::string_view value_name = {};   // N, C, PCT
    std::string_view default_text = {}; // shown as the default, or empty
    bool required = false;
    std::string_view help = {};
    std::string_view excludes = {}, needs = {}; // names of other options, or empty
    option_field field = {};
    // The page: its explanation beside the control (may hold <sub>, <sup>), and for a choice
    // the words of no choice and of each choice, separated by '|'. No control on the page
    // when `page_help` is empty.
    std::string_view page_help = {};
    std::string_view page_choices = {};
};

// The options in the order varno96-batch's help lists them (option_tables.cpp): the batch's,
// the program's outputs, and those of the figure, which need --plot.
extern const std::array<option_spec, 19> batch_option_table;
extern const std::array<option_spec, 5> output_option_table;
// ---- The options of the batch's P-T figure (with --plot) ----
extern const std::array<option_spec, 5> plot_option_table;
// ---- end of the figure's options ----

// The option of that long name, in any of the tables; throws std::out_of_range for none.
const option_spec &option_named(std::string_view name);
// The option that sets this field.
const option_spec &option_of(const option_field &field);

// The words of a list separated by '|' ("mean|each"), in order; empty words kept.
std::vector<std::string_view> choice_words(std::string_view list);
// The place of `word` among the choices of `s`, whatever its case ("GPa", "gpa"); none when it
// is none of them.
std::optional<std::size_t> choice_index(const option_spec &s, std::string_view word);
// Whether `a` and `b` are the same word but for the case of their ASCII letters.
bool same_word(std::string_view a, std::string_view b);

// A value as a front end has parsed it: a flag, a whole number, a number, or a word or list.
using option_value = std::variant<bool, long long, double, std::string>;
// Sets the field of option `s` in `o` to `v` (a list of texts, such as the spots chosen, takes
// one more, or several separated by semicolons); the refusal's words ("must be mean or each:
// median") when `v` is no value of the option. A batch's ranges are check_options's; a
// figure's number is refused here when out of its range. A yes-or-no field takes a flag or a
// word of its choices. Throws std::invalid_argument when `s` sets no field of `o`.
std::optional<std::string> set_option(const option_spec &s, batch_options &o,
                                      const option_value &v);
std::optional<std::string> set_option(const option_spec &s, plot::figure_options &o,
                                      const option_value &v);
std::optional<std::string> set_option(const option_spec &s, output_options &o,
                                      const option_value &v);
// Whether the option is given in `o`: a flag set, a value present, a choice made; an option
// without an empty value (a required number) always is.
bool option_given(const option_spec &s, const batch_options &o);

// A value refused: the option, why ("must be a whole number from 1 to 7"), and the value as
// given; or two options given together that exclude each other (`other`), or an option given
// without the one it needs (`other`, with `needs`).
struct option_refusal {
    const option_spec *option = nullptr;
    std::string why;
    std::string value;
    const option_spec *other = nullptr;
    bool needs = false;
};

// The kind as the page and the Python module name it: "integer", "number", "flag", "choice",
// "list".
const char *kind_name(option_kind kind);

// The first option of `o` out of its range, in conflict with another or without one it needs,
// in the order of the table; none when all are fine.
std::optional<option_refusal> check_options(const batch_options &o);
// The same refusal in the words of varno96-batch ("--model: must be a whole number from 1 to
// 7: 8"); empty when none.
std::string option_error(const batch_options &o);

struct choices;
// The answers of the options, which must have no error (api/sample.hpp); the seed given or
// drawn.
choices choices_of(const batch_options &o);

// Whether a command line (argv) gives the option: "--name", "--name=...", or "-x" alone.
bool on_command_line(const option_spec &s, int argc, const char *const *argv);
// The range of a whole number or a number as the refusals say it.
std::string range_words(const option_spec &s);
// The words of range_words when `x` lies outside the range of the number option `s`; none
// inside it.
std::optional<std::string> range_refusal(const option_spec &s, double x);
// A refusal in the words of varno96-batch ("--model: must be a whole number from 1 to 7: 8",
// "--powell excludes --at").
std::string command_line_words(const option_refusal &r);
// "--name", as the command line spells an option.
std::string dashed(const option_spec &s);

// The choice of a word of the combine option ("mean", "each"); none for anything else.
std::optional<combine_mode> combine_of(std::string_view word);

// The thermometers of a list: keys separated by commas (any case, in any order), or "all";
// in the order of the calibrations, each once. Nothing for a word that names none.
std::optional<std::vector<thermometry::any_key>> thermometers_of(std::string_view list);
// Whether `o` asks for a Zr-in-rutile thermometer.
bool asks_zr(const batch_options &o);

// Ferric iron of the garnet, the clinopyroxene and the phengite, each estimated (true) or
// not: "estimate" or "none" for all three, or minerals with their word ("phe=none",
// "grt=estimate,cpx=none"), the others estimated. Nothing for anything else.
std::optional<ferric_estimates> ferric_of(std::string_view words);
// "each" or "once"; nothing for anything else.
std::optional<ferric_runs> ferric_in_runs_of(std::string_view word);

} // namespace varno96
