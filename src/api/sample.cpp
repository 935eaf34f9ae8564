#include "api/sample.hpp"
#include "api/placed.hpp"
#include "state/calculation.hpp"

#include "io/textio.hpp"
#include "stats/stats.hpp"

#include <algorithm>
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
    p.left = left;
    for (const auto &[why, count] : left) {
        p.left_out += count;
        p.why += (p.why.empty() ? "" : "; ") + std::to_string(count) + " of " +
                 std::to_string(RSIZE) + " runs of pass " + std::to_string(j) + " left out: " + why;
    }
    return p;
}

// ln K of three analyses at t_k and p_kbar, the garnet's parameters at that pressure, worked on
// `probe`, a calculation whose state it may change; with the random stream of a Monte-Carlo
// run set again before the garnet's and the clinopyroxene's draws. NaN without a value.
double lnk_at(calculation &probe, const std::array<VECTOR, 3> &wt, double t_k, double p_kbar,
              const calculation::run_record *run) {
    random_stream &stream = probe;
    probe.NOVALUE.clear();
    probe.T = t_k;
    probe.SETUPGARNET(t_k, 1000 * p_kbar);
    VECTOR w = wt[0];
    if (run) stream = run->before_garnet;
    probe.GARNET(w);
    w = wt[1];
    if (run) stream = run->before_cpx;
    probe.CPX(w);
    w = wt[2];
    probe.WHITEMICA(w);
    if (!probe.NOVALUE.empty()) return std::nan("");
    return 6 * probe.LNADI + 3 * probe.LNAMICA - probe.LNAPRP - 2 * probe.LNAGRS;
}

// Where each thermometer meets the barometer for formulae `cat` (garnet, clinopyroxene,
// phengite) and the analyses that gave them.
std::array<thermometry::outcome<thermometry::pt>, thermometry::n_calibrations>
intersections(calculation &probe, const std::array<VECTOR, 3> &wt, const std::array<VECTOR, 3> &cat,
              const calculation::run_record *run) {
    const auto lnk = [&](double t_k, double p_kbar) { return lnk_at(probe, wt, t_k, p_kbar, run); };
    thermometry::fit_points at;
    at.depends_on_p = probe.CHOICE == 6; // Berman (1990): W with a volume term
    return thermometry::intersect_all(thermometry::grt_cpx(cat[0], cat[1]),
                                      thermometry::grt_phe(cat[0], cat[2]), lnk, at);
}

// The standard deviations of T and P and their correlation over the runs with a point.
void spread(intersection &x, const std::vector<std::pair<double, double>> &points) {
    const std::size_t n = points.size();
    if (n < 2) return;
    double mt = 0, mp = 0;
    for (const auto &[t, p] : points) mt += t, mp += p;
    mt /= static_cast<double>(n), mp /= static_cast<double>(n);
    double stt = 0, spp = 0, stp = 0;
    for (const auto &[t, p] : points) {
        stt += (t - mt) * (t - mt), spp += (p - mp) * (p - mp), stp += (t - mt) * (p - mp);
    }
    x.t_sd = std::sqrt(stt / static_cast<double>(n - 1));
    x.p_sd = std::sqrt(spp / static_cast<double>(n - 1));
    if (stt > 0 && spp > 0) x.rho = stp / std::sqrt(stt * spp);
}

// Another note of a calibration's point; the note column names the calibration before the
// first, so the others name it again.
void add_note(intersection &x, thermometry::key key, std::string_view note) {
    if (note.empty()) return;
    if (!x.note.empty()) x.note += "; " + std::string(thermometry::about(key).name) + ": ";
    x.note += note;
}

void count_reason(std::vector<std::pair<std::string, int>> &reasons, std::string_view why,
                  int n = 1) {
    for (auto &[text, count] : reasons)
        if (text == why) {
            count += n;
            return;
        }
    reasons.emplace_back(std::string(why), n);
}

} // namespace

