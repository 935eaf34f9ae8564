// The reader of the data-file layout: the header check and the grouping of analysis lines into
// samples, in the three layouts and with any line end; a header that is not the layout's is read
// by its column names.
#include "api/combine.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace varno96;

// A name of `n` two-byte characters.
std::string umlauts(int n) {
    std::string s;
    for (int i = 0; i < n; i++) s += "\xC3\xBC";
    return s;
}

const std::string head =
    "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O\n";

// Tabular lines of sample s: EC1's garnet, clinopyroxene and phengite, named `label`.
std::string grt(const std::string &s, const std::string &label = "Grt") {
    return "1 " + s + " " + label + " 1 d 12 38.50 0.05 21.70 0.00 25.00 0.50 6.40 8.60 0.02 0\n";
}
std::string cpx(const std::string &s, const std::string &label = "Cpx") {
    return "2 " + s + " " + label + " 1 d 6 55.60 0.08 9.80 0.00 4.40 0.03 8.20 13.60 7.10 0.01\n";
}
std::string phe(const std::string &s, const std::string &label = "Phe") {
    return "3 " + s + " " + label + " 1 d 22 50.80 .55 26.40 0 2.10 0.02 3.30 0.02 0.55 10.60\n";
}
// The clinopyroxene line with `sio2` for its SiO2.
std::string cpx_sio2(const std::string &sio2) {
    return "2 A Cpx 1 d 6 " + sio2 + " 0.08 9.80 0.00 4.40 0.03 8.20 13.60 7.10 0.01\n";
}
const std::vector<double> grt_wt{38.5, 0.05, 21.7, 0, 25.0, 0.5, 6.4, 8.6, 0.02, 0};
const std::vector<double> cpx_wt{55.6, 0.08, 9.8, 0, 4.4, 0.03, 8.2, 13.6, 7.1, 0.01};
const std::vector<double> mica_wt{50.8, 0.55, 26.4, 0, 2.1, 0.02, 3.3, 0.02, 0.55, 10.6};

struct want_sample {
    std::string name;
    int line;
    std::vector<std::string> problem; // fragments of the note; none: the sample is whole
};

struct reader_case {
    const char *name;
    std::string text;               // LF line ends; each case also runs with CR LF and CR
    std::vector<std::string> error; // fragments of the file's error; none: it is read
    std::vector<want_sample> samples;
    bool by_names = false; // not the data-file layout: read by the names of the columns
};

