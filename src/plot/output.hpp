// The picture file: its format, chosen by the name's ending, and writing it whole or not at
// all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varno96::plot {

enum class picture_format { svg, pdf, ps };

// By the ending .svg, .pdf or .ps, in any case; nothing for another ending.
std::optional<picture_format> format_of(std::string_view path);

// Writes `bytes` to a temporary name in the same folder and renames it to `path`, so that
// `path` holds either its old content or all of the new. Throws std::runtime_error with a
// one-line message naming `path`.
void write_whole(const std::string &path, std::string_view bytes);

} // namespace varno96::plot
