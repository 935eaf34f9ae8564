// Keyboard dialogue, the number syntax, and the analysis data file reader and writers.
#pragma once

#include "state/state.hpp"

#include <string>
#include <string_view>

// Number syntax shared by the keyboard and the data file: optional blanks and tabs, optional
// sign, digits with at most one decimal point (at least one digit), optional exponent, and
// nothing after. Sets x and returns true when S is such a number and has a finite value.
bool READREAL(std::string_view S, REAL &x);
// A field or a typed answer as a number: READREAL, with a leading point read as "0.".
bool READFIELD(std::string FIELD, REAL &x);

// Asks a yes/no question; Enter alone, Y..., y... or "1" is yes.
bool QUERY(std::string_view PROMPT);

// Oxide by oxide entry of one analysis; an entry that is not a number is asked again.
void READFROMSCREEN(VECTOR &wt);
// Garnet, clinopyroxene and phengite analyses into GRTWT, CPXWT, MICAWT.
void SCREENINPUT();

// A number typed at a prompt: the first word of the first line that is not blank. An answer
// that is not a number asks the prompt again.
REAL ASKREAL(std::string_view PROMPT);
// A whole number from LOW to HIGH typed at a prompt, asked again until it is one.
int ASKINT(std::string_view PROMPT, int LOW, int HIGH);

// Data file reader: one field of F; the header check; one analysis line of DATA.
// Fields keep their first WIDTH characters: 20 in the dialogue.
std::string READSTR(TEXTFILE &F, std::size_t WIDTH = 20);
// A field as an oxide value: READFIELD, and anything that is not a number (n.d., bdl) as 0.
REAL READVALUE(std::string FIELD);
void CHECKOX();
void READLINE(VECTOR &MINWT);

// Data file writers: tabular and comma-and-quote delimited layouts.
std::string MAKESTR(REAL R, int DECIMALS);
void SAVEDATA();
void SAVEDELIM();