// clang-format off
const std::vector<reader_case> cases{
    {"interleaved_in_order_of_first_line",
     head + grt("A", "Gt") + grt("B", "garnet") + cpx("A", "OMPHACITE") + cpx("B", "omp") +
         phe("B", "Wm") + phe("A", "ms"),
     {}, {{"A", 2, {}}, {"B", 3, {}}}},
    {"mineral_missing", head + grt("A") + cpx("A") + grt("B") + cpx("B") + phe("B", "mica"),
     {}, {{"A", 2, {"F.PRN line 2", "no phengite analysis of sample A"}}, {"B", 4, {}}}},
    {"mineral_repeated", head + grt("A") + cpx("A") + grt("A", "GRT") + phe("A"),
     {}, {{"A", 2, {"F.PRN line 2", "sample A has 2 garnet analyses", "--combine"}}}},
    {"unknown_mineral",
     head + grt("A") + grt("B") + grt("A", "Qtz") + cpx("A") + phe("A") + cpx("B") + phe("B"),
     {}, {{"A", 2, {"F.PRN line 4", "unknown mineral \"Qtz\""}}, {"B", 3, {}}}},
    {"blank_inside_a_field_shifts_the_oxides",
     head + grt("A") + "2 A Cpx 1 core rim 6 55.60 0.08 9.80 0.00 4.40 0.03 8.20 13.60 7.10 0.01\n" +
         phe("A"),
     {}, {{"A", 2, {"F.PRN line 3", "the oxygens field holds \"rim\"", "core rim"}}}},
    {"blank_inside_the_sample_name",
     head + grt("A") + "2 EC 1 Cpx 1 d 6 55.60 0.08 9.80 0.00 4.40 0.03 8.20 13.60 7.10 0.01\n" +
         cpx("A") + phe("A"),
     {}, {{"A", 2, {}}, {"EC", 3, {"F.PRN line 3", "the oxygens field holds \"d\""}}}},
    {"total_without_a_header_column_is_ignored_as_the_dialogue_does",
     head + grt("A").substr(0, grt("A").size() - 1) + " 100.77\n" + cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}},
    {"names_alike_in_their_first_20_characters_stay_apart",
     head + grt("LONGSAMPLENAME-000001") + grt("LONGSAMPLENAME-000002") +
         cpx("LONGSAMPLENAME-000001") + phe("LONGSAMPLENAME-000001"),
     {}, {{"LONGSAMPLENAME-000001", 2, {}},
          {"LONGSAMPLENAME-000002", 3, {"line 3: no clinopyroxene analysis", "no phengite"}}}},
    {"long_name_quoted_in_whole_characters_and_counted_in_characters",
     head + grt(umlauts(300)) + cpx(umlauts(300)),
     {}, {{umlauts(300), 2, {"no phengite analysis of sample " + umlauts(200) + "\xE2\x80\xA6 (300 characters)"}}}},
    {"line_too_short", head + grt("A") + "2 A Cpx 1 d 6 55.60 0.08\n" + phe("A"),
     {}, {{"A", 2, {"F.PRN line 3", "8 fields"}}}},
    {"line_of_one_field", head + grt("A") + cpx("A") + phe("A") + "X\n",
     {}, {{"A", 2, {}}, {"", 5, {"F.PRN line 5: 1 field, 16 needed"}}}},
    {"blank_lines_skipped_and_counted",
     "\n" + head + "\n \t \n" + grt("A") + "\n" + cpx("A") + phe("A") + "\n\n" + cpx("A"),
     {}, {{"A", 5, {"F.PRN line 5", "2 clinopyroxene analyses"}}}},
    {"last_line_without_end", head + grt("A") + cpx("A") + phe("A").substr(0, phe("A").size() - 1),
     {}, {{"A", 2, {}}}},
    {"feot_any_case_and_total",
     "no sample min # descr ox sio2 tio2 al2o3 fe2o3 FeOt mno mgo cao na2o k2o TOTAL\n" +
         grt("A") + cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}},
    {"feo_star",
     "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO* MnO MgO CaO Na2O K2O\n" + grt("A") +
         cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}},
    {"delimited_with_quotes",
     "\"No\",\"Sample\",\"Min\",\"#\",\"Descr\",\"Ox\",\"SiO2\",\"TiO2\",\"Al2O3\",\"Fe2O3\","
     "\"FeO\",\"MnO\",\"MgO\",\"CaO\",\"Na2O\",\"K2O\"\n"
     "1,\"EC1\",\"Grt\",1,\"d\",12,38.50,0.05,21.70,0.00,25.00,0.50,6.40,8.60,0.02,0.00\n"
     "2,\"EC1\",\"Cpx\",1,\"d\",6,55.60,0.08,9.80,0.00,4.40,0.03,8.20,13.60,7.10,0.01\n"
     "3,\"EC1\",\"Phe\",1,\"d\",22,50.80,0.55,26.40,0.00,2.10,0.02,3.30,0.02,0.55,10.60\n",
     {}, {{"EC1", 2, {}}}},
    {"tab_separated_with_total",
     "No\tSample\tMin\t#\tDescr\tOx\tSiO2\tTiO2\tAl2O3\tFe2O3\tFeO\tMnO\tMgO\tCaO\tNa2O\tK2O\tTotal\n"
     "1\tEC1\tGrt\t1\tcore\t12\t38.5\t0.05\t21.7\t0\t25\t0.5\t6.4\t8.6\t0.02\t0\t100.77\n"
     "2\tEC1\tCpx\t1\tmatrix\t6\t55.6\t0.08\t9.8\t0\t4.4\t0.03\t8.2\t13.6\t7.1\t0.01\t98.82\n"
     "3\tEC1\tPhe\t1\tmatrix\t22\t50.8\t0.55\t26.4\t0\t2.1\t0.02\t3.3\t0.02\t0.55\t10.6\t94.34\n",
     {}, {{"EC1", 2, {}}}},
    // Not the layout's header: the columns are taken by their names.
    {"oxides_out_of_order",
     "No Sample Min # Descr Ox SiO2 Al2O3 TiO2 Fe2O3 FeO MnO MgO CaO Na2O K2O\n"
     "1 A Grt 1 d 12 38.50 21.70 0.05 0.00 25.00 0.50 6.40 8.60 0.02 0\n"
     "2 A Cpx 1 d 6 55.60 9.80 0.08 0.00 4.40 0.03 8.20 13.60 7.10 0.01\n"
     "3 A Phe 1 d 22 50.80 26.40 .55 0 2.10 0.02 3.30 0.02 0.55 10.60\n",
     {}, {{"A", 2, {}}}, true},
    // MgO and CaO swapped: names of the same length, read by names and not as the layout's.
    {"magnesia_and_lime_swapped",
     "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO CaO MgO Na2O K2O\n"
     "1 A Grt 1 d 12 38.50 0.05 21.70 0.00 25.00 0.50 8.60 6.40 0.02 0\n"
     "2 A Cpx 1 d 6 55.60 0.08 9.80 0.00 4.40 0.03 13.60 8.20 7.10 0.01\n"
     "3 A Phe 1 d 22 50.80 .55 26.40 0 2.10 0.02 0.02 3.30 0.55 10.60\n",
     {}, {{"A", 2, {}}}, true},
    {"column_after_the_oxides_not_total",
     "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O H2O\n" + grt("A") +
         cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}, true},
    {"total_after_another_column",
     "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O H2O Total\n" +
         grt("A") + cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}, true},
    // An oxide field is a number or a mark below detection; anything else leaves the sample
    // without a result, its note naming line, oxide and text.
    {"word_in_an_oxide_field", head + grt("A") + cpx_sio2("abc") + phe("A"),
     {}, {{"A", 2, {"F.PRN line 3, column SiO2: \"abc\" is not a number"}}}},
    {"decimal_comma_in_an_oxide_field", head + grt("A") + cpx_sio2("55,6") + phe("A"),
     {}, {{"A", 2, {"F.PRN line 3, column SiO2: \"55,6\" is not a number"}}}},
    {"oxides_joined_by_commas",
     head + grt("A") + "2 A Cpx 1 d 6 55.6,0.08,9.8,0,4.4,0.03,8.2,13.6,7.1,0.01\n" + phe("A"),
     {}, {{"A", 2, {"line 3, column SiO2: \"55.6,0.08,9.8,0,4.4,0.03,8.2,13.6,7.1,0.01\" is not a number"}}}},
    {"two_points", head + grt("A") + cpx_sio2("1.2.3") + phe("A"),
     {}, {{"A", 2, {"line 3, column SiO2: \"1.2.3\" is not a number"}}}},
    {"number_and_letter", head + grt("A") + cpx_sio2("55.6x") + phe("A"),
     {}, {{"A", 2, {"line 3, column SiO2: \"55.6x\" is not a number"}}}},
    {"quoted_decimal_comma_in_a_comma_separated_file",
     "No,Sample,Min,#,Descr,Ox,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O\n"
     "1,A,Grt,1,d,12,38.50,0.05,21.70,0.00,25.00,0.50,6.40,8.60,0.02,0.00\n"
     "2,A,Cpx,1,d,6,\"55,60\",0.08,9.80,0.00,4.40,0.03,8.20,13.60,7.10,0.01\n"
     "3,A,Phe,1,d,22,50.80,0.55,26.40,0.00,2.10,0.02,3.30,0.02,0.55,10.60\n",
     {}, {{"A", 2, {"line 3, column SiO2: \"55,60\" is not a number"}}}},
    {"marks_below_detection_read_as_0",
     head + "1 A Grt 1 d 12 38.50 0.05 21.70 n.d. 25.00 0.50 6.40 8.60 0.02 <0.01\n" +
         "2 A Cpx 1 d 6 55.60 0.08 9.80 - 4.40 0.03 8.20 13.60 7.10 0.01\n" +
         "3 A Phe 1 d 22 50.80 .55 26.40 BDL 2.10 0.02 3.30 0.02 0.55 10.60\n",
     {}, {{"A", 2, {}}}},
    // After K2O the header has a total and anything after it, or empty fields; anything else
    // is a table of named columns.
    {"fields_after_the_total",
     "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O Total H2O\n" +
         grt("A") + cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}},
    {"empty_fields_after_K2O",
     "No,Sample,Min,#,Descr,Ox,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O,,\n" + grt("A") +
         cpx("A") + phe("A"),
     {}, {{"A", 2, {}}}},
    {"analysis_for_a_header", grt("A") + cpx("A"), {"F.PRN line 1", "found: 1 A Grt 1 d 12 38.50 0.05"}, {}},
    {"nothing_but_blank_lines", "\n  \n\t\n", {"no header"}, {}},
};
// clang-format on

