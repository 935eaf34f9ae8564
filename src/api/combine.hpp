// The calculations of the samples under a way of combining their analyses: one per sample,
// with the oxide-by-oxide mean of repeated analyses, or one per combination of its analyses.
#pragma once

#include "api/options.hpp"
#include "api/sample.hpp"
#include "api/words.hpp"
#include "tables/reader.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varno96 {

// One calculation: a sample, or one combination of its analyses.
struct sample_unit {
    const sample_input *in = nullptr;
    sample_wt wt;
    std::array<int, 3> count{};          // analyses of each mineral taken
    std::array<std::string, 3> labels{}; // with combine each: the analysis of each mineral
    std::string rt_label;                // and of the rutile, with one row per rutile spot
    std::string problem;                 // why it cannot be computed
    std::string note;                    // what the reader changed in its analyses
    // Of each mineral, the table's own total of its analysis (a Total column; with combine mean,
    // the mean of its analyses' totals when each has one).
    std::array<std::optional<double>, 3> total{};
    std::optional<double> t_c; // its own trial temperature, not the batch's
    bool several = false;      // no result for several analyses of a mineral, without combining
};

// With combine each, a sample with more combinations gets no result rather than a run without
// end.
inline constexpr std::size_t max_combinations = 10000;

// The calculations of the samples under `mode`, in order; their problems name the options in
// the words of `words`.
// `chosen`: the spots chosen, as given, for the notes of the analyses left out. With
// `per_rutile_spot` (combine each, a Zr-in-rutile thermometer asked) each combination is taken
// with each rutile spot in turn.
std::vector<sample_unit> sample_units(const std::vector<sample_input> &samples, combine_mode mode,
                                      front_end words = front_end::command_line,
                                      std::string_view chosen = {}, bool per_rutile_spot = false);

// What the note of a sample says of how it was read: analyses left out by the choice of spots
// or for being of another mineral, the files joined, a table without a sample column.
std::string reading_note(const sample_input &s, std::string_view chosen);
// How many of them sample `s` gives.
std::size_t unit_count(const sample_input &s, combine_mode mode, bool per_rutile_spot = false);

// A row's name in a diagram: its sample, and with combine each the analyses combined.
std::string unit_name(const sample_unit &u);

} // namespace varno96
