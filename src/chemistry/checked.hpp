// Domain-checked arithmetic. A quantity without a value (the logarithm of a number that is
// not positive, a division by zero, an overflow) is recorded in NOVALUE in words and comes
// back as NaN; the caller that prints results checks NOVALUE first.
#pragma once

#include "state/state.hpp"

#include <string_view>

// Records WHAT as the quantity without a value, unless one is recorded already.
void NOVAL(std::string_view WHAT);
// ln X, for X > 0.
REAL CHKLN(REAL X, std::string_view WHAT);
// A / B, for B not 0.
REAL CHKDIV(REAL A, REAL B, std::string_view WHAT);
// X itself, when finite.
REAL CHKFIN(REAL X, std::string_view WHAT);
