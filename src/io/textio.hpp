// Text channels, Pascal-style number formatting and the fatal-error path. The console's
// WRITEBOTH and READLN are members of the dialogue (state/dialogue.hpp).
#pragma once

#include "state/textfile.hpp"
#include "state/types.hpp"

#include <string>
#include <string_view>

[[noreturn]] void FATAL(const std::string &MESSAGE);

// "w.d": fixed notation, right-aligned in W characters, never cut.
std::string FMT(REAL X, int W, int D);
// Integer right-aligned in W characters.
std::string FMTI(long X, int W);
// String right-aligned in W characters, never cut.
std::string PAD(std::string_view S, int W);

void OPENWRITE(TEXTFILE &F, const std::string &FILENAME);
void WRITE(TEXTFILE &F, std::string_view S);
void WRITELN(TEXTFILE &F, std::string_view S = {});
void CLOSE(TEXTFILE &F);
// Closes the report and the P-T file after a failure; reports nothing.
void CLOSEQUIET(TEXTFILE &F);
