// varno96-batch on the shipped export as microprobe software writes it otherwise: the sample
// column under another name, one file per mineral, spots chosen by a column, Windows text, a
// column doubled. Each run gives the rows of the export itself, or says why not.
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace varno96::test;
using names = std::vector<std::string>;

// The export without its byte-order mark, one line a row.
names export_lines() {
    names out = lines(slurp(std::filesystem::path(VARNO96_EXAMPLES) / "EPMA-EXPORT.csv").substr(3));
    for (std::string &l : out)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    return out;
}

std::string text_of(const names &rows) {
    std::string t;
    for (const std::string &r : rows) t += r + "\r\n";
    return t;
}

// The export with its header's `from` written `to`.
std::string renamed(const std::string &from, const std::string &to) {
    names rows = export_lines();
    rows[0].replace(rows[0].find(from), from.size(), to);
    return text_of(rows);
}

// The header and the rows of the export for which `keep` holds.
template <class Keep> std::string rows_where(Keep keep, const std::string &extra = "") {
    names rows = export_lines(), out{rows[0] + extra};
    for (std::size_t r = 1; r < rows.size(); r++)
        if (keep(r, rows[r])) out.push_back(rows[r]);
    return text_of(out);
}
bool of(const std::string &row, const std::string &mineral) {
    return row.find("," + mineral + ",") != std::string::npos;
}

struct reading_run {
    const char *name;
    std::vector<std::pair<std::string, std::string>> files; // written before the run
    names args;                                             // after -m 7 -t 650 --combine mean
    names same_as{};    // the run whose rows it gives (on the export itself when empty)
    std::string says{}; // on standard error, once
    std::string note{}; // in the note of the first row
    int status = 1;     // RT2 has no result
    std::size_t rows = 7;
};

void PrintTo(const reading_run &c, std::ostream *os) { *os << c.name; }

// Rows numbered from 1, the header 1 too: odd rows are rim spots, even ones core.
std::string located() {
    names rows = export_lines();
    std::string t = rows[0] + ",Location\r\n";
    for (std::size_t r = 1; r < rows.size(); r++)
        t += rows[r] + (r % 2 ? ",rim" : ", Core ") + "\r\n";
    return t;
}
std::string located_by_hand(bool (*keep)(const std::string &)) {
    names rows = lines(located());
    std::string t = rows[0] + "\n";
    for (std::size_t r = 1; r < rows.size(); r++)
        if (keep(rows[r])) t += rows[r] + "\n";
    return t;
}

std::string windows(const std::string &utf8) { // the two names of the export it changes
    std::string t = utf8;
    for (const auto &[from, to] :
         {std::pair<std::string, std::string>{"EC1", "Gr\xFCn-1"}, {"A7", "\x80-7"}})
        for (std::size_t at; (at = t.find(from + ",")) != std::string::npos;)
            t.replace(at, from.size(), to);
    return t;
}
std::string utf8_of_windows() {
    std::string t = text_of(export_lines());
    for (const auto &[from, to] :
         {std::pair<std::string, std::string>{"EC1", "Gr\xC3\xBCn-1"}, {"A7", "\xE2\x82\xAC-7"}})
        for (std::size_t at; (at = t.find(from + ",")) != std::string::npos;)
            t.replace(at, from.size(), to);
    return t;
}

const std::string export_text = text_of(export_lines());
const std::string one_sample = "no sample column (Sample, Sample ID, Sample No., Rock, Name, ID, "
                               "...): its 15 garnet, 14 clinopyroxene, 10 phengite analyses are "
                               "computed as one sample, \"T\"; \"Gestein\" may name the samples: "
                               "--sample-column NAME names the column";

