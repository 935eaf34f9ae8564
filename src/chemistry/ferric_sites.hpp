// The ferric iron of a clinopyroxene from its sites, for the front ends beyond the dialogue
// (which estimates it by charge balance only).
#pragma once

#include "activity/references.hpp"
#include "state/types.hpp"

namespace varno96 {

// The attribution of the site formula below (the paper's title as pyroxene work cites it).
inline constexpr reference lindsley_1983{"Lindsley D.H.",
                                         1983,
                                         "Pyroxene thermometry",
                                         "American Mineralogist",
                                         "68",
                                         "477–493",
                                         {},
                                         {},
                                         {},
                                         {},
                                         "Lindsley (1983)"};

// Fe3+ of a clinopyroxene formula on 6 oxygens with all its iron as Fe2+ (cations p.f.u.),
// `cr` its Cr on the same oxygens: Fe3+ = Na + Al(IV) - Al(VI) - 2 Ti - Cr, Al(IV) the Al that
// fills the tetrahedral site after Si (2 - Si, between 0 and the Al), Al(VI) the rest. Taken
// between 0 and the total iron. The identity is charge balance on a formula of exactly 4
// cations; on 6 oxygens it does not lean on the cation total.
double cpx_ferric_from_sites(const VECTOR &cat, double cr = 0);

// Cr2O3, g/mol; 1.5 oxygens per Cr.
inline constexpr double cr2o3_mw = 151.990;

// The formula the site estimate takes: `cat`, the cations of the ten oxides of `wt` on 6
// oxygens, and the Cr of `cr2o3` wt% beside them, on 6 oxygens counting Cr2O3's oxygen too.
// Without Cr2O3 it is `cat` as it is.
struct sites_formula {
    VECTOR cat;
    double cr = 0;
};
sites_formula cpx_sites_formula(const VECTOR &wt, const VECTOR &cat, double cr2o3);

} // namespace varno96
