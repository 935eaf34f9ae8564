// Keyboard dialogue: the number syntax, yes/no questions, oxide entry, typed numbers, the
// answer line and the fixed-notation helpers.
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
#include <vector>

namespace {

std::string REPEAT(const std::string &S, int N) {
    std::string R;
    for (int I = 0; I < N; I++) R += S;
    return R;
}

const char *const INSTRUCTIONS = "Enter the mineral oxide weight %.\n"
                                 "If probe data, enter all Fe as FeO.\n"
                                 "Fe2O3 will be estimated by the\n"
                                 "program if entered as 0.0\n"
                                 "\n";
const char *const PROMPTS[NEL] = {"  SiO2? ", "  TiO2? ", " Al2O3? ", " Fe2O3? ", "   FeO? ",
                                  "   MnO? ", "   MgO? ", "   CaO? ", "  Na2O? ", "   K2O? "};

std::string ALLPROMPTS() {
    std::string S;
    for (const char *P : PROMPTS) S += P;
    return S;
}

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

// Each test of the dialogue is one (support/harness.hpp).
using Query = DIALOGUETEST;
using ReadFromScreen = DIALOGUETEST;
using ScreenInput = DIALOGUETEST;
using ReadLn = DIALOGUETEST;
using AskReal = DIALOGUETEST;
using AskInt = DIALOGUETEST;

// ---- Yes/no questions -------------------------------------------------------------------

TEST_F(Query, AnswersAndPrompt) {
    const char *const YES[] = {"", "y", "Y", "yes", "Yes please", "1"};
    const char *const NO[] = {"n", "N", "no", "0", "2", "11", " y", "1 "};
    for (bool WANT : {true, false}) {
        for (const char *A : WANT ? std::vector<const char *>(std::begin(YES), std::end(YES))
                                  : std::vector<const char *>(std::begin(NO), std::end(NO))) {
            SCRIPTED IO(*this, std::string(A) + "\n");
            EXPECT_EQ(QUERY("Save these data?"), WANT) << "answer \"" << A << "\"";
            EXPECT_EQ(IO.OUTPUT(), "Save these data? (y) : ");
            EXPECT_EQ(IO.UNREAD(), "");
        }
    }
}

TEST_F(Query, EndOfInputEndsTheRun) {
    SCRIPTED IO(*this, "");
    EXPECT_EQ(ENDOF([&] { QUERY("Data from a file?"); }).STATUS, 1);
}

// ---- Oxide entry ------------------------------------------------------------------------

TEST_F(ReadFromScreen, ScreenAndStoredValues) {
    RESETSTATE();
    SCRIPTED IO(*this, ".5\n.\n .5\n-.5\n1e1\n38.62\n0\n0.0\n-3\n150\n");
    VECTOR V;
    READFROMSCREEN(V);
    const REAL WANT[NEL] = {0.5, 0, 0.5, -0.5, 10, 38.62, 0, 0, -3, 150};
    for (int I = 1; I <= NEL; I++) EXPECT_EQ(V[I], WANT[I - 1]) << "oxide " << I;
    EXPECT_EQ(IO.OUTPUT(), INSTRUCTIONS + ALLPROMPTS());
    EXPECT_EQ(IO.UNREAD(), "");
}

TEST_F(ReadFromScreen, RejectedEntryAsksTheSameOxideAgain) {
    RESETSTATE();
    SCRIPTED IO(*this, "1,5\n5 \n1.2.3\nabc\n\n-\n38.2\n.05\n21.6\n0\n25\n.6\n6\n9\n0\n0\n");
    VECTOR V;
    READFROMSCREEN(V);
    EXPECT_EQ(V[SIO2], 38.2);
    EXPECT_EQ(V[TIO2], 0.05);
    EXPECT_EQ(IO.OUTPUT(), INSTRUCTIONS + REPEAT(PROMPTS[0], 6) + ALLPROMPTS());
}

TEST_F(ReadFromScreen, EndOfInputInTheMiddleEndsTheRun) {
    RESETSTATE();
    SCRIPTED IO(*this, "38.2\n0.05\nx\n");
    VECTOR V;
    EXPECT_EQ(ENDOF([&] { READFROMSCREEN(V); }).STATUS, 1);
    EXPECT_EQ(V[SIO2], 38.2);
    EXPECT_EQ(V[TIO2], 0.05);
}

TEST_F(ScreenInput, ThreeAnalysesOverwriteEverySlot) {
    RESETSTATE();
    for (int I = 1; I <= NEL; I++) GRTWT[I] = CPXWT[I] = MICAWT[I] = 99;
    std::string IN;
    for (int M = 1; M <= 3; M++)
        for (int I = 1; I <= NEL; I++) IN += std::to_string(10 * M + I) + "\n";
    SCRIPTED IO(*this, IN);
    SCREENINPUT();
    for (int I = 1; I <= NEL; I++) {
        EXPECT_EQ(GRTWT[I], 10 + I);
        EXPECT_EQ(CPXWT[I], 20 + I);
        EXPECT_EQ(MICAWT[I], 30 + I);
    }
    const std::string ONE = INSTRUCTIONS + ALLPROMPTS();
    EXPECT_EQ(IO.OUTPUT(), "\nGarnet analysis\n" + ONE + "\n\nClinopyroxene analysis\n" + ONE +
                               "\n\nPhengite analysis\n" + ONE + "\n\n");
}

// ---- Answer lines -----------------------------------------------------------------------

TEST_F(ReadLn, LongLinesAndLineEnds) {
    const std::string A255(255, 'a');
    SCRIPTED IO(*this,
                std::string(300, 'a') + "\nnext\r\n" + A255 + "\r\n" + A255 + "b\r\n\r\nlast");
    EXPECT_EQ(READLN("? "), A255); // the rest of the long line is dropped
    EXPECT_EQ(READLN("? "), "next");
    EXPECT_EQ(READLN("? "), A255);
    EXPECT_EQ(READLN("? "), A255);
    EXPECT_EQ(READLN("? "), "");
    EXPECT_EQ(READLN("? "), "last"); // no line end before the end of input
    EXPECT_EQ(IO.OUTPUT(), REPEAT("? ", 6));
    EXPECT_EQ(ENDOF([&] { READLN("? "); }).STATUS, 1);
}

TEST_F(ReadLn, CrLfAnswersReadAsTheSameLine) {
    SCRIPTED IO(*this, "1\r\n\r\n");
    EXPECT_TRUE(QUERY("Q?"));
    EXPECT_TRUE(QUERY("Q?"));
}

// ---- Typed numbers ----------------------------------------------------------------------

struct ASKCASE {
    const char *INPUT;
    REAL VALUE;
    int PROMPTS; // times the prompt is written
};

TEST_F(AskReal, FirstWordOfTheFirstNonBlankLine) {
    const ASKCASE CASES[] = {
        {"650\n", 650, 1},           {"  12.5 degrees C\n", 12.5, 1}, {"\t-3e1\tx\n", -30, 1},
        {"\n \t \n\n650\n", 650, 1}, // blank lines: no new prompt
        {"abc\n650\n", 650, 2},      {"1,5\n\n.5 1\n", 0.5, 2},       {"6 50,\n", 6, 1},
    };
    for (const ASKCASE &C : CASES) {
        SCRIPTED IO(*this, C.INPUT);
        EXPECT_EQ(ASKREAL("Temperature (C) : "), C.VALUE) << C.INPUT;
        EXPECT_EQ(IO.OUTPUT(), REPEAT("Temperature (C) : ", C.PROMPTS)) << C.INPUT;
        EXPECT_EQ(IO.UNREAD(), "") << C.INPUT;
    }
}

TEST_F(AskReal, EndOfInputEndsTheRun) {
    for (const char *IN : {"", "x\n", "\n  \n"}) {
        SCRIPTED IO(*this, IN);
        EXPECT_EQ(ENDOF([&] { ASKREAL("T : "); }).STATUS, 1) << IN;
    }
}

TEST_F(AskInt, SignedWholeNumbersInRange) {
    const ASKCASE CASES[] = {
        {"7\n", 7, 1},
        {"+7\n", 7, 1},
        {"07\n", 7, 1},
        {" \n\t3 extra\n", 3, 1},
        {"7.0\n1e0\nx\n+\n-\n0\n8\n-1\n99999999999999999999\n5\n", 5, 10},
    };
    for (const ASKCASE &C : CASES) {
        SCRIPTED IO(*this, C.INPUT);
        EXPECT_EQ(ASKINT("choice : ", 1, 7), C.VALUE) << C.INPUT;
        EXPECT_EQ(IO.OUTPUT(), REPEAT("choice : ", C.PROMPTS)) << C.INPUT;
    }
    SCRIPTED IO(*this, "-99999999999999999999\n-4\n");
    EXPECT_EQ(ASKINT("n : ", -5, 5), -4);
}

TEST_F(AskInt, EndOfInputEndsTheRun) {
    SCRIPTED IO(*this, "9\n");
    EXPECT_EQ(ENDOF([&] { ASKINT("choice : ", 1, 7); }).STATUS, 1);
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

} // namespace
