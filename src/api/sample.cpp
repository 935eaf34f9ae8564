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

// Where the thermometers meet the barometer: every exchange calibration, and the Zr-in-rutile
// ones asked for.
struct found_points {
    std::array<thermometry::outcome<thermometry::pt>, thermometry::n_calibrations> exchange;
    std::array<thermometry::outcome<thermometry::zr_point>, thermometry::n_zr_calibrations> zr;

    thermometry::outcome<thermometry::pt> at(thermometry::any_key k) const {
        if (const thermometry::key *e = thermometry::exchange_key(k)) return exchange[index(*e)];
        const auto &z = zr[index(std::get<thermometry::zr_key>(k))];
        if (!z) return {{}, z.why};
        return {z.value->at, {}};
    }
};

// For formulae `cat` (garnet, clinopyroxene, phengite), the analyses that gave them and the
// rutile's Zr (ppm; none without rutile), with ln K fitted once for all of them.
found_points intersections(calculation &probe, const std::array<VECTOR, 3> &wt,
                           const std::array<VECTOR, 3> &cat, const calculation::run_record *run,
                           const std::vector<thermometry::any_key> &keys,
                           std::optional<double> zr_ppm) {
    const auto lnk = [&](double t_k, double p_kbar) { return lnk_at(probe, wt, t_k, p_kbar, run); };
    thermometry::fit_points at;
    at.depends_on_p = probe.CHOICE == 6; // Berman (1990): W with a volume term
    const thermometry::fitted f = thermometry::fit_checked(lnk, at);
    found_points found{thermometry::intersect_all(thermometry::grt_cpx(cat[0], cat[1]),
                                                  thermometry::grt_phe(cat[0], cat[2]), lnk, f, at),
                       {}};
    for (const thermometry::any_key k : keys)
        if (const thermometry::zr_key *z = thermometry::rutile_key(k))
            found.zr[index(*z)] =
                zr_ppm ? thermometry::zr_intersect(*z, *zr_ppm, lnk, f, at)
                       : thermometry::outcome<thermometry::zr_point>{{}, "no rutile analysis"};
    return found;
}

// The rutile's Zr: the mean of its spots, and the relative 1 sigma of the runs (the standard
// error of that mean, or the user's per cent); 0 with one spot and none given.
struct zr_content {
    std::optional<double> ppm;
    double relative_sd = 0;
    std::size_t spots = 0;
};
zr_content zr_of(const std::vector<double> &spots, std::optional<double> uncertainty) {
    zr_content z;
    z.spots = spots.size();
    if (spots.empty()) return z;
    const auto n = static_cast<double>(spots.size());
    double mean = 0;
    for (const double x : spots) mean += x;
    mean /= n;
    z.ppm = mean;
    if (uncertainty) {
        z.relative_sd = *uncertainty / 100;
    } else if (spots.size() >= 2) {
        double ss = 0;
        for (const double x : spots) ss += (x - mean) * (x - mean);
        z.relative_sd = std::sqrt(ss / (n - 1)) / std::sqrt(n) / mean; // SE = s / sqrt(n)
    }
    return z;
}

