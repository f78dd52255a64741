#pragma once

#include <cstdio>

namespace odecet {

struct CommandLine;

// odecet-cli --kk: checks each file of `line` with the Kramers–Kronig test and writes one
// tab-separated line per file to `out` (name, M, µ, pseudo χ², largest |residual| of Re and Im
// in percent, verdict), numbers with `separator`; messages about files that cannot be read or
// checked go to `err`, and the other files are still checked. Returns the exit status: 0 every
// file passed, 1 one did not, 2 one could not be read or checked.
int RunKramersKronigCheck(const CommandLine& line, char separator, std::FILE* out, std::FILE* err);

}  // namespace odecet
