#pragma once

#include <string>
#include <string_view>

#include "spectrum/step_file.h"

namespace odecet {

// Hands out a source's text as UTF-8. Text that starts with a UTF-16 byte order mark (either
// byte order; what Windows Notepad calls "Unicode") is decoded chunk by chunk, so memory stays
// bounded; an unpaired surrogate or a lone last byte becomes U+FFFD. Any other text passes
// through untouched, a UTF-8 byte order mark included.
class Utf8Source : public ChunkSource {
 public:
  explicit Utf8Source(ChunkSource& raw) : raw_(raw) {}
  std::string_view NextChunk() override;
  // Whether the text is decoded (UTF-16), once the first chunk has been handed out.
  bool decodes() const { return order_ == Order::kLittleEndian || order_ == Order::kBigEndian; }

 private:
  enum class Order { kUndecided, kNone, kLittleEndian, kBigEndian };

  void Decode(std::string_view bytes);
  void AppendCode(char32_t code);

  ChunkSource& raw_;
  Order order_ = Order::kUndecided;
  bool atEnd_ = false;
  std::string start_;    // the first raw bytes, kept while the byte order mark is looked for
  std::string decoded_;  // the chunk handed out last
  int oddByte_ = -1;     // a byte waiting for its partner
  char32_t highSurrogate_ = 0;
};

// The text as UTF-8: unchanged when it is valid UTF-8, otherwise read as Latin-1 (ISO 8859-1,
// which EC-Lab writes: µ is the byte B5, ° is B0), each byte being the character of that code.
std::string Latin1OrUtf8(std::string text);

}  // namespace odecet
