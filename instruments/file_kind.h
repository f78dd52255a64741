#pragma once

#include <cstddef>
#include <string_view>

#include "instruments/spectrum_file.h"

// How much of a file's start settles its kind.
inline constexpr std::size_t kKindSniffBytes = 64 * 1024;

// Whether `start` (after a UTF-8 byte order mark and white space) begins with a count: an
// optional sign and digits, ended by white space, a zero byte or, when `endCounts`, the end of
// `start`. Such a file is a step file, read by the step file rules alone.
bool StartsWithCount(std::string_view start, bool endCounts);

// The kind of a file from its start (already UTF-8 or Latin-1): a count first means a step file;
// then the instruments' first lines, a report's head, a head of named columns with units, and a
// line "A.C. Impedance" near the top. Anything else is handed to the step file rules, which say
// what is wrong with it.
SpectrumFileKind RecognizeKind(std::string_view start);
