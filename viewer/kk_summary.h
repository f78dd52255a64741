#pragma once

#include <optional>
#include <span>
#include <vector>

#include "spectrum/spectrum_point.h"

// What the Kramers–Kronig tab shows of the linear Kramers–Kronig test of one spectrum.
struct KkSummary {
  int m = 0;                 // RC elements of the fitted model
  std::optional<double> mu;  // none for a pure resistor
  double pseudoChiSquare = 0.0;
  std::vector<double> residualRe;  // percent of |Z|, one per point
  std::vector<double> residualIm;
  double maxResidualRe = 0.0;  // largest |residual|, percent
  double maxResidualIm = 0.0;
  bool passed = false;  // no residual above the limit
};

// Runs the test on `points`; none when this build has no Kramers–Kronig check.
std::optional<KkSummary> CheckSpectrumKramersKronig(std::span<const SpectrumPoint> points,
                                                    double limitPercent);
