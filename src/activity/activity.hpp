// Activity models: garnet (seven mixing models), clinopyroxene, phengite. SETUPGARNET, GARNET,
// CPX and WHITEMICA are members of the calculation (state/calculation.hpp).
#pragma once

#include "state/types.hpp"

// RT ln(gamma) of Alm, Sps, Prp, Grs (J/mol) for mole fractions X and parameters W:
// quaternary asymmetric Margules with ternary terms.
void QUAX(VECTOR4 X, MATRIXW W, VECTOR4 &RTLNG);

// Clinopyroxene interaction parameters (kJ) and their standard deviations.
inline constexpr REAL WA = 26, SDWA = 2, WB = 25, SDWB = 3, WC = 0;
