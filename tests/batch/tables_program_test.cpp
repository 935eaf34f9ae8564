// varno96-batch on tables whose header names the columns: the shipped export from a file and
// from standard input, the same bytes on any number of threads, and a file that cannot be read
// among others that can.
#include "api/options.hpp"
#include "support/readback.hpp"
#include "thermometry/thermometry.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

const std::string export_text = slurp(std::filesystem::path(VARNO96_EXAMPLES) / "EPMA-EXPORT.csv");

// The rows of `got` as those of `want`, column by column, but for the columns `besides`.
// The notes without the cells below detection, which name the file and the data file lacks.
void same_rows(const csv_table &got, const csv_table &want, const names &besides) {
    ASSERT_EQ(got.rows.size(), want.rows.size());
    for (const std::string &name : want.header) {
        if (std::find(besides.begin(), besides.end(), name) != besides.end()) continue;
        for (std::size_t r = 0; r < want.rows.size(); r++)
            EXPECT_EQ(name == "note" ? without_below_detection(got.at(r, name)) : got.at(r, name),
                      name == "note" ? without_below_detection(want.at(r, name)) : want.at(r, name))
                << "row " << r << ", column " << name;
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
    EXPECT_EQ(file.err, "varno96-batch: EPMA-EXPORT.csv: column \"Cr2O3\" ignored\n"
                        "varno96-batch: EPMA-EXPORT.csv: no Fe2O3 column: read as 0 (Fe2O3 as 0 "
                        "is estimated by charge balance)\n"
                        "varno96-batch: 1 of 7 rows without a result (its note says why)\n");
    EXPECT_EQ(lines(piped.err).size(), 3u);
    EXPECT_NE(piped.err.find("varno96-batch: standard input: column \"Cr2O3\" ignored"),
              std::string::npos)
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
    EXPECT_EQ(r.status, 2); // inputs refused, whatever the rows
    const names said = lines(r.err);
    ASSERT_EQ(said.size(), 6u) << r.err;
    EXPECT_NE(said[0].find("NONE.csv"), std::string::npos) << said[0];
    EXPECT_NE(said[1].find("EC1.csv: no Fe2O3 column"), std::string::npos) << said[1];
    EXPECT_NE(said[2].find("NOMIN.csv line 1: no mineral column"), std::string::npos) << said[2];
    EXPECT_NE(said[3].find(".: cannot read"), std::string::npos) << said[3];
    // EC1 of EC1.csv and of the suite computed apart, said once with the option that joins.
    EXPECT_EQ(said[4], "varno96-batch: a sample is in several files, each file's analyses "
                       "computed alone: \"EC1\" (EC1.csv, SUITE.PRN); --join joins them");
    EXPECT_EQ(said[5], "varno96-batch: 1 of 8 rows without a result (its note says why)");
    const csv_table rows = parse_csv(r.out);
    ASSERT_EQ(rows.rows.size(), 8u); // EC1.csv's sample, then the suite's seven
    EXPECT_EQ(rows.at(0, "file"), "EC1.csv");
    EXPECT_EQ(rows.at(0, "P_kbar"), rows.at(1, "P_kbar")); // EC1 of the suite
    EXPECT_EQ(without_cpx_ferric(rows.at(0, "note")), "");
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
            const std::string first(varno96::choice_words(s.choices).front());
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
    EXPECT_EQ(r.status, 2); // its header names no oxide
    const names said = lines(r.err);
    ASSERT_EQ(said.size(), 1u) << r.err;
    EXPECT_NE(said[0].find("Min\\r\\neral"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("x\\0y\\x01"), std::string::npos) << said[0];
}

} // namespace

namespace {

const std::string ec1_table = "Sample,Mineral,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O\r\n"
                              "EC1,Grt,38.50,0.05,21.70,0,25.00,0.50,6.40,8.60,0.02,\r\n"
                              "EC1,Cpx,55.60,0.08,9.80,0,4.40,0.03,8.20,13.60,7.10,0.01\r\n"
                              "EC1,Phe,50.80,0.55,26.40,0,2.10,0.02,3.30,0.02,0.55,10.60\r\n";

// A script tells bad input (2) from samples without a result (1); a workbook or a binary file
// is refused in one clean line, and the others are still computed.
TEST(Tables, ExitStatusesTellBadInputFromSamplesWithoutAResult) {
    using namespace std::string_literals;
    scratch dir;
    dir.write("EC1.csv", ec1_table);
    dir.write("SUITE.PRN", suite_text()); // RT2 has no result
    dir.write("probe.xlsx", "PK\x03\x04\x14\0\x06\0\x08\0\0\0!\0docProps/app.xml\xC3\x28\x9B"s);
    dir.write("probe.ods", "PK\x03\x04\x0A\0\0\0\0\0mimetypeapplication/vnd.oasis"s);
    dir.write("old.xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0\0\0\0\0"s);
    dir.write("picture.csv", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0\x1B[31m"s);
    std::string noise;
    for (int i = 0; i < 4096; i++) noise += static_cast<char>((i * 7919 + 13) % 251);
    dir.write("noise.csv", noise);
    dir.write("NOOXIDE.csv", "Sample,Mineral,Colour\r\nA,Grt,red\r\n");
    const std::string workbook = ": an Excel workbook: varno96-batch reads CSV: save it as CSV, "
                                 "or pipe it through xlsx2csv, or open it in the page or with "
                                 "pandas.read_excel";
    struct case_ {
        names files;
        int status;
        std::string said; // the first line of standard error, or nothing
    };
    const std::vector<case_> cases{
        {{"EC1.csv"}, 0, ""},
        {{"SUITE.PRN"}, 1, "varno96-batch: 1 of 7 rows without a result (its note says why)"},
        {{"NONE.csv", "EC1.csv"}, 2, "varno96-batch: NONE.csv: cannot open"},
        {{"probe.xlsx", "EC1.csv"}, 2, "varno96-batch: probe.xlsx" + workbook},
        {{"probe.ods"}, 2, "varno96-batch: probe.ods" + workbook},
        {{"old.xls"}, 2, "varno96-batch: old.xls" + workbook},
        {{"picture.csv"}, 2, "varno96-batch: picture.csv: not a text table"},
        {{"noise.csv"}, 2, "varno96-batch: noise.csv: not a text table"},
        {{"NOOXIDE.csv"}, 2, "varno96-batch: NOOXIDE.csv line 1: the header names no oxide"},
    };
    for (const case_ &c : cases) {
        names args{"-m", "7", "-t", "650"};
        args.insert(args.end(), c.files.begin(), c.files.end());
        const run_result r = run(VARNO96_BATCH, args, dir);
        EXPECT_EQ(r.status, c.status) << c.files.front();
        const names said = lines(r.err);
        if (c.said.empty()) {
            EXPECT_EQ(r.err, "");
            continue;
        }
        ASSERT_FALSE(said.empty()) << c.files.front();
        EXPECT_EQ(said[0].substr(0, c.said.size()), c.said);
        for (const std::string &line : said) // one clean line each: no raw byte of the file
            for (const char ch : line)
                EXPECT_TRUE(static_cast<unsigned char>(ch) >= 0x20 &&
                            static_cast<unsigned char>(ch) < 0x7F)
                    << line;
    }
    // The good file among refused ones is still computed.
    const run_result mixed =
        run(VARNO96_BATCH, {"-m", "7", "-t", "650", "probe.xlsx", "EC1.csv"}, dir);
    EXPECT_EQ(parse_csv(mixed.out).rows.size(), 1u);
}

// Samples with several analyses of a mineral: after the summary, one line names the fix.
TEST(Tables, SeveralAnalysesGiveOneHint) {
    scratch dir;
    dir.write("EPMA-EXPORT.csv", export_text);
    const run_result r = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "EPMA-EXPORT.csv"}, dir);
    EXPECT_EQ(r.status, 1);
    const names said = lines(r.err);
    ASSERT_GE(said.size(), 2u);
    EXPECT_EQ(said[said.size() - 2],
              "varno96-batch: 7 of 7 rows without a result (their note says why)");
    EXPECT_EQ(said.back(), "varno96-batch: 7 samples have several analyses of a mineral: "
                           "--combine mean averages them, --combine each computes every "
                           "combination");
    EXPECT_EQ(
        std::count_if(said.begin(), said.end(),
                      [](const std::string &l) { return l.find("several") != std::string::npos; }),
        1);
    // Not when they are combined.
    const run_result mean =
        run(VARNO96_BATCH, {"-m", "7", "-t", "650", "--combine", "mean", "EPMA-EXPORT.csv"}, dir);
    EXPECT_EQ(mean.err.find("several analyses"), std::string::npos) << mean.err;
}

// Nothing raw reaches a terminal or a table: control characters of names and notes escaped in
// the CSV; a UTF-16 file without a byte-order mark read as UTF-16.
TEST(Tables, ControlCharactersEscapedAndUtf16WithoutAMark) {
    using namespace std::string_literals;
    scratch dir;
    std::string hostile = ec1_table;
    for (std::size_t at; (at = hostile.find("EC1,")) != std::string::npos;)
        hostile.replace(at, 4, "E\x1B[31mC\0"s + "1,");
    dir.write("H.csv", hostile + "E\x1B[31mC\0"s + "1,Grt,38.5,0,21.7,0,25,0,6.4,8.6,0,\r\n");
    const run_result r = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "H.csv"}, dir);
    EXPECT_EQ(r.status, 1); // two garnet analyses
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(r.out.find('\0'), std::string::npos);
    const csv_table rows = parse_csv(r.out);
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.at(0, "sample"), "E\\x1B[31mC\\01");
    EXPECT_NE(rows.at(0, "note").find("sample E\\x1B[31mC\\01 has 2 garnet analyses"),
              std::string::npos)
        << rows.at(0, "note");

    std::string utf16;
    for (const char c : ec1_table) utf16 += std::string(1, c) + '\0';
    dir.write("U16.csv", utf16);
    dir.write("EC1.csv", ec1_table);
    const run_result wide = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "U16.csv"}, dir);
    const run_result plain = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "EC1.csv"}, dir);
    EXPECT_EQ(wide.status, 0) << wide.err;
    same_rows(parse_csv(wide.out), parse_csv(plain.out), {"file"});
}

} // namespace

