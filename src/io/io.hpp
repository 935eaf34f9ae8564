// The number syntax and the data file's values (io/numbers.cpp), for the dialogue and every
// front end. The keyboard dialogue, the data file reader and the writers are members of the
// dialogue (driver/dialogue.hpp).
#pragma once

#include "state/types.hpp"

#include <string>
#include <string_view>

// Number syntax shared by the keyboard and the data file: optional blanks and tabs, optional
// sign, digits with at most one decimal point (at least one digit), optional exponent, and
// nothing after. Sets x and returns true when S is such a number and has a finite value.
bool READREAL(std::string_view S, REAL &x);
// A field or a typed answer as a number: READREAL, with a leading point read as "0.".
bool READFIELD(std::string FIELD, REAL &x);

// A field as an oxide value: READFIELD, and anything that is not a number (n.d., bdl) as 0.
REAL READVALUE(std::string FIELD);

// A value with DECIMALS decimals and no leading blanks, as the delimited data file holds it.
std::string MAKESTR(REAL R, int DECIMALS);
