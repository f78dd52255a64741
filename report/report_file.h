#pragma once

#include <optional>
#include <string>
#include <string_view>

// The report path from the window: the directory shown, the typed name and ".txt", joined as they
// stand (nothing trimmed, ".txt" added even after ".txt"; an empty directory gives a relative
// path).
std::string FormReportPath(std::string_view directory, std::string_view name);

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

// Installs handlers for SIGTERM, SIGHUP and SIGINT that remove the temporary file of a report
// being written and then end the process by the same signal, and ignores SIGXFSZ, so that a
// file-size limit makes the write fail with an error instead of killing the process.
// For a program's start-up; the handlers touch nothing but that one file.
void InstallWriteSignalHandlers();

// The descriptor that `path` names by its form: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N or /proc/PID/fd/N with this process's PID. Such a path
// is written through the descriptor as the shell opened it (appending, into a pipe), never by
// replacing the file behind it.
std::optional<int> DescriptorNamedBy(const std::string& path);

// Writes all of `bytes` to the open descriptor `fd`; throws ReportWriteError naming `path`.
void WriteToDescriptor(int fd, std::string_view bytes, const std::string& path);
