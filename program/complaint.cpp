#include "program/complaint.h"

namespace odecet {

void Complain(std::FILE* err, std::string_view program, std::string_view text,
              std::string_view label) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    std::fwrite(program.data(), 1, program.size(), err);
    std::fwrite(": ", 1, 2, err);
    if (!label.empty())  // an empty view may have no data pointer, which fwrite must not get
      std::fwrite(label.data(), 1, label.size(), err);
    std::fwrite(line.data(), 1, line.size(), err);
    std::fputc('\n', err);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

}  // namespace odecet
