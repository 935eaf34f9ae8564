// Today's data-file layout: six leading fields and the ten oxides in their order, each line
// read field by field as the dialogue reads a data file.
#include "tables/named_columns.hpp"
#include "tables/reader.hpp"

#include "io/io.hpp"
#include "state/textfile.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <stdexcept>
#include <unordered_map>

namespace varno96 {

namespace {

constexpr int leading_fields = 6;  // No, Sample, Min, #, Descr, Ox
constexpr std::size_t oxygens = 5; // the field of the oxygens, counted from 0
// Fields are read whole, so that samples whose names agree in their first 20 characters stay
// apart, and a message quotes a field as it is; an oxide value is read from its first 20, as
// the dialogue reads it.
constexpr std::size_t field_width = std::string::npos, value_width = 20;

// The same letters, whatever their case.
bool alike(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); i++)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool names_oxide(const std::string &field, int slot) {
    if (alike(field, oxide_names[static_cast<std::size_t>(slot)])) return true;
    return slot == FEO - 1 && (alike(field, "feot") || alike(field, "feo*")); // all iron as FeO
}

struct text_line {
    int number;
    std::vector<std::string> fields;
};

// Splits text at CR LF, CR or LF and drops lines of blanks and tabs only; the lines are
// views into `text`.
std::vector<std::pair<int, std::string_view>> nonblank_lines(std::string_view text,
                                                             std::size_t most = std::string::npos) {
    std::vector<std::pair<int, std::string_view>> lines;
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
                                    std::span<const std::pair<int, std::string_view>> lines) {
    std::size_t size = 0;
    for (const auto &[number, line] : lines) size += line.size() + 2;
    std::string buffer;
    buffer.reserve(size);
    for (const auto &[number, line] : lines) {
        buffer += line;
        buffer += "\r\n";
    }
    std::vector<text_line> result;
    if (buffer.empty()) return result;
    result.reserve(lines.size());
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
        fields.fields.reserve(leading_fields + NEL + 1); // the layout's, and a total
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
        ok = alike(header.fields[after], "total") ||
             std::all_of(header.fields.begin() + after, header.fields.end(),
                         [](const std::string &f) { return f == "0"; }); // empty fields
    return ok;
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

// The fields of a line as READSTR cuts them, quotes kept, but with a comma kept in its field
// where `commas` is false or it stands inside quotes: there it is a decimal comma.
std::vector<std::string_view> fields_keeping_commas(std::string_view line, bool commas) {
    constexpr char ctrl_z = 26; // ends a line inside a field
    std::vector<std::string_view> fields;
    fields.reserve(leading_fields + NEL + 1);
    bool inside_quotes = false;
    const auto separates = [&](char c) {
        if (c == '"') inside_quotes = !inside_quotes;
        return c == ' ' || c == '\t' || (c == ',' && commas && !inside_quotes);
    };
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] == ' ') i++;
        const std::size_t start = i;
        bool end = i >= line.size();
        while (!end && !separates(line[i])) end = ++i >= line.size() || line[i] == ctrl_z;
        fields.push_back(line.substr(start, i - start));
        if (end) return fields;
        i++; // the separator
    }
}

// An oxide value as the named reader takes a cell: a number or a mark of a value below
// detection. Its value is read from its first 20 characters, as the dialogue reads it; a field
// those give another value or none is refused rather than read otherwise than it says.
bool read_value(const std::string &field, REAL &x, std::string &why) {
    REAL whole = 0;
    if (detail::read_number(field, false, whole) == detail::cell_kind::not_a_number) {
        why = quoted(field) + " is not a number";
        return false;
    }
    x = whole;
    if (field.size() <= value_width) return true;
    const std::string first = field.substr(0, value_width);
    const bool number = detail::read_number(first, false, x) != detail::cell_kind::not_a_number;
    if (number && std::abs(x - whole) <= 1e-9 * std::max(REAL(1), std::abs(whole))) return true;
    why = quoted(field) + " is read from its first " + std::to_string(value_width) +
          " characters, " + quoted(first) + (number ? ", as another number" : ", not a number");
    return false;
}

