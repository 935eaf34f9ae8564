#pragma once
// A number as a person types it: the shortest text that reads back as it, near enough.

#include <string>

namespace varno96 {

// "650", "0.5", "0.035", "nan", "-inf": up to six decimals, trailing zeros left out.
std::string number_text(double x);

} // namespace varno96
