// The number syntax of the keyboard and of data files, and a data file's values (io/io.hpp).
#include "io/io.hpp"
#include "io/textio.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

static bool ISDIGIT(char CH) { return CH >= '0' && CH <= '9'; }

bool READREAL(std::string_view S, REAL &x) {
    std::size_t I = 0;
    while (I < S.size() && (S[I] == ' ' || S[I] == '\t')) I++;
    const std::size_t START = I;
    auto DIGITS = [&] {
        std::size_t N = 0;
        for (; I < S.size() && ISDIGIT(S[I]); I++) N++;
        return N;
    };
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) I++;
    std::size_t N = DIGITS();
    if (I < S.size() && S[I] == '.') {
        I++;
        N += DIGITS();
    }
    if (N == 0) return false;
    if (I < S.size() && (S[I] == 'E' || S[I] == 'e')) {
        I++;
        if (I < S.size() && (S[I] == '+' || S[I] == '-')) I++;
        if (DIGITS() == 0) return false;
    }
    if (I != S.size()) return false;
    REAL VALUE = 0;
#if defined(__GLIBCXX__)
    // from_chars rounds as strtod does, several times faster; it takes no '+' and leaves
    // values beyond the range of a REAL (and tiny ones) to strtod.
    const char *FIRST = S.data() + START + (S[START] == '+');
    const auto [PTR, EC] = std::from_chars(FIRST, S.data() + S.size(), VALUE);
    if (EC != std::errc() || PTR != S.data() + S.size())
        VALUE = std::strtod(std::string(S.substr(START)).c_str(), nullptr);
#else
    VALUE = std::strtod(std::string(S.substr(START)).c_str(), nullptr);
#endif
    if (!std::isfinite(VALUE)) return false; // beyond the range of a REAL
    x = VALUE;
    return true;
}

bool READFIELD(std::string FIELD, REAL &x) {
    if (!FIELD.empty() && FIELD[0] == '.') FIELD = "0" + FIELD;
    return READREAL(FIELD, x);
}

REAL READVALUE(std::string FIELD) {
    REAL X = 0;
    if (!READFIELD(FIELD, X)) X = 0.0; // n.d., bdl, empty: read as 0
    return X;
}

std::string MAKESTR(REAL R, int DECIMALS) {
    // A value wider than 12 characters is kept whole: cutting it would corrupt the number.
    std::string S = FMT(R, 12, DECIMALS);
    return S.substr(S.find_first_not_of(' '));
}
