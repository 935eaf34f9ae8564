// Shared by the fuzz targets: findings, text checks and scratch folders. Each input gets a
// fresh dialogue, so that one input cannot leak into the next.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace varno96::fuzz {

// A property does not hold: one line on standard error, then abort, which libFuzzer records
// as a crash with its input and the replay reports as a failure.
[[noreturn]] inline void finding(std::string_view what) {
    std::fprintf(stderr, "fuzz finding: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

// "nan" or "inf" as printf writes a value that has none.
inline bool shows_no_value(std::string_view text) {
    return text.find("nan") != std::string_view::npos || text.find("inf") != std::string_view::npos;
}

inline std::string slurp(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder under the system's temporary folder, removed with its content at the end.
class scratch_folder {
public:
    scratch_folder() {
        std::string name = (std::filesystem::temp_directory_path() / "varno96-fuzz-XXXXXX");
        if (::mkdtemp(name.data()) == nullptr) finding("cannot create a scratch folder");
        path_ = name;
    }
    ~scratch_folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    scratch_folder(const scratch_folder &) = delete;
    scratch_folder &operator=(const scratch_folder &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace varno96::fuzz
