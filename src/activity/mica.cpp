#include "activity/activity.hpp"
#include "chemistry/chemistry.hpp"
#include "state/calculation.hpp"

void calculation::WHITEMICA(VECTOR &wt) {
    MINERAL = "phengite";
    RECALC(wt, CAT, 11, 10);
    const REAL CSUM = CTOT - CAT[NA] - CAT[CA] - CAT[K]; // without the interlayer cations
    if (CSUM > 6 && wt[FE2O3] == 0 && estimate_ferric[2]) FE3FIDDLE(wt, CAT, CSUM, 6, 11, 1);
    VECTOR C = CAT;
    C[SI] = C[SI] - 2; // two Si fill the fixed tetrahedral pair
    const REAL XSIT = ASSIGNSITE(C[SI], 2, 1);
    const REAL XALT = ASSIGNSITE(C[AL], 2, 1 - XSIT);
    const REAL XALM2 = ASSIGNSITE(C[AL], 2, 1 - C[TI] / 2);
    const REAL XMGM2 = ASSIGNSITE(C[MG], 2, 1 - XALM2 - C[FE3] / 2 - C[TI] / 2);
    CHKLN(XSIT, "the phengite has no Si on the mixing tetrahedral site (Si 2 or less), so "
                "a(mica) has no value");
    CHKLN(XALT, "the phengite has no Al on the mixing tetrahedral site, so a(mica) has no value");
    CHKLN(XALM2, "the phengite has no octahedral Al, so a(mica) has no value");
    CHKLN(XMGM2, "the phengite has no octahedral Mg, so a(mica) has no value");
    // a(mu)/a(cel) = X_Al,T X_Al,M2 / (X_Si,T X_Mg,M2)
    LNAMICA =
        CHKLN(CHKDIV(XALT * XALM2, XSIT * XMGM2, "a(mica) has no value"), "a(mica) has no value");
}
