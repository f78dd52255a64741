#pragma once

// Eight characters of text as one word, the first in the lowest byte, and what the quick reader
// learns from such a word without a loop. Inline: each is a handful of instructions on the
// reader's hot path.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "spectrum/number_text_basics.h"

namespace odecet {

namespace number_text {

// The next eight bytes as one word.
inline std::uint64_t LoadEight(const char* p);

// Up to eight bytes of text as one word, padded with blanks; read without a byte past the text.
inline std::uint64_t LoadShort(const char* p, std::size_t n);

// How many of the eight bytes, from the first, are digits.
inline int DigitRun(std::uint64_t bytes);

// The value of the first `run` (1...8) bytes, all digits.
inline std::uint64_t DigitsValue(std::uint64_t bytes, int run);

// ---- definitions ----

inline std::uint64_t LoadEight(const char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap64(word);
  return word;
}

inline std::uint64_t LoadShort(const char* p, std::size_t n) {
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

inline int DigitRun(std::uint64_t bytes) {
  const std::uint64_t offsets = bytes - kOnes * '0';
  // A byte below '0' borrows from the ones after it and a byte above '9' carries into them; both
  // only spoil bytes after the first non-digit, which is all this looks for.
  const std::uint64_t notDigit = (offsets | (offsets + kOnes * 0x76)) & (kOnes * 0x80);
  return std::countr_zero(notDigit) / 8;
}

inline std::uint64_t DigitsValue(std::uint64_t bytes, int run) {
  // The digits moved to the top; the bytes below them read as leading zeros.
  std::uint64_t digits = (bytes - kOnes * '0') << (8 * (8 - run));
  digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FF;
  digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFF;
  return (digits * 10000 + (digits >> 32)) & 0xFFFFFFFF;
}

}  // namespace number_text

}  // namespace odecet
