#pragma once

// The quick reader behind ReadCommonNumber, inline so that StrToFloat and the step file's
// tokenizer read the common shape without a call.

#include <cstdint>
#include <string_view>

#include "spectrum/digit_words.h"
#include "spectrum/number_text_basics.h"

namespace odecet {

namespace number_text {

// ReadCommonNumber's work (see spectrum/decimal_text.h).
inline const char* ReadQuickNumber(const char* begin, const char* end, char separator,
                                   double& value);

// True, with `value` set, when the whole non-empty text is a number of the common shape.
inline bool ReadWholeCommonNumber(std::string_view text, char separator, double& value);

// What a number of at most seven digits around at most one separator holds.
struct ShortDigits {
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  int length = 0;  // bytes read, the separator included
};

// Reads such a number from `bytes`, the text's next eight bytes, and `following`, the eight after
// the first of them; all in registers. False for a run of eight digits or more.
inline bool ReadShortDigits(std::uint64_t bytes, std::uint64_t following, char separator,
                            ShortDigits& number);

// The end of a number whose digits are read: an optional exponent, then the value, if the fast
// exact path gives it.
inline const char* FinishNumber(const char* p, const char* end, bool negative,
                                std::uint64_t mantissa, int digits, int fractionDigits,
                                double& value);

// Digits and at most one separator, byte by byte, for a run of digits too long for one load.
// Out of line: rare, and it would crowd the common case's registers.
[[gnu::noinline]] const char* ReadLongNumber(const char* p, const char* end, char separator,
                                             bool negative, double& value);

// ---- definitions ----

inline bool ReadShortDigits(std::uint64_t bytes, std::uint64_t following, char separator,
                            ShortDigits& number) {
  int run = DigitRun(bytes);
  number.length = run;
  if (run < 8 && static_cast<char>(bytes >> (8 * run)) == separator) {
    // The same bytes with the separator taken out.
    const std::uint64_t kept = ~(~std::uint64_t{0} << (8 * run));
    bytes = (bytes & kept) | (following & ~kept);
    const int whole = run;
    run = DigitRun(bytes);
    number.fractionDigits = run - whole;
    number.length = run + 1;
  }
  if (run == 8)
    return false;
  number.mantissa = run > 0 ? DigitsValue(bytes, run) : 0;
  number.digits = run;
  return true;
}

[[gnu::always_inline]] inline const char* FinishNumber(const char* p, const char* end,
                                                       bool negative, std::uint64_t mantissa,
                                                       int digits, int fractionDigits,
                                                       double& value) {
  if (digits == 0 || digits > 19 || mantissa > (std::uint64_t{1} << 53))
    return nullptr;
  int exponent = 0;
  if (p != end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (q != end && (*q == '+' || *q == '-')) {
      negativeExponent = *q == '-';
      ++q;
    }
    const char* digitsStart = q;
    for (; q != end && IsDigit(*q) && q - digitsStart < 4; ++q)
      exponent = exponent * 10 + (*q - '0');
    if (negativeExponent)
      exponent = -exponent;
    if (q != digitsStart)
      p = q;  // else "1e" and the like: the caller finds the 'e' where the token should end
  }
  const int scale = exponent - fractionDigits;
  if (scale < -22 || scale > 22)
    return nullptr;
  // An integer below 2^53 times or divided by an exact power of ten: one correct rounding.
  const auto m = static_cast<double>(mantissa);
  const double parsed = scale >= 0 ? m * kExactPowers[static_cast<std::size_t>(scale)]
                                   : m / kExactPowers[static_cast<std::size_t>(-scale)];
  value = negative ? -parsed : parsed;
  return p;
}

inline const char* ReadQuickNumber(const char* begin, const char* end, char separator,
                                   double& value) {
  const char* p = begin;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const auto left = static_cast<std::size_t>(end - p);
  std::uint64_t bytes = 0;
  std::uint64_t following = 0;
  if (left >= 9) {
    bytes = LoadEight(p);
    following = LoadEight(p + 1);
  } else {
    bytes = LoadShort(p, left);
    following = (bytes >> 8) | (std::uint64_t{' '} << 56);
  }
  ShortDigits number;
  if (!ReadShortDigits(bytes, following, separator, number))
    return ReadLongNumber(p, end, separator, negative, value);
  return FinishNumber(p + number.length, end, negative, number.mantissa, number.digits,
                      number.fractionDigits, value);
}

inline bool ReadWholeCommonNumber(std::string_view text, char separator, double& value) {
  const char* end = text.data() + text.size();
  double common = 0.0;
  if (text.empty() || ReadQuickNumber(text.data(), end, separator, common) != end)
    return false;
  value = common;
  return true;
}

}  // namespace number_text

}  // namespace odecet
