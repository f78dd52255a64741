#include "report/csv_table.h"

#include "spectrum/decimal_text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// A comma separates the fields, so the decimal separator can only be the full stop.
constexpr char kCsvDecimalSeparator = '.';

template <typename Flush>
void EmitCsvTable(std::span<const SpectrumPoint> points, std::string& out, std::size_t pieceSize,
                  const Flush& flush) {
  out += "f (Hz),Re (Ohm),-Im (Ohm)";
  out += kLineEnd;
  for (const SpectrumPoint& point : points) {
    AppendFloatText(out, point.f, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.re, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.im, kCsvDecimalSeparator);
    out += kLineEnd;
    if (out.size() >= pieceSize)
      flush();
  }
}

}  // namespace

std::string FormatCsvTable(std::span<const SpectrumPoint> points) {
  std::string out;
  out.reserve(32 + 72 * points.size());  // a number takes at most 22 characters
  EmitCsvTable(points, out, std::string::npos, [] {});
  return out;
}

void StreamCsvTable(std::span<const SpectrumPoint> points, const ByteSink& put) {
  std::string piece;
  piece.reserve(kBytePieceSize + 128);  // one row more never reallocates
  const auto flush = [&] {
    put(piece);
    piece.clear();
  };
  EmitCsvTable(points, piece, kBytePieceSize, flush);
  if (!piece.empty())
    flush();
}
