// varno96-plot on the results of golden runs: the picture read back as XML and compared with
// what the report prints, and every kind of bad input.
#include "plot/support.hpp"
#include "scene/results.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace varno96::test;

namespace {

// Colours of the pass marks and of their statistics (canvas.cpp).
const std::string pass1_fill = "#0072B2", pass2_fill = "#E69F00";
const std::string pass1_dark = "#003A5C", pass2_dark = "#804E00";

svg_picture picture_in(const plot_scratch &dir, const std::string &name = "VARNOPT.svg") {
    return read_svg(slurp(dir / name));
}

std::pair<double, double> centre(const std::vector<std::pair<double, double>> &points) {
    double t = 0, p = 0;
    for (const auto &[a, b] : points) t += a, p += b;
    const double n = static_cast<double>(points.size());
    return {t / n, p / n};
}

std::pair<double, double> half_extent(const std::vector<std::pair<double, double>> &points) {
    double t0 = 1e9, t1 = -1e9, p0 = 1e9, p1 = -1e9;
    for (const auto &[t, p] : points)
        t0 = std::min(t0, t), t1 = std::max(t1, t), p0 = std::min(p0, p), p1 = std::max(p1, p);
    return {(t1 - t0) / 2, (p1 - p0) / 2};
}

// A successful run leaves the picture and nothing else besides the run's files.
void expect_clean_success(const plot_run &r, const plot_scratch &dir,
                          std::vector<std::string> names) {
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(dir.names(), names);
}

// As many point marks of each pass as the run's VARNOPT.RES holds pairs.
void expect_a_mark_per_pair(const svg_picture &svg, const std::string &run) {
    const auto [n1, n2] = pair_counts(golden_file(run, "VARNOPT.RES"));
    EXPECT_EQ(svg.marks("●", pass1_fill).size(), n1);
    EXPECT_EQ(svg.marks("▲", pass2_fill).size(), n2);
}

varno96::plot::run_report report_of_run(const std::string &run) {
    return varno96::plot::parse_report(golden_file(run, "VARNO.RES"), "VARNO.RES");
}

const std::string fills[2] = {pass1_fill, pass2_fill}, darks[2] = {pass1_dark, pass2_dark};

} // namespace

TEST(PlotProgram, PowellRunShowsBothCloudsWithTheirEllipses) {
    const std::string run = "reference-keyboard-save-montecarlo";
    plot_scratch dir;
    dir.copy_golden(run);
    expect_clean_success(run_plot({}, dir.path()), dir,
                         {"A7.PRN", "VARNO.RES", "VARNOPT.RES", "VARNOPT.svg"});
    const svg_picture svg = picture_in(dir);
    EXPECT_TRUE(svg.has_text("Sample A7"));
    EXPECT_TRUE(svg.has_text("T (°C)"));
    EXPECT_TRUE(svg.has_text("P (kbar)"));
    EXPECT_TRUE(svg.has_text("Grt: Sengupta et al 1989 (CMP) extension of GS-84, 2-site Cpx"));

    expect_a_mark_per_pair(svg, run);

    // Means, and the 1 s.d. ellipses' centres and half extents, against the report.
    const auto report = report_of_run(run);
    for (int k = 0; k < 2; k++) {
        const auto &printed = report.passes[static_cast<std::size_t>(k)];
        const auto means = svg.marks("◆", fills[k]);
        ASSERT_EQ(means.size(), 1u);
        const auto [mt, mp] = svg.pt(means[0].x, means[0].y);
        EXPECT_NEAR(mt, *printed.t_mean, 1) << k;
        EXPECT_NEAR(mp, *printed.p_mean, 1) << k;
        const auto ring = svg.line_points(darks[k], 1.6);
        ASSERT_GT(ring.size(), 100u);
        const auto [ct, cp] = centre(ring);
        EXPECT_NEAR(ct, *printed.t_mean, 1) << k;
        EXPECT_NEAR(cp, *printed.p_mean, 1) << k;
        const auto [ht, hp] = half_extent(ring);
        EXPECT_NEAR(ht, *printed.t_sd, 1) << k;
        EXPECT_NEAR(hp, *printed.p_sd, 0.02) << k;
        const auto [ht2, hp2] = half_extent(svg.line_points(darks[k], 1.2)); // dashed, 2 s.d.
        EXPECT_NEAR(hp2, 2 * *printed.p_sd, 0.05) << k;
    }
    // The barometer passes through the table's rows.
    const auto line = svg.line_points("#000000", 1.5);
    ASSERT_GE(line.size(), 3u);
    EXPECT_NEAR(line.front().first, 450, 0.5);
    EXPECT_NEAR(line.front().second, 26.58, 0.05);
}

