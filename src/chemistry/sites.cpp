#include "chemistry/chemistry.hpp"

REAL ASSIGNSITE(REAL &c, REAL n, REAL HOLE) {
    if (c <= 0 || HOLE <= 0) {
        if (c < 0) c = 0;
        return 0;
    }
    if (c >= HOLE * n) { // fills the remaining room
        c = c - HOLE * n;
        return HOLE;
    }
    const REAL R = c / n; // all of it fits
    c = 0;
    return R;
}

void FEMG(REAL &mg, REAL &fe2, REAL &MGS, REAL &FES, REAL n, REAL HOLE) {
    if (mg <= 0) {
        MGS = 0;
        FES = ASSIGNSITE(fe2, n, HOLE);
    } else if (fe2 <= 0) {
        MGS = ASSIGNSITE(mg, n, HOLE);
        FES = 0;
    } else {
        const REAL R = fe2 / mg;
        REAL S = HOLE / (1 + R); // Mg's share of the room
        MGS = ASSIGNSITE(S, 1, mg / n);
        mg = mg - MGS * n;
        FES = MGS * R; // Fe2+ enters in the same ratio
        fe2 = fe2 - FES * n;
    }
}
