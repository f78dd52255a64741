#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "instruments/readers.h"
#include "instruments/spectrum_file.h"

namespace odecet {

// How much of a file's start settles its kind.
inline constexpr std::size_t kKindSniffBytes = 64 * 1024;

// Whether `start` (after a UTF-8 byte order mark and white space) begins with a count: an
// optional sign and digits, ended by white space, a zero byte or, when `endCounts`, the end of
// `start`. Such a file is a step file, read by the step file rules alone.
bool StartsWithCount(std::string_view start, bool endCounts);

// One kind of file besides the step file: everything the program knows of it. This table alone
// drives recognition, reading, the open dialogs' filters and the help texts.
struct SpectrumFormat {
  SpectrumFileKind kind;
  std::string_view label;     // Czech, as dialogs and help name it
  std::string_view patterns;  // the usual names, in both cases, for the open dialogs
  // A binary format is recognised and read from the bytes as they are; a text format from the
  // text already decoded to UTF-8.
  bool binary;
  bool (*recognise)(std::string_view start);
  SpectrumSweeps (*read)(std::string_view content, std::string_view fileName);
};

// In the order they are tried; the first that recognises a file reads it.
std::span<const SpectrumFormat> SpectrumFormats();

// The format that recognises a file's start (`raw`: its first bytes as they are; `text`: the
// same decoded), or none: a count first means a step file, and so does anything else, which the
// step file rules then refuse, or UnknownFileKind names.
const SpectrumFormat* RecognizeFormat(std::string_view raw, std::string_view text);

// The kind of a file from its start (already UTF-8 or Latin-1), kStep when no format takes it.
SpectrumFileKind RecognizeKind(std::string_view start);

// Every pattern of the formats, for an open dialog's filter ("*.DTA *.dta *.mpt ..."), each
// once; a report's only with `withReports`. With `oneCase`, only the first spelling of each
// (what a filter's name shows: "*.DTA *.mpt ...").
std::string SpectrumFilePatterns(bool withReports, bool oneCase = false);

// For a file that is neither a step file nor of a known kind: which program or kind of file it
// seems to be ("sešit tabulkového procesoru"), or empty when nothing tells. `raw` is its start
// as it is (empty when it was decoded), `text` the same decoded.
std::string UnknownKindOf(std::string_view raw, std::string_view text);

}  // namespace odecet
