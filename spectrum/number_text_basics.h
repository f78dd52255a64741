#pragma once

// What reading and writing number text share.

#include <array>
#include <cstdint>

namespace odecet {

namespace number_text {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Powers of ten that a double holds exactly.
inline constexpr std::array<double, 23> kExactPowers = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A one in every byte: eight characters of a word handled at once.
inline constexpr std::uint64_t kOnes = 0x0101010101010101;

}  // namespace number_text

}  // namespace odecet
