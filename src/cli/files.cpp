#include "cli/files.hpp"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace varno96 {

namespace {

// The temporary files not yet committed, for a signal handler to remove. A handler reaches
// nothing but what a program holds for all of it, and may call only async-signal-safe
// functions: hence this one table of the program, of fixed places, each free (0), being
// filled (1) or holding a path (2), its state a lock-free atomic.
struct held_temporary {
    std::atomic<int> state{0};
    char path[4096];
};
static_assert(std::atomic<int>::is_always_lock_free);
constinit std::array<held_temporary, 16> temporaries{};

// Holds `path` for removal on a signal; its place, or -1 when every place is taken.
int hold(const std::string &path) {
    if (path.size() >= sizeof temporaries[0].path) return -1;
    for (std::size_t i = 0; i < temporaries.size(); i++) {
        int free = 0;
        if (!temporaries[i].state.compare_exchange_strong(free, 1)) continue;
        std::memcpy(temporaries[i].path, path.c_str(), path.size() + 1);
        temporaries[i].state.store(2);
        return static_cast<int>(i);
    }
    return -1;
}

void let_go(int &held) {
    if (held >= 0) temporaries[static_cast<std::size_t>(held)].state.store(0);
    held = -1;
}

extern "C" void remove_temporaries(int signal) {
    const int saved = errno;
    for (held_temporary &t : temporaries)
        if (t.state.load() == 2) ::unlink(t.path);
    errno = saved;
    // The handler was reset to the default on entry (SA_RESETHAND) and the signal is not held
    // back (SA_NODEFER): raised again, it stops the program.
    ::raise(signal);
}

[[noreturn]] void fail(const std::string &path, int error) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
}

// fwrite and fclose, with the first error.
void put(std::FILE *file, std::string_view bytes, const std::string &path) {
    errno = 0;
    // fwrite is not to be given the null pointer of an empty view, even for no bytes.
    const bool written =
        (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) &&
        std::fflush(file) == 0;
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

std::function<std::size_t(char *, std::size_t)> read_pieces(const std::string &path) {
    if (path == "-")
        return [](char *to, std::size_t n) {
            errno = 0;
            const std::size_t got = std::fread(to, 1, n, stdin);
            if (got == 0 && std::ferror(stdin))
                throw std::runtime_error(std::string("standard input: cannot read: ") +
                                         std::strerror(errno != 0 ? errno : EIO));
            return got;
        };
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec)))
        throw std::runtime_error(path + ": cannot read: " + std::strerror(EISDIR));
    std::FILE *opened = std::fopen(path.c_str(), "rb");
    if (opened == nullptr)
        throw std::runtime_error(path + ": cannot open: " + std::strerror(errno));
    const std::shared_ptr<std::FILE> file(opened, std::fclose);
    return [file, path](char *to, std::size_t n) {
        errno = 0;
        const std::size_t got = std::fread(to, 1, n, file.get());
        if (got == 0 && std::ferror(file.get()))
            throw std::runtime_error(path +
                                     ": cannot read: " + std::strerror(errno != 0 ? errno : EIO));
        return got;
    };
}

std::array<bool, 3> guard_standard_streams() {
    std::array<bool, 3> closed{};
    for (int fd = 0; fd < 3; fd++) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        closed[static_cast<std::size_t>(fd)] = true;
        // The lowest number free: this one, the lower ones being open.
        if (const int got = ::open("/dev/null", O_RDWR); got >= 0 && got != fd) ::close(got);
    }
    return closed;
}

void remove_temporaries_on_signals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction was {};
        if (::sigaction(signal, nullptr, &was) != 0 || was.sa_handler == SIG_IGN) continue;
        struct sigaction now {};
        now.sa_handler = remove_temporaries;
        sigemptyset(&now.sa_mask);
        now.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER); // unsigned in glibc
        ::sigaction(signal, &now, nullptr);
    }
}

void check_writable(const std::string &path) {
    std::error_code ec;
    if (fs::is_directory(fs::status(path, ec))) fail(path, EISDIR);
    const fs::path folder = fs::path(path).parent_path();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) fail(path, errno);
}

file_writer::file_writer(std::string path) : path_(std::move(path)) {
    std::error_code ec;
    const fs::file_status target = fs::status(path_, ec); // through a link
    if (fs::is_directory(target)) fail(path_, EISDIR);
    if (fs::exists(target) && !fs::is_regular_file(target)) {
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) fail(path_, errno);
        return;
    }
    real_ = fs::is_symlink(fs::symlink_status(path_, ec)) ? fs::weakly_canonical(path_, ec)
                                                          : fs::path(path_);
    temp_ = (real_.parent_path() / ("." + real_.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = mkstemp(temp_.data());
    if (fd < 0) fail(path_, errno);
    held_ = hold(temp_);
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        ::close(fd);
        std::remove(temp_.c_str());
        let_go(held_);
        fail(path_, error);
    }
    // mkstemp makes the file private: give it the permissions of the file it replaces, or
    // those of any new file.
    if (fs::is_regular_file(target)) {
        fs::permissions(temp_, target.permissions(), ec);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        chmod(temp_.c_str(), 0666 & ~mask);
    }
}

file_writer::~file_writer() {
    if (file_ != nullptr) std::fclose(file_);
    if (!temp_.empty()) std::remove(temp_.c_str()); // finished, never committed
    let_go(held_);
}

void file_writer::write(std::string_view bytes) {
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        fail(path_, errno != 0 ? errno : EIO);
}

void file_writer::finish() {
    if (finished_) return;
    finished_ = true;
    std::FILE *file = std::exchange(file_, nullptr);
    try {
        put(file, {}, path_);
    } catch (...) {
        if (!temp_.empty()) std::remove(temp_.c_str());
        temp_.clear();
        let_go(held_);
        throw;
    }
}

void file_writer::commit() {
    finish();
    if (temp_.empty()) return;
    const std::string temp = std::exchange(temp_, {});
    const bool renamed = std::rename(temp.c_str(), real_.c_str()) == 0;
    const int error = errno;
    if (!renamed) std::remove(temp.c_str());
    let_go(held_);
    if (!renamed) fail(path_, error);
}

void write_whole(const std::string &path, std::string_view bytes) {
    file_writer file(path);
    file.write(bytes);
    file.commit();
}

} // namespace varno96
