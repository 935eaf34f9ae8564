#include "cli/cli.hpp"

#include "io/io.hpp"
#include "io/nearest.hpp"
#include "state/types.hpp"

#include <cerrno>
#include <cstring>
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
        // A flag that takes a value after "=" is named without its default ("--cite{}").
        for (std::size_t at; (at = name.find('{')) != std::string::npos;)
            name.erase(at, name.find('}', at) + 1 - at);
        for (std::size_t at = name.find(','); at != std::string::npos; at = name.find(',', at + 2))
            name.replace(at, 1, ", ");
        return name;
    }
    std::string make_option_opts(const CLI::Option *opt) const override {
        std::string out;
        // A flag with a value after "=": --cite[=bibtex], without a blank.
        if (opt->get_type_name().starts_with("[=")) return opt->get_type_name();
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

int usage_error(const CLI::App &app, const std::string &message) {
    std::cerr << app.get_name() << ": " << message << "\n"
              << "Try '" << app.get_name() << " --help' for more information.\n";
    return exit_usage;
}

namespace {

// What --help and --version print, on standard output: 0, or 2 with a line saying why not.
int printed(const CLI::App &app, const std::string &text, bool output_closed) {
    errno = 0;
    std::cout << text << std::flush;
    if (!output_closed && std::cout) return exit_ok;
    const int error = output_closed ? EBADF : errno != 0 ? errno : EIO;
    std::cerr << app.get_name() << ": cannot write standard output: " << std::strerror(error)
              << "\n";
    return exit_usage;
}

// The first unknown option left over, in the program's words, with the nearest option known.
std::optional<std::string> unknown_option(const CLI::App &app) {
    for (const std::string &arg : app.remaining()) {
        if (arg.size() < 2 || arg[0] != '-') continue;
        const std::string typed = arg.substr(0, arg.find('='));
        std::string said = typed + ": unknown option";
        if (typed.starts_with("--")) {
            std::vector<std::string> names{"help", "version"};
            for (const CLI::Option *opt : app.get_options())
                for (const std::string &n : opt->get_lnames()) names.push_back(n);
            const std::vector<std::string_view> known(names.begin(), names.end());
            if (const auto near = nearest_name(std::string_view(typed).substr(2), known))
                said += "; did you mean --" + std::string(*near) + "?";
        }
        return said;
    }
    return std::nullopt;
}

// An option given more than once where it takes one value: "--model given twice (7 and 6):
// give it once".
std::optional<std::string> repeated_option(const CLI::App &app) {
    for (const CLI::Option *opt : app.get_options()) {
        const auto &given = opt->results();
        if (opt->get_positional() || opt->get_type_size() == 0 || opt->get_expected_max() != 1 ||
            given.size() < 2)
            continue;
        std::string values;
        for (std::size_t i = 0; i < given.size(); i++)
            values += (i == 0 ? "" : i + 1 == given.size() ? " and " : ", ") + given[i];
        return opt->get_name() + " given " +
               (given.size() == 2 ? std::string("twice")
                                  : std::to_string(given.size()) + " times") +
               " (" + values + "): give it once";
    }
    return std::nullopt;
}

} // namespace

std::optional<int> parse(CLI::App &app, int argc, char **argv, bool output_closed) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        return printed(app, app.help(), output_closed);
    } catch (const CLI::CallForAllHelp &) {
        return printed(app, app.help("", CLI::AppFormatMode::All), output_closed);
    } catch (const CLI::CallForVersion &e) {
        return printed(app, e.what(), output_closed);
    } catch (const CLI::ExtrasError &e) {
        return usage_error(app, unknown_option(app).value_or(e.what()));
    } catch (const CLI::ArgumentMismatch &e) {
        return usage_error(app, repeated_option(app).value_or(e.what()));
    } catch (const CLI::RequiredError &e) {
        // A mistyped option is the likelier cause of what seems missing: say it first.
        return usage_error(app, unknown_option(app).value_or(e.what()));
    } catch (const CLI::ParseError &e) { return usage_error(app, e.what()); }
    return std::nullopt;
}

} // namespace varno96::cli
