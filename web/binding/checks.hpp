// The page's option fields, as typed, checked as varno96-batch checks its options.
#pragma once

#include "api/options.hpp"

#include <emscripten/val.h>

namespace varno96::web {

struct checked_options {
    batch_options o;
    // field id -> refusal, in the words of the option table
    emscripten::val errors = emscripten::val::object();
    bool ok = true;
};

// The page's fields, by the ids of the option table, each setting its option; then the table's
// checks, each refusal under the field of the option it names.
checked_options check(const emscripten::val &fields);

// The refusals alone, as the page shows them beside its fields.
emscripten::val check_options_of(const emscripten::val &fields);

} // namespace varno96::web
