// The options of a batch as the calculation's answers, and what a batch says of its rows and
// inputs.
#include "api/table.hpp"

#include "api/options.hpp"
#include "state/random.hpp"

namespace varno96 {

std::string option_error(const batch_options &o) {
    const auto refusal = check_options(o);
    return refusal ? command_line_words(*refusal) : std::string();
}

choices choices_of(const batch_options &o) {
    choices how;
    how.model = static_cast<int>(o.model);
    how.one_site = o.one_site;
    how.t_c = o.temperature;
    how.powell = o.powell;
    how.at_c = o.at;
    how.uncertainty = o.uncertainty;
    how.monte_carlo = o.monte_carlo;
    how.seed = static_cast<std::int16_t>(o.seed ? *o.seed : clock_seed());
    how.thermometers = o.thermometers;
    return how;
}

std::string unit_name(const sample_unit &u) {
    std::string name = u.in->name;
    if (!u.labels[0].empty()) name += " " + u.labels[0] + "/" + u.labels[1] + "/" + u.labels[2];
    return name;
}

std::string batch_title(const std::vector<std::string> &files, const choices &how) {
    std::string title;
    for (const std::string &f : files)
        title += (title.empty() ? "" : ", ") + f.substr(f.find_last_of("/\\") + 1);
    title +=
        ": model " + std::to_string(how.model) + (how.one_site ? ", 1-site" : ", 2-site") + " Cpx";
    if (how.powell) title += ", Powell T";
    return title;
}

std::string message_line(std::string_view message) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(message.size());
    for (const char c : message) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            line += c;
            continue;
        }
        line += '\\';
        switch (c) {
        case '\0':
            line += '0';
            break;
        case '\n':
            line += 'n';
            break;
        case '\r':
            line += 'r';
            break;
        case '\t':
            line += 't';
            break;
        default:
            line += 'x';
            line += hex[u >> 4];
            line += hex[u & 0xF];
        }
    }
    return line;
}

std::string rows_summary(std::size_t without_result, std::size_t rows) {
    if (without_result == 0) return {};
    return grouped(without_result) + " of " + grouped(rows) + " row" + (rows == 1 ? "" : "s") +
           " without a result (" + (without_result == 1 ? "its" : "their") + " note says why)";
}

std::vector<std::string> file_messages(const file_input &in, const std::string &file) {
    std::vector<std::string> said = in.warnings;
    if (!in.error.empty())
        said.push_back(in.error);
    else if (in.samples.empty())
        said.push_back(file + ": no analysis after the header");
    return said;
}

} // namespace varno96
