// Sample moments and the clock seed. The random stream (RAN3, GASDEV), DISTURBWT and MOMENT are
// members of the run objects (state/state.hpp).
#pragma once

#include "state/state.hpp"

// MOMENT without its pauses: the same values, and the pause message it would give (n below 2,
// or no skewness and kurtosis at zero variance), or nullptr.
const char *MOMENTVALUES(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev,
                         REAL &svar, REAL &skew, REAL &curt);

// A negative seed from -99 to -1, drawn from a clock-seeded generator. Kept in a translation
// unit of its own so that tests can link a fixed seed instead.
std::int16_t CLOCKSEED();
