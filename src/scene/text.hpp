// Text from the result files made fit for a diagram.
#pragma once

#include <string>
#include <string_view>

namespace varno96::plot {

// Valid UTF-8 without control characters: bytes that do not form UTF-8 are taken as
// Latin-1 (the sample label of an older data file), control characters become blanks.
std::string utf8_text(std::string_view raw);

// As utf8_text, with PLplot's text escape '#' doubled so that a label such as "No #3" is
// drawn as written rather than read as a font or superscript command.
std::string plot_text(std::string_view raw);

// Number of characters (code points) of UTF-8 text, for estimating its width.
std::size_t text_length(std::string_view utf8);

} // namespace varno96::plot
