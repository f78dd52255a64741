#pragma once

#include <string>

namespace odecet {

// A short Czech description of an errno value for messages about files, starting in lower case:
// the C library's own Czech text where its catalogue and a Czech locale are installed, otherwise
// the program's own words, and for an errno neither knows, its number. Never English.
std::string SystemErrorText(int errorNumber);

// The fallback: the program's own words for the errors files meet, otherwise the number.
std::string OwnSystemErrorText(int errorNumber);

}  // namespace odecet
