// Readers of a run's report and P-T pairs, on golden runs' files and on damaged copies.
#include "scene/results.hpp"
#include "support/golden.hpp"

#include "cli/files.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace varno96::plot;
using varno96::test::golden_file;

namespace {

const std::string powell = "reference-keyboard-save-montecarlo";
const std::string fixed_t = "mc-model7-onesite-fixedT";

run_report report_of(const std::string &run, const std::string &name = "VARNO.RES") {
    return parse_report(golden_file(run, name), name);
}
pt_pairs pairs_of(const std::string &run) {
    return parse_pt_pairs(golden_file(run, "VARNOPT.RES"), "VARNOPT.RES");
}

template <class F> std::string message_of(F f) {
    try {
        f();
    } catch (const std::runtime_error &e) { return e.what(); }
    return "no error";
}

} // namespace

TEST(Report, PowellRunWithMonteCarlo) {
    const run_report r = report_of(powell);
    EXPECT_EQ(r.garnet_model, "Sengupta et al 1989 (CMP) extension of GS-84");
    EXPECT_EQ(r.cpx_model, "2-site Cpx");
    EXPECT_EQ(r.sample, "Sample A7");
    EXPECT_FALSE(r.from_file);
    EXPECT_DOUBLE_EQ(r.table[0].t_c, 450);
    EXPECT_DOUBLE_EQ(r.table[2].p_kbar, 25.87);
    ASSERT_EQ(r.passes.size(), 2u);
    EXPECT_EQ(r.passes[0].t_mean, 503);
    EXPECT_EQ(r.passes[0].t_sd, 18);
    EXPECT_EQ(r.passes[1].p_mean, 26.210);
    EXPECT_EQ(r.passes[1].p_sd, 2.688);

    const pt_pairs p = pairs_of(powell);
    EXPECT_EQ(p.pass1.size(), 200u);
    EXPECT_EQ(p.pass2.size(), 200u);
    EXPECT_DOUBLE_EQ(p.pass2.back().p_kbar, 20.43);
    EXPECT_FALSE(mismatch(r, p));
    EXPECT_TRUE(temperature_varies(r, p));
}

TEST(Report, FixedTemperatureDataFileLptAndRunsLeftOut) {
    const run_report f = report_of(fixed_t);
    EXPECT_FALSE(f.passes[0].t_mean);
    EXPECT_EQ(f.passes[0].p_mean, 26.827);
    EXPECT_FALSE(temperature_varies(f, pairs_of(fixed_t)));
    EXPECT_FALSE(mismatch(f, pairs_of(fixed_t)));

    const run_report file = report_of("reference-tabfile-newT-montecarlo");
    EXPECT_EQ(file.sample, "B12.TXT");
    EXPECT_TRUE(file.from_file);

    const run_report lpt = report_of("start-printer-LPT1", "LPT1");
    EXPECT_EQ(lpt.sample, ""); // the label was left blank
    EXPECT_EQ(lpt.garnet_model, "Ideal quaternary mixing");
    EXPECT_TRUE(lpt.passes.empty());
    EXPECT_FALSE(pairs_of("start-printer-LPT1").present);

    const run_report left = report_of("mc-runs-left-out");
    ASSERT_EQ(left.passes.size(), 2u);
    ASSERT_EQ(left.passes[0].left_out.size(), 1u);
    EXPECT_EQ(left.passes[0].left_out[0].substr(0, 27), "4 of 200 runs left out: the");
    EXPECT_EQ(pairs_of("mc-runs-left-out").pass1.size(), 196u);
}

TEST(Report, LineEndsOfEitherKindAndTheTemperatureOfTinyPasses) {
    std::string lf = golden_file(powell, "VARNO.RES");
    std::erase(lf, '\r');
    EXPECT_EQ(parse_report(lf, "r").table[1].p_kbar, 26.23);
    std::string cr = lf; // a file from a system that ends lines with CR alone
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    EXPECT_EQ(parse_report(cr, "r").table[1].p_kbar, 26.23);
    EXPECT_EQ(parse_report(cr, "r").passes.size(), parse_report(lf, "r").passes.size());

    // Passes of fewer than two runs print no statistics: the pairs tell.
    run_report tiny = report_of(powell);
    tiny.passes = {pass_summary{}, pass_summary{}};
    pt_pairs one{{{500, 26}}, {{510, 27}}, true};
    EXPECT_TRUE(temperature_varies(tiny, one));
    one.pass2[0].t_c = 500;
    EXPECT_FALSE(temperature_varies(tiny, one));
    EXPECT_FALSE(mismatch(tiny, one));
}

