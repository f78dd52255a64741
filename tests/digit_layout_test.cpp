#include "spectrum/digit_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "spectrum/round_fifteen.h"

using namespace odecet;

namespace {

using number_text::kHigh15;
using number_text::kLow15;
using number_text::TextWords;

std::uint64_t PowerOfTen(int k) {
  std::uint64_t power = 1;
  for (int i = 0; i < k; ++i)
    power *= 10;
  return power;
}

// 15-digit values that each lane and each carry of the layouts meet: every digit at every place
// over backgrounds of zeros, fives and nines; both ends of every group of digits; every count of
// trailing zeros; and many random values.
std::vector<std::uint64_t> Sample() {
  std::vector<std::uint64_t> values = {kLow15, kHigh15 - 1};
  for (const std::uint64_t background : {0U, 5U, 9U}) {
    for (int place = 0; place < 15; ++place) {
      for (std::uint64_t digit = 0; digit <= 9; ++digit) {
        std::uint64_t value = 0;
        for (int p = 14; p >= 0; --p)
          value = value * 10 + (p == place ? digit : background);
        if (value >= kLow15)
          values.push_back(value);
      }
    }
  }
  for (int k = 1; k < 15; ++k) {
    for (const std::uint64_t base : {kLow15, 5 * kLow15, 9 * kLow15}) {
      values.push_back(base + PowerOfTen(k) - 1);
      values.push_back(base + PowerOfTen(k));
      values.push_back(base + PowerOfTen(k) + 1);
    }
  }
  std::mt19937_64 random(2024);
  for (int zeros = 0; zeros < 15; ++zeros) {
    const std::uint64_t unit = PowerOfTen(zeros);
    for (int i = 0; i < 200; ++i) {
      const std::uint64_t leading = kLow15 / unit + random() % ((kHigh15 - kLow15) / unit);
      values.push_back(leading * unit);
    }
  }
  for (int i = 0; i < 200000; ++i)
    values.push_back(kLow15 + random() % (kHigh15 - kLow15));
  std::erase_if(values, [](std::uint64_t value) { return value >= kHigh15; });
  return values;
}

std::string Characters(const TextWords& words) {
  char bytes[24];
  std::memcpy(bytes, &words.first, 8);
  std::memcpy(bytes + 8, &words.second, 8);
  std::memcpy(bytes + 16, &words.third, 8);
  return std::string(bytes, sizeof bytes);
}

TEST(FifteenDigits, PlainLayoutWritesTheDigitsAndCountsThoseBeforeTrailingZeros) {
  for (const std::uint64_t value : Sample()) {
    TextWords words;
    const int count = number_text::FifteenDigitsPlain(value, words);
    const std::string expected = std::to_string(value);
    ASSERT_EQ(Characters(words), expected + std::string(9, '\0')) << value;
    ASSERT_EQ(count, static_cast<int>(expected.find_last_not_of('0')) + 1) << value;
  }
}

TEST(FifteenDigits, Sse2LayoutGivesThePlainLayoutsWordsAndCount) {
#if ODECET_USE_SSE2
  for (const std::uint64_t value : Sample()) {
    TextWords plain;
    TextWords sse2;
    const int plainCount = number_text::FifteenDigitsPlain(value, plain);
    const int sse2Count = number_text::FifteenDigitsSse2(value, sse2);
    ASSERT_EQ(sse2.first, plain.first) << value;
    ASSERT_EQ(sse2.second, plain.second) << value;
    ASSERT_EQ(sse2.third, plain.third) << value;
    ASSERT_EQ(sse2Count, plainCount) << value;
  }
#else
  GTEST_SKIP() << "built without the SSE2 layout";
#endif
}

}  // namespace
