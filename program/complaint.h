#pragma once

#include <cstdio>
#include <string_view>

namespace odecet {

// A diagnostic on standard error: every line of `text` starts with the program's name and ": ",
// then `label` (in a batch, the job's line in the list). A last line break ends the last line.
void Complain(std::FILE* err, std::string_view program, std::string_view text,
              std::string_view label = {});

}  // namespace odecet
