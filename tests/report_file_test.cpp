#include "report/report_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "spectrum/errors.h"
#include "test_files.h"

namespace {

using ::testing::HasSubstr;

TEST(FormReportPath, JoinsDirectoryNameAndTxtAsTheyStand) {
  EXPECT_EQ(FormReportPath("/data/", "diff"), "/data/diff.txt");
  EXPECT_EQ(FormReportPath("/data/", "x.txt"), "/data/x.txt.txt");
  EXPECT_EQ(FormReportPath("", "diff"), "diff.txt");
  EXPECT_EQ(FormReportPath("/data/", " a b "), "/data/ a b .txt");
  EXPECT_EQ(FormReportPath("/data/", "/tmp/x"), "/data//tmp/x.txt");
}

std::size_t EntriesIn(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

TEST(WriteFileReplacing, CreatesOrReplacesTheWholeFile) {
  TempDir dir;
  const std::string path = dir.path() + "/report.txt";
  WriteFileReplacing(path, "first\r\n");
  EXPECT_EQ(ReadAll(path), "first\r\n");
  dir.Write("report.txt", std::string(10000, 'o'));
  ::chmod(path.c_str(), 0640);
  WriteFileReplacing(path, "second");
  EXPECT_EQ(ReadAll(path), "second");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left behind";
}

TEST(WriteFileReplacing, NamesThePathWhenTheFileCannotBeCreated) {
  TempDir dir;
  const std::string path = dir.path() + "/missing/report.txt";
  try {
    WriteFileReplacing(path, "x");
    FAIL();
  } catch (const ReportWriteError& error) {
    EXPECT_THAT(error.what(), HasSubstr(path));
    EXPECT_THAT(error.what(), HasSubstr("neexistuje"));
  }
}

TEST(WriteFileReplacing, NeverReplacesADirectory) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() + "/sub.txt");
  EXPECT_THROW(WriteFileReplacing(dir.path() + "/sub.txt", "x"), ReportWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/sub.txt"));
}

// A full disk, simulated in a child process by a file-size limit. The child exits 0 when the
// write was refused with an error that names the path.
TEST(WriteFileReplacing, AFailedWriteLeavesTheOldReportUntouched) {
  TempDir dir;
  const std::string path = dir.Write("report.txt", "old report\r\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteFileReplacing(path, std::string(100000, 'n'));
    } catch (const ReportWriteError& error) {
      ::_exit(std::string(error.what()).find(path) != std::string::npos ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadAll(path), "old report\r\n");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
