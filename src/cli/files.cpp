#include "cli/files.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace varno96 {

namespace {

[[noreturn]] void fail(const std::string &path, int error) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
}

// fwrite and fclose, with the first error.
void put(std::FILE *file, std::string_view bytes, const std::string &path) {
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int error = errno != 0 ? errno : EIO;
    if (std::fclose(file) != 0 && written) fail(path, errno != 0 ? errno : EIO);
    if (!written) fail(path, error);
}

} // namespace

std::string read_whole(const std::string &path) {
    const auto failed = [&](const char *what, int error) {
        return std::runtime_error(path + ": " + what + ": " + std::strerror(error));
    };
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec))) throw failed("cannot read", EISDIR);
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw failed("cannot open", errno);
    std::string text;
    if (const auto size = fs::file_size(path, ec); !ec) text.reserve(size);
    char buffer[1 << 16];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    const int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    if (error != 0) throw failed("cannot read", error);
    return text;
}

void check_writable(const std::string &path) {
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec))) fail(path, EISDIR);
    const fs::path folder = fs::path(path).parent_path();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) fail(path, errno);
}

void write_whole(const std::string &path, std::string_view bytes) {
    std::error_code ec;
    const fs::file_status target = fs::status(path, ec); // through a link
    if (fs::is_directory(target)) fail(path, EISDIR);
    if (fs::exists(target) && !fs::is_regular_file(target)) {
        std::FILE *file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) fail(path, errno);
        put(file, bytes, path);
        return;
    }
    const fs::path real = fs::is_symlink(fs::symlink_status(path, ec))
                              ? fs::weakly_canonical(path, ec)
                              : fs::path(path);
    std::string temp =
        (real.parent_path() / ("." + real.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) fail(path, errno);
    std::FILE *file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        std::remove(temp.c_str());
        fail(path, error);
    }
    try {
        put(file, bytes, path);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    // mkstemp makes the file private: give it the permissions of the file it replaces, or
    // those of any new file.
    if (fs::is_regular_file(target)) {
        fs::permissions(temp, target.permissions(), ec);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        chmod(temp.c_str(), 0666 & ~mask);
    }
    if (std::rename(temp.c_str(), real.c_str()) != 0) {
        const int error = errno;
        std::remove(temp.c_str());
        fail(path, error);
    }
}

} // namespace varno96
