// varno96-batch: many samples without the dialogue, one CSV row each.
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/options.hpp"
#include "cli/cli.hpp"
#include "cli/files.hpp"
#include "stats/stats.hpp"

#ifdef VARNO96_HAVE_PLOT
#include "plot/output.hpp"
#include "plot/plot.hpp"
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace varno96;

struct options {
    batch_options batch;
    std::vector<std::string> files;
    std::string output, pairs, plot;
#ifdef VARNO96_HAVE_PLOT
    plot::figure_options figure;
#endif
    // --cite: the methods paragraph and references of these options, or ("bibtex") the
    // references as BibTeX; then no file or temperature is needed.
    bool citing = false;
    std::string cite;
};

// The options of this program alone: the files it writes. `needs`, a batch option given with
// it.
struct file_option {
    const char *names;
    std::string options::*path;
    const char *help;
    std::optional<option_field> needs = std::nullopt;
};
const std::array<file_option, 3> file_options{{
    {"-o,--output", &options::output, "Write the CSV to FILE instead of standard output"},
    {"--pt", &options::pairs, "Also write every Monte-Carlo (T, P) pair as CSV to FILE",
     &batch_options::monte_carlo},
    {"--plot", &options::plot, "Draw the P-T diagram of the batch to FILE (.svg, .pdf, .ps)"},
}};

// An option as a message names it: "--pt", "-o".
std::string named(const file_option &f) {
    const std::string names = f.names;
    return names.substr(0, names.find(','));
}

// The validator of an option of the table: its range, in the table's words.
CLI::Validator checked(const option_spec &s) {
    if (s.kind == option_kind::integer)
        return cli::whole(static_cast<int>(*s.low), static_cast<int>(*s.high));
    if (s.kind == option_kind::list || s.kind == option_kind::choice)
        return CLI::Validator(
            [&s](std::string &word) {
                batch_options scratch;
                const auto refused = set_option(s, scratch, word);
                return refused ? range_words(s) + ": " + word : std::string();
            },
            "", std::string(s.kind == option_kind::list ? s.value_name : s.choices));
    return s.low && *s.low == 0 ? cli::non_negative : cli::number;
}

#ifdef VARNO96_HAVE_PLOT
// The figure's options, each needing --plot.
void add_plot_options(CLI::App &app, plot::figure_options &f, CLI::Option *plot) {
    for (const option_spec &s : plot_option_table) {
        const std::string names = "--" + std::string(s.name), help(s.help);
        CLI::Option *opt = nullptr;
        if (s.name == "plot-width") opt = app.add_option(names, f.width_mm, help);
        if (s.name == "plot-title") opt = app.add_option(names, f.title, help);
        const auto choice = [&](auto set) {
            return app.add_option_function<std::string>(names, set, help)
                ->check(CLI::Validator(
                    [&s](std::string &word) {
                        for (std::string_view rest = s.choices; !rest.empty();) {
                            const std::size_t bar = rest.find('|');
                            if (rest.substr(0, bar) == word) return std::string();
                            rest = bar == std::string_view::npos ? "" : rest.substr(bar + 1);
                        }
                        return range_words(s) + ": " + word;
                    },
                    "", std::string(s.choices)));
        };
        if (s.name == "plot-units")
            opt = choice([&f](const std::string &w) {
                f.unit = w == "GPa" ? plot::pressure_unit::gpa : plot::pressure_unit::kbar;
            });
        if (s.name == "plot-layout")
            opt = choice([&f](const std::string &w) {
                f.layout =
                    w == "panels" ? plot::figure_layout::panels : plot::figure_layout::overlay;
            });
        if (s.name == "plot-reactions")
            opt = choice([&f](const std::string &w) { f.reactions = w != "none"; });
        opt->type_name(std::string(s.value_name));
        if (s.kind == option_kind::number)
            opt->check(CLI::Validator(
                [&s](std::string &text) {
                    try {
                        std::size_t used = 0;
                        const double x = std::stod(text, &used);
                        if (used == text.size() && x >= *s.low && x <= *s.high)
                            return std::string();
                    } catch (const std::exception &) {}
                    return range_words(s) + ": " + text;
                },
                "", std::string(s.value_name)));
        if (!s.default_text.empty()) opt->default_str(std::string(s.default_text));
        opt->needs(plot);
    }
}
#endif

