// What the library says in the words of the front end that says it: an option as its reader
// gives it ("--combine mean" to varno96-batch, combine="mean" in Python, the page's labels),
// the fix of samples with several analyses of a mineral, and what to do with a workbook.
#pragma once

#include "api/options.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace varno96 {

enum class front_end { command_line, python, page };

// An option with a value, or a flag without: "--combine mean", "--powell"; combine="mean",
// powell=True; “Several analyses of a mineral”: “their mean”, “Powell (1985) temperature”.
std::string option_words(front_end f, const option_spec &s, std::string_view value = {});
// One option with either of two values: "--combine mean or --combine each".
std::string option_either(front_end f, const option_spec &s, std::string_view a,
                          std::string_view b);

// The line after the summary when `samples` samples had no result for their several analyses
// of a mineral; empty for none.
std::string combine_hint(front_end f, std::size_t samples);

// What to do with a workbook, after "FILE: an Excel workbook: ".
std::string workbook_advice(front_end f);

} // namespace varno96
