// Sample moments (stats/stats.hpp).
#include "stats/stats.hpp"

#include <cmath>

const char *MOMENTVALUES(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev,
                         REAL &svar, REAL &skew, REAL &curt) {
    if (n <= 1) {
        // One value is its own mean; no spread can be formed.
        ave = n == 1 ? data[1] : 0;
        adev = sdev = svar = skew = curt = 0;
        return "pause in MOMENT - n must be at least 2";
    }
    REAL S = 0;
    for (int J = 1; J <= n; J++) S = S + data[J];
    ave = S / n;
    adev = svar = skew = curt = 0;
    for (int J = 1; J <= n; J++) {
        const REAL D = data[J] - ave;
        adev = adev + std::fabs(D);
        REAL P = D * D;
        svar = svar + P;
        P = P * D;
        skew = skew + P;
        P = P * D;
        curt = curt + P;
    }
    adev = adev / n;
    svar = svar / (n - 1);
    sdev = std::sqrt(svar);
    if (svar == 0) return "pause in MOMENT - no skew/kurtosis when variance = 0";
    skew = skew / (n * sdev * sdev * sdev);
    curt = curt / (n * (svar * svar)) - 3;
    return nullptr;
}
