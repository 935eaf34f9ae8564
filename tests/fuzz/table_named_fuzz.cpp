// The reader of tables with named columns, alone: any bytes as a table, in the encoding the
// first byte picks (as they are, after a UTF-8 byte-order mark, or as UTF-16 little- or
// big-endian after its mark, each byte of the rest one unit) and as a table of any minerals,
// of clinopyroxene alone or of rutile alone, then the units of every way of combining. Read twice
// it reads the same; every refusal and problem names a line; every message is one short line.
#include "reader_checks.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// No allocation stacks and a small quarantine: recording where each string was allocated took
// much of the time of an input. A report still shows the access that went wrong; to see where
// its memory came from, run the finding again with ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char *__asan_default_options() {
    return "malloc_context_size=0:quarantine_size_mb=16";
}

namespace {

// The bytes as UTF-16 after its byte-order mark, each byte one unit; bytes 1 and 2 stand for
// the halves of a character beyond the basic plane.
std::string utf16(std::string_view bytes, bool little) {
    std::string text(little ? "\xFF\xFE" : "\xFE\xFF", 2);
    text.reserve(2 + 2 * bytes.size());
    for (char c : bytes) {
        const unsigned unit = c == '\x01'   ? 0xD83Du
                              : c == '\x02' ? 0xDE00u
                                            : static_cast<unsigned char>(c);
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        text += little ? low : high;
        text += little ? high : low;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
    varno96::reading how;
    if (data[0] / 4u % 3u == 1) how.only = varno96::mineral::clinopyroxene;
    how.rutile_only = data[0] / 4u % 3u == 2;
    switch (data[0] % 4u) {
    case 0: // read in place
        varno96::fuzz::read_and_check("fuzz.csv", rest, how);
        break;
    case 1: {
        std::string text = "\xEF\xBB\xBF";
        text += rest;
        varno96::fuzz::read_and_check("fuzz.csv", text, how);
        break;
    }
    default:
        varno96::fuzz::read_and_check("fuzz.csv", utf16(rest, data[0] % 4u == 2), how);
    }
    return 0;
}
