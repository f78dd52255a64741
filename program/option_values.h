#pragma once

#include <string>

namespace odecet {

// The values of options that odecet-cli and odecet-graf share, read the same way by both so
// that one command line means one thing. Each throws UsageError (program/usage_error.h) with the
// Czech reason, quoting the value.

// "," or ".".
char ParseSeparator(const std::string& text);

// A relative frequency tolerance from 0 up to but not including 1, with either separator.
double ParseTolerance(const std::string& text);

// A number typed on the command line. A lone number leaves no doubt about its separator, so
// both are taken whatever -d says (that option governs the files).
bool TryTypedNumber(const std::string& text, double& value);

}  // namespace odecet
