// A table's Cr2O3 column, read into each analysis only when the clinopyroxene's ferric iron
// from its sites takes it, and ignored as before otherwise: both layouts, spellings, suffixes
// and cells; and its mean under combine mean.
#include "api/combine.hpp"
#include "tables/reader.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using namespace varno96;

constexpr std::array<const char *, 3> ec1{"38.50,0.05,21.70,0.00,25.00,0.50,6.40,8.60,0.02,0.00",
                                          "55.60,0.08,9.80,0.00,4.40,0.03,8.20,13.60,7.10,0.01",
                                          "50.80,0.55,26.40,0.00,2.10,0.02,3.30,0.02,0.55,10.60"};
constexpr const char *oxides = "SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O";

// EC1 one analysis a row, with a column `head` holding the cells of the garnet, the
// clinopyroxene and the phengite.
std::string long_table(const std::string &head, const std::array<std::string, 3> &cells) {
    constexpr std::array<const char *, 3> minerals{"Grt", "Cpx", "Phe"};
    std::string t = std::string("Sample,Mineral,") + oxides + "," + head + "\r\n";
    for (std::size_t k = 0; k < 3; k++)
        t += std::string("EC1,") + minerals[k] + "," + ec1[k] + "," + cells[k] + "\r\n";
    return t;
}

// EC1 on one row with the suffixes _Grt, _Cpx, _Phe, and a column `head` holding `cell`.
std::string wide_table(const std::string &head, const std::string &cell) {
    constexpr std::array<const char *, 3> suffixes{"_Grt", "_Cpx", "_Phe"};
    std::string h = "Sample", row = "EC1";
    for (std::size_t k = 0; k < 3; k++) {
        for (std::size_t i = 0; i < NEL; i++) h += std::string(",") + oxide_names[i] + suffixes[k];
        row += std::string(",") + ec1[k];
    }
    return h + "," + head + "\r\n" + row + "," + cell + "\r\n";
}

TEST(Chromium, ReadOnlyWhenTakenAndSaidSo) {
    const struct {
        const char *name;
        std::string text;
        bool taken;
        std::array<double, 3> cr;                 // garnet, clinopyroxene, phengite
        std::string problem{}, warning{}, note{}; // parts of the sample's problem, warnings, notes
    } cases[] = {
        {"long", long_table("Cr2O3", {"0.02", "0.25", ""}), true, {0.02, 0.25, 0}, "", "", ""},
        {"case and blanks", long_table(" CR2 O3 ", {"0", "1.5", "0.1"}), true, {0, 1.5, 0.1}},
        {"not taken",
         long_table("Cr2O3", {"0.02", "0.25", "x"}),
         false,
         {0, 0, 0},
         "",
         "F.csv: column \"Cr2O3\" ignored"},
        {"below detection",
         long_table("Cr2O3", {"0.02", "b.d.l.", "0"}),
         true,
         {0.02, 0, 0},
         "",
         "",
         "\"b.d.l.\" below detection, read as 0"},
        {"not a number",
         long_table("Cr2O3", {"0.02", "0.2x", "0"}),
         true,
         {0.02, 0, 0},
         "\"0.2x\" is not a number"},
        {"a suffix in the long layout",
         long_table("Cr2O3_Cpx", {"1", "2", "3"}),
         true,
         {0, 0, 0},
         "",
         "F.csv: column \"Cr2O3_Cpx\" ignored"},
        {"wide", wide_table("Cr2O3_Cpx", "0.4"), true, {0, 0.4, 0}},
        {"wide, another mineral's", wide_table("Cr2O3_Grt", "0.4"), true, {0.4, 0, 0}},
        {"wide without a suffix",
         wide_table("Cr2O3", "0.4"),
         true,
         {0, 0, 0},
         "",
         "F.csv: column \"Cr2O3\" (no mineral suffix) ignored"},
        {"wide, not taken",
         wide_table("Cr2O3_Cpx", "0.4"),
         false,
         {0, 0, 0},
         "",
         "F.csv: column \"Cr2O3_Cpx\" ignored"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        reading how;
        how.cr2o3 = c.taken;
        const file_input in = read_table("F.csv", c.text, how);
        ASSERT_EQ(in.error, "");
        ASSERT_EQ(in.samples.size(), 1u);
        const sample_input &s = in.samples[0];
        std::string warnings;
        for (const std::string &w : in.warnings) warnings += w + "\n";
        if (c.warning.empty()) {
            EXPECT_EQ(warnings.find("Cr2"), std::string::npos) << warnings;
        } else {
            EXPECT_NE(warnings.find(c.warning), std::string::npos) << warnings;
        }
        if (!c.problem.empty()) {
            EXPECT_NE(s.problem.find(c.problem), std::string::npos) << s.problem;
            continue;
        }
        EXPECT_EQ(s.problem, "");
        for (std::size_t k = 0; k < 3; k++) {
            ASSERT_EQ(s.analyses[k].size(), 1u);
            EXPECT_EQ(s.analyses[k][0].cr2o3, c.cr[k]) << mineral_names[k];
            EXPECT_EQ(s.analyses[k][0].wt[SIO2], std::stod(ec1[k])); // the oxides as they were
        }
        if (!c.note.empty()) {
            EXPECT_NE(s.analyses[1][0].notes.text().find(c.note), std::string::npos);
        }
        // The clinopyroxene's Cr2O3 reaches the sample's analyses.
        const auto units = sample_units(in.samples, combine_mode::none);
        EXPECT_EQ(units.at(0).wt.cpx_cr2o3, c.cr[1]);
    }
}

// Two clinopyroxene analyses: combine mean takes the mean of their Cr2O3 (one without: 0),
// combine each the analysis's own.
TEST(Chromium, CombinedAsTheOxides) {
    std::string text = long_table("Cr2O3", {"0.02", "0.30", ""});
    text += std::string("EC1,Cpx,") + ec1[1] + ",0.50\r\nEC1,Cpx," + ec1[1] + ",\r\n";
    reading how;
    how.cr2o3 = true;
    const file_input in = read_table("F.csv", text, how);
    ASSERT_EQ(in.samples.size(), 1u);
    const auto mean = sample_units(in.samples, combine_mode::mean);
    ASSERT_EQ(mean.size(), 1u);
    EXPECT_DOUBLE_EQ(mean[0].wt.cpx_cr2o3, (0.30 + 0.50 + 0) / 3);
    const auto each = sample_units(in.samples, combine_mode::each);
    ASSERT_EQ(each.size(), 3u);
    const std::array<double, 3> own{0.30, 0.50, 0};
    for (std::size_t i = 0; i < 3; i++) EXPECT_EQ(each[i].wt.cpx_cr2o3, own[i]);
}

} // namespace
