#include "scene/results.hpp"

#include "io/io.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace varno96::plot {

namespace {

// The file's lines without their ends: CR LF, LF or a bare CR.
std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find_first_of("\r\n", from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::vector<std::string> words(const std::string &line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::string trim(const std::string &s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool blank(const std::string &line) { return trim(line).empty(); }

std::optional<double> number(const std::string &word) {
    // The program's own number syntax: the report and the pairs are its own output.
    REAL value = 0;
    if (!READREAL(word, value)) return std::nullopt;
    return value;
}

std::string at_line(const std::string &name, std::size_t index) {
    return name + ": line " + std::to_string(index + 1) + ": ";
}

// "Grt: <model, padded>     2-site Cpx"
void read_models(const std::string &line, run_report &report) {
    std::string rest = trim(line.substr(line.find("Grt:") + 4));
    const auto cpx = rest.rfind("-site Cpx");
    if (cpx != std::string::npos && cpx > 0) {
        const auto start = rest.find_last_of(" \t", cpx);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        report.cpx_model = rest.substr(from);
        rest = trim(rest.substr(0, from));
    }
    report.garnet_model = rest;
}

// The keyboard label stands on the line before the models; a data file's name two lines
// before, after "Data from".
void read_sample(const std::vector<std::string> &lines, std::size_t models, run_report &report) {
    if (models >= 1 && !blank(lines[models - 1])) {
        report.sample = trim(lines[models - 1]);
        return;
    }
    static const std::string data_from = "Data from ";
    if (models >= 2 && lines[models - 2].starts_with(data_from)) {
        report.sample = trim(lines[models - 2].substr(data_from.size()));
        report.from_file = true;
    }
}

void read_statistic(const std::vector<std::string> &w, pass_summary &pass) {
    if (w.size() < 3) return;
    const auto mean = number(w[1]), sd = number(w[2]);
    if (!mean || !sd) return;
    if (w[0] == "T(C)") pass.t_mean = mean, pass.t_sd = sd;
    if (w[0] == "P(kbar)") pass.p_mean = mean, pass.p_sd = sd;
}

bool left_out_line(const std::vector<std::string> &w) {
    return w.size() >= 6 && number(w[0]) && w[1] == "of" && number(w[2]) && w[3] == "runs" &&
           w[4] == "left" && w[5].starts_with("out");
}

} // namespace

run_report parse_report(const std::string &text, const std::string &name) {
    const std::vector<std::string> lines = split_lines(text);
    run_report report;
    std::size_t i = 0;
    while (i < lines.size() && !trim(lines[i]).starts_with("Grt:")) i++;
    // A run that ended before its calculation has no models and no table.
    if (i == lines.size()) throw input_error(name + ": no result table (T(C) P(kbar) ...)");
    read_models(lines[i], report);
    read_sample(lines, i, report);

    while (i < lines.size()) {
        const auto w = words(lines[i]);
        if (w.size() >= 2 && w[0] == "T(C)" && w[1] == "P(kbar)") break;
        i++;
    }
    if (i == lines.size()) throw input_error(name + ": no result table (T(C) P(kbar) ...)");
    for (std::size_t row = 0; row < 3; row++) {
        const std::size_t at = i + 1 + row;
        const auto w = at < lines.size() ? words(lines[at]) : std::vector<std::string>{};
        const auto t = w.size() >= 2 ? number(w[0]) : std::nullopt;
        const auto p = w.size() >= 2 ? number(w[1]) : std::nullopt;
        if (!t || !p)
            throw input_error(at_line(name, at) + "the result table has " + std::to_string(row) +
                              (row == 1 ? " row" : " rows") + ", not three");
        report.table[row] = {*t, *p};
    }

    for (i += 4; i < lines.size(); i++) {
        if (trim(lines[i]).starts_with("Results of Monte-Carlo error propagation")) {
            report.passes.emplace_back();
            continue;
        }
        if (report.passes.empty()) continue;
        const auto w = words(lines[i]);
        if (left_out_line(w))
            report.passes.back().left_out.push_back(trim(lines[i]));
        else
            read_statistic(w, report.passes.back());
    }
    return report;
}

pt_pairs parse_pt_pairs(const std::string &text, const std::string &name) {
    const std::vector<std::string> lines = split_lines(text);
    pt_pairs pairs;
    int pass = 1; // 3 once both passes have ended
    for (std::size_t i = 0; i < lines.size(); i++) {
        if (blank(lines[i])) {
            if (pass <= 2) pass++;
            continue;
        }
        if (pass == 3) throw input_error(at_line(name, i) + "pairs after the end of pass 2");
        const auto w = words(lines[i]);
        const auto t = w.size() == 2 ? number(w[0]) : std::nullopt;
        const auto p = w.size() == 2 ? number(w[1]) : std::nullopt;
        if (!t || !p) throw input_error(at_line(name, i) + "not a pair of numbers T P");
        (pass == 1 ? pairs.pass1 : pairs.pass2).push_back({*t, *p});
    }
    if (pass < 3 && !lines.empty())
        throw input_error(name + ": ends within pass " + std::to_string(pass) +
                          "; each pass ends with a blank line");
    pairs.present = pass == 3;
    return pairs;
}

std::filesystem::path report_path(const std::filesystem::path &folder) {
    const auto res = folder / "VARNO.RES", lpt = folder / "LPT1";
    std::error_code ec;
    if (!std::filesystem::exists(res, ec) && std::filesystem::is_regular_file(lpt, ec)) return lpt;
    return res;
}

namespace {

std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::optional<std::string> pass_mismatch(const pass_summary &printed,
                                         const std::vector<pt_point> &cloud, double fixed_t,
                                         const std::string &which) {
    if (printed.p_mean.has_value() != (cloud.size() >= 2))
        return which + " has " + std::to_string(cloud.size()) + " pairs but the report " +
               (printed.p_mean ? "has statistics of them" : "has no statistics");
    if (cloud.empty()) return std::nullopt;
    const cloud_stats s = describe(cloud);
    // Pairs are printed to 1 degree and 0.01 kbar, the means to 1 degree and 0.001 kbar.
    if (printed.p_mean && std::fabs(s.mean.p_kbar - *printed.p_mean) > 0.0056)
        return which + ": mean P " + fixed(s.mean.p_kbar, 3) + " kbar of the pairs, " +
               fixed(*printed.p_mean, 3) + " in the report";
    if (printed.t_mean && std::fabs(s.mean.t_c - *printed.t_mean) > 1.001)
        return which + ": mean T " + fixed(s.mean.t_c, 0) + " C of the pairs, " +
               fixed(*printed.t_mean, 0) + " in the report";
    if (printed.p_mean && !printed.t_mean) {
        for (const pt_point &q : cloud)
            if (std::fabs(q.t_c - fixed_t) > 0.001)
                return which + ": T " + fixed(q.t_c, 0) + " C among the pairs, but the report " +
                       "holds T fixed at " + fixed(fixed_t, 0) + " C";
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> mismatch(const run_report &report, const pt_pairs &pairs) {
    const std::size_t file_passes = pairs.present ? 2 : 0;
    if (report.passes.size() != file_passes)
        return "the report has " + std::to_string(report.passes.size()) +
               " Monte-Carlo passes, the pairs file " + std::to_string(file_passes);
    if (!pairs.present) return std::nullopt;
    const double fixed_t = report.table[1].t_c;
    if (auto why = pass_mismatch(report.passes[0], pairs.pass1, fixed_t, "pass 1")) return why;
    return pass_mismatch(report.passes[1], pairs.pass2, fixed_t, "pass 2");
}

bool temperature_varies(const run_report &report, const pt_pairs &pairs) {
    for (const pass_summary &pass : report.passes) {
        if (pass.t_mean) return true;
        if (pass.p_mean) return false;
    }
    return !one_temperature(pairs);
}

bool one_temperature(const pt_pairs &pairs) {
    std::optional<double> t;
    for (const auto *cloud : {&pairs.pass1, &pairs.pass2})
        for (const pt_point &q : *cloud) {
            if (t && q.t_c != *t) return false;
            t = q.t_c;
        }
    return true;
}

} // namespace varno96::plot
