#include "cli/cli.hpp"

#include "io/io.hpp"
#include "state/state.hpp"

#include <iostream>

#ifndef VARNO96_RELEASE
#define VARNO96_RELEASE "unknown"
#endif

namespace varno96::cli {

std::string version_text(std::string_view program) {
    return std::string(program) + " " + VARNO96_RELEASE + "\n" + VERSION + "\n";
}

const CLI::Validator number(
    [](std::string &text) {
        REAL x = 0;
        std::string t = text;
        if (!t.empty() && t[0] == '.') t = "0" + t;
        return READREAL(t, x) ? std::string() : "not a number: " + text;
    },
    "NUMBER");

void set_up(CLI::App &app, std::string_view program) {
    app.name(std::string(program));
    const std::string text = version_text(program);
    app.set_version_flag("--version", text, "Print the version and exit");
    app.footer("See the README (installed in share/doc/varno96) and the manual page " +
               std::string(program) + "(1).");
}

CLI::Option *add_seed(CLI::App &app, std::optional<std::int16_t> &seed) {
    return app
        .add_option_function<int>(
            "--seed", [&seed](const int &n) { seed = static_cast<std::int16_t>(n); },
            "Monte-Carlo seed from -99 to -1 instead of one drawn from the clock")
        ->type_name("N")
        ->check(CLI::Range(-99, -1));
}

std::optional<int> parse(CLI::App &app, int argc, char **argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        std::cout << app.help();
        return exit_ok;
    } catch (const CLI::CallForAllHelp &) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return exit_ok;
    } catch (const CLI::CallForVersion &e) {
        std::cout << e.what();
        return exit_ok;
    } catch (const CLI::ParseError &e) {
        std::cerr << app.get_name() << ": " << e.what() << "\n"
                  << "Try '" << app.get_name() << " --help' for more information.\n";
        return exit_usage;
    }
    return std::nullopt;
}

} // namespace varno96::cli
