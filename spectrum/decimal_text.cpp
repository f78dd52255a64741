#include "spectrum/decimal_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
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

constexpr std::uint64_t kOnes = 0x0101010101010101;

// The next eight bytes as one word, the first in the lowest byte.
std::uint64_t LoadEight(const char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap64(word);
  return word;
}

// How many of the eight bytes, from the first, are digits.
int DigitRun(std::uint64_t bytes) {
  const std::uint64_t offsets = bytes - kOnes * '0';
  // A byte below '0' borrows from the ones after it and a byte above '9' carries into them; both
  // only spoil bytes after the first non-digit, which is all this looks for.
  const std::uint64_t notDigit = (offsets | (offsets + kOnes * 0x76)) & (kOnes * 0x80);
  return std::countr_zero(notDigit) / 8;
}

// The value of the first `run` (1...8) bytes, all digits.
std::uint64_t DigitsValue(std::uint64_t bytes, int run) {
  // The digits moved to the top; the bytes below them read as leading zeros.
  std::uint64_t digits = (bytes - kOnes * '0') << (8 * (8 - run));
  digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FF;
  digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFF;
  return (digits * 10000 + (digits >> 32)) & 0xFFFFFFFF;
}

// Up to eight bytes of text as one word, padded with blanks; read without a byte past the text.
std::uint64_t LoadShort(const char* p, std::size_t n) {
  std::uint64_t word = 0;
  if (n >= 4) {
    std::uint32_t head = 0;
    std::uint32_t tail = 0;
    std::memcpy(&head, p, sizeof head);
    std::memcpy(&tail, p + n - 4, sizeof tail);
    if constexpr (std::endian::native == std::endian::big) {
      head = __builtin_bswap32(head);
      tail = __builtin_bswap32(tail);
    }
    word = head | (std::uint64_t{tail} << (8 * (n - 4)));  // the overlap holds the same bytes
  } else {
    for (std::size_t i = 0; i < n; ++i)
      word |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  }
  return n >= 8 ? word : word | (kOnes * ' ' & (~std::uint64_t{0} << (8 * n)));
}

// What a number of at most seven digits around at most one separator holds.
struct ShortDigits {
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  int length = 0;  // bytes read, the separator included
};