sample_result compute_sample(const sample_wt &in, const choices &how) {
    sample_result r;
    // A fresh calculation, on the heap: its arrays are large for a small (WebAssembly) stack.
    const auto run = std::make_unique<calculation>();
    calculation &c = *run;
    c.INITIALISE();
    c.GRTWT = in.grt, c.CPXWT = in.cpx, c.MICAWT = in.mica;
    c.entered = {in.grt, in.cpx, in.mica};
    c.ferric_each_run = how.ferric_each_run;
    c.cpx_ferric_sites = how.cpx_ferric_sites;
    for (std::size_t k = 0; k < 3; k++)
        // A run that estimates afresh estimates where the first calculation did: for an analysis
        // entered without Fe2O3, even where a perturbed Fe2O3 was taken as 0.
        c.estimate_ferric[k] =
            how.estimate_ferric[k] && (!how.ferric_each_run || c.entered[k][FE2O3] == 0);
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
    // Each thermometer asked for where it meets the barometer, on a copy of the calculation so
    // that the table and the runs are those without thermometers.
    const std::vector<thermometry::key> &keys = how.thermometers;
    std::unique_ptr<calculation> probe;
    if (!keys.empty()) {
        probe = std::make_unique<calculation>(c);
        const std::array<VECTOR, 3> wt{c.GRTWT, c.CPXWT, c.MICAWT};
        std::array<VECTOR, 3> cat;
        for (std::size_t k = 0; k < 3; k++) cat[k] = r.formulae[k]->cat;
        const auto found = intersections(*probe, wt, cat, nullptr);
        for (const thermometry::key key : keys) {
            const auto &f = found[thermometry::index(key)];
            intersection x;
            if (f) {
                x.t_c = f.value->t_k - 273.15, x.p_kbar = f.value->p_kbar;
                // The pair of minerals this calibration takes, which has a value here.
                const auto pair = thermometry::about(key).pair == thermometry::mineral_pair::grt_cpx
                                      ? thermometry::grt_cpx(cat[0], cat[1])
                                      : thermometry::grt_phe(cat[0], cat[2]);
                if (pair) x.note = thermometry::range_note(key, *x.t_c, *x.p_kbar, *pair.value);
            } else {
                x.note = std::string(f.why);
            }
            r.intersections.push_back(std::move(x));
        }
    }
    if (how.monte_carlo) {
        c.GLISET = 0;
        c.IDUM = how.seed;
        pass_result first = run_pass(c, 1);
        // Every run of pass 2 also meets each thermometer, with its perturbed analyses and
        // mixing parameters.
        std::vector<std::vector<std::optional<std::pair<double, double>>>> runs;
        // Of each thermometer, why the runs of pass 2 without its point have none.
        std::vector<std::vector<std::pair<std::string, int>>> without(keys.size());
        // And of those, the runs without a point because the clinopyroxene's estimate took all
        // its iron as Fe3+.
        std::vector<int> all_ferric(keys.size());
        if (probe)
            c.after_run = [&](int j, const calculation::run_record &taken) {
                if (j != 2) return;
                probe->SDMIX = true;
                const auto found = intersections(*probe, taken.wt, taken.cat, &taken);
                std::vector<std::optional<std::pair<double, double>>> points;
                for (std::size_t k = 0; k < keys.size(); k++) {
                    const auto &f = found[thermometry::index(keys[k])];
                    if (f)
                        points.emplace_back(std::pair(f.value->t_k - 273.15, f.value->p_kbar));
                    else
                        points.emplace_back(), count_reason(without[k], f.why),
                            all_ferric[k] += cpx_all_ferric(taken.cat[0], taken.cat[1]);
                }
                runs.push_back(std::move(points));
            };
        pass_result second = run_pass(c, 2);
        c.after_run = nullptr;
        for (std::size_t k = 0; k < keys.size(); k++) {
            std::vector<std::pair<double, double>> points;
            for (const auto &points_of_run : runs)
                if (points_of_run[k]) points.push_back(*points_of_run[k]);
            intersection &x = r.intersections[k];
            spread(x, points);
            x.runs = static_cast<int>(points.size());
            for (const auto &[why, count] : second.left) count_reason(without[k], why, count);
            const bool grt_cpx =
                thermometry::about(keys[k]).pair == thermometry::mineral_pair::grt_cpx;
            for (const std::string &note :
                 place_intersection(x, grt_cpx, points, all_ferric[k], without[k]))
                add_note(x, keys[k], note);
        }
        second.intersections = std::move(runs);
        for (const pass_result *p : {&first, &second})
            if (!p->why.empty()) r.note += (r.note.empty() ? "" : "; ") + p->why;
        for (const std::string &note : place_pass(second, r.rows[1], c.TVARIES))
            r.note += (r.note.empty() ? "" : "; ") + note;
        r.passes = std::array<pass_result, 2>{std::move(first), std::move(second)};
    }
    r.ok = true;
    return r;
}

} // namespace varno96
