// Test support for the programs: a scratch folder of its own, and a built program run in it
// with its standard input, output, error and exit status captured.
#pragma once

#include "tables/reader.hpp"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace varno96::test {

// A fresh folder, removed with its content at the end of the test.
class scratch {
public:
    scratch();
    ~scratch();
    scratch(const scratch &) = delete;
    scratch &operator=(const scratch &) = delete;

    const std::filesystem::path &path() const { return dir_; }
    std::filesystem::path operator/(const std::string &name) const { return dir_ / name; }
    void write(const std::string &name, const std::string &text) const;
    std::string read(const std::string &name) const;
    std::vector<std::string> names() const; // sorted

private:
    std::filesystem::path dir_;
};

// `text` handed over `piece` bytes at a time, as a reader of tables takes a file.
std::function<std::size_t(char *, std::size_t)> pieces(std::string text, std::size_t piece);

// Everything read from a table, as text: error, warnings, and each sample with its analyses.
std::string described(const file_input &in);

// The whole of a file; throws when it cannot be opened.
std::string slurp(const std::filesystem::path &path);

struct run_result {
    int status = -1; // -1 when the program did not exit by itself
    std::string out, err;
};

// Runs `program` with `args` in the folder `where`, standard input from `input`.
run_result run(const std::string &program, const std::vector<std::string> &args,
               const std::filesystem::path &where, const std::string &input = "");
inline run_result run(const std::string &program, const std::vector<std::string> &args,
                      const scratch &where, const std::string &input = "") {
    return run(program, args, where.path(), input);
}

} // namespace varno96::test
