// The calculation as the browser page calls it (embind): the option fields as typed, the
// tables as bytes, and back the rows as text, the CSV files as bytes, the messages of
// varno96-batch, and the P-T diagram laid out on its page, ready to be drawn as SVG.
#include "batch.hpp"
#include "checks.hpp"
#include "tables.hpp"

#include <emscripten/bind.h>

#include <string>

namespace varno96::web {

EMSCRIPTEN_BINDINGS(varno96) {
    emscripten::function("modelTitles", &model_titles);
    emscripten::function("checkOptions", &check_options_of);
    emscripten::function("options", &option_table);
    emscripten::function("figureOptions", &figure_option_table);
    emscripten::function("columns", &column_table);
    emscripten::function("references", &references);
    emscripten::class_<batch>("Batch")
        .constructor<const emscripten::val &, const emscripten::val &, const emscripten::val &>()
        .function("result", &batch::result)
        .function("diagram", &batch::diagram)
        .function("pairs", &batch::pairs);
    emscripten::function(
        "version", +[] { return std::string(VERSION); });
}

} // namespace varno96::web
