#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace odecet {

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

}  // namespace odecet
