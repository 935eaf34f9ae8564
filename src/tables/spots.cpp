// Spots chosen by their columns: the conditions as given, the columns they read in a header,
// and the names of columns as the user writes them.
#include "tables/named_columns.hpp"
#include "tables/named_text.hpp"

#include <algorithm>

namespace varno96 {

namespace detail {

std::string plain(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); i++) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') { // no-break space
            i++;
            continue;
        }
        s += lower(c);
    }
    return s;
}

bool names_column(std::string_view header, std::string_view name) {
    const std::string p = plain(name);
    return !p.empty() && plain(header) == p;
}

bool choose_columns(const std::string &at_header, const std::vector<std::string> &fields,
                    const reading &how, const std::string &columns, layout &lay,
                    std::vector<bool> &used, std::string &error) {
    const std::vector<spot_choice> &where = how.where;
    if (where.empty()) return true;
    std::vector<int> col(where.size());
    std::vector<std::string> keys(where.size());
    for (std::size_t i = 0; i < where.size(); i++) {
        col[i] = named_column(fields, where[i].column);
        keys[i] = plain(where[i].column);
        if (col[i] == -2) {
            error = at_header + ": several columns are " + quoted(where[i].column) +
                    " to choose the spots by (" + where[i].text + "); its columns: " + columns;
            return false;
        }
    }
    for (std::size_t k = 0; k < 3; k++) {
        const auto m = static_cast<mineral>(k);
        if (lay.only != mineral::unknown && m != lay.only) continue;
        // A wide table without this mineral's oxides has none of its analyses to choose from.
        if (lay.wide &&
            std::all_of(lay.at[k].begin() + 1, lay.at[k].end(), [](int c) { return c == 0; }))
            continue;
        std::vector<std::string> done;
        for (std::size_t i = 0; i < where.size(); i++) {
            if (where[i].of != mineral::unknown && where[i].of != m) continue;
            if (std::find(done.begin(), done.end(), keys[i]) != done.end()) continue;
            done.push_back(keys[i]);
            // The conditions on this column for this mineral: its own, else those for all.
            bool own = false;
            for (std::size_t j = 0; j < where.size(); j++)
                own = own || (keys[j] == keys[i] && where[j].of == m);
            std::vector<std::string> values;
            const spot_choice *first = nullptr;
            int c = -1;
            for (std::size_t j = 0; j < where.size(); j++)
                if (keys[j] == keys[i] && where[j].of == (own ? m : mineral::unknown)) {
                    values.push_back(plain(where[j].value));
                    if (!first) first = &where[j], c = col[j];
                }
            if (c >= 0) {
                used[static_cast<std::size_t>(c)] = true;
                lay.chosen[k].push_back({static_cast<std::size_t>(c), std::move(values)});
                continue;
            }
            const std::string missing = at_header + ": no column " + quoted(first->column) +
                                        " to choose the spots by (" + first->text +
                                        "); its columns: " + columns;
            // A condition of one mineral only counts where the table has its analyses.
            if (lay.wide || lay.only != mineral::unknown || first->of == mineral::unknown) {
                error = missing;
                return false;
            }
            if (lay.unchoosable[k].empty()) lay.unchoosable[k] = missing;
        }
    }
    return true;
}

} // namespace detail

std::optional<std::vector<spot_choice>> spot_choices_of(std::string_view text) {
    std::vector<spot_choice> out;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view item = detail::trimmed(text.substr(start, end - start));
        start = end + 1;
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        spot_choice c;
        std::string_view column = detail::trimmed(item.substr(0, eq));
        if (const std::size_t colon = column.find(':'); colon != std::string_view::npos) {
            const mineral m = mineral_of(column.substr(0, colon));
            if (m != mineral::unknown) {
                c.of = m;
                column = detail::trimmed(column.substr(colon + 1));
            }
        }
        if (detail::plain(column).empty()) return std::nullopt;
        c.column = std::string(column);
        c.value = std::string(detail::trimmed(item.substr(eq + 1)));
        c.text = std::string(item);
        out.push_back(std::move(c));
    }
    if (out.empty()) return std::nullopt;
    return out;
}

} // namespace varno96
