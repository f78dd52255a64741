#include "spectrum/step_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "spectrum/errors.h"
#include "test_files.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

Spectrum Read(std::string_view text, char separator = ',') {
  return ReadStepText(text, separator, "krok.txt");
}

std::string ErrorOf(std::string_view text, char separator = ',') {
  try {
    Read(text, separator);
  } catch (const StepFileError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(ReadStepText, LayoutsAndLineEndsMeanNothing) {
  for (const char* text :
       {"2\n1 2 3\n4 5 6\n", "2 1 2 3 4 5 6", "2\n1\n2\n3\n4\n5\n6", "2\t1\t2\t3\t4\t5\t6",
        "2\r\n1 2 3\r\n4 5 6\r\n", "  \n\v\f 2 1 2\n3 4\n5 6", "+2\n1 2 3\n4 5 6"}) {
    const Spectrum file = Read(text);
    ASSERT_EQ(file.count, 2) << text;
    ASSERT_EQ(file.points.size(), 2u);
    EXPECT_EQ(file.points[0].f, 1.0);
    EXPECT_EQ(file.points[0].re, 2.0);
    EXPECT_EQ(file.points[0].im, 3.0);
    EXPECT_EQ(file.points[1].im, 6.0) << text;
  }
}

TEST(ReadStepText, ReadsNumbersWithTheUsersSeparator) {
  const Spectrum file = Read("3\n100   12,5     4,75\n200   11,25    3,5\n400   10,125   2,25\n");
  ASSERT_EQ(file.points.size(), 3u);
  EXPECT_EQ(file.points[2].f, 400.0);
  EXPECT_EQ(file.points[2].re, 10.125);
  EXPECT_EQ(file.points[2].im, 2.25);
  EXPECT_EQ(Read("1 1e3 +1000 1E+3", '.').points[0].re, 1000.0);
}

TEST(ReadStepText, NeverReadsPastTheDeclaredPoints) {
  EXPECT_EQ(Read("1 1 2 3 4 5 6").points.size(), 1u);
  EXPECT_EQ(Read("1 1 2 3 garbage \x01\x02 ~~~").points.size(), 1u);
  EXPECT_EQ(Read(std::string("1 1 2 3", 7) + '\0' + "xyz").points.size(), 1u);
}

TEST(ReadStepText, CountsOfZeroAndBelowLoadNoPointButAreKept) {
  EXPECT_EQ(Read("0").count, 0);
  EXPECT_EQ(Read("-5 1 2 x").count, -5);
  EXPECT_TRUE(Read("-5").points.empty());
  EXPECT_EQ(Read("010 1 1 1 2 2 2 3 3 3 4 4 4 5 5 5 6 6 6 7 7 7 8 8 8 9 9 9 10 10 10").count, 10);
  EXPECT_EQ(Read("-0").count, 0);
}

TEST(ReadStepText, AcceptsTheFullTableAndLongTokens) {
  std::string text = "1000\n";
  for (int i = 0; i < 1000; ++i)
    text += std::to_string(i) + " 1 2\n";
  EXPECT_EQ(Read(text).points.size(), 1000u);
  // A token longer than any fixed buffer is read whole and judged as a number.
  EXPECT_EQ(Read("1 0,00000000000000000000000000000000000000001e41 2 3").points[0].f, 1.0);
}

// Each refusal of the count says what was wrong with it.
TEST(ReadStepText, RefusesACountItCannotUse) {
  const struct {
    std::string text;
    const char* says;
  } cases[] = {
      {"", "prázdný"},
      {" \r\n\t ", "prázdný"},
      {"f re im\n1 2 3", "„f“ není celé číslo"},
      {"12abc 1 2 3", "„12abc“ není celé číslo"},
      {"0x10", "„0x10“"},
      {"2,0 1 2 3 4 5 6", "není celé číslo"},
      {"+ 1", "není celé číslo"},
      {std::string("\0 1 2 3", 7), "nulový bajt"},
      {"", "krok.txt"},
      // Counts the table cannot hold.
      {"1001", "počet bodů je 1001"},
      {"2147483647", "nejvýše 1000"},
      {"2147483648", "mimo rozsah"},
      {"-2147483649", "mimo rozsah"},
      {"99999999999999999999999999", "mimo rozsah"},
  };
  for (const auto& c : cases)
    EXPECT_THAT(ErrorOf(c.text), HasSubstr(c.says)) << c.text;
  EXPECT_EQ(Read("-2147483648").count, -2147483647 - 1);
}

TEST(ReadStepText, RefusesAFileThatEndsEarly) {
  EXPECT_EQ(ErrorOf("3 1 2 3 4 5 6 7"),
            "Soubor „krok.txt“ končí předčasně: počet bodů je 3, úplných bodů je však jen 2.");
  EXPECT_THAT(ErrorOf("1"), HasSubstr("jen 0"));
  EXPECT_THAT(ErrorOf("2 1 2 3 4 5"), HasSubstr("jen 1"));
}

TEST(ReadStepText, NamesTheBadNumberItsPointAndItsValue) {
  EXPECT_EQ(ErrorOf("2 1 2 3 4 5.5 6"),
            "Soubor „krok.txt“, bod 2 (reálná část): „5.5“ není platné číslo. Očekávaný desetinný "
            "oddělovač je „,“.");
  EXPECT_THAT(ErrorOf("1 1 2 x3", '.'), HasSubstr("bod 1 (imaginární část): „x3“"));
  EXPECT_THAT(ErrorOf("1 a b c", '.'), HasSubstr("(kmitočet): „a“"));
  EXPECT_THAT(ErrorOf(std::string("2 1 2 3 4\0 5 6", 14)),
              HasSubstr("bod 2 (reálná část): prázdný údaj, soubor obsahuje nulový bajt"));
  // A point that is both bad and cut short counts as cut short.
  EXPECT_THAT(ErrorOf("2 1 2 3 x 5"), HasSubstr("končí předčasně"));
}

TEST(ReadStepText, RefusesAnOverlongTokenNamingThePoint) {
  const std::string longest(256, '1');
  EXPECT_EQ(Read("1 " + longest + " 2 3", '.').points[0].f, 1.1111111111111111e255);
  EXPECT_EQ(ErrorOf("1 1 " + longest + "1 3"), "Soubor „krok.txt“, bod 1 (reálná část): údaj „" +
                                                   std::string(40, '1') +
                                                   "…“ je delší než 256 znaků.");
  EXPECT_THAT(ErrorOf(std::string(300, '7')), HasSubstr("nezačíná počtem bodů: údaj"));
}

TEST(ReadStepText, SkipsAByteOrderMarkAtTheStartOnly) {
  EXPECT_EQ(Read("\xEF\xBB\xBF"
                 "2 1 2 3 4 5 6")
                .count,
            2);
  EXPECT_EQ(Read("\xEF\xBB\xBF\r\n1 1 2 3").points[0].im, 3.0);
  EXPECT_EQ(Read("\xEF\xBB\xBF" + std::string(256, '0') + " ").count, 0);
  EXPECT_THAT(ErrorOf("\xEF\xBB\xBF"), HasSubstr("prázdný"));
  EXPECT_THAT(ErrorOf(" \xEF\xBB\xBF"
                      "1 1 2 3"),
              HasSubstr("„\\uFEFF1“ není celé číslo"))
      << "after white space it is not a byte order mark";
  EXPECT_THAT(ErrorOf("1 \xEF\xBB\xBF"
                      "1 2 3"),
              HasSubstr("(kmitočet)"));
}

TEST(ReadStepText, ShowsControlBytesOfTheFileAndItsNameAsEscapes) {
  const std::string error = [] {
    try {
      ReadStepText("1 1 \x1B[2J 3", ',', "a\x1B]0;x\x07.txt");
    } catch (const StepFileError& e) {
      return std::string(e.what());
    }
    return std::string();
  }();
  EXPECT_THAT(error, HasSubstr("„a\\x1B]0;x\\x07.txt“"));
  EXPECT_THAT(error, HasSubstr("„\\x1B[2J“"));
  EXPECT_EQ(error.find('\x1B'), std::string::npos);
}

// A source that hands over the text a few bytes at a time, so tokens straddle chunks.
class TrickleSource : public ChunkSource {
 public:
  TrickleSource(std::string text, std::size_t step) : text_(std::move(text)), step_(step) {}
  std::string_view NextChunk() override {
    const std::size_t n = std::min(step_, text_.size() - pos_);
    std::string_view chunk(text_.data() + pos_, n);
    pos_ += n;
    return chunk;
  }

 private:
  std::string text_;
  std::size_t step_;
  std::size_t pos_ = 0;
};

TEST(ReadStepFile, TokensMayStraddleChunks) {
  const std::string text = "3\n100 12,5 4,75\n200 11,25 3,5\n400 10,125 2,25";
  for (std::size_t step = 1; step <= 5; ++step) {
    TrickleSource source(text, step);
    const Spectrum file = ReadStepFile(source, ',', "x");
    ASSERT_EQ(file.points.size(), 3u);
    EXPECT_EQ(file.points[0].re, 12.5);
    EXPECT_EQ(file.points[2].im, 2.25) << step;
  }
}

// A file of one endless token: reading must stop soon after the token outgrows any number.
class EndlessSource : public ChunkSource {
 public:
  explicit EndlessSource(std::string prefix) : prefix_(std::move(prefix)) {}
  std::string_view NextChunk() override {
    pulled += 1;
    if (pulled == 1)
      return prefix_;
    return chunk_;
  }
  int pulled = 0;

 private:
  std::string prefix_;
  std::string chunk_ = std::string(100, 'x');
};

TEST(ReadStepFile, StopsReadingAnEndlessTokenAtTheBound) {
  for (const std::string prefix : {"", "2 1 2 3 4 x"}) {
    EndlessSource source(prefix);
    EXPECT_THROW(ReadStepFile(source, ',', "x"), StepFileError);
    EXPECT_LE(source.pulled, 5) << prefix;
  }
}

TEST(LoadStepFile, ReadsFromDiskAndNamesAFileItCannotOpen) {
  TempDir dir;
  const std::string path = dir.Write("krok1.txt", "1\n100 1,5 2,5\n");
  EXPECT_EQ(LoadStepFile(path, ',').points[0].re, 1.5);

  const std::string missing = dir.path() + "/chybi.txt";
  try {
    LoadStepFile(missing, ',');
    FAIL();
  } catch (const StepFileError& error) {
    EXPECT_THAT(error.what(), HasSubstr(missing));
    EXPECT_THAT(error.what(), HasSubstr("nelze otevřít"));
  }
  EXPECT_THROW(LoadStepFile(dir.path(), ','), StepFileError);  // a directory
}

TEST(StoreStep, ReplacesSlotsBelowTheCountOnly) {
  PointTable table{};
  std::int32_t count = 0;
  StoreStep(Read("3 1 1 1 2 2 2 3 3 3"), table, count);
  StoreStep(Read("1 9 9 9"), table, count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(table[0].f, 9.0);
  EXPECT_EQ(table[2].f, 3.0);
  StoreStep(Read("-4"), table, count);
  EXPECT_EQ(count, -4);
  EXPECT_EQ(table[0].f, 9.0);
}

}  // namespace
