#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/textio.hpp"

#include <cmath>

void dialogue::CHECKVALUE() {
    if (!NOVALUE.empty()) FATAL("no result: " + NOVALUE);
}

void dialogue::SHOWMINERAL(void (calculation::*MINERALPROC)(VECTOR &), VECTOR &wt,
                           const char *LABEL) {
    WRITELN(CON);
    if (!FIRSTCALC(MINERALPROC, wt)) CHECKVALUE();
    std::string ANALYSIS = LABEL, FORMULA(8, ' ');
    for (int I = 1; I <= NEL; I++) {
        ANALYSIS += FMT(wt[I], 6, 2);
        FORMULA += FMT(CAT[I], 6, 3);
    }
    ANALYSIS += FMT(TOTAL, 8, 2);
    FORMULA += FMT(CTOT, 8, 3);
    WRITELN(CON, ANALYSIS);
    WRITELN(CON, FORMULA);
    WRITELN(OUT);
    WRITELN(OUT, ANALYSIS);
    WRITELN(OUT, FORMULA);
}

void dialogue::SETTINGS() {
    T = ASKREAL("Temperature (C) : ") + 273.15;
    WRITELN(CON, "Choose garnet mixing model:");
    for (int I = 1; I <= NMODELS; I++) WRITELN(CON, FMTI(I, 2) + " = " + MODEL[I]);
    CHOICE = static_cast<std::int16_t>(ASKINT("choice : ", 1, NMODELS));
    WRITELN(CON);
    STARTMODEL();
    ONESITE = !QUERY("Disordered (two-site) Cpx?");
    TOTERR = ASKREAL("Analytical uncertainty (as % error on 100%; try 1) : ");
    WRITELN(OUT, "Grt: " + MODEL[CHOICE] + (ONESITE ? "     1-site Cpx" : "     2-site Cpx"));
    WRITELN(OUT, "     s.d. on 100wt%: " + FMT(TOTERR, 5, 1));
    WRITELN(OUT);
}

void dialogue::CHOOSETEMPERATURE() {
    if (QUERY("Keep T fixed at trial value?")) return;
    if (QUERY("Use variable Powell 1985 temperatures?")) {
        if (!std::isnan(EGT)) {
            TVARIES = true;
            T = EGT + 273.15;
            return;
        }
        WRITELN(CON, "The Powell 1985 temperature has no value; type a temperature instead.");
    }
    T = ASKREAL("Enter new T(C) : ") + 273.15;
}

void dialogue::MIXINGPARAMETERS() {
    if (!MIXING()) CHECKVALUE();
    WRITELN(CON);
    WRITELN(CON, "Mixing parameters used: " + MODEL[CHOICE]);
    std::string HEAD(10, ' ');
    for (int I = 1; I <= 4; I++) HEAD += PAD(ENDM[I], 10);
    WRITELN(CON, HEAD + PAD("Ternary", 12));
    for (int I = 1; I <= 4; I++) {
        std::string ROW = PAD(ENDM[I], 10);
        for (int J = 1; J <= 5; J++) ROW += FMT(WG[I][J], 10, 0);
        WRITELN(CON, ROW);
    }
}

void dialogue::CALCULATE() {
    SETTINGS();
    WRITELN(CON);
    std::string HEAD(8, ' ');
    for (int I = 1; I <= NEL; I++) HEAD += PAD(NAME[I], 6);
    WRITEBOTH(HEAD + PAD("Total", 8));
    SDMIX = false;
    SHOWMINERAL(&calculation::GARNET, GRTWT, "Garnet  ");
    SHOWMINERAL(&calculation::CPX, CPXWT, "Clinopx ");
    SHOWMINERAL(&calculation::WHITEMICA, MICAWT, "Phengite");
    if (!TRIALPRESSURE()) CHECKVALUE();
    POWELLT();
    WRITELN(CON);
    if (100 < EGT && EGT < 1200)
        WRITELN(CON, "Estimated T (Powell 1985) is " + FMT(EGT, 4, 0) + " (C)");
    else
        WRITELN(CON, "Powell 1985 T cannot be calculated");
    CHOOSETEMPERATURE();
    if (CHOICE != 5) MIXINGPARAMETERS();
    WRITELN(CON);
    std::string RESHEAD;
    for (const char *H : {"T(C)", "P(kbar)", "lna(prp)", "lna(grs)", "lna(di)", "lna(Mica)", "lnK"})
        RESHEAD += PAD(H, 10);
    WRITELN(CON, RESHEAD);
    WRITELN(OUT);
    WRITELN(OUT, RESHEAD);
    TT = T;
    for (int KROW = -1; KROW <= 1; KROW++) {
        if (!TABLEROW(KROW)) CHECKVALUE();
        WRITEBOTH(FMT(T - 273.15, 10, 0) + FMT(PKBAR, 10, 2) + FMT(LNAPRP, 10, 4) +
                  FMT(LNAGRS, 10, 4) + FMT(LNADI, 10, 4) + FMT(LNAMICA, 10, 4) + FMT(LNK, 10, 4));
    }
    T = TT;
}
