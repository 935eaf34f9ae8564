// Test support for what the programs write: text split into lines and words, CSV tables read
// back, and the samples of the example suite (VARNO96_EXAMPLES is set by the build).
#pragma once

#include "support/scratch.hpp"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace varno96::test {

// Lines split at LF without a trailing CR; words split at blanks.
std::vector<std::string> lines(const std::string &text);
std::vector<std::string> words(const std::string &line);

// A CSV table read by RFC 4180; throws when a record does not end in CR LF, a quote is not
// closed, or a row is not as wide as the header.
struct csv_table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::size_t column(const std::string &name) const; // throws when there is none
    const std::string &at(std::size_t row, const std::string &name) const {
        return rows.at(row).at(column(name));
    }
};
csv_table parse_csv(const std::string &text);

// examples/SUITE.PRN: its text, and its header line and each sample's three lines (CR LF).
struct suite_sample {
    std::string name, lines;
};
std::string suite_text();
std::pair<std::string, std::vector<suite_sample>> suite();

// A row's note without its clauses that hold `part`.
std::string without_clauses(const std::string &note, const std::string &part);
// Without the clause that most omphacites of the suite carry (charge balance making more than
// half of their iron ferric), for the tests of notes that are otherwise empty.
inline std::string without_cpx_ferric(const std::string &note) {
    return without_clauses(note, "clinopyroxene: charge balance makes ");
}
// Without the clause of cells below detection read as 0, which a data file cannot have.
inline std::string without_below_detection(const std::string &note) {
    return without_clauses(note, " below detection, read as 0");
}

} // namespace varno96::test
