// The name meant by one mistyped: of options on a command line, of keyword arguments in Python.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace varno96 {

// The name of `names` nearest to `typed`, whatever the case of its letters: the one it begins
// (an abbreviation, "combin" for "combine"), else the first within two letters changed, added,
// left out or swapped (one for a name of four letters or fewer); none when no name is that
// near.
std::optional<std::string_view> nearest_name(std::string_view typed,
                                             std::span<const std::string_view> names);

} // namespace varno96
