// The example suite in every layout a microprobe or a spreadsheet writes, each with every line
// end, gives the rows of the data file; several analyses of a mineral, averaged or taken in
// each combination, give the rows of data files holding the mean or that combination; and the
// shipped export of the suite, spot by spot, gives the suite's rows.
#include "api/batch.hpp"
#include "support/readback.hpp"
#include "support/scratch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace varno96;

const std::string examples = VARNO96_EXAMPLES;
constexpr std::array<const char *, 3> minerals{"Grt", "Cpx", "Phe"};
constexpr std::array<const char *, 3> spot_names{"grt", "cpx", "phe"};

std::string suite_text() { return test::slurp(examples + "/SUITE.PRN"); }

std::vector<sample_input> suite_samples() {
    file_input in = read_table("SUITE.PRN", suite_text());
    if (!in.error.empty() || in.samples.size() != 7) throw std::runtime_error("SUITE.PRN unread");
    return in.samples;
}

const VECTOR &wt(const sample_input &s, std::size_t k) { return s.analyses[k].at(0).wt; }

std::string fixed(double x, int decimals = 2) {
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", decimals, x);
    return b;
}

std::string exact(double x) {
    char b[64];
    std::snprintf(b, sizeof b, "%.17g", x);
    return b;
}

std::string decimal_comma(std::string s) {
    for (char &c : s)
        if (c == '.') c = ',';
    return s;
}

double total(const VECTOR &w) {
    double t = 0;
    for (int i = 1; i <= NEL; i++) t += w[i];
    return t;
}

using lines = std::vector<std::string>;

// ---- The layouts -----------------------------------------------------------------------

// An oxide of the suite written as below detection: one at 0, unless a major oxide of its
// mineral (RT2's garnet without MgO), where that word leaves the analysis out.
bool below(const sample_input &s, std::size_t k, int i) {
    return wt(s, k)[i] == 0 && !major_oxide(k, i);
}

// A long CSV as a microprobe writes it: columns in its own order, Cr2O3, a total, a spot label
// and a comment holding a comma and quotes, no Fe2O3; each sample's phengite first.
lines long_csv(const std::vector<sample_input> &suite) {
    lines out{"Point,K2O,Na2O,Mineral,Total,SiO2,Cr2O3,Comment,FeO,Al2O3,Sample,MnO,TiO2,CaO,MgO"};
    for (const sample_input &s : suite)
        for (std::size_t k = 3; k-- > 0;) {
            const VECTOR &w = wt(s, k);
            const auto v = [&](int i) {
                return below(s, k, i) ? std::string("b.d.l.") : fixed(w[i]);
            };
            out.push_back(s.name + "-" + spot_names[k] + "-1," + v(K2O) + "," + v(NA2O) + "," +
                          minerals[k] + "," + fixed(total(w) + 0.03) + "," + v(SIO2) + ",0.03," +
                          "\"near rim, \"\"clean\"\"\"," + v(FEO) + "," + v(AL2O3) + "," + s.name +
                          "," + v(MNO) + "," + v(TIO2) + "," + v(CAO) + "," + v(MGO));
        }
    return out;
}

// A European spreadsheet's CSV: semicolons, decimal commas, empty cells below detection.
lines semicolon_csv(const std::vector<sample_input> &suite) {
    lines out{"Sample;Mineral;SiO2;TiO2;Al2O3;Fe2O3;FeO;MnO;MgO;CaO;Na2O;K2O;Total"};
    for (const sample_input &s : suite)
        for (std::size_t k = 0; k < 3; k++) {
            std::string row = s.name + ";" + minerals[k];
            for (int i = 1; i <= NEL; i++)
                row += ";" + (wt(s, k)[i] == 0 ? "" : decimal_comma(fixed(wt(s, k)[i])));
            out.push_back(row + ";" + decimal_comma(fixed(total(wt(s, k)))));
        }
    return out;
}

// Tab-separated text with decorated headings and n.d. below detection, all iron as FeOt.
lines tab_text(const std::vector<sample_input> &suite) {
    lines out{
        "Sample ID\tPhase\tLabel\tSiO2 (wt%)\tTiO2 (wt%)\tAl2O3 (wt%)\tFeOt (wt%)\tMnO (wt%)\t"
        "MgO (wt%)\tCaO (wt%)\tNa2O (wt%)\tK2O (wt%)"};
    for (const sample_input &s : suite)
        for (std::size_t k = 0; k < 3; k++) {
            std::string row = s.name + "\t" + minerals[k] + " " + std::to_string(k + 1) +
                              "\tspot " + std::to_string(k + 1);
            for (int i = 1; i <= NEL; i++)
                if (i != FE2O3)
                    row += "\t" + (below(s, k, i) ? std::string("n.d.") : fixed(wt(s, k)[i], 3));
            out.push_back(row);
        }
    return out;
}

