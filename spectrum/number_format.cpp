#include "spectrum/number_format.h"

#include <algorithm>
#include <charconv>

namespace odecet {

namespace {

std::string Written(double value, std::chars_format format, int decimals, char separator) {
  // Room for the largest double in full (309 digits), its sign, the point and every decimal, so
  // that the conversion never runs out of it, however large a residual comes out.
  std::string text(std::size_t{320} + static_cast<std::size_t>(std::max(decimals, 0)), '\0');
  const auto end =
      std::to_chars(text.data(), text.data() + text.size(), value, format, decimals).ptr;
  text.resize(static_cast<std::size_t>(end - text.data()));
  std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

}  // namespace

std::string FixedText(double value, int decimals, char separator) {
  return Written(value, std::chars_format::fixed, decimals, separator);
}

std::string ScientificText(double value, int decimals, char separator) {
  return Written(value, std::chars_format::scientific, decimals, separator);
}

}  // namespace odecet
