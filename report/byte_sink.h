#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace odecet {

// Takes a file's bytes piece by piece, in order; throws to stop the writing.
using ByteSink = std::function<void(std::string_view)>;

// Hands a file's bytes to a sink piece by piece, so that a file of any length is written through
// one small buffer instead of being held whole.
using ByteSource = std::function<void(const ByteSink&)>;

// The size of the pieces the report and table writers hand on: a 1000-point report in two
// writes, each a system call that costs more than the bytes it copies.
inline constexpr std::size_t kBytePieceSize = 65536;

// Has `emit(piece, flush)` write into one buffer of `capacity` bytes and call `flush` whenever a
// piece is due; each piece, the last one too, goes to `put`.
template <typename Emit>
void StreamInPieces(const ByteSink& put, std::size_t capacity, const Emit& emit) {
  std::string piece;
  piece.reserve(capacity);
  const auto flush = [&] {
    put(piece);
    piece.clear();
  };
  emit(piece, flush);
  if (!piece.empty())
    flush();
}

}  // namespace odecet
