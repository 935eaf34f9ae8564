#include "io/io.hpp"
#include "io/textio.hpp"
#include "state/dialogue.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

static bool ISDIGIT(char CH) { return CH >= '0' && CH <= '9'; }

bool READREAL(std::string_view S, REAL &x) {
    std::size_t I = 0;
    while (I < S.size() && (S[I] == ' ' || S[I] == '\t')) I++;
    const std::size_t START = I;
    auto DIGITS = [&] {
        std::size_t N = 0;
        for (; I < S.size() && ISDIGIT(S[I]); I++) N++;
        return N;
    };
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) I++;
    std::size_t N = DIGITS();
    if (I < S.size() && S[I] == '.') {
        I++;
        N += DIGITS();
    }
    if (N == 0) return false;
    if (I < S.size() && (S[I] == 'E' || S[I] == 'e')) {
        I++;
        if (I < S.size() && (S[I] == '+' || S[I] == '-')) I++;
        if (DIGITS() == 0) return false;
    }
    if (I != S.size()) return false;
    REAL VALUE = 0;
#if defined(__GLIBCXX__)
    // from_chars rounds as strtod does, several times faster; it takes no '+' and leaves
    // values beyond the range of a REAL (and tiny ones) to strtod.
    const char *FIRST = S.data() + START + (S[START] == '+');
    const auto [PTR, EC] = std::from_chars(FIRST, S.data() + S.size(), VALUE);
    if (EC != std::errc() || PTR != S.data() + S.size())
        VALUE = std::strtod(std::string(S.substr(START)).c_str(), nullptr);
#else
    VALUE = std::strtod(std::string(S.substr(START)).c_str(), nullptr);
#endif
    if (!std::isfinite(VALUE)) return false; // beyond the range of a REAL
    x = VALUE;
    return true;
}

bool READFIELD(std::string FIELD, REAL &x) {
    if (!FIELD.empty() && FIELD[0] == '.') FIELD = "0" + FIELD;
    return READREAL(FIELD, x);
}

bool dialogue::QUERY(std::string_view PROMPT) {
    const std::string S = READLN(std::string(PROMPT) + " (y) : ", PROMPT);
    return S.empty() || S[0] == 'Y' || S[0] == 'y' || S == "1";
}

void dialogue::READFROMSCREEN(VECTOR &wt) {
    WRITELN(CON, "Enter the mineral oxide weight %.");
    WRITELN(CON, "If probe data, enter all Fe as FeO.");
    WRITELN(CON, "Fe2O3 will be estimated by the");
    WRITELN(CON, "program if entered as 0.0");
    WRITELN(CON);
    for (int I = 1; I <= NEL; I++) {
        bool OK = false;
        while (!OK) {
            DUMMY = READLN(PAD(NAME[I], 6) + "? ");
            OK = READFIELD(DUMMY, wt[I]);
        }
    }
}

void dialogue::SCREENINPUT() {
    WRITELN(CON);
    WRITELN(CON, "Garnet analysis");
    READFROMSCREEN(GRTWT);
    WRITELN(CON);
    WRITELN(CON);
    WRITELN(CON, "Clinopyroxene analysis");
    READFROMSCREEN(CPXWT);
    WRITELN(CON);
    WRITELN(CON);
    WRITELN(CON, "Phengite analysis");
    READFROMSCREEN(MICAWT);
    WRITELN(CON);
    WRITELN(CON);
}

std::string dialogue::FIRSTWORD(std::string_view PROMPT) {
    std::string S = READLN(PROMPT);
    for (;;) {
        const std::size_t B = S.find_first_not_of(" \t");
        if (B != std::string::npos) return S.substr(B, S.find_first_of(" \t", B) - B);
        S = READLN("", PROMPT);
    }
}

REAL dialogue::ASKREAL(std::string_view PROMPT) {
    REAL X = 0;
    while (!READREAL(FIRSTWORD(PROMPT), X)) {}
    return X;
}

int dialogue::ASKINT(std::string_view PROMPT, int LOW, int HIGH) {
    for (;;) {
        const std::string W = FIRSTWORD(PROMPT);
        const std::size_t I = (W[0] == '+' || W[0] == '-') ? 1 : 0; // optional sign, digits
        if (I == W.size() || W.find_first_not_of("0123456789", I) != std::string::npos) continue;
        const long N = std::strtol(W.c_str(), nullptr, 10); // saturates: still out of range
        if (N >= LOW && N <= HIGH) return static_cast<int>(N);
    }
}
