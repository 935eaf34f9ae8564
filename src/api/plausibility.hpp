// What makes a row's numbers suspect though they have values: an analysis, a formula, a ferric
// iron estimate, a temperature or a pressure outside what a sound eclogite gives. Each finding
// is one clause of the row's note; the numbers are kept as they are.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace varno96 {

struct sample_unit;
struct sample_result;
struct choices;

// The limits, and why they are where they are.
namespace plausible {

// Analyses in wt%: no oxide above this.
inline constexpr double oxide_most = 100;
// The total of an analysis (the table's Total column, or the sum of the oxides as entered).
// Garnet and clinopyroxene are anhydrous: a careful microprobe analysis totals 98.5-101.5 wt%;
// all iron given as FeO takes up to about 0.5 wt% from a clinopyroxene holding Fe3+, and
// unanalysed Cr2O3 or a slightly off standard about as much again, so 97-102 wt% passes every
// honest analysis and leaves out a missed oxide, a spot on a crack or a mixed analysis.
inline constexpr std::array<double, 2> anhydrous_total{97, 102};
// Phengite holds about 4.5 wt% H2O (OH on 12 oxygens), never analysed, so a sound analysis totals
// 94-96 wt%; K and Na lost under the beam and unanalysed BaO or F take up to 2 wt% more. Below 92
// something is missing; above 97 too little is left for the water: a mixed analysis with an
// anhydrous neighbour (omphacite, garnet) or a wrong standard.
inline constexpr std::array<double, 2> mica_total{92, 97};
// Cations after recalculation, and how far from them a sum may lie: garnet 8 on 12 oxygens,
// clinopyroxene 4 on 6, phengite 6 on 11 without Na, Ca and K (the basis of its ferric estimate;
// the interlayer is often short of 1). Charge balance brings a sum above these back to them, so
// a sum still off lies below them (too few cations: too much Si or O, alkalis lost) or has more
// Fe3+ than its iron. 1.25 % of the sum for the anhydrous minerals, which a good analysis keeps
// within 0.5 %; 1.7 % for phengite, whose octahedral site may hold a few hundredths over 2.
inline constexpr double garnet_cations = 8, garnet_cations_off = 0.10;
inline constexpr double cpx_cations = 4, cpx_cations_off = 0.05;
inline constexpr double mica_cations = 6, mica_cations_off = 0.10;
// Ferric iron by charge balance: in omphacite of eclogites Fe3+/(Fe2+ + Fe3+) is mostly 0.1-0.5,
// and an estimate above half of the iron rests on the small errors of Si, Al and Na rather than
// on the mineral; in phengite all of the iron ferric is the estimate at its bound.
inline constexpr double cpx_ferric_most = 0.5;
// Temperatures of eclogites, and the pressures of the crust and upper mantle where they form.
inline constexpr std::array<double, 2> temperature_c{200, 1500};
inline constexpr std::array<double, 2> pressure_kbar{0, 100};

} // namespace plausible

// The clauses of the row of unit `u` and its result `r` under `how`, in the order of the checks:
// each analysis (its oxides, total, cation sum and ferric estimate, garnet first), the
// temperatures, then the pressures. None for a unit that cannot be computed.
std::vector<std::string> plausibility_notes(const sample_unit &u, const sample_result &r,
                                            const choices &how);

} // namespace varno96
