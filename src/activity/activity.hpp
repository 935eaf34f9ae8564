// Activity models: garnet (seven mixing models), clinopyroxene, phengite.
#pragma once

#include "state/state.hpp"

// Margules parameters WG and standard deviations WSD of model CHOICE at temperature t (K) and
// pressure P (bar). Model 5 (ideal) and numbers outside 1..7 change nothing.
void SETUPGARNET(REAL t, REAL P);
// RT ln(gamma) of Alm, Sps, Prp, Grs (J/mol) for mole fractions X and parameters W:
// quaternary asymmetric Margules with ternary terms.
void QUAX(VECTOR4 X, MATRIXW W, VECTOR4 &RTLNG);
// Garnet formula on 12 oxygens, FMG, CAG, LNOCT, LNAPRP, LNAGRS.
void GARNET(VECTOR &wt);

// Clinopyroxene interaction parameters (kJ) and their standard deviations.
inline constexpr REAL WA = 26, SDWA = 2, WB = 25, SDWB = 3, WC = 0;
// Clinopyroxene formula on 6 oxygens, FMC, LNADI (one-site or two-site model).
void CPX(VECTOR &wt);

// Phengite formula on 11 oxygens and LNAMICA = ln(a(mu)/a(cel)), ideal site mixing.
void WHITEMICA(VECTOR &wt);
