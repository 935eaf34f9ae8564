#include "barometry/barometry.hpp"
#include "state/calculation.hpp"

REAL calculation::PCALC(REAL lnk, REAL t) {
    using BARO::A, BARO::B, BARO::C;
    return CHKFIN((C * t) * lnk + (B * t + A), "the pressure is out of range");
}

REAL calculation::ELLISGREEN(REAL P) {
    const REAL NUM = ((CAG * 3140) + 2790) + P * 10;
    const REAL LNKD = CHKLN(CHKDIV(FMG, FMC,
                                   "the Powell temperature has no value (no Fe/Mg in "
                                   "clinopyroxene)"),
                            "the Powell temperature has no value (K_D is not positive)");
    return CHKDIV(NUM, LNKD + 1.735, "the Powell temperature has no value (ln K_D = -1.735)") -
           273.15;
}
