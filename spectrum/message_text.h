#pragma once

#include <string>
#include <string_view>

namespace odecet {

// Text from a file or a path, made safe to show in a terminal or a message box: control bytes
// (below 0x20, 0x7F and the C1 range) and bytes that are not valid UTF-8 are written as visible
// escapes such as \x1B, so a hostile file cannot retitle or clear the terminal; invisible format
// characters (zero-width, direction overrides, byte order mark) as \u202E and the like.
std::string VisibleText(std::string_view text);

// VisibleText, cut to about 40 characters with "…", for quoting a rejected token so that a huge
// one cannot flood an error box. Never splits a character or an escape.
std::string QuoteForMessage(std::string_view text);

}  // namespace odecet
