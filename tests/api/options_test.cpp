// varno96-batch as run: usage errors, unreadable input and unwritable output, the exit status
// and the files it leaves.
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

// Each case runs in a folder holding S.PRN (EC1 and A7, both with a result), BAD.PRN (a
// header with FeO and Fe2O3 swapped) and HEAD.PRN (a header and nothing else).
struct run_case {
    const char *name;
    names args;
    int status;
    names said;      // a fragment of each line of standard error, in order
    names files;     // the folder afterwards
    names rows = {}; // samples of out.csv, when it is written
};

const std::string hint = "Try 'varno96-batch --help' for more information.";
const names untouched{"BAD.PRN", "HEAD.PRN", "S.PRN"},
    with_out{"BAD.PRN", "HEAD.PRN", "S.PRN", "out.csv"};

// clang-format off
const std::vector<run_case> cases{
    {"model_missing", {"-t", "650", "S.PRN", "-o", "out.csv"}, 2, {"--model", hint}, untouched},
    {"model_8", {"-m", "8", "-t", "650", "S.PRN", "-o", "out.csv"}, 2, {"--model", hint}, untouched},
    {"model_not_a_number", {"-m", "x", "-t", "650", "S.PRN", "-o", "out.csv"}, 2, {"--model", hint}, untouched},
    {"temperature_not_a_number", {"-m", "7", "-t", "6,5", "S.PRN", "-o", "out.csv"}, 2, {"6,5", hint}, untouched},
    {"temperature_beyond_reals", {"-m", "7", "-t", "1e999", "S.PRN", "-o", "out.csv"}, 2, {"1e999", hint}, untouched},
    {"temperature_missing", {"-m", "7", "S.PRN", "-o", "out.csv"}, 2, {"--temperature", hint}, untouched},
    {"seed_0", {"-m", "7", "-t", "650", "--monte-carlo", "--seed", "0", "S.PRN", "-o", "out.csv"},
     2, {"--seed", hint}, untouched},
    {"seed_minus_100", {"-m", "7", "-t", "650", "--monte-carlo", "--seed", "-100", "S.PRN", "-o", "out.csv"},
     2, {"--seed", hint}, untouched},
    {"unknown_option", {"-m", "7", "-t", "650", "--bogus", "S.PRN", "-o", "out.csv"}, 2, {"--bogus", hint}, untouched},
    {"powell_with_at", {"-m", "7", "-t", "650", "--powell", "--at", "600", "S.PRN", "-o", "out.csv"},
     2, {"--at", hint}, untouched},
    {"pt_without_monte_carlo", {"-m", "7", "-t", "650", "--pt", "pt.csv", "S.PRN", "-o", "out.csv"},
     2, {"--monte-carlo", hint}, untouched},
    {"negative_uncertainty", {"-m", "7", "-t", "650", "-u", "-1", "S.PRN", "-o", "out.csv"}, 2, {"-1", hint}, untouched},
    {"no_data_file", {"-m", "7", "-t", "650", "-o", "out.csv"}, 2, {"FILE", hint}, untouched},
    {"ferric_of_an_unknown_mineral", {"-m", "7", "-t", "650", "--ferric", "bt=none", "S.PRN", "-o", "out.csv"},
     2, {"--ferric: must be estimate or none, or minerals with theirs", hint}, untouched},
    {"ferric_in_runs_twice", {"-m", "7", "-t", "650", "--ferric-in-runs", "twice", "S.PRN", "-o", "out.csv"},
     2, {"--ferric-in-runs: must be each or once: twice", hint}, untouched},
    {"ferric_per_mineral_once", {"-m", "7", "-t", "650", "--monte-carlo", "--ferric", "cpx=none,phe=none",
     "--ferric-in-runs", "once", "S.PRN", "-o", "out.csv"}, 0, {}, with_out, {"EC1", "A7"}},
    {"every_sample_with_a_result", {"-m", "7", "-t", "650", "S.PRN", "-o", "out.csv"}, 0, {}, with_out,
     {"EC1", "A7"}},
    {"missing_file_then_a_good_one", {"-m", "7", "-t", "650", "NONE.PRN", "S.PRN", "-o", "out.csv"},
     2, {"NONE.PRN"}, with_out, {"EC1", "A7"}},
    {"output_is_an_input", {"-m", "7", "-t", "650", "S.PRN", "-o", "./S.PRN"}, 2,
     {"-o ./S.PRN is an input file"}, untouched},
    {"pairs_and_rows_into_one_file",
     {"-m", "7", "-t", "650", "--monte-carlo", "--pt", "out.csv", "S.PRN", "-o", "out.csv"}, 2,
     {"name one file"}, untouched},
    {"plot_not_a_picture_name", {"-m", "7", "-t", "650", "S.PRN", "--plot", "p.png", "-o", "out.csv"},
     2, {"--plot", hint}, untouched},
    {"plot_width_beyond_a_page", {"-m", "7", "-t", "650", "S.PRN", "--plot", "p.svg", "--plot-width", "200"},
     2, {"--plot-width: must be a number from 60 to 180: 200", hint}, untouched},
    {"plot_units_unknown", {"-m", "7", "-t", "650", "S.PRN", "--plot", "p.svg", "--plot-units", "bar"},
     2, {"--plot-units: must be kbar or GPa: bar", hint}, untouched},
    {"plot_option_without_plot", {"-m", "7", "-t", "650", "S.PRN", "--plot-layout", "panels"},
     2, {"--plot-layout requires --plot", hint}, untouched},
    {"plot_without_a_result", {"-m", "7", "-t", "650", "HEAD.PRN", "--plot", "p.svg", "-o", "out.csv"},
     2, {"HEAD.PRN: no analysis after the header", "no sample has a result: no diagram written to p.svg"},
     with_out},
    {"header_only_then_a_good_one", {"-m", "7", "-t", "650", "HEAD.PRN", "S.PRN", "-o", "out.csv"},
     2, {"HEAD.PRN: no analysis after the header"}, with_out, {"EC1", "A7"}},
    {"folder_then_a_good_one", {"-m", "7", "-t", "650", ".", "S.PRN", "-o", "out.csv"},
     2, {".: cannot read: Is a directory"}, with_out, {"EC1", "A7"}},
    {"wrong_header_then_a_good_one", {"-m", "7", "-t", "650", "BAD.PRN", "S.PRN", "-o", "out.csv"},
     2, {"BAD.PRN line 1: the header names no oxide column"}, with_out, {"EC1", "A7"}},
    {"output_into_a_missing_folder", {"-m", "7", "-t", "650", "S.PRN", "-o", "nowhere/out.csv"},
     2, {"nowhere/out.csv"}, untouched},
    {"pairs_into_a_missing_folder",
     {"-m", "7", "-t", "650", "--monte-carlo", "--pt", "nowhere/pt.csv", "S.PRN", "-o", "out.csv"},
     2, {"nowhere/pt.csv"}, untouched},
};
// clang-format on