// clang-format off
const std::vector<reading_run> runs{
    {"name", {{"T.csv", renamed("Sample", "Name")}}, {"T.csv"}},
    {"id", {{"T.csv", renamed("Sample", "ID")}}, {"T.csv"}},
    {"sample_no", {{"T.csv", renamed("Sample", "Sample No.")}}, {"T.csv"}},
    {"rock", {{"T.csv", renamed("Sample", "ROCK")}}, {"T.csv"}},
    {"rock_id", {{"T.csv", renamed("Sample", " Rock ID")}}, {"T.csv"}},
    {"specimen", {{"T.csv", renamed("Sample", "specimen")}}, {"T.csv"}},
    {"phase", {{"T.csv", renamed("Mineral", "Phase")}}, {"T.csv"}},
    {"not_recognised", {{"T.csv", renamed("Sample", "Gestein")}}, {"T.csv"}, {}, one_sample,
     "no sample column: every analysis of the table is taken as of this one sample (\"Gestein\" "
     "may name the samples)", 0, 1},
    {"named", {{"T.csv", renamed("Sample", "Gestein")}}, {"--sample-column", "gestein", "T.csv"}},
    {"mineral_named", {{"T.csv", renamed("Mineral", "Kind")}}, {"--mineral-column", "KIND", "T.csv"}},
    {"sample_column_not_there", {{"T.csv", export_text}}, {"--sample-column", "Rock", "T.csv"}, {},
     "T.csv line 1: the sample column \"Rock\" is none of its columns: \"Sample\", ", {}, 2, 0},
    {"joined", {{"Grt.csv", rows_where([](std::size_t, const std::string &r) { return of(r, "Grt"); })},
                {"Cpx.csv", rows_where([](std::size_t, const std::string &r) { return of(r, "Cpx"); })},
                {"Phe.csv", rows_where([](std::size_t, const std::string &r) { return of(r, "Phe"); })}},
     {"--join", "Grt.csv", "Cpx.csv", "Phe.csv"}, {}, {}, "analyses from Grt.csv, Cpx.csv and Phe.csv"},
    {"not_joined", {{"Grt.csv", rows_where([](std::size_t, const std::string &r) { return of(r, "Grt"); })},
                    {"Rest.csv", rows_where([](std::size_t, const std::string &r) { return !of(r, "Grt"); })}},
     {"Grt.csv", "Rest.csv"}, {}, "\"RT2\" (Grt.csv, Rest.csv); --join joins them", {}, 1, 14},
    {"where_garnet_rim", {{"L.csv", located()},
                          {"H.csv", located_by_hand([](const std::string &r) { return !of(r, "Grt") || r.ends_with(",rim"); })}},
     {"--where", "grt:location=RIM", "L.csv"}, {"H.csv"}, "L.csv: 7 rows left out by the choice of spots",
     "1 garnet analysis left out by the choice of spots grt:location=RIM"},
    {"where_rim_and_core", {{"L.csv", located()},
                            {"H.csv", located_by_hand([](const std::string &r) {
                                 return of(r, "Cpx") ? !r.ends_with(",rim") : r.ends_with(",rim"); })}},
     {"--where", "Location=rim", "--where", "cpx:Location=core", "L.csv"}, {"H.csv"}, {},
     "1 garnet analysis, 1 clinopyroxene analysis and 1 phengite analysis left out"},
    {"where_without_its_column", {{"T.csv", export_text}}, {"--where", "Location=rim", "T.csv"}, {},
     "T.csv line 1: no column \"Location\" to choose the spots by (Location=rim)", {}, 2, 0},
    {"windows_1252", {{"W.csv", windows(export_text)}, {"U.csv", utf8_of_windows()}}, {"W.csv"},
     {"U.csv"}, "W.csv: the text is not UTF-8: read as Windows-1252"},
};
// clang-format on

class Reading : public ::testing::TestWithParam<reading_run> {};

TEST_P(Reading, GivesTheRowsOfTheTableMeantOrSaysWhy) {
    const reading_run &c = GetParam();
    scratch dir;
    for (const auto &[name, text] : c.files) dir.write(name, text);
    dir.write("E.csv", export_text);
    const auto batch = [&](names args) {
        args.insert(args.begin(), {"-m", "7", "-t", "650", "--combine", "mean"});
        return run(VARNO96_BATCH, args, dir);
    };
    const run_result r = batch(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    const csv_table got = parse_csv(r.out);
    ASSERT_EQ(got.rows.size(), c.rows) << r.err;
    if (!c.says.empty()) {
        std::size_t n = 0;
        for (std::size_t at = r.err.find(c.says); at != std::string::npos;
             at = r.err.find(c.says, at + 1))
            n++;
        EXPECT_EQ(n, 1u) << r.err;
    }
    if (!c.note.empty()) {
        EXPECT_NE(got.at(0, "note").find(c.note), std::string::npos) << got.at(0, "note");
    }
    if (c.rows != 7) return;
    const csv_table want = parse_csv(batch(c.same_as.empty() ? names{"E.csv"} : c.same_as).out);
    ASSERT_EQ(want.rows.size(), 7u);
    for (const std::string &column : want.header) {
        if (column == "file" || column == "note") continue;
        for (std::size_t row = 0; row < 7; row++)
            EXPECT_EQ(got.at(row, column), want.at(row, column)) << "row " << row << ", " << column;
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, Reading, ::testing::ValuesIn(runs),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(Reading, ADoubledColumnIsNamedByItsPlacesAndAsWritten) {
    scratch dir;
    names rows = export_lines();
    rows[0].replace(rows[0].find("SiO2"), 4, " SiO2");
    rows[0] += ",SiO2 ";
    for (std::size_t r = 1; r < rows.size(); r++) rows[r] += ",1";
    dir.write("T.csv", text_of(rows));
    const run_result r = run(VARNO96_BATCH, {"-m", "7", "-t", "650", "T.csv"}, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "varno96-batch: T.csv line 1: columns 4 \" SiO2\" and 15 \"SiO2 \" both give "
                     "SiO2\n");
}

} // namespace
