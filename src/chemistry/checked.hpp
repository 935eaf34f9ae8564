// Domain-checked arithmetic. A quantity without a value (the logarithm of a number that is
// not positive, a division by zero, an overflow) is recorded in NOVALUE in words and comes
// back as NaN; the caller that prints results checks NOVALUE first.
//
// The checks are inline: the Monte-Carlo passes make some hundred of them a run.
#pragma once

#include "state/state.hpp"

#include <cmath>
#include <string_view>

// Records WHAT as the quantity without a value, unless one is recorded already.
void NOVAL(std::string_view WHAT);
// NOVAL(WHAT), and NaN.
REAL NONEFOR(std::string_view WHAT);

// X itself, when finite.
inline REAL CHKFIN(REAL X, std::string_view WHAT) { return std::isfinite(X) ? X : NONEFOR(WHAT); }
// ln X, for X > 0.
inline REAL CHKLN(REAL X, std::string_view WHAT) {
    return X > 0 && std::isfinite(X) ? std::log(X) : NONEFOR(WHAT);
}
// A / B, for B not 0.
inline REAL CHKDIV(REAL A, REAL B, std::string_view WHAT) {
    return B != 0 ? CHKFIN(A / B, WHAT) : NONEFOR(WHAT);
}
