// Number syntax: READREAL against a table-driven reading of the same syntax.
//
//   [blanks/tabs] [sign] digits with at most one point, at least one digit
//   [e|E [sign] at least one digit]   and nothing after; the value finite.
//
// Both must accept the same texts, and agree on the value (that of strtod on the text after
// the leading blanks).
#include "fuzz_support.hpp"
#include "io/io.hpp"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

enum state : std::uint8_t {
    lead,       // blanks so far
    sign,       // sign, no digit yet
    whole,      // digits before the point       (accepting)
    point,      // a point with no digit yet
    fraction,   // a point after a digit, or digits after a point (accepting)
    exponent,   // e or E
    exp_sign,   // sign of the exponent
    exp_digits, // digits of the exponent         (accepting)
    refused
};

enum symbol : std::uint8_t { blank, plus_minus, digit, dot, e, other };

symbol classify(char c) {
    switch (c) {
    case ' ':
    case '\t':
        return blank;
    case '+':
    case '-':
        return plus_minus;
    case '.':
        return dot;
    case 'e':
    case 'E':
        return e;
    default:
        return c >= '0' && c <= '9' ? digit : other;
    }
}

// next[state][symbol]
// clang-format off
constexpr state next[8][6] = {
    //               blank    +/-       digit       dot       e         other
    /* lead       */ {lead,    sign,     whole,      point,    refused,  refused},
    /* sign       */ {refused, refused,  whole,      point,    refused,  refused},
    /* whole      */ {refused, refused,  whole,      fraction, exponent, refused},
    /* point      */ {refused, refused,  fraction,   refused,  refused,  refused},
    /* fraction   */ {refused, refused,  fraction,   refused,  exponent, refused},
    /* exponent   */ {refused, exp_sign, exp_digits, refused,  refused,  refused},
    /* exp_sign   */ {refused, refused,  exp_digits, refused,  refused,  refused},
    /* exp_digits */ {refused, refused,  exp_digits, refused,  refused,  refused},
};
// clang-format on

bool well_formed(std::string_view text) {
    state s = lead;
    for (char c : text) {
        s = next[s][classify(c)];
        if (s == refused) return false;
    }
    return s == whole || s == fraction || s == exp_digits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    bool expect = well_formed(text);
    double want = 0;
    if (expect) {
        const std::string number(text.substr(text.find_first_not_of(" \t")));
        want = std::strtod(number.c_str(), nullptr);
        expect = std::isfinite(want);
    }
    REAL got = 0;
    const bool accepted = READREAL(text, got);
    if (accepted != expect)
        varno96::fuzz::finding(accepted ? "READREAL accepts a text that is not a number"
                                        : "READREAL refuses a number");
    if (accepted && std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(want))
        varno96::fuzz::finding("READREAL gives another value than strtod");
    return 0;
}