// Reads such a number from `bytes`, the text's next eight bytes, and `following`, the eight after
// the first of them; all in registers. False for a run of eight digits or more.
bool ReadShortDigits(std::uint64_t bytes, std::uint64_t following, char separator,
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

// The end of a number whose digits are read: an optional exponent, then the value, if the fast
// exact path gives it.
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

// Digits and at most one separator, byte by byte, for a run of digits too long for one load. The
// mantissa wraps only beyond 19 digits, which are refused.
[[gnu::noinline]] const char* ReadLongNumber(const char* p, const char* end, char separator,
                                             bool negative, double& value) {
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

}  // namespace

const char* ReadCommonNumber(const char* begin, const char* end, char separator, double& value) {
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

namespace {

bool IsBlank(char c) {
  return c == ' ';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

enum class Outcome { kOk, kNotANumber, kOutOfRange };

// The quick reader, when the whole text is a number of the common shape.
bool ReadWholeCommonNumber(std::string_view text, char separator, double& value) {
  const char* end = text.data() + text.size();
  double common = 0.0;
  if (text.empty() || ReadCommonNumber(text.data(), end, separator, common) != end)
    return false;
  value = common;
  return true;
}

// Any text that the quick reader did not take whole: blanks around it, long mantissas, large
// exponents. Kept out of line so that the common case below needs no registers saved for it.
[[gnu::noinline]] Outcome ConvertAny(std::string_view raw, char separator, double& value) {
  const std::string_view text = TrimBlanks(raw);
  if (text.size() != raw.size() && ReadWholeCommonNumber(text, separator, value))
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

Outcome Convert(std::string_view text, char separator, double& value) {
  if (ReadWholeCommonNumber(text, separator, value))
    return Outcome::kOk;
  return ConvertAny(text, separator, value);
}

// ---- writing ----

constexpr std::uint64_t kLow15 = 100'000'000'000'000;     // 1e14
constexpr std::uint64_t kHigh15 = 1'000'000'000'000'000;  // 1e15
constexpr int kLowestPower = -300;
constexpr int kHighestPower = 345;
constexpr std::size_t kPowerCount = kHighestPower - kLowestPower + 1;

// 10^k in extended precision, correctly rounded: the compiler rounds each literal. Only the
// significands below reach the binary.
constexpr long double kExtendedPowers[] = {
#include "spectrum/powers_of_ten.inc"
};
static_assert(std::size(kExtendedPowers) == kPowerCount);

// Where long double is the x87 format, each literal is 10^k rounded to a 64-bit significand.
constexpr bool kExtendedHas64Bits = std::numeric_limits<long double>::digits == 64;

// floor(log2(10^k)) - 63: the power of two of the lowest bit of 10^k's 64-bit significand.
constexpr int PowerShift(int k) {
  return ((k * 217706) >> 16) - 63;
}

struct PowerSignificands {
  std::array<std::uint64_t, kPowerCount> bits{};
  bool shiftsAgree = true;  // every literal is bits * 2^PowerShift(k)
};

// The literals' significands as integers, worked out by the compiler (steps by powers of two are
// exact), so the 64-bit table costs nothing at start-up.
constexpr PowerSignificands MakePowerSignificands() {
  PowerSignificands table;
  if (!kExtendedHas64Bits)
    return table;
  for (std::size_t i = 0; i < kPowerCount; ++i) {
    long double x = kExtendedPowers[i];
    int shift = 0;
    while (x < 0x1p-64L) {
      x *= 0x1p128L;
      shift -= 128;
    }
    while (x < 0x1p63L) {
      x *= 2.0L;
      shift -= 1;
    }
    while (x >= 0x1p127L) {
      x *= 0x1p-64L;
      shift += 64;
    }
    while (x >= 0x1p64L) {
      x *= 0.5L;
      shift += 1;
    }
    table.bits[i] = static_cast<std::uint64_t>(x);
    table.shiftsAgree =
        table.shiftsAgree && shift == PowerShift(static_cast<int>(i) + kLowestPower);
  }
  return table;
}

constexpr PowerSignificands kPowerSignificands = MakePowerSignificands();
static_assert(kPowerSignificands.shiftsAgree);

#if !defined(__SIZEOF_INT128__)
#error "the number text needs a 128-bit integer type"
#endif
__extension__ using UInt128 = unsigned __int128;

// The high word of significand * 2^q * 10^k (significand in [2^63, 2^64)) and how many of its
// low bits are a fraction; false for a k the table does not hold.
bool Scale(std::uint64_t significand, int q, int k, std::uint64_t& high, int& fractionBits) {
  if (k < kLowestPower || k > kHighestPower)
    return false;
  const UInt128 product =
      UInt128{significand} * kPowerSignificands.bits[static_cast<std::size_t>(k - kLowestPower)];
  high = static_cast<std::uint64_t>(product >> 64);
  fractionBits = -(q + PowerShift(k)) - 64;
  return fractionBits > 0 && fractionBits < 63;
}

// The value (the bits of a positive, finite, non-zero double) rounded to 15 significant digits:
// digits in [1e14, 1e15) and the decimal exponent of the first. The value's significand times a
// power of ten's, in integers: only the power was rounded, by at most 2^-64 of itself, so the
// product errs by less than one unit of its high word, and the low word adds less than one more.
// A high word within two units of halfway between two 15-digit neighbours is left to the exact
// path (false): at least 13 fraction bits make that fewer than one value in a thousand.
bool FastRound15(std::uint64_t bits, std::uint64_t& digits, int& exponent) {
  if constexpr (!kExtendedHas64Bits) {
    return false;
  } else {
    const auto biased = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int q = 0;
    if (biased != 0) {
      m |= std::uint64_t{1} << 52;
      q = biased - 1075;
    } else {
      const int shift = std::countl_zero(m) - 11;  // subnormal: bring the top bit to bit 52
      m <<= shift;
      q = -1074 - shift;
    }
    // floor(log10(2^(q+52))): the decimal exponent of the value, or one below it.
    int e = ((q + 52) * 78913) >> 18;
    const std::uint64_t significand = m << 11;
    q -= 11;
    // Both candidates at once, so that no branch waits on the first product.
    std::uint64_t high = 0;
    int fractionBits = 0;
    std::uint64_t highAbove = 0;
    int fractionBitsAbove = 0;
    if (!Scale(significand, q, 14 - e, high, fractionBits) ||
        !Scale(significand, q, 13 - e, highAbove, fractionBitsAbove))
      return false;
    const bool above = high >> fractionBits >= kHigh15;
    high = above ? highAbove : high;
    fractionBits = above ? fractionBitsAbove : fractionBits;
    e += above ? 1 : 0;
    const std::uint64_t half = std::uint64_t{1} << (fractionBits - 1);
    const std::uint64_t fraction = high & ((half << 1) - 1);
    if (fraction - half + 2 <= 4)  // within two units of halfway, either side
      return false;
    std::uint64_t rounded = (high >> fractionBits) + (fraction > half ? 1 : 0);
    if (rounded == kHigh15) {
      rounded = kLow15;
      ++e;
    }
    digits = rounded;
    exponent = e;
    return rounded >= kLow15 && rounded < kHigh15;
  }
}

void StoreEight(char* out, std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap64(word);
  std::memcpy(out, &word, sizeof word);
}

void StoreFour(char* out, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap32(word);
  std::memcpy(out, &word, sizeof word);
}

// The bytes below byte n of a word (n in 0...7).
std::uint64_t BelowByte(int n) {
  return ~(~std::uint64_t{0} << (8 * n));
}

// A text of up to 24 bytes as three words, byte 0 the lowest of the first. It is put together in
// registers and stored once: stores of one width and a reload of another would stall the
// processor longer than building the text takes.
struct TextWords {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::uint64_t third = 0;
};

// The 15 digits of `rounded` (in [1e14, 1e15)) as characters: bytes 0...14 of `digits`.
// Returns how many are left without the trailing zeros.
int FifteenDigits(std::uint64_t rounded, TextWords& digits) {
  // Four groups of four digits (the first has three), each split in two pairs and each pair in
  // two digits, in all lanes at once.
#if defined(__SSE2__)
  // The groups from three independent divisions rather than two in a row.
  const std::uint64_t high = rounded / 100'000'000;
  const std::uint64_t above4 = rounded / 10'000;
  const std::uint64_t above12 = rounded / 1'000'000'000'000;
  const std::uint64_t groups = above12 | ((high - above12 * 10'000) << 16) |
                               ((above4 - high * 10'000) << 32) |
                               ((rounded - above4 * 10'000) << 48);
  const __m128i fours = _mm_cvtsi64_si128(static_cast<long long>(groups));
  // x * 5243 >> 19 is x / 100 for every x below 10^4, and x * 6554 >> 16 is x / 10 below 100.
  const __m128i hundreds = _mm_srli_epi16(_mm_mulhi_epu16(fours, _mm_set1_epi16(5243)), 3);
  const __m128i rest = _mm_sub_epi16(fours, _mm_mullo_epi16(hundreds, _mm_set1_epi16(100)));
  const __m128i pairs = _mm_unpacklo_epi16(hundreds, rest);
  const __m128i tens = _mm_mulhi_epu16(pairs, _mm_set1_epi16(6554));
  const __m128i ones = _mm_sub_epi16(pairs, _mm_mullo_epi16(tens, _mm_set1_epi16(10)));
  const __m128i characters =
      _mm_add_epi8(_mm_or_si128(tens, _mm_slli_epi16(ones, 8)), _mm_set1_epi8('0'));
  // The first character is the leading zero of the three-digit group.
  const __m128i shifted = _mm_srli_si128(characters, 1);
  digits.first = static_cast<std::uint64_t>(_mm_cvtsi128_si64(shifted));
  digits.second =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(shifted, shifted)));
  const auto zeros =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(characters, _mm_set1_epi8('0'))));
  // The last digit that is not zero, counted from the leading zero's place.
  return 31 - std::countl_zero(~zeros & 0xFFFEU);
#else
  const auto high = static_cast<std::uint32_t>(rounded / 100'000'000);
  const auto low = static_cast<std::uint32_t>(rounded % 100'000'000);
  const auto eight = [](std::uint32_t v) {
    const std::uint64_t halves = (v / 10000) | (std::uint64_t{v % 10000} << 32);
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;  // x / 100
    const std::uint64_t pairs = ((halves - 100 * hundreds) << 16) | hundreds;
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;  // x / 10
    return tens | ((pairs - 10 * tens) << 8);  // byte values 0...9, the first digit lowest
  };
  const std::uint64_t first = eight(high);
  const std::uint64_t second = eight(low);
  digits.first = ((first + kOnes * '0') >> 8) | ((second + kOnes * '0') << 56);
  digits.second = (second + kOnes * '0') >> 8;
  // Trailing zero digits are the top zero bytes.
  return 15 - (second != 0 ? std::countl_zero(second) / 8 : 8 + std::countl_zero(first) / 8);
#endif
}

// The digits (bytes 0...14 of `digits`) with the separator after the first `whole` (1...15).
TextWords InsertSeparator(const TextWords& digits, int whole, std::uint64_t separator) {
  // After the separator every byte is the digit one place before it.
  const std::uint64_t movedFirst = digits.first << 8;
  const std::uint64_t movedSecond = (digits.first >> 56) | (digits.second << 8);
  TextWords text;
  if (whole < 8) {
    const std::uint64_t kept = BelowByte(whole);
    const std::uint64_t at = std::uint64_t{0xFF} << (8 * whole);
    text.first = (digits.first & kept) | (separator << (8 * whole)) | (movedFirst & ~(kept | at));
    text.second = movedSecond;
  } else {
    const std::uint64_t kept = BelowByte(whole - 8);
    const std::uint64_t at = std::uint64_t{0xFF} << (8 * (whole - 8));
    text.first = digits.first;
    text.second =
        (digits.second & kept) | (separator << (8 * (whole - 8))) | (movedSecond & ~(kept | at));
  }
  return text;
}

// The bytes from byte n (1...7) of the pair of words `low`, `high`.
std::uint64_t BytesFrom(std::uint64_t low, std::uint64_t high, int n) {
  return (low >> (8 * n)) | (high << (64 - 8 * n));
}

// Stores exactly the first n (1...22) bytes of the text.
void StoreText(char* out, const TextWords& text, int n) {
  if (n >= 16) {
    StoreEight(out, text.first);
    StoreEight(out + 8, text.second);
    if (n > 16)
      StoreEight(out + n - 8, BytesFrom(text.second, text.third, n - 16));
  } else if (n >= 8) {
    StoreEight(out, text.first);
    if (n > 8)
      StoreEight(out + n - 8, BytesFrom(text.first, text.second, n - 8));
  } else if (n >= 4) {
    StoreFour(out, static_cast<std::uint32_t>(text.first));
    StoreFour(out + n - 4, static_cast<std::uint32_t>(text.first >> (8 * (n - 4))));
  } else {
    for (int i = 0; i < n; ++i)
      out[i] = static_cast<char>(text.first >> (8 * i));
  }
}

// The exact path: the C++ library's correctly rounded 15-digit scientific text.
[[gnu::noinline]] void ExactRound15(double value, std::uint64_t& digits, int& exponent) {
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
