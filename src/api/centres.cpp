#include "api/centres.hpp"

#include "io/textio.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace varno96 {

run_centre centre_of(std::vector<double> &values) {
    run_centre c;
    const std::size_t n = values.size();
    if (n < 2) return c;
    double sum = 0;
    for (const double x : values) sum += x;
    c.mean = sum / static_cast<double>(n);
    // The order statistics about each virtual index, lowest first: each selection leaves the
    // values below its position before it, so that the next looks only beyond. Interpolated as
    // numpy writes it, from the nearer end, so that equal neighbours give exactly theirs.
    auto from = values.begin();
    const auto at = [&](double p) {
        const double h = static_cast<double>(n - 1) * p;
        const auto lo = static_cast<std::size_t>(std::floor(h));
        const auto k = values.begin() + static_cast<std::ptrdiff_t>(lo);
        if (k >= from) std::nth_element(from, k, values.end());
        from = k + 1;
        if (lo + 1 >= n) return *k;
        const double a = *k, b = *std::min_element(k + 1, values.end());
        const double t = h - static_cast<double>(lo);
        return t >= 0.5 ? b - (b - a) * (1 - t) : a + (b - a) * t;
    };
    c.p16 = at(0.16), c.p50 = at(0.50), c.p84 = at(0.84);
    return c;
}

std::optional<double> correlation(std::span<const std::pair<double, double>> points) {
    const std::size_t n = points.size();
    if (n < 2) return std::nullopt;
    double mt = 0, mp = 0;
    for (const auto &[t, p] : points) mt += t, mp += p;
    mt /= static_cast<double>(n), mp /= static_cast<double>(n);
    double stt = 0, spp = 0, stp = 0;
    for (const auto &[t, p] : points)
        stt += (t - mt) * (t - mt), spp += (p - mp) * (p - mp), stp += (t - mt) * (p - mp);
    if (!(stt > 0 && spp > 0)) return std::nullopt;
    return stp / std::sqrt(stt * spp);
}

std::string runs_without_note(int runs, int total,
                              std::vector<std::pair<std::string, int>> without) {
    if (runs >= total) return {};
    std::stable_sort(without.begin(), without.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    std::string note = std::to_string(runs) + " of " + std::to_string(total) +
                       " Monte-Carlo runs have a value; " + std::to_string(total - runs) +
                       " without:";
    for (std::size_t i = 0; i < without.size(); i++)
        note += (i ? ", " : " ") + without[i].first + " " + std::to_string(without[i].second);
    return note;
}

int outside(const among_runs &a) {
    if (!a.centre.p16 || !a.centre.p84) return 0;
    return a.value < *a.centre.p16 ? -1 : a.value > *a.centre.p84 ? 1 : 0;
}

std::string outside_runs_note(const among_runs &a, std::string_view cause) {
    const int side = outside(a);
    if (side == 0) return {};
    // The share of the runs on the far side of the value, to the nearest per cent.
    const auto beyond = std::count_if(a.values.begin(), a.values.end(), [&](double x) {
        return side < 0 ? x > a.value : x < a.value;
    });
    const long share =
        std::lround(100.0 * static_cast<double>(beyond) / static_cast<double>(a.values.size()));
    const auto with_unit = [&](double x) {
        return FMT(x, 0, a.decimals) + " " + std::string(a.unit);
    };
    std::string note = std::string(a.symbol) + (a.symbol.empty() ? "" : " ") + with_unit(a.value) +
                       " as entered lies " + (side < 0 ? "below " : "above ") +
                       std::to_string(share) + " % of " + std::string(a.runs) + " (median " +
                       with_unit(*a.centre.p50) + ")";
    if (!cause.empty()) note += ": " + std::string(cause);
    return note;
}

std::string missing_cold_runs_cause(const among_runs &a, int all_ferric) {
    if (outside(a) >= 0 || all_ferric <= 0) return {};
    const auto below =
        std::count_if(a.values.begin(), a.values.end(), [&](double x) { return x < a.value; });
    const double all = static_cast<double>(a.values.size()) + all_ferric;
    if (static_cast<double>(below + all_ferric) < 0.16 * all) return {};
    return "the clinopyroxene's Fe3+ estimate takes all its iron in " + std::to_string(all_ferric) +
           " runs, which have no Fe2+ and so no temperature: the coldest runs are missing";
}

} // namespace varno96
