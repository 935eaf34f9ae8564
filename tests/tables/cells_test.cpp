// Tables whose header names the columns: every spelling of a column heading and of a mineral,
// every kind of cell, and the refusals and warnings of a file, each read from EC1 of the
// example suite written as a microprobe exports it.
#include "api/columns.hpp"
#include "api/combine.hpp"
#include "api/options.hpp"
#include "support/readback.hpp"
#include "support/scratch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace varno96;

// EC1 as a long table, one row per analysis, to be changed heading by heading and cell by cell.
// Columns are found by their first heading; rows 1 to 3 are the garnet, clinopyroxene and
// phengite.
class ec1 {
public:
    ec1 &head(const std::string &column, std::string heading) {
        rows_[0][at(column)] = std::move(heading);
        return *this;
    }
    ec1 &set(std::size_t row, const std::string &column, std::string cell) {
        rows_.at(row)[at(column)] = std::move(cell);
        return *this;
    }
    ec1 &drop(const std::string &column) {
        const std::size_t c = at(column);
        keys_.erase(keys_.begin() + static_cast<long>(c));
        for (auto &r : rows_) r.erase(r.begin() + static_cast<long>(c));
        return *this;
    }
    // A column at the end: its heading and the cell of each row.
    ec1 &add(std::vector<std::string> column) {
        keys_.push_back(column.at(0));
        for (std::size_t r = 0; r < rows_.size(); r++) rows_[r].push_back(column.at(r));
        return *this;
    }
    ec1 &row(std::vector<std::string> cells) {
        rows_.push_back(std::move(cells));
        return *this;
    }
    // Fields joined by `sep` (runs of blanks for ' '), quoted where they must be unless `raw`.
    std::string text(char sep = ',', bool raw = false) const {
        std::string t;
        for (const auto &r : rows_) {
            for (std::size_t c = 0; c < r.size(); c++) {
                const std::string &f = r[c];
                const bool quote =
                    !raw && (f.find_first_of(std::string("\"") + sep) != std::string::npos ||
                             (sep == ' ' && (f.empty() || f.find('\t') != std::string::npos)));
                std::string q = f;
                if (quote) {
                    q = "\"";
                    for (char ch : f) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                    q += "\"";
                }
                t += (c ? std::string(sep == ' ' ? "   " : std::string(1, sep)) : "") + q;
            }
            t += "\r\n";
        }
        return t;
    }

private:
    std::size_t at(const std::string &column) const {
        const auto i = std::find(keys_.begin(), keys_.end(), column);
        if (i == keys_.end()) throw std::logic_error("no column " + column);
        return static_cast<std::size_t>(i - keys_.begin());
    }
    std::vector<std::string> keys_{"Sample", "Mineral", "Point", "SiO2", "TiO2", "Al2O3", "Fe2O3",
                                   "FeO",    "MnO",     "MgO",   "CaO",  "Na2O", "K2O"};
    std::vector<std::vector<std::string>> rows_{
        keys_,
        {"EC1", "Grt", "EC1-grt-1", "38.50", "0.05", "21.70", "0.00", "25.00", "0.50", "6.40",
         "8.60", "0.02", "0.00"},
        {"EC1", "Cpx", "EC1-cpx-1", "55.60", "0.08", "9.80", "0.00", "4.40", "0.03", "8.20",
         "13.60", "7.10", "0.01"},
        {"EC1", "Phe", "EC1-phe-1", "50.80", "0.55", "26.40", "0.00", "2.10", "0.02", "3.30",
         "0.02", "0.55", "10.60"}};
};

