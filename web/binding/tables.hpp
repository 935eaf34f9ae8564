// The library's tables as the page reads them: the options for its controls, the columns for
// its table and glossary, the publications and the garnet models for its About section.
#pragma once

#include "api/columns.hpp"

#include <emscripten/val.h>

#include <vector>

namespace varno96::web {

// The option table, for the page's controls and their explanations.
emscripten::val option_table();
// The figure's option table, for the diagram's controls; the figure is handed back to diagram()
// as an object of the options' Python names.
emscripten::val figure_option_table();

// The table of columns, for the glossary: each entry with the names it stands for.
emscripten::val column_table();

// The columns of a batch's table, each with its kind, its meaning for these options and its role.
emscripten::val result_column_values(const std::vector<column> &columns, const batch_options &o);

// The publications: of each garnet model (empty for ideal mixing) and of each calibration.
emscripten::val references();

// The garnet models' titles, as the dialogue's menu numbers them.
emscripten::val model_titles();

} // namespace varno96::web
