#include "program/option_values.h"

#include "program/usage_error.h"
#include "spectrum/decimal_text.h"
#include "spectrum/message_text.h"

namespace odecet {

char ParseSeparator(const std::string& text) {
  if (text == "," || text == ".")
    return text[0];
  throw UsageError("desetinný oddělovač musí být „,“ nebo „.“, ne „" + QuoteForMessage(text) + "“");
}

bool TryTypedNumber(const std::string& text, double& value) {
  return TryStrToFloat(text, '.', value) || TryStrToFloat(text, ',', value);
}

double ParseTolerance(const std::string& text) {
  double value = 0;
  if (TryTypedNumber(text, value) && value >= 0 && value < 1)
    return value;
  throw UsageError("tolerance musí být nezáporné číslo menší než 1 (třeba 0.001), ne „" +
                   QuoteForMessage(text) + "“");
}

}  // namespace odecet
