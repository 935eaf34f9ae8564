#include "api/placed.hpp"

namespace varno96 {

namespace {

std::vector<double> firsts(const std::vector<std::pair<double, double>> &points, bool second) {
    std::vector<double> out;
    out.reserve(points.size());
    for (const auto &[t, p] : points) out.push_back(second ? p : t);
    return out;
}

} // namespace

bool cpx_all_ferric(const VECTOR &grt, const VECTOR &cpx) {
    return grt[FE2] > 0 && grt[MG] > 0 && cpx[MG] > 0 && !(cpx[FE2] > 0) && cpx[FE3] > 0;
}

std::vector<std::string>
place_intersection(intersection &x, bool grt_cpx,
                   const std::vector<std::pair<double, double>> &points, int all_ferric,
                   const std::vector<std::pair<std::string, int>> &without) {
    std::vector<std::string> notes;
    if (std::string n = runs_without_note(x.runs, RSIZE, without); !n.empty())
        notes.push_back(std::move(n));
    // A spread describes the runs about the value beside it: without one, none is given.
    if (!x.t_c || !x.p_kbar) {
        x.t_sd = x.p_sd = x.rho = std::nullopt;
        return notes;
    }
    std::vector<double> t = firsts(points, false), p = firsts(points, true);
    x.t_runs = centre_of(t), x.p_runs = centre_of(p);
    const among_runs in_t{*x.t_c, t, x.t_runs, "", "°C", 1, "its runs"};
    const among_runs in_p{*x.p_kbar, p, x.p_runs, "", "kbar", 2, "its runs"};
    std::string n =
        outside(in_t) != 0
            ? outside_runs_note(in_t,
                                grt_cpx ? missing_cold_runs_cause(in_t, all_ferric) : std::string())
            : outside_runs_note(in_p);
    if (!n.empty()) notes.push_back(std::move(n));
    return notes;
}

std::vector<std::string> place_pass(pass_result &p, const table_row &as_entered, bool t_varies) {
    std::vector<std::string> notes;
    std::vector<double> pressures = firsts(p.pairs, true);
    p.p_runs = centre_of(pressures);
    const among_runs in_p{as_entered.p_kbar,   pressures, p.p_runs, "P", "kbar", 2,
                          "the runs of pass 2"};
    if (std::string n = outside_runs_note(in_p); !n.empty()) notes.push_back(std::move(n));
    if (!t_varies) return notes;
    std::vector<double> temperatures = firsts(p.pairs, false);
    p.t_runs = centre_of(temperatures);
    p.rho = correlation(p.pairs);
    const among_runs in_t{as_entered.t_c,      temperatures, p.t_runs, "T", "°C", 0,
                          "the runs of pass 2"};
    if (std::string n = outside_runs_note(in_t); !n.empty()) notes.push_back(std::move(n));
    return notes;
}

} // namespace varno96
