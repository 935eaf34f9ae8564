// Reader of analysis data files holding any number of samples: the dialogue's field reader
// and number syntax, with the header checked and the lines grouped by sample.
#pragma once

#include "state/state.hpp"

#include <string>
#include <vector>

namespace varno96 {

// The three analyses of one sample, in wt%, as read; `problem` says why the sample cannot be
// computed (a mineral missing or repeated, a line with an unknown mineral or too few fields).
struct sample_input {
    std::string file;
    std::string name;
    int line = 0; // line of the sample's first analysis
    VECTOR grt, cpx, mica;
    std::string problem;
};

// The samples of one file in order of first appearance, or the error that left it unread,
// naming the file.
struct file_input {
    std::vector<sample_input> samples;
    std::string error;
};

enum class mineral { garnet, clinopyroxene, phengite, unknown };

// Grt, Gt, Garnet; Cpx, Omp, Omph, Omphacite; Phe, Ph, Phen, Phengite, Ms, Wm, Mica; any case.
mineral mineral_of(const std::string &field);

// Reads text as the contents of the file named `file`.
file_input read_batch_text(const std::string &file, const std::string &text);
// Reads the file at `path`.
file_input read_batch_file(const std::string &path);

} // namespace varno96
