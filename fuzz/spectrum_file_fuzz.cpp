// Any bytes as a spectrum file of any kind, reports and EC-Lab's binary files included: either
// sweeps of points within the limit or a StepFileError, never a crash, a hang or another
// exception. The same bytes handed out in small chunks give the very same points, and each
// sweep chosen alone is the one read with the others.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"

namespace {

// Hands out a text in chunks of a few bytes, as a pipe may.
class SmallChunks : public ChunkSource {
 public:
  explicit SmallChunks(std::string_view text) : text_(text) {}
  std::string_view NextChunk() override {
    const std::string_view chunk = text_.substr(0, 7);
    text_.remove_prefix(chunk.size());
    return chunk;
  }

 private:
  std::string_view text_;
};

// Bit for bit, so that a NaN read from a binary file equals itself.
bool SamePoints(const Spectrum& a, const Spectrum& b) {
  return a.count == b.count && a.points.size() == b.points.size() &&
         (a.points.empty() ||
          std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof a.points[0]) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LoadedSweeps whole;
  try {
    TextSource source(text);
    whole = ReadSpectrumSweeps(source, ',', "fuzz", SpectrumSources::kAlsoReports);
  } catch (const StepFileError&) {
    // A typed, reported failure is a correct outcome; the chunks must fail as well.
    try {
      SmallChunks chunks(text);
      ReadSpectrumSweeps(chunks, ',', "fuzz", SpectrumSources::kAlsoReports);
    } catch (const StepFileError&) {
      return 0;
    }
    std::abort();
  }
  if (whole.sweeps.empty())
    std::abort();
  for (const Spectrum& sweep : whole.sweeps) {
    if (sweep.count > MaxPoints)
      std::abort();
    if (whole.kind != SpectrumFileKind::kStep &&
        sweep.points.size() != static_cast<std::size_t>(sweep.count)) {
      std::abort();
    }
  }
  SmallChunks chunks(text);
  const LoadedSweeps chunked =
      ReadSpectrumSweeps(chunks, ',', "fuzz", SpectrumSources::kAlsoReports);
  if (chunked.kind != whole.kind || chunked.sweeps.size() != whole.sweeps.size())
    std::abort();
  for (std::size_t i = 0; i < whole.sweeps.size(); ++i) {
    if (!SamePoints(chunked.sweeps[i], whole.sweeps[i]))
      std::abort();
    const LoadedSpectrum one = ChooseSweep(whole, static_cast<int>(i + 1), "fuzz");
    if (!SamePoints(one.spectrum, whole.sweeps[i]) || one.sweep != i + 1)
      std::abort();
  }
  return 0;
}
