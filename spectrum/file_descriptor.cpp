#include "spectrum/file_descriptor.h"

#include <unistd.h>

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0)
    ::close(fd_);
}
