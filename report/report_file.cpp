#include "report/report_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/system_error_text.h"

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  throw ReportWriteError("Výsledný soubor „" + VisibleText(path) + "“ nelze zapsat: " + why, why);
}

[[noreturn]] void Fail(const std::string& path, int errorNumber) {
  Refuse(path, SystemErrorText(errorNumber) + ".");
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// The signals that end the process after removing the temporary file.
constexpr int kCleanupSignals[] = {SIGTERM, SIGHUP, SIGINT};

sigset_t CleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kCleanupSignals)
    sigaddset(&set, signal);
  return set;
}

// The temporary files that a signal handler may have to remove: names in open directories. A
// batch may hold as many named ones as it stages. Slots are written only with the signals
// blocked, so a handler never sees one half set.
// A batch's jobs may run on two threads: a slot is claimed by one compare-and-swap, and the
// handlers use it only once it is fully armed.
enum SlotState : int { kFree = 0, kClaimed = 1, kArmed = 2 };
static_assert(std::atomic<int>::is_always_lock_free, "the signal handlers read the slots");
struct PendingTemporary {
  std::atomic<int> state{kFree};
  int directory = -1;
  char name[32] = {};
};
PendingTemporary pending[2 * ReportBatch::kCapacity + 1];

// The handler runs on one thread while the others go on: a name made after it looked at the
// slots would stay. So a name is made and armed only inside a count of names being made, and
// the handler first shuts the door, then waits for that count to fall to zero, and only then
// removes what is armed. A thread finding the door shut makes no name: the process is ending.
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handlers set the door");
std::atomic<int> namesBeingMade{0};
std::atomic<bool> ending{false};

using SignalBlock = WriteSignalsBlocked;

// The slot now holding the name, or -1 when all are taken (the file is then left to chance).
int Arm(int directory, const std::string& name) {
  for (int slot = 0; slot < static_cast<int>(std::size(pending)); ++slot) {
    PendingTemporary& entry = pending[slot];
    int expected = kFree;
    if (!entry.state.compare_exchange_strong(expected, kClaimed))
      continue;
    entry.directory = directory;
    std::memcpy(entry.name, name.c_str(), name.size() + 1);
    entry.state.store(kArmed);
    return slot;
  }
  return -1;
}

void Disarm(int slot) {
  if (slot >= 0)
    pending[slot].state.store(kFree);
}

extern "C" void RemoveTemporaryAndDie(int signal) {
  ending.store(true);
  while (namesBeingMade.load() != 0) {
    // Another thread is between making a name and arming it; it takes no signal meanwhile.
  }
  for (const PendingTemporary& entry : pending) {
    if (entry.state.load() == kArmed)
      ::unlinkat(entry.directory, entry.name, 0);
  }
  std::signal(signal, SIG_DFL);
  ::raise(signal);
}

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

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The new report's file, from its creation until it has the report's name.
class Temporary {
 public:
  // `mode` applies under the umask; a replaced report's own mode is set afterwards.
  Temporary(int directory, TemporaryKind kind, mode_t mode) : directory_(directory) {
    if (kind == TemporaryKind::kUnnamedWhereSupported) {
      fd_ = ::openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
      if (fd_ >= 0)
        return;
      // File systems without O_TMPFILE say so in several ways; anything else is a real error.
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return;
    }
    TakeName([&](const char* name) {
      fd_ = ::openat(directory, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      return fd_ >= 0;
    });
  }
  ~Temporary() {
    if (fd_ >= 0)
      ::close(fd_);
    if (!name_.empty()) {
      const SignalBlock blocked;
      ::unlinkat(directory_, name_.c_str(), 0);
      Disarm(slot_);
    }
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  int fd() const { return fd_; }

  // Gives an unnamed file a temporary name, so that rename() can put it over the report.
  bool Name() {
    if (!name_.empty())
      return true;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    return TakeName([&](const char* name) {
      return ::linkat(AT_FDCWD, self.c_str(), directory_, name, AT_SYMLINK_FOLLOW) == 0 ||
             ::linkat(fd_, "", directory_, name, AT_EMPTY_PATH) == 0;
    });
  }

  bool Close() { return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0; }

  bool RenameTo(const std::string& name) {
    const SignalBlock blocked;
    if (::renameat(directory_, name_.c_str(), directory_, name.c_str()) != 0)
      return false;
    name_.clear();
    Disarm(std::exchange(slot_, -1));
    return true;
  }

 private:
  // Tries fresh random names until `create` makes one in the directory; false with errno set
  // when it fails for another reason than a name already taken. The name is armed for the
  // signal handlers in the same breath, with the signals blocked and counted as being made.
  template <typename Create>
  bool TakeName(const Create& create) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = TemporaryName();
      const SignalBlock blocked;
      namesBeingMade.fetch_add(1);
      if (ending.load()) {
        namesBeingMade.fetch_sub(1);
        for (;;)
          ::pause();  // until the handler on another thread has ended the process
      }
      const bool made = create(name.c_str());
      if (made)
        slot_ = Arm(directory_, name);
      namesBeingMade.fetch_sub(1);
      if (made) {
        name_ = name;
        return true;
      }
      if (errno != EEXIST)
        return false;
    }
    errno = EEXIST;
    return false;
  }

