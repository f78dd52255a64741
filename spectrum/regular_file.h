#pragma once

#include <string>

#include "spectrum/file_descriptor.h"

namespace odecet {

// Opens `path` for reading only if it is a regular file. The open never waits: a FIFO with no
// writer, a device or a socket is refused at once. Throws StepFileError naming the path when the
// file cannot be opened or is not a regular file.
FileDescriptor OpenRegularFileForReading(const std::string& path);

}  // namespace odecet
