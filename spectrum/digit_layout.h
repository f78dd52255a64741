#pragma once

// The digit layout this build writes with: SSE2 where it is in, else the plain one.

#include <cstdint>

#include "spectrum/digit_layout_plain.h"
#include "spectrum/digit_layout_sse2.h"
#include "spectrum/text_words.h"

namespace odecet {

namespace number_text {

// The 15 digits of `rounded` (in [1e14, 1e15)) as characters: bytes 0...14 of `digits`.
// Returns how many are left without the trailing zeros.
inline int FifteenDigits(std::uint64_t rounded, TextWords& digits) {
#if ODECET_USE_SSE2
  return FifteenDigitsSse2(rounded, digits);
#else
  return FifteenDigitsPlain(rounded, digits);
#endif
}

}  // namespace number_text

}  // namespace odecet
