#include "program/complaint.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "program/operand.h"

using namespace odecet;

namespace {

std::string Complained(std::string_view text, std::string_view label) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* err = ::open_memstream(&buffer, &size);
  Complain(err, "odecet-cli", text, label);
  std::fclose(err);
  std::string written(buffer, size);
  std::free(buffer);
  return written;
}

TEST(Complain, LeadsEveryLineWithTheProgramAndTheLabel) {
  struct Case {
    const char* text;
    const char* label;
    const char* written;
  };
  const Case cases[] = {
      {"Chyba.", "", "odecet-cli: Chyba.\n"},
      {"Chyba.", "řádek 3: ", "odecet-cli: řádek 3: Chyba.\n"},
      {"a\nb", "", "odecet-cli: a\nodecet-cli: b\n"},
      {"a\n\nb", "L: ", "odecet-cli: L: a\nodecet-cli: L: \nodecet-cli: L: b\n"},
      {"a\n", "", "odecet-cli: a\n"},  // a last line break adds no empty line
      {"", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Complained(c.text, c.label), c.written) << c.text;
}

TEST(Operand, StandardInputHasItsCzechNameAndAFileItsPath) {
  EXPECT_EQ(OperandName("-"), "standardní vstup");
  EXPECT_EQ(OperandName("krok.txt"), "krok.txt");
  EXPECT_EQ(OperandName("./-"), "./-");
}

}  // namespace
