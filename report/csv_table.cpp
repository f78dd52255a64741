#include "report/csv_table.h"

#include <stdexcept>

#include "spectrum/decimal_text.h"

namespace odecet {

namespace {

constexpr const char* kLineEnd = "\r\n";

// A comma separates the fields, so the decimal separator can only be the full stop.
constexpr char kCsvDecimalSeparator = '.';

template <typename Flush>
void EmitCsvTable(std::span<const SpectrumPoint> points, std::span<const PointUncertainty> u,
                  std::string& out, std::size_t pieceSize, const Flush& flush) {
  if (!u.empty() && u.size() != points.size())
    throw std::invalid_argument("an uncertainty for each point");
  out += "f (Hz),Re (Ohm),-Im (Ohm)";
  if (!u.empty())
    out += ",u(Re) (Ohm),u(-Im) (Ohm)";
  out += kLineEnd;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& point = points[i];
    AppendFloatText(out, point.f, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.re, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.im, kCsvDecimalSeparator);
    if (!u.empty()) {
      out += ',';
      AppendFloatText(out, u[i].re, kCsvDecimalSeparator);
      out += ',';
      AppendFloatText(out, u[i].im, kCsvDecimalSeparator);
    }
    out += kLineEnd;
    if (out.size() >= pieceSize)
      flush();
  }
}

}  // namespace

std::string FormatCsvTable(std::span<const SpectrumPoint> points) {
  std::string out;
  out.reserve(32 + 72 * points.size());  // a number takes at most 22 characters
  EmitCsvTable(points, {}, out, std::string::npos, [] {});
  return out;
}

void StreamCsvTable(std::span<const SpectrumPoint> points, const ByteSink& put,
                    std::span<const PointUncertainty> uncertainty) {
  // One row more than a piece never reallocates.
  StreamInPieces(put, kBytePieceSize + 128, [&](std::string& piece, const auto& flush) {
    EmitCsvTable(points, uncertainty, piece, kBytePieceSize, flush);
  });
}

}  // namespace odecet
