// The checks of a row, on what compute_sample gives (the analyses as combined, their formulae,
// the table and the intersections), so that no number changes.
#include "api/plausibility.hpp"

#include "api/combine.hpp"
#include "api/sample.hpp"
#include "io/textio.hpp"
#include "tables/reader.hpp"

#include <cmath>

namespace varno96 {

namespace {

using std::string;

string wt(double x) { return FMT(x, 0, 2) + " wt%"; }
string celsius(double x) { return FMT(x, 0, 0) + " °C"; }
string kbar(double x) { return FMT(x, 0, 2) + " kbar"; }
string range(const std::array<double, 2> &r, const char *unit) {
    return FMT(r[0], 0, 0) + "–" + FMT(r[1], 0, 0) + " " + unit;
}
bool outside(double x, const std::array<double, 2> &r) { return x < r[0] || x > r[1]; }

// The checks of one mineral's analysis `entered` (as combined), its recalculated formula `f` and
// the table's total of it, if any; `from_sites`: its ferric iron estimated from its sites, not
// by charge balance.
void check_analysis(std::vector<string> &notes, std::size_t k, const VECTOR &entered,
                    const formula *f, const std::optional<double> &given, bool estimated,
                    bool from_sites) {
    const string mineral = mineral_names[k];
    REAL sum = 0;
    for (int i = 1; i <= NEL; i++) {
        sum += entered[i];
        if (entered[i] > plausible::oxide_most)
            notes.push_back(mineral + ": " + oxide_names[static_cast<std::size_t>(i - 1)] + " " +
                            wt(entered[i]) + ", more than " + wt(plausible::oxide_most));
    }
    const auto &limits = k == 2 ? plausible::mica_total : plausible::anhydrous_total;
    if (const double total = given.value_or(sum); outside(total, limits))
        notes.push_back(mineral + ": total " + wt(total) +
                        (given ? " (its Total column)" : " (the sum of its oxides)") +
                        ", outside " + range(limits, "wt%") + " for " +
                        (k == 2 ? "a hydrous mica" : "an anhydrous mineral"));
    if (!f) return;
    // Phengite without its interlayer cations, on the basis of its ferric estimate.
    REAL cations = 0;
    for (int i = 1; i <= (k == 2 ? MG : NEL); i++) cations += f->cat[i];
    constexpr std::array<double, 3> ideal{plausible::garnet_cations, plausible::cpx_cations,
                                          plausible::mica_cations},
        off{plausible::garnet_cations_off, plausible::cpx_cations_off, plausible::mica_cations_off};
    constexpr std::array<int, 3> oxygens{12, 6, 11};
    if (std::abs(cations - ideal[k]) > off[k])
        notes.push_back(mineral + ": " + FMT(cations, 0, 3) + " cations per " +
                        std::to_string(oxygens[k]) + " oxygens" +
                        (k == 2 ? " without Na, Ca and K" : "") + ", not " + FMT(ideal[k], 0, 0) +
                        " ± " + FMT(off[k], 0, 2));
    // A ferric estimate is ours only for an analysis entered without Fe2O3.
    const REAL fe3 = f->cat[FE3], fe = f->cat[FE2] + f->cat[FE3];
    if (!estimated || entered[FE2O3] != 0 || fe3 <= 0 || fe <= 0) return;
    if (k == 1 && fe3 / fe > plausible::cpx_ferric_most)
        notes.push_back(mineral + (from_sites ? ": its sites make " : ": charge balance makes ") +
                        std::to_string(std::lround(100 * fe3 / fe)) +
                        " % of its iron ferric, more than half");
    if (k == 2 && f->cat[FE2] <= 1e-9 * fe)
        notes.push_back(mineral + ": charge balance makes all of its iron ferric");
}

} // namespace

std::vector<string> plausibility_notes(const sample_unit &u, const sample_result &r,
                                       const choices &how) {
    std::vector<string> notes;
    if (!u.problem.empty()) return notes;
    const std::array<const VECTOR *, 3> entered{&u.wt.grt, &u.wt.cpx, &u.wt.mica};
    for (std::size_t k = 0; k < 3; k++)
        check_analysis(notes, k, *entered[k], r.formulae[k] ? &*r.formulae[k] : nullptr, u.total[k],
                       how.estimate_ferric[k], k == 1 && how.cpx_ferric_sites);
    const double trial = u.t_c.value_or(how.t_c);
    if (outside(trial, plausible::temperature_c))
        notes.push_back("the trial temperature " + celsius(trial) + " lies outside " +
                        range(plausible::temperature_c, "°C"));
    if (how.at_c && outside(*how.at_c, plausible::temperature_c))
        notes.push_back("the table's temperature " + celsius(*how.at_c) + " lies outside " +
                        range(plausible::temperature_c, "°C"));
    if (!r.ok) return notes;
    const auto pressure = [&](const string &what, double p) {
        if (outside(p, plausible::pressure_kbar))
            notes.push_back(what + " " + kbar(p) + " lies " +
                            (p < plausible::pressure_kbar[0] ? "below " : "above ") +
                            kbar(p < plausible::pressure_kbar[0] ? plausible::pressure_kbar[0]
                                                                 : plausible::pressure_kbar[1]));
    };
    pressure("the pressure", r.rows[1].p_kbar);
    for (std::size_t k = 0; k < r.intersections.size() && k < how.thermometers.size(); k++)
        if (const auto &p = r.intersections[k].p_kbar)
            pressure("the " + string(thermometry::about(how.thermometers[k]).name) +
                         " intersection's pressure",
                     *p);
    return notes;
}

} // namespace varno96