// Excel's "Unicode text": tabs, subscripts in the headings, decimal commas, long mineral
// names, <0.01 below detection.
lines unicode_text(const std::vector<sample_input> &suite) {
    lines out{"Sample\tMineral\tSiO₂\tTiO₂\tAl₂O₃\tFe₂O₃\tFeO\tMnO\tMgO\tCaO\tNa₂O\tK₂O"};
    const std::array<const char *, 3> names{"Garnet", "Omphacite", "White mica"};
    for (const sample_input &s : suite)
        for (std::size_t k = 0; k < 3; k++) {
            std::string row = s.name + "\t" + names[k];
            for (int i = 1; i <= NEL; i++)
                row += "\t" +
                       (below(s, k, i) ? std::string("<0.01") : decimal_comma(fixed(wt(s, k)[i])));
            out.push_back(row);
        }
    return out;
}

// One sample per row, a mineral suffix on each oxide, as Python thermobarometry tools have it.
lines wide_csv(const std::vector<sample_input> &suite) {
    std::string head = "Sample";
    const std::array<const char *, 3> suffixes{"_Grt", "_Cpx", "_Phe"};
    for (std::size_t k = 0; k < 3; k++)
        for (std::size_t i = 0; i < NEL; i++)
            head += std::string(",") + oxide_names[i] + suffixes[k];
    lines out{head};
    for (const sample_input &s : suite) {
        std::string row = s.name;
        for (std::size_t k = 0; k < 3; k++)
            for (int i = 1; i <= NEL; i++)
                row += "," + (below(s, k, i) ? std::string("bdl") : fixed(wt(s, k)[i]));
        out.push_back(row);
    }
    return out;
}

// Columns aligned with blanks, a dash below detection.
lines blank_table(const std::vector<sample_input> &suite) {
    const auto cell = [](const std::string &s) {
        return std::string(s.size() < 9 ? 9 - s.size() : 1, ' ') + s;
    };
    std::string head = cell("Sample") + cell("Mineral") + "  Point       ";
    for (const char *ox : oxide_names) head += cell(ox);
    lines out{head};
    for (const sample_input &s : suite)
        for (std::size_t k = 0; k < 3; k++) {
            std::string row =
                cell(s.name) + cell(minerals[k]) + "  " + s.name + "-" + spot_names[k];
            for (int i = 1; i <= NEL; i++)
                row += cell(below(s, k, i) ? std::string("-") : fixed(wt(s, k)[i]));
            out.push_back(row);
        }
    return out;
}

enum class encoding { utf8, utf8_bom, utf16le, utf16be };

// UTF-8 text (up to three bytes a character) as UTF-16 after its byte-order mark.
std::string utf16(const std::string &text, bool little) {
    std::string out;
    const auto unit = [&](unsigned u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += little ? lo : hi;
        out += little ? hi : lo;
    };
    unit(0xFEFF);
    for (std::size_t i = 0; i < text.size(); i++) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            unit(c);
        } else if (c < 0xE0) {
            unit(((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu));
            i += 1;
        } else {
            unit(((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(text[i + 2]) & 0x3Fu));
            i += 2;
        }
    }
    return out;
}

std::string bytes(const lines &ls, const std::string &eol, encoding e) {
    std::string text;
    for (const std::string &l : ls) text += l + eol;
    switch (e) {
    case encoding::utf8:
        return text;
    case encoding::utf8_bom:
        return "\xEF\xBB\xBF" + text;
    case encoding::utf16le:
        return utf16(text, true);
    case encoding::utf16be:
        return utf16(text, false);
    }
    return text;
}

// ---- Rows compared ----------------------------------------------------------------------

// The place of a column among a batch's columns, by its name.
std::size_t column_at(const batch_result &b, const std::string &name) {
    const auto i = std::find_if(b.columns.begin(), b.columns.end(),
                                [&](const column &c) { return c.name == name; });
    EXPECT_NE(i, b.columns.end()) << name;
    return static_cast<std::size_t>(i - b.columns.begin());
}

