#include "instruments/text_encoding.h"

#include <cstdint>
#include <utility>

namespace odecet {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t code) {
  const auto byte = [&](std::uint32_t value) { out += static_cast<char>(value); };
  const auto value = static_cast<std::uint32_t>(code);
  if (value < 0x80) {
    byte(value);
  } else if (value < 0x800) {
    byte(0xC0 | (value >> 6));
    byte(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    byte(0xE0 | (value >> 12));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  } else {
    byte(0xF0 | (value >> 18));
    byte(0x80 | ((value >> 12) & 0x3F));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  }
}

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or codes above U+10FFFF).
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (text.size() - i < length)
      return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string_view Utf8Source::NextChunk() {
  if (order_ == Order::kUndecided) {
    // A pipe may hand out a single byte; the mark needs two.
    while (start_.size() < 2) {
      const std::string_view chunk = raw_.NextChunk();
      if (chunk.empty())
        break;
      start_.append(chunk);
    }
    const bool little = start_.starts_with("\xFF\xFE");
    const bool big = start_.starts_with("\xFE\xFF");
    order_ = little ? Order::kLittleEndian : big ? Order::kBigEndian : Order::kNone;
    if (order_ == Order::kNone)
      return start_;  // stays valid: nothing changes it again
    Decode(std::string_view(start_).substr(2));
    if (!decoded_.empty())
      return decoded_;
  }
  if (order_ == Order::kNone)
    return raw_.NextChunk();
  for (;;) {
    if (atEnd_)
      return {};
    const std::string_view chunk = raw_.NextChunk();
    if (chunk.empty()) {
      atEnd_ = true;
      decoded_.clear();
      if (oddByte_ >= 0 || highSurrogate_ != 0)
        AppendUtf8(decoded_, kReplacement);
      return decoded_;
    }
    Decode(chunk);
    if (!decoded_.empty())
      return decoded_;
  }
}

void Utf8Source::Decode(std::string_view bytes) {
  decoded_.clear();
  for (const char c : bytes) {
    const int value = static_cast<unsigned char>(c);
    if (oddByte_ < 0) {
      oddByte_ = value;
      continue;
    }
    const int first = std::exchange(oddByte_, -1);
    const auto unit = static_cast<char32_t>(order_ == Order::kLittleEndian ? first | (value << 8)
                                                                           : (first << 8) | value);
    AppendCode(unit);
  }
}

void Utf8Source::AppendCode(char32_t unit) {
  if (highSurrogate_ != 0) {
    const char32_t high = std::exchange(highSurrogate_, 0);
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(decoded_, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      return;
    }
    AppendUtf8(decoded_, kReplacement);
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    highSurrogate_ = unit;
  } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
    AppendUtf8(decoded_, kReplacement);
  } else {
    AppendUtf8(decoded_, unit);
  }
}

std::string Latin1OrUtf8(std::string text) {
  if (IsUtf8(text))
    return text;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text)
    AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

}  // namespace odecet
