// Files that the tools read and write whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace varno96 {

// The whole of the file `path`. Throws std::runtime_error with the one-line message
// "PATH: cannot open: reason" or "PATH: cannot read: reason" (a folder among them).
std::string read_whole(const std::string &path);

// The file `path` ("-": standard input) a piece at a time: each call puts up to `n` bytes at
// `to` and says how many, 0 at the end. Throws std::runtime_error as read_whole does
// ("standard input: cannot read").
std::function<std::size_t(char *to, std::size_t n)> read_pieces(const std::string &path);

// Writes `bytes` as the file `path`. A regular file (or none) is replaced through a temporary
// file in the same folder, renamed only when everything was written, so that `path` holds its
// old content or all of the new; through a symbolic link, the file it points to is replaced
// and the link kept. A pipe or device (/dev/stdout) is written directly. Throws
// std::runtime_error with the one-line message "cannot write PATH: reason".
void write_whole(const std::string &path, std::string_view bytes);

// write_whole a piece at a time: the file is replaced by commit(), and left as it was when the
// writer goes without one. finish() writes out what is held without replacing the file yet:
// where it fails (a full disk, a device), commit() is not reached, and several files written
// together are all replaced or none.
class file_writer {
public:
    explicit file_writer(std::string path);
    ~file_writer();
    file_writer(const file_writer &) = delete;
    file_writer &operator=(const file_writer &) = delete;
    void write(std::string_view bytes);
    void finish();
    void commit();

private:
    std::string path_, temp_; // temp_ empty: a pipe or device written directly
    int held_ = -1;           // its place among the temporary files a signal removes
    std::filesystem::path real_;
    std::FILE *file_ = nullptr;
    bool finished_ = false;
};

// Which of standard input, output and error (0, 1, 2) were closed when the program started.
// Each closed one is opened on /dev/null, so that no file the program opens takes its number
// and with it the reads or writes meant for the stream. Called first thing in main.
std::array<bool, 3> guard_standard_streams();

// A run stopped by SIGINT, SIGTERM, SIGHUP or SIGPIPE (standard output a pipe closed early)
// first removes the temporary files of the file_writers not yet committed, then stops as the
// signal stops it, so that its exit status says the signal. A signal the program was started
// ignoring stays ignored. SIGKILL cannot be caught: it leaves them (".NAME.tmp-XXXXXX" beside
// NAME). Called first thing in main.
void remove_temporaries_on_signals();

// Throws as write_whole would when `path` plainly cannot be written (its folder missing or
// not writable, a folder in its place), so that a long run fails before it starts.
void check_writable(const std::string &path);

} // namespace varno96
