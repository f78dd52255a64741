#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "report/byte_sink.h"
#include "spectrum/errors.h"

// The report path from the window: the directory shown, the typed name and ".txt", joined as they
// stand (nothing trimmed, ".txt" added even after ".txt"; an empty directory gives a relative
// path).
std::string FormReportPath(std::string_view directory, std::string_view name);

// How the new file is made before it takes the report's name.
enum class TemporaryKind {
  kUnnamedWhereSupported,  // O_TMPFILE: nothing is left behind even by kill -9
  kNamed,                  // a hidden ".odecet-XXXXXX.tmp" beside the report
};

// Writes `bytes` to `path`, replacing any file there. Symbolic links are followed by the kernel,
// under its own rules (fs.protected_symlinks): the file they name is replaced and the links
// stay; a dangling link gets its file. An existing file the user may not write is refused, as
// by the shell's `>`. The bytes go to a new file in the same directory,
// created private and given the old report's mode (never setuid or setgid) and, where
// permitted, its owner and group before anything is written; it is flushed to disk and renamed
// over the target, and the directory is flushed too, so the new name survives a power cut. A
// failed write never leaves a cut report and never destroys the file that was there.
// Throws ReportWriteError, naming the path, when the report cannot be created or written, when a
// directory or a special file stands there, or when a link cannot be followed.
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        TemporaryKind kind = TemporaryKind::kUnnamedWhereSupported);

// The same with the bytes handed over piece by piece (report_text.h's StreamReport).
void WriteFileReplacing(const std::string& path, const ByteSource& source,
                        TemporaryKind kind = TemporaryKind::kUnnamedWhereSupported);

// What a report written to `path` would replace, as far as it matters whether two paths of a
// batch name one file: the file itself when it exists, else the place it would be created.
struct ReportTarget {
  std::string key;  // its directory free of links, '/' and its name
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
};
// Nothing when the report could not be written there at all.
std::optional<ReportTarget> IdentifyReportTarget(const std::string& path);

// Identifies the targets of many reports as IdentifyReportTarget does, opening each directory
// only once and keeping none open; may also identify a target that could not be written.
class ReportTargets {
 public:
  std::optional<ReportTarget> Identify(const std::string& path);

 private:
  struct Directory {
    std::string path;
    std::string key;
  };
  std::vector<Directory> directories_;
};

// Replaces many reports, each as WriteFileReplacing does, but flushes them to disk together:
// Stage() checks the target and writes the new file beside it at once; Send() has the staged
// files flushed to disk in the background (one syncfs per file system, fsync of each file where
// that fails), renamed over their targets and each directory flushed once, while the next are
// staged; Commit() waits for that and does the same with the rest. Each target holds either its old
// file or the whole new one at any moment, also when a later step fails or the process dies.
// Unnamed temporaries get their names only when renamed; named ones are removed by the signal
// handlers like a single report's. Destroying the batch discards what was not put in place.
class ReportBatch {
 public:
  // Staged reports at most (also the most any batch may be given); stage more only after Send()
  // or Commit(). Batches that run at the same time should share this between them, so that
  // the open files stay as few.
  static constexpr std::size_t kCapacity = 128;

  explicit ReportBatch(TemporaryKind kind = TemporaryKind::kUnnamedWhereSupported,
                       std::size_t capacity = kCapacity);
  ~ReportBatch();
  ReportBatch(const ReportBatch&) = delete;
  ReportBatch& operator=(const ReportBatch&) = delete;

  // Throws ReportWriteError as WriteFileReplacing would; nothing is staged then. `tag` comes
  // back with the report's failure, if any.
  void Stage(const std::string& path, const ByteSource& source, std::size_t tag = 0);

  std::size_t staged() const { return staged_.size(); }
  bool full() const { return staged_.size() >= capacity_; }

  // Whether a report staged or sent will replace the file `path` names (also when that cannot be
  // told): one who reads it must commit first to see what a run before would have written.
  bool Holds(const std::string& path) const;

  // A report that did not take its place; its target keeps the old file.
  struct Failure {
    std::size_t tag;
    ReportWriteError error;
  };
  // Waits until what was sent before is in place and returns what of it failed, then sends the
  // staged reports to disk and into place in the background.
  std::vector<Failure> Send();
  // Puts every report in place, in the order staged (of two for one target, the later wins),
  // and returns those that failed. The batch is empty afterwards.
  std::vector<Failure> Commit();

  struct Staged;

 private:
  std::vector<Failure> WaitForSent();

  TemporaryKind kind_;
  std::size_t capacity_;
  std::vector<std::unique_ptr<Staged>> staged_;
  // The group sent: `flusher_` flushes it and puts it in place; what its paths name, for Holds.
  std::vector<ReportTarget> sentTargets_;
  std::vector<Failure> sentFailures_;  // written by `flusher_`, read once it has ended
  std::thread flusher_;
};

// Installs handlers for SIGTERM, SIGHUP and SIGINT that remove the temporary file of a report
// being written and then end the process by the same signal, and ignores SIGXFSZ, so that a
// file-size limit makes the write fail with an error instead of killing the process.
// For a program's start-up; the handlers touch nothing but that one file.
void InstallWriteSignalHandlers();

// While it lives, the calling thread takes none of those signals, and threads it starts
// meanwhile inherit that: the handlers then run on the one thread that still takes them.
class WriteSignalsBlocked {
 public:
  WriteSignalsBlocked();
  ~WriteSignalsBlocked();
  WriteSignalsBlocked(const WriteSignalsBlocked&) = delete;
  WriteSignalsBlocked& operator=(const WriteSignalsBlocked&) = delete;

 private:
  sigset_t previous_;
};

// The descriptor that `path` names by its form: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N or /proc/PID/fd/N with this process's PID. Such a path
// is written through the descriptor as the shell opened it (appending, into a pipe), never by
// replacing the file behind it.
std::optional<int> DescriptorNamedBy(const std::string& path);

// Writes all of `bytes` to the open descriptor `fd`; throws ReportWriteError naming `path`.
void WriteToDescriptor(int fd, std::string_view bytes, const std::string& path);