TEST(PlotProgram, FixedTemperatureRunShowsErrorBarsOnP) {
    const std::string run = "mc-model7-onesite-fixedT";
    plot_scratch dir;
    dir.copy_golden(run);
    expect_clean_success(run_plot({dir.path().string()}, "/"), dir,
                         {"VARNO.RES", "VARNOPT.RES", "VARNOPT.svg"});
    const svg_picture svg = picture_in(dir);
    EXPECT_TRUE(svg.has_text("Eclogite E7"));
    EXPECT_TRUE(svg.has_text(
        "Monte-Carlo error propagation at fixed T = 650 °C; passes drawn side by side"));
    expect_a_mark_per_pair(svg, run);

    const auto report = report_of_run(run);
    for (int k = 0; k < 2; k++) {
        const auto &printed = report.passes[static_cast<std::size_t>(k)];
        const auto [mt, mp] =
            svg.pt(svg.marks("◆", fills[k]).at(0).x, svg.marks("◆", fills[k]).at(0).y);
        EXPECT_NEAR(mt, 650, 5) << k; // beside the fixed temperature
        EXPECT_NEAR(mp, *printed.p_mean, 1) << k;
        const auto bar1 = svg.line_points(darks[k], 3.0); // the thick 1 s.d. bar
        ASSERT_EQ(bar1.size(), 2u);
        EXPECT_NEAR(half_extent(bar1).second, *printed.p_sd, 0.02) << k;
        EXPECT_NEAR(bar1[0].first, mt, 0.01) << k;
        EXPECT_TRUE(svg.line_points(darks[k], 1.6).empty()) << "no ellipse";
    }
}

TEST(PlotProgram, RunsWithoutCloudsOrWithRunsLeftOut) {
    plot_scratch plain;
    plain.copy_golden("start-printer-LPT1"); // report in LPT1, blank label, no Monte-Carlo
    expect_clean_success(run_plot({"."}, plain.path()), plain,
                         {"LPT1", "VARNOPT.RES", "VARNOPT.svg"});
    const svg_picture svg = picture_in(plain);
    EXPECT_TRUE(svg.has_text("Unnamed sample (no Monte-Carlo cloud)"));
    EXPECT_TRUE(svg.marks("●", pass1_fill).empty());
    EXPECT_EQ(svg.marks("■", "#000000").size(), 3u); // the table's rows

    plot_scratch left;
    left.copy_golden("mc-runs-left-out");
    EXPECT_EQ(run_plot({}, left.path()).status, 0);
    const svg_picture l = picture_in(left);
    EXPECT_EQ(l.marks("●", pass1_fill).size(), 196u);
    EXPECT_EQ(l.marks("▲", pass2_fill).size(), 199u);
    EXPECT_TRUE(l.has_text("Pass 1, analyses only (196 runs)"));
}

