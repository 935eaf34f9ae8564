// Command-line conventions shared by the programs: version text, the seed option, and the
// exit statuses (0 success; 1 a sample without a result; 2 a usage error, or an input or
// output that cannot be read, written or taken as a table).
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varno96::cli {

inline constexpr int exit_ok = 0, exit_failure = 1, exit_usage = 2;

// The release of the programs, "1.1.0".
std::string_view release();

// "<program> <release>" and the version line of the calculation, one per line.
std::string version_text(std::string_view program);

// An app with --version and a footer pointing to the README and the manual page.
void set_up(CLI::App &app, std::string_view program);

// A number in the dialogue's syntax (38.5, .5, -0.5, 1e1), finite; the same, 0 or more. The
// validators print nothing in --help: the option's own text gives the range.
extern const CLI::Validator number, non_negative;
// A whole number from low to high.
CLI::Validator whole(int low, int high);

// --seed N: a Monte-Carlo seed from -99 to -1.
CLI::Option *add_seed(CLI::App &app, std::optional<std::int16_t> &seed);

// Parses argv; on --help or --version prints to standard output and returns 0, or says on
// standard error that it cannot and returns 2 (`output_closed`: standard output was closed when
// the program started); on a usage error prints one line and the usage hint to standard error
// and returns 2: an unknown option with the nearest known one ("--combin: unknown option; did
// you mean --combine?"), an option given more than once with its values. Returns nothing when
// the program should go on.
std::optional<int> parse(CLI::App &app, int argc, char **argv, bool output_closed = false);

// A usage error as parse says one: the message and the usage hint on standard error; returns 2.
int usage_error(const CLI::App &app, const std::string &message);

} // namespace varno96::cli
