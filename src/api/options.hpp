// The options of a batch, defined once: varno96-batch makes its command line of them, the page
// its fields and the Python module its keyword arguments, and all three refuse a value with
// the same words.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "thermometry/thermometry.hpp"

namespace varno96 {

struct batch_options;

enum class option_kind { integer, number, flag, choice, list, text };

struct option_spec {
    std::string_view name;       // --name on the command line, the page's field id
    std::string_view short_name; // -x, or empty
    std::string_view python;     // the keyword argument
    std::string_view label;      // the page's words
    option_kind kind = option_kind::flag;
    std::optional<double> low, high; // the range of a number, where it has one
    std::string_view choices;        // of a choice or a list, separated by '|'
    std::string_view value_name;     // N, C, PCT
    std::string_view default_text;   // shown as the default, or empty
    bool required = false;
    std::string_view help;
    std::string_view excludes, needs; // names of other options, or empty
};

// The options in the order varno96-batch's help lists them.
extern const std::array<option_spec, 12> batch_option_table;
// ---- The options of the batch's P-T figure (with --plot) ----
extern const std::array<option_spec, 5> plot_option_table;
// ---- end of the figure's options ----

// The option of that long name; throws std::out_of_range for none.
const option_spec &option_named(std::string_view name);

// A value refused: the option, why ("must be a whole number from 1 to 7"), and the value as
// given; or two options given together that exclude each other (`other`).
struct option_refusal {
    const option_spec *option = nullptr;
    std::string why;
    std::string value;
    const option_spec *other = nullptr;
};

// The kind as the page and the Python module name it: "integer", "number", "flag", "choice",
// "list".
const char *kind_name(option_kind kind);

// The first option of `o` out of its range or in conflict with another; none when all are fine.
// The jobs option is the front end's own and is not in batch_options.
std::optional<option_refusal> check_options(const batch_options &o);
// The range of a whole number or a number as the refusals say it.
std::string range_words(const option_spec &s);
// A refusal in the words of varno96-batch ("--model: must be a whole number from 1 to 7: 8",
// "--powell excludes --at").
std::string command_line_words(const option_refusal &r);

// The thermometers of a list: keys separated by commas (any case, in any order), or "all";
// in the order of the calibrations, each once. Nothing for a word that names none.
std::optional<std::vector<thermometry::key>> thermometers_of(std::string_view list);

// The shortest text that reads back as x ("650", "0.5", "nan").
std::string number_text(double x);

} // namespace varno96
