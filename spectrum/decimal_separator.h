#pragma once

#include <string>

namespace odecet {

// The numeric locale of the user's regional settings, named by LC_ALL, then LC_NUMERIC, then
// LANG ("C" when none is set). The process's global locale is not touched.
struct NumericLocale {
  std::string name;
  bool known = true;     // false when the C library has no such locale
  char separator = '.';  // '.' too when the locale is unknown or its separator is not one byte
};
NumericLocale SystemNumericLocale();

// The decimal separator of the user's regional settings: SystemNumericLocale().separator.
char SystemDecimalSeparator();

// The same lookup for an explicit locale name ("cs_CZ.UTF-8", "C", ...).
char DecimalSeparatorOfLocale(const char* localeName);

// Why numbers may fail to read: the locale named by the environment is not installed, so a full
// stop is expected. Empty when the locale is known.
std::string UnknownLocaleHint(const NumericLocale& locale);

}  // namespace odecet
