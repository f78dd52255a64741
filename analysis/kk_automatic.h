#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/kk_options.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// The automatic linear Kramers–Kronig test, after Schönleber et al. (Electrochim. Acta 131,
// 2014), Boukamp (J. Electrochem. Soc. 142, 1995), Plank et al. (J. Power Sources, 2022) and
// Yrjänä & Bobacka (Electrochim. Acta 504, 2024, 144951):
// - each representation (impedance and admittance) is fitted with every number of RC elements M
//   from 2 up, by the real fit by default, for log F_ext from −1 to 1;
// - for each, M has limits: above, where the fitted values have grown to a hundred times their
//   smallest sum two M in a row (overfitting), or where the pseudo χ² has not halved for twelve
//   M (the noise floor); below, the first M whose pseudo χ²
//   comes within a factor of two of the lowest. Between them the M is chosen that ranks best in
//   the sum of four ranks: the curvature of the fitted distribution, the norm of the fitted
//   values, µ, and M itself (the fewer the better);
// - log F_ext is the one whose chosen fit has the lowest pseudo χ², and so is the
//   representation (its residuals are those of Z in both, so they compare alike).
// The verdict then reads the residuals against the noise they show (KkFinding).

// On noise-free data a Kramers–Kronig-valid spectrum leaves residuals far below this; above it,
// residuals must look like random noise to pass. Percent of |Z|.
inline constexpr double kKkCleanLimitPercent = 0.05;

struct KkAutomaticOptions {
  KkFitKind fit = KkFitKind::kReal;
  KkModelOptions model;
  // Both are tried, and the better one kept, unless one is given.
  std::optional<KkRepresentation> representation;
  double limitPercent = kKkCleanLimitPercent;
};

// Why the verdict is what it is.
enum class KkFinding {
  kBelowLimit,   // no residual above the limit
  kRandom,       // above the limit, but random: the noise of the measurement
  kSystematic,   // a run across frequency: drift, a step, a cell that changed
  kOutlier,      // one point far beyond the noise of the others
  kUnevenNoise,  // random, but far noisier over one part of the sweep than over another
  kFewPoints,    // above the limit, and too few points to tell noise from a defect
};

struct KkCandidate {
  int m = 0;
  std::optional<double> mu;
  double pseudoChiSquare = 0.0;
};

struct KkAutomaticResult {
  KkRepresentation representation = KkRepresentation::kImpedance;
  double logFExt = 0.0;
  int m = 0;
  std::optional<double> mu;  // none where no RC value is positive
  double pseudoChiSquare = 0.0;
  // (Z − Z_fit) / |Z| in percent, one per point, in the order of the input.
  std::vector<double> residualRe;
  std::vector<double> residualIm;
  double maxResidualRe = 0.0;
  double maxResidualIm = 0.0;
  // The standard deviation of the noise, percent of |Z|, as the residuals show it:
  // √(5000·χ²/N), Re and Im alike (Yrjänä & Bobacka 2024).
  double noisePercent = 0.0;
  double limitPercent = kKkCleanLimitPercent;
  KkFinding finding = KkFinding::kBelowLimit;
  std::size_t worstPoint = 0;  // the point with the largest residual
  bool worstIsImaginary = false;
  bool passed = true;
  // Each M fitted in the chosen representation and log F_ext, for a plot of the choice.
  std::vector<KkCandidate> candidates;
};

// Runs the test. Throws KramersKronigError (kramers_kronig.h) where CheckKramersKronig would,
// for fewer than three points, and where the fit yields a number that is not finite: such a
// spectrum cannot be verified, and is never a pass.
KkAutomaticResult CheckKramersKronigAutomatic(std::span<const SpectrumPoint> points,
                                              const KkAutomaticOptions& options = {});

// The verdict's reason in plain Czech, numbers with `separator`; `points` are those tested.
std::string KkReasonText(const KkAutomaticResult& result, std::span<const SpectrumPoint> points,
                         char separator);

}  // namespace odecet
