#include "spectrum/round_fifteen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace odecet;

namespace {

using number_text::ExactRound15;
using number_text::FastRound15;

std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(ExactRound15, GivesFifteenDigitsAndTheExponentOfTheFirst) {
  const struct {
    double value;
    std::uint64_t digits;
    int exponent;
  } cases[] = {
      {1.0, 100000000000000, 0},
      {0.1, 100000000000000, -1},
      {2.0 / 3.0, 666666666666667, -1},
      {999999999999999.9, 100000000000000, 15},
      {1000000000000005.0, 100000000000000, 15},  // halfway: to even
      {1000000000000015.0, 100000000000002, 15},
      {5e-324, 494065645841247, -324},
      {1.7976931348623157e308, 179769313486232, 308},
  };
  for (const auto& c : cases) {
    std::uint64_t digits = 0;
    int exponent = 0;
    ExactRound15(c.value, digits, exponent);
    EXPECT_EQ(digits, c.digits) << c.value;
    EXPECT_EQ(exponent, c.exponent) << c.value;
  }
}

// Values where the quick rounding is most likely to go wrong: powers of ten and their
// neighbours, the doubles nearest halfway between two 15-digit numbers, the ends of the range.
std::vector<double> Edges() {
  std::vector<double> values = {5e-324, 2.2250738585072014e-308, 2.2250738585072009e-308,
                                std::numeric_limits<double>::max(), 999999999999999.5};
  for (int k = -323; k <= 308; ++k) {
    double value = std::pow(10.0, k);
    double below = value;
    for (int step = 0; step < 3; ++step) {
      values.push_back(value);
      values.push_back(below);
      value = std::nextafter(value, INFINITY);
      below = std::nextafter(below, 0.0);
    }
  }
  std::mt19937_64 random(15);
  for (int i = 0; i < 100000; ++i) {
    const auto digits = static_cast<double>(100000000000000 + random() % 900000000000000);
    const int exponent = static_cast<int>(random() % 600) - 300;
    values.push_back((digits + 0.5) * std::pow(10.0, exponent));
  }
  return values;
}

void ExpectAgreement(double value) {
  std::uint64_t quick = 0;
  int quickExponent = 0;
  if (!FastRound15(Bits(value), quick, quickExponent))
    return;
  std::uint64_t exact = 0;
  int exactExponent = 0;
  ExactRound15(value, exact, exactExponent);
  ASSERT_EQ(quick, exact) << value;
  ASSERT_EQ(quickExponent, exactExponent) << value;
}

TEST(FastRound15, AgreesWithTheExactPathWheneverItAnswers) {
  for (const double value : Edges()) {
    if (std::isfinite(value) && value > 0)
      ExpectAgreement(value);
  }
}

TEST(FastRound15, AnswersForNearlyEveryValueAndAgrees) {
  if (!number_text::kExtendedHas64Bits)
    GTEST_SKIP() << "built without the extended-precision powers";
  std::mt19937_64 random(1515);
  int declined = 0;
  int tried = 0;
  while (tried < 200000) {
    double value = 0;
    const std::uint64_t bits = random() >> 1;  // positive
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value) || value == 0)
      continue;
    ++tried;
    std::uint64_t digits = 0;
    int exponent = 0;
    if (!FastRound15(bits, digits, exponent)) {
      ++declined;
      continue;
    }
    ExpectAgreement(value);
  }
  EXPECT_LT(declined, tried / 100);
}

}  // namespace
