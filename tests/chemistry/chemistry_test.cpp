// Oxide table, formula recalculation, ferric iron by charge balance, site assignment and the
// domain-checked arithmetic.
#include "chemistry/chemistry.hpp"
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

// Oxygens carried by a formula.
REAL OXYGENS(const VECTOR &c) {
    REAL S = 0;
    for (int I = 1; I <= NEL; I++) S = S + c[I] * NO[I] / NM[I];
    return S;
}

// The clinopyroxene used throughout: jadeite-rich, all iron entered as FeO.
const VECTOR OMPHACITE{{55.5, 0.1, 10.0, 0, 4.0, 0.05, 8.5, 13.5, 7.0, 0}};

// Each test that uses the calculation is one (support/harness.hpp).
using OxideTable = CALCTEST;
using Recalc = CALCTEST;
using Fe3Fiddle = CALCTEST;
using Checked = CALCTEST;

TEST_F(OxideTable, InitialiseSetsTheTableAndClearsWT) {
    RESETSTATE();
    WT[SIO2] = 40;
    INITIALISE();
    const char *NAMES[] = {" SiO2", " TiO2", "Al2O3", "Fe2O3", "  FeO",
                           "  MnO", "  MgO", "  CaO", " Na2O", "  K2O"};
    const REAL MWS[] = {60.09, 79.9, 101.94, 159.7, 71.85, 70.94, 40.32, 56.08, 61.98, 94.2};
    const int NOS[] = {2, 2, 3, 3, 1, 1, 1, 1, 1, 1}, NMS[] = {1, 1, 2, 2, 1, 1, 1, 1, 2, 2};
    for (int I = 1; I <= NEL; I++) {
        SCOPED_TRACE(I);
        EXPECT_EQ(NAME[I], NAMES[I - 1]);
        EXPECT_EQ(MW[I], MWS[I - 1]);
        EXPECT_EQ(NO[I], NOS[I - 1]);
        EXPECT_EQ(NM[I], NMS[I - 1]);
        EXPECT_EQ(WT[I], 0);
    }
    EXPECT_EQ(FE3, FE2O3);
    EXPECT_EQ(FE2, FEO);
    EXPECT_EQ(K, K2O);
    EXPECT_EQ(K, NEL);
}

