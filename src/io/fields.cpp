// The field reader of analysis data files: blank-, tab- or comma-separated fields, quotes
// dropped, for the dialogue's reading of a data file (driver/readfile.cpp) and the batch's
// reading of the same layout (tables/datafile.cpp).
#include "io/textio.hpp"
#include "state/textfile.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

static constexpr int SP = 32, TAB = 9, CR = 13, LF = 10, QUOTE = 34, COMMA = 44, CTRLZ = 26;

static void READFAILED(const TEXTFILE &F) {
    FATAL("cannot read " + F.NAME + ": " + (errno != 0 ? std::strerror(errno) : "read error"));
}

// Next character; character 26 past the end of the file. A channel belongs to one thread:
// its characters are read without taking the stream lock each time.
static int READCH(TEXTFILE &F) {
    const int CH = getc_unlocked(F.F);
    if (CH != EOF) return CH;
    if (std::ferror(F.F)) READFAILED(F);
    return CTRLZ;
}

// True when the next character ends the line, or the file is exhausted.
static bool EOLN(TEXTFILE &F) {
    const int CH = getc_unlocked(F.F);
    if (CH == EOF) {
        if (std::ferror(F.F)) READFAILED(F);
        return true;
    }
    std::ungetc(CH, F.F);
    return CH == CR || CH == LF || CH == CTRLZ;
}

// Consumes an LF that directly follows.
static void SKIPLF(TEXTFILE &F) {
    const int CH = getc_unlocked(F.F);
    if (CH != LF && CH != EOF) std::ungetc(CH, F.F);
}

void SKIPLINE(TEXTFILE &F) {
    int CH;
    do CH = getc_unlocked(F.F);
    while (CH != EOF && CH != CR && CH != LF);
    if (CH == CR) SKIPLF(F);
}

std::string field_reader::READSTR(TEXTFILE &F, std::size_t WIDTH) {
    ENDLN = false;
    std::string FIELD;
    int CH;
    do CH = READCH(F);
    while (CH == SP);
    const bool ATCR = CH == CR; // the field begins at the line end itself
    if (ATCR) ENDLN = true;
    while (CH != TAB && CH != SP && CH != COMMA && !ENDLN) {
        if (CH != QUOTE && FIELD.size() < WIDTH) FIELD += static_cast<char>(CH);
        if (EOLN(F)) ENDLN = true;
        if (!ENDLN) CH = READCH(F);
    }
    if (ENDLN) {
        if (ATCR)
            SKIPLF(F);
        else
            SKIPLINE(F);
    }
    return FIELD.empty() ? "0" : FIELD;
}
