// Today's data-file layout: six leading fields and the ten oxides in their order, each line
// read field by field as the dialogue reads a data file.
#include "tables/reader.hpp"

#include "io/io.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace varno96 {

namespace {

constexpr int leading_fields = 6;  // No, Sample, Min, #, Descr, Ox
constexpr std::size_t oxygens = 5; // the field of the oxygens, counted from 0
// Fields are read whole, so that samples whose names agree in their first 20 characters stay
// apart; an oxide value is read from its first 20, as the dialogue reads it.
constexpr std::size_t field_width = 255, value_width = 20;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool names_oxide(const std::string &field, int slot) {
    const std::string f = lower(field);
    if (f == lower(oxide_names[static_cast<std::size_t>(slot)])) return true;
    return slot == FEO - 1 && (f == "feot" || f == "feo*"); // all iron as FeO
}

struct text_line {
    int number;
    std::vector<std::string> fields;
};

// Splits text at CR LF, CR or LF and drops lines of blanks and tabs only.
std::vector<std::pair<int, std::string>> nonblank_lines(std::string_view text,
                                                        std::size_t most = std::string::npos) {
    std::vector<std::pair<int, std::string>> lines;
    int number = 1;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (line.find_first_not_of(" \t") != std::string::npos) {
            lines.emplace_back(number, line);
            if (lines.size() == most) break;
        }
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            end++;
        start = end + 1;
        number++;
    }
    return lines;
}

// The fields of every line through READSTR, which reads a line ended by CR LF field by field.
std::vector<text_line> split_fields(const std::string &name,
                                    const std::vector<std::pair<int, std::string>> &lines) {
    std::string buffer;
    for (const auto &[number, line] : lines) buffer += line + "\r\n";
    std::vector<text_line> result;
    if (buffer.empty()) return result;
    TEXTFILE file;
    file.NAME = name;
    file.F = fmemopen(buffer.data(), buffer.size(), "rb");
    if (file.F == nullptr) throw std::runtime_error(name + ": " + std::strerror(errno));
    struct closer {
        std::FILE *f;
        ~closer() {
            funlockfile(f);
            std::fclose(f);
        }
    } const close{file.F};
    flockfile(file.F); // once for the whole text, not for every character
    field_reader reader;
    for (const auto &[number, line] : lines) {
        text_line fields{number, {}};
        do fields.fields.push_back(reader.READSTR(file, field_width));
        while (!reader.ENDLN);
        result.push_back(std::move(fields));
    }
    return result;
}

bool datafile_header(const text_line &header) {
    bool ok = header.fields.size() >= leading_fields + NEL;
    for (int i = 0; ok && i < NEL; i++)
        ok = names_oxide(header.fields[static_cast<std::size_t>(leading_fields + i)], i);
    const std::size_t after = leading_fields + NEL;
    if (ok && header.fields.size() > after)
        ok = lower(header.fields[after]) == "total" ||
             std::all_of(header.fields.begin() + after, header.fields.end(),
                         [](const std::string &f) { return f == "0"; }); // empty fields
    return ok;
}

void add_problem(sample_input &s, const std::string &what) {
    s.problem += (s.problem.empty() ? "" : "; ") + what;
}

// Fields up to the last that is not empty (READSTR gives "0" for an empty one).
std::size_t width(const text_line &line) {
    std::size_t n = line.fields.size();
    while (n > 0 && line.fields[n - 1] == "0") n--;
    return n;
}

std::string count(std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// Places one analysis line in its sample; `columns` is the width of the header.
void take_line(sample_input &s, std::array<int, 3> &seen, const text_line &line,
               std::size_t columns) {
    const std::string at = s.file + " line " + std::to_string(line.number) + ": ";
    const std::size_t needed = leading_fields + NEL;
    const mineral m = line.fields.size() > 2 ? mineral_of(line.fields[2]) : mineral::unknown;
    const auto k = static_cast<std::size_t>(m);
    if (m != mineral::unknown) seen[k]++;
    if (line.fields.size() < needed) {
        add_problem(s, at + count(line.fields.size(), "field") + ", " + std::to_string(needed) +
                           " needed");
        return;
    }
    // A blank inside a field ("core rim") splits it and moves every field after it along:
    // the oxygens then hold a word. Fields after a sound line (a total) are ignored, as the
    // dialogue ignores them.
    REAL ox = 0;
    if (width(line) > columns && !READFIELD(line.fields[oxygens], ox)) {
        add_problem(s, at + "the oxygens field holds \"" + line.fields[oxygens] +
                           "\": a blank inside a field (such as \"core rim\") moves the oxides "
                           "along");
        return;
    }
    if (m == mineral::unknown) {
        add_problem(s, at + "unknown mineral \"" + line.fields[2] + "\"");
        return;
    }
    analysis a;
    a.line = line.number;
    for (int i = 1; i <= NEL; i++)
        a.wt[i] = READVALUE(
            line.fields[static_cast<std::size_t>(leading_fields + i - 1)].substr(0, value_width));
    s.analyses[k].push_back(std::move(a));
}

} // namespace

namespace detail {

bool read_datafile_layout(const std::string &file, std::string_view text, file_input &in) {
    const auto head = nonblank_lines(text, 1);
    if (head.empty() || !datafile_header(split_fields(file, head).front())) return false;
    const std::vector<text_line> lines = split_fields(file, nonblank_lines(text));
    // The lines naming each mineral of each sample.
    std::vector<std::array<int, 3>> seen;
    std::unordered_map<std::string, std::size_t> index;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        const std::string name = line->fields.size() > 1 ? line->fields[1] : "";
        const auto [it, added] = index.try_emplace(name, in.samples.size());
        if (added) {
            in.samples.push_back(sample_input{file, name, line->number, {}, {}});
            seen.push_back({0, 0, 0});
        }
        take_line(in.samples[it->second], seen[it->second], *line, width(lines.front()));
    }
    for (std::size_t i = 0; i < in.samples.size(); i++)
        for (std::size_t k = 0; k < 3; k++)
            if (seen[i][k] == 0)
                add_problem(in.samples[i], file + " line " + std::to_string(in.samples[i].line) +
                                               ": no " + mineral_names[k] + " analysis of " +
                                               "sample " + in.samples[i].name);
    return true;
}

} // namespace detail

} // namespace varno96
