// varno96: the dialogue (driver/dialogue.hpp) at the console, in the current folder.
#include "cli/cli.hpp"
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/textio.hpp"

#include <cstdio>
#include <memory>

int main(int argc, char **argv) {
    CLI::App app{"Eclogite geobarometry from garnet, clinopyroxene and phengite analyses.\n"
                 "Asks every question at the console and works in the current folder: the "
                 "report goes to VARNO.RES (or LPT1), the Monte-Carlo pairs to VARNOPT.RES."};
    varno96::cli::set_up(app, "varno96");
    std::optional<std::int16_t> seed;
    varno96::cli::add_seed(app, seed);
    if (const auto status = varno96::cli::parse(app, argc, argv)) return *status;

    // On the heap: the run's arrays are large for a small stack.
    environment ENV;
    const auto D = std::make_unique<dialogue>(ENV);
    int STATUS = 0;
    try {
        try {
            D->VARNO96(seed);
        } catch (const RUNEND &E) {
            if (E.STATUS != 0) throw; // a no at the oxide check ends the run normally
        }
        CLOSE(D->OUT);
        CLOSE(D->PTOUT);
        if (std::fflush(stdout) != 0) FATAL("cannot write standard output");
    } catch (const RUNEND &E) {
        // What was written stays written.
        CLOSEQUIET(D->OUT);
        CLOSEQUIET(D->PTOUT);
        if (D->CON.MIDLINE) std::fputc('\n', stdout); // the message stands on a line of its own
        std::fflush(stdout);
        std::fprintf(stderr, "varno96: %s\n", E.MESSAGE.c_str());
        STATUS = E.STATUS;
    }
    return STATUS;
}