// EC1 with a mineral suffix on every oxide heading: one row, the sample, and a column `extra`.
std::string wide(const std::array<const char *, 3> &suffixes, const char *sample = "Sample",
                 const char *extra = nullptr) {
    const std::vector<std::vector<const char *>> wt{
        {"38.50", "0.05", "21.70", "0.00", "25.00", "0.50", "6.40", "8.60", "0.02", "0.00"},
        {"55.60", "0.08", "9.80", "0.00", "4.40", "0.03", "8.20", "13.60", "7.10", "0.01"},
        {"50.80", "0.55", "26.40", "0.00", "2.10", "0.02", "3.30", "0.02", "0.55", "10.60"}};
    std::string head = sample, row = "EC1";
    if (*sample == 0) head = row = "Note"; // a column of another kind in its place
    for (std::size_t k = 0; k < 3; k++)
        for (std::size_t i = 0; i < NEL; i++) {
            head += std::string(",") + oxide_names[i] + suffixes[k];
            row += std::string(",") + wt[k][i];
        }
    if (extra) head += std::string(",") + extra, row += ",1";
    return head + "\r\n" + row + "\r\n";
}

enum where { error, warning, problem, note };
struct said {
    where at;
    std::string text;
};

struct reading_case {
    const char *name;
    std::string text;
    // Fragments of what reading says, each once in its place (the file's error or warnings, the
    // sample's problem, the garnet's note); a place not named says nothing.
    std::vector<said> says = {};
    // An oxide of the garnet read otherwise than EC1's, and its value.
    std::optional<std::pair<int, double>> wt = {};
    std::string sample = "EC1", label = "EC1-grt-1";
};

const std::vector<double> garnet{38.5, 0.05, 21.7, 0, 25, 0.5, 6.4, 8.6, 0.02, 0};
const std::string below = "Fe2O3 as 0 is estimated by charge balance";
const std::string total_fe2o3 = "total iron given as Fe2O3 read as FeO (x 0.89981)";
const std::string run_on = "a blank inside a field moves the values along";
constexpr double as_feo = 25 * 0.89981;

