#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "program/exit_status.h"

namespace odecet {

// Runs odecet-cli on its arguments (without the program name); writes the report to `out`
// unless -o names a file, and messages to `err`.
int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

// Flushes and closes `out` after RunCli: a failed write or close is a message on `err` and
// kNotWritten, whatever `status` RunCli returned.
int FinishOutput(int status, std::FILE* out, std::FILE* err);

}  // namespace odecet
