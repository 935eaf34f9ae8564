// The dialogue's data files: the field reader (io/fields.cpp) on the dialogue's data channel,
// the oxide check and analysis lines (driver/readfile.cpp), and the tabular and delimited
// writers (driver/savefile.cpp), each read back. The batch's reading of the same layout is
// tests/tables/datafile_test.cpp.
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fresh folder of its own, removed with its content at the end of the test.
struct SCRATCH {
    fs::path DIR;
    SCRATCH() {
        static std::atomic<int> COUNT{0};
        DIR = fs::temp_directory_path() /
              ("varno96-io-" + std::to_string(::getpid()) + "-" + std::to_string(COUNT++));
        fs::remove_all(DIR);
        fs::create_directories(DIR);
    }
    ~SCRATCH() {
        std::error_code EC;
        fs::remove_all(DIR, EC);
    }
    SCRATCH(const SCRATCH &) = delete;
    SCRATCH &operator=(const SCRATCH &) = delete;
};

// The working directory is the scratch folder while alive (the writers use relative names).
struct INSIDE : SCRATCH {
    fs::path BACK = fs::current_path();
    INSIDE() { fs::current_path(DIR); }
    ~INSIDE() { fs::current_path(BACK); }
    std::vector<std::string> FILES() const {
        std::vector<std::string> R;
        for (const auto &E : fs::directory_iterator(DIR)) R.push_back(E.path().filename());
        return R;
    }
};

std::string SLURP(const fs::path &P) {
    std::ifstream IN(P, std::ios::binary);
    std::ostringstream S;
    S << IN.rdbuf();
    return S.str();
}

// A dialogue's DATA bound to a scratch file holding TEXT, as the program opens it.
struct DATAFILE : SCRATCH {
    TEXTFILE &DATA;
    DATAFILE(TEXTFILE &F, const std::string &TEXT) : DATA(F) {
        const fs::path P = DIR / "A.PRN";
        std::ofstream(P, std::ios::binary) << TEXT;
        DATA.NAME = P.string();
        DATA.F = std::fopen(DATA.NAME.c_str(), "rb");
        EXPECT_NE(DATA.F, nullptr);
    }
    ~DATAFILE() {
        if (DATA.F != nullptr) std::fclose(DATA.F);
        DATA.F = nullptr;
    }
};

void EXPECTVALUES(const VECTOR &V, const std::vector<REAL> &WANT, const std::string &NOTE) {
    for (int I = 1; I <= NEL; I++)
        EXPECT_EQ(V[I], WANT[static_cast<std::size_t>(I - 1)]) << NOTE << ", oxide " << I;
}

const std::string EOF26(1, '\x1a');

// Each test is a dialogue (support/harness.hpp); the helpers that touch it are its members.
struct DATAFILETEST : DIALOGUETEST {
    void SETANALYSES() {
        RESETSTATE();
        GRTWT = VECTOR{{38.2, 0.05, 21.6, 0, 26.4, 0.62, 7.1, 6.3, 0.02, 0}};
        CPXWT = VECTOR{{55.1, 0.1, 9.8, 1.5, 4.2, 0.03, 9.9, 14.5, 5.9, 0.01}};
        MICAWT = VECTOR{{50.3, 0.8, 27.1, 0, 2.1, 0, -1.5, 0.01, 0.4, 123456.789}};
    }
};
using ReadStr = DATAFILETEST;
using ReadLine = DATAFILETEST;
using CheckOx = DATAFILETEST;
using SaveData = DATAFILETEST;
using SaveDelim = DATAFILETEST;

// ---- Fields -----------------------------------------------------------------------------

struct FIELDCASE {
    const char *NOTE;
    std::string TEXT;
    std::vector<std::pair<std::string, bool>> FIELDS; // field and ENDLN, in order
};

