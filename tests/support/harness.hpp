// Test support: fixtures that are a calculation or a dialogue, so that a test names the
// variables and procedures as the program does; scripted keyboard input and captured console
// output for procedures that talk to the user.
#pragma once

#include "driver/dialogue.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// A test that is a calculation, as at program start with the oxide table set up.
struct CALCTEST : ::testing::Test, calculation {
    CALCTEST() { INITIALISE(); }
    // Back to the state of a fresh calculation.
    void RESETSTATE() {
        static_cast<calculation &>(*this) = calculation{};
        INITIALISE();
    }
};

// The environment of a test's dialogue, made before the dialogue that points to it: the process's
// console and keyboard, and the seed -42 of the reference session for the clock's.
struct TESTENVIRONMENT {
    TESTENVIRONMENT() {
        ENV.CLOCKSEED = [] { return std::int16_t{-42}; };
    }
    environment ENV;
};

// A test that is a dialogue, as at program start with the oxide table set up.
struct DIALOGUETEST : ::testing::Test, TESTENVIRONMENT, dialogue {
    DIALOGUETEST() : dialogue(ENV) { INITIALISE(); }
    // The calculation and the field reader back to the state of a fresh dialogue; the
    // channels and buffers as they are.
    void RESETSTATE() {
        static_cast<calculation &>(*this) = calculation{};
        static_cast<field_reader &>(*this) = field_reader{};
        INITIALISE();
    }
};

// While alive, the keyboard of dialogue D reads INPUT and its console writes to a scratch file.
class SCRIPTED {
public:
    SCRIPTED(dialogue &D, const std::string &INPUT) : KBD(D.KBD), CON(D.CON) {
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

private:
    std::FILE *&KBD;
    TEXTFILE &CON;
};

// Runs CALL, which must end the run, and returns how it ended.
template <typename F> RUNEND ENDOF(F &&CALL) {
    try {
        CALL();
    } catch (const RUNEND &E) { return E; }
    ADD_FAILURE() << "the run went on";
    return RUNEND{-1, ""};
}
