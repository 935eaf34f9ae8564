// The dialogue's reading of its data file: the oxide check of the header and the three
// analysis lines, field by field through the field reader (io/fields.cpp) with which the
// batch reads the same layout (tables/datafile.cpp).
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "io/io.hpp"

static constexpr int NIFIELDS = 6; // No, Sample, Min, #, Descr, Ox

void dialogue::CHECKOX() {
    for (int I = 1; I <= NIFIELDS; I++) DUMMY = READSTR(DATA);
    WRITELN(CON, "Checking that oxides are in correct sequence ...");
    WRITELN(CON, "Expected:  SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O");
    WRITE(CON, "File has:  ");
    bool DONE = false;
    while (!DONE) {
        const std::string OXNAME = READSTR(DATA);
        DONE = ENDLN;
        if (OXNAME == "Total" || OXNAME == "TOTAL" || OXNAME == "total") {
            if (!ENDLN) SKIPLINE(DATA);
            DONE = true;
        } else {
            WRITE(CON, OXNAME + " ");
        }
    }
    WRITELN(CON);
    if (!QUERY("Do you want to continue?")) throw RUNEND{0, ""};
}

void dialogue::READLINE(VECTOR &MINWT) {
    ENDLN = false;
    for (int I = 1; I <= NIFIELDS; I++) DUMMY = READSTR(DATA);
    for (int I = 1; I <= NEL; I++) {
        DUMMY = READSTR(DATA);
        MINWT[I] = READVALUE(DUMMY);
    }
    if (!ENDLN) SKIPLINE(DATA); // a total column, or anything else after the tenth value
}
