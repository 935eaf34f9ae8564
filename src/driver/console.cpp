// The keyboard dialogue: yes/no questions, oxide entry and typed numbers, read in the number
// syntax of io/numbers.cpp.
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/io.hpp"
#include "io/textio.hpp"

#include <cstdlib>

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
