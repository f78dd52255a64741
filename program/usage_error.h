#pragma once

#include <stdexcept>

namespace odecet {

// Thrown for arguments that do not fit the usage; the message says which.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace odecet
