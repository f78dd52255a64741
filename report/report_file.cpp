#include "report/report_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "report/file_place.h"
#include "report/system_calls.h"
#include "report/temporary_cleanup.h"

namespace odecet {

namespace {

// A short name, so that a report path near PATH_MAX needs no longer temporary path.
std::string TemporaryName() {
  // Each thread its own generator, seeded by the kernel (std::random_device would first probe
  // the processor, which costs more than a small job).
  thread_local std::minstd_rand random([] {
    std::uint32_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed)
      seed = static_cast<std::uint32_t>(::getpid()) ^ static_cast<std::uint32_t>(::time(nullptr));
    return seed;
  }());
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".odecet-";
  for (int i = 0; i < 6; ++i)
    name += kLetters[random() % (sizeof kLetters - 1)];
  return name + ".tmp";
}

// Gives the new file what the old report had: owner and group where permitted, then its
// permissions without setuid and setgid.
bool TakeOverAttributes(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Neither is required: the new file then keeps the writer's owner and group.
  }
  return ::fchmod(fd, old.st_mode & 0777) == 0;
}

}  // namespace

Temporary::Temporary(int directory, TemporaryKind kind, mode_t mode) : directory_(directory) {
  if (kind == TemporaryKind::kUnnamedWhereSupported) {
    fd_ = systemCalls.openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd_ >= 0)
      return;
    // File systems without O_TMPFILE say so in several ways; anything else is a real error.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
      return;
  }
  TakeName([&](const char* name) {
    fd_ = systemCalls.openat(directory, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    return fd_ >= 0;
  });
}

Temporary::~Temporary() {
  if (fd_ >= 0)
    ::close(fd_);
  if (!name_.empty()) {
    const WriteSignalsBlocked blocked;
    ::unlinkat(directory_, name_.c_str(), 0);
    Disarm(slot_);
  }
}

bool Temporary::Name() {
  if (!name_.empty())
    return true;
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  return TakeName([&](const char* name) {
    return systemCalls.linkat(AT_FDCWD, self.c_str(), directory_, name, AT_SYMLINK_FOLLOW) == 0 ||
           systemCalls.linkat(fd_, "", directory_, name, AT_EMPTY_PATH) == 0;
  });
}

bool Temporary::Close() {
  return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0;
}

bool Temporary::RenameTo(const std::string& name) {
  const WriteSignalsBlocked blocked;
  if (systemCalls.renameat(directory_, name_.c_str(), directory_, name.c_str()) != 0)
    return false;
  name_.clear();
  Disarm(std::exchange(slot_, -1));
  return true;
}

bool Temporary::TakeName(const std::function<bool(const char*)>& create) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName();
    if (MakeArmedName(directory_, name, create, slot_)) {
      name_ = name;
      return true;
    }
    if (errno != EEXIST)
      return false;
  }
  errno = EEXIST;
  return false;
}

std::unique_ptr<Temporary> WriteTemporary(const std::string& path, const Place& place,
                                          const ByteSource& source, TemporaryKind kind) {
  // A replaced report may be private: the new file is private until it has the old one's mode.
  // A new report is created with the usual mode under the umask.
  auto temporary =
      std::make_unique<Temporary>(place.directory->get(), kind, place.target.exists ? 0600 : 0666);
  const int fd = temporary->fd();
  if (fd < 0 || (place.target.exists && !TakeOverAttributes(fd, place.target.info)))
    Fail(path, errno);
  source([&](std::string_view piece) {
    if (!WriteAll(fd, piece))
      Fail(path, errno);
  });
  return temporary;
}

bool PutInPlace(Temporary& temporary, const std::string& name) {
  return temporary.Name() && temporary.Close() && temporary.RenameTo(name);
}

void WriteFileReplacing(const std::string& path, const ByteSource& source, TemporaryKind kind) {
  const Place place = CheckPlace(path);
  const std::unique_ptr<Temporary> temporary = WriteTemporary(path, place, source, kind);
  if (systemCalls.fsync(temporary->fd()) != 0 || !PutInPlace(*temporary, place.name))
    Fail(path, errno);
  // Best effort: the report is in place; a directory that cannot be flushed changes nothing.
  systemCalls.fsync(place.directory->get());
}

void WriteFileReplacing(const std::string& path, std::string_view bytes, TemporaryKind kind) {
  WriteFileReplacing(
      path, [bytes](const ByteSink& put) { put(bytes); }, kind);
}

}  // namespace odecet
