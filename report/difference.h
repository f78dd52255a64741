#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "spectrum/spectrum_point.h"

namespace odecet {

// The warnings the user sees when the two spectra do not match; the texts are the system's own.
inline constexpr const char* kCountMismatchText =
    "Zadané soubory se neshodují počtem měřených bodů.";
inline constexpr const char* kFrequencyMismatchText = "V zadaných souborech se neshodují kmitočty.";

enum class Mismatch { kNone, kCount, kFrequency };

struct DifferenceResult {
  Mismatch mismatch = Mismatch::kNone;
  std::int32_t index = 0;  // the first point whose frequencies differ, from 0
};

// Compares the two spectra and fills `diff` point by point in ascending order:
// f = step 1's f unchanged, re = s2.re - s1.re, im = s1.im - s2.im.
// Counts are compared first; then frequencies must match: equal (+0 equals -0), or, with a
// `tolerance` above 0, |f1 - f2| <= tolerance * max(|f1|, |f2|), for instruments that record
// the measured rather than the set frequency. The tolerance must be finite and in [0, 1).
// At the first differing frequency it stops: slots below it hold new points, the rest are
// untouched. Counts must not exceed the spans' sizes. A difference that overflows to infinity
// throws DifferenceRangeError naming the point; the slots below it hold new points.
DifferenceResult SubtractSpectra(std::span<const SpectrumPoint> step1, std::int32_t step1Count,
                                 std::span<const SpectrumPoint> step2, std::int32_t step2Count,
                                 std::span<SpectrumPoint> diff, double tolerance = 0);

// Whether two frequencies match within a relative tolerance, as SubtractSpectra compares them.
bool FrequenciesMatch(double f1, double f2, double tolerance);

// The warning text for a mismatch (kNone gives an empty text).
const char* MismatchText(Mismatch mismatch);

// One line that tells the lab where the spectra part: the two counts, or the point (from 1)
// and both frequencies, numbers written with `separator`.
std::string MismatchDetail(const DifferenceResult& result, std::span<const SpectrumPoint> step1,
                           std::int32_t step1Count, std::span<const SpectrumPoint> step2,
                           std::int32_t step2Count, char separator);

}  // namespace odecet