void PrintTo(const reader_case &c, std::ostream *os) { *os << c.name; }

std::vector<double> values(const VECTOR &v) {
    std::vector<double> r;
    for (int i = 1; i <= NEL; i++) r.push_back(v[i]);
    return r;
}

class Reader : public ::testing::TestWithParam<reader_case> {};

TEST_P(Reader, GroupsLinesIntoSamples) {
    const reader_case &c = GetParam();
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(end == "\n" ? "LF" : end == "\r" ? "CR" : "CR LF");
        std::string text;
        for (char ch : c.text) text += ch == '\n' ? end : std::string(1, ch);
        const file_input in = read_table("F.PRN", text);
        const std::vector<sample_unit> units = sample_units(in.samples, combine_mode::none);
        EXPECT_EQ(in.error.empty(), c.error.empty()) << in.error;
        // Read in the data-file layout, or by names, which says what it ignored.
        if (in.error.empty()) { EXPECT_EQ(in.warnings.empty(), !c.by_names); }
        for (const auto &part : c.error)
            EXPECT_NE(in.error.find(part), std::string::npos) << in.error;
        ASSERT_EQ(in.samples.size(), c.samples.size());
        for (std::size_t i = 0; i < c.samples.size(); i++) {
            const sample_input &got = in.samples[i];
            const sample_unit &unit = units[i];
            const want_sample &want = c.samples[i];
            EXPECT_EQ(got.file, "F.PRN");
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.line, want.line) << want.name;
            EXPECT_EQ(unit.problem.empty(), want.problem.empty()) << unit.problem;
            // Each fault said once: a line read on after its fault would say it again.
            for (const auto &part : want.problem) {
                const std::size_t at = unit.problem.find(part);
                EXPECT_NE(at, std::string::npos) << unit.problem;
                if (at != std::string::npos) {
                    EXPECT_EQ(unit.problem.find("is not a number", at + part.size()),
                              std::string::npos)
                        << unit.problem;
                }
            }
            if (!want.problem.empty()) continue;
            EXPECT_EQ(values(unit.wt.grt), grt_wt);
            EXPECT_EQ(values(unit.wt.cpx), cpx_wt);
            EXPECT_EQ(values(unit.wt.mica), mica_wt);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Reader, ::testing::ValuesIn(cases),
                         [](const auto &p) { return std::string(p.param.name); });

} // namespace

