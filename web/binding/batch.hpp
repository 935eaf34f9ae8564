// One batch computed for the page: the table and messages at once; the diagram and the
// Monte-Carlo pairs file (hundreds of thousands of lines for a large batch) when they are
// asked for, from the results kept until the batch is deleted, so that the page shows the
// table first.
#pragma once

#include "api/batch.hpp"

#include <emscripten/val.h>

#include <deque>
#include <vector>

namespace varno96::web {

class batch {
public:
    // inputs: [{name, bytes}]; fields: the option fields by id; progress(done, total).
    batch(const emscripten::val &inputs, const emscripten::val &fields,
          const emscripten::val &progress);
    // The columns, the rows as text, the CSV file, the messages, the citation; or the
    // refusals of the options (optionErrors), or why nothing was computed (error).
    emscripten::val result() const { return result_; }
    // The figure laid out on its page, as `figure` asks ({width, units, layout, reactions});
    // nothing when no sample has a result.
    emscripten::val diagram(const emscripten::val &figure) const;
    // The pairs file of varno96-batch --pt; nothing without Monte-Carlo.
    emscripten::val pairs() const;

private:
    batch_options o_;
    batch_summary done_;
    std::deque<sample_input> names_; // each row's file and sample, without its analyses
    std::vector<sample_unit> units_; // pointing into names_
    std::vector<sample_result> results_;
    emscripten::val result_ = emscripten::val::object();

    void run(const emscripten::val &inputs, const emscripten::val &progress);
};

} // namespace varno96::web