// Each option of the table, setting its own field of the batch's options.
void add_options(CLI::App &app, options &o) {
    app.add_option("FILE", o.files,
                   "Analysis tables: data files, or tables whose header names the oxide columns "
                   "(- reads standard input)")
        ->type_name("FILE");
    if (!o.citing) app.get_option("FILE")->required();
    batch_options &b = o.batch;
    std::map<std::string_view, CLI::Option *> made;
    for (const option_spec &s : batch_option_table) {
        std::string names = dashed(s);
        if (!s.short_name.empty()) names = "-" + std::string(s.short_name) + "," + names;
        const std::string help(s.help);
        CLI::Option *opt = nullptr;
        const auto set = [&b, &s](const option_value &v) { set_option(s, b, v); };
        if (s.kind == option_kind::flag)
            opt = app.add_flag_function(
                names, [set](std::int64_t) { set(true); }, help);
        else if (s.kind == option_kind::integer)
            opt = app.add_option_function<long long>(
                names, [set](long long n) { set(n); }, help);
        else if (s.kind == option_kind::number)
            opt = app.add_option_function<double>(
                names, [set](double x) { set(x); }, help);
        else
            opt = app.add_option_function<std::string>(
                names, [set](const std::string &t) { set(t); }, help);
        if (s.kind != option_kind::flag)
            opt->type_name(std::string(s.value_name))->check(checked(s));
        if (!s.default_text.empty()) opt->default_str(std::string(s.default_text));
        if (s.required && !(o.citing && &s == &option_of(&batch_options::temperature)))
            opt->required();
        made[s.name] = opt;
    }
    for (const option_spec &s : batch_option_table) {
        if (!s.excludes.empty()) made[s.name]->excludes(made.at(s.excludes));
        if (!s.needs.empty()) made[s.name]->needs(made.at(s.needs));
    }
    app.add_option("--cite", o.cite,
                   "Print the methods paragraph of these options and the references it cites "
                   "(bibtex: the references as BibTeX) instead of computing; needs no FILE or -t")
        ->expected(0, 1)
        ->type_name("[bibtex]")
        ->check(CLI::Validator(
            [](std::string &form) {
                return form.empty() || form == "bibtex" ? std::string()
                                                        : "must be bibtex or nothing: " + form;
            },
            "", "bibtex"));
    for (const file_option &f : file_options) {
        std::string help = f.help;
        if (f.needs) help += "; needs " + dashed(option_of(*f.needs));
        CLI::Option *opt = app.add_option(f.names, o.*f.path, help)->type_name("FILE");
        if (f.needs) opt->needs(made.at(option_of(*f.needs).name));
        if (f.path == &options::plot) {
#ifdef VARNO96_HAVE_PLOT
            opt->check(plot::picture_name());
            add_plot_options(app, o.figure, opt);
#else
            opt->check(CLI::Validator(
                [](std::string &) {
                    return std::string(
                        "this build has no plotting (configured with VARNO96_PLOT=OFF)");
                },
                "", "no plotting"));
#endif
        }
    }
}

