#pragma once

#include <cstring>

#include "spectrum/spectrum.h"

namespace odecet {

// Bit for bit, so that a NaN read from a binary file equals itself.
inline bool SamePoints(const Spectrum& a, const Spectrum& b) {
  return a.count == b.count && a.points.size() == b.points.size() &&
         (a.points.empty() ||
          std::memcmp(a.points.data(), b.points.data(), a.points.size() * sizeof a.points[0]) == 0);
}

}  // namespace odecet
