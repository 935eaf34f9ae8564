// The picture file: its format, chosen by the name's ending.
#pragma once

#include "cli/files.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace CLI {
class Validator;
}

namespace varno96::plot {

enum class picture_format { svg, pdf, ps };

// By the ending .svg, .pdf or .ps, in any case; nothing for another ending.
std::optional<picture_format> format_of(std::string_view path);
// The check of a picture name given as an option.
const CLI::Validator &picture_name();

// Pictures are written whole or not at all.
using varno96::write_whole;

} // namespace varno96::plot
