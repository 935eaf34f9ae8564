#include "state/calculation.hpp"

#include <limits>

void calculation::NOVAL(std::string_view WHAT) {
    if (NOVALUE.empty()) NOVALUE = WHAT;
}

REAL calculation::NONEFOR(std::string_view WHAT) {
    NOVAL(WHAT);
    return std::numeric_limits<REAL>::quiet_NaN();
}