// "sample 12 of 240", updated in place on a terminal, at most ten times a second.
class progress {
public:
    explicit progress(bool wanted) : shown_(wanted && isatty(2)) {}
    void at(std::size_t i, std::size_t total) {
        total_ = total;
        if (!shown_ || total < 2) return;
        const auto now = std::chrono::steady_clock::now();
        if (i + 1 < total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        std::fprintf(stderr, "\rsample %zu of %zu", i + 1, total_);
        std::fflush(stderr);
    }
    ~progress() {
        if (shown_ && total_ > 1) std::fputs("\r\033[K", stderr);
    }

private:
    std::size_t total_ = 0;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

// Standard output, row by row, or a file replaced at the end (an interrupted run leaves no
// part of it).
class sink {
public:
    explicit sink(const std::string &path) {
        if (!path.empty()) file_.emplace(path);
    }
    void write(const std::string &text) {
        if (file_)
            file_->write(text);
        else
            std::fwrite(text.data(), 1, text.size(), stdout);
    }
    void commit() {
        if (file_)
            file_->commit();
        else if (std::fflush(stdout) != 0 || std::ferror(stdout))
            throw std::runtime_error("cannot write standard output");
    }

private:
    std::optional<file_writer> file_;
};

// One message, one line of standard error, whatever bytes it holds.
void report(const std::string &message) {
    const std::string line = "varno96-batch: " + message_line(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// An output that is an input, or two outputs that are one file: the run would destroy data.
std::optional<std::string> clash(const options &o) {
    namespace fs = std::filesystem;
    const auto same = [](const std::string &a, const std::string &b) {
        std::error_code ec;
        return fs::equivalent(a, b, ec) ||
               fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
    };
    for (std::size_t i = 0; i < file_options.size(); i++) {
        const std::string &path = o.*file_options[i].path;
        if (path.empty()) continue;
        const std::string option = named(file_options[i]);
        for (const std::string &in : o.files)
            if (same(path, in)) return option + " " + path + " is an input file";
        for (std::size_t j = i + 1; j < file_options.size(); j++)
            if (const std::string &other = o.*file_options[j].path;
                !other.empty() && same(path, other))
                return option + " and " + named(file_options[j]) + " name one file, " + path;
    }
    return std::nullopt;
}

int run(const options &o) {
    for (const std::string *path : {&o.output, &o.pairs, &o.plot})
        if (!path->empty()) check_writable(*path);
    std::vector<table_text> inputs;
    for (const std::string &path : o.files) {
        table_text in{path == "-" ? "standard input" : path, {}, {}};
        in.open = [path] { return read_pieces(path); };
        // The size, where the input has one, leaves room for its samples.
        struct stat st {};
        if (path == "-" ? ::fstat(0, &st) == 0 : ::stat(path.c_str(), &st) == 0)
            if (S_ISREG(st.st_mode)) in.size = static_cast<std::size_t>(st.st_size);
        inputs.push_back(std::move(in));
    }
    sink out(o.output);
    std::unique_ptr<sink> pairs;
    if (!o.pairs.empty()) pairs = std::make_unique<sink>(o.pairs);
    out.write(csv_header(result_columns(o.batch)));
    if (pairs) pairs->write(csv_header(pair_columns(o.batch)));
    batch_hooks hooks;
    hooks.threads = o.batch.jobs ? static_cast<unsigned>(*o.batch.jobs)
                                 : std::max(1u, std::thread::hardware_concurrency());
    hooks.pairs = pairs != nullptr;
    hooks.points = !o.plot.empty();
    hooks.message = report;
    hooks.row = [&](const batch_row &r) {
        out.write(csv_line(r.cells));
        if (pairs)
            for (const auto &row : r.pairs) pairs->write(csv_line(row));
    };
    batch_summary done;
    {
        // Not over rows that go to the same terminal.
        progress shown(!(o.output.empty() && isatty(1)));
        hooks.progress = [&](std::size_t i, std::size_t total) {
            if (total > 0) shown.at(std::min(i, total - 1), total);
        };
        done = run_batch(inputs, o.batch, hooks);
    }
    out.commit();
    if (pairs) pairs->commit();
#ifdef VARNO96_HAVE_PLOT
    if (!o.plot.empty()) {
        if (done.points.empty()) {
            report("no sample has a result: no diagram written to " + o.plot);
        } else {
            const std::string said = plot::write_batch_diagram(
                done.points, static_cast<int>(done.rows - done.points.size()), o.figure, o.plot);
            if (!said.empty()) report(o.plot + ": " + said);
        }
    }
#endif
    // A script that sees status 1 learns where to look, and a reader what to do.
    if (const std::string said = rows_summary(done.failed_rows, done.rows); !said.empty())
        report(said);
    if (const std::string hint = combine_hint(front_end::command_line, done.several); !hint.empty())
        report(hint);
    // As grep: 2 for trouble with an input, which a script must tell from samples without a
    // result (1).
    if (done.failed_inputs > 0) return cli::exit_usage;
    return done.failed_rows > 0 ? cli::exit_failure : cli::exit_ok;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Computes every sample of analysis tables without the dialogue and writes one "
                 "CSV row per sample, with the numbers the dialogue prints."};
    cli::set_up(app, "varno96-batch");
    options o;
    for (int i = 1; i < argc; i++)
        o.citing = o.citing || std::string_view(argv[i]) == "--cite" ||
                   std::string_view(argv[i]).starts_with("--cite=");
    add_options(app, o);
    // The columns, for the reader of --help and of the manual page made of it.
    const auto pairs = std::find_if(file_options.begin(), file_options.end(),
                                    [](const file_option &f) { return f.path == &options::pairs; });
    app.footer(columns_help("the " + named(*pairs) + " file") + "\n" + app.get_footer());
    if (const auto status = cli::parse(app, argc, argv)) return *status;
    if (o.citing) {
        const trial_temperature t =
            app.get_option(dashed(option_of(&batch_options::temperature)))->count() > 0
                ? trial_temperature::given
                : trial_temperature::unsaid;
        std::fputs(
            (o.cite == "bibtex" ? cite_bibtex(o.batch) : cite_text(o.batch, t, cli::release()))
                .c_str(),
            stdout);
        return std::fflush(stdout) == 0 ? cli::exit_ok : cli::exit_usage;
    }
    if (const auto why = clash(o)) {
        report(*why + "; nothing was written");
        return cli::exit_usage;
    }
    try {
        return run(o);
    } catch (const std::exception &e) {
        report(e.what());
        return cli::exit_usage;
    }
}
