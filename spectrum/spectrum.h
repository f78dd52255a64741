#pragma once

#include <cstdint>
#include <vector>

#include "spectrum/spectrum_point.h"

namespace odecet {

// A spectrum as the readers, the command line, the analysis and the plots pass it around: its
// points in the file's order, and the count as the file declares it. A step file may declare
// none or fewer than it holds (0 or below loads no point); every other kind declares exactly
// the points it has.
struct Spectrum {
  std::int32_t count = 0;
  std::vector<SpectrumPoint> points;  // exactly max(count, 0) points
};

}  // namespace odecet
