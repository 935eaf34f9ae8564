// varno96-batch: many samples without the dialogue, one CSV row each.
#include "api/batch.hpp"
#include "api/cite.hpp"
#include "api/csv.hpp"
#include "api/messages.hpp"
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
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <type_traits>
#include <unistd.h>
#include <utility>

namespace {

using namespace varno96;

struct options {
    batch_options batch;
    std::vector<std::string> files;
    output_options out;
#ifdef VARNO96_HAVE_PLOT
    plot::figure_options figure;
#endif
    // The methods paragraph and references of these options instead of a run: then no file or
    // temperature is needed.
    bool citing = false;
    std::array<bool, 3> closed{}; // standard input, output, error closed at the start
};

// An option as a message names it: "-o", "--pt".
std::string named(const option_spec &s) {
    return s.short_name.empty() ? dashed(s) : "-" + std::string(s.short_name);
}

// The validator of an option of a table: its range or choices, in the table's words. A
// number of the batch is checked as the dialogue reads one, its range later with the other
// options; those of `Target` (the figure) as they are set.
template <class Target> CLI::Validator checked(const option_spec &s) {
    if (s.kind == option_kind::integer)
        return cli::whole(static_cast<int>(*s.low), static_cast<int>(*s.high));
    if (s.kind == option_kind::number && std::is_same_v<Target, batch_options>)
        return CLI::Validator(
            [&s](std::string &text) {
                if (std::string why = cli::number(text); !why.empty()) return why;
                const auto refused = range_refusal(s, std::stod(text));
                return refused ? *refused + ": " + text : std::string();
            },
            "", "number");
    return CLI::Validator(
        [&s](std::string &text) {
            std::optional<option_value> v = text;
            if (s.kind == option_kind::number) try {
                    std::size_t used = 0;
                    const double x = std::stod(text, &used);
                    v = used == text.size() ? std::optional<option_value>(x) : std::nullopt;
                } catch (const std::exception &) { v.reset(); }
            Target scratch;
            const bool refused = !v || set_option(s, scratch, *v);
            return refused ? range_words(s) + ": " + text : std::string();
        },
        "", std::string(s.kind == option_kind::list ? s.value_name : s.choices));
}

// The command-line options made of the tables, by name.
using made_options = std::map<std::string_view, CLI::Option *>;

// Each option of `table`, setting its own field of `target`.
template <class Target, std::size_t N>
void add_table(CLI::App &app, const std::array<option_spec, N> &table, Target &target, bool citing,
               made_options &made) {
    for (const option_spec &s : table) {
        std::string names = dashed(s);
        if (!s.short_name.empty()) names = "-" + std::string(s.short_name) + "," + names;
        const std::string help(s.help);
        CLI::Option *opt = nullptr;
        const auto set = [&target, &s](const option_value &v) { set_option(s, target, v); };
        // A choice of nothing among its words takes a value only after "=": a word after it is
        // a file (--cite FILE, --cite=bibtex).
        const bool bare = s.kind == option_kind::choice && choice_index(s, "");
        if (bare)
            opt = app.add_flag(names + "{}", help)->each([set](const std::string &t) { set(t); });
        else if (s.kind == option_kind::flag)
            opt = app.add_flag_function(
                names, [set](std::int64_t) { set(true); }, help);
        else if (s.kind == option_kind::integer)
            opt = app.add_option_function<long long>(
                names, [set](long long n) { set(n); }, help);
        else if (s.kind == option_kind::number)
            opt = app.add_option_function<double>(
                names, [set](double x) { set(x); }, help);
        else if (std::holds_alternative<std::vector<std::string> batch_options::*>(s.field))
            // Given as often as wanted, each adding to the list.
            opt = app.add_option(
                         names,
                         [set](const CLI::results_t &given) {
                             for (const std::string &t : given) set(t);
                             return true;
                         },
                         help)
                      ->type_size(1)
                      ->expected(1)
                      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        else
            opt = app.add_option_function<std::string>(
                names, [set](const std::string &t) { set(t); }, help);
        if (s.kind != option_kind::flag)
            opt->type_name(std::string(s.value_name))->check(checked<Target>(s));
        if (!s.default_text.empty()) opt->default_str(std::string(s.default_text));
        if (s.required && !(citing && &s == &option_of(&batch_options::temperature)))
            opt->required();
        made[s.name] = opt;
    }
}

// Each option of the tables, setting its own field of the batch's options, of the program's
// outputs or of the figure.
void add_options(CLI::App &app, options &o) {
    app.add_option("FILE", o.files,
                   "Analysis tables: data files, or tables whose header names the oxide columns "
                   "(- reads standard input)")
        ->type_name("FILE");
    if (!o.citing) app.get_option("FILE")->required();
    made_options made;
    add_table(app, batch_option_table, o.batch, o.citing, made);
    add_table(app, output_option_table, o.out, o.citing, made);
    CLI::Option *plot = made.at(option_of(&output_options::plot).name);
#ifdef VARNO96_HAVE_PLOT
    plot->check(plot::picture_name());
    add_table(app, plot_option_table, o.figure, o.citing, made);
#else
    plot->check(CLI::Validator(
        [](std::string &) {
            return std::string("this build has no plotting (configured with VARNO96_PLOT=OFF)");
        },
        "", "no plotting"));
#endif
    for (const auto &[name, opt] : made) {
        const option_spec &s = option_named(name);
        if (!s.excludes.empty()) opt->excludes(made.at(s.excludes));
        if (!s.needs.empty()) opt->needs(made.at(s.needs));
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
// part of it). finish() writes out what is held, commit() replaces the file: the sinks of a run
// are all finished before any is committed, so that a failure leaves every file as it was.
class sink {
public:
    // `closed`: standard output was closed when the program started.
    sink(const std::string &path, bool closed) : closed_(closed) {
        if (!path.empty())
            file_.emplace(path);
        else if (closed_)
            fail(EBADF);
    }
    void write(const std::string &text) {
        if (file_)
            file_->write(text);
        else
            std::fwrite(text.data(), 1, text.size(), stdout);
    }
    void finish() {
        if (file_) {
            file_->finish();
            return;
        }
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) fail(errno != 0 ? errno : EIO);
    }
    void commit() {
        if (file_) file_->commit();
    }

private:
    [[noreturn]] static void fail(int error) {
        throw std::runtime_error(std::string("cannot write standard output: ") +
                                 std::strerror(error));
    }
    bool closed_;
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
    // The files, in the order of the table.
    std::vector<std::pair<const option_spec *, const std::string *>> paths;
    for (const option_spec &s : output_option_table)
        if (const auto *f = std::get_if<std::string output_options::*>(&s.field))
            if (!(o.out.*(*f)).empty()) paths.emplace_back(&s, &(o.out.*(*f)));
    for (std::size_t i = 0; i < paths.size(); i++) {
        const auto [s, path] = paths[i];
        for (const std::string &in : o.files)
            if (same(*path, in)) return named(*s) + " " + *path + " is an input file";
        for (std::size_t j = i + 1; j < paths.size(); j++)
            if (same(*path, *paths[j].second))
                return named(*s) + " and " + named(*paths[j].first) + " name one file, " + *path;
    }
    return std::nullopt;
}

// The citation of `how` as --cite asks for it: the methods paragraph and its references, or the
// references as BibTeX.
std::string citation(const options &o, const batch_options &how, trial_temperature t) {
    return o.out.cite.value_or("").empty() ? cite_text(how, t, cli::release()) : cite_bibtex(how);
}

// Standard error, written whole: false when it cannot be written.
bool to_standard_error(const std::string &text) {
    errno = 0;
    return std::fwrite(text.data(), 1, text.size(), stderr) == text.size() &&
           std::fflush(stderr) == 0 && !std::ferror(stderr);
}

int run(const options &o) {
    for (const std::string *path : {&o.out.output, &o.out.pairs, &o.out.plot, &o.out.cite_file})
        if (!path->empty()) check_writable(*path);
    std::vector<table_text> inputs;
    for (const std::string &path : o.files) {
        table_text in{path == "-" ? "standard input" : path, {}, {}};
        in.open = [path, closed = o.closed[0]] {
            if (path == "-" && closed)
                throw std::runtime_error(std::string("standard input: cannot read: ") +
                                         std::strerror(EBADF));
            return read_pieces(path);
        };
        // The size, where the input has one, leaves room for its samples.
        struct stat st {};
        if (path == "-" ? ::fstat(0, &st) == 0 : ::stat(path.c_str(), &st) == 0)
            if (S_ISREG(st.st_mode)) in.size = static_cast<std::size_t>(st.st_size);
        inputs.push_back(std::move(in));
    }
    sink out(o.out.output, o.closed[1]);
    std::unique_ptr<sink> pairs;
    if (!o.out.pairs.empty()) pairs = std::make_unique<sink>(o.out.pairs, false);
    out.write(csv_header(result_columns(o.batch)));
    if (pairs) pairs->write(csv_header(pair_columns(o.batch)));
    batch_hooks hooks;
    hooks.threads = o.batch.jobs ? static_cast<unsigned>(*o.batch.jobs)
                                 : std::max(1u, std::thread::hardware_concurrency());
    hooks.pairs = pairs != nullptr;
    hooks.points = !o.out.plot.empty();
    hooks.message = report;
    hooks.row = [&](const batch_row &r) {
        out.write(csv_line(r.cells));
        if (pairs)
            for (const auto &row : r.pairs) pairs->write(csv_line(row));
    };
    batch_summary done;
    {
        // Not over rows that go to the same terminal.
        progress shown(!(o.out.output.empty() && isatty(1)));
        hooks.progress = [&](std::size_t i, std::size_t total) {
            if (total > 0) shown.at(std::min(i, total - 1), total);
        };
        done = run_batch(inputs, o.batch, hooks);
    }
    // The citation of exactly this run: its seed, drawn or given.
    batch_options ran = o.batch;
    if (ran.monte_carlo) ran.seed = done.how.seed;
    const std::string cited = o.citing ? citation(o, ran, trial_temperature::given) : "";
    std::optional<file_writer> cite_file;
    if (o.citing && !o.out.cite_file.empty()) {
        cite_file.emplace(o.out.cite_file);
        cite_file->write(cited);
    }
    out.finish();
    if (pairs) pairs->finish();
    if (cite_file) cite_file->finish();
    out.commit();
    if (pairs) pairs->commit();
    if (cite_file) cite_file->commit();
#ifdef VARNO96_HAVE_PLOT
    if (const std::string &path = o.out.plot; !path.empty()) {
        if (done.points.empty()) {
            report("no sample has a result: no diagram written to " + path);
        } else {
            const std::string said = plot::write_batch_diagram(
                done.points, static_cast<int>(done.rows - done.points.size()), o.figure, path);
            if (!said.empty()) report(path + ": " + said);
        }
    }
#endif
    // A script that sees status 1 learns where to look, and a reader what to do.
    if (const std::string said = rows_summary(done.failed_rows, done.rows); !said.empty())
        report(said);
    if (const std::string hint = combine_hint(front_end::command_line, done.several); !hint.empty())
        report(hint);
    // After the summary, where it cannot be taken for a row; a citation that cannot be written
    // is no success.
    if (o.citing && o.out.cite_file.empty() && !to_standard_error("\n" + cited))
        return cli::exit_usage;
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
    o.closed = guard_standard_streams();
    remove_temporaries_on_signals();
    o.citing = on_command_line(option_of(&output_options::cite), argc, argv);
    add_options(app, o);
    // The columns, for the reader of --help and of the manual page made of it.
    app.footer(columns_help("the " + named(option_of(&output_options::pairs)) + " file") + "\n" +
               app.get_footer());
    if (const auto status = cli::parse(app, argc, argv, o.closed[1])) return *status;
    const CLI::Option *temperature = app.get_option(dashed(option_of(&batch_options::temperature)));
    // With files, --cite computes them, which needs a trial temperature.
    if (o.citing && !o.files.empty() && temperature->count() == 0)
        return cli::usage_error(app, temperature->get_name() + " is required");
    try {
        if (o.citing && o.files.empty()) {
            const trial_temperature t =
                temperature->count() > 0 ? trial_temperature::given : trial_temperature::unsaid;
            const std::string text = citation(o, o.batch, t);
            if (!o.out.cite_file.empty()) {
                check_writable(o.out.cite_file);
                write_whole(o.out.cite_file, text);
                return cli::exit_ok;
            }
            sink out({}, o.closed[1]);
            out.write(text);
            out.finish();
            return cli::exit_ok;
        }
        if (const auto why = clash(o)) {
            report(*why + "; nothing was written");
            return cli::exit_usage;
        }
        return run(o);
    } catch (const std::exception &e) {
        report(e.what());
        return cli::exit_usage;
    }
}
