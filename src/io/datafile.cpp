// Analysis data file reader: blank-, tab- or comma-separated fields, quotes dropped.
#include "io/io.hpp"
#include "io/textio.hpp"
#include "state/dialogue.hpp"

#include <cerrno>
#include <cstring>

static constexpr int SP = 32, TAB = 9, CR = 13, LF = 10, QUOTE = 34, COMMA = 44, CTRLZ = 26;
static constexpr int NIFIELDS = 6; // No, Sample, Min, #, Descr, Ox

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

// Consumes the rest of the line and its end: CR LF, a bare CR or a bare LF.
static void SKIPLINE(TEXTFILE &F) {
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

void dialogue::CHECKOX() {
    for (int I = 1; I <= NIFIELDS; I++) DUMMY = READSTR(DATA);
    WRITELN(CON, "Checking that oxides are in correct sequence ...");
    WRITELN(CON, "Expected:  SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O");
    WRITE(CON, "File has:  ");
    bool DONE = false;
    while (!DONE) {
        const std::string OXNAME = READSTR(DATA);
        DONE = ENDLN;
        if (OXNAME == "Total" || OXNAME == "TOTAL" || OXNAME == "total") {
            if (!ENDLN) SKIPLINE(DATA);
            DONE = true;
        } else {
            WRITE(CON, OXNAME + " ");
        }
    }
    WRITELN(CON);
    if (!QUERY("Do you want to continue?")) throw RUNEND{0, ""};
}

REAL READVALUE(std::string FIELD) {
    REAL X = 0;
    if (!READFIELD(FIELD, X)) X = 0.0; // n.d., bdl, empty: read as 0
    return X;
}

void dialogue::READLINE(VECTOR &MINWT) {
    ENDLN = false;
    for (int I = 1; I <= NIFIELDS; I++) DUMMY = READSTR(DATA);
    for (int I = 1; I <= NEL; I++) {
        DUMMY = READSTR(DATA);
        MINWT[I] = READVALUE(DUMMY);
    }
    if (!ENDLN) SKIPLINE(DATA); // a total column, or anything else after the tenth value
}
