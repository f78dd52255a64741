#include "spectrum/decimal_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "spectrum/digit_layout.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/number_grammar.h"
#include "spectrum/number_text_basics.h"
#include "spectrum/quick_number_reader.h"
#include "spectrum/round_fifteen.h"
#include "spectrum/text_words.h"

namespace odecet {

using number_text::BelowByte;
using number_text::BytesFrom;
using number_text::ExactRound15;
using number_text::FastRound15;
using number_text::FifteenDigits;
using number_text::InsertSeparator;
using number_text::kOnes;
using number_text::Outcome;
using number_text::ReadAnyNumber;
using number_text::ReadWholeCommonNumber;
using number_text::StoreText;
using number_text::TextWords;

namespace {

Outcome Convert(std::string_view text, char separator, double& value) {
  if (ReadWholeCommonNumber(text, separator, value))
    return Outcome::kOk;
  return ReadAnyNumber(text, separator, value);
}

}  // namespace

bool TryStrToFloat(std::string_view text, char separator, double& value) {
  return Convert(text, separator, value) == Outcome::kOk;
}

namespace {

[[noreturn, gnu::noinline]] void ThrowNotANumber(std::string_view text, char separator) {
  double ignored = 0.0;
  if (Convert(text, separator, ignored) == Outcome::kOutOfRange) {
    throw ConversionError("Číslo „" + QuoteForMessage(text) + "“ je mimo rozsah, který lze uložit.",
                          std::string(text.substr(0, kMaxNumberTextLength)));
  }
  std::string message = "„" + QuoteForMessage(text) + "“ není platné číslo.";
  const char other = separator == ',' ? '.' : ',';
  if (Convert(text, other, ignored) != Outcome::kNotANumber) {
    message += " Očekávaný desetinný oddělovač je „";
    message += separator;
    message += "“.";
  }
  throw ConversionError(std::move(message), std::string(text.substr(0, kMaxNumberTextLength)));
}

}  // namespace

double StrToFloat(std::string_view text, char separator) {
  double value = 0.0;
  if (Convert(text, separator, value) != Outcome::kOk)
    ThrowNotANumber(text, separator);
  return value;
}

char* WriteFloatText(char* out, double value, char separator) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  bits &= ~(std::uint64_t{1} << 63);
  constexpr std::uint64_t kInfinityBits = 0x7FF0'0000'0000'0000;
  const auto copy = [out](std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
  };
  if (bits > kInfinityBits)
    return copy("NAN");
  if (bits == kInfinityBits)
    return copy(negative ? "-INF" : "INF");
  if (bits == 0)  // minus zero too
    return copy("0");
  std::uint64_t rounded = 0;
  int exponent = 0;
  if (!FastRound15(bits, rounded, exponent))
    ExactRound15(std::fabs(value), rounded, exponent);

  TextWords digits;
  const int digitCount = FifteenDigits(rounded, digits);
  const auto separatorByte = static_cast<std::uint64_t>(static_cast<unsigned char>(separator));

  TextWords text;
  int length = 0;
  if (exponent >= 0 && exponent < 15) {
    const int whole = exponent + 1;
    if (digitCount > whole) {
      text = InsertSeparator(digits, whole, separatorByte);
      length = digitCount + 1;
    } else {
      text = digits;  // an integer; its trailing zeros are digits
      length = whole;
    }
  } else if (exponent >= -5 && exponent < 0) {
    const int prefix = 1 - exponent;  // "0", the separator and zeros: 2...6 bytes
    const std::uint64_t zeros = (kOnes * '0' & ~std::uint64_t{0xFF00}) | (separatorByte << 8);
    text.first = (zeros & BelowByte(prefix)) | (digits.first << (8 * prefix));
    text.second = BytesFrom(digits.first, digits.second, 8 - prefix);
    text.third = digits.second >> (64 - 8 * prefix);
    length = prefix + digitCount;
  } else {
    const int mantissa = digitCount > 1 ? digitCount + 1 : 1;
    text = InsertSeparator(digits, 1, separatorByte);
    // "E", a minus and up to three digits.
    std::uint64_t tail = 'E';
    int tailLength = 1;
    const auto put = [&](int c) { tail |= static_cast<std::uint64_t>(c) << (8 * tailLength++); };
    if (exponent < 0)
      put('-');
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude >= 100)
      put('0' + magnitude / 100);
    if (magnitude >= 10)
      put('0' + magnitude / 10 % 10);
    put('0' + magnitude % 10);
    if (mantissa < 8) {
      text.first = (text.first & BelowByte(mantissa)) | (tail << (8 * mantissa));
      text.second = tail >> (64 - 8 * mantissa);
    } else if (mantissa < 16) {
      text.second = (text.second & BelowByte(mantissa - 8)) | (tail << (8 * (mantissa - 8)));
      text.third = mantissa > 8 ? tail >> (64 - 8 * (mantissa - 8)) : 0;
    } else {
      text.third = tail;
    }
    length = mantissa + tailLength;
  }
  if (negative)
    *out++ = '-';
  StoreText(out, text, length);
  return out + length;
}

void AppendFloatText(std::string& out, double value, char separator) {
  // Written in place: copying it from a scratch buffer would reload bytes just stored.
  const std::size_t size = out.size();
  out.resize(size + kMaxFloatTextLength);
  const char* end = WriteFloatText(out.data() + size, value, separator);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string FloatToStr(double value, char separator) {
  std::string text;
  AppendFloatText(text, value, separator);
  return text;
}

}  // namespace odecet
