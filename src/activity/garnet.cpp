#include "activity/activity.hpp"
#include "chemistry/chemistry.hpp"
#include "state/calculation.hpp"

// Garnet component positions in WG, WSD and X; not the oxide slots of the same names.
namespace XSITE {
constexpr int FE = 1, MN = 2, MG = 3, CA = 4;
}

void calculation::SETUPGARNET(REAL t, REAL P) {
    using XSITE::CA, XSITE::FE, XSITE::MG, XSITE::MN;
    const REAL F = 4.184; // J per calorie
    switch (CHOICE) {
    case 1: // Ganguly & Saxena 1984
        WG[FE][MG] = 836.8, WSD[FE][MG] = 2092;
        WG[MG][FE] = 10460, WSD[MG][FE] = 2092;
        WG[MG][CA] = (1000 - 1.5 * t) * F, WSD[MG][CA] = 418.4;
        WG[CA][MG] = (4047 - 1.5 * t) * F, WSD[CA][MG] = 418.4;
        WG[FE][CA] = (4620 - 1.5 * t) * F, WSD[FE][CA] = 2761.44;
        WG[CA][FE] = (-630 - 1.5 * t) * F, WSD[CA][FE] = 1673.6;
        break;
    case 2: // Geiger et al 1987
        WG[FE][MG] = -15760.0 / 3, WSD[FE][MG] = 750;
        WG[MG][FE] = 36170.0 / 3, WSD[MG][FE] = 750;
        WG[MG][CA] = 13807 - 6.276 * t, WSD[MG][CA] = 400;
        WG[CA][MG] = 13807 - 6.276 * t, WSD[CA][MG] = 400;
        WG[FE][CA] = 4560, WSD[FE][CA] = 750;
        WG[CA][FE] = -9080.0 / 3, WSD[CA][FE] = 750;
        break;
    case 3: // Newton & Haselton 1981, Mg-Ca only
        WG[MG][CA] = 13807 - 6.276 * t, WSD[MG][CA] = 400;
        WG[CA][MG] = 13807 - 6.276 * t, WSD[CA][MG] = 400;
        break;
    case 4: // NH81 Mg-Ca with Hackler & Wood 1989 Fe-Mg
        WG[FE][MG] = 2080, WSD[FE][MG] = 1200;
        WG[MG][FE] = 6350, WSD[MG][FE] = 1200;
        WG[MG][CA] = 13807 - 6.276 * t, WSD[MG][CA] = 400;
        WG[CA][MG] = 13807 - 6.276 * t, WSD[CA][MG] = 400;
        break;
    case 6: // Berman 1990, per X site
        WG[FE][MG] = (230 + 0.01 * P) / 3, WSD[FE][MG] = 100;
        WG[MG][FE] = (3720 + 0.06 * P) / 3, WSD[MG][FE] = 500;
        WG[MG][CA] = (21560 - 18.79 * t + 0.1 * P) / 3, WSD[MG][CA] = 500;
        WG[CA][MG] = (69200 - 18.79 * t + 0.1 * P) / 3, WSD[CA][MG] = 500;
        WG[FE][CA] = (20320 - 5.08 * t + 0.17 * P) / 3, WSD[FE][CA] = 500;
        WG[CA][FE] = (2620 - 5.08 * t + 0.09 * P) / 3, WSD[CA][FE] = 500;
        break;
    case 7: // Sengupta et al 1989, extension of GS84 with ternary constants
        WG[FE][MN] = 1255.2, WSD[FE][MN] = 418.4;
        WG[MN][FE] = 1255.2, WSD[MN][FE] = 418.4;
        WG[FE][MG] = 836.8, WSD[FE][MG] = 2092;
        WG[MG][FE] = 10460, WSD[MG][FE] = 2092;
        WG[MN][MG] = 6694.4, WSD[MN][MG] = 2092;
        WG[MG][MN] = 6694.4, WSD[MG][MN] = 2092;
        WG[MG][CA] = (1000 - 1.5 * t) * F, WSD[MG][CA] = 418.4;
        WG[CA][MG] = (4047 - 1.5 * t) * F, WSD[CA][MG] = 418.4;
        WG[FE][CA] = (4620 - 1.5 * t) * F, WSD[FE][CA] = 2761.44;
        WG[CA][FE] = (-630 - 1.5 * t) * F, WSD[CA][FE] = 1673.6;
        WG[FE][5] = 6372.232, WSD[FE][5] = 4184; // Sps-Prp-Grs
        WG[MN][5] = 22175.2, WSD[MN][5] = 4184;  // Alm-Prp-Grs
        WG[MG][5] = 10983, WSD[MG][5] = 4184;    // Alm-Sps-Grs
        WG[CA][5] = 4811.6, WSD[CA][5] = 4184;   // Alm-Sps-Prp
        break;
    default: // ideal mixing, or no such model
        break;
    }
    for (int I = 1; I <= 4; I++)
        for (int J = 1; J <= 5; J++)
            CHKFIN(WG[I][J], "the garnet mixing parameters have no value at this temperature");
}

