// varno96-batch against the dialogue: every sample of examples/SUITE.PRN run through varno96
// with the same answers gives the digits of its batch row and Monte-Carlo pairs; and a sample's
// row does not depend on the samples computed with it, before it or on another thread.
#include "api/batch.hpp"
#include "support/readback.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace varno96::test;

// Batch options, and the dialogue's answers from the temperature on: temperature, model,
// two-site (Enter) or one-site (n), uncertainty, keep T (Enter) or not (n) then Powell (y) or
// a new T, Monte-Carlo. With a seed, both programs run the Monte-Carlo passes on it.
struct setting {
    const char *name;
    std::vector<std::string> options;
    std::string answers;
    const char *seed = nullptr;
};

// clang-format off
const std::vector<setting> settings{
    {"model7", {"-m", "7", "-t", "650"}, "650\n7\n\n1\n\nn\n"},
    {"model7_powell", {"-m", "7", "-t", "650", "--powell"}, "650\n7\n\n1\nn\ny\nn\n"},
    {"model7_at600", {"-m", "7", "-t", "650", "--at", "600"}, "650\n7\n\n1\nn\nn\n600\nn\n"},
    {"model7_one_site", {"-m", "7", "-t", "650", "--one-site"}, "650\n7\nn\n1\n\nn\n"},
    {"model1", {"-m", "1", "-t", "700"}, "700\n1\n\n1\n\nn\n"},
    {"model2_powell", {"-m", "2", "-t", "650", "--powell"}, "650\n2\n\n1\nn\ny\nn\n"},
    {"model3_at550", {"-m", "3", "-t", "650", "--at", "550"}, "650\n3\n\n1\nn\nn\n550\nn\n"},
    {"model4_one_site", {"-m", "4", "-t", "600", "--one-site"}, "600\n4\nn\n1\n\nn\n"},
    {"model5_ideal", {"-m", "5", "-t", "650"}, "650\n5\n\n1\n\nn\n"},
    {"model6_powell", {"-m", "6", "-t", "600", "--powell"}, "600\n6\n\n1\nn\ny\nn\n"},
    {"model7_monte_carlo", {"-m", "7", "-t", "650", "-u", "1.5", "--monte-carlo"},
     "650\n7\n\n1.5\n\ny\n", "-42"},
    {"model6_monte_carlo_powell", {"-m", "6", "-t", "600", "--powell", "--monte-carlo"},
     "600\n6\n\n1\nn\ny\ny\n", "-7"},
    {"model7_monte_carlo_powell_runs_left_out",
     {"-m", "7", "-t", "650", "-u", "10", "--powell", "--monte-carlo"},
     "650\n7\n\n10\nn\ny\ny\n", "-3"},
    {"model5_one_site_monte_carlo_powell",
     {"-m", "5", "-t", "700", "--one-site", "--powell", "--monte-carlo"},
     "700\n5\nn\n1\nn\ny\ny\n", "-13"},
};

// Batch columns and the cell of the report's table (row, column) that gives each.
const std::vector<std::pair<std::string, std::pair<int, std::size_t>>> table_cells{
    {"T_C", {1, 0}}, {"P_kbar", {1, 1}}, {"P_minus50_kbar", {0, 1}}, {"P_plus50_kbar", {2, 1}},
    {"lna_prp", {1, 2}}, {"lna_grs", {1, 3}}, {"lna_di", {1, 4}}, {"lna_mica", {1, 5}},
    {"lnK", {1, 6}}};
// clang-format on

void PrintTo(const setting &s, std::ostream *os) { *os << s.name; }

using fields = std::map<std::string, std::string>;

