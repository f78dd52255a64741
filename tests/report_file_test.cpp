#include "report/report_file.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "report/report_batch.h"
#include "report/report_target.h"
#include "report/temporary_cleanup.h"
#include "spectrum/errors.h"
#include "spectrum/system_error_text.h"
#include "temporary_kinds.h"
#include "test_files.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

std::size_t EntriesIn(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

// The writer's two ways of making the new file: each test runs with both.
class ReplacingWrite : public ::testing::TestWithParam<TemporaryKind> {
 protected:
  void Write(const std::string& path, std::string_view bytes) {
    WriteFileReplacing(path, bytes, GetParam());
  }
  std::string ErrorOf(const std::string& path) {
    try {
      Write(path, "new");
    } catch (const ReportWriteError& error) {
      return error.what();
    }
    return "(no error)";
  }
  TempDir dir;
};
INSTANTIATE_FOR_EACH_TEMPORARY(ReplacingWrite);

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST_P(ReplacingWrite, CreatesOrReplacesTheWholeFile) {
  const std::string path = dir.path() + "/report.txt";
  Write(path, "first\r\n");
  EXPECT_EQ(ReadAll(path), "first\r\n");
  dir.Write("report.txt", std::string(10000, 'o'));
  ::chmod(path.c_str(), 0640);
  Write(path, "second");
  EXPECT_EQ(ReadAll(path), "second");
  EXPECT_EQ(ModeOf(path), 0640u) << "the replaced file keeps its permissions";
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left behind";

  const mode_t mask = ::umask(027);
  Write(dir.path() + "/new.txt", "x");
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir.path() + "/new.txt"), 0640u) << "a new report follows the umask";
}

// A batch leaves every target alone until its commit, then puts each new file in place as a
// single write would; a target that cannot be staged is refused at once and costs the others
// nothing.
// A group sent goes to disk and into place in the background; until the commit the batch still
// holds its targets, and each of them shows the old file or a whole new one.
TEST_P(ReplacingWrite, ABatchReplacesItsReportsWholeOnceSentAndAllAtTheCommit) {
  const std::string old = dir.Write("old.txt", "old");
  ::chmod(old.c_str(), 0640);
  const std::string fresh = dir.path() + "/fresh.txt";
  ReportBatch batch(GetParam());
  const auto pieces = [](std::string_view a, std::string_view b) {
    return [=](const ByteSink& put) {
      put(a);
      put(b);
    };
  };
  batch.Stage(old, pieces("new ", "report"));
  batch.Stage(fresh, pieces("first", ""));
  batch.Stage(fresh, pieces("second", ""));
  EXPECT_THROW(batch.Stage(dir.path() + "/missing/r.txt", pieces("x", "")), ReportWriteError);
  EXPECT_EQ(batch.staged(), 3u);
  EXPECT_THAT(batch.Send(), ::testing::IsEmpty()) << "on its way to disk";
  const std::string late = dir.path() + "/late.txt";
  batch.Stage(late, pieces("late", ""));
  EXPECT_TRUE(batch.Holds(late));
  EXPECT_TRUE(batch.Holds(fresh));
  EXPECT_TRUE(batch.Holds(dir.path() + "/./old.txt"));
  EXPECT_FALSE(batch.Holds(dir.path() + "/other.txt"));
  EXPECT_THAT(ReadAll(old), ::testing::AnyOf("old", "new report"));
  if (std::filesystem::exists(fresh)) {
    EXPECT_THAT(ReadAll(fresh), ::testing::AnyOf("first", "second"));
  }
  EXPECT_FALSE(std::filesystem::exists(late));

  EXPECT_THAT(batch.Commit(), ::testing::IsEmpty());
  EXPECT_EQ(batch.staged(), 0u);
  EXPECT_FALSE(batch.Holds(late));
  EXPECT_EQ(ReadAll(old), "new report");
  EXPECT_EQ(ModeOf(old), 0640u);
  EXPECT_EQ(ReadAll(fresh), "second") << "of two reports for one path the later wins";
  EXPECT_EQ(ReadAll(late), "late");
  EXPECT_EQ(EntriesIn(dir.path()), 3u) << "no temporary file is left behind";
}

