#include "spectrum/number_format.h"

#include <algorithm>
#include <charconv>

namespace {

std::string Written(double value, std::chars_format format, int decimals, char separator) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, format, decimals).ptr;
  std::string result(text, end);
  std::replace(result.begin(), result.end(), '.', separator);
  return result;
}

}  // namespace

std::string FixedText(double value, int decimals, char separator) {
  return Written(value, std::chars_format::fixed, decimals, separator);
}

std::string ScientificText(double value, int decimals, char separator) {
  return Written(value, std::chars_format::scientific, decimals, separator);
}
