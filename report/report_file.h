#pragma once

#include <string>
#include <string_view>

// The report path from the window: the directory shown, the typed name and ".txt", joined as they
// stand (nothing trimmed, ".txt" added even after ".txt"; an empty directory gives a relative
// path).
std::string FormReportPath(std::string_view directory, std::string_view name);

// Writes `bytes` to `path`, replacing any file there. The bytes go to a temporary file in the
// same directory, which is flushed to disk and then renamed over the target, so a failed write
// never leaves a cut report and never destroys the file that was there.
// Throws ReportWriteError, naming the path, when the report cannot be created or written.
void WriteFileReplacing(const std::string& path, std::string_view bytes);
