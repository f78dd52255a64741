#include "report/report_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "report/file_place.h"
#include "spectrum/errors.h"
#include "spectrum/file_descriptor.h"

namespace odecet {

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

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

std::string DirectoryKey(int directory) {
  return LinkText("/proc/self/fd/" + std::to_string(directory));
}

ReportTarget TargetAt(const Place& place, const std::string& directoryKey) {
  return {directoryKey + "/" + place.name, place.target.exists, place.target.info.st_dev,
          place.target.info.st_ino};
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

}  // namespace odecet
