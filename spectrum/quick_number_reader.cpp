#include "spectrum/quick_number_reader.h"

#include "spectrum/decimal_text.h"

namespace odecet {

namespace number_text {

// The mantissa wraps only beyond 19 digits, which are refused.
const char* ReadLongNumber(const char* p, const char* end, char separator, bool negative,
                           double& value) {
  std::uint64_t mantissa = 0;
  int digits = 0;
  int digitsBeforeSeparator = -1;  // none seen yet
  for (; p != end; ++p) {
    const char c = *p;
    if (IsDigit(c)) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
    } else if (c == separator && digitsBeforeSeparator < 0) {
      digitsBeforeSeparator = digits;
    } else {
      break;
    }
  }
  const int fractionDigits = digitsBeforeSeparator >= 0 ? digits - digitsBeforeSeparator : 0;
  return FinishNumber(p, end, negative, mantissa, digits, fractionDigits, value);
}

}  // namespace number_text

const char* ReadCommonNumber(const char* begin, const char* end, char separator, double& value) {
  return number_text::ReadQuickNumber(begin, end, separator, value);
}

}  // namespace odecet
