// Test support for what reads the files of a dialogue's run: the result files of the golden
// runs (tests/golden/<run>/expect/files), whole or copied into a scratch folder. VARNO96_GOLDEN
// is set by the build.
#pragma once

#include "support/scratch.hpp"

#include <string>

namespace varno96::test {

// A scratch folder that can take the result files of a golden run.
class plot_scratch : public scratch {
public:
    // The files of tests/golden/<name>/expect/files copied in.
    void copy_golden(const std::string &name) const;
};

std::string golden_file(const std::string &run, const std::string &name);

} // namespace varno96::test
