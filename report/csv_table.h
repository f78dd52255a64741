#pragma once

#include <span>
#include <string>

#include "report/byte_sink.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// The difference as a table that fitting programs read (RFC 4180): the header row
// "f (Hz),Re (Ohm),-Im (Ohm)", then one row per point with f, re and im, fields separated by ','
// and every line ending in CR LF. Numbers follow the report's 15-digit rule but always with a
// full stop, so the file reads the same under any regional settings; no field needs quoting.
std::string FormatCsvTable(std::span<const SpectrumPoint> points);

// The same bytes handed to `put` in pieces of about kBytePieceSize. With the uncertainty of each
// point, two more columns: "u(Re) (Ohm)" and "u(-Im) (Ohm)".
void StreamCsvTable(std::span<const SpectrumPoint> points, const ByteSink& put,
                    std::span<const PointUncertainty> uncertainty = {});

}  // namespace odecet
