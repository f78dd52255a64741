#include "spectrum/decimal_separator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace odecet;

namespace {

// Sets the locale variables for one test and puts them back afterwards.
class LocaleEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    if (DecimalSeparatorOfLocale("cs_CZ.UTF-8") != ',') {
      GTEST_SKIP() << "the cs_CZ.UTF-8 locale is missing; run the tests through ctest";
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(LocaleEnvironment, KnownLocalesGiveTheirSeparator) {
  EXPECT_EQ(DecimalSeparatorOfLocale("cs_CZ.UTF-8"), ',');
  EXPECT_EQ(DecimalSeparatorOfLocale("en_US.UTF-8"), '.');
  EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
  EXPECT_EQ(DecimalSeparatorOfLocale("xx_NOWHERE.UTF-8"), '.');
}

TEST_F(LocaleEnvironment, VariablesAreConsultedInPosixOrder) {
  EXPECT_EQ(SystemDecimalSeparator(), '.');
  setenv("LANG", "cs_CZ.UTF-8", 1);
  EXPECT_EQ(SystemDecimalSeparator(), ',');
  setenv("LC_NUMERIC", "en_US.UTF-8", 1);
  EXPECT_EQ(SystemDecimalSeparator(), '.');
  setenv("LC_ALL", "cs_CZ.UTF-8", 1);
  EXPECT_EQ(SystemDecimalSeparator(), ',');
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(SystemDecimalSeparator(), '.');
}

}  // namespace
