#include "analysis/kramers_kronig.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>
#include <utility>

#include "analysis/least_squares.h"

namespace odecet {

namespace {

// An RC resistance this small beside the largest |Z| is rounding, not a contribution: a pure
// resistor must come out with no positive Rk, whatever the sign of its rounding.
constexpr double kNegligibleResistance = 1e-9;

[[noreturn]] void ThrowUntestable(const std::string& why) {
  throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + why);
}

}  // namespace

// A fit that gives a number beyond the range of a double says nothing about the cell: it is
// never taken for a pass.
void ThrowUnverifiable() {
  throw KramersKronigError(
      "spektrum nelze ověřit Kramersovou–Kronigovou zkouškou: proložení nedává konečná čísla "
      "(hodnoty nebo kmitočty bodů jsou mimo rozsah, který lze spočítat).");
}

void CheckTestablePoints(std::span<const SpectrumPoint> points, std::size_t minimum) {
  if (points.size() < minimum)
    ThrowUntestable(std::string("spektrum musí mít alespoň ") + (minimum <= 2 ? "dva" : "tři") +
                    " body.");
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& p = points[i];
    const std::string point = "bod " + std::to_string(i + 1);
    if (!std::isfinite(p.f) || !std::isfinite(std::hypot(p.re, p.im)))
      ThrowUntestable(point + " nemá konečné hodnoty.");
    if (p.f <= 0.0)
      ThrowUntestable(point + " nemá kladný kmitočet.");
    if (p.re == 0.0 && p.im == 0.0)
      ThrowUntestable(point + " má nulovou impedanci.");
  }
  const auto [low, high] = std::ranges::minmax(points, {}, &SpectrumPoint::f);
  if (low.f == high.f)
    ThrowUntestable("všechny body mají týž kmitočet.");
}

namespace {

// The M time constants, log-spaced from tauMin to tauMax with both ends exact; one is tauMax.
void TimeConstants(int m, double tauMin, double tauMax, Eigen::VectorXd& taus) {
  taus.resize(m);
  if (m == 1) {
    taus[0] = tauMax;
    return;
  }
  const double logMin = std::log(tauMin);
  const double logSpan = std::log(tauMax / tauMin);
  for (int k = 1; k + 1 < m; ++k)
    taus[k] = std::exp(logMin + logSpan * k / (m - 1));
  taus[0] = tauMin;
  taus[m - 1] = tauMax;
}

// The weighted least-squares problem of one spectrum: rows 0..n-1 hold the real parts,
// n..2n-1 the imaginary ones, each divided by |Z| at its point; columns R0, R1..RM, L.
//
// The columns are scaled by powers of two so that no entry exceeds 2, whatever the units: the
// resistances by the smallest |Z|, the inductance also by the largest ω. Such scaling is exact,
// so a spectrum in ordinary units is solved bit for bit as without it, and one in 1e-200 Ω or
// at 1e300 Hz cannot overflow. The coefficients stay scaled; everything read from them is
// either a ratio or computed in the same scaled rows.
class RcFit {
 public:
  explicit RcFit(std::span<const SpectrumPoint> points)
      : n_(static_cast<Eigen::Index>(points.size())),
        omega_(n_),
        weight_(n_),
        inductance_(n_),
        target_(2 * n_),
        design_(Eigen::MatrixXd::Zero(2 * n_, MaxElements() + 6)),
        coefficients_(MaxElements() + 2) {
    double fMin = points[0].f;
    double fMax = points[0].f;
    double smallestZ = std::hypot(points[0].re, points[0].im);
    for (const SpectrumPoint& p : points) {
      fMin = std::min(fMin, p.f);
      fMax = std::max(fMax, p.f);
      smallestZ = std::min(smallestZ, std::hypot(p.re, p.im));
    }
    std::frexp(smallestZ, &resistanceExponent_);
    int omegaExponent = 0;
    std::frexp(2.0 * std::numbers::pi * fMax, &omegaExponent);
    for (Eigen::Index i = 0; i < n_; ++i) {
      const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
      omega_[i] = 2.0 * std::numbers::pi * p.f;
      weight_[i] = 1.0 / std::ldexp(std::hypot(p.re, p.im), -resistanceExponent_);
      inductance_[i] = std::ldexp(omega_[i], -omegaExponent) * weight_[i];
      target_[i] = std::ldexp(p.re, -resistanceExponent_) * weight_[i];
      target_[n_ + i] = std::ldexp(p.im, -resistanceExponent_) * weight_[i];
    }
    tauMin_ = 1.0 / (2.0 * std::numbers::pi * fMax);
    tauMax_ = 1.0 / (2.0 * std::numbers::pi * fMin);
  }

  // The most RC elements the points can determine (M + 2 unknowns, 2n equations).
  int MaxElements() const {
    return static_cast<int>(std::min<Eigen::Index>(kKramersKronigMaxElements, 2 * n_ - 2));
  }

