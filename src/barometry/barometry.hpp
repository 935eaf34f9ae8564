// Empirical barometer for grt + cpx + phe, and the Powell (1985) grt-cpx thermometer.
#pragma once

#include "state/state.hpp"

// Barometer constants: P (kbar) = A + B T + C T lnK.
namespace BARO {
inline constexpr REAL A = 28.0455, B = 0.020445, C = -0.003539;
}

// Pressure in kbar from ln K and temperature t in kelvin.
REAL PCALC(REAL lnk, REAL t);
// Powell (1985) temperature in degrees Celsius at pressure P (kbar), from FMG, FMC and CAG.
// NaN, with NOVALUE set, when K_D has no logarithm or ln K_D = -1.735.
REAL ELLISGREEN(REAL P);
