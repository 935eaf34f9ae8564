// The steps of the calculation without the dialogue: each works on the program-wide variables
// and returns false, with NOVALUE saying why, when a result has no value.
#include "activity/activity.hpp"
#include "barometry/barometry.hpp"
#include "driver/driver.hpp"

#include <cmath>

void STARTMODEL() {
    for (int I = 1; I <= 4; I++)
        for (int J = 1; J <= 5; J++) WG[I][J] = WSD[I][J] = 0;
    SETUPGARNET(T, 18000); // the first formulae use the parameters at 18 kbar
}

bool FIRSTCALC(void (*MINERALPROC)(VECTOR &), VECTOR &wt) {
    NOVALUE.clear();
    MINERALPROC(wt);
    return NOVALUE.empty();
}

bool TRIALPRESSURE() {
    LNK = 6 * LNADI + 3 * LNAMICA - LNAPRP - 2 * LNAGRS;
    PREF = PCALC(LNK, T);
    return NOVALUE.empty();
}

bool POWELLT() {
    NOVALUE.clear();
    EGT = ELLISGREEN(PREF); // NaN when it has no value, which fails the window too
    return !std::isnan(EGT);
}

bool MIXING() {
    NOVALUE.clear();
    SETUPGARNET(T, 1000 * PREF);
    return NOVALUE.empty();
}

bool TABLEROW(int KROW) {
    T = TT + KROW * TSD;
    NOVALUE.clear();
    SETUPGARNET(T, 1000 * PREF);
    GARNET(GRTWT);
    CPX(CPXWT);
    WHITEMICA(MICAWT);
    LNK = 6 * LNADI + 3 * LNAMICA - LNAPRP - 2 * LNAGRS;
    PKBAR = PCALC(LNK, T);
    return NOVALUE.empty();
}
