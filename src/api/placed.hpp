// A sample's Monte-Carlo results placed beside its values as entered: where the runs of pass 2
// lie, whether the value as entered lies among them, and every run without a value counted.
#pragma once

#include "api/sample.hpp"

#include <string>
#include <utility>
#include <vector>

namespace varno96 {

// A run of pass 2 in which the clinopyroxene's charge-balance estimate took all its iron as
// Fe3+: no Fe2+ is left, so the garnet-clinopyroxene thermometers have no K_D. `grt` and `cpx`
// are the run's formulae.
bool cpx_all_ferric(const VECTOR &grt, const VECTOR &cpx);

// Of a thermometer's intersection: the centres of its runs' points, none (and no spread) when
// the analyses as entered have no intersection; and its notes, in order: the runs without a
// point with why (`without`), and where the value as entered lies among the runs, with the
// missing coldest runs as its cause where `all_ferric` runs establish it.
std::vector<std::string>
place_intersection(intersection &x, bool grt_cpx,
                   const std::vector<std::pair<double, double>> &points, int all_ferric,
                   const std::vector<std::pair<std::string, int>> &without);

// Of pass 2: the centres of P (and of T with Powell temperatures) and their correlation; and
// the notes where the table's pressure or temperature (`as_entered`) lies outside its runs.
std::vector<std::string> place_pass(pass_result &p, const table_row &as_entered, bool t_varies);

} // namespace varno96
