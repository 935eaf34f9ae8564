// The samples of several tables as those of one: per-mineral exports joined by sample.
#include "tables/reader.hpp"

#include <algorithm>
#include <unordered_map>

namespace varno96 {

void say_missing(sample_input &s) {
    for (std::size_t k = 0; k < 3; k++) {
        if (s.seen[k] > 0) continue;
        s.problem += (s.problem.empty() ? "" : "; ") + line_place(s, s.line) + ": no " +
                     mineral_names[k] + " analysis of sample " + clipped(s.name);
    }
}

std::vector<sample_input> join_samples(std::vector<std::vector<sample_input>> inputs) {
    std::vector<sample_input> out;
    std::unordered_map<std::string, std::size_t> index;
    std::optional<std::size_t> unnamed; // the one sample of the tables without a sample column
    for (std::vector<sample_input> &samples : inputs)
        for (sample_input &s : samples) {
            std::optional<std::size_t> to;
            if (s.naming == sample_naming::column) {
                if (const auto it = index.find(s.name); it != index.end()) to = it->second;
            } else if (s.naming == sample_naming::file) {
                to = unnamed;
            }
            if (!to) {
                if (s.naming == sample_naming::column) index.emplace(s.name, out.size());
                if (s.naming == sample_naming::file) unnamed = out.size();
                s.files = {s.file};
                out.push_back(std::move(s));
                continue;
            }
            sample_input &t = out[*to];
            for (std::size_t k = 0; k < 3; k++) {
                for (analysis &a : s.analyses[k]) t.analyses[k].push_back(std::move(a));
                t.seen[k] += s.seen[k];
                t.unchosen[k] += s.unchosen[k];
            }
            for (const zr_spot &z : s.rutile) t.rutile.push_back(z);
            if (!s.problem.empty()) t.problem += (t.problem.empty() ? "" : "; ") + s.problem;
            for (const auto &[name, n] : s.others) t.others[name] += n;
            if (std::find(t.files.begin(), t.files.end(), s.file) == t.files.end())
                t.files.push_back(s.file);
            if (!t.unnamed) t.unnamed = std::move(s.unnamed);
        }
    for (sample_input &s : out) say_missing(s);
    return out;
}

} // namespace varno96
