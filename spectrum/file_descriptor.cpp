#include "spectrum/file_descriptor.h"

#include <unistd.h>

namespace odecet {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0)
    ::close(fd_);
}

}  // namespace odecet
