// The table of the Monte-Carlo pairs file's columns (--pt): a row per run, as the result's
// table in column_tables.cpp makes a row per sample.
#include "api/columns.hpp"
#include "api/label_columns.hpp"

#include "api/combine.hpp"
#include "api/sample.hpp"

#include <optional>
#include <utility>

namespace varno96 {

namespace {

using opt = std::optional<double>;
using src = const cell_source &;
using col = column;
using role = column_role;

// The intersection of thermometer k in a run of pass 2 of the pairs file.
std::optional<std::pair<double, double>> run_met(src s) {
    const pass_result &p = (*s.r.passes)[static_cast<std::size_t>(s.pass - 1)];
    if (s.run < p.intersections.size() && s.k < p.intersections[s.run].size())
        return p.intersections[s.run][s.k];
    return std::nullopt;
}

const std::pair<double, double> &run_pair(src s) {
    return (*s.r.passes)[static_cast<std::size_t>(s.pass - 1)].pairs[s.run];
}
const column_spec pair_table[] = {
    {.name = "file",
     .kind = col::text,
     .meaning = "The file the sample was read from.",
     .text = [](src s) { return s.u.in->file; },
     .role = column_role::file},
    {.name = "sample",
     .kind = col::text,
     .meaning = "The sample, as named in its table.",
     .text = [](src s) { return s.u.in->name; },
     .role = column_role::sample},
    {.name = "pass",
     .kind = col::integer,
     .meaning = "The Monte-Carlo pass: 1, the analyses perturbed; 2, the mixing parameters too.",
     .value = [](src s) { return opt(s.pass); },
     .role = column_role::pass},
    {.name = "T_C",
     .unit = "°C",
     .meaning = "The temperature of the run.",
     .value = [](src s) { return opt(run_pair(s).first); },
     .role = column_role::temperature},
    {.name = "P_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "The pressure of the run.",
     .value = [](src s) { return opt(run_pair(s).second); },
     .role = column_role::pressure},
    mineral_label_column,
    rutile_label_column,
    // The intersections of the run, pass 2 only, with the digits of the table.
    {.name = "T_{key}_C",
     .unit = "°C",
     .decimals = 1,
     .meaning = "Where the thermometer meets the barometer in the run: T (pass 2 only).",
     .by = &batch_options::thermometers,
     .over = column_over::thermometer,
     .value =
         [](src s) {
             const auto x = run_met(s);
             return x ? opt(x->first) : opt();
         },
     .role = role::temperature},
    {.name = "P_{key}_kbar",
     .unit = "kbar",
     .decimals = 2,
     .meaning = "Where the thermometer meets the barometer in the run: P (pass 2 only).",
     .by = &batch_options::thermometers,
     .over = column_over::thermometer,
     .value =
         [](src s) {
             const auto x = run_met(s);
             return x ? opt(x->second) : opt();
         },
     .role = role::pressure},
};

} // namespace

std::span<const column_spec> pair_column_table() { return pair_table; }

} // namespace varno96
