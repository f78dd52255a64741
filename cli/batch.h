#pragma once

#include <cstdio>

#include "cli/command_line.h"
#include "cli/job.h"

namespace odecet {

// Runs every job of the list --batch names, each as a single run would, and returns the highest
// of their exit statuses. Jobs that touch none of each other's files run side by side; the new
// reports are flushed to disk together, a group at a time.
int RunBatch(const CommandLine& line, const JobSettings& settings, std::FILE* out, std::FILE* err);

}  // namespace odecet
