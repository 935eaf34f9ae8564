#include "io/nearest.hpp"

#include <algorithm>
#include <vector>

namespace varno96 {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Letters changed, added, left out or two next to each other swapped between a and b (the
// optimal string alignment distance), in lower case.
std::size_t distance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; i++) d[i][0] = i;
    for (std::size_t j = 0; j <= m; j++) d[0][j] = j;
    for (std::size_t i = 1; i <= n; i++)
        for (std::size_t j = 1; j <= m; j++) {
            const std::size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

bool begins(std::string_view name, std::string_view typed) {
    return typed.size() < name.size() &&
           std::equal(typed.begin(), typed.end(), name.begin(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::optional<std::string_view> nearest_name(std::string_view typed,
                                             std::span<const std::string_view> names) {
    if (typed.empty()) return std::nullopt;
    for (const std::string_view n : names)
        if (begins(n, typed)) return n;
    const std::size_t most = typed.size() <= 4 ? 1 : 2;
    std::optional<std::string_view> best;
    std::size_t best_distance = most + 1;
    for (const std::string_view n : names)
        if (const std::size_t d = distance(typed, n); d < best_distance)
            best = n, best_distance = d;
    return best;
}

} // namespace varno96
