#pragma once

// The writer's text as three words of eight characters, byte 0 the lowest of the first. It is put
// together in registers and stored once: stores of one width and a reload of another would stall
// the processor longer than building the text takes. Inline, as all of it is on the hot path.

#include <bit>
#include <cstdint>
#include <cstring>

namespace odecet {

namespace number_text {

struct TextWords {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::uint64_t third = 0;
};

// The bytes below byte n of a word (n in 0...7).
inline std::uint64_t BelowByte(int n);

// The bytes from byte n (1...7) of the pair of words `low`, `high`.
inline std::uint64_t BytesFrom(std::uint64_t low, std::uint64_t high, int n);

// The digits (bytes 0...14 of `digits`) with the separator after the first `whole` (1...15).
inline TextWords InsertSeparator(const TextWords& digits, int whole, std::uint64_t separator);

// Stores exactly the first n (1...22) bytes of the text.
inline void StoreText(char* out, const TextWords& text, int n);

// ---- definitions ----

inline void StoreEight(char* out, std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap64(word);
  std::memcpy(out, &word, sizeof word);
}

inline void StoreFour(char* out, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap32(word);
  std::memcpy(out, &word, sizeof word);
}

inline std::uint64_t BelowByte(int n) {
  return ~(~std::uint64_t{0} << (8 * n));
}

inline std::uint64_t BytesFrom(std::uint64_t low, std::uint64_t high, int n) {
  return (low >> (8 * n)) | (high << (64 - 8 * n));
}

inline TextWords InsertSeparator(const TextWords& digits, int whole, std::uint64_t separator) {
  // After the separator every byte is the digit one place before it.
  const std::uint64_t movedFirst = digits.first << 8;
  const std::uint64_t movedSecond = (digits.first >> 56) | (digits.second << 8);
  TextWords text;
  if (whole < 8) {
    const std::uint64_t kept = BelowByte(whole);
    const std::uint64_t at = std::uint64_t{0xFF} << (8 * whole);
    text.first = (digits.first & kept) | (separator << (8 * whole)) | (movedFirst & ~(kept | at));
    text.second = movedSecond;
  } else {
    const std::uint64_t kept = BelowByte(whole - 8);
    const std::uint64_t at = std::uint64_t{0xFF} << (8 * (whole - 8));
    text.first = digits.first;
    text.second =
        (digits.second & kept) | (separator << (8 * (whole - 8))) | (movedSecond & ~(kept | at));
  }
  return text;
}

inline void StoreText(char* out, const TextWords& text, int n) {
  if (n >= 16) {
    StoreEight(out, text.first);
    StoreEight(out + 8, text.second);
    if (n > 16)
      StoreEight(out + n - 8, BytesFrom(text.second, text.third, n - 16));
  } else if (n >= 8) {
    StoreEight(out, text.first);
    if (n > 8)
      StoreEight(out + n - 8, BytesFrom(text.first, text.second, n - 8));
  } else if (n >= 4) {
    StoreFour(out, static_cast<std::uint32_t>(text.first));
    StoreFour(out + n - 4, static_cast<std::uint32_t>(text.first >> (8 * (n - 4))));
  } else {
    for (int i = 0; i < n; ++i)
      out[i] = static_cast<char>(text.first >> (8 * i));
  }
}

}  // namespace number_text

}  // namespace odecet
