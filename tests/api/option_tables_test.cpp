// The tables of options: every name once, every option another names there, each entry of
// the figure's and the program's tables setting its own field through the one setter, in the
// table's words.
#include "api/options.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace varno96;

TEST(OptionTables, EveryNameOnceEveryOptionNamedThereAndEachFieldItsOwn) {
    std::set<std::string_view> names;
    for (const auto table : {std::span<const option_spec>(batch_option_table),
                             std::span<const option_spec>(output_option_table),
                             std::span<const option_spec>(plot_option_table)})
        for (const option_spec &s : table) {
            EXPECT_TRUE(names.insert(s.name).second) << s.name;
            EXPECT_EQ(&option_named(s.name), &s);
            EXPECT_EQ(&option_of(s.field), &s) << s.name;
            if (!s.excludes.empty()) { EXPECT_NO_THROW(option_named(s.excludes)) << s.name; }
            if (!s.needs.empty()) { EXPECT_NO_THROW(option_named(s.needs)) << s.name; }
            // A choice's words as varno96-batch's help lists them.
            if (s.kind == option_kind::choice) {
                EXPECT_GE(choice_words(s.choices).size(), 2u) << s.name;
            }
        }
    EXPECT_EQ(choice_words("a||b"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_TRUE(choice_words("").empty());
}

TEST(OptionTables, EachOptionSetsItsFieldOrRefusesInTheTablesWords) {
    using figure = plot::figure_options;
    struct set_case {
        const char *option;
        option_value value;
        std::string refusal; // empty: set
        std::function<bool(const batch_options &, const figure &, const output_options &)> holds =
            {};
    };
    const double nan = std::nan("");
    const std::vector<set_case> cases{
        // A batch's optional whole number: a number without a fraction, or refused.
        {"seed", -5.0, "", [](auto &b, auto &, auto &) { return b.seed == -5; }},
        {"seed", -7.5, "must be a whole number from -99 to -1: -7.5"},
        {"at", 600LL, "", [](auto &b, auto &, auto &) { return b.at == 600.0; }},
        {"at", std::string("600"), "must be a number above -273.15: 600"},
        {"plot-width", 170.0, "", [](auto &, auto &f, auto &) { return f.width_mm == 170; }},
        {"plot-width", 60LL, "", [](auto &, auto &f, auto &) { return f.width_mm == 60; }},
        {"plot-width", 200.0, "must be a number from 60 to 180: 200"},
        {"plot-width", nan, "must be a number from 60 to 180: nan"},
        {"plot-title", std::string("Suite"), "",
         [](auto &, auto &f, auto &) { return f.title == "Suite"; }},
        {"plot-units", std::string("GPa"), "",
         [](auto &, auto &f, auto &) { return f.unit == plot::pressure_unit::gpa; }},
        {"plot-units", std::string("MPa"), "must be kbar or GPa: MPa"},
        {"plot-layout", std::string("panels"), "",
         [](auto &, auto &f, auto &) { return f.layout == plot::figure_layout::panels; }},
        {"plot-reactions", std::string("none"), "",
         [](auto &, auto &f, auto &) { return !f.reactions; }},
        {"plot-reactions", false, "", [](auto &, auto &f, auto &) { return !f.reactions; }},
        {"plot-reactions", std::string("some"), "must be reference or none: some"},
        {"cite", std::string(), "", [](auto &, auto &, auto &o) { return o.cite == ""; }},
        {"cite", std::string("bibtex"), "",
         [](auto &, auto &, auto &o) { return o.cite == "bibtex"; }},
        {"cite", std::string("apa"), "must be bibtex or nothing: apa"},
        {"pt", std::string("pt.csv"), "",
         [](auto &, auto &, auto &o) { return o.pairs == "pt.csv"; }},
    };
    for (const set_case &c : cases) {
        batch_options b;
        figure f;
        output_options o;
        const option_spec &s = option_named(c.option);
        // The options whose field the option sets.
        const auto refused = std::visit(
            [&](auto field) {
                if constexpr (requires { b.*field; })
                    return set_option(s, b, c.value);
                else if constexpr (requires { f.*field; })
                    return set_option(s, f, c.value);
                else
                    return set_option(s, o, c.value);
            },
            s.field);
        EXPECT_EQ(refused.value_or(""), c.refusal) << c.option;
        if (c.holds) { EXPECT_TRUE(c.holds(b, f, o)) << c.option; }
    }
    // An option sets the fields of its own options only.
    plot::figure_options f;
    batch_options b;
    EXPECT_THROW(set_option(option_named("model"), f, 7LL), std::invalid_argument);
    EXPECT_THROW(set_option(option_named("plot-width"), b, 85.0), std::invalid_argument);
}

TEST(OptionTables, TheCommandLineGivesAnOptionByItsNamesUpToTheFiles) {
    const auto given = [](const char *name, std::vector<const char *> args) {
        args.insert(args.begin(), "varno96-batch");
        return on_command_line(option_named(name), static_cast<int>(args.size()), args.data());
    };
    EXPECT_TRUE(given("cite", {"-m", "7", "--cite"}));
    EXPECT_TRUE(given("cite", {"--cite=bibtex", "-m", "7"}));
    EXPECT_FALSE(given("cite", {"-m", "7", "--citation"}));
    EXPECT_FALSE(given("cite", {"-m", "7", "--", "--cite"})); // a file of that name
    EXPECT_TRUE(given("output", {"-o", "rows.csv"}));
}

} // namespace
