// The grt-cpx-phe barometer and the Powell (1985) garnet-clinopyroxene thermometer.
#include "barometry/barometry.hpp"
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

bool HAS(const std::string &S, const char *WORD) { return S.find(WORD) != std::string::npos; }

// Each test is a calculation (support/harness.hpp).
using Pcalc = CALCTEST;
using EllisGreen = CALCTEST;

TEST_F(Pcalc, LinearInTAndTLnK) {
    RESETSTATE();
    for (REAL TK : {273.15, 873.15, 973.15, 1273.15}) {
        EXPECT_EQ(PCALC(0, TK), BARO::A + BARO::B * TK);
        // ln K = -B/C cancels the temperature term
        EXPECT_NEAR(PCALC(-BARO::B / BARO::C, TK), 28.0455, 1e-12);
    }
    // Above -B/C pressure falls as T rises, below it rises.
    EXPECT_LT(PCALC(8, 1000), PCALC(8, 900));
    EXPECT_GT(PCALC(4, 1000), PCALC(4, 900));
    EXPECT_TRUE(NOVALUE.empty()) << NOVALUE;
}

TEST_F(Pcalc, PublishedCheckAt700C) {
    RESETSTATE();
    EXPECT_EQ(std::round(PCALC(5.58463, 973.15) * 1000), 28708); // 28.708 kbar
}

TEST_F(Pcalc, OverflowHasNoValue) {
    RESETSTATE();
    EXPECT_TRUE(std::isnan(PCALC(1e308, 1e308)));
    EXPECT_TRUE(HAS(NOVALUE, "pressure")) << NOVALUE;
}

TEST_F(EllisGreen, Examples) {
    RESETSTATE();
    CAG = 0, FMG = FMC = 0.7;
    const REAL HOT = ELLISGREEN(0);
    EXPECT_NEAR(HOT, 2790 / 1.735 - 273.15, 1e-10); // rounding of the quotient
    EXPECT_GT(HOT, 1200);

    CAG = 0.25, FMG = 100000, FMC = 0.2;
    const REAL COLD = ELLISGREEN(20);
    EXPECT_NEAR(COLD, (0.25 * 3140 + 2790 + 200) / (std::log(500000.0) + 1.735) - 273.15, 1e-10);
    EXPECT_LT(COLD, 100);

    // Each kbar adds 10 / (ln K_D + 1.735) kelvin.
    CAG = 0.23, FMG = 2, FMC = 0.25;
    EXPECT_NEAR(ELLISGREEN(21) - ELLISGREEN(20), 10 / (std::log(8.0) + 1.735), 1e-10);
    EXPECT_TRUE(NOVALUE.empty()) << NOVALUE;
}

TEST_F(EllisGreen, NoValueWithoutAPositiveKDOrAtLnKDOfMinus1735) {
    const REAL KD[][2] = {{0, 0.5}, {-1, 0.5}, {2, 0}};
    for (const auto &F : KD) {
        RESETSTATE();
        CAG = 0.2, FMG = F[0], FMC = F[1];
        const REAL TC = ELLISGREEN(20);
        EXPECT_TRUE(std::isnan(TC)) << TC;
        EXPECT_TRUE(HAS(NOVALUE, "Powell temperature")) << NOVALUE;
    }

    // A K_D whose logarithm is exactly -1.735 leaves the quotient without a value.
    REAL X = std::exp(-1.735);
    for (int I = 0; I < 64 && std::log(X) != -1.735; I++)
        X = std::nextafter(X, std::log(X) < -1.735 ? 1.0 : 0.0);
    ASSERT_EQ(std::log(X), -1.735);
    RESETSTATE();
    CAG = 0.2, FMG = X, FMC = 1;
    const REAL TC = ELLISGREEN(20);
    EXPECT_FALSE(TC > 100 && TC < 1200) << TC;
    EXPECT_TRUE(std::isnan(TC)) << TC;
    EXPECT_TRUE(HAS(NOVALUE, "-1.735")) << NOVALUE;
}

} // namespace
