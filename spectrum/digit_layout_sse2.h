#pragma once

// The 15 digits of a rounded value as characters in the lanes of one SSE2 register. ODECET_NO_SSE2
// leaves it out even where the processor has SSE2, so that the plain layout's build is tested
// there too; ODECET_USE_SSE2 tells whether it is in.

#include <bit>
#include <cstdint>

#include "spectrum/text_words.h"

#if defined(__SSE2__) && !defined(ODECET_NO_SSE2)
#define ODECET_USE_SSE2 1
#else
#define ODECET_USE_SSE2 0
#endif

#if ODECET_USE_SSE2
#include <emmintrin.h>

namespace odecet::number_text {

// As FifteenDigitsPlain, byte for byte.
inline int FifteenDigitsSse2(std::uint64_t rounded, TextWords& digits) {
  // Four groups of four digits (the first has three), each split in two pairs and each pair in
  // two digits, in all lanes at once. The groups from three independent divisions rather than two
  // in a row.
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
}

}  // namespace odecet::number_text

#endif
