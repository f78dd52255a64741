#pragma once

#include <optional>
#include <span>
#include <vector>

#include "spectrum/errors.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// The linear Kramers–Kronig test of Schönleber et al. (Electrochimica Acta 131, 2014), as the
// labs' usual tool runs it (complex fit, cut-off 0.85, at most 50 RC elements, no series
// capacitance). A spectrum of a causal, linear and stable cell can be followed by the model
//   Z = R0 + jωL + Σ Rk / (1 + jωτk),   k = 1..M,
// with fixed τk spaced evenly on a log scale from 1/(2π f_max) to 1/(2π f_min). Drift during a
// sweep cannot be followed, and shows as residuals above the limit.

inline constexpr double kKramersKronigLimitPercent = 1.0;  // default limit, % of |Z|
inline constexpr double kKramersKronigMuCutoff = 0.85;     // M rises while µ is above this
inline constexpr int kKramersKronigMaxElements = 50;

struct KramersKronigResult {
  int m = 0;  // RC elements of the accepted fit
  // µ = 1 − Σ|Rk < 0| / Σ(Rk > 0). Absent when no Rk is positive (a pure resistor): the test
  // stops at that M and µ does not apply.
  std::optional<double> mu;
  double pseudoChiSquare = 0.0;  // Σ (ΔRe² + ΔIm²) / |Z|² (Boukamp 1995)
  // (Z − Z_fit) / |Z| in percent, one per point, in the order of the input.
  std::vector<double> residualRe;
  std::vector<double> residualIm;
  double maxResidualRe = 0.0;  // largest |residual|, percent
  double maxResidualIm = 0.0;
  double limitPercent = kKramersKronigLimitPercent;  // the limit the verdict used
  bool passed = false;                               // no |residual| above limitPercent
};

// A spectrum the test cannot be run on. The message names the point but not the file: the
// caller puts the file's name in front.
class KramersKronigError : public OdecetError {
 public:
  using OdecetError::OdecetError;
};

// Throws KramersKronigError, as every test does, for fewer than `minimum` points (2 or 3), a
// frequency that is not above zero, a value that is not finite, Z = 0, or one frequency for all.
void CheckTestablePoints(std::span<const SpectrumPoint> points, std::size_t minimum = 2);

// µ = 1 − Σ|Rk < 0| / Σ(Rk > 0) of fitted RC values, those within ±`negligible` left out as
// rounding; none when no value is positive.
std::optional<double> MuOf(std::span<const double> rc, double negligible);

// Throws the KramersKronigError of a fit that gave a number that is not finite.
[[noreturn]] void ThrowUnverifiable();

// Runs the test. Points may come in any order of frequency. Throws KramersKronigError for fewer
// than two points, a frequency that is not above zero, a value that is not finite, Z = 0, or
// one frequency for all points. A spectrum of few points gets at most 2n − 2 RC elements, as
// many as its 2n numbers can determine with R0 and L.
KramersKronigResult CheckKramersKronig(std::span<const SpectrumPoint> points,
                                       double limitPercent = kKramersKronigLimitPercent);

}  // namespace odecet
