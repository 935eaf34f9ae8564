// A file written whole or not at all: the text goes to a temporary file in the same folder,
// which replaces the target only when everything was written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace varno96 {

class atomic_file {
public:
    // Creates the temporary file; throws std::runtime_error naming `path` when it cannot.
    explicit atomic_file(std::string path);
    ~atomic_file(); // removes the temporary file unless committed
    atomic_file(const atomic_file &) = delete;
    atomic_file &operator=(const atomic_file &) = delete;

    void write(std::string_view text);
    // Closes and renames onto the target; throws std::runtime_error when that fails.
    void commit();

private:
    std::string path_, temp_;
    std::FILE *file_ = nullptr;
    bool failed_ = false;
};

// The whole of `bytes` as the file `path`, through an atomic_file.
void write_whole(const std::string &path, std::string_view bytes);

} // namespace varno96
