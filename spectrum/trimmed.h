#pragma once

#include <string_view>

namespace odecet {

// `text` without the characters `isBlank` takes at either end.
template <typename IsBlank>
constexpr std::string_view Trimmed(std::string_view text, IsBlank isBlank) {
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace odecet
