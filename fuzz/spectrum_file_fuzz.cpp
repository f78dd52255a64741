// Any bytes as a spectrum file of any kind, reports included: either points within the limit or
// a StepFileError, never a crash, a hang or another exception.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const LoadedSpectrum loaded =
        ReadSpectrumText(text, ',', "fuzz", SpectrumSources::kAlsoReports);
    if (loaded.file.count > MaxPoints)
      std::abort();
    if (loaded.kind != SpectrumFileKind::kStep &&
        loaded.file.points.size() != static_cast<std::size_t>(loaded.file.count)) {
      std::abort();
    }
  } catch (const StepFileError&) {
    // A typed, reported failure is a correct outcome.
  }
  return 0;
}
