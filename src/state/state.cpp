#include "state/state.hpp"

void CLEARSTATE() {
    GRTWT = CPXWT = MICAWT = WT = CAT = VECTOR{};
    TOTAL = CTOT = T = TT = TOTERR = 0;
    CHOICE = 0;
    ONESITE = SDMIX = TVARIES = false;
    WG = WSD = MATRIXW{};
    LNAPRP = LNAGRS = LNOCT = FMG = CAG = LNADI = FMC = LNAMICA = 0;
    LNK = PREF = EGT = PKBAR = 0;
    TRES = PRES = PRP = GRS = DI = MICA = LK = NARRAY{};
    AVE = ADEV = SDEV = SVAR = SKEW = CURT = 0;
    IDUM = 0;
    GLMA = ARRAY1<REAL, 55>{};
    GLINEXT = GLINEXTP = GLISET = 0;
    GLGSET = 0;
    MINERAL.clear();
    NOVALUE.clear();
    ENDLN = false;
}
