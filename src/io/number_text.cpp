#include "io/number_text.hpp"

#include "io/textio.hpp"

#include <cmath>

namespace varno96 {

std::string number_text(double x) {
    if (!std::isfinite(x)) return std::isnan(x) ? "nan" : x > 0 ? "inf" : "-inf";
    std::string s = FMT(x, 0, 6);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
        const bool point = s.back() == '.';
        s.pop_back();
        if (point) break;
    }
    return s;
}

} // namespace varno96
