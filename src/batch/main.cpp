// varno96-batch: many samples without the dialogue, one CSV row each.
#include "api/batch.hpp"
#include "api/options.hpp"
#include "cli/cli.hpp"
#include "cli/files.hpp"
#include "stats/stats.hpp"

#ifdef VARNO96_HAVE_PLOT
#include "plot/output.hpp"
#include "plot/plot.hpp"
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
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
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
};

// The validator of an option of the table: its range, in the table's words.
CLI::Validator checked(const option_spec &s) {
    if (s.kind == option_kind::integer)
        return cli::whole(static_cast<int>(*s.low), static_cast<int>(*s.high));
    if (s.kind == option_kind::list)
        return CLI::Validator(
            [&s](std::string &list) {
                return thermometers_of(list) ? std::string() : range_words(s) + ": " + list;
            },
            "", std::string(s.value_name));
    if (s.kind == option_kind::choice)
        return CLI::Validator(
            [&s](std::string &word) {
                return combine_of(word) ? std::string() : range_words(s) + ": " + word;
            },
            "", std::string(s.choices));
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

// Each option of the table, with the batch's field it sets.
void add_options(CLI::App &app, options &o) {
    app.add_option("FILE", o.files,
                   "Analysis tables: data files, or tables whose header names the oxide columns "
                   "(- reads standard input)")
        ->required()
        ->type_name("FILE");
    batch_options &b = o.batch;
    std::map<std::string_view, CLI::Option *> made;
    for (const option_spec &s : batch_option_table) {
        std::string names = "--" + std::string(s.name);
        if (!s.short_name.empty()) names = "-" + std::string(s.short_name) + "," + names;
        const std::string help(s.help);
        CLI::Option *opt = nullptr;
        if (s.name == "model") opt = app.add_option(names, b.model, help);
        if (s.name == "one-site") opt = app.add_flag(names, b.one_site, help);
        if (s.name == "temperature") opt = app.add_option(names, b.temperature, help);
        if (s.name == "powell") opt = app.add_flag(names, b.powell, help);
        if (s.name == "at") opt = app.add_option(names, b.at, help);
        if (s.name == "uncertainty") opt = app.add_option(names, b.uncertainty, help);
        if (s.name == "monte-carlo") opt = app.add_flag(names, b.monte_carlo, help);
        if (s.name == "seed") opt = app.add_option(names, b.seed, help);
        if (s.name == "combine")
            opt = app.add_option_function<std::string>(
                names, [&b](const std::string &word) { b.combine = *combine_of(word); }, help);
        if (s.name == "formulae") opt = app.add_flag(names, b.formulae, help);
        if (s.name == "thermometers")
            opt = app.add_option_function<std::string>(
                names, [&b](const std::string &list) { b.thermometers = *thermometers_of(list); },
                help);
        if (s.name == "jobs") opt = app.add_option(names, o.jobs, help);
        if (s.kind != option_kind::flag)
            opt->type_name(std::string(s.value_name))->check(checked(s));
        if (!s.default_text.empty()) opt->default_str(std::string(s.default_text));
        if (s.required) opt->required();
        made[s.name] = opt;
    }
    for (const option_spec &s : batch_option_table)
        if (!s.excludes.empty()) made[s.name]->excludes(made.at(s.excludes));
    app.add_option("-o,--output", o.output, "Write the CSV to FILE instead of standard output")
        ->type_name("FILE");
    app.add_option("--pt", o.pairs,
                   "Also write every Monte-Carlo (T, P) pair as CSV to FILE; needs --monte-carlo")
        ->type_name("FILE")
        ->needs(made.at("monte-carlo"));
    auto *plot = app.add_option("--plot", o.plot,
                                "Draw the P-T diagram of the batch to FILE (.svg, .pdf, .ps)")
                     ->type_name("FILE");
#ifdef VARNO96_HAVE_PLOT
    plot->check(plot::picture_name());
    add_plot_options(app, o.figure, plot);
#else
    plot->check(CLI::Validator(
        [](std::string &) {
            return std::string("this build has no plotting (configured with VARNO96_PLOT=OFF)");
        },
        "", "no plotting"));
#endif
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

// Standard output, row by row, or a file written whole at the end (an interrupted run leaves
// no part of it).
class sink {
public:
    explicit sink(std::string path) : path_(std::move(path)) {}
    void write(const std::string &text) {
        if (!path_.empty())
            text_ += text;
        else
            std::fwrite(text.data(), 1, text.size(), stdout);
    }
    void commit() {
        if (!path_.empty())
            write_whole(path_, text_);
        else if (std::fflush(stdout) != 0 || std::ferror(stdout))
            throw std::runtime_error("cannot write standard output");
    }

private:
    std::string path_, text_;
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
    const std::vector<std::pair<const char *, const std::string *>> outputs{
        {"-o", &o.output}, {"--pt", &o.pairs}, {"--plot", &o.plot}};
    for (std::size_t i = 0; i < outputs.size(); i++) {
        const auto &[option, path] = outputs[i];
        if (path->empty()) continue;
        for (const std::string &in : o.files)
            if (same(*path, in)) return std::string(option) + " " + *path + " is an input file";
        for (std::size_t j = i + 1; j < outputs.size(); j++)
            if (!outputs[j].second->empty() && same(*path, *outputs[j].second))
                return std::string(option) + " and " + outputs[j].first + " name one file, " +
                       *path;
    }
    return std::nullopt;
}

// The contents of an input, "-" being standard input.
std::string read_input(const std::string &path) {
    if (path != "-") return read_whole(path);
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        text.append(buffer, n);
    if (std::ferror(stdin)) throw std::runtime_error("standard input: cannot read");
    return text;
}

int run(const options &o) {
    for (const std::string *path : {&o.output, &o.pairs, &o.plot})
        if (!path->empty()) check_writable(*path);
    std::vector<table_text> inputs;
    for (const std::string &path : o.files) {
        table_text in{path == "-" ? "standard input" : path, {}, {}};
        try {
            in.text = read_input(path);
        } catch (const std::runtime_error &e) { in.error = e.what(); }
        inputs.push_back(std::move(in));
    }
    sink out(o.output);
    std::unique_ptr<sink> pairs;
    if (!o.pairs.empty()) pairs = std::make_unique<sink>(o.pairs);
    out.write(csv_header(result_columns(o.batch)));
    if (pairs) pairs->write(csv_header(pair_columns(o.batch)));
    batch_hooks hooks;
    hooks.threads = o.jobs;
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
    // A script that sees status 1 learns where to look.
    if (const std::string said = rows_summary(done.failed_rows, done.rows); !said.empty())
        report(said);
    return done.failed_rows + done.failed_inputs > 0 ? cli::exit_failure : cli::exit_ok;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Computes every sample of analysis tables without the dialogue and writes one "
                 "CSV row per sample, with the numbers the dialogue prints."};
    cli::set_up(app, "varno96-batch");
    options o;
    add_options(app, o);
    if (const auto status = cli::parse(app, argc, argv)) return *status;
    if (const auto why = clash(o)) {
        report(*why + "; nothing was written");
        return cli::exit_usage;
    }
    try {
        return run(o);
    } catch (const std::exception &e) {
        report(e.what());
        return cli::exit_failure;
    }
}
