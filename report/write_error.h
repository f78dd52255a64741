#pragma once

#include <string>

#include "spectrum/errors.h"

namespace odecet {

// The error of a report that cannot be written to `path` because of `why` (a sentence ending in
// a full stop): the message names the path, the reason is `why`.
ReportWriteError CannotWriteReport(const std::string& path, const std::string& why);

// The same with the system's text for the error number.
ReportWriteError CannotWriteReport(const std::string& path, int errorNumber);

}  // namespace odecet