void QUAX(VECTOR4 X, MATRIXW W, VECTOR4 &RTLNG) {
    const int N = 4;
    auto CYC = [](int I) { return I > N ? I - N : I; }; // 5, 6, 7 stand for 1, 2, 3
    for (int H = 1; H <= N; H++) {
        REAL GAM = 0;
        // Binaries that contain h.
        for (int D1 = 1; D1 <= 3; D1++) {
            const int J = CYC(H + D1);
            const REAL D = 2 * X[H] * (X[H] - X[J] - 1);
            GAM = GAM +
                  (X[J] / 2) * (W[H][J] * (1 - X[H] + X[J] + D) + W[J][H] * (1 - X[H] - X[J] - D));
        }
        // Binaries without h, with the ternary constant of the fourth component k.
        const int PAIRS[3][2] = {{1, 2}, {1, 3}, {2, 3}};
        for (const auto &PR : PAIRS) {
            const int I = CYC(H + PR[0]), J = CYC(H + PR[1]);
            const int KC = 10 - H - I - J;
            GAM = GAM + X[I] * X[J] *
                            (W[I][J] * (X[I] - X[J] - 0.5) + W[J][I] * (X[J] - X[I] - 0.5) +
                             W[KC][5] * (1 - 2 * X[H]));
        }
        // The ternary without h.
        const REAL XIJK = X[CYC(H + 1)] * X[CYC(H + 2)] * X[CYC(H + 3)];
        GAM = GAM - 2 * W[H][5] * XIJK;
        RTLNG[H] = GAM;
    }
}

void calculation::GARNET(VECTOR &wt) {
    MINERAL = "garnet";
    RECALC(wt, CAT, 12, 10);
    if (CTOT > 8.0 && wt[FE2O3] == 0 && estimate_ferric[0]) FE3FIDDLE(wt, CAT, CTOT, 8, 12, 1);
    if (CAT[MG] >= 0.001)
        FMG = CAT[FE2] / CAT[MG];
    else
        FMG = 100000;
    CAG = CHKDIV(CAT[CA], CAT[MG] + CAT[CA] + CAT[MN] + CAT[FE2],
                 "the garnet has no Mg, Ca, Mn or Fe2+, so Ca/(Mg+Ca+Mn+Fe2+) has no value");
    REAL CAL = CAT[AL];
    const REAL XALM2 = ASSIGNSITE(CAL, 2, 1); // Al on the two octahedral sites
    VECTOR4 XI;
    XI[1] = CAT[FE2] / 3, XI[2] = CAT[MN] / 3, XI[3] = CAT[MG] / 3, XI[4] = CAT[CA] / 3;
    VECTOR4 RTLNG;
    if (CHOICE != 5) {
        MATRIXW W;
        for (int I = 1; I <= 4; I++)
            for (int J = 1; J <= 5; J++)
                W[I][J] = SDMIX ? WG[I][J] + GASDEV(IDUM) * WSD[I][J] : WG[I][J];
        QUAX(XI, W, RTLNG);
    }
    LNOCT = CHKLN(XALM2 * XALM2, "the garnet has no octahedral Al, so a(pyrope) and "
                                 "a(grossular) have no value");
    const REAL RT = GCONST * T;
    const char *NOGAMMA = "the garnet activity coefficients have no value at this temperature";
    LNAPRP = 3 * (CHKDIV(RTLNG[3], RT, NOGAMMA) +
                  CHKLN(XI[3], "the garnet has no Mg, so a(pyrope) has no value")) +
             LNOCT; // a(prp) = (X_Mg g_Mg)^3 X_Al,oct^2
    LNAGRS = 3 * (CHKDIV(RTLNG[4], RT, NOGAMMA) +
                  CHKLN(XI[4], "the garnet has no Ca, so a(grossular) has no value")) +
             LNOCT; // a(grs) = (X_Ca g_Ca)^3 X_Al,oct^2
}
