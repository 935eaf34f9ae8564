// Random stream, sample moments and the Monte-Carlo error propagation.
#pragma once

#include "state/state.hpp"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Uniform deviate on [0, 1), a multiple of 2.5E-7 (Knuth's subtractive method). A negative
// idum (re)seeds the stream and is set to 1.
REAL RAN3(std::int16_t &idum);
// Standard normal deviate (polar Box-Muller on RAN3); the second of a pair is kept.
REAL GASDEV(std::int16_t &idum);

// Mean, mean absolute deviation, standard deviation, variance, skewness and excess kurtosis
// of the first n values of data.
void MOMENT(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev, REAL &svar,
            REAL &skew, REAL &curt);
// MOMENT without its pauses: the same values, and the pause message it would give (n below 2,
// or no skewness and kurtosis at zero variance), or nullptr.
const char *MOMENTVALUES(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev,
                         REAL &svar, REAL &skew, REAL &curt);

// A negative seed from -99 to -1, drawn from a clock-seeded generator. Kept in a translation
// unit of its own so that tests can link a fixed seed instead.
std::int16_t CLOCKSEED();

// Copies OLDWT into NEWWT, each oxide of 0.01 wt% or more perturbed by a normal deviate with
// standard deviation TOTERR * sqrt(wt% / 100).
void DISTURBWT(const VECTOR &OLDWT, VECTOR &NEWWT);
// Reasons why Monte-Carlo runs had no value, each with the number of runs it left out.
using LEFTOUTLIST = std::vector<std::pair<std::string, int>>;
// Pass J (1: analyses only, 2: also the mixing parameters) of RSIZE runs from the current
// random stream: the runs with a value in TRES, PRES, PRP, GRS, DI, MICA, LK [1..N], N
// returned; temperatures in degrees Celsius.
std::int16_t RUNPASS(int J, LEFTOUTLIST &LEFTOUT);
// The optional two Monte-Carlo passes of RSIZE runs, seeded by SEED or else the clock;
// closes the report and the P-T file.
void MONTECARLO(std::optional<std::int16_t> SEED = {});
