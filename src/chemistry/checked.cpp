#include "chemistry/checked.hpp"

#include <limits>

void NOVAL(std::string_view WHAT) {
    if (NOVALUE.empty()) NOVALUE = WHAT;
}

REAL NONEFOR(std::string_view WHAT) {
    NOVAL(WHAT);
    return std::numeric_limits<REAL>::quiet_NaN();
}
