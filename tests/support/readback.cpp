#include "support/readback.hpp"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace varno96::test {

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> r;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.push_back(line);
    }
    return r;
}

std::vector<std::string> words(const std::string &line) {
    std::vector<std::string> r;
    std::istringstream s(line);
    for (std::string w; s >> w;) r.push_back(w);
    return r;
}

std::size_t csv_table::column(const std::string &name) const {
    const auto i = std::find(header.begin(), header.end(), name);
    if (i == header.end()) throw std::runtime_error("no column " + name);
    return static_cast<std::size_t>(i - header.begin());
}

csv_table parse_csv(const std::string &text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '"') {
            for (i++; i < text.size() && (text[i] != '"' || text.compare(i, 2, "\"\"") == 0); i++)
                field += text[i] == '"' ? text[i++] : text[i];
            if (i++ >= text.size()) throw std::runtime_error("a quote not closed");
        } else {
            for (; i < text.size() && std::string(",\r\n").find(text[i]) == std::string::npos; i++)
                if (text[i] == '"')
                    throw std::runtime_error("a quote in an unquoted field");
                else
                    field += text[i];
        }
        records.back().push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == ',') {
            i++;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            i += 2;
            if (i < text.size()) records.emplace_back();
        } else {
            throw std::runtime_error("a record without CR LF");
        }
    }
    csv_table t{records.front(), {records.begin() + 1, records.end()}};
    for (const auto &row : t.rows)
        if (row.size() != t.header.size()) throw std::runtime_error("a row of the wrong width");
    return t;
}

std::string suite_text() { return slurp(fs::path(VARNO96_EXAMPLES) / "SUITE.PRN"); }

std::pair<std::string, std::vector<suite_sample>> suite() {
    const auto all = lines(suite_text());
    std::pair<std::string, std::vector<suite_sample>> r{all.at(0) + "\r\n", {}};
    for (std::size_t i = 1; i < all.size(); i++) {
        const std::string name = words(all[i]).at(1);
        if (r.second.empty() || r.second.back().name != name) r.second.push_back({name, ""});
        r.second.back().lines += all[i] + "\r\n";
    }
    return r;
}

std::string without_clauses(const std::string &note, const std::string &part) {
    std::string kept;
    for (std::size_t start = 0; start <= note.size();) {
        const std::size_t end = std::min(note.find("; ", start), note.size());
        const std::string clause = note.substr(start, end - start);
        if (clause.find(part) == std::string::npos && !clause.empty())
            kept += (kept.empty() ? "" : "; ") + clause;
        start = end + 2;
    }
    return kept;
}

} // namespace varno96::test
