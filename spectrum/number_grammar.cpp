#include "spectrum/number_grammar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#include "spectrum/number_text_basics.h"
#include "spectrum/quick_number_reader.h"
#include "spectrum/trimmed.h"

namespace odecet {

namespace number_text {
namespace {

bool IsBlank(char c) {
  return c == ' ';
}

std::string_view TrimBlanks(std::string_view text) {
  return Trimmed(text, IsBlank);
}

// What the grammar check learns about a number text, so that the value can be formed
// and an out-of-range result classified without scanning again.
struct NumberShape {
  bool negative = false;
  bool allZero = true;
  std::int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit
  // The significant digits as an integer and its decimal exponent, while they fit.
  std::uint64_t mantissa = 0;
  std::int64_t mantissaExponent = 0;
  bool mantissaExact = true;  // false once a non-zero digit did not fit
};

// Checks `text` (already trimmed) against the grammar and returns its shape.
bool CheckGrammar(std::string_view text, char separator, NumberShape& shape) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    shape.negative = text[i] == '-';
    ++i;
  }
  std::int64_t digitsBeforeSeparator = 0;
  std::int64_t firstNonZero = -1;  // index among all mantissa digits
  std::int64_t digitCount = 0;
  int significantDigits = 0;
  std::int64_t droppedIntegerDigits = 0;
  std::int64_t keptFractionDigits = 0;
  bool seenSeparator = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (c != '0' && firstNonZero < 0)
        firstNonZero = digitCount;
      ++digitCount;
      if (!seenSeparator)
        ++digitsBeforeSeparator;
      if (firstNonZero < 0) {
        if (seenSeparator)
          ++keptFractionDigits;  // leading zeros of a fraction scale it
        continue;
      }
      if (significantDigits < 19) {
        shape.mantissa = shape.mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        ++significantDigits;
        if (seenSeparator)
          ++keptFractionDigits;
      } else {
        if (c != '0')
          shape.mantissaExact = false;
        if (!seenSeparator)
          ++droppedIntegerDigits;
      }
    } else if (c == separator && !seenSeparator) {
      seenSeparator = true;
    } else {
      break;
    }
  }
  if (digitCount == 0)
    return false;

  std::int64_t exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      negativeExponent = text[i] == '-';
      ++i;
    }
    if (i == n)
      return false;
    for (; i < n; ++i) {
      if (!IsDigit(text[i]))
        return false;
      // Saturate: anything this far out is beyond the double range either way.
      if (exponent < 1'000'000'000)
        exponent = exponent * 10 + (text[i] - '0');
    }
    if (negativeExponent)
      exponent = -exponent;
  }
  if (i != n)
    return false;

  if (firstNonZero >= 0) {
    shape.allZero = false;
    shape.leadingExponent = digitsBeforeSeparator - firstNonZero - 1 + exponent;
  }
  shape.mantissaExponent = exponent + droppedIntegerDigits - keptFractionDigits;
  return true;
}

// The exact fast path: an integer below 2^53 times or divided by an exact power of ten is
// one correctly rounded operation. Covers almost every measured value.
bool FastValue(const NumberShape& shape, double& value) {
  if (!shape.mantissaExact || shape.mantissa > (std::uint64_t{1} << 53))
    return false;
  if (shape.mantissaExponent < -22 || shape.mantissaExponent > 22)
    return false;
  const auto m = static_cast<double>(shape.mantissa);
  const auto power = static_cast<std::size_t>(std::abs(shape.mantissaExponent));
  value = shape.mantissaExponent >= 0 ? m * kExactPowers[power] : m / kExactPowers[power];
  return true;
}

// The C++ library's correctly rounded reading of a text the grammar admits.
Outcome ExactValue(std::string_view text, char separator, const NumberShape& shape,
                   double& parsed) {
  // from_chars wants '.' and no leading '+'.
  std::string_view body = text;
  if (!body.empty() && body.front() == '+')
    body.remove_prefix(1);
  std::string copy;
  char small[64];
  if (separator != '.' && body.find(separator) != std::string_view::npos) {
    char* out = small;
    if (body.size() > sizeof small) {
      copy.assign(body);
      out = copy.data();
    } else {
      std::copy(body.begin(), body.end(), small);
    }
    std::replace(out, out + body.size(), separator, '.');
    body = std::string_view(out, body.size());
  }
  const auto result = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (result.ec == std::errc::result_out_of_range) {
    if (!shape.allZero && shape.leadingExponent >= 0)
      return Outcome::kOutOfRange;
    parsed = 0.0;  // below the smallest subnormal: rounds to zero
  } else if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
    return Outcome::kNotANumber;  // not expected after the grammar check
  }
  return Outcome::kOk;
}

}  // namespace

Outcome ReadAnyNumber(std::string_view raw, char separator, double& value) {
  const std::string_view text = TrimBlanks(raw);
  if (text.size() != raw.size() && ReadWholeCommonNumber(text, separator, value))
    return Outcome::kOk;
  NumberShape shape;
  if (!CheckGrammar(text, separator, shape))
    return Outcome::kNotANumber;

  double parsed = 0.0;
  if (!FastValue(shape, parsed)) {
    const Outcome outcome = ExactValue(text, separator, shape, parsed);
    if (outcome != Outcome::kOk)
      return outcome;
  }
  value = shape.negative ? -std::fabs(parsed) : std::fabs(parsed);
  return Outcome::kOk;
}

}  // namespace number_text

}  // namespace odecet
