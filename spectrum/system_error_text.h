#pragma once

#include <string>

// A short Czech description of an errno value for messages about files.
std::string SystemErrorText(int errorNumber);
