// The run of one sample, from the report channel to the closing of the files: the steps of
// the calculation are members of the calculation, the dialogue's of the dialogue
// (state/calculation.hpp, state/dialogue.hpp).
#pragma once

#include "state/types.hpp"

inline constexpr REAL TSD = 50; // K between the rows of the result table
