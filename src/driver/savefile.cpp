// The dialogue's data file writers: tabular and comma-and-quote delimited layouts, CR LF
// lines.
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/io.hpp"
#include "io/textio.hpp"

#include <cerrno>
#include <cstring>

static std::string TRIMLEFT(const std::string &S) { return S.substr(S.find_first_not_of(' ')); }

std::string dialogue::LAYOUT(bool DELIMITED, const std::string &SNAME) {
    const VECTOR *const MINWT[3] = {&GRTWT, &CPXWT, &MICAWT};
    static const char *const TABLINE[3] = {
        "  Grt    1      descr   12", "  Cpx    1      descr    6", "  Phe    1      descr   22"};
    static const char *const DELIMLINE[3] = {
        "\",\"Grt\",1,\"descr\",12", "\",\"Cpx\",1,\"descr\",6", "\",\"Phe\",1,\"descr\",22"};
    std::string S = DELIMITED ? "\"No\",\"Sample\",\"Min\",\"#\",\"Descr\",\"Ox\""
                              : " No    Sample  Min    #      Descr   Ox";
    for (int I = 1; I <= NEL; I++)
        S += DELIMITED ? ",\"" + TRIMLEFT(NAME[I]) + "\"" : PAD(NAME[I], 8);
    S += "\r\n";
    for (int L = 0; L < 3; L++) {
        const std::string LINENO = std::to_string(L + 1);
        if (DELIMITED)
            S += LINENO + ",\"" + SNAME + DELIMLINE[L];
        else
            S += "  " + LINENO + " " + PAD(SNAME, 9) + TABLINE[L];
        for (int I = 1; I <= NEL; I++)
            S += DELIMITED ? "," + MAKESTR((*MINWT[L])[I], 2) : FMT((*MINWT[L])[I], 8, 2);
        S += "\r\n";
    }
    return S;
}

// A file that cannot be written is reported and the run goes on: the analyses stay in memory
// and in the report.
void dialogue::SAVEFILE(bool DELIMITED) {
    const std::string DNAME = READLN("Name for file (prefix to .PRN) : ").substr(0, 8) + ".PRN";
    errno = 0;
    std::FILE *DOUT = std::fopen(DNAME.c_str(), "wb");
    int ERROR = DOUT == nullptr ? (errno != 0 ? errno : EIO) : 0;
    WRITELN(CON, std::string(29, ' ') + std::string(9, '_'));
    const std::string SNAME = READLN("Sample name (not > 9 char) : ").substr(0, 9);
    if (DOUT != nullptr) {
        const std::string S = LAYOUT(DELIMITED, SNAME);
        errno = 0;
        const bool WRITTEN = std::fwrite(S.data(), 1, S.size(), DOUT) == S.size();
        if (std::fclose(DOUT) != 0 || !WRITTEN) {
            ERROR = errno != 0 ? errno : EIO;
            std::remove(DNAME.c_str()); // no half-written data file
        }
    }
    if (ERROR != 0) {
        WRITELN(CON, "File " + DNAME + " could not be written (" + std::strerror(ERROR) +
                         "); the analyses were not saved");
        return;
    }
    WRITELN(CON, "File " + DNAME +
                     (DELIMITED ? " successfully written in delimited format"
                                : " successfully written in tabular .PRN format"));
}

void dialogue::SAVEDATA() { SAVEFILE(false); }
void dialogue::SAVEDELIM() { SAVEFILE(true); }
