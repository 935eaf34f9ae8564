// The Monte-Carlo runs of one sample, for every front end: the calculation of steps.cpp on
// perturbed analyses (and mixing parameters), run after run, with what each run took handed
// on to the front ends that compute beyond the dialogue (after_run). The dialogue's printing
// of the passes is driver/montecarlo.cpp.
#include "state/calculation.hpp"

#include <algorithm>

// Monte-Carlo error propagation: two passes of RSIZE runs on perturbed analyses, the second
// also perturbing the garnet and clinopyroxene mixing parameters.
// One run on perturbed analyses.
bool calculation::RUN(REAL &TR, REAL &PR) {
    NOVALUE.clear();
    const bool KEEP = static_cast<bool>(after_run); // what the run took, for after_run
    // The analyses as entered, their ferric iron estimated again below, or as first calculated.
    const bool AFRESH = ferric_each_run;
    const auto PERTURBED = [&](std::size_t WHICH, const VECTOR &FIRST) {
        if (!AFRESH) return DISTURBWT(FIRST, WT);
        DISTURBWT(entered[WHICH], WT);
        for (int I = 1; I <= NEL; I++) WT[I] = std::max(WT[I], 0.0);
    };
    PERTURBED(0, GRTWT);
    SETUPGARNET(T, 1000 * PREF);
    if (KEEP) LASTRUN.before_garnet = *this, LASTRUN.wt[0] = WT;
    GARNET(WT);
    if (KEEP) LASTRUN.cat[0] = CAT;
    PERTURBED(1, CPXWT);
    if (KEEP) LASTRUN.before_cpx = *this, LASTRUN.wt[1] = WT;
    CPX(WT);
    if (KEEP) LASTRUN.cat[1] = CAT;
    PERTURBED(2, MICAWT);
    if (KEEP) LASTRUN.wt[2] = WT;
    WHITEMICA(WT);
    if (KEEP) LASTRUN.cat[2] = CAT;
    if (!NOVALUE.empty()) return false;
    TR = ELLISGREEN(PKBAR);        // at the pressure of the last table row
    if (!TVARIES) NOVALUE.clear(); // the Powell temperature is then not used
    LNK = -2 * LNAGRS + -LNAPRP + 6 * LNADI + 3 * LNAMICA; // GRS + PRP + DI + MICA
    PR = PCALC(LNK, TVARIES ? TR + 273.15 : T);
    return NOVALUE.empty();
}

std::int16_t calculation::RUNPASS(int J, LEFTOUTLIST &LEFTOUT) {
    if (J == 2) SDMIX = true;
    std::int16_t N = 0; // runs with a value
    LEFTOUT.clear();
    for (int I = 1; I <= RSIZE; I++) {
        REAL TR = 0, PR = 0;
        if (!RUN(TR, PR)) {
            if (after_failed_run) after_failed_run(J);
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
        if (after_run) after_run(J, LASTRUN);
    }
    return N;
}
