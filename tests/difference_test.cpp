#include "report/difference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "spectrum/errors.h"

using namespace odecet;

namespace {

struct Tables {
  PointTable step1{};
  PointTable step2{};
  PointTable diff{};
  DifferenceResult Subtract(std::int32_t count1, std::int32_t count2) {
    return SubtractSpectra(step1, count1, step2, count2, diff);
  }
};

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SubtractSpectra, SubtractsReAsStep2MinusStep1AndImTheOtherWay) {
  Tables t;
  t.step1[0] = {1000, 1, 2};
  t.step2[0] = {1000, 3, 5};
  EXPECT_EQ(t.Subtract(1, 1).mismatch, Mismatch::kNone);
  EXPECT_EQ(t.diff[0].f, 1000);
  EXPECT_EQ(t.diff[0].re, 2);
  EXPECT_EQ(t.diff[0].im, -3);
}

TEST(SubtractSpectra, FrequenciesMustBeEqualToTheLastBit) {
  Tables t;
  t.step1[0] = {-0.0, 7, 7};
  t.step2[0] = {0.0, 7, 7};
  EXPECT_EQ(t.Subtract(1, 1).mismatch, Mismatch::kNone);
  EXPECT_TRUE(SameBits(t.diff[0].f, -0.0)) << "f is step 1's, sign of zero included";
  EXPECT_TRUE(SameBits(t.diff[0].re, 0.0)) << "identical values give +0";
  EXPECT_TRUE(SameBits(t.diff[0].im, 0.0));

  t.step2[0].f = std::nextafter(0.0, 1.0);
  EXPECT_EQ(t.Subtract(1, 1).mismatch, Mismatch::kFrequency);
  t.step1[0].f = 100.0;
  t.step2[0].f = std::nextafter(100.0, 200.0);
  EXPECT_EQ(t.Subtract(1, 1).mismatch, Mismatch::kFrequency);
}

// A tolerance lets frequencies differ by at most that share of the larger one; the difference
// keeps step 1's frequency.
TEST(SubtractSpectra, ATolerancePassesFrequenciesWithinItsShareOfTheLarger) {
  struct Case {
    double f1, f2, tolerance;
    bool match;
  };
  const Case cases[] = {
      {1000, 1000.5, 5e-4, true},   // 0.5 <= 0.50025
      {1000.5, 1000, 5e-4, true},   // either order
      {1000, 1000.6, 5e-4, false},  // 0.6 > 0.5003
      {100, 101, 0.00999, true},    // 1 <= 1.00899: the larger frequency counts
      {100, 101, 0.0099, false},    // 1 > 0.9999
      {-0.0, 0.0, 0, true},         // no tolerance: equality, +0 equal to -0
      {1000, std::nextafter(1000.0, 2000.0), 0, false},
      {0, 1e-300, 0.5, false},  // nothing is within a share of zero but zero
  };
  for (const Case& c : cases) {
    Tables t;
    t.step1[0] = {c.f1, 1, 1};
    t.step2[0] = {c.f2, 2, 2};
    const DifferenceResult result = SubtractSpectra(t.step1, 1, t.step2, 1, t.diff, c.tolerance);
    EXPECT_EQ(result.mismatch, c.match ? Mismatch::kNone : Mismatch::kFrequency)
        << c.f1 << " " << c.f2 << " " << c.tolerance;
    if (c.match) {
      EXPECT_TRUE(SameBits(t.diff[0].f, c.f1));
    }
  }
}

TEST(SubtractSpectra, CountsAreComparedBeforeAnyPoint) {
  Tables t;
  t.diff[0] = {-1, -1, -1};
  EXPECT_EQ(t.Subtract(8, 0).mismatch, Mismatch::kCount);
  EXPECT_EQ(t.diff[0].f, -1) << "no point is computed on a count mismatch";
  EXPECT_EQ(t.Subtract(0, 0).mismatch, Mismatch::kNone);
  EXPECT_EQ(t.Subtract(-3, -3).mismatch, Mismatch::kNone);
  EXPECT_EQ(t.diff[0].f, -1) << "equal negative counts compute nothing";
}

TEST(SubtractSpectra, StopsAtTheFirstDifferingFrequency) {
  Tables t;
  for (std::size_t i = 0; i < 10; ++i) {
    t.step1[i] = {100.0 * double(i + 1), 1, 1};
    t.step2[i] = {100.0 * double(i + 1), 2, 2};
    t.diff[i] = {-1, -1, -1};
  }
  t.step2[2].f = 301;
  t.step2[5].f = 601;
  const DifferenceResult result = t.Subtract(10, 10);
  EXPECT_EQ(result.mismatch, Mismatch::kFrequency);
  EXPECT_EQ(result.index, 2);
  EXPECT_EQ(t.diff[0].f, 100);
  EXPECT_EQ(t.diff[1].re, 1);
  for (std::size_t i = 2; i < 10; ++i)
    EXPECT_EQ(t.diff[i].f, -1) << i;
}

TEST(SubtractSpectra, ADifferenceBeyondTheDoubleRangeIsAnErrorNamingThePoint) {
  Tables t;
  t.step1[0] = {100, 1, 1};
  t.step2[0] = {100, 2, 2};
  t.step1[1] = {200, 0, 1.7e308};
  t.step2[1] = {200, 0, -1.7e308};
  try {
    t.Subtract(2, 2);
    FAIL();
  } catch (const DifferenceRangeError& error) {
    EXPECT_STREQ(error.what(),
                 "Rozdíl v bodě 2 (imaginární část) přesahuje rozsah čísel, který lze uložit.");
  }
  EXPECT_EQ(t.diff[0].re, 1.0);
}

TEST(MismatchText, IsTheSystemsOwnWordingAndDetailNamesThePoint) {
  EXPECT_STREQ(MismatchText(Mismatch::kCount), "Zadané soubory se neshodují počtem měřených bodů.");
  EXPECT_STREQ(MismatchText(Mismatch::kFrequency), "V zadaných souborech se neshodují kmitočty.");
  Tables t;
  t.step1[2].f = 0.5;
  t.step2[2].f = 0.25;
  EXPECT_EQ(MismatchDetail({Mismatch::kFrequency, 2}, t.step1, 10, t.step2, 10, ','),
            "Bod 3: 4 žebra 0,5 Hz, 3 žebra 0,25 Hz.");
  EXPECT_EQ(MismatchDetail({Mismatch::kCount, 0}, t.step1, 8, t.step2, 0, ','),
            "Počet bodů: 4 žebra 8, 3 žebra 0.");
}

}  // namespace
