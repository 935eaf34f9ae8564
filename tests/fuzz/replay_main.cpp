// Replays saved inputs through a fuzz target without the fuzzing engine: every file named on
// the command line, and every file under each folder named (in name order; hidden files and
// missing folders skipped). A finding aborts, which fails the test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputs(const fs::path &arg) {
    std::vector<fs::path> files;
    if (fs::is_regular_file(arg)) {
        files.push_back(arg);
    } else if (fs::is_directory(arg)) {
        for (const auto &entry : fs::recursive_directory_iterator(arg))
            if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    return files;
}

} // namespace

int main(int argc, char **argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; i++) {
        for (const fs::path &file : inputs(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
                return 1;
            }
            std::fprintf(stderr, "replay: %s\n", file.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                   bytes.size());
            count++;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}
