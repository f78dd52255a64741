#include "cli/descriptor_path.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>

#include "spectrum/errors.h"
#include "spectrum/system_error_text.h"
#include "system_call_failure.h"
#include "test_files.h"

using namespace odecet;

namespace {

TEST(DescriptorNamedBy, KnowsTheDescriptorsByTheirNames) {
  const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/7";
  const std::pair<std::string, std::optional<int>> cases[] = {
      {"/dev/stdin", 0},
      {"/dev/stdout", 1},
      {"/dev/stderr", 2},
      {"/dev/fd/12", 12},
      {"/proc/self/fd/3", 3},
      {"/proc/thread-self/fd/4", 4},
      {own, 7},
      {"/dev/fd/", std::nullopt},
      {"/dev/fd/1x", std::nullopt},
      {"/dev/fd/-1", std::nullopt},
      {"/dev/fd/+1", std::nullopt},
      {"/proc/1/fd/1", std::nullopt},
      {"stdout", std::nullopt},
      {"/dev/stdout.txt", std::nullopt},
      {"/dev/fd/99999999999", std::nullopt}};
  for (const auto& [path, fd] : cases)
    EXPECT_EQ(DescriptorNamedBy(path), fd) << path;
}

// A report written through a descriptor is written whole, however the writes are cut short;
// a failed write names the path the user gave and the system's reason.
TEST(WriteToDescriptor, WritesAllOrNamesThePath) {
  TempDir dir;
  const std::string file = dir.path() + "/out.txt";
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  const std::string bytes(3000, 'b');
  {
    const ScopedShortWrites shortWrites(700);
    WriteToDescriptor(fd, bytes, "/dev/stdout");
  }
  EXPECT_EQ(ReadAll(file), bytes);
  {
    const ScopedSystemCallFailure failure(SystemCall::kWrite, 1, EPIPE);
    try {
      WriteToDescriptor(fd, bytes, "/dev/fd/9");
      ADD_FAILURE() << "written although the write failed";
    } catch (const ReportWriteError& error) {
      EXPECT_THAT(error.what(), ::testing::HasSubstr("/dev/fd/9"));
      EXPECT_EQ(error.reason(), SystemErrorText(EPIPE) + ".");
    }
  }
  ::close(fd);
}

}  // namespace
