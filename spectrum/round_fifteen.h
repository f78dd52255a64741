#pragma once

// A double rounded to 15 significant digits: digits in [1e14, 1e15) and the decimal exponent of
// the first. The quick way in integers is inline, as the writer calls it for every value; the
// exact way through the C++ library answers where the quick one declines.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace odecet {

namespace number_text {

inline constexpr std::uint64_t kLow15 = 100'000'000'000'000;     // 1e14
inline constexpr std::uint64_t kHigh15 = 1'000'000'000'000'000;  // 1e15

// The quick rounding needs 10^k with a 64-bit significand, which the literals give where long
// double is the x87 format. ODECET_NO_EXTENDED_POWERS builds what other machines get: the exact
// path only.
#if defined(ODECET_NO_EXTENDED_POWERS)
inline constexpr bool kExtendedHas64Bits = false;
#else
inline constexpr bool kExtendedHas64Bits = std::numeric_limits<long double>::digits == 64;
#endif

// The value (the bits of a positive, finite, non-zero double) rounded, or false when it lies too
// near halfway between two 15-digit neighbours to tell (or without the extended powers).
inline bool FastRound15(std::uint64_t bits, std::uint64_t& digits, int& exponent);

// The same for any positive finite non-zero value, always right, and slow.
[[gnu::noinline]] void ExactRound15(double value, std::uint64_t& digits, int& exponent);

// ---- definitions ----

inline constexpr int kLowestPower = -300;
inline constexpr int kHighestPower = 345;
inline constexpr std::size_t kPowerCount = kHighestPower - kLowestPower + 1;

// floor(log2(10^k)) - 63: the power of two of the lowest bit of 10^k's 64-bit significand.
constexpr int PowerShift(int k) {
  return ((k * 217706) >> 16) - 63;
}

// The 64-bit significands of 10^k for k = kLowestPower ... kHighestPower; zeros without the
// extended powers.
extern const std::array<std::uint64_t, kPowerCount> kPowerSignificands;

#if !defined(__SIZEOF_INT128__)
#error "the number text needs a 128-bit integer type"
#endif
__extension__ using UInt128 = unsigned __int128;

// The high word of significand * 2^q * 10^k (significand in [2^63, 2^64)) and how many of its
// low bits are a fraction; false for a k the table does not hold.
inline bool Scale(std::uint64_t significand, int q, int k, std::uint64_t& high, int& fractionBits) {
  if (k < kLowestPower || k > kHighestPower)
    return false;
  const UInt128 product =
      UInt128{significand} * kPowerSignificands[static_cast<std::size_t>(k - kLowestPower)];
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
inline bool FastRound15(std::uint64_t bits, std::uint64_t& digits, int& exponent) {
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

}  // namespace number_text

}  // namespace odecet