// A missing file whose place cannot be told (no file may be opened to look) may be one a
// staged report makes: the batch says it holds it, so its reader commits first.
TEST_P(ReplacingWrite, ABatchHoldsAMissingFileItCannotTellApart) {
#if defined(ODECET_SANITIZED)
  GTEST_SKIP() << "the sanitizers check a thrown error's type through descriptors of their own";
#endif
  const std::string fresh = dir.path() + "/fresh.txt";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ReportBatch batch(GetParam());
    batch.Stage(fresh, [](const ByteSink& put) { put("new"); });
    const rlimit limit{64, 64};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
      ::_exit(125);
    while (::open("/dev/null", O_RDONLY) >= 0) {
    }
    ::_exit(batch.Holds(fresh) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_P(ReplacingWrite, NamesThePathWhenTheFileCannotBeCreated) {
  const std::string path = dir.path() + "/missing/report.txt";
  EXPECT_THAT(ErrorOf(path), HasSubstr(path));
  EXPECT_THAT(ErrorOf(path), HasSubstr("neexistuje"));
  // Any failure to look at the path, not only "does not exist", is an error of its own.
  dir.Write("plain", "x");
  EXPECT_THAT(ErrorOf(dir.path() + "/plain/report.txt"), HasSubstr("není adresář"));
}

TEST_P(ReplacingWrite, NeverReplacesADirectoryOrASpecialFile) {
  std::filesystem::create_directory(dir.path() + "/sub.txt");
  EXPECT_THAT(ErrorOf(dir.path() + "/sub.txt"), HasSubstr("adresář"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/sub.txt"));
  // -o /dev/stdout and the like: the link is followed to the device, which is left alone.
  std::filesystem::create_symlink("/dev/null", dir.path() + "/null");
  EXPECT_THAT(ErrorOf(dir.path() + "/null"), HasSubstr("zvláštní soubor"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/null"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST_P(ReplacingWrite, ReplacesTheFileALinkNamesAndKeepsTheLink) {
  std::filesystem::create_directory(dir.path() + "/data");
  dir.Write("data/real.txt", "old");
  std::filesystem::create_symlink("data/real.txt", dir.path() + "/relative");
  std::filesystem::create_symlink(dir.path() + "/relative", dir.path() + "/absolute");
  Write(dir.path() + "/absolute", "new");
  EXPECT_EQ(ReadAll(dir.path() + "/data/real.txt"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/absolute"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/relative"));
  EXPECT_EQ(EntriesIn(dir.path() + "/data"), 1u);

  // A dangling link gets its file; a loop is an error that leaves the links alone.
  std::filesystem::create_symlink("data/later.txt", dir.path() + "/dangling");
  Write(dir.path() + "/dangling", "made");
  EXPECT_EQ(ReadAll(dir.path() + "/data/later.txt"), "made");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/dangling"));
  std::filesystem::create_symlink("loop-b", dir.path() + "/loop-a");
  std::filesystem::create_symlink("loop-a", dir.path() + "/loop-b");
  EXPECT_THAT(ErrorOf(dir.path() + "/loop-a"), HasSubstr("loop-a"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/loop-a"));
}

// Runs `body` in a child process as user `uid` (65534, nobody, or 0); its exit status.
int ExitStatusAs(uid_t uid, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgid(uid) == 0 && ::setuid(uid) == 0 ? body() : 125);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A report the writer may not write is refused, as by the shell's `>`; root may write anything.
TEST_P(ReplacingWrite, RefusesAReportTheUserMayNotWrite) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "switching users needs root";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  struct Case {
    uid_t writer;
    bool written;
  };
  for (const Case& c : {Case{65534, false}, Case{0, true}}) {
    const std::string path = dir.Write("report.txt", "old");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const int status = ExitStatusAs(c.writer, [&] {
      const std::string error = ErrorOf(path);
      return error == "(no error)"                                      ? 0
             : error.find(SystemErrorText(EACCES)) != std::string::npos ? 1
                                                                        : 2;
    });
    EXPECT_EQ(status, c.written ? 0 : 1) << "writer " << c.writer;
    EXPECT_EQ(ReadAll(path), c.written ? "new" : "old");
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
  }
}

// Turns fs.protected_symlinks on for a test where the kernel lets us, and back as it was. The
// setting is the whole machine's and ctest runs tests side by side, so the processes that
// change it take turns through a lock.
class ProtectedSymlinks {
 public:
  ProtectedSymlinks()
      : lock_(::open("/tmp/odecet-test-protected-symlinks.lock", O_RDWR | O_CREAT | O_CLOEXEC,
                     0666)) {
    if (lock_ >= 0)
      ::flock(lock_, LOCK_EX);
    std::ifstream("/proc/sys/fs/protected_symlinks") >> old_;
    if (old_ == 0 && (std::ofstream(kPath) << 1))
      restore_ = true;
  }
  ~ProtectedSymlinks() {
    if (restore_)
      std::ofstream(kPath) << old_;
    if (lock_ >= 0)
      ::close(lock_);
  }
  ProtectedSymlinks(const ProtectedSymlinks&) = delete;
  ProtectedSymlinks& operator=(const ProtectedSymlinks&) = delete;
  bool on() const { return restore_ || old_ != 0; }

 private:
  static constexpr const char* kPath = "/proc/sys/fs/protected_symlinks";
  int lock_;
  int old_ = 0;
  bool restore_ = false;
};

// Another user's link in a shared sticky directory (a /tmp of its own): root must not follow
// it to a file that user could not write, exactly as the kernel refuses for a plain open.
TEST_P(ReplacingWrite, LeavesAnotherUsersLinkInAStickyDirectoryAlone) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "another user's link needs root";
  const ProtectedSymlinks protection;
  if (!protection.on())
    GTEST_SKIP() << "fs.protected_symlinks is off and cannot be turned on";
  const std::string victim = dir.Write("victim.txt", "root's own");
  const std::string shared = dir.path() + "/shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 01777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  for (const std::string& target : {victim, dir.path() + "/new.txt"}) {  // existing or dangling
    const std::string link = shared + "/report.txt";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    EXPECT_THAT(ErrorOf(link), HasSubstr(SystemErrorText(EACCES))) << target;
    EXPECT_EQ(ReadAll(victim), "root's own");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/new.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
  }
}

// A batch list may name more folders than the process may open files: every target is still
// identified, as it would be alone.
TEST(ReportTargets, IdentifiesTargetsInMoreFoldersThanFilesMayBeOpen) {
  TempDir dir;
  const std::string base = std::filesystem::canonical(dir.path()).string();
  constexpr int kFolders = 100;
  for (int i = 0; i < kFolders; ++i) {
    std::filesystem::create_directory(base + "/d" + std::to_string(i));
    if (i % 2 == 0)
      dir.Write("d" + std::to_string(i) + "/r.txt", "old");
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{32, 32};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
      ::_exit(125);
    ReportTargets targets;
    for (int i = 0; i < kFolders; ++i) {
      const std::string path = base + "/d" + std::to_string(i) + "/r.txt";
      const std::optional<ReportTarget> target = targets.Identify(path);
      if (!target || target->key != path || target->exists != (i % 2 == 0))
        ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A process writing batches on three threads, as odecet-cli --batch does, ended at random
// moments by the signals a session sends: no temporary may be left, and every target holds its
// old file or the whole new one. The threads take the signals too, and name temporaries all
// the time, so a name made while the handler runs would show within a few rounds.
TEST_P(ReplacingWrite, ASignalDuringABatchLeavesNoTemporaryAndNoCutReport) {
  constexpr int kThreads = 3;
  constexpr int kTargetsEach = 6;
  const std::string whole(16384, 'n');
  std::vector<std::string> targets;
  for (int i = 0; i < kThreads * kTargetsEach; ++i)
    targets.push_back(dir.path() + "/r" + std::to_string(i) + ".txt");
  std::mt19937 random(4321);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  for (int round = 0; round < 100; ++round) {
    for (const std::string& target : targets)
      std::ofstream(target) << "old";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      InstallWriteSignalHandlers();
      const auto work = [&](int thread) {
        ReportBatch batch(GetParam(), 4);
        for (int job = 0;; ++job) {
          try {
            if (batch.full())
              batch.Send();
            batch.Stage(
                targets[static_cast<std::size_t>(thread * kTargetsEach + job % kTargetsEach)],
                [&](const ByteSink& put) { put(whole); });
            if (job % 8 == 7)
              batch.Commit();
          } catch (const ReportWriteError&) {
          }
        }
      };
      for (int thread = 1; thread < kThreads; ++thread)
        std::thread(work, thread).detach();
      work(0);
    }
    const int signal = signals[round % 3];
    ::usleep(std::uniform_int_distribution<useconds_t>(500, 5000)(random));
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "round " << round;
    for (const std::string& target : targets) {
      const std::string bytes = ReadAll(target);
      EXPECT_TRUE(bytes == "old" || bytes == whole) << target << ", round " << round;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with(".odecet-")) {
        ADD_FAILURE() << name << " left behind in round " << round;
        std::filesystem::remove(entry.path());
      }
    }
  }
}

TEST_P(ReplacingWrite, KeepsOwnerAndGroupButNeverSetuidOrSetgid) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "giving a file to another user needs root";
  const std::string path = dir.Write("report.txt", "old");
  ASSERT_EQ(::chown(path.c_str(), 12345, 23456), 0);
  ASSERT_EQ(::chmod(path.c_str(), 06750), 0);
  Write(path, "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 12345u);
  EXPECT_EQ(info.st_gid, 23456u);
  EXPECT_EQ(info.st_mode & 07777, 0750u);
}

TEST_P(ReplacingWrite, WritesAPathNearTheLengthLimit) {
  // Deep enough that the whole path is a few bytes short of PATH_MAX.
  std::string deep = dir.path();
  const std::string part(200, 'd');
  while (deep.size() + part.size() + 1 < PATH_MAX - 20) {
    deep += "/" + part;
    ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
  }
  const std::string path = deep + "/" + std::string(PATH_MAX - 2 - deep.size(), 'r');
  ASSERT_EQ(path.size(), static_cast<std::size_t>(PATH_MAX - 1));
  Write(path, "near the limit");
  EXPECT_EQ(ReadAll(path), "near the limit");
}

// A process killed by a file-size limit (SIGXFSZ, in a child without the handlers) leaves the
// named temporary behind: it must never have been readable beyond what the old report allowed.
TEST(WriteFileReplacing, APrivateReportStaysPrivateWhileItIsWritten) {
  TempDir dir;
  const std::string path = dir.Write("report.txt", "secret");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      WriteFileReplacing(path, std::string(100000, 'n'), TemporaryKind::kNamed);
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(ModeOf(entry.path().string()), 0600u) << entry.path();
  }
  EXPECT_EQ(EntriesIn(dir.path()), 2u) << "the temporary of the killed writer";
  EXPECT_EQ(ReadAll(path), "secret");
  // The next writer does not stumble over it.
  WriteFileReplacing(path, "next", TemporaryKind::kNamed);
  EXPECT_EQ(ReadAll(path), "next");
}

// A full disk, simulated in a child process by a file-size limit. The child exits 0 when the
// write was refused with an error that names the path.
TEST_P(ReplacingWrite, AFailedWriteLeavesTheOldReportUntouched) {
  const std::string path = dir.Write("report.txt", "old report\r\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      Write(path, std::string(100000, 'n'));
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
