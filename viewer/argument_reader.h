#pragma once

#include <QCommandLineParser>
#include <optional>
#include <string>

namespace odecet {

// odecet-graf's options.
enum class Option {
  kSeparator,   // -d, --decimal-separator
  kTolerance,   // -t, --tolerance
  kDifference,  // --difference KROK1 KROK2
  kExport,
  kSize,
  kDpi,
  kFontSize,
  kView,
  kNoDecades,
  kHelp,
  kVersion,
};

// How messages name the option: -d and -t by their letters, the others by their long names.
std::string OptionName(Option option);

// Tells what one argument is, by QCommandLineParser. The arguments are given to it one at a time
// because odecet-graf's options act where they stand: --help ends the line, --difference takes
// the two arguments after it as its files, and the first wrong argument is the one named.
class ArgumentReader {
 public:
  enum class Kind {
    kFile,
    kOption,        // with its value in `joined` if it takes one
    kValueFollows,  // -d or -t, whose value is the next argument
    kEndOfOptions,  // "--": the arguments after it are files
    kUnknown,
  };
  struct Found {
    Kind kind = Kind::kFile;
    Option option = Option::kHelp;
    // The value in the argument itself, cut from its own bytes (which need not be UTF-8): after
    // "=" of a long name, or all that follows the letter, "=" too, as getopt reads it.
    std::optional<std::string> joined;
  };

  ArgumentReader();
  Found Read(const std::string& argument);

 private:
  QCommandLineParser parser_;
};

}  // namespace odecet
