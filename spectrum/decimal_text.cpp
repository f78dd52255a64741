#include "spectrum/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "spectrum/errors.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// What the grammar check learns about a number text, so that the value can be formed
// and an out-of-range result classified without scanning again.
struct NumberShape {
  bool negative = false;
  std::int64_t leadingExponent = 0;  // decimal exponent of the first non-zero digit
  bool allZero = true;
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
  bool seenSeparator = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (c != '0' && firstNonZero < 0)
        firstNonZero = digitCount;
      ++digitCount;
      if (!seenSeparator)
        ++digitsBeforeSeparator;
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
  NumberShape shape;
  if (!CheckGrammar(text, separator, shape))
    return Outcome::kNotANumber;

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

  double parsed = 0.0;
  const auto result = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (result.ec == std::errc::result_out_of_range) {
    if (!shape.allZero && shape.leadingExponent >= 0)
      return Outcome::kOutOfRange;
    parsed = 0.0;  // below the smallest subnormal: rounds to zero
  } else if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
    return Outcome::kNotANumber;  // not expected after the grammar check
  }
  value = shape.negative ? -std::fabs(parsed) : parsed;
  return Outcome::kOk;
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
          std::string(text));
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
  throw ConversionError(std::move(message), std::string(text));
}

void AppendFloatText(std::string& out, double value, char separator) {
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  if (value == 0.0) {  // minus zero too
    out += '0';
    return;
  }
  // "-d.ddddddddddddddde-XXX": 15 significant digits, correctly rounded.
  char buffer[40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  const char* p = buffer;
  if (*p == '-') {
    out += '-';
    ++p;
  }
  char digits[15];
  int digitCount = 0;
  digits[digitCount++] = *p++;
  ++p;  // '.'
  while (*p != 'e')
    digits[digitCount++] = *p++;
  ++p;  // 'e'
  if (*p == '+')
    ++p;
  int exponent = 0;
  std::from_chars(p, result.ptr, exponent);
  while (digitCount > 1 && digits[digitCount - 1] == '0')
    --digitCount;

  if (exponent >= -5 && exponent < 15) {
    if (exponent >= 0) {
      const int integerDigits = exponent + 1;
      for (int i = 0; i < integerDigits; ++i)
        out += i < digitCount ? digits[i] : '0';
      if (digitCount > integerDigits) {
        out += separator;
        out.append(digits + integerDigits, digits + digitCount);
      }
    } else {
      out += '0';
      out += separator;
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out.append(digits, digits + digitCount);
    }
    return;
  }
  out += digits[0];
  if (digitCount > 1) {
    out += separator;
    out.append(digits + 1, digits + digitCount);
  }
  out += 'E';
  char exponentText[8];
  const auto written = std::to_chars(exponentText, exponentText + sizeof exponentText, exponent);
  out.append(exponentText, written.ptr);
}

std::string FloatToStr(double value, char separator) {
  std::string text;
  AppendFloatText(text, value, separator);
  return text;
}

std::string QuoteForMessage(std::string_view text) {
  constexpr std::size_t kLimit = 40;
  if (text.size() <= kLimit)
    return std::string(text);
  std::size_t cut = kLimit;
  // Do not split a UTF-8 sequence.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  return std::string(text.substr(0, cut)) + "…";
}
