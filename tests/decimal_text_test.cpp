#include "spectrum/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "spectrum/errors.h"

using namespace odecet;

namespace {

struct Accepted {
  const char* text;
  char separator;
  double value;
};

TEST(StrToFloat, AcceptsTheGrammarUnderItsSeparator) {
  const Accepted cases[] = {
      {"1000", ',', 1000.0},
      {"-3", '.', -3.0},
      {"1e3", ',', 1000.0},
      {"1E+3", '.', 1000.0},
      {"+1000", ',', 1000.0},
      {"0,5", ',', 0.5},
      {"-2.25", '.', -2.25},
      {",5", ',', 0.5},
      {"5.", '.', 5.0},
      {"  12,5 ", ',', 12.5},
      {"0,1000", ',', 0.1},
      {"1,5e-3", ',', 0.0015},
      {"007", '.', 7.0},
      {"1E-320", '.', 1e-320},
      {"1e-400", '.', 0.0},
      {"1.7976931348623157e308", '.', 1.7976931348623157e308},
      {"0.1000000000000000055511151231257827", '.', 0.1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToFloat(c.text, c.separator), c.value) << c.text;
  }
}

TEST(StrToFloat, RoundsLongMantissasToTheNearestDouble) {
  // Halfway between 1 and the next double, plus a hair: must round up.
  EXPECT_EQ(StrToFloat("1.00000000000000011102230246251565404236316680908203126", '.'),
            std::nextafter(1.0, 2.0));
  EXPECT_EQ(StrToFloat("9007199254740993", '.'), 9007199254740992.0);  // ties to even
}

TEST(StrToFloat, KeepsTheSignOfZeroAndOfUnderflow) {
  EXPECT_TRUE(std::signbit(StrToFloat("-0", '.')));
  EXPECT_TRUE(std::signbit(StrToFloat("-1e-999", '.')));
  EXPECT_FALSE(std::signbit(StrToFloat("0e999999999999", '.')));
}

TEST(StrToFloat, RefusesEverythingElse) {
  const struct {
    const char* text;
    char separator;
  } cases[] = {
      {"", ','},        {" ", ','},
      {".", '.'},       {",", ','},
      {"-", '.'},       {"+", '.'},
      {"1E", '.'},      {"E3", '.'},
      {"1e+", '.'},     {"0.5", ','},
      {"0,5", '.'},     {"1,000.5", '.'},
      {"1.000,5", ','}, {"1,2,3", ','},
      {"inf", '.'},     {"nan", '.'},
      {"0x10", '.'},    {"1 000", ','},
      {"--1", '.'},     {"1e3.5", '.'},
      {"12abc", '.'},   {"1\t", '.'},
      {"Kč5", ','},     {"5%", '.'},
      {"1e400", '.'},   {"-1e99999999999999999999", '.'},
  };
  for (const auto& c : cases) {
    double value = 42.0;
    EXPECT_FALSE(TryStrToFloat(c.text, c.separator, value)) << c.text;
    EXPECT_EQ(value, 42.0) << "a refused text must not change the value: " << c.text;
    EXPECT_THROW(StrToFloat(c.text, c.separator), ConversionError) << c.text;
  }
}

TEST(StrToFloat, ErrorNamesTheTextAndHintsAtTheSeparator) {
  try {
    StrToFloat("12.5", ',');
    FAIL();
  } catch (const ConversionError& error) {
    EXPECT_EQ(error.text(), "12.5");
    EXPECT_STREQ(error.what(), "„12.5“ není platné číslo. Očekávaný desetinný oddělovač je „,“.");
  }
  try {
    StrToFloat("abc", '.');
    FAIL();
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "„abc“ není platné číslo.");
  }
  try {
    StrToFloat("1E400", '.');
    FAIL();
  } catch (const ConversionError& error) {
    EXPECT_NE(std::string(error.what()).find("1E400"), std::string::npos);
  }
}

TEST(StrToFloat, QuotesOnlyTheStartOfAHugeText) {
  const std::string huge(100000, 'x');
  try {
    StrToFloat(huge, '.');
    FAIL();
  } catch (const ConversionError& error) {
    EXPECT_LT(std::string(error.what()).size(), 120u);
  }
}

struct Written {
  double value;
  const char* comma;
};

TEST(FloatToStr, WritesFifteenDigitsInFixedOrScientificNotation) {
  const Written cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1000.0, "1000"},
      {0.5, "0,5"},
      {-2.25, "-2,25"},
      {0.1, "0,1"},
      {1.0 / 3.0, "0,333333333333333"},
      {2.0 / 3.0, "0,666666666666667"},
      {123456789012345.0, "123456789012345"},
      {999999999999999.0, "999999999999999"},
      {999999999999999.9, "1E15"},
      {1e15, "1E15"},
      {1.5e20, "1,5E20"},
      {-123456789012345678.0, "-1,23456789012346E17"},
      {0.00001, "0,00001"},
      {0.0000123, "0,0000123"},
      {9.999999999999999e-6, "0,00001"},
      {9.9999999999999907e-6, "9,99999999999999E-6"},
      {0.000001, "1E-6"},
      {-1.5e-7, "-1,5E-7"},
      {5e-324, "4,94065645841247E-324"},
      {1.7976931348623157e308, "1,79769313486232E308"},
      {100000.0, "100000"},
      {0.30000000000000004, "0,3"},
      {12.5, "12,5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStr(c.value, ','), c.comma) << c.value;
  }
  EXPECT_EQ(FloatToStr(-2.25, '.'), "-2.25");
  EXPECT_EQ(FloatToStr(1.5e20, '.'), "1.5E20");
}

