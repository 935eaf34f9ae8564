// Zr in rutile read from tables and met with the barometer: the minerals' names, the Zr and
// ZrO2 headings, the wide layout's column, and the Monte-Carlo runs perturbing Zr.
#include "api/batch.hpp"
#include "api/options.hpp"
#include "support/readback.hpp"
#include "thermometry/keys.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace varno96;

const std::string examples = VARNO96_EXAMPLES;

// EC1 of the example suite, long, with `rutile` rows after it under the heading `zr_heading`.
std::string ec1_with(const std::string &zr_heading, const std::vector<std::string> &rutile) {
    std::string t = "Sample,Mineral,SiO2,TiO2,Al2O3,FeO,MnO,MgO,CaO,Na2O,K2O," + zr_heading + "\n" +
                    "EC1,Grt,38.50,0.05,21.70,25.00,0.50,6.40,8.60,0.02,0,\n"
                    "EC1,Cpx,55.60,0.08,9.80,4.40,0.03,8.20,13.60,7.10,0.01,\n"
                    "EC1,Phe,50.80,0.55,26.40,2.10,0.02,3.30,0.02,0.55,10.60,\n";
    for (const std::string &r : rutile) t += r + "\n";
    return t;
}

TEST(RutileReading, MineralNamesHeadingsAndZrO2) {
    const double from_zro2 = 0.05 * 1e4 * 91.224 / 123.222; // 0.05 wt% ZrO2 in ppm Zr
    const struct {
        const char *heading, *row;
        double ppm; // 0: no spot
    } cases[] = {
        {"Zr", "EC1,Rt,,,,,,,,,,250", 250},
        {"Zr (ppm)", "EC1,rutile,,,,,,,,,,250", 250},
        {"Zr ppm", "EC1,RUT,,,,,,,,,,250", 250},
        {"Zr_ppm", "EC1,Rt2,,,,,,,,,,250", 250},
        {"Zr_ppm", "EC1,rt-core,,,,,,,,,,12.5", 12.5},
        {"ZrO2", "EC1,Rt,,,,,,,,,,0.05", from_zro2},
        {"ZrO2 (wt%)", "EC1,Rutile,,,,,,,,,,0.05", from_zro2},
        {"ZrO2", "EC1,Rt,,,,,,,,,,", 0},    // no value: left out, said
        {"Zr", "EC1,Rtx,,,,,,,,,,250", 0},  // no rutile: another mineral
        {"Zr", "EC1,Grt1,,,,,,,,,,250", 0}, // a garnet row without oxides
    };
    for (const auto &c : cases) {
        const file_input in = read_table("R.csv", ec1_with(c.heading, {c.row}));
        ASSERT_TRUE(in.error.empty()) << in.error;
        ASSERT_EQ(in.samples.size(), 1u);
        const sample_input &s = in.samples[0];
        EXPECT_TRUE(s.problem.empty()) << c.heading << " " << c.row << ": " << s.problem;
        if (c.ppm == 0) {
            EXPECT_TRUE(s.rutile.empty()) << c.row;
            continue;
        }
        ASSERT_EQ(s.rutile.size(), 1u) << c.heading << " " << c.row;
        EXPECT_DOUBLE_EQ(s.rutile[0].ppm, c.ppm) << c.heading;
        EXPECT_EQ(s.rutile[0].line, 5);
        for (const std::string &w : in.warnings)
            EXPECT_EQ(w.find("ignored"), std::string::npos) << w;
    }
    // A row holding both is refused; one holding neither is said.
    const file_input both = read_table("R.csv", ec1_with("Zr,ZrO2", {"EC1,Rt,,,,,,,,,,250,0.05"}));
    ASSERT_EQ(both.samples.size(), 1u);
    EXPECT_NE(both.samples[0].problem.find("both Zr (ppm) and ZrO2 (wt%)"), std::string::npos);
    const file_input none = read_table("R.csv", ec1_with("Zr", {"EC1,Rt,,,,,,,,,,"}));
    EXPECT_NE(std::find(none.warnings.begin(), none.warnings.end(),
                        "R.csv: rutile rows without a Zr value above 0 ignored, on line 5"),
              none.warnings.end());
    // Wide: one column for the sample's rutile; a long table's Zr heading is of no use there.
    const file_input wide = read_table(
        "W.csv", "Sample,SiO2_Grt,FeO_Grt,MgO_Grt,CaO_Grt,Al2O3_Grt,SiO2_Cpx,Zr_rt_ppm,Zr\n"
                 "EC1,38.5,25,6.4,8.6,21.7,55.6,310,99\nA7,38.5,25,6.4,8.6,21.7,55.6,,99\n");
    ASSERT_EQ(wide.samples.size(), 2u);
    ASSERT_EQ(wide.samples[0].rutile.size(), 1u);
    EXPECT_EQ(wide.samples[0].rutile[0].ppm, 310);
    EXPECT_TRUE(wide.samples[1].rutile.empty());
    EXPECT_NE(wide.warnings[0].find("\"Zr\""), std::string::npos) << wide.warnings[0];
}

