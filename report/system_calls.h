#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string_view>

namespace odecet {

// The system calls of the writer and the batch that can fail in ways a test cannot provoke (a
// full disk, a device that fails, a file system without O_TMPFILE): the real ones, called
// through one pointer each, so that a test can put failing ones in their place
// (tests/system_call_failure.h). Each behaves as the call of its name and sets errno.
struct SystemCalls {
  int (*openat)(int directory, const char* name, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* bytes, std::size_t size);
  int (*fsync)(int fd);
  int (*syncfs)(int fd);
  int (*linkat)(int fromDirectory, const char* from, int toDirectory, const char* to, int flags);
  int (*renameat)(int fromDirectory, const char* from, int toDirectory, const char* to);
};
extern SystemCalls systemCalls;

// Writes all of `bytes` to `fd`, going on after short writes and interruptions; false with errno
// set when a write fails.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace odecet