batch_options options(combine_mode combine = combine_mode::none, bool monte_carlo = false) {
    batch_options o;
    o.model = 7;
    o.temperature = 650;
    o.powell = true;
    o.formulae = true; // every oxide read shows in the rows
    o.combine = combine;
    o.monte_carlo = monte_carlo;
    o.seed = -42;
    return o;
}

// Every row of `got` is the row of `want` but for the columns named in `besides`.
void same_rows(const batch_result &got, const batch_result &want,
               const std::vector<std::string> &besides, const std::string &what) {
    ASSERT_EQ(got.rows.size(), want.rows.size()) << what;
    std::vector<std::pair<std::size_t, std::size_t>> pairs; // column of got, of want
    for (std::size_t j = 0; j < want.columns.size(); j++) {
        const std::string &name = want.columns[j].name;
        if (std::find(besides.begin(), besides.end(), name) != besides.end()) continue;
        std::size_t i = 0;
        while (i < got.columns.size() && got.columns[i].name != name) i++;
        ASSERT_LT(i, got.columns.size()) << what << ": no column " << name;
        pairs.push_back({i, j});
    }
    // A data file has no words for below detection, which the note of a table names.
    for (std::size_t r = 0; r < want.rows.size(); r++)
        for (const auto &[i, j] : pairs)
            EXPECT_EQ(want.columns[j].name == "note"
                          ? test::without_below_detection(got.rows[r][i].text)
                          : got.rows[r][i].text,
                      want.rows[r][j].text)
                << what << ", row " << r << ", column " << want.columns[j].name;
}

struct layout {
    const char *name;
    std::function<lines(const std::vector<sample_input> &)> render;
    encoding code;
};

TEST(Layouts, EveryLayoutWithEveryLineEndGivesTheRowsOfTheDataFile) {
    const std::vector<sample_input> suite = suite_samples();
    const batch_result want = compute_batch({{"SUITE.PRN", suite_text()}}, options());
    ASSERT_EQ(want.messages, std::vector<std::string>{});
    ASSERT_EQ(want.failed, 1u); // RT2's garnet has no Mg
    const std::vector<layout> layouts{
        {"long.csv", long_csv, encoding::utf8},
        {"semicolons.csv", semicolon_csv, encoding::utf8},
        {"tabs.txt", tab_text, encoding::utf8_bom},
        {"unicode-le.txt", unicode_text, encoding::utf16le},
        {"unicode-be.txt", unicode_text, encoding::utf16be},
        {"wide.csv", wide_csv, encoding::utf8},
        {"blanks.txt", blank_table, encoding::utf8},
    };
    for (const layout &l : layouts)
        for (const char *eol : {"\n", "\r\n", "\r"}) {
            const std::string what = std::string(l.name) + (eol[0] == '\n' ? " LF"
                                                            : eol[1]       ? " CR LF"
                                                                           : " CR");
            const batch_result got =
                compute_batch({{l.name, bytes(l.render(suite), eol, l.code)}}, options());
            same_rows(got, want, {"file"}, what);
            EXPECT_EQ(got.failed, 1u) << what;
            for (const std::string &m : got.messages) // what the layout lacks or adds, never a line
                EXPECT_EQ(m.find(" line "), std::string::npos) << what << ": " << m;
        }
}

