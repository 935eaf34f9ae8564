// Column names: a header read as a key, the oxide or role it names, and the columns a header
// row gives each oxide of each mineral.
#include "tables/named_columns.hpp"

#include "tables/named_text.hpp"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>
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

// A column of the analysis totals ("Total", "Sum", "Total (wt%)", "Oxide total"), or with
// `names` {"cr2o3"} of Cr2O3, alone or with a mineral suffix ("Total_Grt"): the suffix, unknown
// for none.
std::optional<mineral> total_of(std::string_view key,
                                std::initializer_list<std::string_view> names = {
                                    "oxidetotal", "totaloxides", "totals", "total", "oxidesum",
                                    "sum"}) {
    for (const std::string_view n : names) {
        if (!key.starts_with(n)) continue;
        const std::string_view rest = key.substr(n.size());
        if (rest.empty()) return mineral::unknown;
        if (const mineral m = mineral_of(rest); m != mineral::unknown) return m;
    }
    return std::nullopt;
}

enum class role { sample, mineral, label };

// The usual names of the sample, mineral and label columns as name_key has them, each list in
// the order taken when a header has several.
constexpr std::array<std::string_view, 17> sample_names{
    "sample", "sampleid", "samplename", "sampleno", "samplenumber",    "samplecode",
    "rock",   "rockid",   "rockname",   "rockno",   "specimen",        "specimenid",
    "probe",  "probenr",  "name",       "id",       "sampleidentifier"};
constexpr std::array<std::string_view, 5> mineral_names_{"mineral", "mineralname", "min", "phase",
                                                         "phasename"};
constexpr std::array<std::string_view, 10> label_names{
    "point", "label",   "analysis", "analysisnumber", "analysisno", "pointno",
    "spot",  "comment", "no",       "number"};

// The role of a column that is not an oxide, with its rank among the names of that role;
// `h` is the header trimmed, `key` its name_key.
std::optional<std::pair<role, int>> role_of(std::string_view h, std::string_view key) {
    if (h == "#") return std::pair{role::label, static_cast<int>(label_names.size())};
    const auto rank = [&](const auto &names) {
        const auto at = std::find(names.begin(), names.end(), key);
        return at == names.end() ? -1 : static_cast<int>(at - names.begin());
    };
    if (const int r = rank(sample_names); r >= 0) return std::pair{role::sample, r};
    if (const int r = rank(mineral_names_); r >= 0) return std::pair{role::mineral, r};
    if (const int r = rank(label_names); r >= 0) return std::pair{role::label, r};
    return std::nullopt;
}

} // namespace

