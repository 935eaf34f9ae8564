// Text channels and the end of a run: what the dialogue and the data-file readers write and
// read through, and how a fatal error or the user's no ends the run. Writing to a channel is
// the dialogue's (driver/channels.hpp).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A line-oriented text channel. Files end their lines with CR LF, the console with LF.
struct TEXTFILE {
    std::FILE *F = nullptr;
    std::string NAME; // file name, or "standard output"
    const char *EOL = "\r\n";
    bool MIDLINE = false; // the last text written did not end its line
};

// Thrown to end the run: by the fatal-error path (STATUS 1, MESSAGE says why) and by the
// user's no at the oxide check (STATUS 0). Caught only in main, which closes the files.
struct RUNEND {
    int STATUS;
    std::string MESSAGE;
};

// The data file reader's field by field reading, with its end-of-line flag (io/fields.cpp).
struct field_reader {
    bool ENDLN = false; // the field just read ended its line

    // One field of F; fields keep their first WIDTH characters: 20 in the dialogue.
    std::string READSTR(TEXTFILE &F, std::size_t WIDTH = 20);
};

// Consumes the rest of the line of F and its end: CR LF, a bare CR or a bare LF.
void SKIPLINE(TEXTFILE &F);
