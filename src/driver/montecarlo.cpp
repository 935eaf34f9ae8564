// The dialogue's Monte-Carlo block: the two passes of RSIZE runs (calculation/runs.cpp) with
// their P-T pairs and statistics, and the statistics' pauses.
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/textio.hpp"
#include "stats/stats.hpp"

void dialogue::PAUSE(const char *MESSAGE) {
    WRITELN(CON, MESSAGE);
    READLN("", MESSAGE);
}

void dialogue::MOMENT(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev,
                      REAL &svar, REAL &skew, REAL &curt) {
    if (const char *WHY = MOMENTVALUES(data, n, ave, adev, sdev, svar, skew, curt)) PAUSE(WHY);
}

void dialogue::STATROW(const NARRAY &VALUES, std::int16_t N, const char *LABEL, int D, bool GAP) {
    MOMENT(VALUES, N, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    const std::string ROW =
        PAD(LABEL, 10) + FMT(AVE, 10, D) + FMT(SDEV, 10, D) + FMT(SKEW, 10, 3) + FMT(CURT, 10, 3);
    WRITELN(CON, ROW);
    if (GAP) WRITELN(CON);
    WRITELN(OUT, ROW);
    if (GAP) WRITELN(OUT);
}

void dialogue::PASS(int J) {
    WRITELN(OUT);
    LEFTOUTLIST LEFTOUT;
    const std::int16_t N = RUNPASS(J, LEFTOUT);
    for (int I = 1; I <= N; I++)
        WRITELN(PTOUT, FMT(TVARIES ? TRES[I] : T - 273.15, 10, 0) + FMT(PRES[I], 10, 2));
    WRITELN(PTOUT);
    const std::string TITLE = std::string("Results of Monte-Carlo error propagation: ") +
                              (J == 1 ? "weight % only" : "wt% and mixing params");
    const char *HEAD = "                Mean      s.d.      skew      kurt";
    WRITELN(CON);
    WRITELN(CON, TITLE);
    WRITELN(CON, HEAD);
    WRITELN(OUT);
    WRITELN(OUT, TITLE);
    WRITELN(OUT, HEAD);
    if (N >= 2) {
        if (TVARIES) STATROW(TRES, N, "T(C)", 0, false);
        STATROW(PRES, N, "P(kbar)", 3, true);
        STATROW(PRP, N, "-ln(Prp)", 3, false);
        STATROW(GRS, N, "-2ln(Grs)", 3, false);
        STATROW(DI, N, "6ln(Di)", 3, false);
        STATROW(MICA, N, "3ln(Mica)", 3, false);
        STATROW(LK, N, "LnK", 3, false);
    }
    for (const auto &[WHY, COUNT] : LEFTOUT) {
        const std::string LINE =
            FMTI(COUNT, 3) + " of " + std::to_string(RSIZE) + " runs left out: " + WHY;
        WRITEBOTH(LINE);
    }
    WRITELN(CON);
}

void dialogue::MONTECARLO(std::optional<std::int16_t> SEED) {
    if (QUERY("Do Monte-Carlo error propagation?")) {
        GLISET = 0;
        IDUM = SEED ? *SEED : CLOCKSEED();
        PASS(1);
        PASS(2);
    }
    CLOSE(OUT);
    CLOSE(PTOUT);
}
