// The units of a batch computed on threads and handed on in order.
#pragma once

#include "api/combine.hpp"
#include "api/sample.hpp"

#include <cstddef>
#include <functional>
#include <vector>

namespace varno96 {

// Computes every unit, on `threads` threads (1: this one), and hands each result to `row` in
// the order of the units, on the calling thread, while the next are computed.
// `progress(done, total)` is called before each row and at the end. The results do not depend
// on the number of threads; an exception from a unit or from `row` ends the computing and is
// thrown on.
void compute_units(const std::vector<sample_unit> &units, const choices &how, unsigned threads,
                   const std::function<void(std::size_t, const sample_result &)> &row,
                   const std::function<void(std::size_t, std::size_t)> &progress = {});

} // namespace varno96