// A table of rutile alone (one frame per mineral): rows naming no mineral or rutile give their
// Zr, a row of another mineral is left out and said, its oxides are not said as ignored, and a
// table without a Zr column is refused.
TEST(RutileReading, ATableOfRutileAlone) {
    reading alone;
    alone.rutile_only = true;
    const file_input in = read_table("rt",
                                     "Sample,Mineral,TiO2,Zr (ppm),Nb\nEC1,,99.1,250,1\n"
                                     "EC1,Rt-core,98.7,300,1\nEC1,Grt,0.1,5,1\n",
                                     alone);
    ASSERT_TRUE(in.error.empty()) << in.error;
    ASSERT_EQ(in.samples.size(), 1u);
    const sample_input &s = in.samples[0];
    ASSERT_EQ(s.rutile.size(), 2u);
    EXPECT_EQ(s.rutile[1].ppm, 300);
    EXPECT_EQ(s.rutile[1].line, 3);
    EXPECT_TRUE(s.analyses[0].empty() && s.analyses[1].empty() && s.analyses[2].empty());
    EXPECT_EQ(in.warnings, (std::vector<std::string>{
                               "rt: column \"Nb\" ignored",
                               "rt: rows of other minerals than rutile left out: \"Grt\" (1)"}));
    EXPECT_EQ(read_table("rt", "Sample,TiO2\nEC1,99\n", alone).error,
              "rt line 1: no column of the rutile's Zr (Zr, Zr (ppm), Zr ppm or Zr_ppm in ppm, "
              "or ZrO2 in wt%)");
}

batch_options zr_options(const std::string &keys) {
    batch_options o;
    o.model = 7;
    o.temperature = 650;
    o.monte_carlo = true;
    o.seed = -42;
    o.combine = combine_mode::mean;
    o.thermometers = *thermometers_of(keys);
    return o;
}

std::string cell(const batch_result &b, std::size_t row, const std::string &name) {
    const auto i = std::find_if(b.columns.begin(), b.columns.end(),
                                [&](const column &c) { return c.name == name; });
    EXPECT_NE(i, b.columns.end()) << name;
    return i == b.columns.end()
               ? std::string()
               : b.rows.at(row).at(static_cast<std::size_t>(i - b.columns.begin())).text;
}