// The numbers of a finished dialogue run, by batch column: the report's table and Monte-Carlo
// statistics and runs left out, the console's Powell estimate.
fields dialogue_numbers(const std::string &report, const std::string &console) {
    fields f{{"T_powell_C", ""}};
    const auto rows = lines(report);
    const std::vector<std::string> head{"T(C)",    "P(kbar)",   "lna(prp)", "lna(grs)",
                                        "lna(di)", "lna(Mica)", "lnK"};
    const auto at = std::find_if(rows.begin(), rows.end(),
                                 [&](const std::string &r) { return words(r) == head; });
    if (rows.end() - at < 4) {
        ADD_FAILURE() << "no result table in\n" << report;
        return f;
    }
    for (const auto &[column, cell] : table_cells)
        f[column] = words(at[1 + cell.first]).at(cell.second);
    for (const std::string &r : lines(console))
        if (r.rfind("Estimated T (Powell 1985) is ", 0) == 0) f["T_powell_C"] = words(r).at(5);
    int pass = 0, left_out = 0;
    for (auto r = at; r != rows.end(); ++r) {
        const auto w = words(*r);
        const std::string p = std::to_string(pass);
        if (r->rfind("Results of Monte-Carlo", 0) == 0) {
            const std::string n = std::to_string(++pass);
            f["P" + n + "_mean_kbar"] = f["P" + n + "_sd_kbar"] = "";
            f["T" + n + "_mean_C"] = f["T" + n + "_sd_C"] = "";
        } else if (w.size() == 5 && (w[0] == "P(kbar)" || w[0] == "T(C)")) {
            const std::string unit = w[0][0] == 'P' ? "_kbar" : "_C";
            f[w[0].substr(0, 1) + p + "_mean" + unit] = w[1];
            f[w[0].substr(0, 1) + p + "_sd" + unit] = w[2];
        } else if (r->find(" runs left out: ") != std::string::npos) {
            left_out += std::stoi(w.at(0));
        }
    }
    if (pass > 0) f["mc_left_out"] = std::to_string(left_out);
    return f;
}

// (pass, T, P) of VARNOPT.RES, where a blank line ends pass 1, or of the batch's pair rows.
std::vector<std::vector<std::string>> dialogue_pairs(const std::string &pt) {
    std::vector<std::vector<std::string>> r;
    int pass = 1;
    for (const std::string &line : lines(pt))
        if (const auto w = words(line); w.empty())
            pass++;
        else
            r.push_back({std::to_string(pass), w.at(0), w.at(1)});
    return r;
}

std::vector<std::vector<std::string>> batch_pairs(const csv_table &pt, const std::string &name) {
    std::vector<std::vector<std::string>> r;
    for (std::size_t i = 0; i < pt.rows.size(); i++)
        if (pt.at(i, "sample") == name)
            r.push_back({pt.at(i, "pass"), pt.at(i, "T_C"), pt.at(i, "P_kbar")});
    return r;
}

// The formula table of the dialogue's console, by batch column: each mineral's line of oxides
// with their total, and the line of cations with their sum below it.
fields dialogue_formulae(const std::string &console) {
    const std::vector<std::string> oxides{"SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO",  "MnO",
                                          "MgO",  "CaO",  "Na2O",  "K2O",   "total"},
        cations{"Si", "Ti", "Al", "Fe3", "Fe2", "Mn", "Mg", "Ca", "Na", "K", "sum"};
    fields f;
    const auto out = lines(console);
    for (const auto &[label, prefix] : std::vector<std::pair<std::string, std::string>>{
             {"Garnet  ", "grt_"}, {"Clinopx ", "cpx_"}, {"Phengite", "phe_"}}) {
        const std::string &start = label; // Clang 14 cannot capture a structured binding
        const auto at = std::find_if(out.begin(), out.end(),
                                     [&](const std::string &l) { return l.rfind(start, 0) == 0; });
        if (out.end() - at < 2) continue;
        const auto wt = words(*at), cat = words(at[1]);
        for (std::size_t j = 0; j < oxides.size(); j++) {
            f[prefix + oxides[j]] = wt.at(j + 1);
            f[prefix + cations[j]] = cat.at(j);
        }
    }
    return f;
}

class Agreement : public ::testing::TestWithParam<setting> {};

