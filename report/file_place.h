#pragma once

// Internal to report/: where a report's new file is made and how it takes the report's name,
// shared by the single writer (report_file.cpp), the batch and the targets (report_target.cpp).

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "report/byte_sink.h"
#include "report/report_file.h"
#include "report/report_target.h"
#include "report/write_error.h"
#include "spectrum/file_descriptor.h"

namespace odecet {

[[noreturn]] inline void Refuse(const std::string& path, const std::string& why) {
  throw CannotWriteReport(path, why);
}

[[noreturn]] inline void Fail(const std::string& path, int errorNumber) {
  throw CannotWriteReport(path, errorNumber);
}

// The path up to and with its last '/', empty when it has none; and the name after it.
std::string DirectoryOf(const std::string& path);
std::string NameOf(const std::string& path);

// What the symbolic link `link` says; empty with errno set when it cannot be read.
std::string LinkText(const std::string& link);

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
Target Resolve(const std::string& path);

// The target's directory, opened, and its name there, checked as a write by the shell's `>`
// would be: a directory or special file is refused, and so is a file the user may not write.
struct Place {
  Target target;
  std::shared_ptr<FileDescriptor> directory;
  std::string name;
};
Place CheckPlace(const std::string& path);

// The directory's path free of links, to tell whether two paths name one place.
std::string DirectoryKey(int directory);

ReportTarget TargetAt(const Place& place, const std::string& directoryKey);

// The new report's file, from its creation until it has the report's name.
class Temporary {
 public:
  // `mode` applies under the umask; a replaced report's own mode is set afterwards.
  Temporary(int directory, TemporaryKind kind, mode_t mode);
  ~Temporary();
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  int fd() const { return fd_; }

  // Gives an unnamed file a temporary name, so that rename() can put it over the report.
  bool Name();
  bool Close();
  bool RenameTo(const std::string& name);

 private:
  // Tries fresh random names until `create` makes one in the directory; false with errno set
  // when it fails for another reason than a name already taken. The name is armed for the
  // signal handlers in the same breath, with the signals blocked and counted as being made.
  bool TakeName(const std::function<bool(const char*)>& create);

  int directory_;
  int fd_ = -1;
  std::string name_;
  int slot_ = -1;  // where the name is armed for the signal handlers
};

// The new file beside the target with all of the bytes in it, not yet flushed or named.
std::unique_ptr<Temporary> WriteTemporary(const std::string& path, const Place& place,
                                          const ByteSource& source, TemporaryKind kind);

// A flushed new file takes the target's name.
bool PutInPlace(Temporary& temporary, const std::string& name);

}  // namespace odecet