TEST(FloatToStr, WritesValuesNoTokenCanHold) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity(), ','), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), ','), "-INF");
  EXPECT_EQ(FloatToStr(std::nan(""), ','), "NAN");
}

TEST(DecimalText, ReadingAndWritingBackGivesTheShortestText) {
  for (const char* text : {"0,1", "12,5", "1E-6", "-1,5E20", "100000", "0,00001"}) {
    EXPECT_EQ(FloatToStr(StrToFloat(text, ','), ','), text);
  }
  EXPECT_EQ(FloatToStr(StrToFloat("0,1000", ','), ','), "0,1");
}

}  // namespace

namespace {

// The C library as the reference: strtod reads correctly rounded in the C locale, and
// "%.14e" rounds to 15 significant digits exactly.
double Rounded15(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.14e", value);
  return std::strtod(text, nullptr);
}

TEST(DecimalText, WritingRoundsLikeTheCLibraryAcrossTheDoubleRange) {
  std::mt19937_64 random(12345);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    double value = 0;
    if (i % 2 == 0) {
      const std::uint64_t bits = random();
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value))
        continue;
    } else {
      // Differences of measured values: short decimals minus short decimals.
      const auto a = static_cast<double>(random() % 1000000) / 1000.0;
      const auto b = static_cast<double>(random() % 1000000) / 10000.0;
      value = a - b;
    }
    const std::string text = FloatToStr(value, '.');
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), Rounded15(value)) << text;
    ++checked;
  }
  EXPECT_GT(checked, 190000);
}

TEST(DecimalText, HalfwayCasesRoundToEven) {
  EXPECT_EQ(FloatToStr(1000000000000005.0, '.'), "1E15");
  EXPECT_EQ(FloatToStr(1000000000000015.0, '.'), "1.00000000000002E15");
  EXPECT_EQ(FloatToStr(0.5, '.'), "0.5");
}

TEST(ReadCommonNumber, ReadsTheCommonShapeAsStrToFloatDoesAndStopsWhereItEnds) {
  const struct {
    const char* text;  // the number, then what follows it in the file
    std::size_t length;
  } cases[] = {
      {"48,9656\t-67", 7},
      {"-67,9473\r\n", 8},
      {"100000 ", 6},
      {"1234567,8 ", 9},
      {"12345678 ", 8},
      {"0,000001 ", 8},
      {",5 ", 2},
      {"5, ", 2},
      {"+1,5e-3 ", 7},
      {"1E22 ", 4},
      {"9007199254740992 ", 16},
      {"1e00000 ", 6},
      {"2,5", 3},
      {"7", 1},
      {"1,2,3 ", 3},
      {"1e ", 1},
      {"1e+x ", 1},
      {"12abc ", 2},
  };
  for (const auto& c : cases) {
    const std::string_view text = c.text;
    double quick = 0;
    const char* end = ReadCommonNumber(text.data(), text.data() + text.size(), ',', quick);
    ASSERT_NE(end, nullptr) << c.text;
    EXPECT_EQ(end - text.data(), static_cast<std::ptrdiff_t>(c.length)) << c.text;
    const double expected = StrToFloat(text.substr(0, c.length), ',');
    EXPECT_EQ(std::memcmp(&quick, &expected, sizeof quick), 0) << c.text;
  }
  // Shapes it leaves to StrToFloat: no digit, more than 2^53 or 19 digits, a power beyond 1E22.
  for (const char* text : {"", "-", ",", "e5", "9007199254740993", "12345678901234567890", "1e23",
                           "0,1e-22", "1234567890123456789"}) {
    double quick = 42;
    EXPECT_EQ(ReadCommonNumber(text, text + std::strlen(text), ',', quick), nullptr) << text;
    EXPECT_EQ(quick, 42) << text;
  }
}

TEST(FloatToStr, WritesNothingAfterItsText) {
  for (const double value : {5.0, -0.25, 0.001234, 123456.789, -1.5e-300, 1e100, 1.0 / 3.0,
                             -9.8765432109876e-6, 0.0, std::nan("")}) {
    char buffer[kMaxFloatTextLength + 8];
    std::memset(buffer, '#', sizeof buffer);
    char* end = WriteFloatText(buffer, value, ',');
    EXPECT_EQ(std::string(buffer, end), FloatToStr(value, ','));
    EXPECT_EQ(std::string(end, buffer + sizeof buffer),
              std::string(static_cast<std::size_t>(buffer + sizeof buffer - end), '#'));
  }
}

TEST(StrToFloat, ReadsLikeTheCLibrary) {
  std::mt19937_64 random(54321);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    if (random() % 2)
      text += '-';
    const int digits = 1 + static_cast<int>(random() % 24);
    const auto point = static_cast<int>(random() % static_cast<std::uint64_t>(digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point && d > 0)
        text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 3 == 0)
      text += "e" + std::to_string(static_cast<int>(random() % 80) - 40);
    double value = 0;
    ASSERT_TRUE(TryStrToFloat(text, '.', value)) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
  }
}

}  // namespace
