#include "plot/output.hpp"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace varno96::plot {

std::optional<picture_format> format_of(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return std::nullopt;
    std::string ending(path.substr(dot + 1));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending == "svg") return picture_format::svg;
    if (ending == "pdf") return picture_format::pdf;
    if (ending == "ps") return picture_format::ps;
    return std::nullopt;
}

namespace {

[[noreturn]] void fail(const std::string &path, const char *what, int error) {
    throw std::runtime_error("cannot " + std::string(what) + " " + path + ": " +
                             std::strerror(error));
}

} // namespace

void write_whole(const std::string &path, std::string_view bytes) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    // A hidden name unique to this process and call, in the target's folder so that the
    // rename stays within one file system; created with the usual permissions.
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; attempt++) {
        temp = (target.parent_path() /
                ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                 std::to_string(serial++) + ".tmp"))
                   .string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) fail(path, "write", errno);
    int error = 0;
    for (std::size_t done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            error = errno;
        else
            done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        fail(path, "write", error);
    }
}

} // namespace varno96::plot