TEST_F(ReadStr, FieldsAndLineEnds) {
    const FIELDCASE CASES[] = {
        {"blanks, CR LF",
         "  a   b \"c\"\r\nd",
         {{"a", false}, {"b", false}, {"c", true}, {"d", true}, {EOF26, true}, {EOF26, true}}},
        {"tabs",
         "a\t\tb\r\n\tc",
         {{"a", false}, {"0", false}, {"b", true}, {"0", false}, {"c", true}}},
        {"commas",
         "a,,b , c,\r\nd",
         {{"a", false},
          {"0", false},
          {"b", false},
          {"0", false},
          {"c", false},
          {"0", true},
          {"d", true}}},
        {"quotes dropped, not protecting",
         "\"\",\"a b\",1\"2\"3\r\n",
         {{"0", false}, {"a", false}, {"b", false}, {"123", true}, {EOF26, true}}},
        {"cut to 20",
         "abcdefghijklmnopqrstuvwxy z",
         {{"abcdefghijklmnopqrst", false}, {"z", true}}},
        {"LF only", "a b\n\nc", {{"a", false}, {"b", true}, {"\nc", true}}},
        {"CR only", "a\r\rb\rc", {{"a", true}, {"0", true}, {"b", true}, {"c", true}}},
        {"empty CR LF line", "\r\n\r\nb", {{"0", true}, {"0", true}, {"b", true}}},
        {"empty file", "", {{EOF26, true}}},
    };
    for (const FIELDCASE &C : CASES) {
        DATAFILE D(DATA, C.TEXT);
        for (const auto &[FIELD, END] : C.FIELDS) {
            ENDLN = !END;
            EXPECT_EQ(READSTR(DATA), FIELD) << C.NOTE;
            EXPECT_EQ(ENDLN, END) << C.NOTE << ", field " << FIELD;
        }
    }
}

// ---- Analysis lines ---------------------------------------------------------------------

struct LINECASE {
    const char *NOTE;
    std::string TEXT;
    std::vector<REAL> VALUES; // the ten oxides of the first line
    std::string NEXT;         // the field after the line
};

const std::vector<REAL> V10 = {38.5, 0.1, 21.7, 1.2, 25.1, 0.6, 6.2, 8.9, 0.05, 0.01};

TEST_F(ReadLine, LayoutsAndOddities) {
    const LINECASE CASES[] = {
        {"blanks", "1   A1  Grt 1 x 12  38.50 0.10  21.70 1.2 25.1 .6 6.2 8.9 0.05 0.01\r\n2 B",
         V10, "2"},
        {"tabs", "1\tA1\tGrt\t1\tx\t12\t38.5\t0.1\t21.7\t1.2\t25.1\t0.6\t6.2\t8.9\t0.05\t0.01\r\n2",
         V10, "2"},
        {"quoted, commas",
         "1,\"A1\",\"Grt\",1,\"descr\",12,38.5,0.1,21.7,1.2,25.1,0.6,6.2,8.9,0.05,0.01\r\n2", V10,
         "2"},
        {"empty field and leading point",
         "1,A1,Grt,1,x,12,38.5,,21.7,0,25.1,.6,6.2,8.9,0,0\r\n2",
         {38.5, 0, 21.7, 0, 25.1, 0.6, 6.2, 8.9, 0, 0},
         "2"},
        {"blank before a comma",
         "1,A1,Grt,1,x,12,38.5 ,0.1,21.7,0,25.1,0.6,6.2,8.9,0,0\r\n2",
         {38.5, 0, 0.1, 21.7, 0, 25.1, 0.6, 6.2, 8.9, 0},
         "2"},
        {"two tabs",
         "1\tA1\tGrt\t1\tx\t12\t38.5\t\t21.7\t1.2\t25.1\t0.6\t6.2\t8.9\t0.05\t0.01\r\n2",
         {38.5, 0, 21.7, 1.2, 25.1, 0.6, 6.2, 8.9, 0.05, 0.01},
         "2"},
        {"decimal comma",
         "1,A1,Grt,1,x,12,38,5,0.1,21.7,1.2,25.1,0.6,6.2,8.9,0.05,0.01\r\n2",
         {38, 5, 0.1, 21.7, 1.2, 25.1, 0.6, 6.2, 8.9, 0.05},
         "2"},
        {"long fields",
         "1 A1 Grt 1 x 12 0.1234567890123456789x 1234567890123456789012 n.d. "
         "bdl - 25.1 0.6 6.2 8.9 0.05\r\n2",
         {0.123456789012345678, 12345678901234567890.0, 0, 0, 0, 25.1, 0.6, 6.2, 8.9, 0.05},
         "2"},
        {"total column",
         "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 0.01 102.1 x\r\n2", V10, "2"},
        {"no line end", "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 0.01", V10, EOF26},
        {"LF only", "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 0.01\n2", V10, "2"},
        {"CR only", "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 0.01\r2", V10, "2"},
        {"ends early",
         "1 A1 Grt 1 x 12 38.5 0.1 21.7",
         {38.5, 0.1, 21.7, 0, 0, 0, 0, 0, 0, 0},
         EOF26},
        {"tenth field at the line end",
         "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 \r\n2",
         {38.5, 0.1, 21.7, 1.2, 25.1, 0.6, 6.2, 8.9, 0.05, 0},
         "2"},
    };
    for (const LINECASE &C : CASES) {
        DATAFILE D(DATA, C.TEXT);
        VECTOR V;
        for (int I = 1; I <= NEL; I++) V[I] = 99;
        READLINE(V);
        EXPECTVALUES(V, C.VALUES, C.NOTE);
        EXPECT_EQ(READSTR(DATA), C.NEXT) << C.NOTE;
    }
}

