#pragma once

#include <string>

// An open descriptor that is closed when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens `path` for reading only if it is a regular file. The open never waits: a FIFO with no
// writer, a device or a socket is refused at once. Throws StepFileError naming the path when the
// file cannot be opened or is not a regular file.
FileDescriptor OpenRegularFileForReading(const std::string& path);
