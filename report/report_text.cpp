#include "report/report_text.h"

#include "spectrum/decimal_text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

void AppendNumberCell(std::string& out, double value, char separator) {
  const std::size_t start = out.size();
  AppendFloatText(out, value, separator);
  const std::size_t length = out.size() - start;
  if (length < kReportCellWidth)
    out.append(kReportCellWidth - length, ' ');
}

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
  for (const SpectrumPoint& point : points) {
    AppendNumberCell(out, point.f, separator);
    AppendNumberCell(out, point.re, separator);
    AppendNumberCell(out, point.im, separator);
    out += kLineEnd;
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
  std::string piece;
  piece.reserve(kBytePieceSize + 3 * kReportCellWidth + 64);  // one line more never reallocates
  const auto flush = [&] {
    put(piece);
    piece.clear();
  };
  EmitReport(points, separator, piece, kBytePieceSize, flush);
  if (!piece.empty())
    flush();
}
