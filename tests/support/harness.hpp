// Test support: scripted keyboard input and captured console output for procedures that
// talk to the user, and a reset of the program-wide state between tests.
#pragma once

#include "chemistry/chemistry.hpp"
#include "state/state.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// While alive, the keyboard reads INPUT and the console writes to a scratch file.
class SCRIPTED {
public:
    explicit SCRIPTED(const std::string &INPUT) {
        KBD = std::tmpfile();
        std::fwrite(INPUT.data(), 1, INPUT.size(), KBD);
        std::rewind(KBD);
        CON.F = std::tmpfile();
        CON.MIDLINE = false;
    }
    ~SCRIPTED() {
        std::fclose(KBD);
        std::fclose(CON.F);
        KBD = stdin;
        CON.F = stdout;
    }
    SCRIPTED(const SCRIPTED &) = delete;
    SCRIPTED &operator=(const SCRIPTED &) = delete;

    // Everything written to the console so far.
    std::string OUTPUT() const { return CONTENT(CON.F); }
    // What the keyboard still holds, unread.
    std::string UNREAD() const {
        std::string S;
        for (int CH = std::getc(KBD); CH != EOF; CH = std::getc(KBD)) S += static_cast<char>(CH);
        return S;
    }
    static std::string CONTENT(std::FILE *F) {
        std::fflush(F);
        const long AT = std::ftell(F);
        std::rewind(F);
        std::string S;
        for (int CH = std::getc(F); CH != EOF; CH = std::getc(F)) S += static_cast<char>(CH);
        std::fseek(F, AT, SEEK_SET);
        return S;
    }
};

// Program-wide state as at program start, with the oxide table set up.
inline void RESETSTATE() {
    CLEARSTATE();
    INITIALISE();
}

// Runs CALL, which must end the run, and returns how it ended.
template <typename F> RUNEND ENDOF(F &&CALL) {
    try {
        CALL();
    } catch (const RUNEND &E) { return E; }
    ADD_FAILURE() << "the run went on";
    return RUNEND{-1, ""};
}
