#include "support/golden.hpp"

#include <filesystem>

namespace fs = std::filesystem;

namespace varno96::test {

void plot_scratch::copy_golden(const std::string &name) const {
    fs::copy(fs::path(VARNO96_GOLDEN) / name / "expect" / "files", path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string golden_file(const std::string &run, const std::string &name) {
    return slurp(fs::path(VARNO96_GOLDEN) / run / "expect" / "files" / name);
}

} // namespace varno96::test
