#include "activity/activity.hpp"
#include "chemistry/chemistry.hpp"
#include "state/calculation.hpp"

void calculation::CPX(VECTOR &wt) {
    MINERAL = "clinopyroxene";
    RECALC(wt, CAT, 6, 10);
    if (wt[FE2O3] == 0 && estimate_ferric[1] && cpx_ferric_sites)
        FE3SITES(wt);
    else if (wt[FE2O3] == 0 && CTOT > 4 && estimate_ferric[1])
        FE3FIDDLE(wt, CAT, CTOT, 4, 6, 1);
    if (CAT[FE2] >= 0.0001)
        FMC = CHKDIV(CAT[FE2], CAT[MG],
                     "the clinopyroxene has Fe2+ but no Mg, so its Fe/Mg has no value");
    else
        FMC = 0.000001;
    VECTOR C = CAT;                            // placements use up this copy
    const REAL SIT = ASSIGNSITE(C[SI], 2, 1);  // tetrahedral: Si,
    ASSIGNSITE(C[AL], 2, 1 - SIT);             // then Al
    const REAL ALM1 = ASSIGNSITE(C[AL], 1, 1); // M1: the Al left,
    REAL H1 = 1 - ALM1 - C[FE3] - C[TI];       // less Fe3+ and Ti,
    if (H1 < 0) H1 = 0;
    REAL MGM1 = 0, FE2M1 = 0;
    FEMG(C[MG], C[FE2], MGM1, FE2M1, 1, H1); // then Mg and Fe2+ in their ratio
    if (ONESITE) {
        // a(di) is the smaller of the Ca cations and X_Mg on M1
        if (CAT[CA] < MGM1)
            LNADI = CHKLN(CAT[CA], "the clinopyroxene has no Ca, so a(diopside) has no value");
        else
            LNADI = CHKLN(MGM1, "the clinopyroxene has no Mg on M1, so a(diopside) has no value");
        return;
    }
    LNADI = CHKLN(MGM1 * CAT[CA],
                  MGM1 > 0 ? "the clinopyroxene has no Ca, so a(diopside) has no value"
                           : "the clinopyroxene has no Mg on M1, so a(diopside) has no value");
    if (CAT[NA] >= 0.1) {
        const REAL RT = GCONST * T;
        const char *NOGAMMA =
            "the clinopyroxene activity coefficient has no value at this temperature";
        REAL WERR = SDMIX ? SDWA * GASDEV(IDUM) : 0;
        const REAL WAORT = CHKDIV((WA + WERR) * 1000, RT, NOGAMMA);
        WERR = SDMIX ? SDWB * GASDEV(IDUM) : 0;
        const REAL WBORT = CHKDIV((WB + WERR) * 1000, RT, NOGAMMA);
        const REAL WCORT = CHKDIV(WC * 1000, RT, NOGAMMA);
        // ln(gamma_di) for jadeite-rich pyroxene
        const REAL GAMDI =
            CAT[NA] * ((WAORT - WCORT) * CAT[FE3] + (WAORT - WBORT) * FE2M1 + WAORT * ALM1);
        LNADI = LNADI + GAMDI;
    }
}