// Sample names beyond the basic plane of Unicode, as surrogate pairs in UTF-16, come out as
// four-byte UTF-8; an unpaired surrogate as U+FFFD.
TEST(Layouts, Utf16NamesBeyondTheBasicPlane) {
    std::string text;
    const auto unit = [&](unsigned u) {
        text += static_cast<char>(u & 0xFF), text += static_cast<char>(u >> 8);
    };
    const auto ascii = [&](const std::string &a) {
        for (char c : a) unit(static_cast<unsigned char>(c));
    };
    unit(0xFEFF);
    ascii("Sample\tMineral\tSiO2\r\n");
    // U+10000, U+FFFF (one unit), U+1F600, then a lone high surrogate.
    for (const char *mineral : {"Grt", "Cpx", "Phe"}) {
        unit(0xD800), unit(0xDC00), unit(0xFFFF), unit(0xD83D), unit(0xDE00), unit(0xD800);
        ascii(std::string("\t") + mineral + "\t40\r\n");
    }
    const file_input in = read_table("U.txt", text);
    ASSERT_EQ(in.samples.size(), 1u) << in.error;
    EXPECT_EQ(in.samples[0].name, "\xF0\x90\x80\x80\xEF\xBF\xBF\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(in.samples[0].analyses[0].at(0).wt[SIO2], 40);
}

// ---- Several analyses of a mineral ----------------------------------------------------

// The suite with each analysis measured at several spots: the garnet at two (2 % low, 3 %
// high), the clinopyroxene at three, the phengite at one or two; every value written in full.
// `mean` gets each mineral's oxide-by-oxide mean of the values as written.
std::string spots(const std::vector<sample_input> &suite,
                  std::vector<std::array<VECTOR, 3>> &mean) {
    const std::array<std::vector<double>, 3> factors{std::vector<double>{0.98, 1.03},
                                                     std::vector<double>{0.97, 1, 1.04},
                                                     std::vector<double>{1.01}};
    std::string text = "Sample,Mineral,Point,SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O\r\n";
    mean.clear();
    for (std::size_t n = 0; n < suite.size(); n++) {
        const sample_input &s = suite[n];
        std::array<VECTOR, 3> m{};
        for (std::size_t k = 0; k < 3; k++) {
            std::vector<double> f = factors[k];
            if (k == 2 && n % 2) f = {0.99, 1.02};
            for (std::size_t j = 0; j < f.size(); j++) {
                text += s.name + "," + minerals[k] + "," + s.name + "-" + spot_names[k] + "-" +
                        std::to_string(j + 1);
                for (int i = 1; i <= NEL; i++) {
                    const std::string v = exact(wt(s, k)[i] * f[j]);
                    text += "," + v;
                    m[k][i] += std::strtod(v.c_str(), nullptr);
                }
                text += "\r\n";
            }
            for (int i = 1; i <= NEL; i++) m[k][i] /= static_cast<double>(f.size());
        }
        mean.push_back(m);
    }
    return text;
}

// A data file: its header and one line per analysis, each value written in full.
std::string datafile(const std::vector<std::pair<std::string, std::array<VECTOR, 3>>> &samples) {
    std::string text =
        "No Sample Min # Descr Ox SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O K2O\r\n";
    int no = 1;
    for (const auto &[name, wts] : samples)
        for (std::size_t k = 0; k < 3; k++) {
            text += std::to_string(no++) + " " + name + " " + minerals[k] + " 1 d 12";
            for (int i = 1; i <= NEL; i++) {
                const std::string v = exact(wts[k][i]);
                // the data-file layout reads 20 characters of a value
                if (v.size() > 20) throw std::logic_error("too long for a data file: " + v);
                text += " " + v;
            }
            text += "\r\n";
        }
    return text;
}

TEST(Combine, MeanGivesTheRowsOfTheMeanAnalyses) {
    const std::vector<sample_input> suite = suite_samples();
    std::vector<std::array<VECTOR, 3>> mean;
    const std::string table = spots(suite, mean);
    std::vector<std::pair<std::string, std::array<VECTOR, 3>>> means;
    for (std::size_t n = 0; n < suite.size(); n++) means.push_back({suite[n].name, mean[n]});
    const batch_result got =
        compute_batch({{"SPOTS.csv", table}}, options(combine_mode::mean, true));
    const batch_result want =
        compute_batch({{"MEAN.PRN", datafile(means)}}, options(combine_mode::none, true));
    same_rows(got, want, {"file"}, "mean");
    const std::size_t n_grt = column_at(got, "n_grt");
    for (std::size_t r = 0; r < got.rows.size(); r++) {
        EXPECT_EQ(got.rows[r][n_grt].text, "2");
        EXPECT_EQ(got.rows[r][n_grt + 1].text, "3");
        EXPECT_EQ(got.rows[r][n_grt + 2].text, r % 2 ? "2" : "1");
    }
    // Without --combine, each sample is refused with its counts and the way out.
    const batch_result plain = compute_batch({{"SPOTS.csv", table}}, options());
    ASSERT_EQ(plain.rows.size(), suite.size());
    EXPECT_EQ(
        plain.rows[1][column_at(plain, "note")].text,
        "SPOTS.csv line 8: sample A7 has 2 garnet analyses, 3 clinopyroxene analyses, 2 phengite "
        "analyses; --combine mean or --combine each uses them");
    EXPECT_EQ(plain.rows[1][5].text, ""); // no pressure
    EXPECT_EQ(plain.failed, suite.size());
}

TEST(Combine, EachGivesTheRowsOfEachCombinationAlone) {
    const std::vector<sample_input> suite = suite_samples();
    // EC1 with two garnets and two clinopyroxenes, labelled; A7 with two phengites in a data
    // file, which has no labels.
    const VECTOR &g = wt(suite[0], 0), &c = wt(suite[0], 1), &m = wt(suite[0], 2);
    const auto row = [](const std::string &head, const VECTOR &w, double f) {
        std::string r = head;
        for (int i = 1; i <= NEL; i++) r += "," + exact(w[i] * f);
        return r + "\r\n";
    };
    const std::string heading = "SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O\r\n";
    const std::string labelled = "Sample,Mineral,Point," + heading + row("EC1,Grt,g1", g, 1) +
                                 row("EC1,Grt,g2", g, 1.02) + row("EC1,Cpx,c1", c, 1) +
                                 row("EC1,Omp,c2", c, 1.03) + row("EC1,Phe,p1", m, 1);
    const VECTOR &g7 = wt(suite[1], 0), &c7 = wt(suite[1], 1), &m7 = wt(suite[1], 2);
    std::string unlabelled = datafile({{"A7", {g7, c7, m7}}}) + "4 A7 Phe 2 d 22";
    for (int i = 1; i <= NEL; i++) unlabelled += " " + exact(m7[i] * 1.03);
    unlabelled += "\r\n";
    const batch_result got = compute_batch({{"L.csv", labelled}, {"A7.PRN", unlabelled}},
                                           options(combine_mode::each, true));

    // Each combination as a sample of its own, in the order garnet, clinopyroxene, phengite.
    struct alone {
        std::string name;
        std::array<std::string, 3> labels;
        std::array<VECTOR, 3> wt;
    };
    const auto scaled = [](VECTOR w, double f) {
        for (int i = 1; i <= NEL; i++) w[i] = std::strtod(exact(w[i] * f).c_str(), nullptr);
        return w;
    };
    const std::vector<alone> combinations{
        {"EC1a", {"g1", "c1", "p1"}, {g, c, m}},
        {"EC1b", {"g1", "c2", "p1"}, {g, scaled(c, 1.03), m}},
        {"EC1c", {"g2", "c1", "p1"}, {scaled(g, 1.02), c, m}},
        {"EC1d", {"g2", "c2", "p1"}, {scaled(g, 1.02), scaled(c, 1.03), m}},
        {"A7a", {"line 2", "line 3", "line 4"}, {g7, c7, m7}},
        {"A7b", {"line 2", "line 3", "line 5"}, {g7, c7, scaled(m7, 1.03)}},
    };
    std::vector<std::pair<std::string, std::array<VECTOR, 3>>> samples;
    for (const alone &a : combinations) samples.push_back({a.name, a.wt});
    const batch_result want =
        compute_batch({{"EACH.PRN", datafile(samples)}}, options(combine_mode::none, true));
    ASSERT_EQ(want.failed, 0u);
    same_rows(got, want, {"file", "sample"}, "each");
    ASSERT_EQ(got.rows.size(), combinations.size());
    for (std::size_t r = 0; r < combinations.size(); r++) {
        EXPECT_EQ(got.rows[r][1].text, r < 4 ? "EC1" : "A7");
        for (std::size_t k = 0; k < 3; k++)
            EXPECT_EQ(got.rows[r][column_at(got, "grt_label") + k].text, combinations[r].labels[k]);
    }
    EXPECT_EQ(got.pairs.size(), want.pairs.size()); // the Monte-Carlo pairs follow the rows
}

TEST(Combine, EachRefusesASampleOfTooManyCombinations) {
    sample_input s{"F.csv", "EC1", 2, {}, {}};
    s.analyses[0].resize(22);
    s.analyses[1].resize(22);
    s.analyses[2].resize(21); // 10164 combinations
    const auto each = sample_units({s}, combine_mode::each);
    ASSERT_EQ(each.size(), 1u);
    EXPECT_EQ(each[0].problem,
              "F.csv line 2: sample EC1 has 10164 combinations of its analyses, more "
              "than 10000; --combine mean uses them all");
    s.analyses[2].resize(20); // 9680
    EXPECT_EQ(sample_units({s}, combine_mode::each).size(), 9680u);
}

// ---- The shipped export ----------------------------------------------------------------

TEST(Example, EpmaExportIsTheSuiteSpotBySpot) {
    const std::string text = test::slurp(examples + "/EPMA-EXPORT.csv");
    // As Excel saves "CSV UTF-8": a byte-order mark, CR LF.
    ASSERT_EQ(text.rfind("\xEF\xBB\xBFSample,Mineral,Point,SiO2,TiO2,Al2O3,Cr2O3,FeO,MnO,MgO,CaO,"
                         "Na2O,K2O,Total\r\n",
                         0),
              0u);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ(text[at - 1], '\r');
    const batch_result got =
        compute_batch({{"EPMA-EXPORT.csv", text}}, options(combine_mode::mean, true));
    const batch_result want =
        compute_batch({{"SUITE.PRN", suite_text()}}, options(combine_mode::none, true));
    same_rows(got, want, {"file"}, "EPMA-EXPORT.csv");
    EXPECT_EQ(got.messages,
              (std::vector<std::string>{
                  "EPMA-EXPORT.csv: column \"Cr2O3\" ignored",
                  "EPMA-EXPORT.csv: no Fe2O3 column: read as 0 (Fe2O3 as 0 is estimated "
                  "by charge balance)"}));
    // Several spots of each mineral, as measured.
    const std::size_t n_grt = column_at(got, "n_grt");
    for (const auto &r : got.rows) {
        EXPECT_TRUE(r[n_grt].text == "2" || r[n_grt].text == "3") << r[1].text;
        EXPECT_TRUE(r[n_grt + 1].text == "2" || r[n_grt + 1].text == "3") << r[1].text;
        EXPECT_TRUE(r[n_grt + 2].text == "1" || r[n_grt + 2].text == "2") << r[1].text;
    }
    // Cells below detection, written both ways; the words named in the notes.
    EXPECT_NE(text.find(",b.d.l.,"), std::string::npos);
    EXPECT_NE(got.rows[0][column_at(got, "note")].text.find(
                  "column K2O: \"b.d.l.\" below detection, read as 0"),
              std::string::npos);
    EXPECT_NE(text.find(",,"), std::string::npos);
}

// A table without a sample column and with several analyses of a mineral: the columns that may
// name its samples are those of text, a number with a decimal comma being a number where the
// cells are read with one.
TEST(Layouts, ColumnsThatMayNameTheSamplesHoldText) {
    const std::string text = "Mineral;SiO2;Al2O3;FeO;MgO;CaO;Na2O;Dist;Gestein\n"
                             "Grt;38,5;21,7;25;6,4;8,6;0;12,5;a\n"
                             "Grt;38,6;21,6;25;6,3;8,7;0;13,5;b\n"
                             "Cpx;55,6;9,8;4,4;8,2;13,6;7,1;14,5;c\n"
                             "Phe;50,8;26,4;2,1;3,3;0;0,5;15,5;d\n";
    const file_input in = read_table("S.csv", text);
    ASSERT_EQ(in.error, "");
    ASSERT_EQ(in.samples.size(), 1u);
    ASSERT_TRUE(in.samples[0].unnamed);
    EXPECT_EQ(*in.samples[0].unnamed, std::vector<std::string>{"\"Gestein\""});
}

// A table of one mineral (a frame per mineral): its suffix or none read, another mineral's
// suffix ignored and said, rows naming no mineral taken as of it, rows of another left out.
TEST(Layouts, ATableOfOneMineral) {
    reading how;
    how.only = mineral::clinopyroxene;
    const file_input in =
        read_table("C.csv",
                   "Sample,Mineral,SiO2_Cpx,TiO2,Al2O3,FeO,MnO,MgO,CaO,Na2O,K2O,SiO2_Grt\n"
                   "EC1,,55.6,0.08,9.8,4.4,0.03,8.2,13.6,7.1,0.01,38.5\n"
                   "EC1,Omp 2,55.4,0.08,9.8,4.4,0.03,8.2,13.6,7.1,0.01,38.5\n"
                   "EC1,Grt,38.5,0.05,21.7,25,0.5,6.4,8.6,0.02,0,38.5\n",
                   how);
    ASSERT_EQ(in.error, "");
    ASSERT_EQ(in.samples.size(), 1u);
    const auto &cpx = in.samples[0].analyses[1];
    ASSERT_EQ(cpx.size(), 2u);
    EXPECT_EQ(cpx[0].wt[SIO2], 55.6);
    EXPECT_EQ(cpx[1].wt[SIO2], 55.4);
    EXPECT_TRUE(in.samples[0].analyses[0].empty());
    EXPECT_NE(std::find(in.warnings.begin(), in.warnings.end(),
                        "C.csv: column \"SiO2_Grt\" (another mineral's suffix) ignored"),
              in.warnings.end());
    EXPECT_NE(std::find(in.warnings.begin(), in.warnings.end(),
                        "C.csv: rows of other minerals than clinopyroxene left out: \"Grt\" (1)"),
              in.warnings.end());
}

} // namespace
