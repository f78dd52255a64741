// What the writer and the batch do when a system call fails in a way a real disk seldom shows a
// test: each failure is put in by tests/system_call_failure.h.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "report/report_batch.h"
#include "report/report_file.h"
#include "spectrum/errors.h"
#include "spectrum/system_error_text.h"
#include "system_call_failure.h"
#include "temporary_kinds.h"
#include "test_files.h"

using namespace odecet;

namespace {

// A system call made to fail: which one, the how-manieth, with which errno, and what it is.
struct InjectedFailure {
  const char* what;
  SystemCall call;
  int nth;
  int error;
};

using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::size_t EntriesIn(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

// The report in three pieces, so that a write may fail after some of it is on the disk.
const ByteSource kPieces = [](const ByteSink& put) {
  put("new ");
  put(std::string(5000, 'r'));
  put(" end");
};
const std::string kWhole = "new " + std::string(5000, 'r') + " end";

class Failures : public ::testing::TestWithParam<TemporaryKind> {
 protected:
  // The error of writing kPieces to `path`, or nothing when it was written.
  std::optional<ReportWriteError> ErrorOf(const std::string& path) {
    try {
      WriteFileReplacing(path, kPieces, GetParam());
    } catch (const ReportWriteError& error) {
      return error;
    }
    return std::nullopt;
  }
  TempDir dir;
};
INSTANTIATE_FOR_EACH_TEMPORARY(Failures);

// Any step up to the rename that fails leaves the old report as it was and no temporary
// behind, and says which file and the system's reason.
TEST_P(Failures, AFailedStepLeavesTheOldReportAndNoTemporary) {
  const InjectedFailure cases[] = {
      {"creating the new file", SystemCall::kOpenat, 1, EMFILE},
      {"the first write, disk full", SystemCall::kWrite, 1, ENOSPC},
      {"the first write, device failing", SystemCall::kWrite, 1, EIO},
      {"a later write", SystemCall::kWrite, 3, ENOSPC},
      {"flushing the file", SystemCall::kFsync, 1, EIO},
      {"renaming it over the report", SystemCall::kRenameat, 1, EIO},
  };
  for (const InjectedFailure& c : cases) {
    const std::string path = dir.Write("report.txt", "old report");
    std::optional<ReportWriteError> error;
    {
      const ScopedSystemCallFailure failure(c.call, c.nth, c.error);
      error = ErrorOf(path);
      ASSERT_GE(failure.calls(), c.nth) << c.what;
    }
    ASSERT_TRUE(error) << c.what;
    EXPECT_THAT(error->what(), HasSubstr(path)) << c.what;
    EXPECT_EQ(error->reason(), SystemErrorText(c.error) + ".") << c.what;
    EXPECT_EQ(ReadAll(path), "old report") << c.what;
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << c.what << ": no temporary is left behind";
  }
}

// An unnamed temporary gets its name by linkat just before the rename; when it cannot, the old
// report stays and nothing is left.
TEST(UnnamedTemporary, ALinkOfAnUnnamedTemporaryThatFailsLeavesTheOldReport) {
  TempDir dir;
  const std::string path = dir.Write("report.txt", "old report");
  const ScopedSystemCallFailure failure(SystemCall::kLinkat, ScopedSystemCallFailure::kEvery,
                                        ENOSPC);
  try {
    WriteFileReplacing(path, kPieces, TemporaryKind::kUnnamedWhereSupported);
    ADD_FAILURE() << "written although no name could be given";
  } catch (const ReportWriteError& error) {
    EXPECT_THAT(error.what(), HasSubstr(path));
    EXPECT_EQ(error.reason(), SystemErrorText(ENOSPC) + ".");
  }
  if (failure.calls() == 0)
    GTEST_SKIP() << "the temporary directory's file system has no O_TMPFILE";
  EXPECT_EQ(ReadAll(path), "old report");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// A file system that has no O_TMPFILE says so in one of three ways: the writer then names its
// temporary instead.
TEST(UnnamedTemporary, AFileSystemWithoutUnnamedFilesGetsANamedTemporary) {
  for (const int error : {EOPNOTSUPP, EISDIR, EINVAL}) {
    TempDir dir;
    const std::string path = dir.Write("report.txt", "old report");
    {
      const ScopedSystemCallFailure failure(SystemCall::kOpenat, 1, error);
      WriteFileReplacing(path, kPieces, TemporaryKind::kUnnamedWhereSupported);
      EXPECT_EQ(failure.calls(), 2) << SystemErrorText(error);
    }
    EXPECT_EQ(ReadAll(path), kWhole) << SystemErrorText(error);
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << SystemErrorText(error);
  }
}

// Writes that take only part of what they are given, and writes interrupted before they take
// anything, are gone on with until the whole report is written.
TEST_P(Failures, ShortAndInterruptedWritesStillWriteTheWholeReport) {
  const std::string path = dir.Write("report.txt", "old report");
  {
    const ScopedShortWrites shortWrites(1000);
    EXPECT_FALSE(ErrorOf(path));
    EXPECT_GE(shortWrites.writes(), 2 * 6);
  }
  EXPECT_EQ(ReadAll(path), kWhole);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// The directory is flushed after the rename, best effort: the report is in place by then.
TEST_P(Failures, AFailedFlushOfTheDirectoryChangesNothing) {
  const std::string path = dir.Write("report.txt", "old report");
  {
    const ScopedSystemCallFailure failure(SystemCall::kFsync, 2, EIO);
    EXPECT_FALSE(ErrorOf(path));
    EXPECT_EQ(failure.calls(), 2) << "the file, then its directory";
  }
  EXPECT_EQ(ReadAll(path), kWhole);
}

// A batch of three reports in one directory, tagged 1, 2 and 3, each replacing an old file.
class BatchFailures : public Failures {
 protected:
  BatchFailures() {
    for (int i = 1; i <= 3; ++i)
      paths.push_back(dir.Write("r" + std::to_string(i) + ".txt", "old"));
  }
  void StageAll(ReportBatch& batch) {
    for (std::size_t i = 0; i < paths.size(); ++i)
      batch.Stage(paths[i], kPieces, i + 1);
  }
  // What each target holds: "old" or "new" (the whole new report) or what else it holds.
  std::vector<std::string> Contents() const {
    std::vector<std::string> contents;
    for (const std::string& path : paths) {
      const std::string bytes = ReadAll(path);
      contents.push_back(bytes == kWhole ? "new" : bytes);
    }
    return contents;
  }
  std::vector<std::string> paths;
};
INSTANTIATE_FOR_EACH_TEMPORARY(BatchFailures);

// A report that fails in the middle of a group keeps its old file and comes back with its tag;
// the others of the group take their places all the same. Alike whether the group was sent to
// the background first or committed at once.
TEST_P(BatchFailures, AFailureInTheMiddleOfAGroupCostsOnlyThatReport) {
  const InjectedFailure cases[] = {
      {"the second rename", SystemCall::kRenameat, 2, EIO},
      {"the second report's flush, syncfs failing", SystemCall::kFsync, 2, EIO},
  };
  for (const bool sent : {false, true}) {
    for (const InjectedFailure& c : cases) {
      for (const std::string& path : paths)
        dir.Write(std::filesystem::path(path).filename().string(), "old");
      std::vector<ReportBatch::Failure> failures;
      {
        // The flush falls back to fsync of each file only where syncfs fails.
        const ScopedSystemCallFailure noSyncfs(SystemCall::kSyncfs, ScopedSystemCallFailure::kEvery,
                                               EIO);
        const ScopedSystemCallFailure failure(c.call, c.nth, c.error);
        ReportBatch batch(GetParam());
        StageAll(batch);
        if (sent) {
          EXPECT_THAT(batch.Send(), IsEmpty()) << c.what;
        }
        failures = batch.Commit();
      }
      const std::string label = std::string(c.what) + (sent ? ", sent" : ", committed");
      ASSERT_EQ(failures.size(), 1u) << label;
      EXPECT_EQ(failures[0].tag, 2u) << label;
      EXPECT_THAT(failures[0].error.what(), HasSubstr(paths[1])) << label;
      EXPECT_EQ(failures[0].error.reason(), SystemErrorText(c.error) + ".") << label;
      EXPECT_EQ(Contents(), (std::vector<std::string>{"new", "old", "new"})) << label;
      EXPECT_EQ(EntriesIn(dir.path()), 3u) << label << ": no temporary is left behind";
    }
  }
}

// With syncfs failing, each file is flushed by itself, and the group is still put in place.
TEST_P(BatchFailures, AFailedSyncfsFlushesEachFileByItself) {
  {
    const ScopedSystemCallFailure noSyncfs(SystemCall::kSyncfs, ScopedSystemCallFailure::kEvery,
                                           EIO);
    const ScopedSystemCallFailure fsyncs(SystemCall::kFsync, ScopedSystemCallFailure::kNever, 0);
    ReportBatch batch(GetParam());
    StageAll(batch);
    EXPECT_THAT(batch.Commit(), IsEmpty());
    EXPECT_EQ(noSyncfs.calls(), 1) << "one file system";
    EXPECT_EQ(fsyncs.calls(), 3 + 1) << "each file, then their one directory";
  }
  EXPECT_EQ(Contents(), (std::vector<std::string>{"new", "new", "new"}));
}

// Each directory is flushed once the group is in place, best effort as for a single report.
TEST_P(BatchFailures, FailedFlushesOfTheDirectoryChangeNothing) {
  {
    const ScopedSystemCallFailure failure(SystemCall::kFsync, ScopedSystemCallFailure::kEvery, EIO);
    ReportBatch batch(GetParam());
    StageAll(batch);
    EXPECT_THAT(batch.Send(), IsEmpty());
    EXPECT_THAT(batch.Commit(), IsEmpty());
  }
  EXPECT_EQ(Contents(), (std::vector<std::string>{"new", "new", "new"}));
}

// A write that fails while a report is staged throws at once and stages nothing; the reports
// staged before it are put in place.
TEST_P(BatchFailures, AFailedWriteWhileStagingStagesNothing) {
  ReportBatch batch(GetParam());
  batch.Stage(paths[0], kPieces, 1);
  {
    const ScopedSystemCallFailure failure(SystemCall::kWrite, 2, ENOSPC);
    try {
      batch.Stage(paths[1], kPieces, 2);
      ADD_FAILURE() << "staged although a write failed";
    } catch (const ReportWriteError& error) {
      EXPECT_THAT(error.what(), HasSubstr(paths[1]));
      EXPECT_EQ(error.reason(), SystemErrorText(ENOSPC) + ".");
    }
  }
  EXPECT_EQ(batch.staged(), 1u);
  EXPECT_THAT(batch.Commit(), IsEmpty());
  EXPECT_EQ(Contents(), (std::vector<std::string>{"new", "old", "old"}));
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

// Unnamed temporaries that cannot be given names all fail with their tags, and leave nothing.
TEST(UnnamedTemporariesOfABatch, LinksOfUnnamedTemporariesThatFailLeaveTheOldReports) {
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 1; i <= 2; ++i)
    paths.push_back(dir.Write("r" + std::to_string(i) + ".txt", "old"));
  std::vector<ReportBatch::Failure> failures;
  int links = 0;
  {
    const ScopedSystemCallFailure failure(SystemCall::kLinkat, ScopedSystemCallFailure::kEvery,
                                          EDQUOT);
    ReportBatch batch(TemporaryKind::kUnnamedWhereSupported);
    for (std::size_t i = 0; i < paths.size(); ++i)
      batch.Stage(paths[i], kPieces, i + 1);
    failures = batch.Commit();
    links = failure.calls();
  }
  if (links == 0)
    GTEST_SKIP() << "the temporary directory's file system has no O_TMPFILE";
  ASSERT_EQ(failures.size(), 2u);
  for (std::size_t i = 0; i < failures.size(); ++i) {
    EXPECT_EQ(failures[i].tag, i + 1);
    EXPECT_THAT(failures[i].error.what(), HasSubstr(paths[i]));
    EXPECT_EQ(failures[i].error.reason(), SystemErrorText(EDQUOT) + ".");
    EXPECT_EQ(ReadAll(paths[i]), "old");
  }
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

}  // namespace