  int directory_;
  int fd_ = -1;
  std::string name_;
  int slot_ = -1;  // where the name is armed for the signal handlers
};

// Gives the new file what the old report had: owner and group where permitted, then its
// permissions without setuid and setgid.
bool TakeOverAttributes(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Neither is required: the new file then keeps the writer's owner and group.
  }
  return ::fchmod(fd, old.st_mode & 0777) == 0;
}

// The file the path names, with every symbolic link followed by the kernel itself, so that its
// rules for a plain open (fs.protected_symlinks above all) apply to the report as well: the
// existing file is opened with O_PATH and its real path read back from the descriptor.
// Only a dangling link is read by hand, one hop at a time, and only after the kernel has
// followed it and found nothing at its end (a link it may not follow fails with EACCES then).
// The missing file is then created where the link points, by a rename that follows no link.
struct Target {
  std::string path;  // free of links up to its last name when `exists`
  bool exists = false;
  struct stat info {};
  // The existing file, held open: renaming over it then leaves freeing its blocks (which waits
  // for the journal) to the last close, which a batch makes off the jobs' thread.
  std::shared_ptr<FileDescriptor> file;
};

std::string LinkText(const std::string& link) {
  std::string text(PATH_MAX, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length < 0)
      return {};
    if (static_cast<std::size_t>(length) < text.size()) {
      text.resize(static_cast<std::size_t>(length));
      return text;
    }
    text.resize(text.size() * 2);  // /proc links say nothing true about their length
  }
}

Target Resolve(const std::string& path) {
  Target target;
  target.path = path;
  for (int hop = 0; hop < 40; ++hop) {
    auto file = std::make_shared<FileDescriptor>(::open(target.path.c_str(), O_PATH | O_CLOEXEC));
    if (file->get() >= 0) {
      if (::fstat(file->get(), &target.info) != 0)
        Fail(path, errno);
      target.path = LinkText("/proc/self/fd/" + std::to_string(file->get()));
      if (target.path.empty())
        Fail(path, errno);
      target.exists = true;
      target.file = std::move(file);
      return target;
    }
    if (errno != ENOENT)
      Fail(path, errno);
    struct stat link {};
    if (::lstat(target.path.c_str(), &link) != 0) {
      if (errno != ENOENT)
        Fail(path, errno);
      return target;  // a new file, or the missing file a dangling link names
    }
    if (!S_ISLNK(link.st_mode))
      continue;  // it appeared meanwhile: the kernel opens it next time
    const std::string text = LinkText(target.path);
    if (text.empty())
      Fail(path, errno);
    target.path = text.starts_with('/') ? text : DirectoryOf(target.path) + text;
  }
  Fail(path, ELOOP);
}

// The target's directory, opened, and its name there, checked as a write by the shell's `>`
// would be: a directory or special file is refused, and so is a file the user may not write.
struct Place {
  Target target;
  std::shared_ptr<FileDescriptor> directory;
  std::string name;
};

