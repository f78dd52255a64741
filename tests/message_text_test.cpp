#include "spectrum/message_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace odecet;

namespace {

TEST(VisibleText, EscapesControlBytesAndInvalidUtf8AndKeepsTheRest) {
  EXPECT_EQ(VisibleText("4 žebra, 3 žebra, Ω €"), "4 žebra, 3 žebra, Ω €");
  EXPECT_EQ(VisibleText("\x1B]0;pwned\x07"), "\\x1B]0;pwned\\x07");
  EXPECT_EQ(VisibleText("a\r\nb\tc\x7F"), "a\\x0D\\x0Ab\\x09c\\x7F");
  EXPECT_EQ(VisibleText(std::string("x\0y", 3)), "x\\x00y");
  EXPECT_EQ(VisibleText("\xC2\x9B"
                        "2J"),
            "\\xC2\\x9B2J")
      << "C1 control (CSI)";
  EXPECT_EQ(VisibleText("\xFF\xFE"), "\\xFF\\xFE");
  EXPECT_EQ(VisibleText("\xC5"), "\\xC5") << "a sequence cut short";
  EXPECT_EQ(VisibleText("\xC0\xAF"), "\\xC0\\xAF") << "overlong";
  EXPECT_EQ(VisibleText("\xED\xA0\x80"), "\\xED\\xA0\\x80") << "surrogate";
  EXPECT_EQ(VisibleText("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80") << "above U+10FFFF";
  EXPECT_EQ(VisibleText("\xF0\x9F\x94\xAC"), "\xF0\x9F\x94\xAC");
  EXPECT_EQ(VisibleText("a\u202Etxt.exe\uFEFF"), "a\\u202Etxt.exe\\uFEFF");
}

TEST(QuoteForMessage, CutsLongTextsWithoutSplittingACharacterOrAnEscape) {
  EXPECT_EQ(QuoteForMessage("12,5"), "12,5");
  EXPECT_EQ(QuoteForMessage(std::string(40, 'x')), std::string(40, 'x'));
  EXPECT_EQ(QuoteForMessage(std::string(41, 'x')), std::string(40, 'x') + "…");
  EXPECT_EQ(QuoteForMessage(std::string(39, 'x') + "ž"), std::string(39, 'x') + "…");
  EXPECT_EQ(QuoteForMessage(std::string(38, 'x') + "\x1B"), std::string(38, 'x') + "…");
  EXPECT_EQ(QuoteForMessage(std::string(100000, '\x1B')).size(), 40u + std::string("…").size());
}

}  // namespace
