#include "spectrum/round_fifteen.h"

#include <charconv>
#include <iterator>

#include "spectrum/number_text_basics.h"

namespace odecet {

namespace number_text {
namespace {

// 10^k in extended precision, correctly rounded: the compiler rounds each literal. Only the
// significands below reach the binary.
constexpr long double kExtendedPowers[] = {
#include "spectrum/powers_of_ten.inc"
};
static_assert(std::size(kExtendedPowers) == kPowerCount);

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

constexpr PowerSignificands kTable = MakePowerSignificands();
static_assert(kTable.shiftsAgree);

}  // namespace

constinit const std::array<std::uint64_t, kPowerCount> kPowerSignificands = kTable.bits;

// The C++ library's correctly rounded 15-digit scientific text, read back.
void ExactRound15(double value, std::uint64_t& digits, int& exponent) {
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

}  // namespace number_text

}  // namespace odecet
