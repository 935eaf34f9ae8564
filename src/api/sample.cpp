#include "api/sample.hpp"

#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <cmath>
#include <memory>

namespace varno96 {

namespace {

sample_result no_result(sample_result r, const std::string &why) {
    r.ok = false;
    r.note = "no result: " + why;
    return r;
}

table_row current_row(const calculation &c) {
    return {c.T - 273.15, c.PKBAR, c.LNAPRP, c.LNAGRS, c.LNADI, c.LNAMICA, c.LNK};
}

// The statistics the report prints, from the first n values of a series.
std::pair<double, double> mean_sd(const NARRAY &values, std::int16_t n) {
    REAL ave = 0, adev = 0, sdev = 0, svar = 0, skew = 0, curt = 0;
    MOMENTVALUES(values, n, ave, adev, sdev, svar, skew, curt);
    return {ave, sdev};
}

pass_result run_pass(calculation &c, int j) {
    pass_result p;
    LEFTOUTLIST left;
    const std::int16_t n = c.RUNPASS(j, left);
    for (int i = 1; i <= n; i++)
        p.pairs.emplace_back(c.TVARIES ? c.TRES[i] : c.T - 273.15, c.PRES[i]);
    if (n >= 2) {
        const auto [p_mean, p_sd] = mean_sd(c.PRES, n);
        p.p_mean = p_mean, p.p_sd = p_sd;
        if (c.TVARIES) {
            const auto [t_mean, t_sd] = mean_sd(c.TRES, n);
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
    // A fresh calculation, on the heap: its arrays are large for a small (WebAssembly) stack.
    const auto run = std::make_unique<calculation>();
    calculation &c = *run;
    c.INITIALISE();
    c.GRTWT = in.grt, c.CPXWT = in.cpx, c.MICAWT = in.mica;
    c.T = how.t_c + 273.15;
    c.CHOICE = static_cast<std::int16_t>(how.model);
    c.STARTMODEL();
    c.ONESITE = how.one_site;
    c.TOTERR = how.uncertainty;
    c.SDMIX = false;
    // The formula of each mineral as it stands after its first calculation, as the dialogue
    // shows it.
    const auto recalculated = [&r, &c](std::size_t k, void (calculation::*proc)(VECTOR &),
                                       VECTOR &wt) {
        const bool ok = c.FIRSTCALC(proc, wt);
        r.formulae[k] = formula{wt, c.TOTAL, c.CAT, c.CTOT};
        return ok;
    };
    if (!recalculated(0, &calculation::GARNET, c.GRTWT) ||
        !recalculated(1, &calculation::CPX, c.CPXWT) ||
        !recalculated(2, &calculation::WHITEMICA, c.MICAWT) || !c.TRIALPRESSURE())
        return no_result(r, c.NOVALUE);
    const bool estimated = c.POWELLT();
    const std::string no_estimate = c.NOVALUE;
    if (estimated) r.t_powell = c.EGT;
    if (how.powell) {
        if (!estimated) return no_result(r, no_estimate);
        c.TVARIES = true;
        c.T = c.EGT + 273.15;
    } else if (how.at_c) {
        c.T = *how.at_c + 273.15;
    }
    if (estimated && !(100 < c.EGT && c.EGT < 1200))
        r.note =
            "the Powell 1985 temperature " + FMT(c.EGT, 0, 0) + " C lies outside 100 to 1200 C";
    if (c.CHOICE != 5 && !c.MIXING()) return no_result(r, c.NOVALUE);
    c.TT = c.T;
    for (int k = -1; k <= 1; k++) {
        if (!c.TABLEROW(k)) return no_result(r, c.NOVALUE);
        r.rows[static_cast<std::size_t>(k + 1)] = current_row(c);
    }
    c.T = c.TT;
    r.t_varies = c.TVARIES;
    if (how.monte_carlo) {
        c.GLISET = 0;
        c.IDUM = how.seed;
        pass_result first = run_pass(c, 1);
        pass_result second = run_pass(c, 2);
        for (const pass_result *p : {&first, &second})
            if (!p->why.empty()) r.note += (r.note.empty() ? "" : "; ") + p->why;
        r.passes = std::array<pass_result, 2>{std::move(first), std::move(second)};
    }
    r.ok = true;
    return r;
}

} // namespace varno96
