#include "report/system_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace odecet {

SystemCalls systemCalls = {
    [](int directory, const char* name, int flags, mode_t mode) {
      return ::openat(directory, name, flags, mode);
    },
    [](int fd, const void* bytes, std::size_t size) { return ::write(fd, bytes, size); },
    [](int fd) { return ::fsync(fd); },
    [](int fd) { return ::syncfs(fd); },
    [](int fromDirectory, const char* from, int toDirectory, const char* to, int flags) {
      return ::linkat(fromDirectory, from, toDirectory, to, flags);
    },
    [](int fromDirectory, const char* from, int toDirectory, const char* to) {
      return ::renameat(fromDirectory, from, toDirectory, to);
    },
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = systemCalls.write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace odecet
