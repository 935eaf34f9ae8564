// The dialogue's text channels: the console, the report and the P-T file, written line by line
// and closed with every failure reported. What they print with (FMT, FMTI, PAD) and the
// fatal-error path serve every front end (io/textio.hpp); the console's WRITEBOTH and READLN
// are members of the dialogue (driver/dialogue.hpp).
#pragma once

#include "state/textfile.hpp"

#include <string>
#include <string_view>

void OPENWRITE(TEXTFILE &F, const std::string &FILENAME);
void WRITE(TEXTFILE &F, std::string_view S);
void WRITELN(TEXTFILE &F, std::string_view S = {});
void CLOSE(TEXTFILE &F);
// Closes the report and the P-T file after a failure; reports nothing.
void CLOSEQUIET(TEXTFILE &F);
