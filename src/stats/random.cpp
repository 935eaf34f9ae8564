#include "state/calculation.hpp"
#include "stats/stats.hpp"

#include <cmath>

static constexpr REAL MBIG = 4.0E6, MSEED = 1618033, MZ = 0, FAC = 2.5E-7;

REAL random_stream::RAN3(std::int16_t &idum) {
    // A stream never seeded holds only zeros and would return 0 for ever: seed it as -1 would.
    if (idum >= 0 && GLINEXTP == 0) idum = -1;
    if (idum < 0) {
        REAL MJ = MSEED + idum;
        if (MJ >= 0) MJ = MJ - std::trunc(MJ / MBIG) * MBIG;
        GLMA[55] = MJ;
        REAL MK = 1;
        for (int I = 1; I <= 54; I++) {
            const int II = (21 * I) % 55;
            GLMA[II] = MK;
            MK = MJ - MK;
            if (MK < MZ) MK = MK + MBIG;
            MJ = GLMA[II];
        }
        for (int KK = 1; KK <= 4; KK++)
            for (int I = 1; I <= 55; I++) {
                GLMA[I] = GLMA[I] - GLMA[1 + ((I + 30) % 55)];
                if (GLMA[I] < MZ) GLMA[I] = GLMA[I] + MBIG;
            }
        GLINEXT = 0;
        GLINEXTP = 31;
        idum = 1;
    }
    if (++GLINEXT == 56) GLINEXT = 1;
    if (++GLINEXTP == 56) GLINEXTP = 1;
    REAL MJ = GLMA[GLINEXT] - GLMA[GLINEXTP];
    // MJ + MBIG when MJ < MZ, as a product rather than a branch that goes either way at
    // random (adding 0 changes nothing; MJ is never -0)
    MJ = MJ + static_cast<REAL>(MJ < MZ) * MBIG;
    GLMA[GLINEXT] = MJ;
    return MJ * FAC;
}

REAL random_stream::GASDEV(std::int16_t &idum) {
    if (GLISET == 0) {
        REAL V1, V2, R;
        do {
            V1 = 2 * RAN3(idum) - 1;
            V2 = 2 * RAN3(idum) - 1;
            R = V1 * V1 + V2 * V2;
        } while (!(R > 0 && R < 1));
        const REAL F = std::sqrt(-2 * std::log(R) / R);
        GLGSET = V1 * F;
        GLISET = 1;
        return V2 * F;
    }
    GLISET = 0;
    return GLGSET;
}

void calculation::DISTURBWT(const VECTOR &OLDWT, VECTOR &NEWWT) {
    for (int I = 1; I <= NEL; I++) {
        if (OLDWT[I] < 0.01) {
            NEWWT[I] = OLDWT[I]; // absent and trace oxides pass unchanged
        } else {
            const REAL ERR = TOTERR * std::sqrt(OLDWT[I] / 100);
            NEWWT[I] = OLDWT[I] + GASDEV(IDUM) * ERR;
        }
    }
}
