#include "cli/cli.hpp"

#include "io/io.hpp"
#include "state/state.hpp"

#include <iostream>

#ifndef VARNO96_RELEASE
#define VARNO96_RELEASE "unknown"
#endif

namespace varno96::cli {

std::string_view release() { return VARNO96_RELEASE; }

std::string version_text(std::string_view program) {
    return std::string(program) + " " + VARNO96_RELEASE + "\n" + VERSION + "\n";
}

const CLI::Validator number(
    [](std::string &text) {
        REAL x = 0;
        return READFIELD(text, x) ? std::string() : "not a number: " + text;
    },
    "", "number");

const CLI::Validator non_negative(
    [](std::string &text) {
        REAL x = 0;
        if (!READFIELD(text, x)) return "not a number: " + text;
        return x >= 0 ? std::string() : "must not be negative: " + text;
    },
    "", "non-negative number");

CLI::Validator whole(int low, int high) {
    return CLI::Validator(
        [low, high](std::string &text) {
            const std::size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+');
            const bool ok = text.size() > digits && text.size() < 12 &&
                            text.find_first_not_of("0123456789", digits) == std::string::npos &&
                            std::stol(text) >= low && std::stol(text) <= high;
            return ok ? std::string()
                      : "must be a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high) + ": " + text;
        },
        "", "whole number");
}

namespace {
// Help in the usual form of a Unix tool: "-m, --model N", a default in brackets, and the
// relations between options left to the option's own text.
class formatter : public CLI::Formatter {
public:
    std::string make_option_name(const CLI::Option *opt, bool positional) const override {
        std::string name = CLI::Formatter::make_option_name(opt, positional);
        for (std::size_t at = name.find(','); at != std::string::npos; at = name.find(',', at + 2))
            name.replace(at, 1, ", ");
        return name;
    }
    std::string make_option_opts(const CLI::Option *opt) const override {
        std::string out;
        if (opt->get_type_size() == 0) return out;
        const bool many = opt->get_expected_max() == CLI::detail::expected_max_vector_size;
        if (opt->get_positional()) return many ? "..." : ""; // its name says what it is
        out += " " + opt->get_type_name();
        if (many) out += "...";
        if (!opt->get_default_str().empty()) out += " (default " + opt->get_default_str() + ")";
        if (opt->get_required() && !opt->get_positional()) out += " (required)";
        return out;
    }
};
} // namespace

void set_up(CLI::App &app, std::string_view program) {
    app.name(std::string(program));
    app.formatter(std::make_shared<formatter>());
    app.get_formatter()->column_width(28);
    const std::string text = version_text(program);
    app.set_version_flag("--version", text, "Print the version and exit");
    app.footer("See the README (installed in share/doc/varno96) and the manual page " +
               std::string(program) + "(1).\n");
}

CLI::Option *add_seed(CLI::App &app, std::optional<std::int16_t> &seed) {
    return app
        .add_option_function<int>(
            "--seed", [&seed](const int &n) { seed = static_cast<std::int16_t>(n); },
            "Monte-Carlo seed from -99 to -1 instead of one drawn from the clock")
        ->type_name("N")
        ->check(whole(-99, -1));
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
