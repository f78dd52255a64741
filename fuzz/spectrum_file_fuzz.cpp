// Any bytes as a spectrum file of any kind, reports and EC-Lab's binary files included: either
// sweeps of points within the limit or a StepFileError, never a crash, a hang or another
// exception. The same bytes handed out in small chunks give the very same points, and each
// sweep chosen alone is the one read with the others.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fuzz/same_points.h"
#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"

using namespace odecet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LoadedSweeps whole;
  try {
    TextSource source(text);
    whole = ReadSpectrumSweeps(source, ',', "fuzz", SpectrumSources::kAlsoReports);
  } catch (const StepFileError&) {
    // A typed, reported failure is a correct outcome; the chunks must fail as well.
    try {
      TextSource chunks(text, 7);
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
  TextSource chunks(text, 7);
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
