// Monte-Carlo error propagation: two passes of RSIZE runs on perturbed analyses, the second
// also perturbing the garnet and clinopyroxene mixing parameters.
#include "activity/activity.hpp"
#include "barometry/barometry.hpp"
#include "io/io.hpp"
#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <cmath>

void DISTURBWT(const VECTOR &OLDWT, VECTOR &NEWWT) {
    for (int I = 1; I <= NEL; I++) {
        if (OLDWT[I] < 0.01) {
            NEWWT[I] = OLDWT[I]; // absent and trace oxides pass unchanged
        } else {
            const REAL ERR = TOTERR * std::sqrt(OLDWT[I] / 100);
            NEWWT[I] = OLDWT[I] + GASDEV(IDUM) * ERR;
        }
    }
}

// One statistics row: label, mean and s.d. with D decimals, skewness and kurtosis with 3.
static void STATROW(const NARRAY &VALUES, std::int16_t N, const char *LABEL, int D, bool GAP) {
    MOMENT(VALUES, N, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    const std::string ROW =
        PAD(LABEL, 10) + FMT(AVE, 10, D) + FMT(SDEV, 10, D) + FMT(SKEW, 10, 3) + FMT(CURT, 10, 3);
    WRITELN(CON, ROW);
    if (GAP) WRITELN(CON);
    WRITELN(OUT, ROW);
    if (GAP) WRITELN(OUT);
}

// One run on perturbed analyses; false, with NOVALUE saying why, when a result has no value.
static bool RUN(REAL &TR, REAL &PR) {
    NOVALUE.clear();
    DISTURBWT(GRTWT, WT);
    SETUPGARNET(T, 1000 * PREF);
    GARNET(WT);
    DISTURBWT(CPXWT, WT);
    CPX(WT);
    DISTURBWT(MICAWT, WT);
    WHITEMICA(WT);
    if (!NOVALUE.empty()) return false;
    TR = ELLISGREEN(PKBAR);        // at the pressure of the last table row
    if (!TVARIES) NOVALUE.clear(); // the Powell temperature is then not used
    LNK = -2 * LNAGRS + -LNAPRP + 6 * LNADI + 3 * LNAMICA; // GRS + PRP + DI + MICA
    PR = PCALC(LNK, TVARIES ? TR + 273.15 : T);
    return NOVALUE.empty();
}

std::int16_t RUNPASS(int J, LEFTOUTLIST &LEFTOUT) {
    if (J == 2) SDMIX = true;
    std::int16_t N = 0; // runs with a value
    LEFTOUT.clear();
    for (int I = 1; I <= RSIZE; I++) {
        REAL TR = 0, PR = 0;
        if (!RUN(TR, PR)) {
            bool SEEN = false;
            for (auto &[WHY, COUNT] : LEFTOUT)
                if (WHY == NOVALUE) COUNT++, SEEN = true;
            if (!SEEN) LEFTOUT.emplace_back(NOVALUE, 1);
            continue;
        }
        N++;
        TRES[N] = TR;
        PRES[N] = PR;
        PRP[N] = -LNAPRP;
        GRS[N] = -2 * LNAGRS;
        DI[N] = 6 * LNADI;
        MICA[N] = 3 * LNAMICA;
        LK[N] = LNK;
    }
    return N;
}

static void PASS(int J) {
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

void MONTECARLO(std::optional<std::int16_t> SEED) {
    if (QUERY("Do Monte-Carlo error propagation?")) {
        GLISET = 0;
        IDUM = SEED ? *SEED : CLOCKSEED();
        PASS(1);
        PASS(2);
    }
    CLOSE(OUT);
    CLOSE(PTOUT);
}
