#include "report/report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "spectrum/errors.h"
#include "spectrum/system_error_text.h"

namespace {

[[noreturn]] void Fail(const std::string& path, int errorNumber) {
  throw ReportWriteError("Výsledný soubor „" + path +
                         "“ nelze zapsat: " + SystemErrorText(errorNumber) + ".");
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return path.substr(0, slash + 1);
}

// Creates a new file next to `path` that nobody else can be using.
int CreateTemporary(const std::string& path, std::string& temporaryPath) {
  static std::atomic<unsigned> counter{0};
  const std::string base = DirectoryOf(path) + ".odecet-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = base + std::to_string(counter++) + ".tmp";
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::string FormReportPath(std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + name.size() + 4);
  path.append(directory).append(name).append(".txt");
  return path;
}

void WriteFileReplacing(const std::string& path, std::string_view bytes) {
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  // Renaming over a device, a directory or a pipe would destroy it rather than write into it.
  if (exists && !S_ISREG(existing.st_mode)) {
    throw ReportWriteError("Výsledný soubor „" + path + "“ nelze zapsat: na tom místě je " +
                           (S_ISDIR(existing.st_mode) ? "adresář." : "zvláštní soubor."));
  }

  std::string temporaryPath;
  const int fd = CreateTemporary(path, temporaryPath);
  if (fd < 0)
    Fail(path, errno);

  bool ok = WriteAll(fd, bytes);
  if (ok && exists)
    ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  if (ok)
    ok = ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporaryPath.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporaryPath.c_str());
    Fail(path, error);
  }
}
