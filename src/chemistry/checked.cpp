#include "chemistry/checked.hpp"

#include <cmath>
#include <limits>

static constexpr REAL NONE = std::numeric_limits<REAL>::quiet_NaN();

void NOVAL(std::string_view WHAT) {
    if (NOVALUE.empty()) NOVALUE = WHAT;
}

REAL CHKLN(REAL X, std::string_view WHAT) {
    if (!(X > 0) || !std::isfinite(X)) {
        NOVAL(WHAT);
        return NONE;
    }
    return std::log(X);
}

REAL CHKDIV(REAL A, REAL B, std::string_view WHAT) {
    if (B == 0) {
        NOVAL(WHAT);
        return NONE;
    }
    return CHKFIN(A / B, WHAT);
}

REAL CHKFIN(REAL X, std::string_view WHAT) {
    if (!std::isfinite(X)) {
        NOVAL(WHAT);
        return NONE;
    }
    return X;
}