// clang-format off
const std::vector<reading_case> cases{
    // Oxide headings: decorations, case, subscripts; all iron as FeO and as Fe2O3.
    {"plain", ec1().text()},
    {"unit_in_parentheses", ec1().head("SiO2", "SiO2 (wt%)").text()},
    {"unit_wt_point", ec1().head("SiO2", "SiO2 wt.%").text()},
    {"unit_underscore_wt", ec1().head("SiO2", "SiO2_wt").text()},
    {"unit_in_brackets", ec1().head("SiO2", "SiO2 [wt%]").text()},
    {"unit_wt_percent", ec1().head("Al2O3", "Al2O3 wt%").text()},
    {"wt_starting_a_word_is_no_unit", ec1().head("SiO2", "wtSiO2").text(),
     {{warning, "column \"wtSiO2\" ignored"}, {warning, "no SiO2 column"}}, {{SIO2, 0}}},
    {"subscripts", ec1().head("SiO2", "SiO₂").head("Al2O3", "Al₂O₃ (wt%)").head("K2O", "K₂O").text()},
    {"any_case", ec1().head("SiO2", "SIO2").head("MgO", "mgo").head("Na2O", "NA2O").text()},
    {"FeOt", ec1().head("FeO", "FeOt").text()},
    {"FeOT", ec1().head("FeO", "FeOT").text()},
    {"FeO_star", ec1().head("FeO", "FeO*").text()},
    {"FeO_t_in_parentheses", ec1().head("FeO", "FeO(t)").text()},
    {"FeO_tot", ec1().head("FeO", "FeO_tot").text()},
    {"FeOtot", ec1().head("FeO", "FeOtot").text()},
    {"FeO_total", ec1().head("FeO", "FeO total").text()},
    {"sigma_FeO", ec1().head("FeO", "ΣFeO").text()},
    {"FeOt_with_unit", ec1().head("FeO", "FeOt (wt%)").text()},
    {"Fe2O3t", ec1().head("FeO", "Fe2O3t").drop("Fe2O3").text(),
     {{note, total_fe2o3}, {warning, "no Fe2O3 column: read as 0 (" + below}}, {{FEO, as_feo}}},
    {"Fe2O3_T_in_parentheses", ec1().head("FeO", "Fe2O3(T)").drop("Fe2O3").text(),
     {{note, total_fe2o3}, {warning, "no Fe2O3 column"}}, {{FEO, as_feo}}},
    {"Fe2O3_star", ec1().head("FeO", "Fe2O3*").drop("Fe2O3").text(),
     {{note, total_fe2o3}, {warning, "no Fe2O3 column"}}, {{FEO, as_feo}}},

    // Sample, mineral and label columns.
    {"sample_id", ec1().head("Sample", "Sample ID").text()},
    {"sampleid", ec1().head("Sample", "SampleID").text()},
    {"sample_name", ec1().head("Sample", "Sample name").text()},
    {"rock", ec1().head("Sample", "Rock").text()},
    {"specimen", ec1().head("Sample", "specimen").text()},
    {"no_sample_column_names_the_sample_after_the_file", ec1().drop("Sample").text(), {}, {}, "F"},
    {"sample_before_rock", ec1().head("Point", "Rock").text(), {{warning, "column \"Rock\" ignored"}}, {}, "EC1", ""},
    {"min", ec1().head("Mineral", "Min").text()},
    {"phase", ec1().head("Mineral", "Phase").text()},
    {"label", ec1().head("Point", "Label").text()},
    {"analysis", ec1().head("Point", "Analysis").text()},
    {"comment", ec1().head("Point", "Comment").text()},
    {"no", ec1().head("Point", "No").text()},
    {"hash", ec1().head("Point", "#").text()},
    {"point_before_comment", ec1().add({"Comment", "rim, near crack", "", ""}).text(),
     {{warning, "column \"Comment\" ignored"}}},
    {"no_label_column", ec1().drop("Point").text(), {}, {}, "EC1", ""},

    // Mineral names: the synonyms, and a name followed by a number or a word.
    {"Grt1", ec1().set(1, "Mineral", "Grt1").text()},
    {"grt_rim", ec1().set(1, "Mineral", "grt-rim").text()},
    {"garnet_core", ec1().set(1, "Mineral", "Garnet core").text()},
    {"Gt", ec1().set(1, "Mineral", "GT").text()},
    {"Omp_3", ec1().set(2, "Mineral", "Omp 3").text()},
    {"omphacite", ec1().set(2, "Mineral", "omphacite").text()},
    {"Omph", ec1().set(2, "Mineral", "Omph").text()},
    {"white_mica", ec1().set(3, "Mineral", "White mica").text()},
    {"Mu", ec1().set(3, "Mineral", "Mu").text()},
    {"Musc", ec1().set(3, "Mineral", "Musc2").text()},
    {"muscovite", ec1().set(3, "Mineral", "Muscovite").text()},
    {"Ms", ec1().set(3, "Mineral", "Ms_1").text()},
    {"Wm", ec1().set(3, "Mineral", "wm").text()},
    {"mica", ec1().set(3, "Mineral", "Mica").text()},
    {"phengite", ec1().set(3, "Mineral", "Phengite").text()},
    {"Ph", ec1().set(3, "Mineral", "Ph").text()},
    {"Phen", ec1().set(3, "Mineral", "Phen").text()},
    {"phlogopite_is_not_phengite", ec1().set(3, "Mineral", "Phlogopite").text(),
     {{warning, "rows of other minerals ignored: \"Phlogopite\" (1)"},
      {problem, "F.csv line 2: no phengite analysis of sample EC1"}}},
    {"gedrite_is_not_garnet", ec1().set(1, "Mineral", "Ged").text(),
     {{warning, "\"Ged\" (1)"}, {problem, "no garnet analysis"}}},

    // Wide tables: a mineral suffix on each oxide heading.
    {"wide_Gt_Cpx_Ph", wide({"_Gt", "_Cpx", "_Ph"}), {}, {}, "EC1", ""},
    {"wide_Grt_Omp_Phe", wide({"_Grt", "_Omp", "_Phe"}), {}, {}, "EC1", ""},
    {"wide_Garnet_Cpx_Ms", wide({"_Garnet", "_Cpx", "_Ms"}), {}, {}, "EC1", ""},
    {"wide_Wm", wide({"_grt", "_cpx", "_Wm"}), {}, {}, "EC1", ""},
    {"wide_Mica_with_units", wide({"_Grt (wt%)", " Cpx", "_Mica"}), {}, {}, "EC1", ""},
    {"wide_without_sample_column", wide({"_Grt", "_Cpx", "_Phe"}, ""),
     {{warning, "column \"Note\" ignored"}}, {}, "row 1", ""},
    {"wide_with_a_plain_oxide", wide({"_Grt", "_Cpx", "_Phe"}, "Sample", "MgO"),
     {{warning, "column \"MgO\" (no mineral suffix) ignored"}}, {}, "EC1", ""},
    {"wide_biotite_is_not_phengite", wide({"_Grt", "_Cpx", "_Bt"}),
     {{warning, "\"SiO2_Bt\""}, {warning, "F.csv: no column of phengite oxides"},
      {problem, "F.csv line 2: no phengite analysis of sample EC1"}}},

    // Empty cells read as 0, without a note; a word for below detection as 0 in a minor oxide,
    // noted, and in a major oxide of that mineral no analysis of it.
    {"empty", ec1().set(1, "K2O", "").text()},
    {"n_d", ec1().set(1, "K2O", "n.d.").text(), {{note, "column K2O: \"n.d.\" below detection"}}},
    {"nd", ec1().set(1, "K2O", "nd").text(), {{note, "column K2O: \"nd\" below detection"}}},
    {"ND", ec1().set(1, "K2O", "N.D.").text(), {{note, "column K2O: \"N.D.\" below detection"}}},
    {"n_a", ec1().set(1, "K2O", "n.a.").text(), {{note, "column K2O: \"n.a.\" below detection"}}},
    {"bdl", ec1().set(1, "K2O", "bdl").text(), {{note, "column K2O: \"bdl\" below detection"}}},
    {"b_d_l", ec1().set(1, "K2O", "b.d.l.").text(), {{note, "column K2O: \"b.d.l.\" below detection"}}},
    {"BDL", ec1().set(1, "K2O", "BDL").text(), {{note, "column K2O: \"BDL\" below detection"}}},
    {"less_than", ec1().set(1, "K2O", "<0.01").text(), {{note, "column K2O: \"<0.01\" below detection"}}},
    {"dash", ec1().set(1, "K2O", "-").text(), {{note, "column K2O: \"-\" below detection"}}},
    {"blanks", ec1().set(1, "K2O", "  ").text()},
    {"n_slash_a", ec1().set(1, "K2O", "N/A").text(), {{note, "column K2O: \"N/A\" below detection"}}},
    {"garnet_major_oxide", ec1().set(1, "CaO", "n.d.").text(),
     {{problem, "F.csv line 2, column CaO: \"n.d.\" (below detection) in a major oxide of garnet"}}},
    {"cpx_major_oxide", ec1().set(2, "Na2O", "bdl").text(),
     {{problem, "column Na2O: \"bdl\" (below detection) in a major oxide of clinopyroxene"}}},
    {"phengite_major_oxide", ec1().set(3, "K2O", "<0.01").text(),
     {{problem, "column K2O: \"<0.01\" (below detection) in a major oxide of phengite"}}},
    {"no_break_spaces", ec1().set(1, "SiO2", "\xC2\xA0" "38.50\xC2\xA0").text()},
    {"leading_point", ec1().set(1, "TiO2", ".05").text()},
    {"leading_decimal_comma", ec1().set(1, "TiO2", ",05").text(';')},
    {"sign_and_exponent", ec1().set(1, "SiO2", "+3.85e1").set(1, "Al2O3", "2.17E+01").text()},
    // Below background: 0, and the note names line and column.
    {"negative", ec1().set(1, "K2O", "-0.02").text(),
     {{note, "F.csv line 2, column K2O: -0.02 below background, read as 0"}}},
    {"negative_with_decimal_comma", ec1().set(1, "MnO", "-0,50").text(';'),
     {{note, "F.csv line 2, column MnO: -0,50 below background, read as 0"}}, {{MNO, 0}}},
    // A decimal comma where the comma cannot be the separator.
    {"decimal_comma_semicolons", ec1().set(1, "SiO2", "38,50").text(';')},
    {"decimal_comma_tabs", ec1().set(1, "SiO2", "38,50").set(1, "FeO", "25,0").text('\t')},
    {"decimal_comma_quoted_in_commas", ec1().set(1, "SiO2", "38,50").text(','),
     {{problem, "F.csv line 2, column SiO2: \"38,50\" is not a number"}}},
    {"decimal_comma_in_blanks", ec1().set(1, "SiO2", "38,50").text(' '),
     {{problem, "F.csv line 2, column SiO2: \"38,50\" is not a number"}}},
    // A word: that sample has no result, and its note quotes the cell.
    {"word", ec1().set(1, "SiO2", "38.5x").text(),
     {{problem, "F.csv line 2, column SiO2: \"38.5x\" is not a number"}}},
    {"word_under_a_decorated_heading", ec1().head("CaO", "CaO (wt%)").set(2, "CaO", "high").text('\t'),
     {{problem, "F.csv line 3, column CaO (wt%): \"high\" is not a number"}}},
    {"two_decimal_commas", ec1().set(1, "SiO2", "38,5,0").text(';'),
     {{problem, "column SiO2: \"38,5,0\" is not a number"}}},
    {"number_beyond_reals", ec1().set(1, "SiO2", "1e999").text(),
     {{problem, "column SiO2: \"1e999\" is not a number"}}},

    // The file: refusals.
    {"one_oxide_twice", ec1().add({"SiO2 (wt%)", "38.5", "55.6", "50.8"}).text(),
     {{error, "F.csv line 1: columns 4 \"SiO2\" and 14 \"SiO2 (wt%)\" both give SiO2"}}},
    {"iron_twice", ec1().add({"FeOt", "25", "4.4", "2.1"}).text(),
     {{error, "columns 8 \"FeO\" and 14 \"FeOt\" both give the iron"}}},
    {"iron_twice_as_fe2o3", ec1().head("Fe2O3", "Fe2O3t").text(),
     {{error, "columns 7 \"Fe2O3t\" and 8 \"FeO\" both give the iron"}}},
    {"one_oxide_twice_in_a_wide_table", wide({"_Grt", "_Cpx", "_Phe"}) .insert(0, "SiO2_Gt,"),
     {{error, "columns 1 \"SiO2_Gt\" and 3 \"SiO2_Grt\" both give SiO2 of garnet"}}},
    // Blanks around a heading: the columns by their places and as written.
    {"one_oxide_twice_with_blanks", ec1().head("SiO2", " SiO2").add({"SiO2 ", "38.5", "55.6", "50.8"}).text(),
     {{error, "F.csv line 1: columns 4 \" SiO2\" and 14 \"SiO2 \" both give SiO2"}}},
    {"no_oxide_column", "Sample,Mineral,Point\r\nEC1,Grt,1\r\n",
     {{error, "F.csv line 1: the header names no oxide column"}}},
    {"no_mineral_column", ec1().drop("Mineral").text('\t'),
     {{error, "F.csv line 1: no mineral column"}}},
    {"header_after_blank_lines", "\r\n  \r\n" + ec1().drop("Mineral").text(),
     {{error, "F.csv line 3: no mineral column"}}},
    {"short_row", ec1().text() + "EC1,Grt,EC1-grt-2,38.5,0.05\r\n",
     {{problem, "F.csv line 5: 5 fields, the header has 13"}}},
    {"row_without_its_last_cell", ec1().text() + "EC1,Grt,EC1-grt-2,38.5,0.05,21.7,0,25,0.5,6.4,8.6,0.02\r\n",
     {{problem, "F.csv line 5: 12 fields, the header has 13"}}},
    {"run_on_row_with_blanks", ec1().set(1, "Point", "core rim").text(' ', true),
     {{problem, "F.csv line 2: 14 fields, the header has 13 (" + run_on}}},
    {"quoted_blank_with_blanks", ec1().set(1, "Point", "core rim").text(' '), {}, {}, "EC1", "core rim"},
    {"blank_after_a_cell", ec1().set(1, "Point", "EC1-grt-1 ").text(), {}, {}, "EC1", "EC1-grt-1"},
    {"doubled_quotes_in_a_quoted_cell", ec1().set(1, "Point", "say \"rim\"").text(), {}, {}, "EC1", "say \"rim\""},
    // Line ends inside a quoted cell (CR LF, CR, LF) count as lines.
    {"lines_counted_inside_quotes", ec1().set(1, "Point", "\"a\r\nb\rc\nd\"").set(2, "SiO2", "x").text(',', true),
     {{problem, "F.csv line 6, column SiO2: \"x\" is not a number"}}, {}, "EC1", "a\r\nb\rc\nd"},
    // An unquoted decimal comma in a comma-separated file adds a field and moves every value
    // after it along.
    {"decimal_comma_unquoted_in_commas", ec1().set(1, "SiO2", "38,50").text(',', true),
     {{problem, "F.csv line 2: 14 fields, the header has 13 (a decimal comma splits a value in two)"}}},
    // A quote left open would take every line after it into one field: it is read as a
    // character, and said.
    {"quote_not_closed", ec1().set(1, "Point", "\"rim").text(',', true),
     {{warning, "F.csv line 2: a quote is not closed"}}, {}, "EC1", "\"rim"},
    {"trailing_separators", ec1().add({"", "", "", ""}).text(';')},

    // The file: warnings, each naming its columns or minerals once.
    {"ignored_columns_named_once",
     ec1().add({"Cr2O3", "0.02", "0.03", "b.d.l."}).add({"Total", "100.79", "98.85", "94.35"}).text(),
     {{warning, "F.csv: column \"Cr2O3\" ignored"}}},
    {"column_without_heading_named_by_number", ec1().add({"", "0.02", "0.03", "0.01"}).text(),
     {{warning, "column 14"}}},
    {"missing_oxides_named_once", ec1().drop("TiO2").drop("Fe2O3").text(),
     {{warning, "F.csv: no TiO2, Fe2O3 columns: read as 0 (" + below}}, {{TIO2, 0}}},
    {"other_minerals_named_once",
     ec1().row({"EC1", "Ky", "", "37", "", "62", "", "0.3", "", "", "", "", ""})
          .row({"EC1", "Qz", "", "99.8", "", "", "", "", "", "", "", "", ""})
          .row({"EC1", "Ky", "", "37", "", "62", "", "0.3", "", "", "", "", ""}).text(),
     {{warning, "F.csv: rows of other minerals ignored: \"Ky\" (2), \"Qz\" (1)"}}},
    {"empty_sample_cell", ec1().set(1, "Sample", "").text(),
     {{problem, "F.csv line 2: the Sample cell is empty"}}, {}, ""},
    {"row_without_mineral", ec1().row({"EC1", "", "x", "37", "", "", "", "", "", "", "", "", ""}).text(),
     {{warning, "\"(none)\" (1)"}}},
    {"row_ending_before_its_mineral", ec1().text() + "EC1\r\n", {{warning, "\"(none)\" (1)"}}},
    // The usual names of the sample, mineral and label columns, any case, blanks ignored.
    {"sample_as_name", ec1().head("Sample", "Name").text()},
    {"sample_as_id", ec1().head("Sample", "ID").text()},
    {"sample_as_sample_no", ec1().head("Sample", "Sample No.").text()},
    {"sample_as_rock", ec1().head("Sample", "ROCK").text()},
    {"sample_as_rock_id", ec1().head("Sample", " Rock ID ").text()},
    {"sample_as_specimen", ec1().head("Sample", "Specimen").text()},
    {"sample_as_probe", ec1().head("Sample", "probe").text()},
    {"mineral_as_min", ec1().head("Mineral", "MIN").text()},
    {"mineral_lower_case", ec1().head("Mineral", " mineral").text()},
    {"label_as_analysis_number", ec1().head("Point", "analysis_ number").text()},
    {"label_as_no", ec1().head("Point", "No.").text()},
    {"label_a_whole_number_with_a_point", ec1().set(1, "Point", "31.0").text(), {}, {}, "EC1", "31"},
    {"label_a_number_with_a_fraction", ec1().set(1, "Point", "31.5").text(), {}, {}, "EC1", "31.5"},
    // A sample column of no known name: the one sample of the file, its column ignored.
    {"sample_column_unknown", ec1().head("Sample", "Gestein").text(),
     {{warning, "F.csv: column \"Gestein\" ignored"}}, {}, "F"},
    // Windows-1252: its names in UTF-8, said once.
    {"windows_1252_names", ec1().set(1, "Sample", "Gr\xFCn-1").set(2, "Sample", "Gr\xFCn-1")
         .set(3, "Sample", "Gr\xFCn-1").set(1, "Point", "\x80 1").text(),
     {{warning, "F.csv: the text is not UTF-8: read as Windows-1252"}}, {}, "Gr\xC3\xBCn-1",
     "\xE2\x82\xAC 1"},
    {"byte_order_mark_before_the_first_heading", "\xEF\xBB\xBF" + wide({"_Grt", "_Cpx", "_Phe"}, "#"),
     {}, {}, "row 1", "EC1"},
};
// clang-format on

