#include "state/calculation.hpp"

#include "chemistry/ferric_sites.hpp"

#include <cmath>

void calculation::INITIALISE() {
    for (int I = 1; I <= NEL; I++) WT[I] = 0;
}

std::string calculation::ANALYSIS() {
    return MINERAL.empty() ? "the analysis" : "the " + MINERAL + " analysis";
}

void calculation::RECALC(const VECTOR &wt, VECTOR &c, REAL n, std::int16_t ne) {
    REAL F = 0;
    TOTAL = 0;
    for (int I = 1; I <= ne; I++) {
        TOTAL = TOTAL + wt[I];
        c[I] = wt[I] / MW[I]; // moles of oxide per 100 g
        F = F + NO[I] * c[I]; // moles of oxygen
    }
    // The messages are built only when needed: RECALC runs thousands of times a sample.
    if (!std::isfinite(TOTAL)) NOVAL(ANALYSIS() + " is out of range, so its total has no value");
    if (F == 0 || !std::isfinite(n / F)) {
        NOVAL(ANALYSIS() + " holds no oxygen, so it has no formula");
        F = 0; // no formula: every cation 0 rather than NaN
    } else {
        F = n / F;
    }
    CTOT = 0;
    for (int I = 1; I <= ne; I++) {
        c[I] = NM[I] * F * c[I]; // cations per n oxygens
        CTOT = CTOT + c[I];
    }
}

void calculation::FE3FIDDLE(VECTOR &wt, VECTOR &c, REAL SUM, REAL NORM, REAL SUMOX, REAL RMAX) {
    // Without Fe2+ there is no iron to oxidise: the formula stays as recalculated.
    if (c[FE2] == 0) return;
    const REAL FEOTEMP = wt[FEO];
    REAL OXTOT = 0;
    for (int I = 1; I <= 10; I++) {
        c[I] = c[I] * NORM / SUM;
        OXTOT = OXTOT + c[I] * NO[I] / NM[I];
    }
    CTOT = CTOT * NORM / SUM;
    c[FE3] = 2 * (SUMOX - OXTOT); // half an O per Fe3+ that replaces an Fe2+
    const REAL WT3 = (c[FE2] - c[FE3]) / c[FE2] * wt[FEO];
    wt[FE2O3] = (wt[FEO] - WT3) * 1.1113; // g Fe2O3 per g FeO holding the same iron
    wt[FEO] = WT3;
    TOTAL = TOTAL - FEOTEMP + wt[FEO] + wt[FE2O3];
    c[FE2] = c[FE2] - c[FE3];
    const REAL RFE3 = c[FE3] / (c[FE2] + c[FE3]);
    if (c[FE2] < 0 || RFE3 > RMAX) {
        wt[FE2O3] = FEOTEMP * RMAX * 1.1113;
        wt[FEO] = (1 - RMAX) * FEOTEMP;
        RECALC(wt, c, SUMOX, 10);
    }
}

void calculation::FE3SITES(VECTOR &wt) {
    const REAL FE = CAT[FE2] + CAT[FE3];
    if (!(FE > 0)) return; // no iron to oxidise
    // The sites take the Cr of CPXCR2O3 beside the ten oxides, on the same 6 oxygens; the
    // ratio Fe3+/(Fe2+ + Fe3+), 0..1, is that of the formula of the ten oxides.
    const varno96::sites_formula SITES = varno96::cpx_sites_formula(wt, CAT, CPXCR2O3);
    const REAL RFE3 =
        varno96::cpx_ferric_from_sites(SITES.cat, SITES.cr) / (SITES.cat[FE2] + SITES.cat[FE3]);
    const REAL FEOTEMP = wt[FEO];
    wt[FE2O3] = FEOTEMP * RFE3 * 1.1113; // g Fe2O3 per g FeO holding the same iron
    wt[FEO] = (1 - RFE3) * FEOTEMP;
    RECALC(wt, CAT, 6, 10);
}
