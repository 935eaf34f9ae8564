// varno96-plot: the P-T diagram of one run of the dialogue, from the files it left.
#include "cli/cli.hpp"
#include "cli/files.hpp"
#include "plot/output.hpp"
#include "plot/plot.hpp"
#include "scene/results.hpp"

#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using namespace varno96;

int draw(const fs::path &folder, std::string output) {
    const fs::path report_file = plot::report_path(folder);
    const fs::path pairs_file = folder / "VARNOPT.RES";
    const plot::run_report report =
        plot::parse_report(read_whole(report_file.string()), report_file.string());
    const plot::pt_pairs pairs =
        plot::parse_pt_pairs(read_whole(pairs_file.string()), pairs_file.string());
    if (const auto why = plot::mismatch(report, pairs))
        throw plot::input_error(pairs_file.string() + " is not from the run of " +
                                report_file.string() + ": " + *why);
    if (output.empty()) output = (folder / "VARNOPT.svg").string();
    plot::write_run_diagram(report, pairs, output);
    return cli::exit_ok;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"P-T diagram of a run of varno96: the barometer through the result table and "
                 "the Monte-Carlo pairs of both passes with their means and 1 and 2 s.d. "
                 "ellipses (or P error bars at a fixed temperature).\n"
                 "Reads VARNO.RES (or LPT1) and VARNOPT.RES in FOLDER."};
    cli::set_up(app, "varno96-plot");
    remove_temporaries_on_signals();
    std::string folder, output;
    app.add_option("FOLDER", folder, "Folder of the run (default: the current folder)");
    app.add_option("-o,--output", output,
                   "Picture to write: .svg, .pdf or .ps (default: FOLDER/VARNOPT.svg)")
        ->type_name("FILE")
        ->check(plot::picture_name());
    if (const auto status = cli::parse(app, argc, argv)) return *status;

    try {
        return draw(folder, output);
    } catch (const std::exception &e) {
        std::cerr << "varno96-plot: " << e.what() << "\n";
        return cli::exit_failure;
    }
}
