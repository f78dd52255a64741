#include "spectrum/number_format.h"

#include <gtest/gtest.h>

#include <string>

using namespace odecet;

namespace {

struct Written {
  double value;
  int decimals;
  char separator;
  const char* text;
};

TEST(FixedText, RoundsToTheDecimalsAndUsesTheSeparator) {
  const Written cases[] = {
      {0.12345, 3, ',', "0,123"},  {0.12355, 3, '.', "0.124"}, {-0.0005, 3, '.', "-0.001"},
      {-0.0004, 3, '.', "-0.000"}, {2.0, 4, ',', "2,0000"},    {1234.5, 0, '.', "1234"},
      {0.98765, 4, ',', "0,9877"}, {-1.25, 3, ',', "-1,250"},
  };
  for (const Written& c : cases)
    EXPECT_EQ(FixedText(c.value, c.decimals, c.separator), c.text) << c.value;
}

// A residual of an absurd fit may be huge; its text is whole, never cut or left unwritten.
TEST(FixedText, WritesTheLargestDoublesWhole) {
  for (const double value : {1e300, -1.7976931348623157e308}) {
    const std::string text = FixedText(value, 4, ',');
    EXPECT_EQ(text.size(), (value < 0 ? 1u : 0u) + (value < 0 ? 309u : 301u) + 5u) << value;
    EXPECT_EQ(text.substr(text.size() - 5), ",0000") << value;
    EXPECT_EQ(text.find_first_not_of("-0123456789,"), std::string::npos) << value;
  }
}

TEST(ScientificText, WritesAMantissaAndASignedTwoDigitExponent) {
  const Written cases[] = {
      {0.000012345, 3, '.', "1.234e-05"}, {12345.0, 3, ',', "1,234e+04"},
      {0.0, 3, '.', "0.000e+00"},         {-2.5e-120, 3, ',', "-2,500e-120"},
      {9.9996, 3, '.', "1.000e+01"},
  };
  for (const Written& c : cases)
    EXPECT_EQ(ScientificText(c.value, c.decimals, c.separator), c.text) << c.value;
}

}  // namespace
