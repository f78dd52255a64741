#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace odecet {

// The descriptor that `path` names by its form: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N or /proc/PID/fd/N with this process's PID. Such a path
// is written through the descriptor as the shell opened it (appending, into a pipe), never by
// replacing the file behind it.
std::optional<int> DescriptorNamedBy(const std::string& path);

// Writes all of `bytes` to the open descriptor `fd`; throws ReportWriteError naming `path`.
void WriteToDescriptor(int fd, std::string_view bytes, const std::string& path);

}  // namespace odecet
