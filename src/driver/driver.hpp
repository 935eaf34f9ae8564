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
// Settings, formulae, temperature choice, mixing parameters and the P-T table.
void CALCULATE();
// One whole run; the Monte-Carlo block uses SEED when given, else the clock.
void VARNO96(std::optional<std::int16_t> SEED = {});
