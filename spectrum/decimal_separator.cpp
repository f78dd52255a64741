#include "spectrum/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "spectrum/message_text.h"

namespace odecet {

namespace {

NumericLocale LookUp(const char* localeName) {
  NumericLocale result;
  result.name = localeName;
  locale_t locale = newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) {
    result.known = false;
    return result;
  }
  // Through the thread's locale rather than nl_langinfo_l: a statically linked C library loads a
  // category only into programs that read it through the thread's locale somewhere, and
  // otherwise answers nl_langinfo_l with the "C" locale's full stop.
  const locale_t previous = uselocale(locale);
  const char* radix = nl_langinfo(RADIXCHAR);
  if (radix != nullptr && std::strlen(radix) == 1)
    result.separator = radix[0];
  uselocale(previous);
  freelocale(locale);
  return result;
}

}  // namespace

char DecimalSeparatorOfLocale(const char* localeName) {
  return LookUp(localeName).separator;
}

NumericLocale SystemNumericLocale() {
  // The precedence POSIX gives these variables for the numeric category.
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return LookUp(value);
  }
  return LookUp("C");
}

char SystemDecimalSeparator() {
  return SystemNumericLocale().separator;
}

std::string UnknownLocaleHint(const NumericLocale& locale) {
  if (locale.known)
    return {};
  return "Místní nastavení „" + VisibleText(locale.name) +
         "“ v systému není, proto se čte desetinná tečka";
}

}  // namespace odecet
