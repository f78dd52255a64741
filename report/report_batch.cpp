#include "report/report_batch.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/file_place.h"
#include "report/system_calls.h"
#include "report/temporary_cleanup.h"
#include "report/write_error.h"

namespace odecet {

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

// Every new file of the group on the disk: one syncfs per file system, each file by itself
// only where that fails. Touches nothing but the descriptors and flushError, so it may run
// beside the thread that stages the next group.
void ReportBatch::FlushToDisk(const Group& group) {
  std::vector<dev_t> flushed;
  for (std::size_t i = 0; i < group.size(); ++i) {
    const dev_t device = group[i]->made.device;
    if (std::find(flushed.begin(), flushed.end(), device) != flushed.end())
      continue;
    flushed.push_back(device);
    if (systemCalls.syncfs(group[i]->temporary->fd()) == 0)
      continue;
    for (std::size_t j = i; j < group.size(); ++j) {
      if (group[j]->made.device == device && systemCalls.fsync(group[j]->temporary->fd()) != 0)
        group[j]->flushError = errno;
    }
  }
}

// Then the names, in the order staged (a file that cannot take its name leaves the old one),
// and each directory flushed once, best effort as for one report.
void ReportBatch::PutGroupInPlace(const Group& group, std::vector<Failure>& failures) {
  const auto fail = [&](const Staged& staged, int errorNumber) {
    failures.push_back({staged.tag, CannotWriteReport(staged.path, errorNumber)});
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
    systemCalls.fsync(directory);
}

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
  {
    const AllSignalsBlocked flusherTakesNone;
    flusher_ = std::thread([this, group = std::move(staged_)]() mutable {
      FlushToDisk(group);
      PutGroupInPlace(group, sentFailures_);
    });
  }
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

}  // namespace odecet
