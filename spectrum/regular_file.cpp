#include "spectrum/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/system_error_text.h"

namespace odecet {

FileDescriptor OpenRegularFileForReading(const std::string& path) {
  const std::string prefix = "Soubor „" + VisibleText(path) + "“ nelze otevřít: ";
  int fd;
  // Without O_NONBLOCK, opening a FIFO waits until somebody writes to it.
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    throw StepFileError(prefix + SystemErrorText(errno) + ".");
  FileDescriptor file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    throw StepFileError(prefix + SystemErrorText(errno) + ".");
  if (S_ISDIR(info.st_mode))
    throw StepFileError(prefix + SystemErrorText(EISDIR) + ".");
  if (!S_ISREG(info.st_mode))
    throw StepFileError(prefix + "není to obyčejný soubor (je to roura, zařízení nebo soket).");
  // Reads of a regular file never wait anyway; clear the flag so they behave as usual.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0)
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return file;
}

}  // namespace odecet
