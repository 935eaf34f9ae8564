// Batch reader: any bytes as a table, through the reader (either layout), the calculation of
// every sample under each way of combining analyses and each garnet model (and the Monte-Carlo
// passes for the first computable sample) and the CSV rows. Every sample gets either its numbers or
// a note; number columns hold finite decimal numbers or nothing; every row reads back as the fields
// it was made of.
#include "api/batch.hpp"
#include "api/csv.hpp"
#include "fuzz_support.hpp"
#include "state/textfile.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

using varno96::choices;
using varno96::fuzz::finding;

// One set of answers per model, between them every temperature choice and Cpx model.
std::vector<choices> variants() {
    std::vector<choices> r;
    for (int model = 1; model <= NMODELS; model++) {
        choices how;
        how.model = model;
        how.one_site = model % 2 == 0;
        how.t_c = 500 + 50 * model;
        how.powell = model % 3 == 1;
        if (model % 3 == 2) how.at_c = 700;
        r.push_back(how);
    }
    return r;
}

// RFC 4180 fields of one CSV line ended by CR LF.
std::vector<std::string> read_back(const std::string &line) {
    if (!line.ends_with("\r\n")) finding("a CSV row does not end with CR LF");
    const std::string body = line.substr(0, line.size() - 2);
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < body.size(); i++) {
        const char c = body[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < body.size() && body[i + 1] == '"')
                fields.back() += '"', i++;
            else
                quoted = false;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == '"' || c == '\r' || c == '\n') {
            finding("a quote or line end outside a quoted CSV field");
        } else {
            fields.back() += c;
        }
    }
    if (quoted) finding("a quoted CSV field is not closed");
    return fields;
}

bool decimal(const std::string &s) {
    std::size_t i = s.starts_with("-") ? 1 : 0;
    const std::size_t digits = s.find_first_not_of("0123456789", i);
    if (digits == i) return false;
    if (digits != std::string::npos) {
        if (s[digits] != '.' || digits + 1 == s.size() ||
            s.find_first_not_of("0123456789", digits + 1) != std::string::npos)
            return false;
    }
    return std::isfinite(std::strtod(s.c_str(), nullptr));
}

void check_row(const varno96::sample_unit &u, const varno96::sample_result &r, const choices &how,
               const varno96::batch_options &o, bool check_text) {
    const auto columns = varno96::result_columns(o);
    const auto cells = varno96::result_cells(u, r, how, o);
    if (cells.size() != columns.size()) finding("a CSV row has another number of fields");
    std::vector<std::string> fields;
    for (const auto &c : cells) fields.push_back(c.text);
    const std::string line = varno96::csv_line(cells);
    if (read_back(line) != fields) finding("a CSV row does not read back as its fields");
    if (check_text && varno96::fuzz::shows_no_value(line))
        finding("a CSV row shows a value that has none");
    const bool ok = u.problem.empty() && r.ok;
    std::string note;
    for (std::size_t i = 0; i < columns.size(); i++)
        if (columns[i].name == "note") note = fields[i];
    for (std::size_t i = 0; i < columns.size(); i++) {
        const std::string &n = columns[i].name, &f = fields[i];
        if (columns[i].type == varno96::column::text) continue;
        if (!f.empty() && !decimal(f)) finding("column " + n + " holds " + f);
        if (f.empty() != std::isnan(cells[i].value))
            finding("column " + n + " text and value disagree");
        // The lowest pressure has no value without a(jd), and the note says why.
        const bool lowest = n == "lna_jd" || n == "P_min_jd_kbar";
        const bool result = n == "T_C" || n == "P_kbar" || n == "P_minus50_kbar" ||
                            n == "P_plus50_kbar" || (n.starts_with("ln") && !lowest);
        if (ok && result && f.empty()) finding("a computed sample has no " + n);
        if (ok && lowest && f.empty() && note.find("P_min_jd: ") == std::string::npos)
            finding("a computed sample has no " + n + " and no note why");
    }
    if (!ok && note.empty()) finding("a sample without a result has no note");
    std::string pairs;
    for (const auto &row : varno96::pair_cells(u, r, o)) pairs += varno96::csv_line(row);
    if (check_text && varno96::fuzz::shows_no_value(pairs))
        finding("a Monte-Carlo pair shows a value that has none");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::vector<choices> ways = variants();
    const std::string text(reinterpret_cast<const char *>(data), size);
    // Sample names and notes quote the file: it may spell these itself.
    const bool check_text = !varno96::fuzz::shows_no_value(text);
    try {
        const varno96::file_input in = varno96::read_table("fuzz.PRN", text);
        bool monte_carlo_done = false;
        for (const auto mode : {varno96::combine_mode::none, varno96::combine_mode::mean,
                                varno96::combine_mode::each}) {
            varno96::batch_options o;
            o.combine = mode;
            o.formulae = true;
            const auto units = varno96::sample_units(in.samples, mode);
            // Every combination is one more of the same calculation: a few are enough.
            for (std::size_t i = 0; i < units.size() && i < 16; i++) {
                const varno96::sample_unit &u = units[i];
                for (const choices &how : ways) {
                    const auto r = u.problem.empty() ? varno96::compute_sample(u.wt, how)
                                                     : varno96::sample_result{};
                    check_row(u, r, how, o, check_text);
                }
                if (!monte_carlo_done && u.problem.empty()) {
                    choices how = ways.back();
                    how.monte_carlo = o.monte_carlo = true;
                    how.seed = -42;
                    check_row(u, varno96::compute_sample(u.wt, how), how, o, check_text);
                    monte_carlo_done = true;
                }
            }
        }
    } catch (const RUNEND &e) {
        finding("the batch path ended the run: " + e.MESSAGE);
    } catch (const std::exception &e) { finding(std::string("the batch path threw: ") + e.what()); }
    return 0;
}
