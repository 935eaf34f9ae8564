#include "api/columns.hpp"

#include "api/combine.hpp"
#include "api/messages.hpp"
#include "api/sample.hpp"
#include "io/textio.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <variant>

namespace varno96 {

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<const char *, 3> short_names{"grt", "cpx", "phe"};
using opt = std::optional<double>;

// An entry's condition resolved once: the options of its fields, the value asked for, and
// where its family of entries ends.
struct condition {
    const option_spec *by = nullptr, *also = nullptr;
    std::optional<batch_options> value; // with by_value: the options with only that value set
    std::size_t last = 0;               // one past the family that starts at this entry
    bool with_zr = false;
};

std::vector<condition> conditions_of(std::span<const column_spec> table) {
    std::vector<condition> out(table.size());
    for (std::size_t j = 0; j < table.size(); j++) {
        const column_spec &c = table[j];
        condition &k = out[j];
        if (c.by) k.by = &option_of(*c.by);
        if (c.also) k.also = &option_of(*c.also);
        k.with_zr = c.with_zr;
        if (!c.by_value.empty()) {
            k.value = batch_options{};
            set_option(*k.by, *k.value, std::string(c.by_value));
        }
        k.last = j + 1;
        if (c.over != column_over::once)
            while (k.last < table.size() && table[k.last].over == c.over &&
                   table[k.last].by == c.by && table[k.last].by_value == c.by_value)
                k.last++;
    }
    return out;
}

const std::vector<condition> &conditions(std::span<const column_spec> table) {
    static const std::vector<condition> result = conditions_of(result_column_table()),
                                        pairs = conditions_of(pair_column_table());
    return table.data() == result_column_table().data() ? result : pairs;
}

bool brings(const condition &k, const std::optional<batch_options> &o) {
    if (!o) return true;
    if (k.by && !option_given(*k.by, *o)) return false;
    // The value asked for, of a field of the batch's options.
    const auto same = [&](auto f) {
        if constexpr (requires { (*o).*f; })
            return (*k.value).*f == (*o).*f;
        else
            return false;
    };
    if (k.value && !std::visit(same, k.by->field)) return false;
    if (k.with_zr && !asks_zr(*o)) return false;
    return !k.also || option_given(*k.also, *o);
}

// Calls f(entry, k, i) for each column of `table` under `o` in order (every column with `o`
// empty): a family over the minerals or the thermometers repeats its entries for each.
template <typename F>
void each_column(std::span<const column_spec> table, const std::optional<batch_options> &o,
                 const F &f) {
    const std::vector<condition> &when = conditions(table);
    const std::size_t n_keys = o ? o->thermometers.size() : thermometry::n_thermometers;
    for (std::size_t first = 0; first < table.size();) {
        const column_spec &head = table[first];
        const std::size_t last = when[first].last;
        const std::size_t times = head.over == column_over::once      ? 1
                                  : head.over == column_over::mineral ? short_names.size()
                                                                      : n_keys;
        // Whether each entry of the family is in the table, once for all its repeats.
        std::array<bool, 32> in{};
        for (std::size_t j = first; j < last; j++) in.at(j - first) = brings(when[j], o);
        for (std::size_t k = 0; k < times; k++)
            for (std::size_t j = first; j < last; j++) {
                const column_spec &c = table[j];
                if (!in[j - first]) continue;
                if (c.elements == column_elements::none)
                    f(c, k, 0);
                else
                    for (int i = 1; i <= NEL; i++) f(c, k, i);
            }
        first = last;
    }
}

std::string name_of(const column_spec &c, std::size_t k, int i,
                    const std::optional<batch_options> &o) {
    std::string name(c.name);
    const auto put = [&](std::string_view field, std::string_view text) {
        if (const std::size_t at = name.find(field); at != std::string::npos)
            name.replace(at, field.size(), text);
    };
    if (c.over == column_over::mineral) put("{mineral}", short_names[k]);
    if (c.over == column_over::thermometer)
        put("{key}",
            thermometry::about(o ? o->thermometers[k] : thermometry::thermometer_at(k)).name);
    if (c.elements == column_elements::oxide)
        put("{oxide}", oxide_names[static_cast<std::size_t>(i - 1)]);
    if (c.elements == column_elements::cation)
        put("{cation}", cation_names[static_cast<std::size_t>(i - 1)]);
    return name;
}

std::vector<column> columns_of(std::span<const column_spec> table,
                               const std::optional<batch_options> &o) {
    std::vector<column> cols;
    each_column(table, o, [&](const column_spec &c, std::size_t k, int i) {
        cols.push_back({name_of(c, k, i, o), c.kind, &c, k, i});
    });
    return cols;
}

cell cell_of(const column_spec &c, const cell_source &s) {
    if (c.text) return {cell_text(c.text(s)), none}; // names and notes: control characters escaped
    const opt x = c.value(s);
    if (!x || !std::isfinite(*x)) return {{}, none};
    if (c.kind == column::integer) return {std::to_string(static_cast<long long>(*x)), *x};
    // Fixed notation with the report's decimals.
    return {FMT(*x, 0, c.decimals), *x};
}

} // namespace

