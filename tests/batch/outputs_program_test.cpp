// varno96-batch where its outputs or its standard input fail: a full device, standard output
// or input closed, standard input a folder, --plot in a build without plotting. Each is one
// line on standard error and status 2, and leaves no file but whole ones: no part of a table,
// no temporary file.
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

struct failing_run {
    const char *what;
    std::string program;
    std::string shell; // run by /bin/sh with the program as $0; its redirections the case's
    std::string message;
    names left; // the files of the folder afterwards
};

TEST(Outputs, AFailingOutputOrInputIsOneLineStatusTwoAndNoPartOfAFile) {
    const auto [header, samples] = suite();
    const std::string rt2 = samples.back().lines; // the garnet without Mg: no result
    const std::string run_mc = "exec \"$0\" -m 7 -t 650 --monte-carlo --seed -5 SUITE.PRN";
    const std::vector<failing_run> cases{
        {"a full device as the table",
         VARNO96_BATCH,
         run_mc + " -o /dev/full",
         "cannot write /dev/full: No space left on device",
         {"RT2.PRN", "SUITE.PRN"}},
        {"a full device as the pairs",
         VARNO96_BATCH,
         run_mc + " -o rows.csv --pt /dev/full",
         "cannot write /dev/full: No space left on device",
         {"RT2.PRN", "SUITE.PRN"}},
        // No pairs but their header, whose writing fails only at the end: the table is not
        // replaced either.
        {"a full device as the pairs of a sample without a result",
         VARNO96_BATCH,
         "exec \"$0\" -m 7 -t 650 --monte-carlo RT2.PRN -o rows.csv --pt /dev/full",
         "cannot write /dev/full: No space left on device",
         {"RT2.PRN", "SUITE.PRN"}},
        {"standard output closed",
         VARNO96_BATCH,
         run_mc + " >&-",
         "cannot write standard output: Bad file descriptor",
         {"RT2.PRN", "SUITE.PRN"}},
        // The temporary file of the pairs would otherwise take the number of standard output.
        {"standard output closed, the pairs to a file",
         VARNO96_BATCH,
         run_mc + " --pt pt.csv >&-",
         "cannot write standard output: Bad file descriptor",
         {"RT2.PRN", "SUITE.PRN"}},
        {"standard output closed, the citation",
         VARNO96_BATCH,
         "exec \"$0\" -m 7 --cite >&-",
         "cannot write standard output: Bad file descriptor",
         {"RT2.PRN", "SUITE.PRN"}},
        {"--help to a full device",
         VARNO96_BATCH,
         "exec \"$0\" --help >/dev/full",
         "cannot write standard output: No space left on device",
         {"RT2.PRN", "SUITE.PRN"}},
        {"--version to standard output closed",
         VARNO96_BATCH,
         "exec \"$0\" --version >&-",
         "cannot write standard output: Bad file descriptor",
         {"RT2.PRN", "SUITE.PRN"}},
        // The citation of a run is part of it: the table is not written either.
        {"the citation of a run to a full device",
         VARNO96_BATCH,
         "exec \"$0\" -m 7 -t 650 --cite --cite-file /dev/full SUITE.PRN -o rows.csv",
         "cannot write /dev/full: No space left on device",
         {"RT2.PRN", "SUITE.PRN"}},
        {"standard input a folder",
         VARNO96_BATCH,
         "exec \"$0\" -m 7 -t 650 -o rows.csv - < .",
         "standard input: cannot read: Is a directory",
         {"RT2.PRN", "SUITE.PRN", "rows.csv"}},
        {"standard input closed",
         VARNO96_BATCH,
         "exec \"$0\" -m 7 -t 650 -o rows.csv - <&-",
         "standard input: cannot read: Bad file descriptor",
         {"RT2.PRN", "SUITE.PRN", "rows.csv"}},
        {"--plot in a build without plotting",
         VARNO96_BATCH_WITHOUT_PLOT,
         "exec \"$0\" -m 7 -t 650 --plot pt.svg -o rows.csv SUITE.PRN",
         "--plot: this build has no plotting (configured with VARNO96_PLOT=OFF)",
         {"RT2.PRN", "SUITE.PRN"}},
    };
    for (const failing_run &c : cases) {
        scratch dir;
        dir.write("SUITE.PRN", suite_text());
        dir.write("RT2.PRN", header + rt2);
        const run_result r = run("/bin/sh", {"-c", c.shell, c.program}, dir);
        EXPECT_EQ(r.status, 2) << c.what;
        const names said = lines(r.err);
        ASSERT_FALSE(said.empty()) << c.what;
        // A usage error adds the usage hint; the message is the first line.
        EXPECT_EQ(said.front(), "varno96-batch: " + c.message) << c.what << "\n" << r.err;
        if (said.size() > 1) { EXPECT_EQ(said.size(), 2u) << c.what << "\n" << r.err; }
        EXPECT_EQ(dir.names(), c.left) << c.what;
        // An input that cannot be read is one among others: the table is written whole, its
        // header and no row.
        if (c.left.back() == "rows.csv") {
            EXPECT_EQ(lines(dir.read("rows.csv")).size(), 1u) << c.what;
        }
    }
}

} // namespace
