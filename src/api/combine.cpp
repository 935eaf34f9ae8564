#include "api/combine.hpp"

#include <algorithm>
#include <string>

namespace varno96 {

namespace {

std::string count(std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

std::string unit_name(const sample_unit &u) {
    std::string name = u.in->name;
    if (!u.labels[0].empty()) name += " " + u.labels[0] + "/" + u.labels[1] + "/" + u.labels[2];
    if (!u.rt_label.empty()) name += "/" + u.rt_label;
    return name;
}

namespace {
// The rows of a sample combined each with each: its analyses' combinations, each with each
// rutile spot when `per_rutile_spot`.
std::size_t combinations_of(const sample_input &s, bool per_rutile_spot) {
    return s.analyses[0].size() * s.analyses[1].size() * s.analyses[2].size() *
           (per_rutile_spot ? std::max<std::size_t>(s.rutile.size(), 1) : 1);
}
} // namespace

std::size_t unit_count(const sample_input &s, combine_mode mode, bool per_rutile_spot) {
    if (mode != combine_mode::each || !s.problem.empty()) return 1;
    const std::size_t combinations = combinations_of(s, per_rutile_spot);
    return combinations > max_combinations ? 1 : combinations;
}

std::string reading_note(const sample_input &s, std::string_view chosen) {
    std::string note;
    const auto add = [&](const std::string &what) { note += (note.empty() ? "" : "; ") + what; };
    if (s.unnamed) {
        std::string said = "no sample column: every analysis of the table is taken as of this "
                           "one sample";
        if (!s.unnamed->empty()) {
            said += " (";
            for (std::size_t i = 0; i < s.unnamed->size(); i++)
                said += (i == 0 ? "" : i + 1 < s.unnamed->size() ? ", " : " or ") + (*s.unnamed)[i];
            said += " may name the samples)";
        }
        add(said);
    }
    if (s.files.size() > 1) {
        std::string from = "analyses from ";
        for (std::size_t i = 0; i < s.files.size(); i++)
            from += (i == 0 ? "" : i + 1 < s.files.size() ? ", " : " and ") + s.files[i];
        add(from);
    }
    std::vector<std::string> left;
    for (std::size_t k = 0; k < 3; k++)
        if (s.unchosen[k] > 0)
            left.push_back(std::to_string(s.unchosen[k]) + " " + mineral_names[k] +
                           (s.unchosen[k] == 1 ? " analysis" : " analyses"));
    if (!left.empty()) {
        std::string said;
        for (std::size_t i = 0; i < left.size(); i++)
            said += (i == 0 ? "" : i + 1 < left.size() ? ", " : " and ") + left[i];
        add(said + " left out by the choice of spots " + std::string(chosen));
    }
    if (!s.others.empty()) {
        std::string said = "rows of other minerals left out: ";
        bool first = true;
        for (const auto &[name, n] : s.others) {
            said += (first ? "" : ", ") + name + " (" + std::to_string(n) + ")";
            first = false;
        }
        add(said);
    }
    return note;
}

std::vector<sample_unit> sample_units(const std::vector<sample_input> &samples, combine_mode mode,
                                      front_end words, std::string_view chosen,
                                      bool per_rutile_spot) {
    std::vector<sample_unit> units;
    units.reserve(samples.size());
    for (const sample_input &s : samples) {
        const std::string read = reading_note(s, chosen);
        const auto with_read = [&read](std::string &text) {
            if (!read.empty()) text += (text.empty() ? "" : "; ") + read;
        };
        sample_unit u;
        u.in = &s;
        for (std::size_t k = 0; k < 3; k++) u.count[k] = static_cast<int>(s.analyses[k].size());
        // The rutile's spots, whatever the way of combining: the Zr-in-rutile thermometers take
        // their mean, the Monte-Carlo runs its standard error.
        for (const zr_spot &z : s.rutile) u.wt.zr_ppm.push_back(z.ppm);
        u.problem = s.problem;
        const bool repeated =
            std::any_of(u.count.begin(), u.count.end(), [](int n) { return n > 1; });
        if (u.problem.empty() && repeated && mode == combine_mode::none) {
            std::string counts;
            for (std::size_t k = 0; k < 3; k++)
                if (u.count[k] > 1)
                    counts += (counts.empty() ? "" : ", ") +
                              count(static_cast<std::size_t>(u.count[k]),
                                    (std::string(mineral_names[k]) + " analyse").c_str());
            u.problem = line_place(s, s.line) + ": sample " + clipped(s.name) + " has " + counts +
                        "; " +
                        option_either(words, option_of(&batch_options::combine), "mean", "each") +
                        " uses them";
            u.several = true;
        }
        if (!u.problem.empty()) {
            with_read(u.problem);
            units.push_back(std::move(u));
            continue;
        }
        const std::size_t combinations = combinations_of(s, per_rutile_spot);
        if (mode == combine_mode::each && combinations > max_combinations) {
            u.problem = line_place(s, s.line) + ": sample " + clipped(s.name) + " has " +
                        std::to_string(combinations) + " combinations of its analyses, more than " +
                        std::to_string(max_combinations) + "; " +
                        option_words(words, option_of(&batch_options::combine), "mean") +
                        " uses them all";
            with_read(u.problem);
            units.push_back(std::move(u));
            continue;
        }
        if (mode == combine_mode::each) {
            const std::size_t spots = per_rutile_spot ? s.rutile.size() : 0;
            for (const analysis &g : s.analyses[0])
                for (const analysis &c : s.analyses[1])
                    for (const analysis &m : s.analyses[2])
                        for (std::size_t z = 0; z < std::max<std::size_t>(spots, 1); z++) {
                            sample_unit e = u;
                            if (spots > 0) {
                                const zr_spot &r = s.rutile[z];
                                e.wt.zr_ppm.assign(1, r.ppm);
                                e.rt_label =
                                    r.label.empty() ? "line " + std::to_string(r.line) : r.label;
                            }
                            e.count = {1, 1, 1};
                            e.wt.grt = g.wt, e.wt.cpx = c.wt, e.wt.mica = m.wt;
                            e.wt.cpx_cr2o3 = c.cr2o3;
                            std::size_t k = 0;
                            remarks notes;
                            for (const analysis *a : {&g, &c, &m}) {
                                notes.add(a->notes);
                                e.total[k] = a->total;
                                e.labels[k++] =
                                    a->label.empty() ? "line " + std::to_string(a->line) : a->label;
                            }
                            e.note = notes.text();
                            with_read(e.note);
                            units.push_back(std::move(e));
                        }
            continue;
        }
        // One analysis, or the oxide-by-oxide mean of several, of each mineral.
        VECTOR *wt[3] = {&u.wt.grt, &u.wt.cpx, &u.wt.mica};
        remarks notes;
        for (std::size_t k = 0; k < 3; k++) {
            const auto &list = s.analyses[k];
            for (int i = 1; i <= NEL; i++) {
                REAL sum = 0;
                for (const analysis &a : list) sum += a.wt[i];
                (*wt[k])[i] = list.size() == 1 ? sum : sum / static_cast<REAL>(list.size());
            }
            for (const analysis &a : list) notes.add(a.notes);
            if (k == 1) {
                REAL sum = 0;
                for (const analysis &a : list) sum += a.cr2o3;
                u.wt.cpx_cr2o3 = list.size() == 1 ? sum : sum / static_cast<REAL>(list.size());
            }
            if (std::all_of(list.begin(), list.end(), [](const analysis &a) { return a.total; })) {
                REAL sum = 0;
                for (const analysis &a : list) sum += *a.total;
                u.total[k] = list.size() == 1 ? sum : sum / static_cast<REAL>(list.size());
            }
        }
        u.note = notes.text();
        with_read(u.note);
        units.push_back(std::move(u));
    }
    return units;
}

} // namespace varno96
