#include "driver/driver.hpp"
#include "io/textio.hpp"

#include <cstdio>

int main() {
    int STATUS = 0;
    try {
        try {
            VARNO96();
        } catch (const RUNEND &E) {
            if (E.STATUS != 0) throw; // a no at the oxide check ends the run normally
        }
        CLOSE(OUT);
        CLOSE(PTOUT);
        if (std::fflush(stdout) != 0) FATAL("cannot write standard output");
    } catch (const RUNEND &E) {
        // What was written stays written.
        CLOSEQUIET(OUT);
        CLOSEQUIET(PTOUT);
        if (CON.MIDLINE) std::fputc('\n', stdout); // the message stands on a line of its own
        std::fflush(stdout);
        std::fprintf(stderr, "varno96: %s\n", E.MESSAGE.c_str());
        STATUS = E.STATUS;
    }
    return STATUS;
}
