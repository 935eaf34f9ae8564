// Empirical barometer for grt + cpx + phe, and the Powell (1985) grt-cpx thermometer: PCALC
// and ELLISGREEN are members of the calculation (state/calculation.hpp).
#pragma once

#include "state/types.hpp"

// Barometer constants: P (kbar) = A + B T + C T lnK.
namespace BARO {
inline constexpr REAL A = 28.0455, B = 0.020445, C = -0.003539;
}
