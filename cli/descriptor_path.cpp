#include "cli/descriptor_path.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <string>
#include <utility>

#include "report/system_calls.h"
#include "report/write_error.h"

namespace odecet {

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
    throw CannotWriteReport(path, errno);
}

}  // namespace odecet