namespace {

// --cite names exactly the options given, with the references of what it names; --cite=bibtex
// gives the same references as entries that parse back, every field of the table present.
TEST(Tables, CiteGivesTheMethodsOfExactlyTheOptionsGiven) {
    scratch dir;
    const std::vector<names> grid{
        {"-m", "7", "-t", "650"},
        {"-m", "5", "--one-site"},
        {"-m", "4", "-t", "600", "--powell", "--monte-carlo", "--seed", "-7", "-u", "0.5"},
        {"-m", "6", "--at", "700", "--thermometers", "EG79,KR78,gh82", "--combine", "each"},
        {"-m", "3", "--thermometers", "all", "--combine", "mean", "--monte-carlo"},
    };
    for (const names &how : grid) {
        names args = how;
        args.push_back("--cite");
        const run_result text = run(VARNO96_BATCH, args, dir);
        ASSERT_EQ(text.status, 0) << text.err;
        const auto has = [&](const std::string &part) {
            return text.out.find(part) != std::string::npos;
        };
        EXPECT_EQ(text.out.rfind("Pressures were calculated with varno96 ", 0), 0u) << text.out;
        const auto given = [&](const std::string &option) {
            return std::find(how.begin(), how.end(), option) != how.end();
        };
        EXPECT_EQ(has("Monte-Carlo"), given("--monte-carlo")) << text.out;
        EXPECT_EQ(has("seed -7"), given("--seed")) << text.out;
        // How the intervals are defined, and which values are reported.
        EXPECT_EQ(has("The values reported are those of the analyses as entered; the runs with a "
                      "value give their mean, standard deviation and 16th, 50th and 84th "
                      "percentiles"),
                  given("--monte-carlo"))
            << text.out;
        EXPECT_EQ(has("type 7 of Hyndman & Fan (1996)") && has("\nHyndman R.J., Fan Y. (1996) "),
                  given("--monte-carlo"))
            << text.out;
        EXPECT_EQ(has("exchange temperature of Powell (1985)"), given("--powell")) << text.out;
        EXPECT_EQ(has("the trial temperature of 6"), given("-t")) << text.out;
        EXPECT_EQ(has("averaged"), given("mean")) << text.out;
        EXPECT_EQ(has("one-site"), given("--one-site")) << text.out;
        EXPECT_EQ(has("ideal mixing in garnet"), how[1] == "5") << text.out;
        // The lowest pressure of albite = jadeite + quartz is always given.
        EXPECT_TRUE(has("\nReferences\n")) << text.out;
        EXPECT_TRUE(has("\nHolland T.J.B. (1980) The reaction albite = jadeite + quartz"));
        for (const auto &c : varno96::thermometry::calibrations)
            EXPECT_EQ(has("(" + std::string(c.name) + ")"),
                      given("all") || (given("--thermometers") && c.name != "P85" &&
                                       c.name != "K88" && c.name != "A94" && c.name != "KR00"))
                << c.name << "\n"
                << text.out;

        args.back() = "--cite=bibtex";
        const run_result bib = run(VARNO96_BATCH, args, dir);
        ASSERT_EQ(bib.status, 0) << bib.err;
        // Balanced braces, one entry per reference listed, each with its fields.
        int depth = 0;
        for (const char c : bib.out) {
            depth += c == '{' ? 1 : c == '}' ? -1 : 0;
            ASSERT_GE(depth, 0) << bib.out;
        }
        EXPECT_EQ(depth, 0) << bib.out;
        const std::size_t listed =
            has("\nReferences\n")
                ? lines(text.out.substr(text.out.find("\nReferences\n"))).size() - 2
                : 0;
        const auto count = [&](const std::string &part) {
            std::size_t n = 0;
            for (std::size_t at = 0; (at = bib.out.find(part, at)) != std::string::npos; at++) n++;
            return n;
        };
        EXPECT_EQ(count("\n@") + (bib.out.rfind("@", 0) == 0), listed) << bib.out;
        for (const std::string field :
             {"  author = {", "  year = {", "  volume = {", "  pages = {"})
            EXPECT_EQ(count(field), listed) << field << "\n" << bib.out;
    }
    // The one reference with a DOI keeps it, and a chapter is one.
    const run_result nh = run(VARNO96_BATCH, {"-m", "3", "--cite=bibtex"}, dir);
    EXPECT_EQ(run(VARNO96_BATCH, {"-m", "3", "--cite=BibTeX"}, dir).out, nh.out); // any case
    EXPECT_NE(nh.out.find("@incollection{Newton1981,"), std::string::npos) << nh.out;
    EXPECT_NE(nh.out.find("  doi = {10.1007/978-1-4612-5871-1_7},\n"), std::string::npos);
    EXPECT_NE(nh.out.find("  pages = {131--147},\n"), std::string::npos);
    // Still a usage error: no model, or a form that is none.
    EXPECT_EQ(run(VARNO96_BATCH, {"--cite"}, dir).status, 2);
    EXPECT_EQ(run(VARNO96_BATCH, {"-m", "7", "--cite=ris"}, dir).status, 2);
}

} // namespace