namespace {

// An oxide value is read from its first 20 characters, as the dialogue reads it; a longer field
// whose first 20 characters read as another number, or none, is refused rather than misread.
// Spots chosen by a field that a short line lacks: that line is not chosen, and counted.
TEST(Reader, AChoiceOfSpotsOnALineWithoutItsField) {
    reading how;
    how.where = *spot_choices_of("Descr=d");
    const file_input in =
        read_table("F.PRN", head + grt("A") + cpx("A") + "2 A Cpx 1\n" + phe("A"), how);
    EXPECT_EQ(in.error, "");
    ASSERT_EQ(in.samples.size(), 1u);
    EXPECT_EQ(in.samples[0].problem, "");
    EXPECT_EQ(in.samples[0].analyses[1].size(), 1u);
    EXPECT_EQ(in.unchosen_rows, 1u);
}

TEST(Reader, ValueReadFromItsFirst20Characters) {
    const struct {
        const char *tio2;
        double value;
        const char *problem; // empty: read
    } fields[]{
        {"0.00000000000000001234567", 1.2e-17, ""},
        {"0.050000000000000000000001", 0.05, ""},
        {"5.0000000000000000000e-2", 0,
         "F.PRN line 2, column TiO2: \"5.0000000000000000000e-2\" is read from its first 20 "
         "characters, \"5.000000000000000000\", as another number"},
        {"5.00000000000000000e-2", 0, "\"5.00000000000000000e\", not a number"},
    };
    for (const auto &c : fields) {
        SCOPED_TRACE(c.tio2);
        const file_input in = read_table("F.PRN", head + "1 A Grt 1 d 12 38.50 " + c.tio2 +
                                                      " 21.70 0.00 25.00 0.50 6.40 8.60 0.02 0\n" +
                                                      cpx("A") + phe("A"));
        const auto units = sample_units(in.samples, combine_mode::none);
        ASSERT_EQ(units.size(), 1u);
        if (*c.problem == 0) {
            EXPECT_EQ(units[0].problem, "");
            EXPECT_EQ(units[0].wt.grt[TIO2], c.value);
        } else {
            EXPECT_NE(units[0].problem.find(c.problem), std::string::npos) << units[0].problem;
        }
    }
}

} // namespace
