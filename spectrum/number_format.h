#pragma once

#include <string>

namespace odecet {

// Numbers of a fit's results, written with a given number of digits rather than the report's
// 15 significant ones. `separator` is the decimal separator (',' or '.').

// `decimals` digits after the separator: FixedText(0.12345, 3, ',') is "0,123".
std::string FixedText(double value, int decimals, char separator);

// A mantissa with `decimals` digits after the separator, "e", the exponent's sign and at least
// two of its digits: ScientificText(0.000012345, 3, '.') is "1.234e-05".
std::string ScientificText(double value, int decimals, char separator);

}  // namespace odecet