TEST(Report, WithoutATableOrWithAShortOne) {
    EXPECT_EQ(message_of([] { report_of("file-declined"); }),
              "VARNO.RES: no result table (T(C) P(kbar) ...)");
    EXPECT_EQ(message_of([] { report_of("calc-garnet-no-mg"); }),
              "VARNO.RES: no result table (T(C) P(kbar) ...)");
    std::string text = golden_file(powell, "VARNO.RES");
    text.erase(text.find("       550     25.87"));
    EXPECT_EQ(message_of([&] { parse_report(text, "VARNO.RES"); }),
              "VARNO.RES: line 25: the result table has 2 rows, not three");
}

TEST(PtPairs, DamagedFilesNameTheLine) {
    const std::string good = golden_file(powell, "VARNOPT.RES");
    auto damaged = [&](std::size_t line, const std::string &with) {
        std::string t = good;
        std::size_t at = 0;
        for (std::size_t i = 1; i < line; i++) at = t.find('\n', at) + 1;
        t.replace(at, t.find('\r', at) - at, with);
        return message_of([&] { parse_pt_pairs(t, "VARNOPT.RES"); });
    };
    EXPECT_EQ(damaged(7, "       511"), "VARNOPT.RES: line 7: not a pair of numbers T P");
    EXPECT_EQ(damaged(8, "  511 25.5 1"), "VARNOPT.RES: line 8: not a pair of numbers T P");
    EXPECT_EQ(damaged(9, "  511 nan"), "VARNOPT.RES: line 9: not a pair of numbers T P");
    EXPECT_EQ(damaged(10, "  511 25,5"), "VARNOPT.RES: line 10: not a pair of numbers T P");
    EXPECT_EQ(message_of([&] { parse_pt_pairs(good + "500 20\r\n", "VARNOPT.RES"); }),
              "VARNOPT.RES: line 403: pairs after the end of pass 2");
    EXPECT_EQ(message_of([&] { parse_pt_pairs(good.substr(0, good.size() - 2), "VARNOPT.RES"); }),
              "VARNOPT.RES: ends within pass 2; each pass ends with a blank line");
    EXPECT_EQ(message_of([] { parse_pt_pairs("500 20\n", "P"); }),
              "P: ends within pass 1; each pass ends with a blank line");
    const pt_pairs none = parse_pt_pairs("\r\n\r\n", "P"); // every run left out, both passes
    EXPECT_TRUE(none.present);
    EXPECT_TRUE(none.pass1.empty() && none.pass2.empty());
}

TEST(PtPairs, PairsOfAnotherRunDoNotMatchTheReport) {
    const run_report r = report_of(powell);
    EXPECT_EQ(*mismatch(r, pairs_of(fixed_t)),
              "pass 1: mean P 26.827 kbar of the pairs, 26.181 in the report");
    EXPECT_EQ(*mismatch(r, pt_pairs{}), "the report has 2 Monte-Carlo passes, the pairs file 0");
    EXPECT_EQ(*mismatch(report_of("calc-model2-twosite-powell"), pairs_of(powell)),
              "the report has 0 Monte-Carlo passes, the pairs file 2");
    pt_pairs shifted = pairs_of(fixed_t);
    for (auto &q : shifted.pass1) q.t_c = 600;
    EXPECT_EQ(*mismatch(report_of(fixed_t), shifted),
              "pass 1: T 600 C among the pairs, but the report holds T fixed at 650 C");
}

TEST(ReportPath, LptOnlyWhenThereIsNoVarnoRes) {
    varno96::test::plot_scratch dir;
    EXPECT_EQ(report_path(dir.path()).filename(), "VARNO.RES");
    dir.write("LPT1", "x");
    EXPECT_EQ(report_path(dir.path()).filename(), "LPT1");
    dir.write("VARNO.RES", "x");
    EXPECT_EQ(report_path(dir.path()).filename(), "VARNO.RES");
    EXPECT_EQ(message_of([&] { varno96::read_whole((dir / "none").string()); }),
              (dir / "none").string() + ": cannot open: No such file or directory");
    EXPECT_EQ(message_of([&] { varno96::read_whole(dir.path().string()); }),
              dir.path().string() + ": cannot read: Is a directory");
}
