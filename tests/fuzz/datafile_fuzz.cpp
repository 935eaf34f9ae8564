// Data file reader of the dialogue: any bytes as the data file, through the oxide check
// (answered yes) and the three analysis lines, then field by field to the end of the file.
// Every value read is finite; every field is a word of at most 20 characters without
// separators, quotes or CR; the reader ends without an error.
#include "driver/dialogue.hpp"
#include "fuzz_support.hpp"
#include "io/io.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using varno96::fuzz::finding;

void check_values(const VECTOR &v) {
    for (int i = 1; i <= NEL; i++)
        if (!std::isfinite(v[i])) finding("an oxide value read from the data file has no value");
}

void check_field(const std::string &field) {
    if (field.empty() || field.size() > 20) finding("a field is empty or longer than 20");
    if (field.find_first_of(" \t,\"\r") != std::string::npos)
        finding("a field holds a separator, a quote or a CR");
}

struct scratch {
    varno96::fuzz::scratch_folder folder;
    std::string file = (folder.path() / "A.PRN").string();
    std::FILE *null = std::fopen("/dev/null", "wb");
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static scratch s; // one file rewritten for each input
    {
        std::FILE *f = std::fopen(s.file.c_str(), "wb");
        if (f == nullptr || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
            finding("cannot write the scratch data file");
    }
    environment env;
    const auto d = std::make_unique<dialogue>(env); // a fresh one for each input
    static const char yes[] = "y\n";
    d->KBD = fmemopen(const_cast<char *>(yes), 2, "rb");
    d->CON.F = s.null;
    d->DATA.NAME = s.file;
    d->DATA.F = std::fopen(s.file.c_str(), "rb");
    if (d->KBD == nullptr || d->CON.F == nullptr || d->DATA.F == nullptr)
        finding("cannot open the scratch files");
    try {
        d->CHECKOX();
        d->READLINE(d->GRTWT);
        d->READLINE(d->CPXWT);
        d->READLINE(d->MICAWT);
        for (;;) {
            const std::string field = d->READSTR(d->DATA);
            if (field == "\x1a" && std::feof(d->DATA.F)) break; // past the end
            check_field(field);
        }
    } catch (const RUNEND &e) { finding("reading a data file ended the run: " + e.MESSAGE); }
    check_values(d->GRTWT);
    check_values(d->CPXWT);
    check_values(d->MICAWT);
    std::fclose(d->DATA.F);
    std::fclose(d->KBD);
    return 0;
}
