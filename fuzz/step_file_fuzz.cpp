// Any bytes as a step file: either a whole spectrum or a StepFileError, never a crash, a hang
// or a write past the table; and the same outcome whether the bytes come in one piece or cut
// into reads at any points, as a pipe delivers them.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/same_points.h"
#include "spectrum/errors.h"
#include "spectrum/step_file.h"

using namespace odecet;

namespace {

// Hands out the text in chunks whose lengths are taken from the text's own bytes, so the fuzzer
// moves the cuts as it mutates. Each chunk lives in a fresh heap buffer that the next read
// frees, so AddressSanitizer catches a reader that keeps a view into an earlier read.
class CutSource : public ChunkSource {
 public:
  explicit CutSource(std::string_view text) : text_(text) {}
  std::string_view NextChunk() override {
    if (text_.empty())
      return {};
    const auto cut = static_cast<unsigned char>(text_[lengthIndex_++ % text_.size()]);
    const std::size_t length = std::min<std::size_t>(text_.size(), cut % 32 + 1);
    chunk_ = std::make_unique<char[]>(length);
    std::memcpy(chunk_.get(), text_.data(), length);
    text_.remove_prefix(length);
    return {chunk_.get(), length};
  }

 private:
  std::string_view text_;
  std::size_t lengthIndex_ = 0;
  std::unique_ptr<char[]> chunk_;
};

// What a read came to: the points, or the message of the error.
struct Outcome {
  std::optional<Spectrum> file;
  std::string error;
};

template <typename Reading>
Outcome Catch(const Reading& read) {
  try {
    return {read(), {}};
  } catch (const StepFileError& error) {
    return {std::nullopt, error.what()};  // a typed, reported failure is a correct outcome
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // On the heap, so AddressSanitizer sees any write beyond the table.
  auto table = std::make_unique<PointTable>();
  for (const char separator : {',', '.'}) {
    const Outcome whole = Catch([&] { return ReadStepText(text, separator, "fuzz"); });
    const Outcome pieces = Catch([&] {
      CutSource cut(text);
      return ReadStepFile(cut, separator, "fuzz");
    });
    if (whole.file.has_value() != pieces.file.has_value() || whole.error != pieces.error)
      std::abort();
    if (!whole.file)
      continue;
    const Spectrum& file = *whole.file;
    if (!SamePoints(file, *pieces.file))
      std::abort();
    if (file.count > MaxPoints)
      std::abort();
    if (file.points.size() != static_cast<std::size_t>(file.count > 0 ? file.count : 0))
      std::abort();
    std::int32_t count = 0;
    StoreStep(file, *table, count);
    if (count != file.count)
      std::abort();
  }
  return 0;
}
