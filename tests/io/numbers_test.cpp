// Numbers read and written by the dialogue and every front end: the number syntax of the
// keyboard and of data files, and the fixed notation of the report, the data files and the
// tables.
#include "io/io.hpp"
#include "io/textio.hpp"
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <regex>
#include <string>

namespace {

// ---- Number syntax ----------------------------------------------------------------------

struct NUMBERCASE {
    const char *TEXT;
    bool OK;
    REAL VALUE;
};

const NUMBERCASE NUMBERS[] = {
    {".5", true, 0.5}, {"5.", true, 5},        {"-.5", true, -0.5}, {" .5", true, 0.5},
    {"\t3", true, 3},  {"+2", true, 2},        {"1e1", true, 10},   {"1E-2", true, 0.01},
    {"-0", true, 0},   {"38.62", true, 38.62}, {".", false, 0},     {"", false, 0},
    {" ", false, 0},   {"-", false, 0},        {"+", false, 0},     {"1,5", false, 0},
    {"5 ", false, 0},  {"1.2.3", false, 0},    {"abc", false, 0},   {"1e", false, 0},
    {"1e+", false, 0}, {"e5", false, 0},       {"0x10", false, 0},  {"inf", false, 0},
    {"nan", false, 0}, {"1e999", false, 0}, // beyond the range of a REAL
};

TEST(NumberSyntax, AcceptedAndRejectedEntries) {
    for (const NUMBERCASE &C : NUMBERS) {
        REAL X = -777;
        EXPECT_EQ(READREAL(C.TEXT, X), C.OK) << "entry \"" << C.TEXT << "\"";
        if (C.OK) { EXPECT_EQ(X, C.VALUE) << "entry \"" << C.TEXT << "\""; }
    }
}

// Random entries against an independent statement of the syntax.
TEST(NumberSyntax, AgreesWithTheGrammarOnRandomEntries) {
    const std::regex GRAMMAR(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
    const std::string ALPHABET = "0123456789.+-eE ,x\t";
    std::mt19937 GEN(1996);
    std::uniform_int_distribution<std::size_t> LENGTH(0, 8), PICK(0, ALPHABET.size() - 1);
    int ACCEPTED = 0;
    for (int N = 0; N < 50000; N++) {
        std::string S;
        for (std::size_t L = LENGTH(GEN); L > 0; L--) S += ALPHABET[PICK(GEN)];
        REAL X = 0;
        const bool OK = READREAL(S, X);
        bool VALID = std::regex_match(S, GRAMMAR);
        const REAL EXPECTED = VALID ? std::strtod(S.c_str(), nullptr) : 0;
        if (!std::isfinite(EXPECTED)) VALID = false; // overflow
        ASSERT_EQ(OK, VALID) << "entry \"" << S << "\"";
        if (OK) {
            ASSERT_EQ(X, EXPECTED) << "entry \"" << S << "\"";
            ACCEPTED++;
        }
    }
    EXPECT_GT(ACCEPTED, 2000); // both sides of the grammar were exercised
}

// ---- Formatting -------------------------------------------------------------------------

TEST(Formatting, RightAlignedNeverCut) {
    EXPECT_EQ(FMT(38.2, 8, 2), "   38.20");
    EXPECT_EQ(FMT(-0.5, 6, 1), "  -0.5");
    EXPECT_EQ(FMT(0.05, 4, 2), "0.05");
    EXPECT_EQ(FMT(650, 5, 0), "  650");
    EXPECT_EQ(FMT(123456.789, 4, 1), "123456.8");
    EXPECT_EQ(FMT(38.625, 8, 2), "   38.62"); // exactly half-way: the even digit
    EXPECT_EQ(FMTI(7, 3), "  7");
    EXPECT_EQ(FMTI(-1234, 2), "-1234");
    EXPECT_EQ(PAD("KB12", 9), "     KB12");
    EXPECT_EQ(PAD("", 2), "  ");
    EXPECT_EQ(PAD("ABCDEFGHIJK", 9), "ABCDEFGHIJK");
}

// The digits are printf's "%*.*f", at the edges too: ties, negative zero, tiny and huge values.
TEST(Formatting, DigitsOfPrintf) {
    for (const REAL X : {0.0, -0.0, -0.001, 0.005, 0.015, 1.005, 2.5, -2.5, 0.125, 1e-300, 5e-324,
                         1e22, 1e300, -123456789.0125, 4503599627370497.5})
        for (const int D : {0, 1, 2, 3, 4}) {
            char WANT[400];
            std::snprintf(WANT, sizeof WANT, "%*.*f", 10, D, X);
            EXPECT_EQ(FMT(X, 10, D), WANT) << X << " with " << D;
        }
}

// The same over many values of every size, with the exact ties of binary fractions (k / 2^j)
// that only an exact rounding gets right, and the edge where the quick way gives over.
TEST(Formatting, DigitsOfPrintfAtRandom) {
    std::mt19937_64 RNG(96);
    std::uniform_real_distribution<double> EXPONENT(-20.0, 20.0);
    std::uniform_int_distribution<int> DECIMALS(0, 10), POWER(1, 40);
    std::uniform_int_distribution<long long> WHOLE(-(1LL << 40), 1LL << 40);
    int DIFFERENT = 0;
    for (int I = 0; I < 300000; I++) {
        const int D = DECIMALS(RNG);
        REAL X = 0;
        switch (I % 3) {
        case 0:
            X = (I % 2 ? -1 : 1) * std::pow(10.0, EXPONENT(RNG));
            break;
        case 1:
            X = std::ldexp(static_cast<REAL>(WHOLE(RNG)), -POWER(RNG));
            break;
        default:
            X = std::nextafter(0x1p63 / std::pow(10.0, std::min(D, 9)), I % 2 ? 0.0 : 1e300);
        }
        char WANT[400];
        std::snprintf(WANT, sizeof WANT, "%*.*f", 1, D, X);
        if (FMT(X, 1, D) != WANT && ++DIFFERENT <= 5)
            ADD_FAILURE() << X << " with " << D << ": " << FMT(X, 1, D) << " not " << WANT;
    }
    EXPECT_EQ(DIFFERENT, 0);
}

TEST(Formatting, ValueWithoutAValueEndsTheRun) {
    for (REAL X : {std::numeric_limits<REAL>::quiet_NaN(), std::numeric_limits<REAL>::infinity(),
                   -std::numeric_limits<REAL>::infinity()})
        EXPECT_EQ(ENDOF([X] { FMT(X, 8, 2); }).STATUS, 1) << X;
}

TEST(MakeStr, FixedNotationWithoutPadding) {
    EXPECT_EQ(MAKESTR(8.2, 2), "8.20");
    EXPECT_EQ(MAKESTR(0.05, 2), "0.05");
    EXPECT_EQ(MAKESTR(-1.5, 2), "-1.50");
    EXPECT_EQ(MAKESTR(0, 2), "0.00");
    EXPECT_EQ(MAKESTR(8.2, 0), "8");
    EXPECT_EQ(MAKESTR(38.625, 2), "38.62"); // half-way: the even digit, as in the report
    // Wider than 12 characters: written in full rather than cut.
    EXPECT_EQ(MAKESTR(-1234567890.125, 2), "-1234567890.12");
}

} // namespace
