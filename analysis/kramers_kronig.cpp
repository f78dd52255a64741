#include "analysis/kramers_kronig.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>

namespace {

// An RC resistance this small beside the largest |Z| is rounding, not a contribution: a pure
// resistor must come out with no positive Rk, whatever the sign of its rounding.
constexpr double kNegligibleResistance = 1e-9;

std::string PointText(std::size_t index) {
  return "bod " + std::to_string(index + 1);
}

void CheckPoints(std::span<const SpectrumPoint> points) {
  if (points.size() < 2) {
    throw KramersKronigError(
        "Kramersovu–Kronigovu zkoušku nelze provést: spektrum musí mít alespoň dva body.");
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& p = points[i];
    if (!std::isfinite(p.f) || !std::isfinite(p.re) || !std::isfinite(p.im)) {
      throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + PointText(i) +
                               " nemá konečné hodnoty.");
    }
    if (p.f <= 0.0) {
      throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + PointText(i) +
                               " nemá kladný kmitočet.");
    }
    if (p.re == 0.0 && p.im == 0.0) {
      throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + PointText(i) +
                               " má nulovou impedanci.");
    }
  }
}

// The M time constants, log-spaced from tauMin to tauMax with both ends exact.
void TimeConstants(int m, double tauMin, double tauMax, Eigen::VectorXd& taus) {
  taus.resize(m);
  if (m == 1) {
    taus[0] = tauMax;
    return;
  }
  const double logMin = std::log(tauMin);
  const double logSpan = std::log(tauMax / tauMin);
  for (int k = 0; k < m; ++k)
    taus[k] = std::exp(logMin + logSpan * k / (m - 1));
  taus[0] = tauMin;
  taus[m - 1] = tauMax;
}

}  // namespace

KramersKronigResult CheckKramersKronig(std::span<const SpectrumPoint> points, double limitPercent) {
  CheckPoints(points);
  const auto n = static_cast<Eigen::Index>(points.size());

  // Rows 0..n-1 are the real parts, n..2n-1 the imaginary ones, each divided by |Z|.
  Eigen::VectorXd omega(n);
  Eigen::VectorXd weight(n);
  Eigen::VectorXd target(2 * n);
  double fMin = points[0].f;
  double fMax = points[0].f;
  double largestZ = 0.0;
  for (Eigen::Index i = 0; i < n; ++i) {
    const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
    const double magnitude = std::hypot(p.re, p.im);
    omega[i] = 2.0 * std::numbers::pi * p.f;
    weight[i] = 1.0 / magnitude;
    target[i] = p.re * weight[i];
    target[n + i] = p.im * weight[i];
    fMin = std::min(fMin, p.f);
    fMax = std::max(fMax, p.f);
    largestZ = std::max(largestZ, magnitude);
  }
  const double tauMin = 1.0 / (2.0 * std::numbers::pi * fMax);
  const double tauMax = 1.0 / (2.0 * std::numbers::pi * fMin);
  // More unknowns than rows would fit anything; only a spectrum of a few points meets this.
  const int maxElements =
      static_cast<int>(std::min<Eigen::Index>(kKramersKronigMaxElements, 2 * n - 2));
  const double negligible = kNegligibleResistance * largestZ;

  Eigen::MatrixXd design(2 * n, maxElements + 2);
  Eigen::VectorXd taus;
  Eigen::VectorXd solution;
  KramersKronigResult result;
  for (int m = 1; m <= maxElements; ++m) {
    TimeConstants(m, tauMin, tauMax, taus);
    auto a = design.leftCols(m + 2);
    a.col(0).head(n) = weight;
    a.col(0).tail(n).setZero();
    for (int k = 0; k < m; ++k) {
      for (Eigen::Index i = 0; i < n; ++i) {
        // 1 / (1 + jx) = (1 − jx) / (1 + x²)
        const double x = omega[i] * taus[k];
        const double scale = weight[i] / (1.0 + x * x);
        a(i, k + 1) = scale;
        a(n + i, k + 1) = -x * scale;
      }
    }
    a.col(m + 1).head(n).setZero();
    a.col(m + 1).tail(n) = omega.cwiseProduct(weight);
    solution = a.colPivHouseholderQr().solve(target);

    double positive = 0.0;
    double negative = 0.0;
    for (int k = 1; k <= m; ++k) {
      if (solution[k] > negligible)
        positive += solution[k];
      else if (solution[k] < -negligible)
        negative -= solution[k];
    }
    result.m = m;
    if (positive == 0.0) {
      result.mu.reset();
      break;
    }
    result.mu = 1.0 - negative / positive;
    if (*result.mu <= kKramersKronigMuCutoff)
      break;
  }

  // Residuals of the accepted fit, from the model itself.
  const int m = result.m;
  TimeConstants(m, tauMin, tauMax, taus);
  result.residualRe.resize(points.size());
  result.residualIm.resize(points.size());
  result.pseudoChiSquare = 0.0;
  for (Eigen::Index i = 0; i < n; ++i) {
    const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
    std::complex<double> fit(solution[0], omega[i] * solution[m + 1]);
    for (int k = 0; k < m; ++k)
      fit += solution[k + 1] / std::complex<double>(1.0, omega[i] * taus[k]);
    const double dRe = (p.re - fit.real()) * weight[i];
    const double dIm = (p.im - fit.imag()) * weight[i];
    result.pseudoChiSquare += dRe * dRe + dIm * dIm;
    const auto slot = static_cast<std::size_t>(i);
    result.residualRe[slot] = 100.0 * dRe;
    result.residualIm[slot] = 100.0 * dIm;
    result.maxResidualRe = std::max(result.maxResidualRe, std::abs(100.0 * dRe));
    result.maxResidualIm = std::max(result.maxResidualIm, std::abs(100.0 * dIm));
  }
  result.limitPercent = limitPercent;
  result.passed = result.maxResidualRe <= limitPercent && result.maxResidualIm <= limitPercent;
  return result;
}
