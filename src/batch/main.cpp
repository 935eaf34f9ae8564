// varno96-batch: many samples without the dialogue, one CSV row each.
#include "api/table.hpp"
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
#include <optional>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace {

using namespace varno96;

struct options {
    choices how;
    batch_options batch; // what the rows show: combinations, formulae
    std::vector<std::string> files;
    std::string output, pairs, plot;
    std::optional<std::int16_t> seed;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
};

void add_options(CLI::App &app, options &o) {
    app.add_option("FILE", o.files,
                   "Analysis tables: data files, or tables whose header names the oxide columns "
                   "(- reads standard input)")
        ->required()
        ->type_name("FILE");
    app.add_option("-m,--model", o.how.model, "Garnet mixing model, 1 to 7 (see the manual)")
        ->required()
        ->type_name("N")
        ->check(cli::whole(1, NMODELS));
    app.add_flag("--one-site", o.how.one_site,
                 "One-site clinopyroxene (default: the disordered two-site model)");
    app.add_option("-t,--temperature", o.how.t_c, "Trial temperature in degrees Celsius")
        ->required()
        ->type_name("C")
        ->check(cli::number);
    auto *powell = app.add_flag(
        "--powell", o.how.powell,
        "Use the Powell (1985) temperature, in the Monte-Carlo runs too; not with --at");
    app.add_option("--at", o.how.at_c,
                   "The table at this temperature (C) instead; the Powell estimate stays at the "
                   "trial temperature's pressure")
        ->type_name("C")
        ->check(cli::number)
        ->excludes(powell);
    app.add_option("-u,--uncertainty", o.how.uncertainty,
                   "Analytical uncertainty, per cent of a 100 wt% total")
        ->capture_default_str()
        ->type_name("PCT")
        ->check(cli::non_negative);
    auto *mc = app.add_flag("--monte-carlo", o.how.monte_carlo,
                            "Monte-Carlo error propagation: two passes of 200 runs");
    cli::add_seed(app, o.seed);
    app.add_option_function<std::string>(
           "--combine", [&o](const std::string &word) { o.batch.combine = *combine_of(word); },
           "Several analyses of a mineral in a sample: their mean, or each combination (default: "
           "no result)")
        ->type_name("mean|each")
        ->check(CLI::Validator(
            [](std::string &word) {
                return combine_of(word) ? std::string() : "must be mean or each: " + word;
            },
            "", "mean or each"));
    app.add_flag("--formulae", o.batch.formulae,
                 "Add each mineral's recalculated analysis and cations per formula unit");
    app.add_option("-j,--jobs", o.jobs, "Compute on N threads (default: the number of cores)")
        ->type_name("N")
        ->check(cli::whole(1, 256));
    app.add_option("-o,--output", o.output, "Write the CSV to FILE instead of standard output")
        ->type_name("FILE");
    app.add_option("--pt", o.pairs,
                   "Also write every Monte-Carlo (T, P) pair as CSV to FILE; needs --monte-carlo")
        ->type_name("FILE")
        ->needs(mc);
    auto *plot = app.add_option("--plot", o.plot,
                                "Draw the P-T diagram of the batch to FILE (.svg, .pdf, .ps)")
                     ->type_name("FILE");
#ifdef VARNO96_HAVE_PLOT
    plot->check(plot::picture_name());
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
    explicit progress(std::size_t total) : total_(total), shown_(total > 1 && isatty(2)) {}
    void at(std::size_t i) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (i + 1 < total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        std::fprintf(stderr, "\rsample %zu of %zu", i + 1, total_);
        std::fflush(stderr);
    }
    ~progress() {
        if (shown_) std::fputs("\r\033[K", stderr);
    }

private:
    std::size_t total_;
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

void report(const std::string &message) {
    std::fprintf(stderr, "varno96-batch: %s\n", message.c_str());
}

#ifdef VARNO96_HAVE_PLOT
plot::batch_sample plotted(const sample_unit &u, const sample_result &r) {
    plot::batch_sample s{unit_name(u), r.rows[1].t_c, r.rows[1].p_kbar, {}, r.t_varies};
    if (r.passes) s.pass2 = (*r.passes)[1].pairs;
    return s;
}
#endif

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
    int status = cli::exit_ok;
    std::vector<sample_input> samples;
    for (const std::string &path : o.files) {
        file_input in;
        try {
            in = read_table(path == "-" ? "standard input" : path, read_input(path));
        } catch (const std::runtime_error &e) { in.error = e.what(); }
        for (const std::string &message : file_messages(in, path)) report(message);
        if (!in.error.empty() || in.samples.empty()) status = cli::exit_failure;
        for (auto &s : in.samples) samples.push_back(std::move(s));
    }
    const std::vector<sample_unit> units = sample_units(samples, o.batch.combine);
    sink out(o.output);
    std::unique_ptr<sink> pairs;
    if (!o.pairs.empty()) pairs = std::make_unique<sink>(o.pairs);
    out.write(csv_header(result_columns(o.batch)));
    if (pairs) pairs->write(csv_header(pair_columns(o.batch)));
#ifdef VARNO96_HAVE_PLOT
    std::vector<plot::batch_sample> points;
#endif
    int left_off = 0;
    {
        // Not over rows that go to the same terminal.
        progress shown(o.output.empty() && isatty(1) ? 0 : units.size());
        compute_units(
            units, o.how, o.jobs,
            [&](std::size_t i, const sample_result &r) {
                const sample_unit &u = units[i];
                out.write(csv_line(result_cells(u, r, o.how, o.batch)));
                if (pairs)
                    for (const auto &row : pair_cells(u, r, o.batch)) pairs->write(csv_line(row));
                if (!u.problem.empty() || !r.ok) {
                    status = cli::exit_failure;
                    left_off++;
                }
#ifdef VARNO96_HAVE_PLOT
                else if (!o.plot.empty())
                    points.push_back(plotted(u, r));
#endif
            },
            [&](std::size_t done, std::size_t total) {
                if (total > 0) shown.at(std::min(done, total - 1));
            });
    }
    out.commit();
    if (pairs) pairs->commit();
#ifdef VARNO96_HAVE_PLOT
    if (!o.plot.empty())
        plot::write_batch_diagram(points, left_off, batch_title(o.files, o.how), o.plot);
#endif
    return status;
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
    o.batch.monte_carlo = o.how.monte_carlo;
    o.how.seed = o.seed ? *o.seed : CLOCKSEED();
    try {
        return run(o);
    } catch (const std::exception &e) {
        report(e.what());
        return cli::exit_failure;
    } catch (const RUNEND &e) { // a read error in the shared field reader
        report(e.MESSAGE);
        return cli::exit_failure;
    }
}
