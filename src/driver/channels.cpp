// The dialogue's text channels (driver/channels.hpp), and the console's lines written to both
// channels and answer lines read from the keyboard.
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/textio.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

static std::string REASON() { return errno != 0 ? std::strerror(errno) : "input/output error"; }

void OPENWRITE(TEXTFILE &F, const std::string &FILENAME) {
    errno = 0;
    F.NAME = FILENAME;
    F.EOL = "\r\n";
    F.F = std::fopen(FILENAME.c_str(), "wb");
    if (F.F == nullptr) FATAL("cannot create " + FILENAME + ": " + REASON());
}

void WRITE(TEXTFILE &F, std::string_view S) {
    errno = 0;
    if (!S.empty() && std::fwrite(S.data(), 1, S.size(), F.F) != S.size())
        FATAL("cannot write " + F.NAME + ": " + REASON());
    if (!S.empty()) F.MIDLINE = S.back() != '\n';
}

void WRITELN(TEXTFILE &F, std::string_view S) {
    WRITE(F, S);
    WRITE(F, F.EOL);
}

void dialogue::WRITEBOTH(std::string_view S) {
    WRITELN(CON, S);
    WRITELN(OUT, S);
}

void CLOSE(TEXTFILE &F) {
    if (F.F == nullptr) return;
    std::FILE *G = F.F;
    F.F = nullptr;
    errno = 0;
    if (std::fclose(G) != 0) FATAL("cannot write " + F.NAME + ": " + REASON());
}

void CLOSEQUIET(TEXTFILE &F) {
    if (F.F == nullptr) return;
    std::fclose(F.F);
    F.F = nullptr;
}

std::string dialogue::READLN(std::string_view PROMPT, std::string_view WHAT) {
    WRITE(CON, PROMPT);
    if (std::fflush(CON.F) != 0) FATAL("cannot write " + CON.NAME);
    std::string S;
    int CH = std::getc(KBD);
    if (CH == EOF) {
        if (std::ferror(KBD)) FATAL("cannot read standard input: " + REASON());
        std::string_view P = WHAT.empty() ? PROMPT : WHAT;
        while (!P.empty() && P.back() == ' ') P.remove_suffix(1);
        while (!P.empty() && P.front() == ' ') P.remove_prefix(1);
        FATAL("unexpected end of input at \"" + std::string(P) + "\"");
    }
    for (; CH != EOF && CH != '\n'; CH = std::getc(KBD))
        if (S.size() <= 255) S += static_cast<char>(CH);
    if (std::ferror(KBD)) FATAL("cannot read standard input: " + REASON());
    if (!S.empty() && S.back() == '\r') S.pop_back(); // a line typed with a CR LF end
    if (S.size() > 255) S.resize(255);
    return S;
}
