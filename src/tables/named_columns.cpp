// Column names: a header read as a key, the oxide or role it names, and the columns a header
// row gives each oxide of each mineral.
#include "tables/named_columns.hpp"

#include "tables/named_text.hpp"

#include <cctype>
#include <map>

namespace varno96 {

namespace detail {

namespace {

// A header as letters, digits, * and $ (for Σ) only, in lower case: Unicode subscript digits
// read as digits, unit decorations (wt%, wt.%, [wt%], _wt) and other punctuation dropped.
std::string name_key(std::string_view header) {
    // Never longer than the header: written in place, then cut to its length.
    std::string s(header.size(), '\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < header.size(); i++) {
        const auto c = static_cast<unsigned char>(header[i]);
        if (c == 0xE2 && i + 2 < header.size() &&
            static_cast<unsigned char>(header[i + 1]) == 0x82) {
            const auto d = static_cast<unsigned char>(header[i + 2]);
            if (d >= 0x80 && d <= 0x89) { // U+2080..U+2089
                s[n++] = static_cast<char>('0' + (d - 0x80));
                i += 2;
                continue;
            }
        }
        if (c == 0xCE && i + 1 < header.size() &&
            static_cast<unsigned char>(header[i + 1]) == 0xA3) {
            s[n++] = '$'; // Σ, a sum
            i++;
            continue;
        }
        s[n++] = lower(static_cast<char>(c));
    }
    s.resize(n);
    // Units: "wt%" and its spellings anywhere, "wt" as a word of its own ("SiO2_wt", "SiO2 wt",
    // not the start of "wtSiO2"); then a lone "%" with the other punctuation.
    const auto alnum = [&](std::size_t i) {
        return i < s.size() && std::isalnum(static_cast<unsigned char>(s[i]));
    };
    std::string key(s.size(), '\0');
    std::size_t k = 0;
    for (std::size_t i = 0; i < s.size(); i++) {
        if (s[i] == 'w' && s.compare(i, 2, "wt") == 0) {
            std::size_t unit = 0;
            for (const char *u : {"wt.%", "wt%", "wt. %", "wt %"})
                if (s.compare(i, std::char_traits<char>::length(u), u) == 0)
                    unit = std::char_traits<char>::length(u);
            if (unit == 0 && (i == 0 || !alnum(i - 1)) && !alnum(i + 2)) unit = 2;
            if (unit > 0) {
                i += unit - 1;
                continue;
            }
        }
        const char c = s[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '*' || c == '$') key[k++] = c;
    }
    key.resize(k);
    return key;
}

enum class iron { none, total_feo, total_fe2o3 };

struct oxide_name {
    int slot;   // 1..NEL
    iron total; // all iron given as FeO or as Fe2O3
};

// The oxide a key names, alone or followed by the rest (a mineral suffix).
const std::vector<std::pair<std::string, oxide_name>> &oxide_keys() {
    static const std::vector<std::pair<std::string, oxide_name>> keys = [] {
        std::vector<std::pair<std::string, oxide_name>> k;
        for (int i = 1; i <= NEL; i++)
            k.push_back({lowered(oxide_names[static_cast<std::size_t>(i - 1)]), {i, iron::none}});
        for (const char *n : {"feot", "feo*", "feotot", "feototal", "$feo", "feo$"})
            k.push_back({n, {FEO, iron::total_feo}});
        for (const char *n : {"fe2o3t", "fe2o3*", "fe2o3tot", "fe2o3total", "$fe2o3"})
            k.push_back({n, {FEO, iron::total_fe2o3}});
        // Longest first, so that "feot" is not taken for "feo" followed by "t".
        std::stable_sort(k.begin(), k.end(), [](const auto &a, const auto &b) {
            return a.first.size() > b.first.size();
        });
        return k;
    }();
    return keys;
}

struct named_oxide {
    oxide_name oxide;
    mineral suffix; // unknown: no suffix
};

std::optional<named_oxide> oxide_of(std::string_view key) {
    for (const auto &[name, oxide] : oxide_keys()) {
        if (key.empty() || key[0] != name[0] || key.compare(0, name.size(), name) != 0) continue;
        const std::string_view rest = key.substr(name.size());
        if (rest.empty()) return named_oxide{oxide, mineral::unknown};
        const mineral m = mineral_of(rest);
        if (m != mineral::unknown) return named_oxide{oxide, m};
    }
    return std::nullopt;
}

// A column of the analysis totals ("Total", "Sum", "Total (wt%)", "Oxide total"), alone or with
// a mineral suffix ("Total_Grt"): the suffix, unknown for none.
std::optional<mineral> total_of(std::string_view key) {
    using namespace std::string_view_literals;
    for (const std::string_view n :
         {"oxidetotal"sv, "totaloxides"sv, "totals"sv, "total"sv, "oxidesum"sv, "sum"sv}) {
        if (!key.starts_with(n)) continue;
        const std::string_view rest = key.substr(n.size());
        if (rest.empty()) return mineral::unknown;
        if (const mineral m = mineral_of(rest); m != mineral::unknown) return m;
    }
    return std::nullopt;
}

enum class role { sample, mineral, label };

// The role of a column that is not an oxide, with its rank among the names of that role;
// `h` is the header trimmed, `key` its name_key.
std::optional<std::pair<role, int>> role_of(std::string_view h, std::string_view key) {
    using namespace std::string_view_literals;
    if (h == "#") return std::pair{role::label, 6};
    int rank = 0;
    for (const std::string_view n :
         {"sample"sv, "sampleid"sv, "samplename"sv, "rock"sv, "specimen"sv}) {
        if (key == n) return std::pair{role::sample, rank};
        rank++;
    }
    rank = 0;
    for (const std::string_view n : {"mineral"sv, "min"sv, "phase"sv}) {
        if (key == n) return std::pair{role::mineral, rank};
        rank++;
    }
    rank = 0;
    for (const std::string_view n : {"point"sv, "label"sv, "analysis"sv, "comment"sv, "no"sv}) {
        if (key == n) return std::pair{role::label, rank};
        rank++;
    }
    return std::nullopt;
}

} // namespace

std::string list(const std::vector<std::string> &items, std::size_t most) {
    std::string s;
    for (std::size_t i = 0; i < items.size() && i < most; i++) {
        if (i > 0) s += ", ";
        s += items[i];
    }
    if (items.size() > most) s += " and " + grouped(items.size() - most) + " more";
    return s;
}

bool name_columns(const std::string &file, const std::string &at_header,
                  const std::vector<std::string> &fields, const name_writer &written, bool warn,
                  layout &lay, std::vector<std::size_t> &headless, file_input &in) {
    std::vector<std::string> ignored;
    std::map<role, std::pair<int, int>> roles; // column and rank
    bool suffixed = false;
    std::vector<std::pair<std::size_t, named_oxide>> oxides;
    std::vector<std::pair<std::size_t, mineral>> totals;
    oxides.reserve(fields.size());
    for (std::size_t c = 0; c < fields.size(); c++) {
        const std::string_view h = trimmed(fields[c]);
        if (h.empty()) {
            headless.push_back(c);
            continue;
        }
        const std::string key = name_key(h);
        if (const auto ox = oxide_of(key)) {
            oxides.push_back({c, *ox});
            suffixed = suffixed || ox->suffix != mineral::unknown;
            continue;
        }
        if (const auto t = total_of(key)) {
            totals.emplace_back(c, *t);
            continue;
        }
        if (const auto r = role_of(h, key)) {
            const auto it = roles.find(r->first);
            if (it == roles.end() || r->second < it->second.second) {
                if (it != roles.end())
                    ignored.push_back(
                        quoted(trimmed(fields[static_cast<std::size_t>(it->second.first)])));
                roles[r->first] = {static_cast<int>(c), r->second};
            } else {
                ignored.push_back(quoted(h));
            }
            continue;
        }
        ignored.push_back(quoted(h));
    }
    if (oxides.empty() && written) {
        std::string found;
        for (const std::string &f : fields) {
            found += (found.empty() ? "" : ", ") + written(f);
            if (found.size() > 4 * quoted_most) break; // enough to quote
        }
        in.error = at_header +
                   ": no column names an oxide (SiO2, Al2O3, FeO, ...); the columns: [" +
                   clipped(found) + "]";
        return false;
    }
    if (oxides.empty()) {
        std::string found;
        for (const std::string &f : fields) {
            found += (found.empty() ? "" : " ") + f;
            if (found.size() > 4 * quoted_most) break; // enough to quote
        }
        in.error =
            at_header +
            ": the header names no oxide column (SiO2, Al2O3, FeO, ...) and is "
            "not one of six fields and the oxides SiO2 TiO2 Al2O3 Fe2O3 FeO MnO MgO CaO Na2O "
            "K2O (found: " +
            clipped(found) + ")";
        return false;
    }
    lay.wide = suffixed;
    for (const auto &[c, ox] : oxides) {
        if (lay.wide && ox.suffix == mineral::unknown) {
            ignored.push_back(quoted(trimmed(fields[c])) + " (no mineral suffix)");
            continue;
        }
        const auto k = static_cast<std::size_t>(lay.wide ? ox.suffix : mineral::garnet);
        int &slot = lay.at[k][static_cast<std::size_t>(ox.oxide.slot)];
        if (slot != 0) {
            const auto shown = [&](std::size_t col) {
                return written ? written(fields[col]) : quoted(trimmed(fields[col]));
            };
            in.error =
                at_header + ": columns " + shown(static_cast<std::size_t>(slot - 1)) + " and " +
                shown(c) + " both give " +
                (ox.oxide.slot == FEO ? "the iron"
                                      : oxide_names[static_cast<std::size_t>(ox.oxide.slot - 1)]) +
                (lay.wide ? std::string(" of ") + mineral_names[k] : "");
            return false;
        }
        slot = static_cast<int>(c) + 1;
        lay.fe2o3_total[k] = lay.fe2o3_total[k] || ox.oxide.total == iron::total_fe2o3;
        lay.last = std::max(lay.last, c);
    }
    // The analyses' own totals, each read with its analysis (never a column that must be
    // there: a row without one is no shorter).
    for (const auto &[c, suffix] : totals) {
        const bool fits = lay.wide == (suffix != mineral::unknown);
        int &at = lay.total[lay.wide && fits ? static_cast<std::size_t>(suffix) : 0];
        if (!fits || at >= 0)
            ignored.push_back(quoted(trimmed(fields[c])) +
                              (lay.wide && !fits ? " (no mineral suffix)" : ""));
        else
            at = static_cast<int>(c);
    }
    if (roles.count(role::sample)) lay.sample = roles[role::sample].first;
    if (roles.count(role::mineral)) lay.mineral_col = roles[role::mineral].first;
    if (roles.count(role::label)) lay.label = roles[role::label].first;
    if (lay.wide && lay.mineral_col >= 0) {
        ignored.push_back(quoted(trimmed(fields[static_cast<std::size_t>(lay.mineral_col)])));
        lay.mineral_col = -1;
    }
    if (!lay.wide && lay.mineral_col < 0) {
        in.error = at_header +
                   ": no mineral column (Mineral, Min or Phase) to tell garnet, "
                   "clinopyroxene and phengite apart, and no oxide column with a mineral suffix "
                   "(SiO2_Grt, SiO2_Cpx, SiO2_Phe)";
        return false;
    }
    for (int c : {lay.sample, lay.mineral_col, lay.label})
        if (c >= 0) lay.last = std::max(lay.last, static_cast<std::size_t>(c));
    if (!warn) return true;

    // What was read but will not be used, and what is missing, once per file.
    if (!ignored.empty())
        in.warnings.push_back(file + ": column" + (ignored.size() > 1 ? "s " : " ") +
                              list(ignored) + " ignored");
    constexpr std::array<const char *, 3> suffixes{"_Grt", "_Cpx", "_Phe"};
    std::vector<std::string> missing, absent;
    bool ferric = false;
    for (std::size_t k = 0; k < (lay.wide ? 3u : 1u); k++) {
        const auto &at = lay.at[k];
        if (lay.wide && std::all_of(at.begin() + 1, at.end(), [](int c) { return c == 0; })) {
            absent.push_back(mineral_names[k]);
            continue;
        }
        for (int i = 1; i <= NEL; i++)
            if (at[static_cast<std::size_t>(i)] == 0) {
                missing.push_back(std::string(oxide_names[static_cast<std::size_t>(i - 1)]) +
                                  (lay.wide ? suffixes[k] : ""));
                ferric = ferric || i == FE2O3;
            }
    }
    if (!missing.empty())
        in.warnings.push_back(file + ": no " + list(missing, missing.size()) + " column" +
                              (missing.size() > 1 ? "s" : "") + ": read as 0" +
                              (ferric ? " (Fe2O3 as 0 is estimated by charge balance)" : ""));
    if (!absent.empty()) in.warnings.push_back(file + ": no column of " + list(absent) + " oxides");
    return true;
}

} // namespace detail

mineral mineral_of(std::string_view field, bool numbered) {
    using detail::lower, detail::trimmed;
    const std::string_view f = trimmed(field);
    const auto starts = [&](const char *n, std::size_t len) {
        if (f.size() < len) return false;
        for (std::size_t i = 0; i < len; i++)
            if (lower(f[i]) != n[i]) return false;
        return true;
    };
    const auto is = [&](std::initializer_list<const char *> names) {
        for (const char *n : names) {
            const std::size_t len = std::char_traits<char>::length(n);
            if (!starts(n, len)) continue;
            if (f.size() == len) return true;
            const auto next = static_cast<unsigned char>(f[len]);
            if (numbered && !std::isalpha(next)) return true;
        }
        return false;
    };
    if (is({"grt", "gt", "garnet"})) return mineral::garnet;
    if (is({"cpx", "omp", "omph", "omphacite"})) return mineral::clinopyroxene;
    if (is({"phe", "ph", "phen", "phengite", "ms", "mu", "musc", "muscovite", "wm", "white mica",
            "mica"}))
        return mineral::phengite;
    return mineral::unknown;
}

std::string oxide_column(std::string_view header) {
    const auto ox = detail::oxide_of(detail::name_key(detail::trimmed(header)));
    if (!ox) return {};
    if (ox->oxide.total == detail::iron::total_fe2o3) return "Fe2O3T";
    return oxide_names[static_cast<std::size_t>(ox->oxide.slot - 1)];
}

} // namespace varno96
