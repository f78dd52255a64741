#include "report/csv_table.h"

#include "spectrum/decimal_text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// A comma separates the fields, so the decimal separator can only be the full stop.
constexpr char kCsvDecimalSeparator = '.';

}  // namespace

std::string FormatCsvTable(std::span<const SpectrumPoint> points) {
  std::string out;
  out.reserve(32 + 72 * points.size());  // a number takes at most 22 characters
  out += "f (Hz),Re (Ohm),-Im (Ohm)";
  out += kLineEnd;
  for (const SpectrumPoint& point : points) {
    AppendFloatText(out, point.f, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.re, kCsvDecimalSeparator);
    out += ',';
    AppendFloatText(out, point.im, kCsvDecimalSeparator);
    out += kLineEnd;
  }
  return out;
}
