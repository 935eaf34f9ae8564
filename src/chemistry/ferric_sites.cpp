#include "chemistry/ferric_sites.hpp"

#include <algorithm>

namespace varno96 {

double cpx_ferric_from_sites(const VECTOR &cat, double cr) {
    const double al_iv = std::clamp(2 - cat[SI], 0.0, std::max(cat[AL], 0.0));
    const double al_vi = cat[AL] - al_iv;
    const double fe3 = cat[NA] + al_iv - al_vi - 2 * cat[TI] -
                       cr; // Fe3+ = Na + Al(IV) - Al(VI) - 2 Ti - Cr (Lindsley 1983)
    return std::clamp(fe3, 0.0, std::max(cat[FE2] + cat[FE3], 0.0));
}

sites_formula cpx_sites_formula(const VECTOR &wt, const VECTOR &cat, double cr2o3) {
    if (!(cr2o3 > 0)) return {cat, 0};
    double oxygen = 0; // moles per 100 g, of the ten oxides
    for (int i = 1; i <= NEL; i++) oxygen += NO[i] * wt[i] / MW[i];
    const double with_cr = oxygen + 3 * cr2o3 / cr2o3_mw;
    sites_formula f{cat, 2 * cr2o3 / cr2o3_mw * 6 / with_cr};
    for (int i = 1; i <= NEL; i++) f.cat[i] = cat[i] * oxygen / with_cr;
    return f;
}

} // namespace varno96
