#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace odecet {

// The one rule for turning a token into a number and a number into a report cell.
// `separator` is the user's decimal separator (',' or '.'); the other character is refused.

// No count or number needs more characters than this; a step file's longer token is refused
// before it is read whole, and an error keeps at most this much of a rejected text.
inline constexpr std::size_t kMaxNumberTextLength = 256;

// Accepts an optional sign, digits with at most one separator among them (at least one digit),
// and an optional exponent (E or e, optional sign, digits); blanks around it are ignored.
// Returns the correctly rounded nearest double; a value too small for a double rounds towards 0.
// Throws ConversionError for any other text and for a magnitude beyond the double range.
double StrToFloat(std::string_view text, char separator);

// Non-throwing form of StrToFloat: false when the text is refused.
bool TryStrToFloat(std::string_view text, char separator, double& value);

// The quick reading of the shape nearly every measured value has: an optional sign, at most 19
// digits with at most one separator, an optional exponent of at most four digits, and a value that
// an integer up to 2^53 scaled by a power of ten up to 1E22 gives exactly. Reads from `begin`,
// never past `end`, and returns where that shape ends, with `value` set; the text is that number
// only if its token ends there. nullptr (and `value` untouched) when the text starts otherwise;
// StrToFloat then decides.
const char* ReadCommonNumber(const char* begin, const char* end, char separator, double& value);

// The value rounded to 15 significant digits: fixed notation for 1E-5 <= |v| < 1E15,
// otherwise a mantissa, "E" and the exponent ("-" only when negative, no leading zeros).
// Trailing zeros are dropped; minus zero is written as 0.
std::string FloatToStr(double value, char separator);

// Appends FloatToStr's text to `out` without a temporary string.
void AppendFloatText(std::string& out, double value, char separator);

// No text of FloatToStr is longer ("-1,23456789012345E-308" and the like).
inline constexpr std::size_t kMaxFloatTextLength = 22;

// Writes FloatToStr's text at `out`, which has room for kMaxFloatTextLength characters; returns
// the end of the text.
char* WriteFloatText(char* out, double value, char separator);

}  // namespace odecet
