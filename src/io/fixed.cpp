#include "io/fixed.hpp"

#include <cmath>
#include <cstdint>

namespace varno96 {

namespace {
__extension__ typedef unsigned __int128 wide;
constexpr std::uint64_t power_of_ten[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};
} // namespace

std::size_t fixed_chars(double x, int decimals, char *out) {
    if (!std::isfinite(x) || decimals < 0 || decimals > 9) return 0;
    const std::uint64_t scale = power_of_ten[decimals];
    const double a = std::fabs(x);
    if (a >= 0x1p63 / static_cast<double>(scale)) return 0;
    // a = m 2^e exactly, m an integer below 2^53; a 10^d = m 10^d 2^e, below 2^83 before
    // the shift, is rounded in integers, so that no digit depends on a floating rounding.
    int k = 0;
    const double f = std::frexp(a, &k);
    const auto m = static_cast<std::uint64_t>(std::ldexp(f, 53));
    const int e = k - 53;
    const wide product = static_cast<wide>(m) * scale;
    std::uint64_t n = 0;
    if (e >= 0) {
        n = static_cast<std::uint64_t>(product << e); // below 2^63 + 2^10 by the test above
    } else if (e > -128) {
        const int s = -e;
        const wide whole = product >> s, rest = product - (whole << s),
                   half = static_cast<wide>(1) << (s - 1);
        n = static_cast<std::uint64_t>(whole) +
            ((rest > half || (rest == half && (whole & 1))) ? 1 : 0);
    } // else below 2^-74 of a unit: rounds to 0
    // The digits, at least one before the point, written from the right.
    char digits[24];
    int used = 0;
    do {
        digits[used++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0 || used <= decimals);
    std::size_t at = 0;
    if (std::signbit(x)) out[at++] = '-'; // "-0.00" as printf writes it
    while (used > 0) {
        if (used == decimals) out[at++] = '.';
        out[at++] = digits[--used];
    }
    return at;
}

} // namespace varno96