void PrintTo(const run_case &c, std::ostream *os) { *os << c.name; }

class Run : public ::testing::TestWithParam<run_case> {};

TEST_P(Run, StatusOneLineEachAndWhatIsWritten) {
    const run_case &c = GetParam();
    const auto [header, samples] = suite();
    scratch dir;
    dir.write("S.PRN", header + samples[0].lines + samples[1].lines);
    dir.write("BAD.PRN",
              "No Sample Min # Descr Ox Si Ti Al Fe3 Fe2 Mn Mg Ca Na K\r\n" + samples[2].lines);
    dir.write("HEAD.PRN", header);
    const run_result r = run(VARNO96_BATCH, c.args, dir);
    EXPECT_EQ(r.status, c.status);
    if (c.status == 2) { EXPECT_EQ(r.out, ""); }
    const auto said = lines(r.err);
    ASSERT_EQ(said.size(), c.said.size()) << r.err;
    for (std::size_t i = 0; i < said.size(); i++) {
        if (c.said[i] == hint)
            EXPECT_EQ(said[i], hint);
        else
            EXPECT_EQ(said[i].rfind("varno96-batch: ", 0), 0u) << said[i];
        EXPECT_NE(said[i].find(c.said[i]), std::string::npos) << said[i];
    }
    EXPECT_EQ(dir.names(), c.files);
    if (c.rows.empty()) return;
    const csv_table out = parse_csv(dir.read("out.csv"));
    ASSERT_EQ(out.rows.size(), c.rows.size());
    for (std::size_t i = 0; i < c.rows.size(); i++) {
        EXPECT_EQ(out.at(i, "sample"), c.rows[i]);
        EXPECT_EQ(without_cpx_ferric(out.at(i, "note")), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Run, ::testing::ValuesIn(cases),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(Output, FilesHoldWhatStandardOutputShowsWithTheModeOfANewFile) {
    scratch dir;
    dir.write("S.PRN", suite_text());
    names args{"-m", "6", "-t", "600", "--monte-carlo", "--seed", "-11", "S.PRN"};
    const run_result shown = run(VARNO96_BATCH, args, dir);
    args.insert(args.end(), {"-o", "out.csv", "--pt", "pt.csv"});
    const run_result written = run(VARNO96_BATCH, args, dir);
    EXPECT_EQ(shown.status, 1); // RT2
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(written.out + written.err,
              "varno96-batch: 1 of 7 rows without a result (its note says why)\n");
    EXPECT_EQ(dir.read("out.csv"), shown.out);
    EXPECT_EQ(dir.names(), (names{"S.PRN", "out.csv", "pt.csv"}));
    EXPECT_EQ(parse_csv(dir.read("pt.csv")).rows.size(), 6u * 2 * 200); // no run left out

    dir.write("plain", ""); // as any program makes a file under the same umask
    struct stat plain {
    }, out{};
    ASSERT_EQ(stat((dir.path() / "plain").c_str(), &plain), 0);
    ASSERT_EQ(stat((dir.path() / "out.csv").c_str(), &out), 0);
    EXPECT_EQ(out.st_mode & 0777, plain.st_mode & 0777);
}

// The progress line on a terminal (script(1) gives the program one): counted and cleared when
// the rows go to a file, absent when they go to the same terminal, absent in a pipe.
TEST(Progress, OnATerminalOnlyAndNeverAcrossTheRows) {
    scratch dir;
    dir.write("S.PRN", suite_text());
    const std::string batch = std::string(VARNO96_BATCH) + " -m 7 -t 650 S.PRN";
    const auto on_terminal = [&](const std::string &command) {
        return run("/usr/bin/script", {"-qec", command, "/dev/null"}, dir).out;
    };
    const std::string shown = on_terminal(batch + " -o out.csv");
    EXPECT_EQ(shown.rfind("\rsample 1 of 7\r", 0), 0u) << shown;
    // Cleared at the end, before the count of the rows without a result.
    EXPECT_TRUE(shown.ends_with("\rsample 7 of 7\r\033[Kvarno96-batch: 1 of 7 rows without a "
                                "result (its note says why)\r\n"))
        << shown;
    const std::string rows = on_terminal(batch);
    EXPECT_EQ(rows.find("sample 1 of"), std::string::npos);
    EXPECT_EQ(rows.rfind("file,sample,", 0), 0u);
    EXPECT_EQ(run(VARNO96_BATCH, {"-m", "7", "-t", "650", "S.PRN", "-o", "out.csv"}, dir).err,
              "varno96-batch: 1 of 7 rows without a result (its note says why)\n");
}

} // namespace
