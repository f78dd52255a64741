#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "spectrum/spectrum.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// A step file: the point count N, then N points of three numbers (f, re, im), all separated by
// white space. Lines mean nothing; whatever follows the N-th point is never read. It is read
// into a Spectrum of exactly max(N, 0) points with N as its count.

// Where a step file's bytes come from, one chunk at a time.
class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // The next bytes of the file; an empty view at its end. Throws StepFileError on a read error.
  virtual std::string_view NextChunk() = 0;
};

// The bytes of the file at `path`, or of an open descriptor that the caller owns (standard
// input); `fileName` names it in messages. Opening and reading throw StepFileError naming it.
std::unique_ptr<ChunkSource> OpenFileSource(const std::string& path);
std::unique_ptr<ChunkSource> DescriptorSource(int fd, const std::string& fileName);

// Bytes already in memory, handed out as one chunk, or in chunks of at most `chunkSize` bytes as
// a pipe may hand them.
class TextSource : public ChunkSource {
 public:
  explicit TextSource(std::string_view text, std::size_t chunkSize = std::string_view::npos)
      : text_(text), chunkSize_(chunkSize) {}
  std::string_view NextChunk() override {
    const std::string_view chunk = text_.substr(0, chunkSize_);
    text_.remove_prefix(chunk.size());
    return chunk;
  }

 private:
  std::string_view text_;
  std::size_t chunkSize_;
};

// Reads and checks a whole step file. Numbers use `separator` as their decimal separator.
// Throws StepFileError, naming `fileName`, when the file is not a whole spectrum of at most
// MaxPoints points: no count, a count out of range, too few numbers, or a text that is not a
// number.
Spectrum ReadStepFile(ChunkSource& source, char separator, std::string_view fileName);

// The same for a file already in memory.
Spectrum ReadStepText(std::string_view text, char separator, std::string_view fileName);

// Opens `path` and reads it; also throws StepFileError when it cannot be opened or read.
Spectrum LoadStepFile(const std::string& path, char separator);

// Puts a loaded step into its table and count. Slots from the count upward are left as they are.
void StoreStep(const Spectrum& file, PointTable& table, std::int32_t& count);

}  // namespace odecet
