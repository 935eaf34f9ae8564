// Number formatting and the fatal-error path (io/textio.hpp).
#include "io/textio.hpp"
#include "io/fixed.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

void FATAL(const std::string &MESSAGE) { throw RUNEND{1, MESSAGE}; }

std::string FMT(REAL X, int W, int D) {
    // Every value was checked where it arose; one that has none must never be printed.
    if (!std::isfinite(X)) FATAL("no result: a number is out of range");
    char BUF[400];
    if (const std::size_t N = varno96::fixed_chars(X, D, BUF))
        return PAD(std::string_view(BUF, N), W);
#if defined(__GLIBCXX__)
    // to_chars writes the digits printf's "%.*f" writes, several times faster.
    const auto [END, EC] = std::to_chars(BUF, BUF + sizeof BUF, X, std::chars_format::fixed, D);
    if (EC == std::errc())
        return PAD(std::string_view(BUF, static_cast<std::size_t>(END - BUF)), W);
#endif
    std::snprintf(BUF, sizeof BUF, "%*.*f", W, D, X);
    return BUF;
}

std::string FMTI(long X, int W) { return PAD(std::to_string(X), W); }

std::string PAD(std::string_view S, int W) {
    std::string R;
    if (static_cast<int>(S.size()) < W) R.assign(static_cast<std::size_t>(W) - S.size(), ' ');
    R += S;
    return R;
}
