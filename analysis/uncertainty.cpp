#include "analysis/uncertainty.h"

#include <algorithm>
#include <cmath>

namespace odecet {

std::vector<PointUncertainty> FromRelativeNoise(std::span<const SpectrumPoint> points,
                                                double relative) {
  std::vector<PointUncertainty> u;
  u.reserve(points.size());
  for (const SpectrumPoint& p : points) {
    const double size = relative * std::hypot(p.re, p.im);
    u.push_back({size, size});
  }
  return u;
}

std::vector<PointUncertainty> SpreadOfRepeats(
    const std::vector<std::vector<SpectrumPoint>>& measurements) {
  const std::size_t count = measurements.empty() ? 0 : measurements.front().size();
  std::vector<PointUncertainty> u(count);
  if (measurements.size() < 2)
    return u;
  const double n = static_cast<double>(measurements.size());
  for (std::size_t i = 0; i < count; ++i) {
    double meanRe = 0.0, meanIm = 0.0;
    for (const auto& m : measurements) {
      meanRe += m[i].re;
      meanIm += m[i].im;
    }
    meanRe /= n;
    meanIm /= n;
    double re = 0.0, im = 0.0;
    for (const auto& m : measurements) {
      re += (m[i].re - meanRe) * (m[i].re - meanRe);
      im += (m[i].im - meanIm) * (m[i].im - meanIm);
    }
    u[i] = {std::sqrt(re / (n - 1.0)), std::sqrt(im / (n - 1.0))};
  }
  return u;
}

std::vector<PointUncertainty> InQuadrature(std::span<const PointUncertainty> a,
                                           std::span<const PointUncertainty> b) {
  std::vector<PointUncertainty> u(std::min(a.size(), b.size()));
  for (std::size_t i = 0; i < u.size(); ++i)
    u[i] = {std::hypot(a[i].re, b[i].re), std::hypot(a[i].im, b[i].im)};
  return u;
}

std::size_t PointsWithinTwoU(std::span<const SpectrumPoint> difference,
                             std::span<const PointUncertainty> u) {
  std::size_t within = 0;
  for (std::size_t i = 0; i < std::min(difference.size(), u.size()); ++i) {
    if (std::abs(difference[i].re) <= 2.0 * u[i].re && std::abs(difference[i].im) <= 2.0 * u[i].im)
      ++within;
  }
  return within;
}

}  // namespace odecet
