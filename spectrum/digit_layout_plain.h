#pragma once

// The 15 digits of a rounded value as characters in plain 64-bit arithmetic: what machines
// without SSE2 write with, and the reference the SSE2 layout is tested against on every build.

#include <bit>
#include <cstdint>

#include "spectrum/number_text_basics.h"
#include "spectrum/text_words.h"

namespace odecet {

namespace number_text {

// The 15 digits of `rounded` (in [1e14, 1e15)) as characters: bytes 0...14 of `digits`, the rest
// zero. Returns how many are left without the trailing zeros.
inline int FifteenDigitsPlain(std::uint64_t rounded, TextWords& digits) {
  // Two groups of eight digits (the first has seven), each split in two halves, each half in two
  // pairs and each pair in two digits, in all lanes of a word at once.
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
}

}  // namespace number_text

}  // namespace odecet