  // Fits M RC elements: afterwards R0 is Coefficient(0), Rk Coefficient(k), L Coefficient(M+1).
  void Fit(int m) {
    TimeConstants(m, tauMin_, tauMax_, taus_);
    auto a = design_.leftCols(m + 2);
    a.col(0).head(n_) = weight_;
    a.col(0).tail(n_).setZero();
    for (int k = 0; k < m; ++k) {
      for (Eigen::Index i = 0; i < n_; ++i) {
        // 1 / (1 + jωτ) = (1 − jωτ) / (1 + (ωτ)²)
        const double x = omega_[i] * taus_[k];
        const double scale = weight_[i] / (1.0 + x * x);
        a(i, k + 1) = scale;
        a(n_ + i, k + 1) = -x * scale;
      }
    }
    a.col(m + 1).head(n_).setZero();
    a.col(m + 1).tail(n_) = inductance_;
    design_.col(m + 2) = target_;
    SolveLeastSquaresInPlace(design_.data(), design_.rows(), m + 2, coefficients_.data());
    if (!coefficients_.head(m + 2).allFinite())
      ThrowUnverifiable();
  }

  // Coefficient k of the last fit, scaled as its column: R0 is 0, Rk is k, L is M + 1.
  double Coefficient(int k) const { return coefficients_[k]; }
  // R1..RM of the last fit.
  std::span<const double> RcValues(int m) const {
    return {coefficients_.data() + 1, static_cast<std::size_t>(m)};
  }
  // A resistance in the scale of the coefficients.
  double ScaledResistance(double ohms) const { return std::ldexp(ohms, -resistanceExponent_); }

  // (Z − Z_fit) / |Z| at point i, real and imaginary, from the last fit of M elements.
  std::pair<double, double> Residual(Eigen::Index i, int m) const {
    double modelRe = weight_[i] * coefficients_[0];
    double modelIm = inductance_[i] * coefficients_[m + 1];
    for (int k = 0; k < m; ++k) {
      const double x = omega_[i] * taus_[k];
      const double share = weight_[i] / (1.0 + x * x) * coefficients_[k + 1];
      modelRe += share;
      modelIm -= x * share;
    }
    return {target_[i] - modelRe, target_[n_ + i] - modelIm};
  }

 private:
  Eigen::Index n_;
  int resistanceExponent_ = 0;  // 2^it is about the smallest |Z|
  Eigen::VectorXd omega_;
  Eigen::VectorXd weight_;      // 2^resistanceExponent_ / |Z|
  Eigen::VectorXd inductance_;  // the L column's imaginary rows
  Eigen::VectorXd target_;
  double tauMin_ = 0.0;
  double tauMax_ = 0.0;
  // Sized once for the largest M: each fit uses its left M + 2 columns and the target after
  // them; the solver needs three zero columns beyond.
  Eigen::MatrixXd design_;
  Eigen::VectorXd coefficients_;
  Eigen::VectorXd taus_;
};

}  // namespace

std::optional<double> MuOf(std::span<const double> rc, double negligible) {
  double positive = 0.0;
  double negative = 0.0;
  for (const double r : rc) {
    if (r > negligible)
      positive += r;
    else if (r < -negligible)
      negative -= r;
  }
  if (positive == 0.0)
    return std::nullopt;
  return 1.0 - negative / positive;
}

KramersKronigResult CheckKramersKronig(std::span<const SpectrumPoint> points, double limitPercent) {
  CheckTestablePoints(points);
  double largestZ = 0.0;
  for (const SpectrumPoint& p : points)
    largestZ = std::max(largestZ, std::hypot(p.re, p.im));

  RcFit fit(points);
  const double negligible = kNegligibleResistance * fit.ScaledResistance(largestZ);
  KramersKronigResult result;
  for (int m = 1; m <= fit.MaxElements(); ++m) {
    fit.Fit(m);
    result.m = m;
    result.mu = MuOf(fit.RcValues(m), negligible);
    if (!result.mu || *result.mu <= kKramersKronigMuCutoff)
      break;
  }

  // Residuals of the accepted fit, from the model itself.
  result.residualRe.resize(points.size());
  result.residualIm.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto [dRe, dIm] = fit.Residual(static_cast<Eigen::Index>(i), result.m);
    result.pseudoChiSquare += dRe * dRe + dIm * dIm;
    result.residualRe[i] = 100.0 * dRe;
    result.residualIm[i] = 100.0 * dIm;
    result.maxResidualRe = std::max(result.maxResidualRe, std::abs(result.residualRe[i]));
    result.maxResidualIm = std::max(result.maxResidualIm, std::abs(result.residualIm[i]));
  }
  if (!std::isfinite(result.pseudoChiSquare))
    ThrowUnverifiable();
  result.limitPercent = limitPercent;
  result.passed = result.maxResidualRe <= limitPercent && result.maxResidualIm <= limitPercent;
  return result;
}

}  // namespace odecet
