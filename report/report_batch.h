#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "report/byte_sink.h"
#include "report/report_file.h"
#include "report/report_target.h"
#include "spectrum/errors.h"

namespace odecet {

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

 private:
  struct Staged;  // one report: its path, its place and its new file
  using Group = std::vector<std::unique_ptr<Staged>>;

  std::vector<Failure> WaitForSent();
  static void FlushToDisk(const Group& group);
  static void PutGroupInPlace(const Group& group, std::vector<Failure>& failures);

  TemporaryKind kind_;
  std::size_t capacity_;
  Group staged_;
  // The group sent: `flusher_` flushes it and puts it in place; what its paths name, for Holds.
  std::vector<ReportTarget> sentTargets_;
  std::vector<Failure> sentFailures_;  // written by `flusher_`, read once it has ended
  std::thread flusher_;
};

}  // namespace odecet
