#include "api/words.hpp"

namespace varno96 {

namespace {

// The page's words for a value of a choice, as its menu shows them (after the words of no
// choice); the value itself else.
std::string_view page_choice(const option_spec &s, std::string_view value) {
    const auto i = choice_index(s, value);
    const std::vector<std::string_view> words = choice_words(s.page_choices);
    return i && *i + 1 < words.size() && !words[*i + 1].empty() ? words[*i + 1] : value;
}

std::string curly(std::string_view text) { return "“" + std::string(text) + "”"; }

std::string value_words(front_end f, const option_spec &s, std::string_view value) {
    switch (f) {
    case front_end::command_line:
        return std::string(value);
    case front_end::python:
        return s.kind == option_kind::choice || s.kind == option_kind::list
                   ? "\"" + std::string(value) + "\""
                   : std::string(value);
    case front_end::page:
        return curly(page_choice(s, value));
    }
    return {};
}

} // namespace

std::string option_words(front_end f, const option_spec &s, std::string_view value) {
    switch (f) {
    case front_end::command_line:
        return dashed(s) + (value.empty() ? "" : " " + std::string(value));
    case front_end::python:
        return std::string(s.python) + "=" + (value.empty() ? "True" : value_words(f, s, value));
    case front_end::page:
        return curly(s.label) + (value.empty() ? "" : ": " + value_words(f, s, value));
    }
    return {};
}

std::string option_either(front_end f, const option_spec &s, std::string_view a,
                          std::string_view b) {
    if (f != front_end::page) return option_words(f, s, a) + " or " + option_words(f, s, b);
    return option_words(f, s, a) + " or " + value_words(f, s, b);
}

std::string combine_hint(front_end f, std::size_t samples) {
    if (samples == 0) return {};
    const option_spec &combine = option_of(&batch_options::combine);
    const std::string said = std::to_string(samples) +
                             (samples == 1 ? " sample has" : " samples have") +
                             " several analyses of a mineral: ";
    if (f == front_end::page)
        return said + "choose " + value_words(f, combine, "mean") + " under " +
               curly(combine.label) + " to average them, or " + value_words(f, combine, "each") +
               " to compute every combination";
    return said + option_words(f, combine, "mean") + " averages them, " +
           option_words(f, combine, "each") + " computes every combination";
}

std::string workbook_advice(front_end f) {
    switch (f) {
    case front_end::command_line:
        return "varno96-batch reads CSV: save it as CSV, or pipe it through xlsx2csv, or open it "
               "in the page or with pandas.read_excel";
    case front_end::python:
        return "varno96 reads CSV: read it with pandas.read_excel and give the DataFrame";
    case front_end::page:
        return "the page reads a workbook by its name: give it the extension .xlsx, .xls or .ods";
    }
    return {};
}

} // namespace varno96