Place CheckPlace(const std::string& path) {
  Place place;
  place.target = Resolve(path);
  const Target& target = place.target;
  const struct stat& existing = target.info;
  // Renaming over a device, a directory or a pipe would destroy it rather than write into it.
  if (target.exists && !S_ISREG(existing.st_mode))
    Refuse(path, S_ISDIR(existing.st_mode) ? "na tom místě je adresář." : "je to zvláštní soubor.");

  const std::string directoryPath = DirectoryOf(target.path);
  place.name = NameOf(target.path);
  place.directory = std::make_shared<FileDescriptor>(::open(
      directoryPath.empty() ? "." : directoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int directory = place.directory->get();
  if (directory < 0)
    Fail(path, errno);
  if (target.exists) {
    // The name must still be the file the kernel resolved, not something put there since.
    struct stat there {};
    if (::fstatat(directory, place.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0)
      Fail(path, errno);
    if (there.st_dev != existing.st_dev || there.st_ino != existing.st_ino)
      Refuse(path, "soubor byl mezitím přesunut nebo nahrazen.");
    // Replacing is not writing, but a file the user may not write is refused as by `>`.
    if (::faccessat(directory, place.name.c_str(), W_OK, AT_EACCESS) != 0)
      Fail(path, errno);
  }
  return place;
}

// The new file beside the target with all of the bytes in it, not yet flushed or named.
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

// A flushed new file takes the target's name.
bool PutInPlace(Temporary& temporary, const std::string& name) {
  return temporary.Name() && temporary.Close() && temporary.RenameTo(name);
}

// The directory's path free of links, to tell whether two paths name one place.
std::string DirectoryKey(int directory) {
  return LinkText("/proc/self/fd/" + std::to_string(directory));
}

ReportTarget TargetAt(const Place& place, const std::string& directoryKey) {
  return {directoryKey + "/" + place.name, place.target.exists, place.target.info.st_dev,
          place.target.info.st_ino};
}

}  // namespace

std::string FormReportPath(std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + name.size() + 4);
  path.append(directory).append(name).append(".txt");
  return path;
}

void WriteFileReplacing(const std::string& path, const ByteSource& source, TemporaryKind kind) {
  const Place place = CheckPlace(path);
  const std::unique_ptr<Temporary> temporary = WriteTemporary(path, place, source, kind);
  if (::fsync(temporary->fd()) != 0 || !PutInPlace(*temporary, place.name))
    Fail(path, errno);
  // Best effort: the report is in place; a directory that cannot be flushed changes nothing.
  ::fsync(place.directory->get());
}

void WriteFileReplacing(const std::string& path, std::string_view bytes, TemporaryKind kind) {
  WriteFileReplacing(
      path, [bytes](const ByteSink& put) { put(bytes); }, kind);
}

struct ReportBatch::Staged {
  std::string path;          // as given, for messages
  std::size_t tag = 0;       // the caller's, for its failure
  std::string directoryKey;  // the target's directory free of links
  Place place;
  std::unique_ptr<Temporary> temporary;
  // What the path names while the report is on its way: the file replaced (or the place of a
  // new one), and the new file once it has taken the name.
  ReportTarget replaced;
  ReportTarget made;
  int flushError = 0;  // errno of a failed flush
};

namespace {

// Every new file of the group on the disk: one syncfs per file system, each file by itself
// only where that fails. Touches nothing but the descriptors and flushError, so it may run
// beside the thread that stages the next group.
void FlushToDisk(const std::vector<std::unique_ptr<ReportBatch::Staged>>& group) {
  std::vector<dev_t> flushed;
  for (std::size_t i = 0; i < group.size(); ++i) {
    const dev_t device = group[i]->made.device;
    if (std::find(flushed.begin(), flushed.end(), device) != flushed.end())
      continue;
    flushed.push_back(device);
    if (::syncfs(group[i]->temporary->fd()) == 0)
      continue;
    for (std::size_t j = i; j < group.size(); ++j) {
      if (group[j]->made.device == device && ::fsync(group[j]->temporary->fd()) != 0)
        group[j]->flushError = errno;
    }
  }
}

// Then the names, in the order staged (a file that cannot take its name leaves the old one),
// and each directory flushed once, best effort as for one report.
void PutGroupInPlace(const std::vector<std::unique_ptr<ReportBatch::Staged>>& group,
                     std::vector<ReportBatch::Failure>& failures) {
  const auto fail = [&](const ReportBatch::Staged& staged, int errorNumber) {
    try {
      Fail(staged.path, errorNumber);
    } catch (const ReportWriteError& error) {
      failures.push_back({staged.tag, error});
    }
  };
  std::vector<int> renamedIn;
  for (const auto& staged : group) {
    if (staged->flushError != 0) {
      fail(*staged, staged->flushError);
      continue;
    }
    if (!PutInPlace(*staged->temporary, staged->place.name)) {
      fail(*staged, errno);
      continue;
    }
    const int directory = staged->place.directory->get();
    if (std::find(renamedIn.begin(), renamedIn.end(), directory) == renamedIn.end())
      renamedIn.push_back(directory);
  }
  for (const int directory : renamedIn)
    ::fsync(directory);
}

}  // namespace

ReportBatch::ReportBatch(TemporaryKind kind, std::size_t capacity)
    : kind_(kind), capacity_(std::clamp<std::size_t>(capacity, 1, kCapacity)) {}

ReportBatch::~ReportBatch() {
  if (flusher_.joinable())
    flusher_.join();
}

void ReportBatch::Stage(const std::string& path, const ByteSource& source, std::size_t tag) {
  auto staged = std::make_unique<Staged>();
  staged->path = path;
  staged->tag = tag;
  staged->place = CheckPlace(path);
  // Staged files in one directory share its descriptor, so a batch holds few open.
  staged->directoryKey = DirectoryKey(staged->place.directory->get());
  staged->replaced = TargetAt(staged->place, staged->directoryKey);
  for (const auto& other : staged_) {
    if (other->directoryKey == staged->directoryKey) {
      staged->place.directory = other->place.directory;
      break;
    }
  }
  staged->temporary = WriteTemporary(path, staged->place, source, kind_);
  // The disk starts on this report while the next ones are made; the group's flush then
  // mostly waits for what is under way. Only a hint: the flush checks every error.
  ::sync_file_range(staged->temporary->fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
  struct stat info {};
  if (::fstat(staged->temporary->fd(), &info) != 0)
    Fail(path, errno);
  staged->made = {staged->replaced.key, true, info.st_dev, info.st_ino};
  staged_.push_back(std::move(staged));
}

bool ReportBatch::Holds(const std::string& path) const {
  if (staged_.empty() && sentTargets_.empty())
    return false;
  const auto held = [&](const auto& matches) {
    return std::any_of(sentTargets_.begin(), sentTargets_.end(), matches) ||
           std::any_of(staged_.begin(), staged_.end(), [&](const auto& staged) {
             return matches(staged->replaced) || matches(staged->made);
           });
  };
  // An existing file is one a staged report replaces when it is the very file (a single stat);
  // only a missing one needs its place compared with those of the new reports.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    return held([&](const ReportTarget& target) {
      return target.exists && target.device == info.st_dev && target.inode == info.st_ino;
    });
  }
  if (errno != ENOENT)
    return false;
  // A place that cannot be told might be a staged report's: committing first is always right.
  const std::optional<ReportTarget> missing = IdentifyReportTarget(path);
  return !missing || held([&](const ReportTarget& target) { return target.key == missing->key; });
}

