#pragma once

#include <span>
#include <string>
#include <string_view>

#include "report/byte_sink.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// The report's bytes: a header line of three cells ("f (Hz)", "Re (Ohm)", "-Im (Ohm)"), a rule
// of 86 hyphens, then one line per point with f, re and im by the decimal number rule.
// Cells are left-aligned in 38 characters (a longer text is written whole); every line ends in
// CR LF, so the file is the same bytes the lab's Windows machines read.
// Size: 116 * (points + 1) + 88 bytes.
std::string FormatReport(std::span<const SpectrumPoint> points, char separator);

// The same bytes handed to `put` in pieces of about kBytePieceSize.
void StreamReport(std::span<const SpectrumPoint> points, char separator, const ByteSink& put);

inline constexpr std::size_t kReportCellWidth = 38;

// Appends one cell: the text, then spaces up to kReportCellWidth.
void AppendReportCell(std::string& out, std::string_view text);
inline constexpr std::size_t kReportRuleWidth = 86;

}  // namespace odecet
