// The random stream of the Monte-Carlo runs: its state, so that a run can be repeated from a
// copy of it.
#pragma once

#include "state/types.hpp"

#include <cstdint>

// Random stream (stats).
struct random_stream {
    std::int16_t IDUM = 0;
    ARRAY1<REAL, 55> GLMA;
    std::int16_t GLINEXT = 0, GLINEXTP = 0, GLISET = 0;
    REAL GLGSET = 0;

    // Uniform deviate on [0, 1), a multiple of 2.5E-7 (Knuth's subtractive method). A negative
    // idum (re)seeds the stream and is set to 1.
    REAL RAN3(std::int16_t &idum);
    // Standard normal deviate (polar Box-Muller on RAN3); the second of a pair is kept.
    REAL GASDEV(std::int16_t &idum);
};

namespace varno96 {
// A negative seed from -99 to -1, drawn from a clock-seeded generator: the seed of a run that
// was given none.
std::int16_t clock_seed();
} // namespace varno96
