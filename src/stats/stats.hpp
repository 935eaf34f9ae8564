// Sample moments. The random stream (RAN3, GASDEV) is state/random.hpp; DISTURBWT is a member
// of the calculation, MOMENT, with its pauses, of the dialogue (driver/dialogue.hpp).
#pragma once

#include "state/types.hpp"

// MOMENT without its pauses: the same values, and the pause message it would give (n below 2,
// or no skewness and kurtosis at zero variance), or nullptr.
const char *MOMENTVALUES(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev,
                         REAL &svar, REAL &skew, REAL &curt);
