// Number text both ways.
// Reading: any text gives a value or a ConversionError, and all three entry points agree.
// Writing: every finite double is written with at most 15 significant digits; the text reads
// back as the value rounded to 15 digits, and writing that again gives the same text. Near the
// largest double that rounding lies beyond the range, and reading the text back is refused.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "spectrum/decimal_text.h"
#include "spectrum/errors.h"

using namespace odecet;

namespace {

void Check(bool condition, const char* what, std::string_view text) {
  if (condition)
    return;
  std::fprintf(stderr, "check failed: %s for \"%.*s\"\n", what, static_cast<int>(text.size()),
               text.data());
  std::abort();
}

void CheckReading(std::string_view text, char separator) {
  double tried = 0;
  const bool accepted = TryStrToFloat(text, separator, tried);
  try {
    const double value = StrToFloat(text, separator);
    Check(accepted && std::memcmp(&value, &tried, sizeof value) == 0, "both readers agree", text);
    Check(std::isfinite(value), "a finite value", text);
  } catch (const ConversionError&) {
    Check(!accepted, "both readers refuse", text);
  }
  // The tokenizer's quick reader, where it claims the whole text, gives the very same number.
  double quick = 0;
  if (!text.empty() && ReadCommonNumber(text.data(), text.data() + text.size(), separator, quick) ==
                           text.data() + text.size()) {
    Check(accepted && std::memcmp(&quick, &tried, sizeof quick) == 0, "the quick reader agrees",
          text);
  }
}

// The value rounded to 15 significant digits, by the C library (exact in glibc).
double Rounded15(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", value);
  return std::strtod(text, nullptr);
}

void CheckWriting(double value, char separator) {
  if (!std::isfinite(value))
    return;
  const std::string text = FloatToStr(value, separator);
  int digits = 0;
  for (const char c : text) {
    if (c == 'E')
      break;
    if (c >= '0' && c <= '9')
      ++digits;
  }
  Check(text.find('E') == std::string::npos || digits <= 15, "at most 15 digits", text);
  const double expected = Rounded15(value) + 0.0;  // -0 is written as 0
  double back = 0;
  if (!std::isfinite(expected)) {
    Check(!TryStrToFloat(text, separator, back), "a text beyond the range is refused", text);
    return;
  }
  back = StrToFloat(text, separator);
  Check(back == expected && std::signbit(back) == std::signbit(expected), "reads back rounded",
        text);
  Check(FloatToStr(back, separator) == text, "writes the same text again", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckReading(text, ',');
  CheckReading(text, '.');
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    CheckWriting(value, ',');
    CheckWriting(value, '.');
  }
  return 0;
}