std::vector<ReportBatch::Failure> ReportBatch::WaitForSent() {
  if (flusher_.joinable())
    flusher_.join();
  sentTargets_.clear();
  return std::exchange(sentFailures_, {});
}

std::vector<ReportBatch::Failure> ReportBatch::Send() {
  std::vector<Failure> failures = WaitForSent();
  for (const auto& staged : staged_) {
    sentTargets_.push_back(staged->replaced);
    sentTargets_.push_back(staged->made);
  }
  // The flushing thread takes no signal: the handlers run where the temporaries are armed.
  // It flushes the group, renames each file over its target and lets go of the files they
  // replaced (freeing their blocks waits for the disk), all while the next group is staged.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &previous);
  flusher_ = std::thread([this, group = std::move(staged_)]() mutable {
    FlushToDisk(group);
    PutGroupInPlace(group, sentFailures_);
  });
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  staged_.clear();
  return failures;
}

std::vector<ReportBatch::Failure> ReportBatch::Commit() {
  std::vector<Failure> failures = WaitForSent();
  FlushToDisk(staged_);
  PutGroupInPlace(staged_, failures);
  staged_.clear();
  return failures;
}

std::optional<ReportTarget> IdentifyReportTarget(const std::string& path) {
  try {
    const Place place = CheckPlace(path);
    return TargetAt(place, DirectoryKey(place.directory->get()));
  } catch (const ReportWriteError&) {
    return std::nullopt;
  }
}

