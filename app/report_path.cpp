#include "app/report_path.h"

namespace odecet {

std::string FormReportPath(std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + name.size() + 4);
  path.append(directory).append(name).append(".txt");
  return path;
}

}  // namespace odecet
