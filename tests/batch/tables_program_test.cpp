// varno96-batch on tables whose header names the columns: the shipped export from a file and
// from standard input, the same bytes on any number of threads, and a file that cannot be read
// among others that can.
#include "api/options.hpp"
#include "api/table.hpp"
#include "batch/support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

const std::string export_text = slurp(std::filesystem::path(VARNO96_EXAMPLES) / "EPMA-EXPORT.csv");

// The rows of `got` as those of `want`, column by column, but for the columns `besides`.
void same_rows(const csv_table &got, const csv_table &want, const names &besides) {
    ASSERT_EQ(got.rows.size(), want.rows.size());
    for (const std::string &name : want.header) {
        if (std::find(besides.begin(), besides.end(), name) != besides.end()) continue;
        for (std::size_t r = 0; r < want.rows.size(); r++)
            EXPECT_EQ(got.at(r, name), want.at(r, name)) << "row " << r << ", column " << name;
    }
}

TEST(Tables, TheExportGivesTheSuiteRowsFromAFileAndFromStandardInput) {
    scratch dir;
    dir.write("SUITE.PRN", suite_text());
    dir.write("EPMA-EXPORT.csv", export_text);
    const names how{"-m", "7", "-t", "650", "--powell", "--monte-carlo", "--seed", "-42"};
    const auto batch = [&](names args, const std::string &input = "") {
        args.insert(args.begin(), how.begin(), how.end());
        return run(VARNO96_BATCH, args, dir, input);
    };
    const run_result suite = batch({"SUITE.PRN"});
    const run_result file = batch({"--combine", "mean", "EPMA-EXPORT.csv"});
    const run_result piped = batch({"--combine", "mean", "-"}, export_text);
    EXPECT_EQ(suite.status, 1); // RT2 has no result
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(piped.status, 1);
    const csv_table want = parse_csv(suite.out), got = parse_csv(file.out),
                    in = parse_csv(piped.out);
    same_rows(got, want, {"file"});
    same_rows(in, got, {"file"});
    EXPECT_EQ(got.header.size(), want.header.size() + 3); // n_grt, n_cpx, n_phe
    for (std::size_t r = 0; r < got.rows.size(); r++) {
        EXPECT_EQ(got.at(r, "file"), "EPMA-EXPORT.csv");
        EXPECT_EQ(in.at(r, "file"), "standard input");
    }
    EXPECT_EQ(file.err, "varno96-batch: EPMA-EXPORT.csv: columns \"Cr2O3\", \"Total\" ignored\n"
                        "varno96-batch: EPMA-EXPORT.csv: no Fe2O3 column: read as 0 (Fe2O3 as 0 "
                        "is estimated by charge balance)\n"
                        "varno96-batch: 1 of 7 rows without a result (its note says why)\n");
    EXPECT_EQ(lines(piped.err).size(), 3u);
    EXPECT_NE(piped.err.find("varno96-batch: standard input: columns"), std::string::npos)
        << piped.err;
}

TEST(Tables, TwoThreadsWriteTheBytesOfOne) {
    scratch dir;
    dir.write("EPMA-EXPORT.csv", export_text);
    const auto batch = [&](const std::string &jobs) {
        const std::string out = "rows" + jobs + ".csv", pt = "pt" + jobs + ".csv";
        const run_result r =
            run(VARNO96_BATCH,
                {"-m", "6", "-t", "600", "--powell", "--monte-carlo", "--seed", "-7", "--combine",
                 "each", "--formulae", "-j", jobs, "EPMA-EXPORT.csv", "-o", out, "--pt", pt},
                dir);
        EXPECT_EQ(r.status, 1);
        return dir.read(out) + dir.read(pt);
    };
    const std::string one = batch("1");
    EXPECT_EQ(batch("2"), one);
    EXPECT_EQ(batch("3"), one);
    EXPECT_GT(lines(one).size(), 40u); // one row per combination, and their pairs
}

TEST(Tables, AFileThatCannotBeReadLeavesTheOthersGoing) {
    scratch dir;
    const std::string ec1 = "Sample;Mineral;SiO2;TiO2;Al2O3;FeO;MnO;MgO;CaO;Na2O;K2O\r\n"
                            "EC1;Grt;38,50;0,05;21,70;25,00;0,50;6,40;8,60;0,02;\r\n"
                            "EC1;Cpx;55,60;0,08;9,80;4,40;0,03;8,20;13,60;7,10;0,01\r\n"
                            "EC1;Phe;50,80;0,55;26,40;2,10;0,02;3,30;0,02;0,55;10,60\r\n";
    dir.write("EC1.csv", ec1);
    dir.write("NOMIN.csv", "Sample,SiO2,FeO\r\nEC1,38.5,25\r\n");
    dir.write("SUITE.PRN", suite_text());
    const run_result r =
        run(VARNO96_BATCH,
            {"-m", "7", "-t", "650", "NONE.csv", "EC1.csv", "NOMIN.csv", ".", "SUITE.PRN"}, dir);
    EXPECT_EQ(r.status, 1);
    const names said = lines(r.err);
    ASSERT_EQ(said.size(), 5u) << r.err;
    EXPECT_NE(said[0].find("NONE.csv"), std::string::npos) << said[0];
    EXPECT_NE(said[1].find("EC1.csv: no Fe2O3 column"), std::string::npos) << said[1];
    EXPECT_NE(said[2].find("NOMIN.csv line 1: no mineral column"), std::string::npos) << said[2];
    EXPECT_NE(said[3].find(".: cannot read"), std::string::npos) << said[3];
    EXPECT_EQ(said[4], "varno96-batch: 1 of 8 rows without a result (its note says why)");
    const csv_table rows = parse_csv(r.out);
    ASSERT_EQ(rows.rows.size(), 8u); // EC1.csv's sample, then the suite's seven
    EXPECT_EQ(rows.at(0, "file"), "EC1.csv");
    EXPECT_EQ(rows.at(0, "P_kbar"), rows.at(1, "P_kbar")); // EC1 of the suite
    EXPECT_EQ(rows.at(0, "note"), "");
}