// What the note says of a Zr-in-rutile point: the SiO2 field of the form taken (of a
// calibration with several), the activities taken as 1, the range of its experiments.
std::string zr_note(thermometry::zr_key k, const thermometry::zr_point &p) {
    std::string note;
    using thermometry::silica;
    if (p.field == silica::alpha_beta_boundary || p.field == silica::quartz_coesite_boundary)
        note =
            "at " + std::string(thermometry::name(p.field)) + " (each field's form lies beyond it)";
    else if (thermometry::zr_fields(k).size() > 1)
        note = "its " + std::string(thermometry::name(p.field)) + " form";
    if (k == thermometry::zr_key::fw07) note = "a(SiO2) = a(TiO2) = 1";
    const std::string range = thermometry::range_note(k, p.at.t_k - 273.15, p.at.p_kbar);
    if (!range.empty()) note += (note.empty() ? "" : "; ") + range;
    return note;
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
void add_note(intersection &x, thermometry::any_key key, std::string_view note) {
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
    c.CPXCR2O3 = in.cpx_cr2o3;
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
    const std::vector<thermometry::any_key> &keys = how.thermometers;
    const zr_content zr = zr_of(in.zr_ppm, how.zr_uncertainty);
    std::unique_ptr<calculation> probe;
    if (!keys.empty()) {
        probe = std::make_unique<calculation>(c);
        const std::array<VECTOR, 3> wt{c.GRTWT, c.CPXWT, c.MICAWT};
        std::array<VECTOR, 3> cat;
        for (std::size_t k = 0; k < 3; k++) cat[k] = r.formulae[k]->cat;
        const found_points found = intersections(*probe, wt, cat, nullptr, keys, zr.ppm);
        for (const thermometry::any_key key : keys) {
            const auto f = found.at(key);
            intersection x;
            if (!f) {
                x.note = std::string(f.why);
            } else if (const thermometry::key *e = thermometry::exchange_key(key)) {
                x.t_c = f.value->t_k - 273.15, x.p_kbar = f.value->p_kbar;
                // The pair of minerals this calibration takes, which has a value here.
                const auto pair = thermometry::about(*e).pair == thermometry::mineral_pair::grt_cpx
                                      ? thermometry::grt_cpx(cat[0], cat[1])
                                      : thermometry::grt_phe(cat[0], cat[2]);
                if (pair) x.note = thermometry::range_note(*e, *x.t_c, *x.p_kbar, *pair.value);
            } else {
                const thermometry::zr_key z = std::get<thermometry::zr_key>(key);
                x.t_c = f.value->t_k - 273.15, x.p_kbar = f.value->p_kbar;
                x.note = zr_note(z, *found.zr[index(z)].value);
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
        // The rutile's Zr of each run, drawn from a stream of its own so that the runs' other
        // draws are those without it.
        random_stream zr_stream;
        zr_stream.IDUM = static_cast<std::int16_t>(how.seed - 100);
        if (probe)
            c.after_run = [&](int j, const calculation::run_record &taken) {
                if (j != 2) return;
                probe->SDMIX = true;
                std::optional<double> zr_run = zr.ppm;
                if (zr_run && zr.relative_sd > 0)
                    *zr_run *= 1 + zr.relative_sd * zr_stream.GASDEV(zr_stream.IDUM);
                const found_points found =
                    intersections(*probe, taken.wt, taken.cat, &taken, keys, zr_run);
                std::vector<std::optional<std::pair<double, double>>> points;
                for (std::size_t k = 0; k < keys.size(); k++) {
                    const auto f = found.at(keys[k]);
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
        bool zr_asked = false; // a Zr-in-rutile thermometer of a sample with rutile
        for (std::size_t k = 0; k < keys.size(); k++) {
            std::vector<std::pair<double, double>> points;
            for (const auto &points_of_run : runs)
                if (points_of_run[k]) points.push_back(*points_of_run[k]);
            intersection &x = r.intersections[k];
            spread(x, points);
            x.runs = static_cast<int>(points.size());
            for (const auto &[why, count] : second.left) count_reason(without[k], why, count);
            const thermometry::key *e = thermometry::exchange_key(keys[k]);
            if (!e && !zr.ppm) continue; // no rutile: said once, no runs
            const bool grt_cpx =
                e && thermometry::about(*e).pair == thermometry::mineral_pair::grt_cpx;
            for (const std::string &note :
                 place_intersection(x, grt_cpx, points, all_ferric[k], without[k]))
                add_note(x, keys[k], note);
            zr_asked = zr_asked || !e;
        }
        if (zr_asked && zr.relative_sd == 0)
            r.note += std::string(r.note.empty() ? "" : "; ") +
                      "Zr in rutile not perturbed in the runs (one rutile spot, no uncertainty of "
                      "Zr given)";
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