void PrintTo(const reading_case &c, std::ostream *os) { *os << c.name; }

std::size_t occurrences(const std::string &text, const std::string &what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

class Reading : public ::testing::TestWithParam<reading_case> {};

TEST_P(Reading, ReadsOrRefusesAndSaysSo) {
    const reading_case &c = GetParam();
    const file_input in = read_table("F.csv", c.text);
    // Read a few bytes at a time, the same.
    for (const std::size_t piece : std::array<std::size_t, 2>{1, 7})
        EXPECT_EQ(test::described(read_table("F.csv", test::pieces(c.text, piece))),
                  test::described(in))
            << piece << " bytes at a time";
    std::string warnings, trouble, garnet_note;
    for (const std::string &w : in.warnings) warnings += w + "\n";
    if (!in.samples.empty()) {
        trouble = in.samples[0].problem;
        if (!in.samples[0].analyses[0].empty())
            garnet_note = in.samples[0].analyses[0][0].notes.text();
    }
    const std::array<const std::string *, 4> places{&in.error, &warnings, &trouble, &garnet_note};
    for (const where at : {error, warning, problem, note}) {
        std::vector<std::string> fragments;
        for (const said &s : c.says)
            if (s.at == at) fragments.push_back(s.text);
        const std::string &place = *places[static_cast<std::size_t>(at)];
        if (fragments.empty()) { EXPECT_EQ(place, "") << "place " << at; }
        for (const std::string &f : fragments)
            EXPECT_EQ(occurrences(place, f), 1u) << place << "\nwants " << f;
    }
    if (!in.error.empty() || !trouble.empty()) return;
    ASSERT_EQ(in.samples.size(), 1u);
    const sample_input &s = in.samples[0];
    EXPECT_EQ(s.name, c.sample);
    EXPECT_EQ(s.line, 2);
    for (const auto &a : s.analyses) ASSERT_EQ(a.size(), 1u);
    const analysis &g = s.analyses[0][0];
    EXPECT_EQ(g.label, c.label);
    for (int i = 1; i <= NEL; i++) {
        const double want =
            c.wt && c.wt->first == i ? c.wt->second : garnet[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(g.wt[i], want) << oxide_names[static_cast<std::size_t>(i - 1)];
    }
    EXPECT_EQ(s.analyses[1][0].wt[NA2O], 7.1); // the clinopyroxene's columns as well
    EXPECT_EQ(s.analyses[2][0].wt[K2O], 10.6);
}

INSTANTIATE_TEST_SUITE_P(Cases, Reading, ::testing::ValuesIn(cases),
                         [](const auto &p) { return std::string(p.param.name); });

} // namespace

namespace {

// A problem met in many cells of a sample is said once with their count; a text of any length
// is quoted in its first 200 characters.
TEST(Messages, RepeatedProblemsCountedAndLongTextsClipped) {
    ec1 table;
    for (int i = 0; i < 3000; i++)
        table.row({"EC1", "Grt", "", "#N/A", "", "", "", "", "", "", "", "", ""});
    const std::string long_cell(300, 'x');
    table.set(2, "CaO", long_cell + "é");
    const file_input in = read_table("F.csv", table.text());
    ASSERT_EQ(in.samples.size(), 1u);
    EXPECT_EQ(in.samples[0].problem,
              "F.csv line 3, column CaO: \"" + std::string(200, 'x') +
                  "…\" (301 characters) is not a number; F.csv line 5, column SiO2: \"#N/A\" "
                  "is not a number, and 2,999 more cells like it");

    // Twenty remarks unlike each other are said; more are counted.
    for (const int kinds : {20, 23}) {
        ec1 many;
        for (int i = 0; i < kinds; i++)
            many.row(
                {"EC1", "Grt", "", "w" + std::to_string(i), "", "", "", "", "", "", "", "", ""});
        const std::string problem = read_table("F.csv", many.text()).samples.at(0).problem;
        EXPECT_EQ(occurrences(problem, "is not a number"), 20u) << kinds;
        EXPECT_EQ(occurrences(problem, "more of other kinds"), kinds == 23 ? 1u : 0u);
        if (kinds == 23) {
            EXPECT_TRUE(problem.ends_with("; and 3 more of other kinds")) << problem;
        }
    }

    const std::string header(300, 'y');
    const file_input refused = read_table("F.csv", header + "\r\n1\r\n");
    EXPECT_EQ(refused.error.substr(refused.error.find("(found: ")),
              "(found: " + std::string(200, 'y') + "… (300 characters))");
}

// What the reader changed in an analysis reaches the row's note, each kind of change said once
// and counted.
TEST(Messages, ReaderNotesReachTheNoteColumn) {
    const std::string text = ec1()
                                 .head("FeO", "Fe2O3t")
                                 .drop("Fe2O3")
                                 .set(1, "K2O", "-0.02")
                                 .set(2, "MnO", "-0.01")
                                 .text();
    const file_input in = read_table("F.csv", text);
    batch_options o;
    o.model = 7;
    o.temperature = 650;
    const choices how = choices_of(o);
    for (const combine_mode mode : {combine_mode::none, combine_mode::each}) {
        o.combine = mode;
        const auto units = sample_units(in.samples, mode);
        ASSERT_EQ(units.size(), 1u);
        const auto cells = result_cells(units[0], compute_sample(units[0].wt, how), how, o);
        const auto columns = result_columns(o);
        const auto note = std::find_if(columns.begin(), columns.end(),
                                       [](const column &c) { return c.name == "note"; });
        ASSERT_NE(note, columns.end());
        EXPECT_EQ(test::without_cpx_ferric(
                      cells.at(static_cast<std::size_t>(note - columns.begin())).text),
                  "F.csv line 2, column K2O: -0.02 below background, read as 0, and 1 more cell "
                  "like it; total iron given as Fe2O3 read as FeO (x 0.89981)");
    }
}

} // namespace

namespace {

// As many semicolons as commas in the header: the semicolon separates, the comma stays in its
// heading.
TEST(Separator, SemicolonBeforeCommaWhenAsFrequent) {
    const file_input in =
        read_table("F.csv", "Mineral;SiO2 (wt%,)\r\nGrt;38.5\r\nCpx;55.6\r\nPhe;50.8\r\n");
    EXPECT_EQ(in.error, "");
    ASSERT_EQ(in.samples.size(), 1u);
    ASSERT_EQ(in.samples[0].analyses[0].size(), 1u);
    EXPECT_EQ(in.samples[0].analyses[0][0].wt[SIO2], 38.5);
}

} // namespace
