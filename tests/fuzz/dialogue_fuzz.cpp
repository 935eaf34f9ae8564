// The whole dialogue: any bytes as the keyboard, the run in a fresh folder holding the
// example data files, with a fixed Monte-Carlo seed. The run ends normally or with a status
// of 1; it never shows "nan" or "inf" at the console, in the report or in the P-T file; the
// report and the P-T file left behind hold complete CR LF lines only.
//
// Inputs naming a path (a '/') are left out: a data file such as /dev/zero never ends, and
// a saved file must not land outside the scratch folder.
#include "driver/channels.hpp"
#include "driver/dialogue.hpp"
#include "fuzz_support.hpp"
#include "io/textio.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef VARNO96_EXAMPLES_DIR
#error "VARNO96_EXAMPLES_DIR names the folder of the example data files"
#endif

namespace fs = std::filesystem;

namespace {

using varno96::fuzz::finding;

constexpr std::int16_t seed = -42;

// The example data files, read once, put in each fresh folder.
const std::vector<std::pair<std::string, std::string>> &examples() {
    static const std::vector<std::pair<std::string, std::string>> files = [] {
        std::vector<std::pair<std::string, std::string>> r;
        for (const char *name : {"EC1.PRN", "EC1.TXT", "EC1D.PRN"})
            r.emplace_back(name, varno96::fuzz::slurp(fs::path(VARNO96_EXAMPLES_DIR) / name));
        for (const auto &[name, text] : r)
            if (text.empty()) finding("example data file " + name + " is missing");
        return r;
    }();
    return files;
}

// The working directory is a fresh folder with the example files while alive.
struct inside_fresh_folder {
    varno96::fuzz::scratch_folder folder;
    fs::path back = fs::current_path();
    inside_fresh_folder() {
        for (const auto &[name, text] : examples()) {
            std::FILE *f = std::fopen((folder.path() / name).c_str(), "wb");
            if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
                std::fclose(f) != 0)
                finding("cannot set up the scratch folder");
        }
        fs::current_path(folder.path());
    }
    ~inside_fresh_folder() { fs::current_path(back); }
};

// Mirrors main: the run, then the files closed as after a normal end or a failure.
int run(dialogue &d) {
    try {
        try {
            d.VARNO96(seed);
        } catch (const RUNEND &e) {
            if (e.STATUS != 0) throw;
        }
        CLOSE(d.OUT);
        CLOSE(d.PTOUT);
    } catch (const RUNEND &e) {
        CLOSEQUIET(d.OUT);
        CLOSEQUIET(d.PTOUT);
        return e.STATUS;
    }
    return 0;
}

void check_file(const char *name, bool check_text) {
    if (!fs::exists(name)) return;
    const std::string text = varno96::fuzz::slurp(name);
    if (!text.empty() && !text.ends_with("\r\n"))
        finding(std::string(name) + " ends in the middle of a line");
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        if (i == 0 || text[i - 1] != '\r') finding(std::string(name) + " has a bare LF");
    if (check_text && varno96::fuzz::shows_no_value(text))
        finding(std::string(name) + " shows a value that has none");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    if (input.find('/') != std::string::npos) return -1;
    // Text typed by the user (the sample label) is echoed: it may spell these itself.
    const bool check_text = !varno96::fuzz::shows_no_value(input);
    examples();

    inside_fresh_folder here;
    environment env;
    const auto d = std::make_unique<dialogue>(env); // a fresh one for each input
    std::string keys = input;                       // fmemopen needs a buffer of at least one byte
    d->KBD =
        input.empty() ? std::fopen("/dev/null", "rb") : fmemopen(keys.data(), keys.size(), "rb");
    char *console = nullptr;
    std::size_t console_size = 0;
    d->CON.F = open_memstream(&console, &console_size);
    if (d->KBD == nullptr || d->CON.F == nullptr)
        finding("cannot open the keyboard or the console");

    const int status = run(*d);
    if (d->DATA.F != nullptr) std::fclose(d->DATA.F); // left open by the run, closed at exit
    std::fclose(d->KBD);
    std::fclose(d->CON.F);
    const std::string shown(console, console_size);
    std::free(console);

    if (status != 0 && status != 1) finding("the run ended with a status other than 0 or 1");
    if (check_text && varno96::fuzz::shows_no_value(shown))
        finding("the console shows a value that has none");
    for (const char *name : {"VARNO.RES", "LPT1", "VARNOPT.RES"}) check_file(name, check_text);
    return 0;
}
