// Shared by the reader targets: a table read twice, and what must hold of what was read. No
// calculation: only the readers and the units the samples make.
#pragma once

#include "api/combine.hpp"
#include "api/messages.hpp"
#include "fuzz_support.hpp"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace varno96::fuzz {

// The message names the file and a line: "<file> line <n>".
inline bool names_line(std::string_view message, std::string_view file) {
    const std::string at = std::string(file) + " line ";
    return message.starts_with(at) && message.size() > at.size() && message[at.size()] >= '1' &&
           message[at.size()] <= '9';
}

// Any message, however long its input, stays short: quotes are clipped, lists and remarks
// counted.
inline void check_message(std::string_view message) {
    if (message.size() > 65536)
        finding("a message of " + std::to_string(message.size()) + " bytes");
}

// The line a message makes on standard error holds no line end, nor any control character.
inline void check_line(std::string_view message) {
    for (char c : message_line(message))
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            finding("a message line holds a control character");
}

inline bool same(const analysis &a, const analysis &b) {
    for (int i = 1; i <= NEL; i++)
        if (std::memcmp(&a.wt[i], &b.wt[i], sizeof(REAL)) != 0) return false;
    return a.label == b.label && a.line == b.line && a.notes.text() == b.notes.text();
}

inline bool same(const file_input &a, const file_input &b) {
    if (a.error != b.error || a.warnings != b.warnings || a.samples.size() != b.samples.size())
        return false;
    for (std::size_t i = 0; i < a.samples.size(); i++) {
        const sample_input &s = a.samples[i], &t = b.samples[i];
        if (s.file != t.file || s.name != t.name || s.line != t.line || s.problem != t.problem)
            return false;
        for (std::size_t k = 0; k < 3; k++) {
            if (s.analyses[k].size() != t.analyses[k].size()) return false;
            for (std::size_t j = 0; j < s.analyses[k].size(); j++)
                if (!same(s.analyses[k][j], t.analyses[k][j])) return false;
        }
    }
    return true;
}

// Reads `text` twice as the file `file` and checks what was read; returns the first reading.
inline file_input read_and_check(const std::string &file, std::string_view text,
                                 const reading &how = {}) {
    file_input in = read_table(file, text, how);
    if (!same(in, read_table(file, text, how))) finding("the same text read twice reads otherwise");
    if (!in.error.empty()) {
        if (!in.samples.empty()) finding("a file refused has samples");
        // A file refused whole says what it is instead.
        const bool whole = in.error == file + ": no header line" ||
                           in.error == file + ": an Excel workbook" ||
                           in.error == file + ": not a text table";
        if (!names_line(in.error, file) && !whole) finding("a refusal names no line: " + in.error);
    }
    check_message(in.error);
    check_line(in.error);
    for (const std::string &w : in.warnings) check_message(w);
    for (const sample_input &s : in.samples) {
        if (s.line < 1) finding("a sample without its line");
        if (!s.problem.empty() && !names_line(s.problem, file))
            finding("a problem names no line: " + s.problem);
        check_message(s.problem);
        check_line(s.problem);
        for (const auto &list : s.analyses)
            for (const analysis &a : list) {
                if (a.line < s.line) finding("an analysis before its sample's first line");
                for (int i = 1; i <= NEL; i++)
                    if (!std::isfinite(a.wt[i])) finding("an oxide value that has no value");
                const std::string note = a.notes.text();
                if (!note.empty() && note.find(" line ") == std::string::npos &&
                    note.find("total iron") == std::string::npos)
                    finding("a note names no line: " + note);
                check_message(note);
            }
        for (const zr_spot &z : s.rutile)
            if (!(std::isfinite(z.ppm) && z.ppm > 0) || z.line < s.line)
                finding("a rutile spot without a Zr above 0 or before its sample's first line");
    }
    for (const combine_mode mode : {combine_mode::none, combine_mode::mean, combine_mode::each})
        for (const sample_unit &u :
             sample_units(in.samples, mode, front_end::command_line, {}, true)) {
            if (!u.problem.empty() && !names_line(u.problem, file))
                finding("a unit's problem names no line: " + u.problem);
            if (u.problem.empty() && (u.count[0] == 0 || u.count[1] == 0 || u.count[2] == 0))
                finding("a unit without a problem lacks a mineral");
            check_message(u.problem);
            check_message(u.note);
        }
    return in;
}

} // namespace varno96::fuzz
