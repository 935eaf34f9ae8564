// The calculation of one sample, step by step, as the dialogue, the batch, the page and the
// Python module all carry it out. This folder holds what is the calculation's own rather than
// one subsystem's: the steps that put the formulae (chemistry/), the activity models
// (activity/) and the barometer (barometry/) together, here, and the Monte-Carlo runs that
// perturb them (runs.cpp), apart from the dialogue that asks for them and prints them
// (driver/). Each step works on the calculation's variables and returns false, with NOVALUE
// saying why, when a result has no value.
#include "activity/activity.hpp"
#include "barometry/barometry.hpp"
#include "state/calculation.hpp"

#include <cmath>

void calculation::STARTMODEL() {
    for (int I = 1; I <= 4; I++)
        for (int J = 1; J <= 5; J++) WG[I][J] = WSD[I][J] = 0;
    SETUPGARNET(T, 18000); // the first formulae use the parameters at 18 kbar
}

bool calculation::FIRSTCALC(void (calculation::*MINERALPROC)(VECTOR &), VECTOR &wt) {
    NOVALUE.clear();
    (this->*MINERALPROC)(wt);
    return NOVALUE.empty();
}

bool calculation::TRIALPRESSURE() {
    LNK = 6 * LNADI + 3 * LNAMICA - LNAPRP - 2 * LNAGRS;
    PREF = PCALC(LNK, T);
    return NOVALUE.empty();
}

bool calculation::POWELLT() {
    NOVALUE.clear();
    EGT = ELLISGREEN(PREF); // NaN when it has no value, which fails the window too
    return !std::isnan(EGT);
}

bool calculation::MIXING() {
    NOVALUE.clear();
    SETUPGARNET(T, 1000 * PREF);
    return NOVALUE.empty();
}

bool calculation::TABLEROW(int KROW) {
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