TEST_F(Recalc, PureSilicaOnTwoOxygens) {
    RESETSTATE();
    const VECTOR SILICA{{100, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    VECTOR C;
    RECALC(SILICA, C, 2, 10);
    EXPECT_EQ(TOTAL, 100);
    EXPECT_NEAR(C[SI], 1, 1e-15); // 2 / (2 * 100/60.09) * 100/60.09 rounds in the last digit
    EXPECT_NEAR(CTOT, 1, 1e-15);
    for (int I = 2; I <= NEL; I++) EXPECT_EQ(C[I], 0);
    EXPECT_TRUE(NOVALUE.empty());
}

TEST_F(Recalc, SlotsAboveNEAreLeftAsTheyWere) {
    RESETSTATE();
    VECTOR C;
    for (int I = 1; I <= NEL; I++) C[I] = -7;
    RECALC(OMPHACITE, C, 6, 3);
    EXPECT_GT(C[SI], 0);
    for (int I = 4; I <= NEL; I++) EXPECT_EQ(C[I], -7);
}

TEST_F(Recalc, EveryFormulaCarriesNOxygens) {
    RESETSTATE();
    std::mt19937 GEN(1996);
    std::uniform_real_distribution<REAL> WTPC(0, 60);
    const REAL OXY[] = {6, 11, 12, 2, 23.5};
    for (int CASE = 0; CASE < 200; CASE++) {
        VECTOR A;
        for (int I = 1; I <= NEL; I++) A[I] = WTPC(GEN);
        const REAL N = OXY[CASE % 5];
        VECTOR C;
        RECALC(A, C, N, 10);
        EXPECT_NEAR(OXYGENS(C), N, 1e-12 * N); // a sum of ten rounded terms
    }
}

TEST_F(Recalc, AnalysisOfZerosHasNoFormula) {
    RESETSTATE();
    MINERAL = "garnet";
    VECTOR C;
    for (int I = 1; I <= NEL; I++) C[I] = 3;
    RECALC(VECTOR{}, C, 12, 10);
    for (int I = 1; I <= NEL; I++) EXPECT_EQ(C[I], 0);
    EXPECT_EQ(CTOT, 0);
    EXPECT_EQ(TOTAL, 0);
    EXPECT_NE(NOVALUE.find("garnet"), std::string::npos) << NOVALUE;
    EXPECT_NE(NOVALUE.find("formula"), std::string::npos) << NOVALUE;
}

TEST_F(Fe3Fiddle, OmphaciteEstimateBringsFourCationsOnSixOxygens) {
    RESETSTATE();
    VECTOR A = OMPHACITE, C;
    RECALC(A, C, 6, 10);
    ASSERT_GT(CTOT, 4);
    const REAL TOTAL0 = TOTAL;
    FE3FIDDLE(A, C, CTOT, 4, 6, 1);
    EXPECT_EQ(CTOT, 4);                // CTOT * 4 / CTOT is exact
    EXPECT_NEAR(OXYGENS(C), 6, 1e-13); // rounded sum of ten terms
    EXPECT_GT(A[FE2O3], 0);
    EXPECT_LT(A[FEO], 4.0);
    EXPECT_NEAR(A[FEO] + A[FE2O3] / 1.1113, 4.0, 1e-13); // the iron is kept
    EXPECT_GT(TOTAL, TOTAL0);
    EXPECT_NEAR(TOTAL, TOTAL0 - 4.0 + A[FEO] + A[FE2O3], 1e-12);
    EXPECT_GT(C[FE3], 0);
    EXPECT_GT(C[FE2], 0);
    for (int I : {SIO2, TIO2, AL2O3, MNO, MGO, CAO, NA2O, K2O}) EXPECT_EQ(A[I], OMPHACITE[I]);

    // No second recalculation: a TOTAL it would overwrite survives, shifted by the oxygen added.
    VECTOR B = OMPHACITE, D;
    RECALC(B, D, 6, 10);
    TOTAL = 1000;
    FE3FIDDLE(B, D, CTOT, 4, 6, 1);
    EXPECT_NEAR(TOTAL, 1000 - 4.0 + B[FEO] + B[FE2O3], 1e-12);
    EXPECT_EQ(CTOT, 4);
}

TEST_F(Fe3Fiddle, AegirineWithIronAsFeOBecomesAllFerric) {
    RESETSTATE();
    // NaFe3+Si2O6 in wt% from atomic weights, its iron given as FeO.
    VECTOR A{{52.02, 0, 0, 0, 31.11, 0, 0, 0, 13.42, 0}}, C;
    RECALC(A, C, 6, 10);
    ASSERT_GT(CTOT, 4);
    TOTAL = 1000; // overwritten by the recalculation of the limited analysis
    FE3FIDDLE(A, C, CTOT, 4, 6, 1);
    EXPECT_EQ(A[FE2O3], 31.11 * 1 * 1.1113);
    EXPECT_EQ(A[FEO], 0);
    EXPECT_EQ(C[FE2], 0);
    EXPECT_NEAR(TOTAL, 52.02 + A[FE2O3] + 13.42, 1e-12);
    EXPECT_NEAR(OXYGENS(C), 6, 1e-13);
    EXPECT_NEAR(C[SI], 2, 1e-3); // wt% rounded to two decimals
    EXPECT_NEAR(C[FE3], 1, 1e-3);
    EXPECT_NEAR(C[NA], 1, 1e-3);
}

TEST_F(Fe3Fiddle, RatioEqualToTheLimitStandsAndJustAboveIsLimited) {
    RESETSTATE();
    VECTOR A = OMPHACITE, C;
    RECALC(A, C, 6, 10);
    const VECTOR C0 = C;
    const REAL CTOT0 = CTOT, TOTAL0 = TOTAL;
    FE3FIDDLE(A, C, CTOT0, 4, 6, 1);
    const REAL RFE3 = C[FE3] / (C[FE2] + C[FE3]);
    const VECTOR ESTIMATE = A;

    // The same estimate with the limit set to its own ferric fraction: accepted as it is.
    VECTOR B = OMPHACITE, D = C0;
    CTOT = CTOT0, TOTAL = TOTAL0;
    FE3FIDDLE(B, D, CTOT0, 4, 6, RFE3);
    EXPECT_EQ(B[FEO], ESTIMATE[FEO]);
    EXPECT_EQ(B[FE2O3], ESTIMATE[FE2O3]);
    EXPECT_EQ(CTOT, 4);

    // One step lower the limit applies: FeO and Fe2O3 in the ratio of the limit, recalculated.
    const REAL RMAX = std::nextafter(RFE3, 0.0);
    B = OMPHACITE, D = C0;
    CTOT = CTOT0, TOTAL = TOTAL0;
    FE3FIDDLE(B, D, CTOT0, 4, 6, RMAX);
    EXPECT_EQ(B[FE2O3], 4.0 * RMAX * 1.1113);
    EXPECT_EQ(B[FEO], (1 - RMAX) * 4.0);
    EXPECT_NEAR(OXYGENS(D), 6, 1e-13);
}

TEST_F(Fe3Fiddle, WithoutFeOLeavesAnalysisAndFormula) {
    RESETSTATE();
    VECTOR A = OMPHACITE, C;
    A[FEO] = 0, A[MGO] = 12; // a cation excess, but no iron to oxidise
    RECALC(A, C, 6, 10);
    ASSERT_GT(CTOT, 4);
    const VECTOR A0 = A, C0 = C;
    const REAL CTOT0 = CTOT, TOTAL0 = TOTAL;
    FE3FIDDLE(A, C, CTOT, 4, 6, 1);
    EXPECT_EQ(A.V, A0.V);
    EXPECT_EQ(C.V, C0.V);
    EXPECT_EQ(CTOT, CTOT0);
    EXPECT_EQ(TOTAL, TOTAL0);
    EXPECT_TRUE(NOVALUE.empty()) << NOVALUE; // a defined outcome, not a missing value
}

TEST(AssignSite, Examples) {
    struct ROW {
        REAL C, N, HOLE, RESULT, LEFT;
    };
    // Exact by construction: no rounding in any of these.
    const ROW EXACT[] = {
        {1.5, 2, 1, 0.75, 0},  // all fits
        {0.6, 2, 0.3, 0.3, 0}, // exactly HOLE * N fills the room
        {0.3, 2, 0, 0, 0.3},   // no room: nothing placed, amount kept
        {-0.2, 2, 1, 0, 0},    // negative amount set to 0
        {-0.2, 2, 0, 0, 0},    // whatever the room
        {0, 1, 1, 0, 0},
    };
    for (const ROW &R : EXACT) {
        REAL C = R.C;
        EXPECT_EQ(ASSIGNSITE(C, R.N, R.HOLE), R.RESULT) << R.C << " " << R.HOLE;
        EXPECT_EQ(C, R.LEFT) << R.C << " " << R.HOLE;
    }
    REAL C = 2.1;
    EXPECT_EQ(ASSIGNSITE(C, 2, 1), 1);
    EXPECT_NEAR(C, 0.1, 1e-15); // 2.1 - 2 rounds in the last digit
}

TEST(FeMg, Examples) {
    struct ROW {
        REAL MG, FE2, N, HOLE, MGS, FES, MGLEFT, FELEFT;
    };
    const ROW ROWS[] = {
        {0.6, 0.2, 1, 0.4, 0.3, 0.1, 0.3, 0.1},       // room filled in the ratio of the amounts
        {0.3, 0.1, 1, 0.5, 0.3, 0.1, 0, 0},           // both enter whole
        {0, 0.7, 1, 0.5, 0, 0.5, 0, 0.2},             // Fe2+ alone
        {0.4, 0.3, 1, 0, 0, 0, 0.4, 0.3},             // no room
        {-0.1, 0.3, 1, 0.5, 0, 0.3, -0.1, 0},         // negative Mg is left as it is
        {0.5, -0.1, 1, 0.4, 0.4, 0, 0.1, -0.1},       // Mg alone; negative Fe2+ left
        {0.6, 0.2, 2, 0.3, 0.225, 0.075, 0.15, 0.05}, // two positions, room filled
        {0.6, 0.2, 2, 0.5, 0.3, 0.1, 0, 0},           // two positions, all enter
    };
    for (const ROW &R : ROWS) {
        SCOPED_TRACE(testing::Message() << R.MG << " " << R.FE2 << " " << R.HOLE);
        REAL MG = R.MG, FE = R.FE2, MGS = -1, FES = -1;
        FEMG(MG, FE, MGS, FES, R.N, R.HOLE);
        // ratios and differences of decimal fractions round in the last digits
        EXPECT_NEAR(MGS, R.MGS, 1e-15);
        EXPECT_NEAR(FES, R.FES, 1e-15);
        EXPECT_NEAR(MG, R.MGLEFT, 1e-15);
        EXPECT_NEAR(FE, R.FELEFT, 1e-15);
    }
}

TEST(SiteAssignment, FractionsStayOnTheSiteAndAmountsAreConserved) {
    std::mt19937 GEN(7);
    std::uniform_real_distribution<REAL> AMOUNT(-0.5, 3), ROOM(-0.2, 1);
    for (int CASE = 0; CASE < 2000; CASE++) {
        const REAL N = CASE % 2 ? 1 : 2, HOLE = ROOM(GEN);
        REAL C = AMOUNT(GEN);
        const REAL C0 = C, X = ASSIGNSITE(C, N, HOLE);
        EXPECT_GE(X, 0);
        EXPECT_LE(X, std::max(HOLE, 0.0));
        EXPECT_GE(C, 0);
        if (C0 > 0) { // amount placed plus amount left
            EXPECT_NEAR(C + X * N, C0, 1e-14);
        }

        REAL MG = AMOUNT(GEN), FE = AMOUNT(GEN), MGS = 0, FES = 0;
        const REAL MG0 = MG, FE0 = FE;
        FEMG(MG, FE, MGS, FES, N, HOLE);
        EXPECT_GE(MGS, 0);
        EXPECT_GE(FES, 0);
        EXPECT_LE(MGS + FES, std::max(HOLE, 0.0) + 1e-15);
        if (MG0 > 0) { EXPECT_NEAR(MG + MGS * N, MG0, 1e-14); }
        if (FE0 > 0) { EXPECT_NEAR(FE + FES * N, FE0, 1e-14); }
        if (MG0 > 0 && FE0 > 0 && HOLE > 0) { EXPECT_NEAR(FES * MG0, MGS * FE0, 1e-14); }
    }
}

TEST_F(Checked, MissingValuesAreNamedOnceAndComeBackAsNaN) {
    RESETSTATE();
    EXPECT_EQ(CHKLN(std::exp(1.0), "ln e"), 1);
    EXPECT_EQ(CHKDIV(1, 4, "a quarter"), 0.25);
    EXPECT_EQ(CHKFIN(-3, "minus three"), -3);
    EXPECT_TRUE(NOVALUE.empty());

    const REAL INF = std::numeric_limits<REAL>::infinity();
    EXPECT_TRUE(std::isnan(CHKLN(0, "ln of zero")));
    EXPECT_EQ(NOVALUE, "ln of zero");
    EXPECT_TRUE(std::isnan(CHKLN(-1, "ln of minus one")));
    EXPECT_TRUE(std::isnan(CHKLN(INF, "ln of infinity")));
    EXPECT_TRUE(std::isnan(CHKLN(std::nan(""), "ln of nothing")));
    EXPECT_TRUE(std::isnan(CHKDIV(1, 0, "one by zero")));
    EXPECT_TRUE(std::isnan(CHKDIV(1e300, 1e-300, "overflow")));
    EXPECT_TRUE(std::isnan(CHKFIN(INF, "infinity")));
    EXPECT_EQ(NOVALUE, "ln of zero"); // the first one stays

    NOVALUE.clear();
    CHKDIV(1e300, 1e-300, "overflow");
    EXPECT_EQ(NOVALUE, "overflow");
}

} // namespace
