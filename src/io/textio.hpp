// Pascal-style number formatting and the fatal-error path, for the dialogue and every front end.
// The dialogue's text channels are driver/channels.hpp.
#pragma once

#include "state/textfile.hpp"
#include "state/types.hpp"

#include <string>
#include <string_view>

// Ends the run with status 1 and MESSAGE (RUNEND).
[[noreturn]] void FATAL(const std::string &MESSAGE);

// "w.d": fixed notation, right-aligned in W characters, never cut.
std::string FMT(REAL X, int W, int D);
// Integer right-aligned in W characters.
std::string FMTI(long X, int W);
// String right-aligned in W characters, never cut.
std::string PAD(std::string_view S, int W);