// The example with rutile: EC1 three spots of Zr, A7 one spot of ZrO2, B12 none.
TEST(RutileBatch, MonteCarloPerturbsZrByItsSpotsOrTheUncertaintyGiven) {
    const std::string text = test::slurp(examples + "/RUTILE.csv");
    const std::vector<table_text> in{{"RUTILE.csv", text}};
    const batch_result all = compute_batch(in, zr_options("all"));
    ASSERT_EQ(all.rows.size(), 3u);
    // The exchange thermometers' digits are those without Zr in rutile: its draws are apart.
    const batch_result exchange = compute_batch(in, zr_options("EG79,P85,K88,A94,KR00,KR78,GH82"));
    for (std::size_t r = 0; r < 3; r++)
        for (const char *name :
             {"P_kbar", "P2_sd_kbar", "T_KR00_C", "T_KR00_sd_C", "P_GH82_p84_kbar"})
            EXPECT_EQ(cell(all, r, name), cell(exchange, r, name)) << r << " " << name;
    for (const char *key : {"TPE07", "WWT06", "FW07", "K20"}) {
        const std::string k(key);
        for (std::size_t r = 0; r < 2; r++) {
            EXPECT_FALSE(cell(all, r, "T_" + k + "_C").empty()) << k << r;
            EXPECT_FALSE(cell(all, r, "T_" + k + "_sd_C").empty()) << k << r;
        }
        // No rutile: nothing, and why.
        EXPECT_TRUE(cell(all, 2, "T_" + k + "_C").empty());
        EXPECT_NE(cell(all, 2, "note").find(k + ": no rutile analysis"), std::string::npos);
    }
    EXPECT_NE(cell(all, 0, "note").find("TPE07: its "), std::string::npos);
    EXPECT_NE(cell(all, 0, "note").find("FW07: a(SiO2) = a(TiO2) = 1"), std::string::npos);
    // One spot, no uncertainty given: WWT06 has no pressure term, so its T does not vary.
    EXPECT_EQ(cell(all, 1, "T_WWT06_sd_C"), "0.0");
    EXPECT_NE(cell(all, 1, "note").find("Zr in rutile not perturbed in the runs (one rutile spot"),
              std::string::npos);
    EXPECT_EQ(cell(all, 0, "note").find("not perturbed"), std::string::npos);
    // Three spots: their standard error of the mean, the same runs as that relative 1 sigma
    // given in per cent.
    const std::vector<double> spots{212, 236, 198};
    const double mean = (212 + 236 + 198) / 3.0;
    double ss = 0;
    for (const double x : spots) ss += (x - mean) * (x - mean);
    batch_options given = zr_options("all");
    given.zr_uncertainty = 100 * std::sqrt(ss / 2) / std::sqrt(3.0) / mean;
    const batch_result same = compute_batch(in, given);
    for (const char *name : {"T_TPE07_sd_C", "P_K20_sd_kbar", "rho_FW07", "T_WWT06_p16_C"})
        EXPECT_EQ(cell(same, 0, name), cell(all, 0, name)) << name;
    // A larger uncertainty, a larger spread; and A7's one spot now perturbed.
    given.zr_uncertainty = 20;
    const batch_result wider = compute_batch(in, given);
    EXPECT_GT(std::stod(cell(wider, 0, "T_WWT06_sd_C")), std::stod(cell(all, 0, "T_WWT06_sd_C")));
    EXPECT_GT(std::stod(cell(wider, 1, "T_WWT06_sd_C")), 5);
    EXPECT_EQ(cell(wider, 1, "note").find("not perturbed"), std::string::npos);
    // Each point on both its calibration and the barometer, at the digits of the table.
    const double t = std::stod(cell(all, 0, "T_WWT06_C"));
    EXPECT_NEAR(t + 273.15, 4470 / (7.36 - std::log10(mean)), 0.05);
}

// With one row per combination, one per rutile spot too, each row's Zr that spot's alone: the
// same as the sample with only that spot; without a Zr-in-rutile key, rows and columns as ever.
TEST(RutileBatch, EachRutileSpotARowOfItsOwn) {
    const std::string text = test::slurp(examples + "/RUTILE.csv");
    batch_options o = zr_options("TPE07,EG79");
    o.combine = combine_mode::each;
    const batch_result each = compute_batch({{"RUTILE.csv", text}}, o);
    o.thermometers = *thermometers_of("EG79");
    const batch_result exchange = compute_batch({{"RUTILE.csv", text}}, o);
    // EC1: 2 x 2 x 2 analyses x 3 spots; A7 with one spot, B12 none: their combinations alone.
    const std::size_t ec1 = 24;
    ASSERT_EQ(each.rows.size(), exchange.rows.size() + ec1 - ec1 / 3);
    EXPECT_TRUE(std::none_of(exchange.columns.begin(), exchange.columns.end(),
                             [](const column &c) { return c.name == "rt_label"; }));
    for (std::size_t z = 0; z < 3; z++) {
        EXPECT_EQ(cell(each, z, "rt_label"), "EC1-rt-" + std::to_string(z + 1));
        EXPECT_EQ(cell(each, z, "grt_label"), cell(exchange, 0, "grt_label"));
        EXPECT_EQ(cell(each, z, "T_EG79_C"), cell(exchange, 0, "T_EG79_C"));
        // The table with the other two spots left out.
        std::string alone;
        std::size_t from = 0;
        for (std::size_t to; (to = text.find('\n', from)) != std::string::npos; from = to + 1) {
            const std::string line = text.substr(from, to + 1 - from);
            bool other = false;
            for (std::size_t y = 0; y < 3; y++)
                other = other || (y != z && line.find(",EC1-rt-" + std::to_string(y + 1) + ",") !=
                                                std::string::npos);
            if (!other) alone += line;
        }
        o.thermometers = *thermometers_of("TPE07,EG79");
        const batch_result one = compute_batch({{"RUTILE.csv", alone}}, o);
        for (const char *name : {"T_TPE07_C", "P_TPE07_kbar", "T_TPE07_sd_C", "rho_TPE07"})
            EXPECT_EQ(cell(each, z, name), cell(one, 0, name)) << z << " " << name;
    }
    EXPECT_EQ(cell(each, ec1, "sample"), "A7");
    EXPECT_EQ(cell(each, ec1, "rt_label"), cell(each, ec1 + 1, "rt_label"));
    EXPECT_EQ(cell(each, each.rows.size() - 1, "rt_label"), "");
}

} // namespace
