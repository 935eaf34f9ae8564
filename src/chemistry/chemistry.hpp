// Site assignment. The oxide table is constant data and the formula recalculation (INITIALISE,
// RECALC, FE3FIDDLE) and the checked arithmetic are members of the calculation
// (state/calculation.hpp).
#pragma once

#include "state/types.hpp"

// Places as much of cation amount c as fits on a site of n positions with vacant fraction
// HOLE; returns the site fraction placed and reduces c by the amount placed.
REAL ASSIGNSITE(REAL &c, REAL n, REAL HOLE);

// Fills a site with Mg and Fe2+ together, in the ratio of their amounts.
void FEMG(REAL &mg, REAL &fe2, REAL &MGS, REAL &FES, REAL n, REAL HOLE);
