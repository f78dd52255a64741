#include "spectrum/decimal_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "spectrum/errors.h"
#include "spectrum/message_text.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Powers of ten that a double holds exactly.
constexpr std::array<double, 23> kExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

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

// The shape almost every measured value has: a sign, at most 19 digits and a separator, no
// exponent, read in one pass. Gives the value the general path would (the same one division);
// false leaves any other text to it.
bool SimpleValue(std::string_view text, char separator, double& value) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    ++i;
  }
  std::uint64_t mantissa = 0;  // may wrap beyond 19 digits; then unused
  int digits = 0;
  int fractionDigits = 0;
  bool seenSeparator = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
      fractionDigits += seenSeparator ? 1 : 0;
    } else if (c == separator && !seenSeparator) {
      seenSeparator = true;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > 19 || mantissa > (std::uint64_t{1} << 53) || fractionDigits > 22)
    return false;
  const double parsed =
      static_cast<double>(mantissa) / kExactPowers[static_cast<std::size_t>(fractionDigits)];
  value = negative ? -std::fabs(parsed) : std::fabs(parsed);
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

enum class Outcome { kOk, kNotANumber, kOutOfRange };

Outcome Convert(std::string_view raw, char separator, double& value) {
  const std::string_view text = TrimBlanks(raw);
  if (SimpleValue(text, separator, value))
    return Outcome::kOk;
  NumberShape shape;
  if (!CheckGrammar(text, separator, shape))
    return Outcome::kNotANumber;

  double parsed = 0.0;
  if (!FastValue(shape, parsed)) {
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
  }
  value = shape.negative ? -std::fabs(parsed) : std::fabs(parsed);
  return Outcome::kOk;
}

// ---- writing ----

constexpr std::uint64_t kLow15 = 100'000'000'000'000;     // 1e14
constexpr std::uint64_t kHigh15 = 1'000'000'000'000'000;  // 1e15
constexpr int kLowestPower = -300;
constexpr int kHighestPower = 345;

// 10^k in extended precision, correctly rounded: the compiler rounds each literal, so the table
// is data in the binary and costs nothing at start-up (the same bits strtold gives).
constexpr long double kExtendedPowers[] = {
#include "spectrum/powers_of_ten.inc"
};
static_assert(std::size(kExtendedPowers) == kHighestPower - kLowestPower + 1);

long double ExtendedPower(int k) {
  return kExtendedPowers[k - kLowestPower];
}

// The exponent e of value = f * 2^e with f in [0.5, 1), as frexp gives it.
int BinaryExponent(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased != 0)
    return biased - 1022;
  int exponent = 0;
  std::frexp(value, &exponent);  // subnormal
  return exponent;
}

// The value (positive, finite, not zero) rounded to 15 significant digits: digits in
// [1e14, 1e15) and the decimal exponent of the first. Scaling in extended precision errs by far
// less than 0.001 of a unit in the 15th digit; a value that close to halfway between two
// 15-digit neighbours is left to the exact path (false).
bool FastRound15(double value, std::uint64_t& digits, int& exponent) {
  if constexpr (std::numeric_limits<long double>::digits != 64) {
    return false;  // not the x87 extended format this relies on
  } else {
    // floor(log10(2^(b-1))), exact over the double range.
    int e = ((BinaryExponent(value) - 1) * 78913) >> 18;
    long double scaled = static_cast<long double>(value) * ExtendedPower(14 - e);
    if (scaled >= static_cast<long double>(kHigh15)) {
      ++e;
      scaled = static_cast<long double>(value) * ExtendedPower(14 - e);
    } else if (scaled < static_cast<long double>(kLow15)) {
      --e;
      scaled = static_cast<long double>(value) * ExtendedPower(14 - e);
    }
    // Adding 2^63 rounds to the nearest integer (its last place is 1 there), which then stands
    // in the 64-bit significand; cheaper than a conversion that switches the FPU's rounding.
    const long double shifted = scaled + 0x1p63L;
    std::uint64_t significand = 0;
    std::memcpy(&significand, &shifted, sizeof significand);
    if (std::fabs(scaled - (shifted - 0x1p63L)) > 0.499L)
      return false;
    digits = significand - (std::uint64_t{1} << 63);
    if (digits >= kHigh15) {
      digits /= 10;
      ++e;
    }
    exponent = e;
    return digits >= kLow15 && digits < kHigh15;
  }
}

constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Eight decimal digits of v < 10^8, two at a time in short independent chains.
void WriteEightDigits(std::uint32_t v, char* out) {
  const std::uint32_t high = v / 10000;
  const std::uint32_t low = v % 10000;
  std::memcpy(out, &kDigitPairs[2 * (high / 100)], 2);
  std::memcpy(out + 2, &kDigitPairs[2 * (high % 100)], 2);
  std::memcpy(out + 4, &kDigitPairs[2 * (low / 100)], 2);
  std::memcpy(out + 6, &kDigitPairs[2 * (low % 100)], 2);
}

// The exact path: the C++ library's correctly rounded 15-digit scientific text.
void ExactRound15(double value, std::uint64_t& digits, int& exponent) {
  char buffer[40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  digits = 0;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (IsDigit(*p))
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  ++p;
  if (*p == '+')
    ++p;
  std::from_chars(p, result.ptr, exponent);
}

}  // namespace

bool TryStrToFloat(std::string_view text, char separator, double& value) {
  return Convert(text, separator, value) == Outcome::kOk;
}

double StrToFloat(std::string_view text, char separator) {
  double value = 0.0;
  switch (Convert(text, separator, value)) {
    case Outcome::kOk:
      return value;
    case Outcome::kOutOfRange:
      throw ConversionError(
          "Číslo „" + QuoteForMessage(text) + "“ je mimo rozsah, který lze uložit.",
          std::string(text.substr(0, kMaxNumberTextLength)));
    case Outcome::kNotANumber:
      break;
  }
  std::string message = "„" + QuoteForMessage(text) + "“ není platné číslo.";
  const char other = separator == ',' ? '.' : ',';
  double ignored = 0.0;
  if (Convert(text, other, ignored) != Outcome::kNotANumber) {
    message += " Očekávaný desetinný oddělovač je „";
    message += separator;
    message += "“.";
  }
  throw ConversionError(std::move(message), std::string(text.substr(0, kMaxNumberTextLength)));
}

char* WriteFloatText(char* out, double value, char separator) {
  const auto copy = [out](std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
  };
  if (std::isnan(value))
    return copy("NAN");
  if (std::isinf(value))
    return copy(value < 0 ? "-INF" : "INF");
  if (value == 0.0)  // minus zero too
    return copy("0");
  char* p = out;
  if (value < 0)
    *p++ = '-';
  std::uint64_t rounded = 0;
  int exponent = 0;
  if (!FastRound15(std::fabs(value), rounded, exponent)) {
    ExactRound15(std::fabs(value), rounded, exponent);
  }
  char sixteen[16];
  WriteEightDigits(static_cast<std::uint32_t>(rounded / 100'000'000), sixteen);
  WriteEightDigits(static_cast<std::uint32_t>(rounded % 100'000'000), sixteen + 8);
  const char* digits = sixteen + 1;  // the first is always 0
  int digitCount = 15;
  while (digitCount > 1 && digits[digitCount - 1] == '0')
    --digitCount;

  const auto copyDigits = [&](int from, int to) {
    for (int i = from; i < to; ++i)
      *p++ = digits[i];
  };
  if (exponent >= -5 && exponent < 15) {
    if (exponent >= 0) {
      const int integerDigits = exponent + 1;
      for (int i = 0; i < integerDigits; ++i)
        *p++ = i < digitCount ? digits[i] : '0';
      if (digitCount > integerDigits) {
        *p++ = separator;
        copyDigits(integerDigits, digitCount);
      }
    } else {
      *p++ = '0';
      *p++ = separator;
      for (int i = 0; i < -exponent - 1; ++i)
        *p++ = '0';
      copyDigits(0, digitCount);
    }
  } else {
    *p++ = digits[0];
    if (digitCount > 1) {
      *p++ = separator;
      copyDigits(1, digitCount);
    }
    *p++ = 'E';
    p = std::to_chars(p, out + kMaxFloatTextLength, exponent).ptr;
  }
  return p;
}

void AppendFloatText(std::string& out, double value, char separator) {
  char text[kMaxFloatTextLength];
  out.append(text, WriteFloatText(text, value, separator));
}

std::string FloatToStr(double value, char separator) {
  std::string text;
  AppendFloatText(text, value, separator);
  return text;
}
