#include "batch/csv.hpp"

#include "io/textio.hpp"

#include <cmath>

namespace varno96 {

namespace {

// Fixed notation with d decimals, as the report rounds; empty when there is no value.
std::string fixed(const std::optional<double> &x, int d) {
    return x && std::isfinite(*x) ? FMT(*x, 0, d) : std::string();
}

} // namespace

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csv_line(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); i++) line += (i ? "," : "") + csv_field(fields[i]);
    return line + "\r\n";
}

std::vector<std::string> result_columns(bool monte_carlo) {
    std::vector<std::string> c{"file",   "sample",         "model",         "cpx",        "T_C",
                               "P_kbar", "P_minus50_kbar", "P_plus50_kbar", "lna_prp",    "lna_grs",
                               "lna_di", "lna_mica",       "lnK",           "T_powell_C", "note"};
    if (monte_carlo)
        c.insert(c.end(), {"mc_seed", "P1_mean_kbar", "P1_sd_kbar", "P2_mean_kbar", "P2_sd_kbar",
                           "T1_mean_C", "T1_sd_C", "T2_mean_C", "T2_sd_C", "mc_left_out"});
    return c;
}

std::vector<std::string> result_fields(const sample_input &in, const sample_result &r,
                                       const choices &how) {
    using opt = std::optional<double>;
    const auto row = [&](std::size_t k) { return r.ok ? opt(r.rows[k].p_kbar) : opt(); };
    const table_row &mid = r.rows[1];
    const auto term = [&](double x) { return fixed(r.ok ? opt(x) : opt(), 4); };
    std::vector<std::string> f{in.file,
                               in.name,
                               std::to_string(how.model),
                               how.one_site ? "1-site" : "2-site",
                               fixed(r.ok ? opt(mid.t_c) : opt(), 0),
                               fixed(row(1), 2),
                               fixed(row(0), 2),
                               fixed(row(2), 2),
                               term(mid.lna_prp),
                               term(mid.lna_grs),
                               term(mid.lna_di),
                               term(mid.lna_mica),
                               term(mid.lnk),
                               fixed(r.ok ? r.t_powell : opt(), 0),
                               r.note};
    if (!how.monte_carlo) return f;
    f.push_back(std::to_string(how.seed));
    const pass_result none;
    const pass_result &p1 = r.ok && r.passes ? (*r.passes)[0] : none;
    const pass_result &p2 = r.ok && r.passes ? (*r.passes)[1] : none;
    f.insert(f.end(),
             {fixed(p1.p_mean, 3), fixed(p1.p_sd, 3), fixed(p2.p_mean, 3), fixed(p2.p_sd, 3),
              fixed(p1.t_mean, 0), fixed(p1.t_sd, 0), fixed(p2.t_mean, 0), fixed(p2.t_sd, 0)});
    f.push_back(r.ok && r.passes ? std::to_string(p1.left_out + p2.left_out) : "");
    return f;
}

std::vector<std::string> pair_columns() { return {"file", "sample", "pass", "T_C", "P_kbar"}; }

std::string pair_lines(const sample_input &in, const sample_result &r) {
    std::string lines;
    if (!r.ok || !r.passes) return lines;
    for (int j = 1; j <= 2; j++)
        for (const auto &[t, p] : (*r.passes)[static_cast<std::size_t>(j - 1)].pairs)
            lines += csv_line({in.file, in.name, std::to_string(j), FMT(t, 0, 0), FMT(p, 0, 2)});
    return lines;
}

} // namespace varno96
