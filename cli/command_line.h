#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What the user asked of odecet-cli.
struct CommandLine {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  std::string step1;                     // 4 ribs
  std::string step2;                     // 3 ribs
  std::optional<std::string> report;     // standard output when absent
  std::optional<char> decimalSeparator;  // the system's when absent
};

// Thrown for arguments that do not fit the usage; the message says which.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//   odecet-cli [--decimal-separator SEP] STEP1 STEP2 [-o REPORT]
// also --decimal-separator=SEP, --output REPORT, --output=REPORT, --help, --version, and "--"
// before file names that start with '-'.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsage;
