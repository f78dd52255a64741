#pragma once

// Every text the quick reader does not take whole: the full grammar of spectrum/decimal_text.h,
// and the correctly rounded value of any number it admits.

#include <string_view>

namespace odecet {

namespace number_text {

enum class Outcome { kOk, kNotANumber, kOutOfRange };

// Blanks around the number, long mantissas, large exponents, refusals. `value` is set only for
// kOk. Kept out of line so that the common case needs no registers saved for it.
[[gnu::noinline]] Outcome ReadAnyNumber(std::string_view raw, char separator, double& value);

}  // namespace number_text

}  // namespace odecet
