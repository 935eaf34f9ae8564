// varno96-batch's answers to what is typed: --cite before a file, an option mistyped or given
// twice, a temperature below absolute zero; and a run stopped by a signal, which leaves no file.
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

TEST(Words, CiteBeforeAFileComputesItAndCitesThatRun) {
    scratch dir;
    dir.write("SUITE.PRN", suite_text());
    const names how{"-m", "7", "-t", "650", "--monte-carlo"};
    names args = how;
    for (const char *a : {"--cite", "SUITE.PRN", "-o", "rows.csv"}) args.push_back(a);
    const run_result r = run(VARNO96_BATCH, args, dir);
    EXPECT_EQ(r.status, 1) << r.err; // RT2 has no result
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(parse_csv(dir.read("rows.csv")).rows.size(), 7u);
    // After the summary, the methods of this run with the seed drawn for it.
    const std::size_t summary = r.err.find("1 of 7 rows without a result");
    const std::size_t cited = r.err.find("Pressures were calculated with varno96 ");
    ASSERT_NE(summary, std::string::npos) << r.err;
    ASSERT_NE(cited, std::string::npos) << r.err;
    EXPECT_LT(summary, cited);
    const std::size_t seed = r.err.find("seed -", cited);
    ASSERT_NE(seed, std::string::npos) << r.err;
    const std::string drawn =
        r.err.substr(seed + 5, r.err.find_first_not_of("-0123456789", seed + 5) - seed - 5);
    // The seed cited gives the rows again.
    names again = how;
    for (const std::string a : {"--seed", drawn.c_str(), "SUITE.PRN", "-o", "again.csv", "--cite",
                                "--cite-file", "cite.txt"})
        again.push_back(a);
    const run_result r2 = run(VARNO96_BATCH, again, dir);
    EXPECT_EQ(r2.status, 1) << r2.err;
    EXPECT_EQ(dir.read("again.csv"), dir.read("rows.csv"));
    EXPECT_EQ(r2.err.find("Pressures were calculated"), std::string::npos) << r2.err;
    EXPECT_EQ(dir.read("cite.txt"), r.err.substr(cited));
}

TEST(Words, MistakesAnsweredInTheProgramsWords) {
    scratch dir;
    dir.write("SUITE.PRN", suite_text());
    const struct {
        names args;
        std::string said; // the first line on standard error
    } cases[] = {
        {{"-m", "7", "-t", "650", "--combin", "mean", "SUITE.PRN"},
         "--combin: unknown option; did you mean --combine?"},
        {{"-m", "7", "-t", "650", "--thermometer=all", "SUITE.PRN"},
         "--thermometer: unknown option; did you mean --thermometers?"},
        {{"-m", "7", "-t", "650", "--montecarlo", "SUITE.PRN"},
         "--montecarlo: unknown option; did you mean --monte-carlo?"},
        {{"-m", "7", "-t", "650", "--zzz", "SUITE.PRN"}, "--zzz: unknown option"},
        {{"--combin", "mean", "SUITE.PRN"}, // before what a typing mistake seems to leave out
         "--combin: unknown option; did you mean --combine?"},
        {{"-m", "7", "-m", "6", "-t", "650", "SUITE.PRN"},
         "--model given twice (7 and 6): give it once"},
        {{"-m", "7", "-t", "-273.15", "SUITE.PRN"},
         "--temperature: must be a number above -273.15: -273.15"},
        {{"-m", "7", "-t", "650", "--at", "-300", "SUITE.PRN"},
         "--at: must be a number above -273.15: -300"},
        {{"-m", "7", "--cite", "SUITE.PRN"}, "--temperature is required"},
    };
    for (const auto &c : cases) {
        const run_result r = run(VARNO96_BATCH, c.args, dir);
        EXPECT_EQ(r.status, 2) << c.said;
        EXPECT_EQ(r.out, "");
        const names said = lines(r.err);
        ASSERT_EQ(said.size(), 2u) << r.err;
        EXPECT_EQ(said[0], "varno96-batch: " + c.said);
    }
    // Choice words in any case.
    EXPECT_EQ(
        run(VARNO96_BATCH, {"-m", "7", "-t", "650", "--combine", "Mean", "SUITE.PRN"}, dir).out,
        run(VARNO96_BATCH, {"-m", "7", "-t", "650", "--combine", "mean", "SUITE.PRN"}, dir).out);
}

// Stopped while it computes, by each signal a terminal, a pipe or a service manager sends, the
// run removes its temporary files and ends as the signal ends it.
TEST(Words, ARunStoppedByASignalLeavesNoFile) {
    const auto [header, samples] = suite();
    std::string spots = header;
    for (int i = 0; i < 6; i++) spots += samples[0].lines; // 6 x 6 x 6 combinations
    for (const std::string signal : {"INT", "TERM", "HUP", "PIPE"}) {
        scratch dir;
        dir.write("SPOTS.PRN", spots);
        // Job control, so that a job in the background keeps SIGINT.
        const std::string shell =
            "set -m; \"$0\" -m 7 -t 650 --combine each --monte-carlo SPOTS.PRN -o rows.csv "
            "--pt pt.csv 2>/dev/null & pid=$!; "
            "while ! ls -a | grep -q '^\\.pt\\.csv\\.tmp-'; do sleep 0.01; done; "
            "kill -" +
            signal + " $pid; wait $pid; echo $?";
        const run_result r = run("/bin/bash", {"-c", shell, VARNO96_BATCH}, dir);
        EXPECT_EQ(r.status, 0) << signal << r.err;
        const int number = signal == "INT" ? 2 : signal == "TERM" ? 15 : signal == "HUP" ? 1 : 13;
        EXPECT_EQ(r.out, std::to_string(128 + number) + "\n") << signal;
        EXPECT_EQ(dir.names(), names{"SPOTS.PRN"}) << signal;
    }
}

} // namespace
