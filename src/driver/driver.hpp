// The run of one sample, from the report channel to the closing of the files.
#pragma once

#include "state/state.hpp"

#include <optional>

// Report channel, banner, P-T file, oxide table.
void STARTRUN();
// The three analyses from the keyboard, with the offer to save them; the report heading.
void KEYBOARDDATA();
// The three analyses from a data file; the report heading.
void FILEDATA();
// The calculation step by step, for the dialogue and the batch alike. Each step but
// STARTMODEL returns false, with NOVALUE saying why, when a result has no value.
inline constexpr REAL TSD = 50; // K between the rows of the result table
// Clears the garnet parameters and sets those of model CHOICE at T and 18 kbar.
void STARTMODEL();
// The first calculation of one mineral; the analysis takes any estimated Fe2O3.
bool FIRSTCALC(void (*MINERALPROC)(VECTOR &), VECTOR &wt);
// LNK of the first calculations and PREF, the pressure at the trial temperature.
bool TRIALPRESSURE();
// EGT, the Powell (1985) temperature at PREF; NaN when it has no value.
bool POWELLT();
// The garnet mixing parameters at T and PREF.
bool MIXING();
// Row KROW (-1, 0, 1) of the table: T = TT + KROW TSD, the activity terms, LNK and PKBAR.
bool TABLEROW(int KROW);

// Settings, formulae, temperature choice, mixing parameters and the P-T table.
void CALCULATE();
// One whole run; the Monte-Carlo block uses SEED when given, else the clock.
void VARNO96(std::optional<std::int16_t> SEED = {});
