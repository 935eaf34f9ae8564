// The columns that name a row's analyses under combine each: the same in the result's table
// (column_tables.cpp) and in the pairs file's (pair_columns.cpp).
#pragma once

#include "api/columns.hpp"
#include "api/combine.hpp"

namespace varno96 {

// Not "cpx_..." alone: "cpx" already names the clinopyroxene model.
inline constexpr column_spec mineral_label_column{
    .name = "{mineral}_label",
    .kind = column::text,
    .meaning = "The label of the row’s garnet, clinopyroxene and phengite analysis, or its line.",
    .by = &batch_options::combine,
    .by_value = "each",
    .over = column_over::mineral,
    .text = [](const cell_source &s) { return s.u.labels[s.k]; },
    .role = column_role::label};

// Only with a Zr-in-rutile thermometer, which takes each rutile spot in turn.
inline constexpr column_spec rutile_label_column{
    .name = "rt_label",
    .kind = column::text,
    .meaning = "The label of the row’s rutile analysis, or its line; empty for a sample without "
               "rutile.",
    .by = &batch_options::combine,
    .by_value = "each",
    .with_zr = true,
    .text = [](const cell_source &s) { return s.u.rt_label; },
    .role = column_role::label};

} // namespace varno96
