// Files that the tools read and write whole.
#pragma once

#include <string>
#include <string_view>

namespace varno96 {

// The whole of the file `path`. Throws std::runtime_error with the one-line message
// "PATH: cannot open: reason" or "PATH: cannot read: reason" (a folder among them).
std::string read_whole(const std::string &path);

// Writes `bytes` as the file `path`. A regular file (or none) is replaced through a temporary
// file in the same folder, renamed only when everything was written, so that `path` holds its
// old content or all of the new; through a symbolic link, the file it points to is replaced
// and the link kept. A pipe or device (/dev/stdout) is written directly. Throws
// std::runtime_error with the one-line message "cannot write PATH: reason".
void write_whole(const std::string &path, std::string_view bytes);

// Throws as write_whole would when `path` plainly cannot be written (its folder missing or
// not writable, a folder in its place), so that a long run fails before it starts.
void check_writable(const std::string &path);

} // namespace varno96
