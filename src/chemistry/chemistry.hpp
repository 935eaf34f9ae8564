// Oxide table, formula recalculation with ferric iron by charge balance, site assignment.
//
// Program-wide names are upper case. A parameter that would share the name of a program-wide
// variable (wt, mg, fe2, ...) is written in lower case; it stands for the argument itself.
#pragma once

#include "state/state.hpp"

// Sets NAME, MW, NO, NM and clears the scratch analysis WT.
void INITIALISE();

// Formula of analysis wt (wt%) on n oxygens into c[1..ne]; sets TOTAL and CTOT.
void RECALC(const VECTOR &wt, VECTOR &c, REAL n, std::int16_t ne);

// Ferric iron by cation normalisation: brings SUM cations to NORM on SUMOX oxygens, recasting
// FeO of wt as Fe2O3, with Fe3+/(Fe2+ + Fe3+) limited to RMAX.
void FE3FIDDLE(VECTOR &wt, VECTOR &c, REAL SUM, REAL NORM, REAL SUMOX, REAL RMAX);

// Places as much of cation amount c as fits on a site of n positions with vacant fraction
// HOLE; returns the site fraction placed and reduces c by the amount placed.
REAL ASSIGNSITE(REAL &c, REAL n, REAL HOLE);

// Fills a site with Mg and Fe2+ together, in the ratio of their amounts.
void FEMG(REAL &mg, REAL &fe2, REAL &MGS, REAL &FES, REAL n, REAL HOLE);