const char *role_name(column_role role) {
    switch (role) {
    case column_role::none:
        return "";
    case column_role::file:
        return "file";
    case column_role::sample:
        return "sample";
    case column_role::label:
        return "label";
    case column_role::pass:
        return "pass";
    case column_role::temperature:
        return "temperature";
    case column_role::pressure:
        return "pressure";
    case column_role::note:
        return "note";
    case column_role::seed:
        return "seed";
    case column_role::pressure_minus50:
        return "pressure_minus50";
    case column_role::pressure_plus50:
        return "pressure_plus50";
    case column_role::t_mean:
        return "t_mean";
    case column_role::t_sd:
        return "t_sd";
    case column_role::t_p16:
        return "t_p16";
    case column_role::t_p50:
        return "t_p50";
    case column_role::t_p84:
        return "t_p84";
    case column_role::p_mean:
        return "p_mean";
    case column_role::p_sd:
        return "p_sd";
    case column_role::p_p16:
        return "p_p16";
    case column_role::p_p50:
        return "p_p50";
    case column_role::p_p84:
        return "p_p84";
    case column_role::rho:
        return "rho";
    case column_role::runs:
        return "runs";
    case column_role::ln_a_jd:
        return "ln_a_jd";
    case column_role::lowest_pressure:
        return "lowest_pressure";
    }
    return "";
}

std::string column_key(const column &c, const std::optional<batch_options> &o) {
    if (c.entry->over != column_over::thermometer) return {};
    return std::string(
        thermometry::about(o ? o->thermometers[c.k] : thermometry::thermometer_at(c.k)).name);
}

std::vector<column> result_columns(const std::optional<batch_options> &o) {
    return columns_of(result_column_table(), o);
}

std::vector<column> pair_columns(const batch_options &o) {
    return columns_of(pair_column_table(), o);
}

std::vector<cell> result_cells(const sample_unit &u, const sample_result &r, const choices &how,
                               const batch_options &o) {
    std::vector<cell> cells;
    cell_source s{u, r, how, o, u.problem.empty() && r.ok};
    each_column(result_column_table(), o, [&](const column_spec &c, std::size_t k, int i) {
        s.k = k, s.i = i;
        cells.push_back(cell_of(c, s));
    });
    return cells;
}

std::vector<std::vector<cell>> pair_cells(const sample_unit &u, const sample_result &r,
                                          const batch_options &o) {
    std::vector<std::vector<cell>> rows;
    if (!u.problem.empty() || !r.ok || !r.passes) return rows;
    const choices how{};
    cell_source s{u, r, how, o, true};
    rows.reserve((*r.passes)[0].pairs.size() + (*r.passes)[1].pairs.size());
    std::size_t width = 0;
    for (s.pass = 1; s.pass <= 2; s.pass++)
        for (s.run = 0; s.run < (*r.passes)[static_cast<std::size_t>(s.pass - 1)].pairs.size();
             s.run++) {
            std::vector<cell> row;
            row.reserve(width);
            each_column(pair_column_table(), o, [&](const column_spec &c, std::size_t k, int i) {
                s.k = k, s.i = i;
                row.push_back(cell_of(c, s));
            });
            width = row.size();
            rows.push_back(std::move(row));
        }
    return rows;
}

std::string column_meaning(const column &c, const std::optional<batch_options> &o) {
    std::string meaning(c.entry->meaning);
    if (c.entry->over == column_over::thermometer) {
        const thermometry::any_key k = o ? o->thermometers[c.k] : thermometry::thermometer_at(c.k);
        meaning += " " + std::string(thermometry::about(k).name) + ": " +
                   reference_text(*thermometry::about(k).citation);
    }
    return meaning;
}

std::string brought_by(const column_spec &c) {
    std::string words;
    if (c.by) words = dashed(option_of(*c.by));
    if (!c.by_value.empty()) words += " " + std::string(c.by_value);
    if (c.also) words += " and " + dashed(option_of(*c.also));
    if (c.with_zr)
        words += " and a Zr-in-rutile key of " + dashed(option_of(&batch_options::thermometers));
    return words;
}

std::string columns_help(std::string_view pairs_file) {
    std::string keys, oxides, cations;
    for (std::size_t k = 0; k < thermometry::n_thermometers; k++)
        keys += (keys.empty() ? "" : ", ") +
                std::string(thermometry::about(thermometry::thermometer_at(k)).name);
    for (const char *x : oxide_names) oxides += (oxides.empty() ? "" : ", ") + std::string(x);
    for (const char *x : cation_names) cations += (cations.empty() ? "" : ", ") + std::string(x);
    std::string text;
    const auto list = [&](std::span<const column_spec> table) {
        for (const column_spec &c : table) {
            // As the options are listed: the name, then its meaning from the 29th column.
            std::string tag = "  " + std::string(c.name), about(c.unit);
            if (c.kind == column::number)
                about += (about.empty() ? "" : ", ") + std::to_string(c.decimals) + " decimal" +
                         (c.decimals == 1 ? "" : "s");
            if (!about.empty()) tag += " (" + about + ")";
            const auto width = static_cast<std::size_t>(
                std::count_if(tag.begin(), tag.end(), [](char b) { return (b & 0xC0) != 0x80; }));
            text += tag +
                    (width + 2 <= 28 ? std::string(28 - width, ' ') : "\n" + std::string(28, ' '));
            text += std::string(c.meaning);
            if (c.by) text += " With " + brought_by(c) + ".";
            text += "\n";
        }
    };
    // A line "*Name*" starts a section of the manual page that help2man makes of --help.
    text += "*Columns*\nOf the CSV table:\n";
    list(result_column_table());
    text += "\nOf " + std::string(pairs_file) + ":\n";
    list(pair_column_table());
    text += "\nIn the names, {mineral} is grt, cpx or phe; {key} a thermometer's key (" + keys +
            "); {oxide} one of " + oxides + "; {cation} one of " + cations + ".\n";
    return text;
}

} // namespace varno96