int named_column(const std::vector<std::string> &fields, std::string_view name) {
    for (std::size_t c = 0; c < fields.size(); c++)
        if (trimmed(fields[c]) == trimmed(name)) return static_cast<int>(c);
    int found = -1;
    for (std::size_t c = 0; c < fields.size(); c++)
        if (names_column(fields[c], name)) {
            if (found >= 0) return -2;
            found = static_cast<int>(c);
        }
    return found;
}

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
                  const reading &how, layout &lay, std::vector<std::size_t> &headless,
                  file_input &in) {
    // A column as the messages show it: its text as written, blanks and all; with its place
    // where its name is not enough.
    const auto shown = [&](std::size_t col) {
        return written ? written(fields[col]) : quoted(fields[col]);
    };
    const auto placed = [&](std::size_t col) { return std::to_string(col + 1) + " " + shown(col); };
    const auto columns = [&] {
        std::vector<std::string> all;
        for (std::size_t c = 0; c < fields.size() && all.size() <= 20; c++)
            if (!trimmed(fields[c]).empty()) all.push_back(shown(c));
        return list(all);
    };
    // The sample and mineral columns the user names.
    std::array<int, 2> asked{-1, -1};
    const std::array<const std::string *, 2> asked_names{&how.sample_column, &how.mineral_column};
    for (std::size_t r = 0; r < 2; r++) {
        const std::string &name = *asked_names[r];
        if (name.empty()) continue;
        asked[r] = named_column(fields, name);
        const char *what = r == 0 ? "the sample column " : "the mineral column ";
        if (asked[r] >= 0 &&
            oxide_of(name_key(trimmed(fields[static_cast<std::size_t>(asked[r])])))) {
            in.error = at_header + ": " + what + quoted(name) + " is an oxide column";
            return false;
        }
        if (asked[r] < 0) {
            in.error =
                at_header + ": " + what + quoted(name) +
                (asked[r] == -2 ? " matches several columns: " : " is none of its columns: ") +
                columns();
            return false;
        }
    }
    std::vector<std::size_t> ignored;
    std::map<role, std::pair<int, int>> roles; // column and rank
    bool suffixed = false;
    std::vector<std::pair<std::size_t, named_oxide>> oxides;
    std::vector<std::pair<std::size_t, mineral>> totals, chromium;
    std::vector<std::pair<std::size_t, std::string>> zr_columns;
    oxides.reserve(fields.size());
    for (std::size_t c = 0; c < fields.size(); c++) {
        const std::string_view h = trimmed(fields[c]);
        if (h.empty()) {
            headless.push_back(c);
            continue;
        }
        const auto take = [&](role r, int rank) {
            const auto it = roles.find(r);
            if (it == roles.end() || rank < it->second.second) {
                if (it != roles.end())
                    ignored.push_back(static_cast<std::size_t>(it->second.first));
                roles[r] = {static_cast<int>(c), rank};
            } else {
                ignored.push_back(c);
            }
        };
        if (static_cast<int>(c) == asked[0] || static_cast<int>(c) == asked[1]) {
            take(static_cast<int>(c) == asked[0] ? role::sample : role::mineral, -1);
            continue;
        }
        const std::string key = name_key(h);
        // Zr of rutile: in the long layout Zr (ppm) or ZrO2 (wt%), in the wide one Zr_rt_ppm.
        if (key == "zr" || key == "zrppm" || key == "zro2" || key == "zrrtppm") {
            zr_columns.emplace_back(c, key);
            continue;
        }
        if (const auto ox = oxide_of(key)) {
            oxides.push_back({c, *ox});
            suffixed = suffixed || ox->suffix != mineral::unknown;
            continue;
        }
        if (const auto t = total_of(key)) {
            totals.emplace_back(c, *t);
            continue;
        }
        if (const auto t = how.cr2o3 ? total_of(key, {"cr2o3"}) : std::nullopt) {
            chromium.emplace_back(c, *t);
            continue;
        }
        if (const auto r = role_of(h, key)) {
            // A role the user gives another column: this one is of no use.
            if (asked[r->first == role::sample ? 0 : 1] >= 0 && r->first != role::label)
                ignored.push_back(c);
            else
                take(r->first, r->second);
            continue;
        }
        ignored.push_back(c);
        lay.others.push_back(c);
    }
    // A rutile table gives its Zr alone: its oxides (TiO2, ...) are the rutile's, expected and
    // of no use, so not said as ignored.
    if (how.rutile_only) oxides.clear();
    if (oxides.empty() && written && !how.rutile_only) {
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
    if (oxides.empty() && !how.rutile_only) {
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
    lay.only = how.only;
    lay.rutile_only = how.rutile_only;
    lay.wide = suffixed && lay.only == mineral::unknown && !lay.rutile_only;
    std::vector<std::size_t> suffix_ignored;
    for (const auto &[c, ox] : oxides) {
        if (lay.wide && ox.suffix == mineral::unknown) {
            suffix_ignored.push_back(c);
            continue;
        }
        if (lay.only != mineral::unknown && ox.suffix != mineral::unknown &&
            ox.suffix != lay.only) {
            suffix_ignored.push_back(c);
            continue;
        }
        const auto k = static_cast<std::size_t>(lay.wide ? ox.suffix : mineral::garnet);
        int &slot = lay.at[k][static_cast<std::size_t>(ox.oxide.slot)];
        if (slot != 0) {
            in.error =
                at_header + ": columns " + placed(static_cast<std::size_t>(slot - 1)) + " and " +
                placed(c) + " both give " +
                (ox.oxide.slot == FEO ? "the iron"
                                      : oxide_names[static_cast<std::size_t>(ox.oxide.slot - 1)]) +
                (lay.wide ? std::string(" of ") + mineral_names[k] : "");
            return false;
        }
        slot = static_cast<int>(c) + 1;
        lay.fe2o3_total[k] = lay.fe2o3_total[k] || ox.oxide.total == iron::total_fe2o3;
        lay.last = std::max(lay.last, c);
    }
    // The analyses' own totals and Cr2O3, each read with its analysis (never a column that
    // must be there: a row without one is no shorter).
    for (auto [found, to] : {std::pair{&totals, &lay.total}, std::pair{&chromium, &lay.cr2o3}})
        for (const auto &[c, suffix] : *found) {
            const bool fits = lay.wide == (suffix != mineral::unknown);
            int &at = (*to)[lay.wide && fits ? static_cast<std::size_t>(suffix) : 0];
            if (!fits && lay.wide)
                suffix_ignored.push_back(c);
            else if (!fits || at >= 0)
                ignored.push_back(c);
            else
                at = static_cast<int>(c);
        }
    // One column of Zr in ppm and one of ZrO2, of the layout's names; the others of no use.
    // (Not in lay.last: the rows of the other minerals need not reach them.)
    for (const auto &[c, key] : zr_columns) {
        const bool ppm = lay.wide ? key == "zrrtppm" : key == "zr" || key == "zrppm";
        int &at = ppm ? lay.zr : lay.zro2;
        if ((!ppm && (lay.wide || key != "zro2")) || at >= 0 || lay.only != mineral::unknown)
            ignored.push_back(c);
        else
            at = static_cast<int>(c);
    }
    if (lay.rutile_only && lay.zr < 0 && lay.zro2 < 0) {
        in.error = at_header + ": no column of the rutile's Zr (Zr, Zr (ppm), Zr ppm or Zr_ppm "
                               "in ppm, or ZrO2 in wt%)";
        return false;
    }
    if (roles.count(role::sample)) lay.sample = roles[role::sample].first;
    if (roles.count(role::mineral)) lay.mineral_col = roles[role::mineral].first;
    if (roles.count(role::label)) lay.label = roles[role::label].first;
    int wide_mineral = -1; // of no use in a wide table
    if (lay.wide && lay.mineral_col >= 0) std::swap(wide_mineral, lay.mineral_col);
    if (!lay.wide && lay.mineral_col < 0 && lay.only == mineral::unknown && !lay.rutile_only) {
        in.error = at_header +
                   ": no mineral column (Mineral, Min or Phase) to tell garnet, "
                   "clinopyroxene and phengite apart, and no oxide column with a mineral suffix "
                   "(SiO2_Grt, SiO2_Cpx, SiO2_Phe)";
        return false;
    }
    std::vector<bool> used(fields.size());
    if (!choose_columns(at_header, fields, how, columns(), lay, used, in.error)) return false;
    for (int c : {lay.sample, lay.mineral_col, lay.label})
        if (c >= 0) lay.last = std::max(lay.last, static_cast<std::size_t>(c));
    for (std::size_t c = 0; c < fields.size(); c++)
        if (used[c]) lay.last = std::max(lay.last, c);
    const auto unused = [&](std::size_t c) { return !used[c]; };
    lay.others.erase(std::remove_if(lay.others.begin(), lay.others.end(),
                                    [&](std::size_t c) { return used[c]; }),
                     lay.others.end());
    if (!warn) return true;

    // What was read but will not be used, and what is missing, once per file: a column by its
    // name, or where another has the same name by its place too.
    std::vector<std::size_t> said;
    std::copy_if(ignored.begin(), ignored.end(), std::back_inserter(said), unused);
    std::vector<std::string> names;
    const auto name_of = [&](std::size_t c) {
        const std::string_view h = trimmed(fields[c]);
        const bool twice = std::count_if(fields.begin(), fields.end(),
                                         [&](const std::string &f) { return trimmed(f) == h; }) > 1;
        return twice ? std::to_string(c + 1) + " " + quoted(h) : quoted(h);
    };
    for (const std::size_t c : said) names.push_back(name_of(c));
    for (const std::size_t c : suffix_ignored)
        names.push_back(quoted(trimmed(fields[c])) +
                        (lay.wide ? " (no mineral suffix)" : " (another mineral's suffix)"));
    if (wide_mineral >= 0 && unused(static_cast<std::size_t>(wide_mineral)))
        names.push_back(name_of(static_cast<std::size_t>(wide_mineral)));
    if (!names.empty())
        in.warnings.push_back(file + ": column" + (names.size() > 1 ? "s " : " ") + list(names) +
                              " ignored");
    constexpr std::array<const char *, 3> suffixes{"_Grt", "_Cpx", "_Phe"};
    std::vector<std::string> missing, absent;
    bool ferric = false;
    for (std::size_t k = 0; k < (lay.rutile_only ? 0u : lay.wide ? 3u : 1u); k++) {
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

namespace {

// Whether `field` is one of `names` (any case), with `numbered` also followed by a digit,
// blank or punctuation.
bool named_as(std::string_view field, bool numbered, std::initializer_list<const char *> names) {
    using detail::lower, detail::trimmed;
    const std::string_view f = trimmed(field);
    const auto starts = [&](const char *n, std::size_t len) {
        if (f.size() < len) return false;
        for (std::size_t i = 0; i < len; i++)
            if (lower(f[i]) != n[i]) return false;
        return true;
    };
    for (const char *n : names) {
        const std::size_t len = std::char_traits<char>::length(n);
        if (!starts(n, len)) continue;
        if (f.size() == len) return true;
        const auto next = static_cast<unsigned char>(f[len]);
        if (numbered && !std::isalpha(next)) return true;
    }
    return false;
}

} // namespace

bool rutile_of(std::string_view field, bool numbered) {
    return named_as(field, numbered, {"rt", "rut", "rutile"});
}

mineral mineral_of(std::string_view field, bool numbered) {
    const auto is = [&](std::initializer_list<const char *> names) {
        return named_as(field, numbered, names);
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
