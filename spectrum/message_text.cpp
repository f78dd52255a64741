#include "spectrum/message_text.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace odecet {

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one
// (overlong forms, surrogates and values above U+10FFFF are not valid); `value` gets its code.
std::size_t Utf8SequenceLength(std::string_view text, std::uint32_t& value) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  value = lead;
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length)
    return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80)
      return 0;
    value = (value << 6) | (byte(i) & 0x3Fu);
  }
  const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  return length;
}

// Control characters, which terminals obey (C1 has CSI), and the invisible format characters
// that hide text or turn its direction round.
bool IsControl(std::uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0);
}
bool IsInvisibleFormat(std::uint32_t c) {
  return (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendByteEscapes(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    const auto value = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[value >> 4];
    out += kHex[value & 0xF];
  }
}

void AppendCodeEscape(std::string& out, std::uint32_t code) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(code >> shift) & 0xF];
}

// Appends the visible form of `text` while `out` stays within `limit` bytes; false when it had
// to stop early.
bool AppendVisible(std::string& out, std::string_view text, std::size_t limit) {
  while (!text.empty()) {
    std::uint32_t code = 0;
    std::size_t length = Utf8SequenceLength(text, code);
    const bool bytes = length == 0 || IsControl(code);
    const bool format = !bytes && IsInvisibleFormat(code);
    if (length == 0)
      length = 1;
    const std::size_t grows = bytes ? 4 * length : format ? 6 : length;
    if (out.size() + grows > limit)
      return false;
    if (bytes) {
      AppendByteEscapes(out, text.substr(0, length));
    } else if (format) {
      AppendCodeEscape(out, code);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendVisible(out, text, std::numeric_limits<std::size_t>::max());
  return out;
}

std::string QuoteForMessage(std::string_view text) {
  constexpr std::size_t kLimit = 40;
  std::string out;
  if (!AppendVisible(out, text, kLimit))
    out += "…";
  return out;
}

}  // namespace odecet
