#pragma once

namespace odecet {

// The exit statuses odecet-cli and odecet-graf share: a script tells their outcomes apart the
// same way whichever it ran.
enum ExitStatus : int {
  kDone = 0,           // the report or the picture is written
  kSpectraDiffer = 1,  // the two steps do not match
  kBadFile = 2,        // a file cannot be read or is not a spectrum
  kNotWritten = 3,     // the report or the picture cannot be written
  kWrongUsage = 64,    // arguments that do not form a command
};

}  // namespace odecet
