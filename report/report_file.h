#pragma once

#include <string>
#include <string_view>

#include "report/byte_sink.h"
#include "spectrum/errors.h"

namespace odecet {

// How the new file is made before it takes the report's name.
enum class TemporaryKind {
  kUnnamedWhereSupported,  // O_TMPFILE: nothing is left behind even by kill -9
  kNamed,                  // a hidden ".odecet-XXXXXX.tmp" beside the report
};

// Writes `bytes` to `path`, replacing any file there. Symbolic links are followed by the kernel,
// under its own rules (fs.protected_symlinks): the file they name is replaced and the links
// stay; a dangling link gets its file. An existing file the user may not write is refused, as
// by the shell's `>`. The bytes go to a new file in the same directory,
// created private and given the old report's mode (never setuid or setgid) and, where
// permitted, its owner and group before anything is written; it is flushed to disk and renamed
// over the target, and the directory is flushed too, so the new name survives a power cut. A
// failed write never leaves a cut report and never destroys the file that was there.
// Throws ReportWriteError, naming the path, when the report cannot be created or written, when a
// directory or a special file stands there, or when a link cannot be followed.
void WriteFileReplacing(const std::string& path, std::string_view bytes,
                        TemporaryKind kind = TemporaryKind::kUnnamedWhereSupported);

// The same with the bytes handed over piece by piece (report_text.h's StreamReport).
void WriteFileReplacing(const std::string& path, const ByteSource& source,
                        TemporaryKind kind = TemporaryKind::kUnnamedWhereSupported);

}  // namespace odecet