TEST(PlotProgram, PdfAndPostScriptByTheNamesEnding) {
    plot_scratch dir;
    dir.copy_golden("reference-keyboard-save-montecarlo");
    EXPECT_EQ(run_plot({"-o", "p.pdf"}, dir.path()).status, 0);
    EXPECT_EQ(run_plot({".", "--output=p.ps"}, dir.path()).status, 0);
    const std::string pdf = slurp(dir / "p.pdf"), ps = slurp(dir / "p.ps");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
    EXPECT_EQ(ps.substr(0, 4), "%!PS");
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
    EXPECT_EQ(dir.names(),
              (std::vector<std::string>{"A7.PRN", "VARNO.RES", "VARNOPT.RES", "p.pdf", "p.ps"}));
}

// Each failure: one line naming the file, status 1, and no picture nor temporary file.
TEST(PlotProgram, BadInputEndsWithOneLineAndNoPicture) {
    struct bad {
        const char *what;
        void (*set_up)(const plot_scratch &);
        std::vector<std::string> args;
        std::string message; // after "varno96-plot: "
    };
    const std::string powell = "reference-keyboard-save-montecarlo";
    const bad cases[] = {
        {"no report",
         [](const plot_scratch &) {},
         {},
         "VARNO.RES: cannot open: No such file or directory"},
        {"no pairs",
         [](const plot_scratch &d) {
             d.write("VARNO.RES", golden_file("reference-keyboard-save-montecarlo", "VARNO.RES"));
         },
         {},
         "VARNOPT.RES: cannot open: No such file or directory"},
        {"no table",
         [](const plot_scratch &d) { d.copy_golden("file-declined"); },
         {},
         "VARNO.RES: no result table (T(C) P(kbar) ...)"},
        {"bad pair",
         [](const plot_scratch &d) {
             d.copy_golden("reference-keyboard-save-montecarlo");
             std::string t = slurp(d / "VARNOPT.RES");
             t.replace(t.find("       528     26.48"), 19, "       528     x6.48");
             d.write("VARNOPT.RES", t);
         },
         {},
         "VARNOPT.RES: line 3: not a pair of numbers T P"},
        {"pairs of another run",
         [](const plot_scratch &d) {
             d.copy_golden("reference-keyboard-save-montecarlo");
             d.write("VARNOPT.RES", golden_file("mc-model7-onesite-fixedT", "VARNOPT.RES"));
         },
         {},
         "VARNOPT.RES is not from the run of VARNO.RES: pass 1: mean P 26.827 kbar of the pairs, "
         "26.181 in the report"},
        {"missing folder for the picture",
         [](const plot_scratch &d) { d.copy_golden("reference-keyboard-save-montecarlo"); },
         {"-o", "none/p.svg"},
         "cannot write none/p.svg: No such file or directory"},
        {"picture name taken by a folder",
         [](const plot_scratch &d) {
             d.copy_golden("reference-keyboard-save-montecarlo");
             std::filesystem::create_directory(d / "VARNOPT.svg");
         },
         {},
         "cannot write VARNOPT.svg: Is a directory"},
    };
    for (const bad &c : cases) {
        plot_scratch dir;
        c.set_up(dir);
        const auto before = dir.names();
        const plot_run r = run_plot(c.args, dir.path());
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, "varno96-plot: " + c.message + "\n") << c.what;
        EXPECT_EQ(dir.names(), before) << c.what;
    }
    plot_scratch empty;
    EXPECT_EQ(run_plot({"missing"}, empty.path()).err,
              "varno96-plot: missing/VARNO.RES: cannot open: No such file or directory\n");
}

TEST(PlotProgram, UsageErrors) {
    plot_scratch dir;
    dir.copy_golden("reference-keyboard-save-montecarlo");
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"-o", "p.png"}, {"--colour"}, {"a", "b"}, {"-o"}}) {
        const plot_run r = run_plot(args, dir.path());
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err.substr(0, 14), "varno96-plot: ") << args[0];
    }
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"A7.PRN", "VARNO.RES", "VARNOPT.RES"}));
    EXPECT_EQ(run_plot({"--help"}, dir.path()).status, 0);
}
