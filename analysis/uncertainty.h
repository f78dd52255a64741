#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "spectrum/spectrum_point.h"

namespace odecet {

// The uncertainty of a difference of two spectra from the noise of each.

// A measurement whose noise is `relative` (a fraction of |Z|, the same on Re and on Im, as the
// Kramers–Kronig test estimates it): `relative`·|Z| at each point.
std::vector<PointUncertainty> FromRelativeNoise(std::span<const SpectrumPoint> points,
                                                double relative);

// Repeated measurements of one spectrum, each with the same points: the sample standard
// deviation of Re and of Im at each point (at least two measurements).
std::vector<PointUncertainty> SpreadOfRepeats(
    const std::vector<std::vector<SpectrumPoint>>& measurements);

// The uncertainty of a difference of two independent measurements: both in quadrature.
std::vector<PointUncertainty> InQuadrature(std::span<const PointUncertainty> a,
                                           std::span<const PointUncertainty> b);

// The points of `difference` whose real and imaginary parts both lie within 2u of zero.
std::size_t PointsWithinTwoU(std::span<const SpectrumPoint> difference,
                             std::span<const PointUncertainty> u);

}  // namespace odecet
