#include "api/sample.hpp"

#include "activity/activity.hpp"
#include "chemistry/chemistry.hpp"
#include "driver/driver.hpp"
#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <cmath>

namespace varno96 {

namespace {

sample_result no_result(sample_result r, const std::string &why) {
    r.ok = false;
    r.note = "no result: " + why;
    return r;
}

table_row current_row() { return {T - 273.15, PKBAR, LNAPRP, LNAGRS, LNADI, LNAMICA, LNK}; }

// The statistics the report prints, from the first n values of a series.
std::pair<double, double> mean_sd(const NARRAY &values, std::int16_t n) {
    REAL ave = 0, adev = 0, sdev = 0, svar = 0, skew = 0, curt = 0;
    MOMENTVALUES(values, n, ave, adev, sdev, svar, skew, curt);
    return {ave, sdev};
}

pass_result run_pass(int j) {
    pass_result p;
    LEFTOUTLIST left;
    const std::int16_t n = RUNPASS(j, left);
    for (int i = 1; i <= n; i++) p.pairs.emplace_back(TVARIES ? TRES[i] : T - 273.15, PRES[i]);
    if (n >= 2) {
        const auto [p_mean, p_sd] = mean_sd(PRES, n);
        p.p_mean = p_mean, p.p_sd = p_sd;
        if (TVARIES) {
            const auto [t_mean, t_sd] = mean_sd(TRES, n);
            p.t_mean = t_mean, p.t_sd = t_sd;
        }
    }
    for (const auto &[why, count] : left) {
        p.left_out += count;
        p.why += (p.why.empty() ? "" : "; ") + std::to_string(count) + " of " +
                 std::to_string(RSIZE) + " runs of pass " + std::to_string(j) + " left out: " + why;
    }
    return p;
}

} // namespace

sample_result compute_sample(const sample_wt &in, const choices &how) {
    sample_result r;
    CLEARSTATE();
    INITIALISE();
    GRTWT = in.grt, CPXWT = in.cpx, MICAWT = in.mica;
    T = how.t_c + 273.15;
    CHOICE = static_cast<std::int16_t>(how.model);
    STARTMODEL();
    ONESITE = how.one_site;
    TOTERR = how.uncertainty;
    SDMIX = false;
    // The formula of each mineral as it stands after its first calculation, as the dialogue
    // shows it.
    const auto recalculated = [&r](std::size_t k, void (*proc)(VECTOR &), VECTOR &wt) {
        const bool ok = FIRSTCALC(proc, wt);
        r.formulae[k] = formula{wt, TOTAL, CAT, CTOT};
        return ok;
    };
    if (!recalculated(0, GARNET, GRTWT) || !recalculated(1, CPX, CPXWT) ||
        !recalculated(2, WHITEMICA, MICAWT) || !TRIALPRESSURE())
        return no_result(r, NOVALUE);
    const bool estimated = POWELLT();
    const std::string no_estimate = NOVALUE;
    if (estimated) r.t_powell = EGT;
    if (how.powell) {
        if (!estimated) return no_result(r, no_estimate);
        TVARIES = true;
        T = EGT + 273.15;
    } else if (how.at_c) {
        T = *how.at_c + 273.15;
    }
    if (estimated && !(100 < EGT && EGT < 1200))
        r.note = "the Powell 1985 temperature " + FMT(EGT, 0, 0) + " C lies outside 100 to 1200 C";
    if (CHOICE != 5 && !MIXING()) return no_result(r, NOVALUE);
    TT = T;
    for (int k = -1; k <= 1; k++) {
        if (!TABLEROW(k)) return no_result(r, NOVALUE);
        r.rows[static_cast<std::size_t>(k + 1)] = current_row();
    }
    T = TT;
    r.t_varies = TVARIES;
    if (how.monte_carlo) {
        GLISET = 0;
        IDUM = how.seed;
        pass_result first = run_pass(1);
        pass_result second = run_pass(2);
        for (const pass_result *p : {&first, &second})
            if (!p->why.empty()) r.note += (r.note.empty() ? "" : "; ") + p->why;
        r.passes = std::array<pass_result, 2>{std::move(first), std::move(second)};
    }
    r.ok = true;
    return r;
}

} // namespace varno96
