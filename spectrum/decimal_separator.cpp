#include "spectrum/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

char DecimalSeparatorOfLocale(const char* localeName) {
  locale_t locale = newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr))
    return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, locale);
  const char separator = (radix != nullptr && std::strlen(radix) == 1) ? radix[0] : '.';
  freelocale(locale);
  return separator;
}

char SystemDecimalSeparator() {
  // The precedence POSIX gives these variables for the numeric category.
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return DecimalSeparatorOfLocale(value);
  }
  return '.';
}
