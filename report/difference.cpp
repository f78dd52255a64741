#include "report/difference.h"

#include <cassert>
#include <cmath>

#include "spectrum/decimal_text.h"
#include "spectrum/errors.h"

namespace odecet {

DifferenceResult SubtractSpectra(std::span<const SpectrumPoint> step1, std::int32_t step1Count,
                                 std::span<const SpectrumPoint> step2, std::int32_t step2Count,
                                 std::span<SpectrumPoint> diff, double tolerance) {
  assert(std::isfinite(tolerance) && tolerance >= 0 && tolerance < 1);
  if (step1Count != step2Count)
    return {Mismatch::kCount, 0};
  for (std::int32_t i = 0; i < step1Count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    assert(slot < step1.size() && slot < step2.size() && slot < diff.size());
    const SpectrumPoint& s1 = step1[slot];
    const SpectrumPoint& s2 = step2[slot];
    if (!FrequenciesMatch(s1.f, s2.f, tolerance))
      return {Mismatch::kFrequency, i};
    const SpectrumPoint d{s1.f, s2.re - s1.re, s1.im - s2.im};
    if (!std::isfinite(d.re) || !std::isfinite(d.im)) {
      throw DifferenceRangeError("Rozdíl v bodě " + std::to_string(i + 1) + " (" +
                                 (std::isfinite(d.re) ? "imaginární" : "reálná") +
                                 " část) přesahuje rozsah čísel, který lze uložit.");
    }
    diff[slot] = d;
  }
  return {Mismatch::kNone, 0};
}

bool FrequenciesMatch(double f1, double f2, double tolerance) {
  // Equality first: it is the whole test at 0, and equal infinities have no finite difference.
  return f1 == f2 || std::fabs(f1 - f2) <= tolerance * std::fmax(std::fabs(f1), std::fabs(f2));
}

const char* MismatchText(Mismatch mismatch) {
  switch (mismatch) {
    case Mismatch::kCount:
      return kCountMismatchText;
    case Mismatch::kFrequency:
      return kFrequencyMismatchText;
    case Mismatch::kNone:
      break;
  }
  return "";
}

std::string MismatchDetail(const DifferenceResult& result, std::span<const SpectrumPoint> step1,
                           std::int32_t step1Count, std::span<const SpectrumPoint> step2,
                           std::int32_t step2Count, char separator) {
  switch (result.mismatch) {
    case Mismatch::kCount:
      return "Počet bodů: 4 žebra " + std::to_string(step1Count) + ", 3 žebra " +
             std::to_string(step2Count) + ".";
    case Mismatch::kFrequency: {
      const auto slot = static_cast<std::size_t>(result.index);
      return "Bod " + std::to_string(result.index + 1) + ": 4 žebra " +
             FloatToStr(step1[slot].f, separator) + " Hz, 3 žebra " +
             FloatToStr(step2[slot].f, separator) + " Hz.";
    }
    case Mismatch::kNone:
      break;
  }
  return "";
}

}  // namespace odecet
