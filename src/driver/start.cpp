#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/textio.hpp"

#include <cerrno>
#include <cstring>

void dialogue::STARTRUN() {
    if (QUERY("Output to file (VARNO.RES)?")) {
        OPENWRITE(OUT, "VARNO.RES");
    } else {
        // No printer device here: the report goes to the file LPT1, to be printed later.
        WRITELN(CON, "Make sure printer is on-line...");
        READLN("", "Make sure printer is on-line...");
        OPENWRITE(OUT, "LPT1");
    }
    WRITELN(OUT);
    WRITELN(OUT);
    WRITELN(OUT, ""); // banner
    WRITELN(OUT, VERSION);
    OPENWRITE(PTOUT, "VARNOPT.RES");
    INITIALISE();
    TVARIES = false;
}

void dialogue::KEYBOARDDATA() {
    WRITELN(CON, std::string(35, ' ') + std::string(20, '_'));
    DATANAME = READLN("Sample name, etc. (up to 20 char): ");
    SCREENINPUT();
    if (QUERY("Save these data?")) {
        if (QUERY("Save as comma-and-quote delimited file?"))
            SAVEDELIM();
        else
            SAVEDATA();
    }
    WRITELN(OUT);
    WRITELN(OUT);
    WRITELN(OUT, PAD(DATANAME, 22));
}

void dialogue::FILEDATA() {
    DATANAME = READLN("Name of data file : ");
    errno = 0;
    DATA.NAME = DATANAME;
    DATA.F = std::fopen(DATANAME.c_str(), "rb");
    if (DATA.F == nullptr)
        FATAL("cannot open data file " + DATANAME + ": " +
              (errno != 0 ? std::strerror(errno) : "open failed"));
    CHECKOX();
    READLINE(GRTWT);
    READLINE(CPXWT);
    READLINE(MICAWT);
    WRITELN(OUT);
    WRITELN(OUT, "Data from " + PAD(DATANAME, 12));
    WRITELN(OUT);
}

void dialogue::VARNO96(std::optional<std::int16_t> SEED) {
    STARTRUN();
    if (QUERY("Data from a file?"))
        FILEDATA();
    else
        KEYBOARDDATA();
    CALCULATE();
    MONTECARLO(SEED);
}