TEST_P(Agreement, EverySampleOfTheSuiteGivesTheDialoguesDigits) {
    const setting &s = GetParam();
    const auto [header, samples] = suite();
    scratch batch_dir;
    batch_dir.write("SUITE.PRN", suite_text());
    std::vector<std::string> args = s.options, seed;
    if (s.seed) {
        seed = {"--seed", s.seed};
        // The dialogue's runs perturb the analyses with the ferric iron first estimated.
        args.insert(args.end(), {"--seed", s.seed, "--ferric-in-runs", "once", "--pt", "pt.csv"});
    }
    args.insert(args.end(), {"--formulae", "SUITE.PRN", "-o", "rows.csv"});
    const run_result b = run(VARNO96_BATCH, args, batch_dir);
    EXPECT_EQ(b.status, 1) << b.err; // RT2 has no result
    // After the table, once: the count of the rows without a result.
    EXPECT_EQ(b.err, "varno96-batch: 1 of 7 rows without a result (its note says why)\n");
    const csv_table rows = parse_csv(batch_dir.read("rows.csv"));
    const csv_table pt = s.seed ? parse_csv(batch_dir.read("pt.csv")) : csv_table{};
    ASSERT_EQ(rows.rows.size(), 7u);

    for (std::size_t i = 0; i < samples.size(); i++) {
        SCOPED_TRACE("sample " + samples[i].name);
        ASSERT_EQ(rows.at(i, "sample"), samples[i].name);
        scratch dir;
        dir.write("ONE.PRN", header + samples[i].lines);
        const run_result d = run(VARNO96_DIALOGUE, seed, dir, "y\ny\nONE.PRN\ny\n" + s.answers);
        if (d.status != 0) { // no result: the note holds the words of the dialogue's message
            EXPECT_EQ(d.status, 1);
            ASSERT_EQ(d.err.rfind("varno96: ", 0), 0u) << d.err;
            EXPECT_EQ(rows.at(i, "note") + "\n", d.err.substr(9));
            for (const char *column : {"T_C", "P_kbar", "lnK", "T_powell_C"})
                EXPECT_EQ(rows.at(i, column), "") << column;
            // The minerals after the one without a value are not recalculated.
            EXPECT_NE(rows.at(i, "grt_SiO2"), "");
            for (const char *column : {"cpx_SiO2", "cpx_sum", "phe_K2O", "phe_Si"})
                EXPECT_EQ(rows.at(i, column), "") << column;
        } else {
            EXPECT_EQ(d.err, "");
            const std::string report = dir.read("VARNO.RES");
            const fields want = dialogue_numbers(report, d.out);
            for (const auto &[column, value] : want) EXPECT_EQ(rows.at(i, column), value) << column;
            const fields formulae = dialogue_formulae(d.out);
            EXPECT_EQ(formulae.size(), 3u * 22);
            for (const auto &[column, value] : formulae)
                EXPECT_EQ(rows.at(i, column), value) << column;
            EXPECT_EQ(want.count("mc_left_out"), s.seed ? 1u : 0u);
            // The dialogue's clinopyroxene formula: whether charge balance made most of its
            // iron ferric, which the note says.
            EXPECT_EQ(rows.at(i, "note").find("clinopyroxene: charge balance makes ") !=
                          std::string::npos,
                      std::stod(formulae.at("cpx_Fe3")) > std::stod(formulae.at("cpx_Fe2")));
            if (!s.seed || want.at("mc_left_out") == "0") {
                EXPECT_EQ(without_cpx_ferric(rows.at(i, "note")), "");
            }
            for (const std::string &r : lines(report)) { // why runs were left out
                if (const auto k = r.find(" runs left out: "); k != std::string::npos) {
                    EXPECT_NE(rows.at(i, "note").find(r.substr(k + 16)), std::string::npos) << r;
                }
            }
        }
        if (s.seed) {
            EXPECT_EQ(rows.at(i, "mc_seed"), s.seed);
            EXPECT_EQ(batch_pairs(pt, samples[i].name), dialogue_pairs(dir.read("VARNOPT.RES")));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, Agreement, ::testing::ValuesIn(settings),
                         [](const auto &p) { return std::string(p.param.name); });

// --ferric-in-runs once gives the numbers of the runs as they were before ferric iron could be
// estimated in each run: the table as that batch wrote it (once-before.csv, thermometers and
// formulae included), cell for cell, notes only added to, and the columns added since only
// added: n_<key>, the runs' centres (means and percentiles) and pass 2's correlation.
TEST(FerricInRuns, OnceGivesTheRowsOfBefore) {
    scratch dir;
    dir.write("SUITE.PRN", suite_text());
    const run_result b =
        run(VARNO96_BATCH,
            {"-m", "6", "-t", "600", "--powell", "-u", "1.5", "--seed", "-5", "--monte-carlo",
             "--thermometers", "all", "--formulae", "--ferric-in-runs", "once", "SUITE.PRN"},
            dir);
    const csv_table got = parse_csv(b.out);
    const csv_table want =
        parse_csv(slurp(std::filesystem::path(VARNO96_TESTS) / "batch" / "once-before.csv"));
    ASSERT_EQ(got.rows.size(), want.rows.size());
    std::vector<std::string> added;
    for (const std::string &name : got.header)
        if (std::find(want.header.begin(), want.header.end(), name) == want.header.end())
            added.push_back(name);
    std::vector<std::string> since{"lna_jd",      "P_min_jd_kbar", // the lowest pressure
                                   "P2_p16_kbar", "P2_p50_kbar",   "P2_p84_kbar", "T2_p16_C",
                                   "T2_p50_C",    "T2_p84_C",      "rho2"};
    for (const varno96::thermometry::calibration &c : varno96::thermometry::calibrations) {
        const std::string k(c.name);
        for (const char *stat : {"mean", "p16", "p50", "p84"})
            since.insert(since.end(),
                         {"T_" + k + "_" + stat + "_C", "P_" + k + "_" + stat + "_kbar"});
        since.push_back("n_" + k);
    }
    for (const varno96::thermometry::zr_calibration &c : varno96::thermometry::zr_calibrations) {
        const std::string k(c.name); // every column of the Zr-in-rutile keys, all empty here
        for (const char *stat : {"", "_sd", "_mean", "_p16", "_p50", "_p84"})
            since.insert(since.end(), {"T_" + k + stat + "_C", "P_" + k + stat + "_kbar"});
        since.insert(since.end(), {"rho_" + k, "n_" + k});
    }
    std::sort(added.begin(), added.end());
    std::sort(since.begin(), since.end());
    EXPECT_EQ(added, since);
    EXPECT_EQ(got.header.size(), want.header.size() + added.size());
    for (const std::string &name : want.header)
        for (std::size_t r = 0; r < want.rows.size(); r++) {
            if (name == "note") { // each of its notes still there, in its place among others
                const std::string note = got.at(r, name), before = want.at(r, name);
                for (std::size_t at = 0; at < before.size();) {
                    std::size_t end = before.find("; ", at);
                    if (end == std::string::npos) end = before.size();
                    EXPECT_NE(note.find(before.substr(at, end - at)), std::string::npos) << note;
                    at = end + 2;
                }
            } else
                EXPECT_EQ(got.at(r, name), want.at(r, name)) << "row " << r << ", " << name;
        }
}

// A batch's rows without the file column, and its pairs, by sample.
using by_sample =
    std::map<std::string,
             std::pair<std::vector<std::string>, std::vector<std::vector<std::string>>>>;

by_sample run_batch(const std::string &text) {
    scratch dir;
    dir.write("IN.PRN", text);
    run(VARNO96_BATCH,
        {"-m", "6", "-t", "620", "--powell", "--monte-carlo", "--seed", "-9", "--pt", "pt.csv",
         "IN.PRN", "-o", "rows.csv"},
        dir);
    const csv_table rows = parse_csv(dir.read("rows.csv")), pt = parse_csv(dir.read("pt.csv"));
    by_sample r;
    for (auto row : rows.rows) {
        const std::string name = row.at(rows.column("sample"));
        row.erase(row.begin() + static_cast<std::ptrdiff_t>(rows.column("file")));
        r[name] = {row, batch_pairs(pt, name)};
    }
    return r;
}

TEST(Independence, ASampleGivesTheSameRowAloneInTheSuiteAndInReverseOrder) {
    const auto [header, samples] = suite();
    const auto together = run_batch(suite_text());
    ASSERT_EQ(together.size(), samples.size());
    std::string reversed = header;
    for (auto s = samples.rbegin(); s != samples.rend(); ++s) reversed += s->lines;
    EXPECT_EQ(run_batch(reversed), together);
    for (const auto &s : samples) {
        const auto alone = run_batch(header + s.lines);
        ASSERT_EQ(alone.size(), 1u);
        EXPECT_EQ(alone.at(s.name), together.at(s.name)) << s.name;
    }
}

// In the library: each sample is computed on a calculation of its own.

// Every cell of a unit's row and Monte-Carlo pairs: the text, and the value to the last bit.
std::string digits(const varno96::sample_unit &u, const varno96::batch_options &o) {
    const varno96::choices how = varno96::choices_of(o);
    const varno96::sample_result r = varno96::compute_sample(u.wt, how);
    std::string d = r.ok ? "ok" : "no result";
    const auto add = [&d](const std::vector<varno96::cell> &cells) {
        for (const varno96::cell &c : cells) {
            char bits[64];
            std::snprintf(bits, sizeof bits, "%a", c.value);
            d += "|" + c.text + "=" + bits;
        }
        d += "\n";
    };
    add(varno96::result_cells(u, r, how, o));
    for (const auto &pair : varno96::pair_cells(u, r, o)) add(pair);
    return d;
}

// Model 6 with Powell temperatures, and model 7 at the trial temperature, each with both
// Monte-Carlo passes: every step of the calculation, and either temperature choice.
std::vector<varno96::batch_options> all_steps() {
    varno96::batch_options powell, fixed;
    powell.model = 6, powell.temperature = 620, powell.powell = true;
    fixed.model = 7, fixed.temperature = 650, fixed.uncertainty = 1.5;
    for (varno96::batch_options *o : {&powell, &fixed})
        o->monte_carlo = true, o->seed = -9, o->formulae = true;
    return {powell, fixed};
}

struct suite_units {
    varno96::file_input in = varno96::read_table("SUITE.PRN", suite_text());
    std::vector<varno96::sample_unit> all =
        varno96::sample_units(in.samples, varno96::combine_mode::none);
};

TEST(Independence, ASampleAfterOnesWithoutAResultGivesItsDigitsAlone) {
    const suite_units s;
    // Samples that fail at the garnet (RT2 has no MgO) and at the phengite, the last mineral,
    // with the garnet parameters, formulae and activities of the first two left behind.
    std::vector<varno96::sample_unit> failing, good;
    for (const varno96::sample_unit &u : s.all) (u.in->name == "RT2" ? failing : good).push_back(u);
    ASSERT_EQ(failing.size(), 1u);
    failing.push_back(good.front());
    failing.back().wt.mica[MGO] = 0;
    for (const varno96::batch_options &o : all_steps())
        for (const varno96::sample_unit &u : good) {
            std::string alone; // on a thread of its own: nothing computed before it
            std::thread([&] { alone = digits(u, o); }).join();
            ASSERT_EQ(alone.rfind("ok", 0), 0u) << u.in->name;
            for (const varno96::batch_options &before : all_steps())
                for (const varno96::sample_unit &f : failing) {
                    ASSERT_EQ(digits(f, before).rfind("no result", 0), 0u);
                    EXPECT_TRUE(digits(u, o) == alone) << u.in->name; // long rows: no diff
                }
        }
}

TEST(Independence, TwoThreadsGiveEachSampleTheDigitsOfOne) {
    const suite_units s;
    const varno96::batch_options o = all_steps().front();
    std::vector<std::string> one;
    for (const varno96::sample_unit &u : s.all) one.push_back(digits(u, o));
    // Both threads through the whole suite at once, in opposite orders, several times over.
    std::vector<std::string> wrong[2];
    const auto work = [&](int k) {
        for (int round = 0; round < 3; round++)
            for (std::size_t n = 0; n < s.all.size(); n++) {
                const std::size_t i = k == 0 ? n : s.all.size() - 1 - n;
                if (digits(s.all[i], o) != one[i]) wrong[k].push_back(s.all[i].in->name);
            }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_EQ(wrong[0], std::vector<std::string>{});
    EXPECT_EQ(wrong[1], std::vector<std::string>{});
}

} // namespace