TEST_F(ReadLine, FileEndingEarlyLeavesZeros) {
    RESETSTATE();
    for (int I = 1; I <= NEL; I++) GRTWT[I] = CPXWT[I] = MICAWT[I] = 99;
    DATAFILE D(
        DATA, "No Sample Min # Descr Ox SiO2\r\n1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 "
              "0.05 0.01\r\n2 A1 Cpx 1 x 6 55");
    SCRIPTED IO(*this, "\n");
    CHECKOX();
    READLINE(GRTWT);
    READLINE(CPXWT);
    READLINE(MICAWT);
    EXPECTVALUES(GRTWT, V10, "garnet");
    EXPECTVALUES(CPXWT, {55, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "clinopyroxene");
    EXPECTVALUES(MICAWT, std::vector<REAL>(10, 0.0), "phengite");
    EXPECT_EQ(READSTR(DATA), EOF26);
    EXPECT_TRUE(ENDLN);
}

// ---- Oxide check ------------------------------------------------------------------------

const std::string OXIDES = "SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O";
const std::string GARNETLINE = "1 A1 Grt 1 x 12 38.5 0.1 21.7 1.2 25.1 0.6 6.2 8.9 0.05 0.01\r\n";

std::string CHECKSCREEN(const std::string &SHOWN) {
    return "Checking that oxides are in correct sequence ...\n"
           "Expected:  SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O\n"
           "File has:  " +
           SHOWN + "\nDo you want to continue? (y) : ";
}

TEST_F(CheckOx, HeaderShownAndTotalDropped) {
    const std::string NAMES = "SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O ";
    const std::pair<std::string, std::string> CASES[] = {
        {"No Sample Min # Descr Ox " + OXIDES + "\r\n", NAMES},
        {"No Sample Min # Descr Ox " + OXIDES + " Total\r\n", NAMES},
        {"No Sample Min # Descr Ox " + OXIDES + " TOTAL sum\r\n", NAMES},
        {"No\tSample\tMin\t#\tDescr\tOx\t" + OXIDES + "\ttotal\t\r\n", NAMES},
        {"No Sample Min # Descr Ox " + OXIDES + " Tot\r\n", NAMES + "Tot "},
        {"\"No\",\"Sample\",\"Min\",\"#\",\"Descr\",\"Ox\",\"SiO2\",\"TiO2\",\"Al2O3\",\"Fe2O3\","
         "\"FeO\",\"MnO\",\"MgO\",\"CaO\",\"Na2O\",\"K2O\"\r\n",
         NAMES},
    };
    for (const auto &[HEADER, SHOWN] : CASES) {
        DATAFILE D(DATA, HEADER + GARNETLINE);
        SCRIPTED IO(*this, "y\n");
        CHECKOX();
        EXPECT_EQ(IO.OUTPUT(), CHECKSCREEN(SHOWN)) << HEADER;
        VECTOR V;
        READLINE(V);
        EXPECTVALUES(V, V10, HEADER);
    }
}

TEST_F(CheckOx, NoEndsTheRunNormally) {
    DATAFILE D(DATA, "No Sample Min # Descr Ox " + OXIDES + "\r\n" + GARNETLINE);
    SCRIPTED IO(*this, "n\n");
    EXPECT_EQ(ENDOF([&] { CHECKOX(); }).STATUS, 0);
    EXPECT_EQ(IO.OUTPUT(), CHECKSCREEN(OXIDES + " "));
}

// ---- Writers ----------------------------------------------------------------------------

const std::string GUIDE = "                             _________\n";

TEST_F(SaveData, TabularLayout) {
    SETANALYSES();
    INSIDE W;
    std::ofstream("KB12.PRN") << std::string(1000, '#'); // replaced without asking
    SCRIPTED IO(*this, "KB12\nKB12\n");
    SAVEDATA();
    const std::string HEADER = " No    Sample  Min    #      Descr   Ox    SiO2    TiO2   Al2O3   "
                               "Fe2O3     FeO     MnO     MgO     CaO    Na2O     K2O\r\n";
    EXPECT_EQ(HEADER.size(), 119u + 2u);
    EXPECT_EQ(SLURP("KB12.PRN"),
              HEADER +
                  "  1      KB12  Grt    1      descr   12   38.20    0.05   21.60    0.00   26.40"
                  "    0.62    7.10    6.30    0.02    0.00\r\n"
                  "  2      KB12  Cpx    1      descr    6   55.10    0.10    9.80    1.50    4.20"
                  "    0.03    9.90   14.50    5.90    0.01\r\n"
                  "  3      KB12  Phe    1      descr   22   50.30    0.80   27.10    0.00    2.10"
                  "    0.00   -1.50    0.01    0.40123456.79\r\n");
    EXPECT_EQ(IO.OUTPUT(), "Name for file (prefix to .PRN) : " + GUIDE +
                               "Sample name (not > 9 char) : "
                               "File KB12.PRN successfully written in tabular .PRN format\n");
}

TEST_F(SaveDelim, DelimitedLayout) {
    SETANALYSES();
    INSIDE W;
    SCRIPTED IO(*this, "KB12\nKB12\n");
    SAVEDELIM();
    EXPECT_EQ(SLURP("KB12.PRN"),
              "\"No\",\"Sample\",\"Min\",\"#\",\"Descr\",\"Ox\",\"SiO2\",\"TiO2\",\"Al2O3\","
              "\"Fe2O3\",\"FeO\",\"MnO\",\"MgO\",\"CaO\",\"Na2O\",\"K2O\"\r\n"
              "1,\"KB12\",\"Grt\",1,\"descr\",12,38.20,0.05,21.60,0.00,26.40,0.62,7.10,6.30,0.02,"
              "0.00\r\n"
              "2,\"KB12\",\"Cpx\",1,\"descr\",6,55.10,0.10,9.80,1.50,4.20,0.03,9.90,14.50,5.90,"
              "0.01\r\n"
              "3,\"KB12\",\"Phe\",1,\"descr\",22,50.30,0.80,27.10,0.00,2.10,0.00,-1.50,0.01,0.40,"
              "123456.79\r\n");
    EXPECT_EQ(IO.OUTPUT(), "Name for file (prefix to .PRN) : " + GUIDE +
                               "Sample name (not > 9 char) : "
                               "File KB12.PRN successfully written in delimited format\n");
}

TEST_F(SaveData, FileAndSampleNames) {
    SETANALYSES();
    const std::pair<const char *, const char *> FILENAMES[] = {{"abc", "abc.PRN"},
                                                               {"abcdefgh", "abcdefgh.PRN"},
                                                               {"abcdefghijk", "abcdefgh.PRN"},
                                                               {"a.b", "a.b.PRN"},
                                                               {"sample.txt", "sample.t.PRN"}};
    for (const auto &[ANSWER, PRN] : FILENAMES) {
        INSIDE W;
        SCRIPTED IO(*this, std::string(ANSWER) + "\nS\n");
        SAVEDATA();
        EXPECT_EQ(W.FILES(), std::vector<std::string>{PRN}) << ANSWER;
    }
    // Sample name: cut at 9; right-aligned in columns 5 to 13 of the tabular lines, as typed
    // between quotes in the delimited ones.
    const std::pair<std::string, std::string> SAMPLES[] = {
        {"ABCDEFGHIJK", "ABCDEFGHI"}, {"KB12", "     KB12"}, {"", "         "}};
    for (const auto &[ANSWER, COLUMNS] : SAMPLES) {
        INSIDE W;
        SCRIPTED IO(*this, "t\n" + ANSWER + "\nd\n" + ANSWER + "\n");
        SAVEDATA();
        SAVEDELIM();
        const std::string TAB = SLURP("t.PRN"), DELIM = SLURP("d.PRN");
        const std::string LINE2 = TAB.substr(TAB.find("\r\n") + 2);
        EXPECT_EQ(LINE2.substr(0, 18), "  1 " + COLUMNS + "  Grt") << ANSWER;
        const std::string CUT = ANSWER.substr(0, 9);
        EXPECT_NE(DELIM.find("\r\n1,\"" + CUT + "\",\"Grt\",1,"), std::string::npos) << ANSWER;
    }
}

// Each layout read back gives the values rounded to two decimals.
TEST_F(SaveData, BothLayoutsReadBack) {
    RESETSTATE();
    GRTWT = VECTOR{{38.625, 0.054, 21.599, 0, 26.4449, 0.625, 7.1, 6.3, 0.004, 0}};
    CPXWT = VECTOR{{55.1, 0.1, 9.8, 1.5, 4.2, 0.03, 9.9, 14.5, 5.9, 0.01}};
    MICAWT = VECTOR{{50.3, 0.8, 27.1, 0, 2.1, 0, 1.5, -0.25, 0.4, 9.996}};
    const VECTOR KEPTGRT = GRTWT, KEPTCPX = CPXWT, KEPTMICA = MICAWT;
    for (bool DELIMITED : {false, true}) {
        INSIDE W;
        {
            SCRIPTED IO(*this, "RT\nRT1\n");
            DELIMITED ? SAVEDELIM() : SAVEDATA();
        }
        GRTWT = CPXWT = MICAWT = VECTOR{};
        DATAFILE D(DATA, SLURP("RT.PRN"));
        SCRIPTED IO(*this, "\n");
        CHECKOX();
        EXPECT_NE(IO.OUTPUT().find("File has:  " + OXIDES + " \n"), std::string::npos);
        READLINE(GRTWT);
        READLINE(CPXWT);
        READLINE(MICAWT);
        const std::string NOTE = DELIMITED ? "delimited" : "tabular";
        EXPECTVALUES(GRTWT, {38.62, 0.05, 21.6, 0, 26.44, 0.62, 7.1, 6.3, 0, 0}, NOTE);
        EXPECTVALUES(CPXWT, std::vector<REAL>(KEPTCPX.V.begin(), KEPTCPX.V.end()), NOTE);
        EXPECTVALUES(MICAWT, {50.3, 0.8, 27.1, 0, 2.1, 0, 1.5, -0.25, 0.4, 10}, NOTE);
        GRTWT = KEPTGRT;
        CPXWT = KEPTCPX;
        MICAWT = KEPTMICA;
    }
}

TEST_F(SaveData, FileThatCannotBeCreatedIsReported) {
    SETANALYSES();
    for (bool DELIMITED : {false, true}) {
        INSIDE W;
        SCRIPTED IO(*this, "nodir/x\nS1\n");
        EXPECT_NO_THROW(DELIMITED ? SAVEDELIM() : SAVEDATA());
        const std::string SHOWN = IO.OUTPUT();
        const std::string HEAD = "Name for file (prefix to .PRN) : " + GUIDE +
                                 "Sample name (not > 9 char) : File nodir/x.PRN could not be "
                                 "written (";
        const std::string TAIL = "); the analyses were not saved\n";
        EXPECT_EQ(SHOWN.substr(0, HEAD.size()), HEAD);
        ASSERT_GE(SHOWN.size(), HEAD.size() + TAIL.size());
        EXPECT_EQ(SHOWN.substr(SHOWN.size() - TAIL.size()), TAIL);
        EXPECT_EQ(SHOWN.find('\n', HEAD.size()), SHOWN.size() - 1); // one line
        EXPECT_EQ(IO.UNREAD(), "");
        EXPECT_TRUE(W.FILES().empty());
    }
}

} // namespace