// The library's refusal of options, which the page and the Python module show, is the one
// varno96-batch prints for the same options: for every option of the table, a value just
// beyond each bound, a word that is none of its choices, and the option with one it excludes
// or without one it needs.
TEST(Tables, TheLibraryRefusesOptionsInTheBatchsWords) {
    using varno96::option_kind, varno96::option_spec;
    struct refusal {
        names args;
        varno96::batch_options o;
        std::string want; // the library's words, when they do not come from check_options
    };
    const auto base = [] {
        varno96::batch_options o;
        o.model = 7, o.temperature = 650;
        return o;
    };
    // A value the option takes: its arguments and the value set.
    const auto fine = [](const option_spec &s) -> std::pair<names, varno96::option_value> {
        const std::string name = varno96::dashed(s);
        if (s.kind == option_kind::flag) return {{name}, true};
        if (s.kind == option_kind::choice || s.kind == option_kind::list) {
            const std::string first(s.choices.substr(0, s.choices.find('|')));
            return {{name, first}, first};
        }
        const double x = s.low ? *s.low : 600;
        return {{name, varno96::number_text(x)}, x};
    };
    std::vector<refusal> cases;
    for (const option_spec &s : varno96::batch_option_table) {
        for (const auto &[bound, step] : {std::pair{s.low, -1.0}, std::pair{s.high, 1.0}}) {
            if (!bound) continue;
            const double beyond = *bound + step;
            varno96::batch_options o = base();
            EXPECT_FALSE(varno96::set_option(s, o, beyond)) << s.name;
            cases.push_back({{varno96::dashed(s), varno96::number_text(beyond)}, o, {}});
        }
        if (s.kind == option_kind::choice || s.kind == option_kind::list) {
            varno96::batch_options o = base();
            const auto why = varno96::set_option(s, o, std::string("nonesuch"));
            ASSERT_TRUE(why) << s.name;
            cases.push_back(
                {{varno96::dashed(s), "nonesuch"}, o, varno96::dashed(s) + ": " + *why});
        }
        for (const std::string_view other : {s.excludes, s.needs}) {
            if (other.empty()) continue;
            varno96::batch_options o = base();
            auto [args, value] = fine(s);
            varno96::set_option(s, o, value);
            if (other == s.excludes) {
                const auto [more, also] = fine(varno96::option_named(other));
                args.insert(args.end(), more.begin(), more.end());
                varno96::set_option(varno96::option_named(other), o, also);
            }
            cases.push_back({args, o, {}});
        }
    }
    // The bounds of a number with a fraction, and the order of the options.
    cases.push_back({{"-u", "-0.5"},
                     [&] {
                         auto o = base();
                         o.uncertainty = -0.5;
                         return o;
                     }(),
                     {}});
    cases.push_back({{"--at", "600", "--powell"},
                     [&] {
                         auto o = base();
                         o.powell = true, o.at = 600;
                         return o;
                     }(),
                     {}});
    scratch dir;
    dir.write("S.PRN", suite_text());
    for (const refusal &c : cases) {
        names args{"-m", "7", "-t", "650", "S.PRN"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const run_result r = run(VARNO96_BATCH, args, dir);
        EXPECT_EQ(r.status, 2) << args.back();
        const std::string want = c.want.empty() ? varno96::option_error(c.o) : c.want;
        EXPECT_FALSE(want.empty()) << args.back();
        EXPECT_EQ(lines(r.err).at(0), "varno96-batch: " + want);
    }
    EXPECT_GE(cases.size(), 10u);
    const auto with = [&](auto change) {
        varno96::batch_options o = base();
        change(o);
        return o;
    };
    for (long long model = 1; model <= NMODELS; model++)
        EXPECT_EQ(varno96::option_error(with([=](auto &o) { o.model = model; })), "");
    EXPECT_EQ(varno96::option_error(with([](auto &o) { o.seed = -1, o.uncertainty = 0; })), "");
    EXPECT_EQ(varno96::option_error(with([](auto &o) { o.seed = -99, o.at = 600; })), "");
}

} // namespace

namespace {

// Whatever bytes a message quotes, it is one line of standard error: a NUL, a line end inside
// a quoted heading and a control character shown escaped, nothing cut after them.
TEST(Tables, EveryMessageIsOneWholeLine) {
    scratch dir;
    using namespace std::string_literals;
    dir.write("H.csv", "\"Sample\",\"Min\r\neral\",\"x\0y\x01\"\r\nA,Grt,1\r\n"s);
    const run_result r = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "H.csv"}, dir);
    EXPECT_EQ(r.status, 1);
    const names said = lines(r.err);
    ASSERT_EQ(said.size(), 1u) << r.err;
    EXPECT_NE(said[0].find("Min\\r\\neral"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("x\\0y\\x01"), std::string::npos) << said[0];
}

} // namespace
