#include "spectrum/system_error_text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace odecet;

namespace {

bool CzechLocaleIsThere() {
  const char* path = std::getenv("LOCPATH");
  return path != nullptr && std::filesystem::exists(std::string(path) + "/cs_CZ.UTF-8");
}

TEST(SystemErrorText, EveryErrnoReadsInCzech) {
  if (!CzechLocaleIsThere())
    GTEST_SKIP() << "cs_CZ.UTF-8 is missing; run through ctest";
  for (int error = 1; error < 134; ++error) {
    const std::string text = SystemErrorText(error);
    const char* english = strerrordesc_np(error);
    EXPECT_NE(text, english != nullptr ? english : "Unknown error") << error;
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(text[0] < 'A' || text[0] > 'Z') << "reads on after a colon: " << text;
  }
  EXPECT_EQ(SystemErrorText(ELOOP), "příliš mnoho úrovní symbolických odkazů");
  EXPECT_EQ(SystemErrorText(EISDIR), "je adresářem");
  EXPECT_EQ(SystemErrorText(ENOENT), "adresář nebo soubor neexistuje");
}

TEST(OwnSystemErrorText, HasWordsForWhatFilesMeetAndANumberForTheRest) {
  EXPECT_EQ(OwnSystemErrorText(ELOOP), "příliš mnoho úrovní symbolických odkazů");
  EXPECT_EQ(OwnSystemErrorText(ENOSPC), "na disku není místo");
  EXPECT_EQ(OwnSystemErrorText(EHOSTDOWN), "systémová chyba č. " + std::to_string(EHOSTDOWN));
}

}  // namespace
