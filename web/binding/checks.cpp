// The page's option fields checked: the option table's kinds, ranges and conflicts, worded as
// the table words them, under the field each refusal is about.
#include "checks.hpp"

#include "io/io.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace varno96::web {

using emscripten::val;

namespace {

void refuse(checked_options &c, std::string_view field, const std::string &why) {
    const std::string id(field);
    if (!c.errors.hasOwnProperty(id.c_str())) c.errors.set(id, why);
    c.ok = false;
}

std::string text_of(const val &fields, std::string_view name) {
    const val v = fields[std::string(name)];
    return v.isString() ? v.as<std::string>() : std::string();
}

// A field of the table's kind, as varno96-batch takes the option; nothing when it is empty.
std::optional<double> field_value(checked_options &c, const val &fields, const option_spec &s) {
    const std::string text = text_of(fields, s.name);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        if (s.required) refuse(c, s.name, "required");
        return std::nullopt;
    }
    if (s.kind == option_kind::integer) {
        const std::size_t sign = text[0] == '-' || text[0] == '+';
        if (text.size() > sign && text.size() < 12 &&
            text.find_first_not_of("0123456789", sign) == std::string::npos)
            return static_cast<double>(std::stoll(text));
        refuse(c, s.name, range_words(s) + ": " + text);
        return std::nullopt;
    }
    REAL x = 0;
    if (!READFIELD(text, x)) {
        refuse(c, s.name, "not a number: " + text);
        return std::nullopt;
    }
    return x;
}

} // namespace

checked_options check(const val &fields) {
    checked_options c;
    batch_options &o = c.o;
    for (const option_spec &s : batch_option_table) {
        if (s.page_help.empty()) continue; // no control on the page
        std::optional<option_value> v;
        if (s.kind == option_kind::flag) {
            v = fields[std::string(s.name)].isTrue();
        } else if (s.kind == option_kind::list || s.kind == option_kind::choice ||
                   s.kind == option_kind::text) {
            const std::string text = text_of(fields, s.name);
            if (text.find_first_not_of(" ,") != std::string::npos) v = text;
        } else if (const auto x = field_value(c, fields, s)) {
            v = *x;
        }
        if (v)
            if (const auto refused = set_option(s, o, *v)) refuse(c, s.name, *refused);
    }
    if (c.ok)
        if (const auto r = check_options(o)) {
            if (r->other && r->needs)
                refuse(c, r->option->name, "needs “" + std::string(r->other->label) + "”");
            else if (r->other)
                refuse(c, r->other->name, "not with “" + std::string(r->option->label) + "”");
            else
                refuse(c, r->option->name, r->why + ": " + r->value);
        }
    return c;
}

val check_options_of(const val &fields) { return check(fields).errors; }

} // namespace varno96::web
