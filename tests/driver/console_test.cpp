// Keyboard dialogue: yes/no questions, oxide entry, typed numbers and the answer line. The
// number syntax it reads and the fixed notation it writes are tests/io/numbers_test.cpp.
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <iterator>
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

} // namespace
