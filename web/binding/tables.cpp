// The option table, the column table, the publications and the models' titles as JavaScript
// values, with the names the page reads them by.
#include "tables.hpp"

#include "activity/references.hpp"
#include "api/options.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace varno96::web {

using emscripten::val;

namespace {

// A model's title from the dialogue's menu, without the blanks it is padded with.
std::string model_title(int i) {
    std::string t = MODEL[i];
    t.erase(t.find_last_not_of(' ') + 1);
    return t;
}

} // namespace

namespace {

// An entry of an option table with the names the page reads it by.
val option_value_of(const option_spec &s) {
    val v = val::object();
    v.set("name", std::string(s.name));
    v.set("python", std::string(s.python));
    v.set("label", std::string(s.label));
    v.set("kind", std::string(kind_name(s.kind)));
    if (s.low) v.set("min", *s.low);
    if (s.high) v.set("max", *s.high);
    v.set("choices", std::string(s.choices));
    v.set("default", std::string(s.default_text));
    v.set("required", s.required);
    v.set("help", std::string(s.help));
    v.set("excludes", std::string(s.excludes));
    v.set("needs", std::string(s.needs));
    v.set("pageHelp", std::string(s.page_help));
    v.set("valueName", std::string(s.value_name));
    std::string choices(s.page_choices);
    // The model's menu: the titles of the models, as the dialogue's menu numbers them.
    if (s.field == option_field(&batch_options::model))
        for (int i = 1; i <= NMODELS; i++)
            choices += "|" + std::to_string(i) + ": " + model_title(i);
    v.set("pageChoices", choices);
    return v;
}

template <std::size_t N> val table_of(const std::array<option_spec, N> &table) {
    val list = val::array();
    for (const option_spec &s : table) list.call<void>("push", option_value_of(s));
    return list;
}

} // namespace

val option_table() { return table_of(batch_option_table); }

val figure_option_table() { return table_of(plot_option_table); }

// Each entry with the names it stands for: a family over the minerals by its three names,
// others by their template.
val column_table() {
    val list = val::array();
    const std::vector<column> every = result_columns(std::nullopt);
    for (const column_spec &c : result_column_table()) {
        val names = val::array();
        if (c.over == column_over::mineral && c.elements == column_elements::none) {
            for (const column &e : every)
                if (e.entry == &c) names.call<void>("push", e.name);
        } else {
            names.call<void>("push", std::string(c.name));
        }
        val v = val::object();
        v.set("names", names);
        v.set("unit", std::string(c.unit));
        v.set("meaning", std::string(c.meaning));
        v.set("option", brought_by(c));
        v.set("role", std::string(role_name(c.role)));
        list.call<void>("push", v);
    }
    return list;
}

val result_column_values(const std::vector<column> &columns, const batch_options &o) {
    val list = val::array();
    for (const column &col : columns) {
        val v = val::object();
        v.set("name", col.name);
        v.set("kind", std::string(col.type == column::text     ? "text"
                                  : col.type == column::number ? "number"
                                                               : "integer"));
        v.set("meaning", column_meaning(col, o));
        v.set("role", std::string(role_name(col.entry->role)));
        list.call<void>("push", v);
    }
    return list;
}

val references() {
    val models = val::array(), calibrations = val::array();
    for (int i = 1; i <= NMODELS; i++) models.call<void>("push", garnet_model_reference(i));
    // The exchange calibrations and the Zr-in-rutile ones alike.
    const auto add = [&](const auto &c) {
        val v = val::object();
        v.set("key", std::string(c.name));
        v.set("cited", std::string(c.cited));
        v.set("reference", reference_text(c.citation));
        v.set("note", std::string(c.note));
        v.set("range", thermometry::stated_text(c.stated.range));
        v.set("error", thermometry::stated_text(c.stated.error));
        calibrations.call<void>("push", v);
    };
    for (const thermometry::calibration &c : thermometry::calibrations) add(c);
    for (const thermometry::zr_calibration &c : thermometry::zr_calibrations) add(c);
    val out = val::object();
    out.set("models", models);
    out.set("calibrations", calibrations);
    return out;
}

val model_titles() {
    val titles = val::array();
    for (int i = 1; i <= NMODELS; i++) titles.call<void>("push", model_title(i));
    return titles;
}

} // namespace varno96::web
