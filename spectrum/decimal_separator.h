#pragma once

// The decimal separator of the user's regional settings, from the C library's numeric locale
// named by LC_ALL, then LC_NUMERIC, then LANG. The process's global locale is not touched.
// Falls back to '.' when the locale is unknown or its separator is not a single byte.
char SystemDecimalSeparator();

// The same lookup for an explicit locale name ("cs_CZ.UTF-8", "C", ...).
char DecimalSeparatorOfLocale(const char* localeName);
