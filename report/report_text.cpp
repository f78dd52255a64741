#include "report/report_text.h"

#include <array>

#include "spectrum/decimal_text.h"

namespace odecet {

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

void AppendReportCell(std::string& out, std::string_view text) {
  out += text;
  if (text.size() < kReportCellWidth)
    out.append(kReportCellWidth - text.size(), ' ');
}

namespace {

// Writes the report into `out`, handing it to `flush` whenever it has grown to `pieceSize`.
template <typename Flush>
void EmitReport(std::span<const SpectrumPoint> points, char separator, std::string& out,
                std::size_t pieceSize, const Flush& flush) {
  AppendReportCell(out, "f (Hz)");
  AppendReportCell(out, "Re (Ohm)");
  AppendReportCell(out, "-Im (Ohm)");
  out += kLineEnd;
  out.append(kReportRuleWidth, '-');
  out += kLineEnd;
  // A number never fills its cell, so each line is a blank line with the numbers written in.
  static_assert(kMaxFloatTextLength < kReportCellWidth);
  constexpr std::size_t kLineLength = 3 * kReportCellWidth + 2;
  constexpr std::array<char, kLineLength> kBlankLine = [] {
    std::array<char, kLineLength> line{};
    line.fill(' ');
    line[kLineLength - 2] = '\r';
    line[kLineLength - 1] = '\n';
    return line;
  }();
  for (const SpectrumPoint& point : points) {
    const std::size_t start = out.size();
    out.append(kBlankLine.data(), kLineLength);
    char* const line = out.data() + start;
    WriteFloatText(line, point.f, separator);
    WriteFloatText(line + kReportCellWidth, point.re, separator);
    WriteFloatText(line + 2 * kReportCellWidth, point.im, separator);
    if (out.size() >= pieceSize)
      flush();
  }
}

}  // namespace

std::string FormatReport(std::span<const SpectrumPoint> points, char separator) {
  std::string out;
  out.reserve(116 * (points.size() + 1) + 88);
  EmitReport(points, separator, out, std::string::npos, [] {});
  return out;
}

void StreamReport(std::span<const SpectrumPoint> points, char separator, const ByteSink& put) {
  // One line more than a piece never reallocates.
  StreamInPieces(put, kBytePieceSize + 3 * kReportCellWidth + 64,
                 [&](std::string& piece, const auto& flush) {
                   EmitReport(points, separator, piece, kBytePieceSize, flush);
                 });
}

}  // namespace odecet
