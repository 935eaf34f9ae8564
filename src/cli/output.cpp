#include "cli/output.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace varno96 {

namespace {
std::runtime_error failure(const std::string &path, int error) {
    return std::runtime_error("cannot write " + path + ": " + std::strerror(error));
}
} // namespace

atomic_file::atomic_file(std::string path) : path_(std::move(path)) {
    const std::size_t slash = path_.rfind('/');
    temp_ = (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) + ".tmp-" +
            path_.substr(slash == std::string::npos ? 0 : slash + 1) + "-XXXXXX";
    const int fd = mkstemp(temp_.data());
    if (fd < 0) throw failure(path_, errno);
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        ::close(fd);
        std::remove(temp_.c_str());
        throw failure(path_, error);
    }
}

atomic_file::~atomic_file() {
    if (file_ != nullptr) std::fclose(file_);
    if (!temp_.empty()) std::remove(temp_.c_str());
}

void atomic_file::write(std::string_view text) {
    if (!failed_ && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        failed_ = true;
}

void atomic_file::commit() {
    errno = 0;
    const bool flushed = std::fflush(file_) == 0 && !failed_ && !std::ferror(file_);
    const int error = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) throw failure(path_, error);
    // mkstemp makes the file private; give it the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp_.c_str(), 0666 & ~mask);
    if (std::rename(temp_.c_str(), path_.c_str()) != 0)
        throw failure(path_, errno);
    temp_.clear();
}

void write_whole(const std::string &path, std::string_view bytes) {
    atomic_file file(path);
    file.write(bytes);
    file.commit();
}

} // namespace varno96
