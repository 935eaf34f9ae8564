#include "chemistry/ferric_sites.hpp"

#include <algorithm>

namespace varno96 {

double cpx_ferric_from_sites(const VECTOR &cat) {
    const double al_iv = std::clamp(2 - cat[SI], 0.0, std::max(cat[AL], 0.0));
    const double al_vi = cat[AL] - al_iv;
    const double cr = 0; // no Cr2O3 among the ten oxides
    const double fe3 = cat[NA] + al_iv - al_vi - 2 * cat[TI] -
                       cr; // Fe3+ = Na + Al(IV) - Al(VI) - 2 Ti - Cr (Lindsley 1983)
    return std::clamp(fe3, 0.0, std::max(cat[FE2] + cat[FE3], 0.0));
}

} // namespace varno96