// Places one analysis line in its sample; `columns` is the width of the header, `commas`
// whether the header is cut at commas.
void take_line(sample_input &s, remarks &problem, std::array<int, 3> &seen, const text_line &line,
               std::string_view raw, std::size_t columns, bool commas, bool total_column) {
    const auto at = [&] { return s.file + " line " + std::to_string(line.number); };
    const std::size_t needed = leading_fields + NEL;
    const mineral m = line.fields.size() > 2 ? mineral_of(line.fields[2]) : mineral::unknown;
    const auto k = static_cast<std::size_t>(m);
    if (m != mineral::unknown) seen[k]++;
    if (line.fields.size() < needed) {
        problem.add(at(),
                    count(line.fields.size(), "field") + ", " + std::to_string(needed) + " needed",
                    {}, "line");
        return;
    }
    // A decimal comma cuts its value in two and moves every field after it along: the oxide
    // it stands in is named.
    bool cut = false;
    if (raw.find(',') != std::string_view::npos &&
        (!commas || raw.find('"') != std::string_view::npos)) {
        const auto kept = fields_keeping_commas(raw, commas);
        for (std::size_t i = 0; i < NEL && leading_fields + i < kept.size(); i++) {
            const std::string_view f = kept[leading_fields + i];
            if (f.find(',') == std::string_view::npos) continue;
            std::string value(f);
            value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
            problem.add(at() + ", column " + oxide_names[i], quoted(value) + " is not a number");
            cut = true;
        }
    }
    if (cut) return;
    // A blank inside a field ("core rim") splits it and moves every field after it along:
    // the oxygens then hold a word. Fields after a sound line (a total) are ignored, as the
    // dialogue ignores them.
    REAL ox = 0;
    if (width(line) > columns && !READFIELD(line.fields[oxygens], ox)) {
        problem.add(at(),
                    "the oxygens field holds " + quoted(line.fields[oxygens]) +
                        ": a blank inside a field (such as \"core rim\") moves the oxides along",
                    "the oxygens field holds a word", "line");
        return;
    }
    if (m == mineral::unknown) {
        problem.add(at(), "unknown mineral " + quoted(line.fields[2]), {}, "line");
        return;
    }
    analysis a;
    a.line = line.number;
    bool sound = true;
    for (std::size_t i = 0; i < NEL; i++) {
        std::string why;
        if (!read_value(line.fields[leading_fields + i], a.wt[static_cast<int>(i) + 1], why)) {
            problem.add(at() + ", column " + oxide_names[i], why);
            sound = false;
        }
    }
    // The line's total under the header's Total, read as a number or not at all: the dialogue
    // ignores it.
    REAL total = 0;
    if (total_column && width(line) > needed &&
        detail::read_number(line.fields[needed], false, total) == detail::cell_kind::value)
        a.total = total;
    if (sound) s.analyses[k].push_back(std::move(a));
}

} // namespace

namespace detail {

bool read_datafile_layout(const std::string &file, std::string_view text, file_input &in,
                          const reading &how) {
    const auto head = nonblank_lines(text, 1);
    if (head.empty()) return false;
    const text_line header = split_fields(file, head).front();
    if (!datafile_header(header)) return false;
    // The spots chosen by the fields of the header; the sample and mineral are the fields'.
    const std::string at_header = file + " line " + std::to_string(head.front().first);
    layout lay;
    std::vector<bool> used(header.fields.size());
    std::vector<std::string> names;
    for (const std::string &f : header.fields) names.push_back(quoted(f));
    if (!choose_columns(at_header, header.fields, how, list(names), lay, used, in.error))
        return true;
    if (!how.sample_column.empty() || !how.mineral_column.empty())
        in.warnings.push_back(file +
                              ": a data file: its samples and minerals are its second and third "
                              "fields, whatever the columns named for them");
    // READSTR reads each line to its end, so the lines after the header are cut alone.
    const auto raw = nonblank_lines(text);
    const std::vector<text_line> lines = split_fields(file, std::span(raw).subspan(1));
    const std::size_t columns = width(header);
    const bool commas = raw.front().second.find(',') != std::string::npos;
    const bool total_column = width(header) > leading_fields + NEL;
    // The lines naming each mineral of each sample.
    std::vector<std::array<int, 3>> seen;
    std::vector<remarks> problems;
    std::unordered_map<std::string, std::size_t> index;
    static const std::string no_name;
    for (std::size_t l = 0; l < lines.size(); l++) {
        const text_line &line = lines[l];
        const std::string &name = line.fields.size() > 1 ? line.fields[1] : no_name;
        const auto [it, added] = index.try_emplace(name, in.samples.size());
        if (added) {
            in.samples.push_back(sample_input{file, name, line.number, {}, {}});
            seen.push_back({0, 0, 0});
            problems.emplace_back();
        }
        const mineral m = line.fields.size() > 2 ? mineral_of(line.fields[2]) : mineral::unknown;
        if (m != mineral::unknown) {
            const auto k = static_cast<std::size_t>(m);
            if (!lay.unchoosable[k].empty()) {
                in.error = lay.unchoosable[k];
                in.samples.clear();
                return true;
            }
            const auto field = [&](std::size_t c) {
                return c < line.fields.size() ? std::string_view(line.fields[c])
                                              : std::string_view();
            };
            if (!chosen(lay, k, field)) {
                in.samples[it->second].unchosen[k]++;
                in.unchosen_rows++;
                continue;
            }
        }
        take_line(in.samples[it->second], problems[it->second], seen[it->second], line,
                  raw[l + 1].second, columns, commas, total_column);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < in.samples.size(); i++) {
        sample_input &s = in.samples[i];
        // A sample of which the choice of spots left no line is no sample: it is counted.
        if (seen[i] == std::array<int, 3>{} && problems[i].empty()) {
            in.unchosen_samples.push_back(quoted(s.name));
            continue;
        }
        s.seen = seen[i];
        if (!how.joined)
            for (std::size_t k = 0; k < 3; k++)
                if (seen[i][k] == 0)
                    problems[i].add(detail::joined({file, " line ", std::to_string(s.line)}),
                                    detail::joined({"no ", mineral_names[k], " analysis of sample ",
                                                    clipped(s.name)}));
        s.problem = problems[i].text();
        if (kept != i) in.samples[kept] = std::move(s);
        kept++;
    }
    in.samples.resize(kept);
    return true;
}

} // namespace detail

} // namespace varno96