std::optional<ReportTarget> ReportTargets::Identify(const std::string& path) {
  const std::string directoryPath = DirectoryOf(path);
  const std::string name = NameOf(path);
  if (name.empty() || name == "." || name == "..")
    return IdentifyReportTarget(path);
  auto directory =
      std::find_if(directories_.begin(), directories_.end(),
                   [&](const Directory& known) { return known.path == directoryPath; });
  if (directory == directories_.end()) {
    // Only its link-free path is kept: a list may name more folders than files may be open.
    const FileDescriptor fd(::open(directoryPath.empty() ? "." : directoryPath.c_str(),
                                   O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
      return IdentifyReportTarget(path);
    std::string key = DirectoryKey(fd.get());
    if (!key.starts_with('/'))
      return IdentifyReportTarget(path);
    directories_.push_back({directoryPath, std::move(key)});
    directory = directories_.end() - 1;
  }
  const std::string target = directory->key + "/" + name;
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) {
    if (errno == ENOENT)
      return ReportTarget{target, false, 0, 0};
    return IdentifyReportTarget(path);
  }
  if (S_ISLNK(info.st_mode))  // the kernel follows it, by its own rules
    return IdentifyReportTarget(path);
  return ReportTarget{target, true, info.st_dev, info.st_ino};
}

std::optional<int> DescriptorNamedBy(const std::string& path) {
  static constexpr std::pair<std::string_view, int> kStandard[] = {
      {"/dev/stdin", STDIN_FILENO}, {"/dev/stdout", STDOUT_FILENO}, {"/dev/stderr", STDERR_FILENO}};
  for (const auto& [name, fd] : kStandard) {
    if (path == name)
      return fd;
  }
  const std::string ownProcess = "/proc/" + std::to_string(::getpid()) + "/fd/";
  for (const std::string_view directory :
       {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
        std::string_view("/proc/thread-self/fd/"), std::string_view(ownProcess)}) {
    if (!path.starts_with(directory))
      continue;
    const std::string_view number = std::string_view(path).substr(directory.size());
    int fd = -1;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), fd);
    if (error == std::errc() && end == number.data() + number.size() && !number.empty() &&
        std::isdigit(static_cast<unsigned char>(number.front())) != 0)
      return fd;
  }
  return std::nullopt;
}

void WriteToDescriptor(int fd, std::string_view bytes, const std::string& path) {
  if (!WriteAll(fd, bytes))
    Fail(path, errno);
}

WriteSignalsBlocked::WriteSignalsBlocked() {
  const sigset_t set = CleanupSignalSet();
  ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

WriteSignalsBlocked::~WriteSignalsBlocked() {
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void InstallWriteSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndDie;
  action.sa_mask = CleanupSignalSet();
  for (const int signal : kCleanupSignals) {
    struct sigaction previous {};
    ::sigaction(signal, nullptr, &previous);
    if (previous.sa_handler != SIG_IGN)  // nohup and the like asked for it to be ignored
      ::sigaction(signal, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}
